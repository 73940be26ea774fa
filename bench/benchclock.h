/* benchclock.h - the clock and the median every benchmark under bench/ reports
 * with: milliseconds from the performance counter, and the median of repeats
 * (these machines are shared and noisy, so single runs say little). */
#ifndef ZENVRIX_BENCHCLOCK_H
#define ZENVRIX_BENCHCLOCK_H

#include <windows.h>

#include <algorithm>
#include <vector>

inline double Now(void)
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

inline double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

#endif
