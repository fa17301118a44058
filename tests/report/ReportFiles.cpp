#include "ReportFiles.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>

namespace {
void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring n = fd.cFileName;
            if (n == L"." || n == L"..") continue;
            std::wstring full = path + L"\\" + n;
            ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
            else ::DeleteFileW(full.c_str());
        } while (::FindNextFileW(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryW(path.c_str());
}
}  // namespace

TempFolder::TempFolder(const wchar_t* name)
{
    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    path = std::wstring(tmp) + name;
    RemoveTree(path);
    ::CreateDirectoryW(path.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path); }

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    FILE* f = _wfopen(path.c_str(), L"wb");
    ASSERT_TRUE(f != nullptr);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::vector<std::wstring> FilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring n = fd.cFileName;
        if (n != L"." && n != L"..") names.push_back(n);
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

ProgramRun RunReport(const std::wstring& args)
{
    EXPECT_FALSE(BuiltProgram(L"netvetter-report.exe").empty()) << "netvetter-report.exe is not built";
    return RunBuiltProgram(L"netvetter-report.exe", args);
}

FileHolder::FileHolder(const std::wstring& path, DWORD share) : m_path(path), m_share(share) {}

FileHolder::~FileHolder()
{
    if (m_process) Finish();
    if (m_ready) ::CloseHandle(m_ready);
    if (m_done) ::CloseHandle(m_done);
}

bool FileHolder::Open()
{
    wchar_t ready[64], done[64], self[MAX_PATH];
    swprintf(ready, 64, L"nv_holder_ready_%lu", ::GetCurrentProcessId());
    swprintf(done, 64, L"nv_holder_done_%lu", ::GetCurrentProcessId());
    m_ready = ::CreateEventW(nullptr, TRUE, FALSE, ready);
    m_done = ::CreateEventW(nullptr, TRUE, FALSE, done);
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring exe = self;
    exe = exe.substr(0, exe.rfind(L'\\')) + L"\\nv_holder.exe";
    wchar_t flags[16];
    swprintf(flags, 16, L"%lx", m_share);
    std::wstring cmd = L"\"" + exe + L"\" \"" + m_path + L"\" " + flags + L" " + ready + L" " + done;
    STARTUPINFOW si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    ::CloseHandle(pi.hThread);
    m_process = pi.hProcess;
    HANDLE both[2] = {m_ready, m_process};
    // Ready with the file open; a holder that ended at once could not open it.
    return ::WaitForMultipleObjects(2, both, FALSE, 30000) == WAIT_OBJECT_0 &&
           ::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

DWORD FileHolder::Finish()
{
    if (!m_process) return 0xFFFFFFFF;
    ::SetEvent(m_done);
    ::WaitForSingleObject(m_process, 30000);
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(m_process, &code);
    ::CloseHandle(m_process);
    m_process = nullptr;
    return code;
}
