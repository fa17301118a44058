// The benchmarks' clock (seconds from the performance counter) and message pump.
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

// Dispatches everything queued, paints included.
inline void BenchPump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}
