#include "framework/AfxSystemLibrary.h"
#include <string>

BOOL AfxRestrictLibrarySearch()
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
    const DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    SetDefaultDllDirectoriesFn fn =
        kernel ? (SetDefaultDllDirectoriesFn)(void*)::GetProcAddress(kernel, "SetDefaultDllDirectories") : NULL;
    return fn ? fn(kSearchSystem32) : FALSE;
}

HMODULE AfxLoadSystemLibrary(LPCWSTR fileName)
{
    WCHAR folder[MAX_PATH + 1];
    UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || !fileName || !*fileName)
        return NULL;
    std::wstring path(folder, n);
    if (path[path.size() - 1] != L'\\') path += L'\\';
    path += fileName;
    // Its own imports are then looked for beside it, in the system folder, too.
    return ::LoadLibraryExW(path.c_str(), NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}
