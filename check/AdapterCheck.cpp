#include "check/AdapterCheck.h"
#include "check/CheckTrace.h"
#include "check/SystemFacts.h"
#include "check/DriverRules.h"
#include <string>
#include <vector>

static const GUID kNdisLanClass = {0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};

// One key of the network-class tree as the scan read it: what the trace shows of it and what the
// tests of the scan look at. Sub-keys are read when the scan first reaches them.
struct CAdapterCheck::ClassKey {
    CString path;                                          // full path, as the scan opens it
    DWORD valueCount = 0, subKeyCount = 0;                 // as reported; 0 when unreadable
    std::vector<std::pair<DWORD, std::wstring>> values;    // index and name of each value read
    std::vector<CString> componentIds;                     // upper-cased texts of COMPONENTID values
    bool marker = false;                                   // a wireless marker value is present
    // The key's trace lines, the same for every device looked up: formatted once, when first traced.
    bool traced = false;
    std::wstring valuesTrace, subKeysTrace;
    struct Sub {
        std::wstring name;  // empty: unreadable, or a name that cannot be part of a path
        bool opened = false;
        std::unique_ptr<ClassKey> key;  // null when it could not be opened
    };
    std::vector<Sub> subs;  // by index
};

CAdapterCheck::CAdapterCheck(IProbes& probes, AdapterList& list) : m_probes(probes), m_list(list) {}

CAdapterCheck::~CAdapterCheck() {}

void CAdapterCheck::EnumerateAdapters()
{
    CCheckTrace::Scope trace;
    // The class tree is read once for the run and forgotten after it: the next run reads it afresh.
    struct RunTree {
        CAdapterCheck& check;
        explicit RunTree(CAdapterCheck& c) : check(c) { check.m_classTree.reset(); check.m_treeForRun = true; }
        ~RunTree() { check.m_classTree.reset(); check.m_treeForRun = false; }
    } runTree(*this);
    HDEVINFO set = m_probes.SetupDiGetClassDevsW(&kNdisLanClass, NULL, NULL, DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE || set == NULL)
        return;
    // Property buffer: 4096 bytes plus room for a terminator we always add ourselves, so that a
    // value filling the whole buffer (or arriving unterminated) is never read past its end.
    std::vector<BYTE> prop(4096 + sizeof(WCHAR));
    std::vector<WCHAR> instanceId(4096 + 1);
    const DWORD propSize = 4096;

    for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA dev;
        ZeroMemory(&dev, sizeof(dev));
        dev.cbSize = sizeof(dev);
        if (!m_probes.SetupDiEnumDeviceInfo(set, index, &dev))
            break;
        DWORD type = 0, size = 0;
        if (!m_probes.SetupDiGetDeviceRegistryPropertyW(set, &dev, SPDRP_ADDRESS, &type, &prop[0], propSize, &size))
            continue;
        size = 0;
        if (!m_probes.SetupDiGetDeviceRegistryPropertyW(set, &dev, SPDRP_DEVICEDESC, &type, &prop[0], propSize, &size))
            continue;
        if (size > propSize) size = propSize;
        prop[size & ~1u] = 0; prop[(size & ~1u) + 1] = 0;
        prop[propSize] = 0; prop[propSize + 1] = 0;
        CString description((LPCWSTR)&prop[0]);
        if (!m_probes.SetupDiGetDeviceInstanceIdW(set, &dev, &instanceId[0], 4096, NULL))
            continue;
        size = 0;
        if (!m_probes.SetupDiGetDeviceRegistryPropertyW(set, &dev, SPDRP_HARDWAREID, &type, &prop[0], propSize, &size))
            continue;
        if (size > propSize) size = propSize;
        prop[size & ~1u] = 0; prop[(size & ~1u) + 1] = 0;
        prop[propSize] = 0; prop[propSize + 1] = 0;
        CString hardwareId((LPCWSTR)&prop[0]);  // first string of the list
        std::vector<CString> furtherIds;
        for (const WCHAR *at = (LPCWSTR)&prop[0] + hardwareId.GetLength() + 1, *end = (LPCWSTR)&prop[size & ~1u];
             at < end && *at; at += wcslen(at) + 1) {
            furtherIds.push_back(CString(at));
            furtherIds.back().MakeUpper();
        }
        ULONG status = 0, problem = 0;
        if (m_probes.CM_Get_DevNode_Status(&status, &problem, dev.DevInst, 0) != CR_SUCCESS || problem != 0)
            continue;
        hardwareId.MakeUpper();

        if (!IsIntel3945(description) && !IsWirelessAdapter(hardwareId, furtherIds))
            continue;
        if (hardwareId.Find(L"PCI\\") < 0 && hardwareId.Find(L"USB\\") < 0)
            continue;

        CAdapterRecord* rec = new CAdapterRecord;
        rec->Description = description;
        int first = hardwareId.Find(L'&');
        if (first >= 0) {
            int second = hardwareId.Find(L'&', first + 1);
            if (second >= 0)
                hardwareId = hardwareId.Left(second);
        }
        rec->HardwareId = hardwareId;
        GetDriverVersion(set, &dev, rec->DriverVersion[0], rec->DriverVersion[1], rec->DriverVersion[2],
                         rec->DriverVersion[3]);
        ApplyDriverRules(*rec, DriverRulesNeedProSet(*rec) ? CheckProSetVersion() : FALSE);
        m_list.Add(rec);
    }
    m_probes.SetupDiDestroyDeviceInfoList(set);
}

// A ComponentId names a device when either is a prefix of the other.
static bool ComponentIdNames(const CString& componentId, const CString& hardwareId)
{
    int n = componentId.GetLength() < hardwareId.GetLength() ? componentId.GetLength() : hardwareId.GetLength();
    return wcsncmp(componentId, hardwareId, n) == 0;
}

int CAdapterCheck::IsWirelessAdapter(const CString& hardwareId, const std::vector<CString>& furtherIds)
{
    CCheckTrace::Scope trace;
    CString path;
    path.Format(L"%s\\%s", L"System\\CurrentControlSet\\Control\\Class", L"{4D36E972-E325-11CE-BFC1-08002bE10318}\\");
    int wireless = 0, found = 0;
    if (m_treeForRun) {
        if (!m_classTree) {
            // First look-up of the run; a class key that cannot be opened reads as an empty one.
            m_classTree.reset(new ClassKey);
            m_classTree->path = path;
            HKEY key = NULL;
            if (m_probes.RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0x20019, &key) == ERROR_SUCCESS) {
                ReadClassKey(key, *m_classTree);
                m_probes.RegCloseKey(key);
            }
        }
        ScanRead(*m_classTree, hardwareId, wireless, found, 0, furtherIds);
        return wireless;
    }
    HKEY key = NULL;
    if (m_probes.RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0x20019, &key) != ERROR_SUCCESS)
        return 0;
    ScanClassKey(key, path, hardwareId, wireless, found, furtherIds);
    m_probes.RegCloseKey(key);
    return wireless;
}

void CAdapterCheck::ScanClassKey(HKEY key, const CString& path, const CString& hardwareId, int& wireless, int& found,
                                 const std::vector<CString>& furtherIds)
{
    CCheckTrace::Scope trace;
    std::unique_ptr<ClassKey> read(new ClassKey);
    read->path = path;
    ReadClassKey(key, *read);
    ScanRead(*read, hardwareId, wireless, found, 0, furtherIds);
}

bool CAdapterCheck::IsUsableKeyName(const std::wstring& name)
{
    return !name.empty() && name.find_first_of(std::wstring(L"\\\0", 2)) == std::wstring::npos;
}

// Reads one open key: its counts, its values (names and what the markers need), its sub-key names.
void CAdapterCheck::ReadClassKey(HKEY key, ClassKey& into)
{
    if (m_probes.RegQueryInfoKeyW(key, NULL, NULL, NULL, &into.subKeyCount, NULL, NULL, &into.valueCount, NULL, NULL,
                                  NULL, NULL) != ERROR_SUCCESS) {
        into.valueCount = into.subKeyCount = 0;
    }
    // One spare character and two spare bytes: what the registry hands back is terminated here by its
    // returned length, never trusted to carry its own terminator.
    m_nameBuffer.resize(16383 + 1);
    m_dataBuffer.resize(16383 + 2);
    WCHAR* name = &m_nameBuffer[0];
    BYTE* data = &m_dataBuffer[0];
    for (DWORD i = 0; i < into.valueCount; ++i) {
        DWORD nameLen = 16383, dataLen = 16383, type = 0;
        data[0] = 0;
        if (m_probes.RegEnumValueW(key, i, name, &nameLen, NULL, &type, data, &dataLen) != ERROR_SUCCESS)
            continue;
        if (nameLen > 16383) nameLen = 16383;
        name[nameLen] = 0;
        if (dataLen > 16383) dataLen = 16383;
        data[dataLen] = 0;
        data[dataLen + 1] = 0;
        into.values.push_back(std::make_pair(i, std::wstring(name)));
        CString upName(name);
        upName.MakeUpper();
        if (upName == L"COMPONENTID") {
            // Text of the data up to its returned length (in whole characters).
            CString text((LPCWSTR)data, (int)wcsnlen((LPCWSTR)data, dataLen / sizeof(WCHAR)));
            text.MakeUpper();
            into.componentIds.push_back(text);
        } else if (upName == L"RADIOENABLE" || upName.Find(L"WIRELESSMODE") >= 0) {
            into.marker = true;
        } else if (upName.Find(L"IFTYPE") >= 0) {
            CString hex;
            hex.Format(L"%0x", (unsigned)data[0]);
            if (hex == L"47")
                into.marker = true;
        }
    }
    for (DWORD i = 0; i < into.subKeyCount; ++i) {
        into.subs.push_back(ClassKey::Sub());
        DWORD len = 255;
        if (m_probes.RegEnumKeyExW(key, i, name, &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            continue;
        if (len > 255) len = 255;
        // The name as counted. One that is empty or holds a NUL or a backslash names no key below this
        // one (it would lead back to this key or elsewhere): it is passed over.
        std::wstring sub(name, len);
        if (IsUsableKeyName(sub))
            into.subs.back().name = sub;
    }
}

void CAdapterCheck::ScanRead(ClassKey& key, const CString& hardwareId, int& wireless, int& found, int depth,
                             const std::vector<CString>& furtherIds)
{
    if (found)
        return;
    if (CCheckTrace::On()) {
        if (!key.traced) {
            key.traced = true;
            wchar_t line[40];
            if (key.valueCount) {
                swprintf(line, 40, L"\nNumber of values: %d\n", (int)key.valueCount);
                key.valuesTrace = line;
                for (const auto& v : key.values) {
                    swprintf(line, 40, L"(%d) ", (int)(v.first + 1));
                    key.valuesTrace += line + v.second + L"\n";
                }
            }
            if (key.subKeyCount) {
                swprintf(line, 40, L"\nNumber of subkeys: %d\n", (int)key.subKeyCount);
                key.subKeysTrace = line;
            }
        }
        CCheckTrace::Text(key.valuesTrace);
    }
    if (key.valueCount) {
        for (const CString& text : key.componentIds) {
            if (ComponentIdNames(text, hardwareId))
                found = 1;
            for (size_t id = 0; id < furtherIds.size() && !found; ++id)
                if (ComponentIdNames(text, furtherIds[id]))
                    found = 1;
        }
        if (found && key.marker) {
            wireless = 1;
            return;
        }
    }
    if (key.subKeyCount) {
        CCheckTrace::Text(key.subKeysTrace);
        // A deeper tree is scanned to the bound: no real class tree comes near it, and a hostile one
        // must not exhaust the stack.
        if (depth >= kMaxClassDepth)
            return;
        for (size_t i = 0; i < key.subs.size() && !found; ++i) {
            ClassKey::Sub& sub = key.subs[i];
            if (sub.name.empty())
                continue;
            if (!sub.opened) {
                sub.opened = true;
                CString child = key.path + L"\\" + sub.name.c_str();
                HKEY hChild = NULL;
                if (m_probes.RegOpenKeyExW(HKEY_LOCAL_MACHINE, child, 0, 0x20019, &hChild) == ERROR_SUCCESS) {
                    sub.key.reset(new ClassKey);
                    sub.key->path = child;
                    ReadClassKey(hChild, *sub.key);
                    m_probes.RegCloseKey(hChild);
                }
            }
            if (sub.key)
                ScanRead(*sub.key, hardwareId, wireless, found, depth + 1, furtherIds);
        }
    }
}

WCHAR* CAdapterCheck::GetDeviceStringProperty(HDEVINFO set, PSP_DEVINFO_DATA dev, DWORD property)
{
    DWORD bufSize = 1024;
    for (int attempt = 0; attempt < 8; ++attempt) {
        BYTE* buf = new (std::nothrow) BYTE[bufSize + 2];
        if (!buf)
            return NULL;
        DWORD type = 0, required = 0;
        if (m_probes.SetupDiGetDeviceRegistryPropertyW(set, dev, property, &type, buf, bufSize, &required)) {
            DWORD at = required / 2;
            if (at > bufSize / 2) at = bufSize / 2;  // never past the buffer when the reported size lies
            ((WCHAR*)buf)[at] = 0;
            return (WCHAR*)buf;
        }
        delete[] buf;
        // The size comes from outside: one past the bound is refused before it is rounded and grown
        // (a size near 4 GB would wrap to a small buffer that the next query overruns).
        if (m_probes.GetLastError() != ERROR_INSUFFICIENT_BUFFER || type != REG_SZ || required <= bufSize ||
            required > kMaxOutsideBytes)
            return NULL;
        bufSize = (required / 2 + 1) * 2;
    }
    return NULL;
}

int CAdapterCheck::GetDriverVersion(HDEVINFO set, PSP_DEVINFO_DATA dev, WORD& major, WORD& minor, WORD& build,
                                    WORD& rev)
{
    CCheckTrace::Scope trace;
    CString file;
    if (GetDriverFilePath(set, dev, file)) {
        // A 32-bit process on 64-bit Windows is sent from system32 to SysWOW64, where no driver is;
        // the file is read where the system keeps it.
        PVOID redirection = NULL;
        BOOL unredirected = m_probes.Wow64DisableWow64FsRedirection(&redirection);
        GetFileVersion(file, major, minor, build, rev);
        if (unredirected)
            m_probes.Wow64RevertWow64FsRedirection(redirection);
    }
    return 1;
}

BOOL CAdapterCheck::GetDriverFilePath(HDEVINFO set, PSP_DEVINFO_DATA dev, CString& file)
{
    WCHAR* service = GetDeviceStringProperty(set, dev, SPDRP_SERVICE);
    if (!service)
        return FALSE;
    if (service[0] == 0) {
        delete[] (BYTE*)service;
        return FALSE;
    }
    BOOL found = FALSE;
    CCheckTrace::Line(L"%ls\n", service);
    CString keyPath = CString(L"System\\CurrentControlSet\\Services\\") + service;
    HKEY key = NULL;
    if (keyPath.GetLength() > 259 ||
        m_probes.RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        key = NULL;
        CCheckTrace::Line(L"Fail to open %ls key\n", (LPCWSTR)keyPath);
    } else {
        // 520 bytes as read, plus a terminator of our own: a value that fills the buffer is cut there.
        WCHAR image[260 + 1];
        DWORD len = 520, type = 0;
        if (m_probes.RegQueryValueExW(key, L"ImagePath", NULL, &type, (LPBYTE)image, &len) != ERROR_SUCCESS) {
            CCheckTrace::Line(L"Cannot read driver file from registry\n");
        } else {
            if (len > 520) len = 520;
            image[len / 2] = 0;
            image[260] = 0;
            CCheckTrace::Line(L"Driver File=%ls\n", image);
            CString value(image);
            value.Replace(L"\\SystemRoot\\", L"");
            WCHAR windir[MAX_PATH + 1];
            UINT n = m_probes.GetWindowsDirectoryW(windir, MAX_PATH);
            if (n > 0 && n < MAX_PATH) {
                windir[n] = 0;
                CCheckTrace::Line(L"\nWindows Directory:  %ls\n", windir);
                file = CString(windir) + L"\\" + value;
                found = file.GetLength() <= 259;
            }
        }
    }
    if (key)
        m_probes.RegCloseKey(key);
    delete[] (BYTE*)service;
    return found;
}

void CAdapterCheck::GetFileVersion(LPCWSTR path, WORD& major, WORD& minor, WORD& build, WORD& rev)
{
    VS_FIXEDFILEINFO info;
    if (!ReadFixedFileInfo(m_probes, path, info))
        return;
    major = HIWORD(info.dwFileVersionMS);
    minor = LOWORD(info.dwFileVersionMS);
    build = HIWORD(info.dwFileVersionLS);
    rev = LOWORD(info.dwFileVersionLS);
}

CString CAdapterCheck::ReadRegistryString(HKEY root, LPCWSTR subKey, LPCWSTR valueName, LPCWSTR defaultText,
                                          REGSAM sam)
{
    CString result(defaultText);
    HKEY key = NULL;
    if (m_probes.RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE | sam, &key) != ERROR_SUCCESS)
        return result;
    std::vector<BYTE> data(32768 + 2);
    DWORD len = 32768, type = 0;
    if (m_probes.RegQueryValueExW(key, valueName, NULL, &type, &data[0], &len) == ERROR_SUCCESS) {
        if (len > 32768) len = 32768;
        result = CString((LPCWSTR)&data[0], (int)wcsnlen((LPCWSTR)&data[0], len / sizeof(WCHAR)));
    }
    m_probes.RegCloseKey(key);
    return result;
}

typedef void(WINAPI* GetApiVersionFn)(DWORD*);

CString CAdapterCheck::ProSetFolder()
{
    CString folder = ReadRegistryString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Intel\\Wireless", L"BinDir", L"");
    if (folder.IsEmpty() && QueryWow64(m_probes))
        folder = ReadRegistryString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Intel\\Wireless", L"BinDir", L"", KEY_WOW64_64KEY);
    return folder;
}

CString CAdapterCheck::ProSetLibraryInSystemFolder()
{
    WCHAR path[MAX_PATH + 1] = {0};
    if (FAILED(m_probes.SHGetFolderPathW(NULL, 0x25 /* CSIDL_SYSTEM */, NULL, 0, path)))
        return CString();
    path[MAX_PATH] = 0;
    if (!path[0] || !m_probes.PathAppendW(path, L"MurocApi.dll"))
        return CString();
    return CString(path);
}

int CAdapterCheck::CheckProSetVersion()
{
    int result = 1;
    // The program runs elevated, often from a downloads folder: the library's bare name is looked for
    // in the system folder alone (by its full path there), never in the program's folder, the current
    // directory or along PATH, where anyone could have put a file of that name. Its own dependencies
    // are then looked for beside it, with the current directory out of that search where the system
    // allows.
    m_probes.SetDllDirectoryW(L"");
    HMODULE lib = NULL;
    CString inSystem = ProSetLibraryInSystemFolder();
    if (!inSystem.IsEmpty())
        lib = m_probes.LoadLibraryExW(inSystem, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    BOOL changedDir = FALSE;
    WCHAR saved[MAX_PATH + 1];
    if (!lib) {
        CString folder = ProSetFolder();
        if (!folder.IsEmpty() && m_probes._wgetcwd(saved, MAX_PATH) != NULL) {
            saved[MAX_PATH] = 0;
            if (m_probes._wchdir(folder) == 0)
                changedDir = TRUE;
            CString full = folder + L"\\MurocApi.dll";
            lib = m_probes.LoadLibraryExW(full, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
        }
    }
    if (lib) {
        GetApiVersionFn fn = (GetApiVersionFn)(void*)m_probes.GetProcAddress(lib, "GetAPIVersion");
        if (fn) {
            DWORD version = 0;
            fn(&version);
            if (version != 0xA0005)
                result = 0;
        }
        m_probes.FreeLibrary(lib);
    }
    if (changedDir)
        m_probes._wchdir(saved);
    return result;
}
