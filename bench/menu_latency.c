/* menu_latency: the delay from the key that chooses View > Shrink to Fit in Vexa's window to
 * the window's new size, optionally while another client floods the CLIPBOARD owner with
 * requests.
 *
 *   menu_latency WIN N FLOOD OUT
 *
 * N times: makes the window a few pixels wider than its grid (no window manager runs), lets
 * it settle, sends FLOOD requests for the clipboard's TARGETS at once (none when FLOOD is 0),
 * then presses Alt+V, S and times until WIN's size changes. Appends each delay (µs) to OUT; prints
 * median and p90. Vexa must own the clipboard (Edit > Copy) when FLOOD is above 0.
 * Build: gcc -O2 -o menu_latency menu_latency.c -lX11 -lXtst
 */
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "bench_clock.h"

static void pause_ms(long ms) {
  struct timespec t = {ms / 1000, (ms % 1000) * 1000000};
  nanosleep(&t, 0);
}
static void key(Display* d, KeySym sym, int alt) {
  KeyCode code = XKeysymToKeycode(d, sym), meta = XKeysymToKeycode(d, XK_Alt_L);
  if (alt) XTestFakeKeyEvent(d, meta, True, 0);
  XTestFakeKeyEvent(d, code, True, 0);
  XTestFakeKeyEvent(d, code, False, 0);
  if (alt) XTestFakeKeyEvent(d, meta, False, 0);
  XSync(d, False);
  pause_ms(40); /* as a person types: the menu opens between the keys */
}

int main(int argc, char** argv) {
  if (argc != 5) {
    fprintf(stderr, "usage: menu_latency WIN N FLOOD OUT\n");
    return 2;
  }
  Window win = strtoul(argv[1], 0, 0);
  int n = atoi(argv[2]), flood = atoi(argv[3]);
  Display* d = XOpenDisplay(NULL);
  if (!d || n <= 0) return 1;
  XSelectInput(d, win, StructureNotifyMask);
  XSetInputFocus(d, win, RevertToPointerRoot, CurrentTime);
  double* lat = calloc(n, sizeof *lat);
  int got = 0, miss = 0;
  for (int i = 0; i < n; i++) {
    pause_ms(300); /* Vexa may still settle its size after the last Shrink to Fit */
    XResizeWindow(d, win, 300 + i % 2 * 20, 96);
    XSync(d, False);
    pause_ms(200);
    XEvent old;
    while (XCheckTypedWindowEvent(d, win, ConfigureNotify, &old)) {
    }
    XWindowAttributes a;
    XGetWindowAttributes(d, win, &a);
    /* The flood comes from a connection of its own, whose answers nobody reads. */
    Display* f = XOpenDisplay(NULL);
    Window requestor = XCreateSimpleWindow(f, DefaultRootWindow(f), 0, 0, 1, 1, 0, 0, 0);
    Atom clipboard = XInternAtom(f, "CLIPBOARD", False);
    Atom targets = XInternAtom(f, "TARGETS", False);
    Atom property = XInternAtom(f, "MENU_LATENCY", False);
    for (int r = 0; r < flood; r++) {
      XConvertSelection(f, clipboard, targets, property, requestor, CurrentTime);
      if (r % 1000 == 999) XFlush(f);
    }
    XSync(f, False);
    key(d, XK_v, 1);
    KeyCode s = XKeysymToKeycode(d, XK_s);
    XTestFakeKeyEvent(d, s, True, 0);
    XTestFakeKeyEvent(d, s, False, 0);
    XFlush(d);
    double t0 = now_us();
    for (;;) {
      XEvent ev;
      if (XCheckTypedWindowEvent(d, win, ConfigureNotify, &ev)) {
        if (ev.xconfigure.width == a.width && ev.xconfigure.height == a.height) continue;
        lat[got++] = now_us() - t0;
        break;
      }
      if (now_us() - t0 > 20e6) {
        miss++;
        break;
      }
      struct pollfd p = {ConnectionNumber(d), POLLIN, 0};
      poll(&p, 1, 2);
    }
    XCloseDisplay(f);
  }
  if (!got) {
    printf("no resize\n");
    return 1;
  }
  FILE* f = fopen(argv[4], "a");
  for (int i = 0; i < got; i++) fprintf(f, "%.1f\n", lat[i]);
  fclose(f);
  qsort(lat, got, sizeof *lat, cmp);
  printf("flood %d shrinks %d misses %d median %.0f p90 %.0f\n", flood, got, miss, lat[got / 2],
         lat[got * 9 / 10]);
  return 0;
}
