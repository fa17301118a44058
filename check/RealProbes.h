// The probe surface over the running Windows system: every call goes straight to Windows.
#pragma once
#include "check/probes.h"

class RealProbes : public IProbes {
public:
    HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags) override;
    BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data) override;
    BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property, PDWORD regDataType,
                                           PBYTE buffer, DWORD bufferSize, PDWORD requiredSize) override;
    BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO set, PSP_DEVINFO_DATA data, PWSTR buffer, DWORD bufferSize,
                                     PDWORD requiredSize) override;
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;
    CONFIGRET CM_Get_DevNode_Status(PULONG status, PULONG problemNumber, DEVINST devInst, ULONG flags) override;
    DWORD GetLastError() override;

    LONG RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD options, REGSAM sam, PHKEY result) override;
    LONG RegQueryInfoKeyW(HKEY key, LPWSTR cls, LPDWORD clsLen, LPDWORD reserved, LPDWORD subKeys,
                          LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen,
                          LPDWORD maxValueLen, LPDWORD securityDescriptor, PFILETIME lastWrite) override;
    LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLen, LPDWORD reserved, LPDWORD type,
                       LPBYTE data, LPDWORD dataLen) override;
    LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLen, LPDWORD reserved, LPWSTR cls,
                       LPDWORD clsLen, PFILETIME lastWrite) override;
    LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                          LPDWORD dataLen) override;
    LONG RegCloseKey(HKEY key) override;

    DWORD GetFileVersionInfoSizeW(LPCWSTR path, LPDWORD handle) override;
    BOOL GetFileVersionInfoW(LPCWSTR path, DWORD handle, DWORD len, LPVOID data) override;
    BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT len) override;

    HMODULE LoadLibraryW(LPCWSTR name) override;
    HMODULE LoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags) override;
    FARPROC GetProcAddress(HMODULE module, LPCSTR procName) override;
    BOOL FreeLibrary(HMODULE module) override;
    HMODULE GetModuleHandleW(LPCWSTR name) override;
    DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) override;
    BOOL SetDllDirectoryW(LPCWSTR path) override;

    BOOL GetVersionExW(LPOSVERSIONINFOW info) override;
    BOOL (WINAPI* GetIsWow64Process())(HANDLE, PBOOL) override;
    void (WINAPI* GetGetNativeSystemInfo())(LPSYSTEM_INFO) override;
    HANDLE GetCurrentProcess() override;
    UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size) override;
    HRESULT SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path) override;
    BOOL PathAppendW(LPWSTR path, LPCWSTR more) override;
    BOOL Wow64DisableWow64FsRedirection(PVOID* oldValue) override;
    BOOL Wow64RevertWow64FsRedirection(PVOID oldValue) override;

    BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size) override;
    void GetSystemTime(LPSYSTEMTIME time) override;

    wchar_t* _wgetcwd(wchar_t* buffer, int maxLen) override;
    int _wchdir(const wchar_t* dir) override;
};
