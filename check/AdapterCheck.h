// Adapter discovery: enumeration, registry scan, driver and PROSet probes, all through IProbes.
#pragma once
#include "check/probes.h"
#include "check/AdapterRecord.h"

class CAdapterCheck {
public:
    CAdapterCheck(IProbes& probes, AdapterList& list) : m_probes(probes), m_list(list) {}

    void EnumerateAdapters();
    int IsWirelessAdapter(const CString& hardwareId);
    void ScanClassKey(HKEY key, const CString& path, const CString& hardwareId, int& wireless, int& found);
    int GetDriverVersion(HDEVINFO set, PSP_DEVINFO_DATA dev, WORD& major, WORD& minor, WORD& build, WORD& rev);
    // Caller frees with delete[]; null on failure.
    WCHAR* GetDeviceStringProperty(HDEVINFO set, PSP_DEVINFO_DATA dev, DWORD property);
    void GetFileVersion(LPCWSTR path, WORD& major, WORD& minor, WORD& build, WORD& rev);
    int CheckProSetVersion();
    CString ReadRegistryString(HKEY root, LPCWSTR subKey, LPCWSTR valueName, LPCWSTR defaultText);

    IProbes& Probes() { return m_probes; }
    AdapterList& List() { return m_list; }

private:
    IProbes& m_probes;
    AdapterList& m_list;
};
