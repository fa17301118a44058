// The probe surface over a recorded system: devices, a registry tree, version blocks of files, OS facts
// and loadable libraries, all held as plain data. It answers the check's calls the way Windows does
// where the check relies on it (error codes, sizes, enumeration ends), so that a system captured on
// one machine can be replayed anywhere and a hand-written one can exercise every rule of the check.
#pragma once
#include "check/probes.h"
#include <map>
#include <memory>
#include <string>
#include <vector>

// One typed registry value or device property: raw bytes exactly as the registry holds them.
struct RecordedValue {
    std::wstring name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;

    static RecordedValue String(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ);
    static RecordedValue MultiString(const std::wstring& name, const std::vector<std::wstring>& items);
    static RecordedValue Dword(const std::wstring& name, DWORD value);
};

struct RecordedKey {
    std::wstring name;                    // last path component, in its recorded case
    std::vector<RecordedValue> values;    // in insertion order: the order RegEnumValueW serves them
    std::vector<std::wstring> subKeys;    // names in insertion order
};

struct RecordedDevice {
    std::map<DWORD, RecordedValue> properties;  // by SPDRP_ code; absent ones fail with ERROR_INVALID_DATA
    bool hasInstanceId = false;
    std::wstring instanceId;
    CONFIGRET nodeResult = CR_SUCCESS;          // what CM_Get_DevNode_Status returns
    ULONG nodeStatus = DN_DRIVER_LOADED | DN_STARTED;
    ULONG problem = 0;
};

struct RecordedFile {
    std::wstring path;
    bool hasVersion = false;  // a file without a version block: size 0
    DWORD fileVersionMS = 0, fileVersionLS = 0, productVersionMS = 0, productVersionLS = 0;
};

struct RecordedLibrary {
    std::wstring path;         // a full path, or a bare file name
    bool onSearchPath = true;  // found by LoadLibraryW with its bare file name
    bool hasGetAPIVersion = false;
    DWORD apiVersion = 0;      // what GetAPIVersion writes
};

struct RecordedOs {
    DWORD major = 6, minor = 1, build = 7601, platformId = VER_PLATFORM_WIN32_NT;
    std::wstring csdVersion;
    WORD servicePackMajor = 0, servicePackMinor = 0, suiteMask = 0;
    BYTE productType = VER_NT_WORKSTATION;
    enum Wow64 { Wow64Absent, Wow64No, Wow64Yes, Wow64Fails };
    Wow64 wow64 = Wow64No;
    bool hasNativeSystemInfo = true;
    WORD nativeArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
    std::wstring windowsDirectory = L"C:\\WINDOWS";
    std::wstring systemDirectory = L"C:\\WINDOWS\\system32";
    // The computer's name and the time of the capture; empty and all zeros in older recordings.
    std::wstring computerName;
    SYSTEMTIME checkedAt = {};
};

class RecordedProbes : public IProbes {
public:
    RecordedProbes();
    ~RecordedProbes() override;

    // The recorded system. Fill these directly or through the snapshot loader.
    std::vector<RecordedDevice> devices;
    std::vector<RecordedFile> files;
    std::vector<RecordedLibrary> libraries;
    RecordedOs os;
    std::wstring modulePath = L"C:\\Program Files\\Netvetter\\netvetter.exe";
    std::wstring currentDirectory = L"C:\\";
    std::wstring listFile;  // the supported-adapter list to use with this system; empty: beside the program

    // Registry content. Paths are full ("HKEY_LOCAL_MACHINE\\SOFTWARE\\..."; HKLM and the other short
    // root names are accepted), matched without regard to case, doubled backslashes counting as one.
    // Each call costs the length of its path (and a logarithm of the key's size), so that loading a
    // recorded system is linear in its size.
    RecordedKey& AddKey(const std::wstring& fullPath);
    void SetValue(const std::wstring& keyPath, const RecordedValue& value);  // replaces a same-named one
    bool DeleteKey(const std::wstring& fullPath);                            // with all below it
    bool DeleteValue(const std::wstring& keyPath, const std::wstring& name);
    // The same on a key that AddKey returned (no path to walk).
    void SetValue(RecordedKey& key, const RecordedValue& value);
    bool DeleteValue(RecordedKey& key, const std::wstring& name);
    const RecordedKey* FindKey(const std::wstring& fullPath) const;
    static std::wstring NormalizeKeyPath(const std::wstring& path);  // upper case, root spelt out, single '\'
    // The key path a 32-bit process opens below root for subKey with these access flags.
    std::wstring RegistryView(HKEY root, const std::wstring& subKey, REGSAM sam);

    // What the tests look at: handles still open.
    int OpenKeyCount() const { return (int)m_openKeys.size(); }
    std::vector<std::wstring> OpenKeyPaths() const;
    int OpenDeviceSetCount() const { return (int)m_openSets.size(); }
    int LoadedLibraryCount() const;
    std::wstring DllDirectory() const { return m_dllDirectory; }

    // IProbes.
    HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags) override;
    BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data) override;
    BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property, PDWORD regDataType,
                                           PBYTE buffer, DWORD bufferSize, PDWORD requiredSize) override;
    BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO set, PSP_DEVINFO_DATA data, PWSTR buffer, DWORD bufferSize,
                                     PDWORD requiredSize) override;
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;
    CONFIGRET CM_Get_DevNode_Status(PULONG status, PULONG problemNumber, DEVINST devInst, ULONG flags) override;
    DWORD GetLastError() override { return m_lastError; }

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
    BOOL Wow64DisableWow64FsRedirection(PVOID* oldValue) override;
    BOOL Wow64RevertWow64FsRedirection(PVOID oldValue) override;

    BOOL GetVersionExW(LPOSVERSIONINFOW info) override;
    BOOL (WINAPI* GetIsWow64Process())(HANDLE, PBOOL) override;
    void (WINAPI* GetGetNativeSystemInfo())(LPSYSTEM_INFO) override;
    HANDLE GetCurrentProcess() override { return (HANDLE)(LONG_PTR)-1; }
    UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size) override;
    HRESULT SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path) override;
    BOOL PathAppendW(LPWSTR path, LPCWSTR more) override;

    BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size) override;
    void GetSystemTime(LPSYSTEMTIME time) override { *time = os.checkedAt; }

    wchar_t* _wgetcwd(wchar_t* buffer, int maxLen) override;
    int _wchdir(const wchar_t* dir) override;

    // A version block laid out as GetFileVersionInfoW returns it (VS_VERSIONINFO with a fixed part).
    static std::vector<BYTE> MakeVersionBlock(const RecordedFile& file);
    static std::wstring NormalizeFilePath(const std::wstring& path);  // upper case, single '\'

private:
    RecordedProbes(const RecordedProbes&) = delete;
    RecordedProbes& operator=(const RecordedProbes&) = delete;

    struct Node;
    Node* Walk(Node* from, const std::wstring& path, bool create);
    Node* RootOf(HKEY root, bool create);
    Node* KeyOfHandle(HKEY key, LONG& error);
    static void Settle(Node& node);
    static std::wstring PathOf(const Node* node);
    const RecordedDevice* DeviceOf(HDEVINFO set, PSP_DEVINFO_DATA data);
    const RecordedFile* FindFile(LPCWSTR path) const;
    int FindLibrary(LPCWSTR name, bool bareSearch) const;
    bool FolderExists(const std::wstring& path) const;

    // Every key ever created, deleted ones included (an open handle may still point at one); the
    // roots by their long upper-case names.
    std::vector<std::unique_ptr<Node>> m_nodes;
    std::map<std::wstring, Node*> m_roots;
    std::map<HKEY, Node*> m_openKeys;            // fake handle -> key
    UINT_PTR m_nextKey = 0x4000;
    std::map<HDEVINFO, bool> m_openSets;         // fake handle -> holds the recorded devices
    UINT_PTR m_nextSet = 0x6000;
    std::vector<int> m_libRefs;                  // load count per library
    std::wstring m_dllDirectory;
    std::vector<std::wstring> m_leftDirectories;  // folders that were current once: they exist
    DWORD m_lastError = 0;
};
