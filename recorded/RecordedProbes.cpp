#include "recorded/RecordedProbes.h"
#include "recorded/RecordedText.h"
#include <shlwapi.h>
#include <errno.h>
#include <string.h>

static const GUID kNdisLanGuid = {0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};
static const GUID kNetClassGuid = {0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
static const UINT_PTR kLibraryBase = 0x70000000;
static const HMODULE kKernel32 = (HMODULE)(UINT_PTR)0x7FF00000;

using recorded_text::Upper;

// --- paths ----------------------------------------------------------------------------------------

static bool SameText(const std::wstring& a, const std::wstring& b) { return Upper(a) == Upper(b); }

std::wstring RecordedProbes::NormalizeFilePath(const std::wstring& path)
{
    std::wstring r;
    for (wchar_t c : Upper(path)) {
        if (c == L'/') c = L'\\';
        if (c == L'\\' && !r.empty() && r.back() == L'\\') continue;
        r += c;
    }
    while (r.size() > 1 && r.back() == L'\\') r.pop_back();
    return r;
}

int RecordedProbes::LoadedLibraryCount() const
{
    int n = 0;
    for (int refs : m_libRefs) n += refs > 0;
    return n;
}

// --- device set-up --------------------------------------------------------------------------------

HDEVINFO RecordedProbes::SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR, HWND, DWORD flags)
{
    // The recorded devices are those of the NDIS LAN interface class; any other set is empty.
    bool ours = classGuid && IsEqualGUID(*classGuid, kNdisLanGuid) && (flags & DIGCF_DEVICEINTERFACE);
    HDEVINFO h = (HDEVINFO)(m_nextSet += 4);
    m_openSets[h] = ours;
    return h;
}

BOOL RecordedProbes::SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data)
{
    auto it = m_openSets.find(set);
    if (it == m_openSets.end()) {
        m_lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA)) {
        m_lastError = ERROR_INVALID_USER_BUFFER;
        return FALSE;
    }
    if (!it->second || index >= devices.size()) {
        m_lastError = ERROR_NO_MORE_ITEMS;
        return FALSE;
    }
    data->ClassGuid = kNetClassGuid;
    data->DevInst = index + 1;
    data->Reserved = index + 1;
    return TRUE;
}

const RecordedDevice* RecordedProbes::DeviceOf(HDEVINFO set, PSP_DEVINFO_DATA data)
{
    auto it = m_openSets.find(set);
    if (it == m_openSets.end()) {
        m_lastError = ERROR_INVALID_HANDLE;
        return NULL;
    }
    if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA) || !it->second || data->DevInst == 0 ||
        data->DevInst > devices.size()) {
        m_lastError = ERROR_INVALID_PARAMETER;
        return NULL;
    }
    return &devices[data->DevInst - 1];
}

BOOL RecordedProbes::SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                                       PDWORD regDataType, PBYTE buffer, DWORD bufferSize,
                                                       PDWORD requiredSize)
{
    const RecordedDevice* dev = DeviceOf(set, data);
    if (!dev)
        return FALSE;
    auto p = dev->properties.find(property);
    if (p == dev->properties.end()) {
        m_lastError = ERROR_INVALID_DATA;
        return FALSE;
    }
    const RecordedValue& v = p->second;
    DWORD size = (DWORD)v.data.size();
    if (regDataType) *regDataType = v.type;
    if (requiredSize) *requiredSize = size;
    if (!buffer || bufferSize < size) {
        m_lastError = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    if (size) memcpy(buffer, &v.data[0], size);
    return TRUE;
}

BOOL RecordedProbes::SetupDiGetDeviceInstanceIdW(HDEVINFO set, PSP_DEVINFO_DATA data, PWSTR buffer, DWORD bufferSize,
                                                 PDWORD requiredSize)
{
    const RecordedDevice* dev = DeviceOf(set, data);
    if (!dev)
        return FALSE;
    if (!dev->hasInstanceId) {
        m_lastError = ERROR_NO_SUCH_DEVINST;
        return FALSE;
    }
    DWORD need = (DWORD)dev->instanceId.size() + 1;
    if (requiredSize) *requiredSize = need;
    if (!buffer || bufferSize < need) {
        m_lastError = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    memcpy(buffer, dev->instanceId.c_str(), need * sizeof(WCHAR));
    return TRUE;
}

BOOL RecordedProbes::SetupDiDestroyDeviceInfoList(HDEVINFO set)
{
    if (!m_openSets.erase(set)) {
        m_lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    return TRUE;
}

CONFIGRET RecordedProbes::CM_Get_DevNode_Status(PULONG status, PULONG problemNumber, DEVINST devInst, ULONG)
{
    if (!status || !problemNumber)
        return CR_INVALID_POINTER;
    if (devInst == 0 || devInst > devices.size())
        return CR_INVALID_DEVNODE;
    const RecordedDevice& dev = devices[devInst - 1];
    if (dev.nodeResult != CR_SUCCESS)
        return dev.nodeResult;
    *status = dev.nodeStatus;
    *problemNumber = dev.problem;
    return CR_SUCCESS;
}
// --- file versions --------------------------------------------------------------------------------

const RecordedFile* RecordedProbes::FindFile(LPCWSTR path) const
{
    if (!path)
        return NULL;
    std::wstring norm = NormalizeFilePath(path);
    for (const RecordedFile& f : files)
        if (NormalizeFilePath(f.path) == norm)
            return &f;
    return NULL;
}

static void AppendWords(std::vector<BYTE>& b, const void* p, size_t n)
{
    b.insert(b.end(), (const BYTE*)p, (const BYTE*)p + n);
}

std::vector<BYTE> RecordedProbes::MakeVersionBlock(const RecordedFile& file)
{
    // VS_VERSIONINFO: length, value length, type, key "VS_VERSION_INFO", padding to 32 bits, then the
    // fixed block. No string or variable information: the check reads only the fixed part.
    std::vector<BYTE> b;
    WORD header[3] = {0, (WORD)sizeof(VS_FIXEDFILEINFO), 0};
    AppendWords(b, header, sizeof(header));
    static const WCHAR key[] = L"VS_VERSION_INFO";
    AppendWords(b, key, sizeof(key));
    while (b.size() % 4) b.push_back(0);
    VS_FIXEDFILEINFO fi;
    ZeroMemory(&fi, sizeof(fi));
    fi.dwSignature = 0xFEEF04BD;
    fi.dwStrucVersion = 0x00010000;
    fi.dwFileVersionMS = file.fileVersionMS;
    fi.dwFileVersionLS = file.fileVersionLS;
    fi.dwProductVersionMS = file.productVersionMS;
    fi.dwProductVersionLS = file.productVersionLS;
    fi.dwFileFlagsMask = 0x3F;
    fi.dwFileOS = VOS_NT_WINDOWS32;
    fi.dwFileType = VFT_DRV;
    AppendWords(b, &fi, sizeof(fi));
    *(WORD*)&b[0] = (WORD)b.size();
    return b;
}

DWORD RecordedProbes::GetFileVersionInfoSizeW(LPCWSTR path, LPDWORD handle)
{
    if (handle) *handle = 0;
    const RecordedFile* f = FindFile(path);
    if (!f) {
        m_lastError = ERROR_FILE_NOT_FOUND;
        return 0;
    }
    if (!f->hasVersion) {
        m_lastError = ERROR_RESOURCE_TYPE_NOT_FOUND;
        return 0;
    }
    return (DWORD)MakeVersionBlock(*f).size();
}

BOOL RecordedProbes::GetFileVersionInfoW(LPCWSTR path, DWORD, DWORD len, LPVOID data)
{
    const RecordedFile* f = FindFile(path);
    if (!f || !f->hasVersion || !data) {
        m_lastError = f ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_FILE_NOT_FOUND;
        return FALSE;
    }
    std::vector<BYTE> b = MakeVersionBlock(*f);
    // Like Windows, a short buffer receives the part that fits.
    memcpy(data, &b[0], len < b.size() ? len : b.size());
    return TRUE;
}

BOOL RecordedProbes::VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT len)
{
    if (!block || !subBlock || !buffer || !len)
        return FALSE;
    if (wcscmp(subBlock, L"\\") != 0)
        return FALSE;  // only the fixed part is recorded
    const BYTE* b = (const BYTE*)block;
    WORD total = *(const WORD*)b, valueLen = *(const WORD*)(b + 2);
    const size_t offset = 6 + sizeof(L"VS_VERSION_INFO") + 2;  // header, key, padding to 40
    if (valueLen < sizeof(VS_FIXEDFILEINFO) || total < offset + sizeof(VS_FIXEDFILEINFO))
        return FALSE;
    const VS_FIXEDFILEINFO* fi = (const VS_FIXEDFILEINFO*)(b + offset);
    if (fi->dwSignature != 0xFEEF04BD)
        return FALSE;
    *buffer = (LPVOID)fi;
    *len = sizeof(VS_FIXEDFILEINFO);
    return TRUE;
}

// --- modules --------------------------------------------------------------------------------------

static std::wstring FileNamePart(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

int RecordedProbes::FindLibrary(LPCWSTR name, bool bareSearch) const
{
    if (!name || !*name)
        return -1;
    std::wstring n = name;
    bool bare = n.find_first_of(L"\\/") == std::wstring::npos;
    std::wstring wanted = NormalizeFilePath(n);
    size_t slash = wanted.rfind(L'\\');
    bool inSystemFolder = !bare && slash != std::wstring::npos &&
                          wanted.substr(0, slash) == NormalizeFilePath(os.systemDirectory);
    for (size_t i = 0; i < libraries.size(); ++i) {
        const RecordedLibrary& lib = libraries[i];
        bool libBare = lib.path.find_first_of(L"\\/") == std::wstring::npos;
        if (bare) {
            if (bareSearch && lib.onSearchPath && SameText(FileNamePart(lib.path), n))
                return (int)i;
        } else if (NormalizeFilePath(lib.path) == wanted) {
            return (int)i;
        } else if (inSystemFolder && libBare && lib.onSearchPath && SameText(lib.path, FileNamePart(n))) {
            // A library recorded by its bare name alone stands in the system folder, where a bare name
            // is found first.
            return (int)i;
        }
    }
    return -1;
}

static DWORD s_apiVersion;  // what the GetAPIVersion handed out last reports
static void WINAPI RecordedGetApiVersion(DWORD* version)
{
    if (version) *version = s_apiVersion;
}

HMODULE RecordedProbes::LoadLibraryW(LPCWSTR name) { return LoadLibraryExW(name, NULL, 0); }

HMODULE RecordedProbes::LoadLibraryExW(LPCWSTR name, HANDLE, DWORD)
{
    int i = FindLibrary(name, true);
    if (i < 0) {
        m_lastError = ERROR_MOD_NOT_FOUND;
        return NULL;
    }
    if (m_libRefs.size() < libraries.size()) m_libRefs.resize(libraries.size());
    ++m_libRefs[i];
    return (HMODULE)(kLibraryBase + 0x10000 * (UINT_PTR)(i + 1));
}

static int LibraryIndex(HMODULE module)
{
    UINT_PTR v = (UINT_PTR)module;
    if (v <= kLibraryBase || (v - kLibraryBase) % 0x10000) return -1;
    return (int)((v - kLibraryBase) / 0x10000) - 1;
}

FARPROC RecordedProbes::GetProcAddress(HMODULE module, LPCSTR procName)
{
    int i = LibraryIndex(module);
    if (i < 0 || i >= (int)m_libRefs.size() || m_libRefs[i] <= 0) {
        m_lastError = ERROR_INVALID_HANDLE;
        return NULL;
    }
    const RecordedLibrary& lib = libraries[i];
    if (!procName || (UINT_PTR)procName <= 0xFFFF || strcmp(procName, "GetAPIVersion") != 0 || !lib.hasGetAPIVersion) {
        m_lastError = ERROR_PROC_NOT_FOUND;
        return NULL;
    }
    // The entry point has no context of its own: it answers for the library it was last looked up in.
    s_apiVersion = lib.apiVersion;
    return (FARPROC)(void*)&RecordedGetApiVersion;
}

BOOL RecordedProbes::FreeLibrary(HMODULE module)
{
    int i = LibraryIndex(module);
    if (i < 0 || i >= (int)m_libRefs.size() || m_libRefs[i] <= 0) {
        m_lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    --m_libRefs[i];
    return TRUE;
}

HMODULE RecordedProbes::GetModuleHandleW(LPCWSTR name)
{
    if (name && SameText(name, L"kernel32.dll"))
        return kKernel32;
    m_lastError = ERROR_MOD_NOT_FOUND;
    return NULL;
}

DWORD RecordedProbes::GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    std::wstring path;
    if (!module) {
        path = modulePath;
    } else if (module == kKernel32) {
        path = os.systemDirectory + L"\\kernel32.dll";
    } else {
        int i = LibraryIndex(module);
        if (i < 0 || i >= (int)m_libRefs.size() || m_libRefs[i] <= 0) {
            m_lastError = ERROR_MOD_NOT_FOUND;
            return 0;
        }
        path = libraries[i].path;
    }
    if (!buffer || size == 0)
        return 0;
    // As on XP and later: a path that does not fit is cut, and the size is returned.
    if (path.size() >= size) {
        memcpy(buffer, path.c_str(), (size - 1) * sizeof(WCHAR));
        buffer[size - 1] = 0;
        m_lastError = ERROR_INSUFFICIENT_BUFFER;
        return size;
    }
    memcpy(buffer, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
    return (DWORD)path.size();
}

BOOL RecordedProbes::SetDllDirectoryW(LPCWSTR path)
{
    m_dllDirectory = path ? path : L"";
    return TRUE;
}

// Recorded files are kept under the paths a 64-bit system shows, which is what a 32-bit process sees with
// redirection off; with it on, the recording shows the same files (older recordings were made that way).
BOOL RecordedProbes::Wow64DisableWow64FsRedirection(PVOID* oldValue)
{
    if (os.wow64 != RecordedOs::Wow64Yes) {
        m_lastError = ERROR_INVALID_FUNCTION;
        return FALSE;
    }
    if (oldValue) *oldValue = NULL;
    return TRUE;
}

BOOL RecordedProbes::Wow64RevertWow64FsRedirection(PVOID)
{
    if (os.wow64 != RecordedOs::Wow64Yes) {
        m_lastError = ERROR_INVALID_FUNCTION;
        return FALSE;
    }
    return TRUE;
}

// --- system ---------------------------------------------------------------------------------------

BOOL RecordedProbes::GetVersionExW(LPOSVERSIONINFOW info)
{
    if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) &&
                  info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
        m_lastError = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    info->dwMajorVersion = os.major;
    info->dwMinorVersion = os.minor;
    info->dwBuildNumber = os.build;
    info->dwPlatformId = os.platformId;
    ZeroMemory(info->szCSDVersion, sizeof(info->szCSDVersion));
    wcsncpy(info->szCSDVersion, os.csdVersion.c_str(), 127);
    if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXW)) {
        OSVERSIONINFOEXW* ex = (OSVERSIONINFOEXW*)info;
        ex->wServicePackMajor = os.servicePackMajor;
        ex->wServicePackMinor = os.servicePackMinor;
        ex->wSuiteMask = os.suiteMask;
        ex->wProductType = os.productType;
        ex->wReserved = 0;
    }
    return TRUE;
}

// Like the entry point above, these answer for the system that handed them out last.
static RecordedOs s_os;
static BOOL WINAPI RecordedIsWow64Process(HANDLE, PBOOL result)
{
    if (s_os.wow64 == RecordedOs::Wow64Fails || !result) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *result = s_os.wow64 == RecordedOs::Wow64Yes;
    return TRUE;
}
static void WINAPI RecordedGetNativeSystemInfo(LPSYSTEM_INFO info)
{
    if (!info) return;
    ZeroMemory(info, sizeof(*info));
    info->wProcessorArchitecture = s_os.nativeArchitecture;
    info->dwPageSize = 4096;
    info->dwNumberOfProcessors = 1;
}

BOOL(WINAPI* RecordedProbes::GetIsWow64Process())(HANDLE, PBOOL)
{
    s_os = os;
    return os.wow64 == RecordedOs::Wow64Absent ? NULL : &RecordedIsWow64Process;
}

void(WINAPI* RecordedProbes::GetGetNativeSystemInfo())(LPSYSTEM_INFO)
{
    s_os = os;
    return os.hasNativeSystemInfo ? &RecordedGetNativeSystemInfo : NULL;
}

UINT RecordedProbes::GetWindowsDirectoryW(LPWSTR buffer, UINT size)
{
    const std::wstring& d = os.windowsDirectory;
    if (!buffer || d.size() + 1 > size)
        return (UINT)d.size() + 1;  // the size needed, terminator included
    memcpy(buffer, d.c_str(), (d.size() + 1) * sizeof(WCHAR));
    return (UINT)d.size();
}

HRESULT RecordedProbes::SHGetFolderPathW(HWND, int folder, HANDLE, DWORD, LPWSTR path)
{
    const std::wstring* d = NULL;
    switch (folder & 0xFF) {
    case 0x25: d = &os.systemDirectory; break;   // CSIDL_SYSTEM
    case 0x24: d = &os.windowsDirectory; break;  // CSIDL_WINDOWS
    default: break;
    }
    if (!path)
        return E_INVALIDARG;
    if (!d || d->size() >= MAX_PATH) {
        path[0] = 0;
        return E_FAIL;
    }
    memcpy(path, d->c_str(), (d->size() + 1) * sizeof(WCHAR));
    return S_OK;
}

// As Windows answers: the size without the terminator on success, with it when the buffer is short.
BOOL RecordedProbes::GetComputerNameW(LPWSTR buffer, LPDWORD size)
{
    if (os.computerName.empty()) {
        m_lastError = ERROR_FILE_NOT_FOUND;
        return FALSE;
    }
    const std::wstring& n = os.computerName;
    if (!size || !buffer || *size < n.size() + 1) {
        if (size) *size = (DWORD)n.size() + 1;
        m_lastError = ERROR_BUFFER_OVERFLOW;
        return FALSE;
    }
    memcpy(buffer, n.c_str(), (n.size() + 1) * sizeof(WCHAR));
    *size = (DWORD)n.size();
    return TRUE;
}

// A pure string operation: the system's own does exactly what is wanted.
BOOL RecordedProbes::PathAppendW(LPWSTR path, LPCWSTR more) { return ::PathAppendW(path, more); }

// --- current directory ----------------------------------------------------------------------------

bool RecordedProbes::FolderExists(const std::wstring& path) const
{
    std::wstring want = NormalizeFilePath(path);
    if (want.empty())
        return false;
    for (const std::wstring& d : m_leftDirectories)
        if (NormalizeFilePath(d) == want) return true;
    std::vector<std::wstring> known;
    known.push_back(currentDirectory);
    known.push_back(modulePath);
    known.push_back(os.windowsDirectory + L"\\x");
    known.push_back(os.systemDirectory + L"\\x");
    for (const RecordedFile& f : files) known.push_back(f.path);
    for (const RecordedLibrary& l : libraries) known.push_back(l.path);
    for (const std::wstring& k : known) {
        std::wstring n = NormalizeFilePath(k);
        // The folder itself (for the current directory) or any folder above a recorded file.
        if (n == want && &k == &known[0]) return true;
        if (n.size() > want.size() && n.compare(0, want.size(), want) == 0 && n[want.size()] == L'\\')
            return true;
    }
    return false;
}

wchar_t* RecordedProbes::_wgetcwd(wchar_t* buffer, int maxLen)
{
    if (!buffer || maxLen <= 0 || (int)currentDirectory.size() + 1 > maxLen) {
        errno = ERANGE;
        return NULL;
    }
    memcpy(buffer, currentDirectory.c_str(), (currentDirectory.size() + 1) * sizeof(WCHAR));
    return buffer;
}

int RecordedProbes::_wchdir(const wchar_t* dir)
{
    if (!dir || !FolderExists(dir)) {
        errno = ENOENT;
        return -1;
    }
    m_leftDirectories.push_back(currentDirectory);
    std::wstring d = dir;
    while (d.size() > 3 && (d.back() == L'\\' || d.back() == L'/')) d.pop_back();
    currentDirectory = d;
    return 0;
}
