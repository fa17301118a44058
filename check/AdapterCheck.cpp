#include "check/AdapterCheck.h"
#include "res/resource.h"
#include <stdio.h>
#include <vector>

static const GUID kNdisLanClass = {0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};
static const WCHAR kIntelName[] = L"Intel(R) PRO/Wireless 3945";
static const WCHAR* const kUsbIdsWithDriver[] = {
    L"USB\\VID_0CF3&PID_9170", L"USB\\VID_0846&PID_9010", L"USB\\VID_07D1&PID_3C10",
    L"USB\\VID_07D1&PID_3A09", L"USB\\VID_1435&PID_0804"};

static CString LoadText(UINT id)
{
    CString s;
    s.LoadString(id);
    return s;
}

void CAdapterCheck::EnumerateAdapters()
{
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
        ULONG status = 0, problem = 0;
        if (m_probes.CM_Get_DevNode_Status(&status, &problem, dev.DevInst, 0) != CR_SUCCESS || problem != 0)
            continue;
        hardwareId.MakeUpper();

        BOOL isIntel = description.Find(kIntelName) >= 0;
        if (!isIntel && !IsWirelessAdapter(hardwareId))
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
        rec->DriverVersionOk = 0;
        rec->DriverVersionText = LoadText(IDS_PASSED);

        if (rec->HardwareId.Find(L"PCI\\") >= 0) {
            if (!isIntel) {
                rec->AdapterKind = CAdapterRecord::KindPci;
                rec->DriverVersionOk = 1;
            } else if (CheckProSetVersion()) {
                rec->AdapterKind = CAdapterRecord::KindIntel3945;
                if (rec->DriverVersion[0] == 10 && rec->DriverVersion[1] == 5)
                    rec->DriverVersionOk = 1;
                else
                    rec->DriverVersionText = LoadText(IDS_BAD_3945_DRIVER);
            } else {
                rec->DriverVersionText = LoadText(IDS_BAD_PROSET);
            }
        }
        if (rec->HardwareId.Find(L"USB\\") >= 0) {
            rec->AdapterKind = CAdapterRecord::KindUsb;
            BOOL listed = FALSE;
            for (size_t i = 0; i < sizeof(kUsbIdsWithDriver) / sizeof(kUsbIdsWithDriver[0]); ++i)
                if (rec->HardwareId.Find(kUsbIdsWithDriver[i]) >= 0)
                    listed = TRUE;
            if (!listed)
                rec->DriverVersionOk = 1;
            else if (rec->DriverVersion[0] == 103 && rec->DriverVersion[1] == 1 && rec->DriverVersion[2] == 0 &&
                     rec->DriverVersion[3] >= 113)
                rec->DriverVersionOk = 1;
            else
                rec->DriverVersionText = LoadText(IDS_BAD_USB_DRIVER);
        }
        m_list.Add(rec);
    }
    m_probes.SetupDiDestroyDeviceInfoList(set);
}

int CAdapterCheck::IsWirelessAdapter(const CString& hardwareId)
{
    CString path;
    path.Format(L"%s\\%s", L"System\\CurrentControlSet\\Control\\Class", L"{4D36E972-E325-11CE-BFC1-08002bE10318}\\");
    HKEY key = NULL;
    if (m_probes.RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0x20019, &key) != ERROR_SUCCESS)
        return 0;
    int wireless = 0, found = 0;
    ScanClassKey(key, path, hardwareId, wireless, found);
    m_probes.RegCloseKey(key);
    return wireless;
}

void CAdapterCheck::ScanClassKey(HKEY key, const CString& path, const CString& hardwareId, int& wireless, int& found)
{
    if (found)
        return;
    DWORD values = 0, subKeys = 0;
    if (m_probes.RegQueryInfoKeyW(key, NULL, NULL, NULL, &subKeys, NULL, NULL, &values, NULL, NULL, NULL, NULL) !=
        ERROR_SUCCESS) {
        values = subKeys = 0;
    }
    int marker = 0;
    if (values) {
        printf("\nNumber of values: %d\n", (int)values);
        // One spare character and two spare bytes: what the registry hands back is terminated here
        // by its returned length, never trusted to carry its own terminator.
        std::vector<WCHAR> name(16383 + 1);
        std::vector<BYTE> data(16383 + 2);
        for (DWORD i = 0; i < values; ++i) {
            DWORD nameLen = 16383, dataLen = 16383, type = 0;
            data[0] = 0;
            if (m_probes.RegEnumValueW(key, i, &name[0], &nameLen, NULL, &type, &data[0], &dataLen) != ERROR_SUCCESS)
                continue;
            if (nameLen > 16383) nameLen = 16383;
            name[nameLen] = 0;
            if (dataLen > 16383) dataLen = 16383;
            data[dataLen] = 0;
            if (dataLen + 1 < data.size()) data[dataLen + 1] = 0;
            wprintf(L"(%d) %ls\n", (int)(i + 1), &name[0]);
            CString upName(&name[0]);
            upName.MakeUpper();
            if (upName == L"COMPONENTID") {
                // Text of the data up to its returned length (in whole characters).
                CString text((LPCWSTR)&data[0], (int)wcsnlen((LPCWSTR)&data[0], dataLen / sizeof(WCHAR)));
                text.MakeUpper();
                if (text.GetLength() <= hardwareId.GetLength()
                        ? hardwareId.Left(text.GetLength()) == text
                        : text.Left(hardwareId.GetLength()) == hardwareId)
                    found = 1;
            } else if (upName == L"RADIOENABLE" || upName.Find(L"WIRELESSMODE") >= 0) {
                marker = 1;
            } else if (upName.Find(L"IFTYPE") >= 0) {
                CString hex;
                hex.Format(L"%0x", (unsigned)data[0]);
                if (hex == L"47")
                    marker = 1;
            }
        }
        if (found && marker) {
            wireless = 1;
            return;
        }
    }
    if (subKeys) {
        printf("\nNumber of subkeys: %d\n", (int)subKeys);
        std::vector<WCHAR> sub(255 + 1);
        for (DWORD i = 0; i < subKeys && !found; ++i) {
            DWORD len = 255;
            if (m_probes.RegEnumKeyExW(key, i, &sub[0], &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
                continue;
            if (len > 255) len = 255;
            sub[len] = 0;
            CString child = path + L"\\" + CString(&sub[0]);
            HKEY hChild = NULL;
            if (m_probes.RegOpenKeyExW(HKEY_LOCAL_MACHINE, child, 0, 0x20019, &hChild) == ERROR_SUCCESS) {
                ScanClassKey(hChild, child, hardwareId, wireless, found);
                m_probes.RegCloseKey(hChild);
            }
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
        if (m_probes.GetLastError() != ERROR_INSUFFICIENT_BUFFER || type != REG_SZ || required <= bufSize)
            return NULL;
        bufSize = (required / 2 + 1) * 2;
    }
    return NULL;
}

int CAdapterCheck::GetDriverVersion(HDEVINFO set, PSP_DEVINFO_DATA dev, WORD& major, WORD& minor, WORD& build,
                                    WORD& rev)
{
    WCHAR* service = GetDeviceStringProperty(set, dev, SPDRP_SERVICE);
    if (!service)
        return 1;
    if (service[0] == 0) {
        delete[] (BYTE*)service;
        return 1;
    }
    wprintf(L"%ls\n", service);
    CString keyPath = CString(L"System\\CurrentControlSet\\Services\\") + service;
    HKEY key = NULL;
    if (keyPath.GetLength() > 259 ||
        m_probes.RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        key = NULL;
        wprintf(L"Fail to open %ls key\n", (LPCWSTR)keyPath);
    } else {
        // 520 bytes as read, plus a terminator of our own: a value that fills the buffer is cut there.
        WCHAR image[260 + 1];
        DWORD len = 520, type = 0;
        if (m_probes.RegQueryValueExW(key, L"ImagePath", NULL, &type, (LPBYTE)image, &len) != ERROR_SUCCESS) {
            printf("Cannot read driver file from registry\n");
        } else {
            if (len > 520) len = 520;
            image[len / 2] = 0;
            image[260] = 0;
            wprintf(L"Driver File=%ls\n", image);
            CString value(image);
            value.Replace(L"\\SystemRoot\\", L"");
            WCHAR windir[MAX_PATH + 1];
            UINT n = m_probes.GetWindowsDirectoryW(windir, MAX_PATH);
            if (n > 0 && n < MAX_PATH) {
                windir[n] = 0;
                wprintf(L"\nWindows Directory:  %ls\n", windir);
                CString file = CString(windir) + L"\\" + value;
                if (file.GetLength() <= 259)
                    GetFileVersion(file, major, minor, build, rev);
            }
        }
    }
    if (key)
        m_probes.RegCloseKey(key);
    delete[] (BYTE*)service;
    return 1;
}

void CAdapterCheck::GetFileVersion(LPCWSTR path, WORD& major, WORD& minor, WORD& build, WORD& rev)
{
    DWORD handle = 0;
    DWORD size = m_probes.GetFileVersionInfoSizeW(path, &handle);
    if (size == 0)
        return;
    std::vector<BYTE> block(size);
    if (m_probes.GetFileVersionInfoW(path, handle, size, &block[0])) {
        VS_FIXEDFILEINFO* info = NULL;
        UINT len = 0;
        if (m_probes.VerQueryValueW(&block[0], L"\\", (LPVOID*)&info, &len) && info && len >= sizeof(VS_FIXEDFILEINFO)) {
            major = HIWORD(info->dwFileVersionMS);
            minor = LOWORD(info->dwFileVersionMS);
            build = HIWORD(info->dwFileVersionLS);
            rev = LOWORD(info->dwFileVersionLS);
        }
    }
}

CString CAdapterCheck::ReadRegistryString(HKEY root, LPCWSTR subKey, LPCWSTR valueName, LPCWSTR defaultText)
{
    CString result(defaultText);
    HKEY key = NULL;
    if (m_probes.RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
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

int CAdapterCheck::CheckProSetVersion()
{
    int result = 1;
    // Running as administrator, a MurocApi.dll planted in the current directory must not be loaded by
    // the bare-name search. Take the current directory out of the search where the system offers
    // that, and, because not every system honours it (Wine keeps searching it), also make the
    // program's own folder, which the search visits first anyway, the current directory for the
    // length of the load. The rest of the search stays as it is. Where neither can be done the bare
    // name is not loaded at all.
    BOOL dllDirectoryOff = m_probes.SetDllDirectoryW(L"");
    HMODULE lib = NULL;
    BOOL changedDir = FALSE;
    WCHAR saved[MAX_PATH + 1];
    BOOL haveSaved = m_probes._wgetcwd(saved, MAX_PATH) != NULL;
    saved[MAX_PATH] = 0;
    BOOL inOwnFolder = FALSE;
    if (haveSaved) {
        WCHAR self[MAX_PATH + 1];
        DWORD n = m_probes.GetModuleFileNameW(NULL, self, MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            self[n] = 0;
            WCHAR* slash = wcsrchr(self, L'\\');
            if (slash) {
                slash[1] = 0;  // keep the backslash: "C:" alone would mean the drive's current folder
                inOwnFolder = m_probes._wchdir(self) == 0;
            }
        }
    }
    if (inOwnFolder || dllDirectoryOff)
        lib = m_probes.LoadLibraryW(L"MurocApi.dll");
    if (inOwnFolder)
        m_probes._wchdir(saved);
    if (!lib) {
        CString folder = ReadRegistryString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Intel\\Wireless", L"BinDir", L"");
        if (!folder.IsEmpty() && haveSaved) {
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
