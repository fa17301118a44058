#include "check/CheckedSystem.h"
#include <stdio.h>
#include <vector>

std::wstring CheckedComputerName(IProbes& probes)
{
    // MAX_COMPUTERNAME_LENGTH is 15 for NetBIOS names; a longer answer is taken as the system sizes it.
    std::vector<WCHAR> name(MAX_COMPUTERNAME_LENGTH + 1);
    DWORD size = (DWORD)name.size();
    if (!probes.GetComputerNameW(&name[0], &size)) {
        if (probes.GetLastError() != ERROR_BUFFER_OVERFLOW || size <= name.size() || size > 0x10000)
            return std::wstring();
        name.resize(size);
        if (!probes.GetComputerNameW(&name[0], &size)) return std::wstring();
    }
    return std::wstring(&name[0], size < name.size() ? size : name.size() - 1);
}

std::wstring IsoUtcText(const SYSTEMTIME& t)
{
    if (t.wYear == 0) return std::wstring();
    wchar_t buf[32];
    swprintf(buf, 32, L"%04u-%02u-%02uT%02u:%02u:%02uZ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return buf;
}

std::wstring CheckedAtText(IProbes& probes)
{
    SYSTEMTIME t = {};
    probes.GetSystemTime(&t);
    return IsoUtcText(t);
}

bool ParseIsoUtc(const std::wstring& s, SYSTEMTIME& time)
{
    // yyyy-mm-ddThh:mm:ssZ
    static const wchar_t shape[] = L"0000-00-00T00:00:00Z";
    if (s.size() != 20) return false;
    for (size_t i = 0; i < 20; ++i) {
        if (shape[i] == L'0' ? (s[i] < L'0' || s[i] > L'9') : s[i] != shape[i]) return false;
    }
    auto num = [&](size_t at, size_t n) {
        int v = 0;
        for (size_t i = 0; i < n; ++i) v = v * 10 + (s[at + i] - L'0');
        return v;
    };
    SYSTEMTIME t = {};
    t.wYear = (WORD)num(0, 4);
    t.wMonth = (WORD)num(5, 2);
    t.wDay = (WORD)num(8, 2);
    t.wHour = (WORD)num(11, 2);
    t.wMinute = (WORD)num(14, 2);
    t.wSecond = (WORD)num(17, 2);
    // The system checks the calendar (month lengths, leap years) and the clock.
    FILETIME ft;
    if (t.wYear < 1601 || !::SystemTimeToFileTime(&t, &ft)) return false;
    time = t;
    return true;
}
