#include "check/CheckTrace.h"
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>
#include <string>

namespace {
int g_depth = 0;
bool g_on = false;
std::wstring g_pending;
const size_t kFlushAt = 256 * 1024;  // characters

HANDLE StdoutHandle()
{
    int fd = _fileno(stdout);
    return fd < 0 ? INVALID_HANDLE_VALUE : (HANDLE)_get_osfhandle(fd);
}

bool SomeoneReads()
{
    HANDLE h = StdoutHandle();
    // -2: the run-time library's mark for a standard stream that a windowed program was started without.
    return h != INVALID_HANDLE_VALUE && h != NULL && h != (HANDLE)(LONG_PTR)-2;
}

void FlushAtExit() { CCheckTrace::Flush(); }
}  // namespace

CCheckTrace::Scope::Scope()
{
    if (g_depth++ == 0) {
        static bool registered = false;
        if (!registered) registered = atexit(FlushAtExit) == 0;
        g_on = SomeoneReads();
    }
}

CCheckTrace::Scope::~Scope()
{
    if (--g_depth == 0) {
        Flush();
        g_on = false;
    }
}

bool CCheckTrace::On() { return g_on; }

void CCheckTrace::Line(const wchar_t* format, ...)
{
    if (!g_on) return;
    wchar_t small[512];
    va_list args;
    va_start(args, format);
    int n = _vsnwprintf(small, 512, format, args);
    va_end(args);
    if (n >= 0 && n < 512) {
        g_pending.append(small, n);
    } else {
        // Longer than the small buffer (a long value name): grow until it fits.
        for (size_t size = 1024; size <= 1024 * 1024; size *= 2) {
            std::wstring big(size, L'\0');
            va_start(args, format);
            n = _vsnwprintf(&big[0], size, format, args);
            va_end(args);
            if (n >= 0 && (size_t)n < size) {
                g_pending.append(big, 0, n);
                break;
            }
        }
    }
    if (g_pending.size() >= kFlushAt) Flush();
}

void CCheckTrace::Text(const std::wstring& text)
{
    if (!g_on || text.empty()) return;
    g_pending += text;
    if (g_pending.size() >= kFlushAt) Flush();
}

void CCheckTrace::Flush()
{
    if (g_pending.empty()) return;
    std::wstring text;
    text.swap(g_pending);
    fflush(stdout);
    HANDLE h = StdoutHandle();
    DWORD consoleMode = 0, done = 0;
    if (h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &consoleMode)) {
        ::WriteConsoleW(h, text.data(), (DWORD)text.size(), &done, NULL);
        return;
    }
    // UTF-8, with the line ends the stream would have written (CR LF in text mode), in one write
    // straight to the stream's handle: the run-time library would write a stream that is not buffered
    // (a device such as NUL) in small pieces.
    int fd = _fileno(stdout);
    int mode = fd >= 0 ? _setmode(fd, _O_BINARY) : -1;
    if (mode != -1) _setmode(fd, mode);
    bool crlf = mode != _O_BINARY;
    static std::string bytes;
    bytes.clear();
    bytes.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size();) {
        wchar_t c = text[i];
        if (c < 0x80) {
            if (c == L'\n' && crlf) bytes += '\r';
            bytes += (char)c;
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && text[end] >= 0x80) ++end;
        int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data() + i, (int)(end - i), NULL, 0, NULL, NULL);
        if (n > 0) {
            size_t at = bytes.size();
            bytes.resize(at + n);
            ::WideCharToMultiByte(CP_UTF8, 0, text.data() + i, (int)(end - i), &bytes[at], n, NULL, NULL);
        }
        i = end;
    }
    if (h == INVALID_HANDLE_VALUE || !::WriteFile(h, bytes.data(), (DWORD)bytes.size(), &done, NULL)) {
        fwrite(bytes.data(), 1, bytes.size(), stdout);
        fflush(stdout);
    }
}
