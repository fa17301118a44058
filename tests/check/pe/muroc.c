/* Stand-in for the PROSet utility's interface library. It reports the interface version that the
   test puts in NV_TEST_MUROC_VERSION (hexadecimal; 0xA0005 when unset) and, when loaded, records its
   own path in NV_TEST_MUROC_LOADED so that the test can tell which copy the search found. */
#include <windows.h>
#include <wchar.h>

BOOL WINAPI DllMain(HINSTANCE h, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        WCHAR self[MAX_PATH + 1];
        DWORD n = GetModuleFileNameW(h, self, MAX_PATH);
        self[n < MAX_PATH ? n : MAX_PATH] = 0;
        SetEnvironmentVariableW(L"NV_TEST_MUROC_LOADED", self);
    }
    return TRUE;
}

void __stdcall GetAPIVersion(DWORD* version)
{
    WCHAR text[32];
    DWORD n = GetEnvironmentVariableW(L"NV_TEST_MUROC_VERSION", text, 32);
    *version = (n > 0 && n < 32) ? (DWORD)wcstoul(text, NULL, 16) : 0xA0005;
}
