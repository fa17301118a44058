// The supported-adapter list file and the check run that ends with it.
#pragma once
#include "check/AdapterCheck.h"

class CSupportList {
public:
    // No list comes near this size; a larger file (or a device that never ends) is not read past it.
    static const ULONGLONG kMaxListBytes = 16 * 1024 * 1024;

    CSupportList(IProbes& probes, AdapterList& list) : m_probes(probes), m_list(list) {}
    // Empty: the list beside the program's own file. Set by the report tool's --list.
    void SetListPath(const CString& path) { m_strOverridePath = path; }
    CString GetListPath();
    int ApplySupportList();
    DWORD GetSystemVersion();
    // The build number of the same product version (22000 and later: Windows 11); 0 when unreadable.
    WORD GetSystemBuild();

private:
    BOOL ReadSystemProductVersion(DWORD& ms, DWORD& ls);

    IProbes& m_probes;
    AdapterList& m_list;
    CString m_strOverridePath;
};

// What the dialog owns: the whole check over one probe surface and one list of records.
class CNetvetterCheck {
public:
    CNetvetterCheck(IProbes& probes, AdapterList& list) : m_adapters(probes, list), m_support(probes, list), m_list(list) {}
    int RunCheck();
    CAdapterCheck& Adapters() { return m_adapters; }
    CSupportList& SupportList() { return m_support; }

private:
    CAdapterCheck m_adapters;
    CSupportList m_support;
    AdapterList& m_list;
};
