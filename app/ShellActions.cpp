#include "app/ShellActions.h"
#include <shellapi.h>
#include <string>

namespace {
class RealShellActions : public IShellActions {
public:
    void OpenDocument(LPCWSTR address) override
    {
        ::ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOW);
    }

    void StartProgram(LPCWSTR path) override
    {
        // The file is named separately from the (quoted) command line, so that a folder with blanks
        // such as "C:\Program Files\..." cannot make Windows start "C:\Program.exe" instead; we run
        // as administrator.
        std::wstring cmd = L"\"" + std::wstring(path) + L"\"";
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_SHOW;
        PROCESS_INFORMATION pi = {};
        if (::CreateProcessW(path, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            ::CloseHandle(pi.hThread);
            ::CloseHandle(pi.hProcess);
        }
    }
};

RealShellActions g_real;
IShellActions* g_current = &g_real;
}

IShellActions& GetShellActions() { return *g_current; }

IShellActions* SetShellActions(IShellActions* actions)
{
    IShellActions* old = g_current;
    g_current = actions ? actions : &g_real;
    return old;
}
