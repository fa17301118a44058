// The benchmarks' clock: seconds from the performance counter.
#pragma once
#include <windows.h>

inline double BenchSeconds()
{
    static LARGE_INTEGER freq = {};
    if (!freq.QuadPart) ::QueryPerformanceFrequency(&freq);
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)freq.QuadPart;
}
