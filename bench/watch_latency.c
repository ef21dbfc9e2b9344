/* watch_latency: the delay from a colour stored into the installed colormap to the line a
 * watcher prints about it.
 *
 *   watch_latency N OUT -- COMMAND [ARGS...]
 *       Runs COMMAND (vexa --watch) with its standard output on a pipe; stores colours into
 *       the installed colormap until it prints a first line; then N times stores one colour
 *       and times until the next line comes. Appends each delay (µs) to OUT; prints median
 *       and p90.
 *   watch_latency --poll
 *       The yardstick: what a watcher that reads the installed colormap every 20 ms, as
 *       vexa --watch does without RECORD, needs at the least. Prints a line whenever a
 *       colour changed.
 *
 * The installed colormap must be writable in all its entries (a private AllocAll colormap,
 * as the test bed's colormap holder installs). Build: gcc -O2 -o watch_latency
 * watch_latency.c -lX11
 */
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "bench_clock.h"

static Colormap installed(Display* d) {
  int n = 0;
  Colormap* maps = XListInstalledColormaps(d, DefaultRootWindow(d), &n);
  Colormap c = n ? maps[0] : None;
  if (maps) XFree(maps);
  return c;
}

static int poll_forever(void) {
  Display* d = XOpenDisplay(NULL);
  if (!d) return 1;
  XColor before[256], now[256];
  int have = 0;
  for (;;) {
    for (int i = 0; i < 256; i++) now[i].pixel = i;
    XQueryColors(d, installed(d), now, 256);
    if (have && memcmp(before, now, sizeof now)) {
      printf("changed\n");
      fflush(stdout);
    }
    memcpy(before, now, sizeof now);
    have = 1;
    struct timespec t = {0, 20000000};
    nanosleep(&t, 0);
  }
}

/* Reads one line from fd within timeout_ms; 1 when a line came. */
static int line(int fd, int timeout_ms) {
  double end = now_us() + timeout_ms * 1e3;
  char c;
  for (;;) {
    int left = (int)((end - now_us()) / 1e3);
    struct pollfd p = {fd, POLLIN, 0};
    if (left <= 0 || poll(&p, 1, left) <= 0) return 0;
    if (read(fd, &c, 1) != 1) return 0;
    if (c == '\n') return 1;
  }
}

/* Changes the red of one entry of the installed colormap. */
static void change(Display* d, int pixel) {
  XColor c = {.pixel = pixel};
  Colormap map = installed(d);
  XQueryColor(d, map, &c);
  c.red = (unsigned short)(((c.red >> 8) + 1) % 256 * 257);
  c.flags = DoRed | DoGreen | DoBlue;
  XStoreColor(d, map, &c);
  XSync(d, False);
}

int main(int argc, char** argv) {
  if (argc == 2 && !strcmp(argv[1], "--poll")) return poll_forever();
  if (argc < 5 || strcmp(argv[3], "--")) {
    fprintf(stderr, "usage: watch_latency N OUT -- COMMAND... | watch_latency --poll\n");
    return 2;
  }
  int n = atoi(argv[1]);
  Display* d = XOpenDisplay(NULL);
  if (!d || n <= 0) return 1;
  pid_t child;
  const int watcher = start_with_output(argv + 4, &child);
  if (watcher < 0) return 1;
  int ready = 0;
  for (int i = 0; i < 500 && !ready; i++) {
    change(d, 200);
    ready = line(watcher, 100);
  }
  while (line(watcher, 300)) {
  }
  double* lat = calloc(n, sizeof *lat);
  int got = 0;
  for (int i = 0; ready && i < n; i++) {
    /* Changes come at every phase of the watcher's polling period. */
    struct timespec gap = {0, (long)((i * 7919) % 23) * 1000000};
    nanosleep(&gap, 0);
    double t0 = now_us();
    change(d, 10 + i % 200);
    if (line(watcher, 2000)) lat[got++] = now_us() - t0;
  }
  kill(child, SIGTERM);
  waitpid(child, 0, 0);
  if (!got) {
    printf("no line\n");
    return 1;
  }
  FILE* f = fopen(argv[2], "a");
  for (int i = 0; i < got; i++) fprintf(f, "%.1f\n", lat[i]);
  fclose(f);
  qsort(lat, got, sizeof *lat, cmp);
  printf("changes %d lines %d median %.0f p90 %.0f\n", n, got, lat[got / 2], lat[got * 9 / 10]);
  return 0;
}
