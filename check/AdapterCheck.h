// Adapter discovery: enumeration, registry scan, driver and PROSet probes, all through IProbes.
#pragma once
#include "check/probes.h"
#include "check/AdapterRecord.h"
#include <memory>
#include <string>
#include <vector>

class CAdapterCheck {
public:
    CAdapterCheck(IProbes& probes, AdapterList& list);
    ~CAdapterCheck();

    // How far below the class key the registry scan goes (the registry itself allows 512 levels).
    static const int kMaxClassDepth = 512;
    // The largest device property or version block taken from outside (no service name or version
    // resource comes near it); a larger reported size is refused before any arithmetic on it.
    static const DWORD kMaxOutsideBytes = 1024 * 1024;

    // Whether a sub-key name as the registry counts it can be part of a key path: not empty, no NUL,
    // no backslash. The scan passes over other names.
    static bool IsUsableKeyName(const std::wstring& name);

    void EnumerateAdapters();
    // furtherIds: the device's hardware IDs after the first, upper-cased. A function of a composite USB
    // device (Wi-Fi beside Bluetooth, say) is named by its class key's ComponentId in the form
    // "USB\VID_v&PID_p&MI_n", which only one of its later hardware IDs has.
    int IsWirelessAdapter(const CString& hardwareId, const std::vector<CString>& furtherIds = std::vector<CString>());
    void ScanClassKey(HKEY key, const CString& path, const CString& hardwareId, int& wireless, int& found,
                      const std::vector<CString>& furtherIds = std::vector<CString>());
    int GetDriverVersion(HDEVINFO set, PSP_DEVINFO_DATA dev, WORD& major, WORD& minor, WORD& build, WORD& rev);
    // The driver file whose version GetDriverVersion reads; FALSE when there is none to read.
    BOOL GetDriverFilePath(HDEVINFO set, PSP_DEVINFO_DATA dev, CString& file);
    // Caller frees with delete[]; null on failure.
    WCHAR* GetDeviceStringProperty(HDEVINFO set, PSP_DEVINFO_DATA dev, DWORD property);
    void GetFileVersion(LPCWSTR path, WORD& major, WORD& minor, WORD& build, WORD& rev);
    int CheckProSetVersion();
    // Where the PROSet library is looked for first: its file name in the system folder; empty when the
    // system folder is not known.
    CString ProSetLibraryInSystemFolder();
    // sam: extra access flags for the open (KEY_WOW64_64KEY for the 64-bit view).
    CString ReadRegistryString(HKEY root, LPCWSTR subKey, LPCWSTR valueName, LPCWSTR defaultText, REGSAM sam = 0);
    // The utility's folder: from the 32-bit registry view, else (on 64-bit Windows, where a 64-bit
    // installer writes it) from the 64-bit view; empty when neither names one.
    CString ProSetFolder();

    IProbes& Probes() { return m_probes; }
    AdapterList& List() { return m_list; }

private:
    CAdapterCheck(const CAdapterCheck&) = delete;
    CAdapterCheck& operator=(const CAdapterCheck&) = delete;

    struct ClassKey;
    void ReadClassKey(HKEY key, ClassKey& into);
    void ScanRead(ClassKey& key, const CString& hardwareId, int& wireless, int& found, int depth,
                  const std::vector<CString>& furtherIds);

    IProbes& m_probes;
    AdapterList& m_list;
    // While the adapters are enumerated: the class tree as far as it has been read, so that each key
    // is read once per run however many devices are looked up in it.
    std::unique_ptr<ClassKey> m_classTree;
    bool m_treeForRun = false;
    std::vector<WCHAR> m_nameBuffer;
    std::vector<BYTE> m_dataBuffer;
};
