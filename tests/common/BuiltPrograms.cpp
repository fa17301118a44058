#include "BuiltPrograms.h"
#include <algorithm>
#include <cstdio>

std::wstring BuiltProgram(const wchar_t* name)
{
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring exe = self;
    for (int up = 0; up < 3; ++up) exe = exe.substr(0, exe.rfind(L'\\'));
    exe += std::wstring(L"\\") + name;
    return ::GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES ? std::wstring() : exe;
}

static std::wstring TempFile(const wchar_t* name)
{
    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    return std::wstring(tmp) + name;
}

static PROCESS_INFORMATION Start(const wchar_t* name, const std::wstring& args, HANDLE out, HANDLE err)
{
    PROCESS_INFORMATION pi = {};
    std::wstring exe = BuiltProgram(name);
    if (exe.empty()) return pi;
    STARTUPINFOW si = {sizeof(si)};
    if (out) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = out;
        si.hStdError = err;
    }
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    if (!::CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, out != nullptr, 0, nullptr, nullptr, &si, &pi))
        pi = PROCESS_INFORMATION();
    return pi;
}

ProgramRun RunBuiltProgram(const wchar_t* name, const std::wstring& args)
{
    ProgramRun r;
    std::wstring outPath = TempFile(L"nv_program_out.txt"), errPath = TempFile(L"nv_program_err.txt");
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE out = ::CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = ::CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    PROCESS_INFORMATION pi = Start(name, args, out, err);
    if (pi.hProcess) {
        ::WaitForSingleObject(pi.hProcess, 60000);
        ::GetExitCodeProcess(pi.hProcess, &r.exitCode);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    ::CloseHandle(out);
    ::CloseHandle(err);
    // Standard output is in text mode: lines end in CR LF there.
    r.out = ReadFileBytes(outPath);
    r.err = ReadFileBytes(errPath);
    for (std::string* s : {&r.out, &r.err}) s->erase(std::remove(s->begin(), s->end(), '\r'), s->end());
    return r;
}

HANDLE StartBuiltProgram(const wchar_t* name, const std::wstring& args, DWORD* processId)
{
    PROCESS_INFORMATION pi = Start(name, args, nullptr, nullptr);
    *processId = pi.dwProcessId;
    if (pi.hThread) ::CloseHandle(pi.hThread);
    return pi.hProcess;
}

std::wstring SourceRoot()
{
    std::string f = __FILE__;
    for (char& c : f)
        if (c == '/') c = '\\';
    f = f.substr(0, f.rfind("\\tests\\common\\"));
    std::wstring w(f.begin(), f.end());
    if (w[0] == L'\\') return L"Z:" + w;
    if (w.size() > 1 && w[1] == L':') return w;
    // A relative path (ccache compiles with paths relative to the tests' build folder, where the test
    // executables also are) is taken from there.
    wchar_t self[MAX_PATH], full[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    dir = dir.substr(0, dir.rfind(L'\\'));
    return ::GetFullPathNameW((dir + L"\\" + w).c_str(), MAX_PATH, full, nullptr) ? std::wstring(full) : dir + L"\\" + w;
}

std::vector<std::wstring> SampleSnapshots()
{
    std::wstring folder = SourceRoot() + L"\\tools\\samples\\";
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((folder + L"*.snapshot").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return found;
    do found.push_back(folder + fd.cFileName);
    while (::FindNextFileW(h, &fd));
    ::FindClose(h);
    std::sort(found.begin(), found.end());
    return found;
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::string s;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return s;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0) s.append(buf, n);
    fclose(f);
    return s;
}

std::string Utf8(const std::wstring& w)
{
    int n = ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n : 0, '\0');
    if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), &s[0], n, nullptr, nullptr);
    return s;
}
