/* What the latency probes share: the clock, the ordering, and the watcher they start. */
#ifndef VEXA_BENCH_CLOCK_H
#define VEXA_BENCH_CLOCK_H

#include <time.h>
#include <unistd.h>

/* Microseconds on the monotonic clock. */
static inline double now_us(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

/* qsort's comparison of two doubles, for medians and percentiles. */
static inline int cmp(const void* a, const void* b) {
  double x = *(const double*)a, y = *(const double*)b;
  return x < y ? -1 : x > y;
}

/* Starts argv[0] with its standard output on a pipe; the pipe's read end, or -1. */
static inline int start_with_output(char* const* argv, pid_t* child) {
  int out[2];
  if (pipe(out)) return -1;
  *child = fork();
  if (*child == 0) {
    dup2(out[1], 1);
    close(out[0]);
    execvp(argv[0], argv);
    _exit(127);
  }
  close(out[1]);
  return out[0];
}

#endif
