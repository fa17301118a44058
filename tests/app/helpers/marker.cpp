// Stands in for a program the dialog starts: leaves "<its own path>.ran" holding its command line,
// so a test can tell exactly which file Windows ran.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    wchar_t path[MAX_PATH + 8];
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    lstrcatW(path, L".ran");
    HANDLE f = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 1;
    LPCWSTR cmd = ::GetCommandLineW();
    DWORD written = 0;
    ::WriteFile(f, cmd, (DWORD)(lstrlenW(cmd) * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(f);
    return 0;
}
