// Text helpers the recorded-system files share: case folding as the registry and the file system
// compare names, trimming of setting lines, and formatting into a line.
#pragma once
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string>

namespace recorded_text {

inline std::wstring Upper(std::wstring s)
{
    if (!s.empty()) ::CharUpperBuffW(&s[0], (DWORD)s.size());
    return s;
}

inline std::wstring Trim(const std::wstring& s)
{
    size_t a = s.find_first_not_of(L" \t");
    if (a == std::wstring::npos) return std::wstring();
    size_t z = s.find_last_not_of(L" \t");
    return s.substr(a, z - a + 1);
}

inline std::wstring Fmt(const wchar_t* fmt, ...)
{
    wchar_t buf[1024];
    va_list a;
    va_start(a, fmt);
    _vsnwprintf(buf, 1023, fmt, a);
    va_end(a);
    buf[1023] = 0;
    return buf;
}

}  // namespace recorded_text
