// Everything the check knows of the running Windows system comes through this surface. One backend
// makes the real calls (RealProbes); another replays a recorded system (RecordedProbes), so that every
// rule of the check can be exercised with exact data.
#pragma once
#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

// {AD498944-762F-11D0-8DCB-00C04FC3358C}: the NDIS LAN device interface class.
extern const GUID GUID_NDIS_LAN_CLASS_PROBE;

class IProbes {
public:
    virtual ~IProbes() {}

    // Device set-up and properties.
    virtual HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags) = 0;
    virtual BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data) = 0;
    virtual BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                                   PDWORD regDataType, PBYTE buffer, DWORD bufferSize,
                                                   PDWORD requiredSize) = 0;
    virtual BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO set, PSP_DEVINFO_DATA data, PWSTR buffer, DWORD bufferSize,
                                             PDWORD requiredSize) = 0;
    virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) = 0;
    virtual CONFIGRET CM_Get_DevNode_Status(PULONG status, PULONG problemNumber, DEVINST devInst, ULONG flags) = 0;
    // The error code of the last failed call of this surface (GetLastError for the real one).
    virtual DWORD GetLastError() = 0;

    // Registry. Keys are opened by full path under HKEY_LOCAL_MACHINE.
    virtual LONG RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD options, REGSAM sam, PHKEY result) = 0;
    virtual LONG RegQueryInfoKeyW(HKEY key, LPWSTR cls, LPDWORD clsLen, LPDWORD reserved, LPDWORD subKeys,
                                  LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen,
                                  LPDWORD maxValueLen, LPDWORD securityDescriptor, PFILETIME lastWrite) = 0;
    virtual LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLen, LPDWORD reserved, LPDWORD type,
                               LPBYTE data, LPDWORD dataLen) = 0;
    virtual LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLen, LPDWORD reserved, LPWSTR cls,
                               LPDWORD clsLen, PFILETIME lastWrite) = 0;
    virtual LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                  LPDWORD dataLen) = 0;
    virtual LONG RegCloseKey(HKEY key) = 0;

    // File versions.
    virtual DWORD GetFileVersionInfoSizeW(LPCWSTR path, LPDWORD handle) = 0;
    virtual BOOL GetFileVersionInfoW(LPCWSTR path, DWORD handle, DWORD len, LPVOID data) = 0;
    virtual BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT len) = 0;

    // Modules.
    virtual HMODULE LoadLibraryW(LPCWSTR name) = 0;
    virtual HMODULE LoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags) = 0;
    virtual FARPROC GetProcAddress(HMODULE module, LPCSTR procName) = 0;
    virtual BOOL FreeLibrary(HMODULE module) = 0;
    virtual HMODULE GetModuleHandleW(LPCWSTR name) = 0;
    virtual DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) = 0;
    // Takes the current directory out of the library search where the system offers it; FALSE where not.
    virtual BOOL SetDllDirectoryW(LPCWSTR path) = 0;

    // System.
    virtual BOOL GetVersionExW(LPOSVERSIONINFOW info) = 0;
    // Both looked up by name in kernel32.dll: null where the system lacks them.
    virtual BOOL (WINAPI* GetIsWow64Process())(HANDLE, PBOOL) = 0;
    virtual void (WINAPI* GetGetNativeSystemInfo())(LPSYSTEM_INFO) = 0;
    virtual HANDLE GetCurrentProcess() = 0;
    virtual UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size) = 0;
    virtual HRESULT SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path) = 0;
    virtual BOOL PathAppendW(LPWSTR path, LPCWSTR more) = 0;
    // File-system redirection of a 32-bit process on 64-bit Windows, for this thread. Both looked up by
    // name in kernel32.dll: where they are absent (32-bit XP) nothing is redirected and they fail.
    virtual BOOL Wow64DisableWow64FsRedirection(PVOID* oldValue) = 0;
    virtual BOOL Wow64RevertWow64FsRedirection(PVOID oldValue) = 0;

    // The computer's name as %COMPUTERNAME% shows it, and the time (UTC) of the check. A recorded system
    // made before these were recorded has neither: the name fails with ERROR_FILE_NOT_FOUND and the
    // time is all zeros.
    virtual BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size) = 0;
    virtual void GetSystemTime(LPSYSTEMTIME time) = 0;

    // Run-time library.
    virtual wchar_t* _wgetcwd(wchar_t* buffer, int maxLen) = 0;
    virtual int _wchdir(const wchar_t* dir) = 0;
};
