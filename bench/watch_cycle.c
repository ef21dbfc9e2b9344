/* watch_cycle: a palette-cycling client against a watcher, and the watcher at rest.
 *
 *   watch_cycle [--flush] STEPS RATE IDLE_SECONDS -- COMMAND [ARGS...]
 *
 * Installs a private colormap of its own, runs COMMAND (vexa --watch) with its standard
 * output on a pipe and waits for its first line. Then counts the watcher's wake-ups (context
 * switches of all its threads, from /proc) over IDLE_SECONDS of an unchanging screen. Then
 * rotates the colours of entries 16-31 with one XStoreColors per step, STEPS steps at RATE
 * steps a second; each step's colours carry its number plus one (green + 256 * blue of entry
 * 16), so every line names the state it reports. Prints how many states came, how many in order,
 * the median and p90 delay from a step's request to its line (one clock, one process), and
 * the wake-ups a second at rest.
 *
 * Each step ends in XSync, as a program pacing its animation does; with --flush only in
 * XFlush. The server then holds what it recorded of a request that gets no answer until it
 * next writes to any client, here the next step. Build: gcc -O2 -o watch_cycle watch_cycle.c -lX11 -lpthread
 */
#include <X11/Xlib.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "bench_clock.h"

enum { FIRST = 16, ENTRIES = 16 };

static double* sent;  /* per step: when its request went out */
static double* seen;  /* per step: when its line came, 0 when none did */
static int steps, lines, in_order, last_step = -1;
static int out_fd;
static int sync_steps = 1;

/* Reads the watcher's lines and stamps the step each one reports. */
static void* reader(void* unused) {
  (void)unused;
  char buffer[65536];
  size_t used = 0;
  for (;;) {
    ssize_t got = read(out_fd, buffer + used, sizeof buffer - 1 - used);
    if (got <= 0) return 0;
    double at = now_us();
    used += (size_t)got;
    buffer[used] = 0;
    char* start = buffer;
    char* end;
    while ((end = strchr(start, '\n'))) {
      *end = 0;
      char* entry = strstr(start, " 16: ");
      int r, g, b;
      if (entry && sscanf(entry, " 16: %d, %d, %d", &r, &g, &b) == 3) {
        int step = g + 256 * b - 1;
        if (step >= 0 && step < steps && !seen[step]) {
          seen[step] = at;
          lines++;
          if (step == last_step + 1) in_order++;
          last_step = step;
        }
      }
      start = end + 1;
    }
    used -= (size_t)(start - buffer);
    memmove(buffer, start, used);
    if (used == sizeof buffer - 1) used = 0;
  }
}

static void store_step(Display* d, Colormap map, int step) {
  XColor cells[ENTRIES];
  int number = step + 1;
  for (int k = 0; k < ENTRIES; k++) {
    cells[k].pixel = FIRST + k;
    cells[k].red = (unsigned short)((step + k) % ENTRIES * 16 * 257);
    cells[k].green = (unsigned short)((number & 0xff) * 257);
    cells[k].blue = (unsigned short)(((number >> 8) & 0xff) * 257);
    cells[k].flags = DoRed | DoGreen | DoBlue;
  }
  XStoreColors(d, map, cells, ENTRIES);
  if (sync_steps)
    XSync(d, False);
  else
    XFlush(d);
}

/* Context switches of every thread of `pid` so far. */
static long wakeups(pid_t pid) {
  char command[128];
  snprintf(command, sizeof command,
           "cat /proc/%d/task/*/status | awk '/ctxt_switches/ { n += $2 } END { print n }'",
           (int)pid);
  FILE* p = popen(command, "r");
  long n = -1;
  if (p && fscanf(p, "%ld", &n) != 1) n = -1;
  if (p) pclose(p);
  return n;
}

static void sleep_until(double us) {
  struct timespec t = {(time_t)(us / 1e6), (long)((us - (time_t)(us / 1e6) * 1e6) * 1e3)};
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, 0);
}

int main(int argc, char** argv) {
  if (argc > 1 && !strcmp(argv[1], "--flush")) {
    sync_steps = 0;
    argv++;
    argc--;
  }
  if (argc < 6 || strcmp(argv[4], "--")) {
    fprintf(stderr, "usage: watch_cycle [--flush] STEPS RATE IDLE_SECONDS -- COMMAND...\n");
    return 2;
  }
  steps = atoi(argv[1]);
  double rate = atof(argv[2]), idle = atof(argv[3]);
  Display* d = XOpenDisplay(NULL);
  if (!d || steps <= 0 || steps > 65535 || rate <= 0) return 1;
  Visual* visual = DefaultVisual(d, DefaultScreen(d));
  Colormap map = XCreateColormap(d, DefaultRootWindow(d), visual, AllocAll);
  XInstallColormap(d, map);
  XSync(d, False);

  pid_t child;
  const int watcher = start_with_output(argv + 5, &child);
  if (watcher < 0) return 1;
  /* Ready once a change of entry 255 comes out as a line. */
  int ready = 0;
  char c;
  for (int i = 0; i < 100 && !ready; i++) {
    XColor cell = {.pixel = 255, .red = (unsigned short)(i * 601), .flags = DoRed};
    XStoreColor(d, map, &cell);
    XFlush(d);
    struct pollfd p = {watcher, POLLIN, 0};
    while (poll(&p, 1, 100) > 0 && read(watcher, &c, 1) == 1)
      if (c == '\n') ready = 1;
  }
  if (!ready) {
    printf("no line from the watcher\n");
    kill(child, SIGTERM);
    return 1;
  }
  struct pollfd p = {watcher, POLLIN, 0};
  while (poll(&p, 1, 300) > 0 && read(watcher, &c, 1) == 1) {
  }

  long before = wakeups(child);
  sleep_until(now_us() + idle * 1e6);
  long after = wakeups(child);

  sent = calloc((size_t)steps, sizeof *sent);
  seen = calloc((size_t)steps, sizeof *seen);
  out_fd = watcher;
  pthread_t thread;
  pthread_create(&thread, 0, reader, 0);
  double start = now_us();
  for (int step = 0; step < steps; step++) {
    sleep_until(start + step * 1e6 / rate);
    sent[step] = now_us();
    store_step(d, map, step);
  }
  /* The last lines may still be on their way. */
  double end = now_us() + 2e6;
  while (now_us() < end && !seen[steps - 1]) sleep_until(now_us() + 10e3);
  kill(child, SIGTERM);
  waitpid(child, 0, 0);
  pthread_join(thread, 0);

  double* delay = calloc((size_t)steps, sizeof *delay);
  int n = 0;
  for (int i = 0; i < steps; i++)
    if (seen[i]) delay[n++] = seen[i] - sent[i];
  qsort(delay, (size_t)n, sizeof *delay, cmp);
  printf("steps %d states %d in-order %d median-us %.0f p90-us %.0f idle-wakeups-per-s %.2f\n",
         steps, lines, in_order, n ? delay[n / 2] : -1.0, n ? delay[n * 9 / 10] : -1.0,
         before >= 0 && after >= 0 ? (after - before) / idle : -1.0);
  return 0;
}
