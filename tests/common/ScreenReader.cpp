#include "ScreenReader.h"
#include <cstdio>

namespace {
std::wstring Beside(const wchar_t* name)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    return dir.substr(0, dir.rfind(L'\\') + 1) + name;
}

std::wstring TempFile()
{
    wchar_t dir[MAX_PATH], file[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    ::GetTempFileNameW(dir, L"acc", 0, file);
    return file;
}

HANDLE Launch(HWND hWnd, const std::wstring& out, const std::vector<std::wstring>& commands)
{
    std::wstring line = L"\"" + Beside(L"nv_accreader.exe") + L"\" \"" + out + L"\" " +
                        std::to_wstring((unsigned long long)(UINT_PTR)hWnd);
    for (const std::wstring& c : commands) line += L" " + c;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
    ::CloseHandle(pi.hThread);
    return pi.hProcess;
}

// Waits for the handle while dispatching this thread's messages; false on timeout.
bool WaitPumping(HANDLE h, DWORD ms)
{
    const DWORD end = ::GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        int left = (int)(end - ::GetTickCount());
        if (left <= 0) return false;
        if (::MsgWaitForMultipleObjects(1, &h, FALSE, (DWORD)left, QS_ALLINPUT) == WAIT_OBJECT_0) return true;
    }
}

std::vector<std::string> ReadLines(const std::wstring& path)
{
    std::vector<std::string> lines;
    FILE* f = _wfopen(path.c_str(), L"r");
    if (!f) return lines;
    char buf[4096];
    while (fgets(buf, sizeof buf, f)) {
        std::string s(buf);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
        lines.push_back(s);
    }
    fclose(f);
    return lines;
}

std::vector<std::string> Finish(HANDLE process, const std::wstring& out)
{
    bool done = WaitPumping(process, 60000);
    if (!done) ::TerminateProcess(process, 1);
    ::CloseHandle(process);
    std::vector<std::string> lines = ReadLines(out);
    ::DeleteFileW(out.c_str());
    if (!done) lines.push_back("timeout");
    return lines;
}
}

std::vector<std::string> ReadAccessibly(HWND hWnd, const std::vector<std::wstring>& commands)
{
    std::wstring out = TempFile();
    HANDLE process = Launch(hWnd, out, commands);
    if (!process) return {"not started"};
    return Finish(process, out);
}

bool EventListener::Start(HWND hWnd)
{
    std::wstring base = L"nv_accreader_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                        std::to_wstring(::GetTickCount());
    m_ready = ::CreateEventW(nullptr, TRUE, FALSE, (base + L"_ready").c_str());
    m_stop = ::CreateEventW(nullptr, TRUE, FALSE, (base + L"_stop").c_str());
    m_out = TempFile();
    m_process = Launch(hWnd, m_out, {L"events", base + L"_ready", base + L"_stop"});
    if (!m_process) return false;
    HANDLE both[2] = {m_ready, m_process};
    // Ready, not ended: the hook is in place.
    const DWORD end = ::GetTickCount() + 60000;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        int left = (int)(end - ::GetTickCount());
        if (left <= 0) return false;
        DWORD r = ::MsgWaitForMultipleObjects(2, both, FALSE, (DWORD)left, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) {
            // Wine tells a thread of new hooks only with a message it takes from its queue; events
            // raised before that would not be passed on.
            ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            return true;
        }
        if (r == WAIT_OBJECT_0 + 1) return false;
    }
}

bool EventListener::WaitUntilHeard(const std::string& kind, const std::string& detail, size_t count, DWORD ms)
{
    const DWORD end = ::GetTickCount() + ms;
    for (;;) {
        size_t heard = 0;
        for (const std::string& line : ReadLines(m_out)) {
            std::vector<std::string> e = Fields(line);
            if (e.size() > 2 && e[1] == kind && e[2] == detail) ++heard;
        }
        if (heard >= count) return true;
        if ((int)(end - ::GetTickCount()) <= 0 || !m_process) return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

std::vector<std::string> EventListener::Stop()
{
    if (!m_process) return {"not started"};
    ::SetEvent(m_stop);
    HANDLE process = m_process;
    m_process = nullptr;
    return Finish(process, m_out);
}

EventListener::~EventListener()
{
    if (m_process) {
        ::TerminateProcess(m_process, 1);
        ::CloseHandle(m_process);
        ::DeleteFileW(m_out.c_str());
    }
    if (m_ready) ::CloseHandle(m_ready);
    if (m_stop) ::CloseHandle(m_stop);
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> f;
    size_t start = 0;
    for (;;) {
        size_t bar = line.find('|', start);
        f.push_back(line.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) return f;
        start = bar + 1;
    }
}
