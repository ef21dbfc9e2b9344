/* The clock and the ordering the latency probes share. */
#ifndef VEXA_BENCH_CLOCK_H
#define VEXA_BENCH_CLOCK_H

#include <time.h>

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

#endif
