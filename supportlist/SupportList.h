// The supported-adapter list file and the rules by which its lines mark the records.
#pragma once
#include "check/AdapterCheck.h"
#include "check/SystemFacts.h"

// The list rules: what one line of the list says of the records on the system that the facts describe.
class CListRules {
public:
    explicit CListRules(const CSystemFacts& facts);
    // Marks the records that the line names (Supported, OsCompatible). line: as read, without its end.
    void ApplyLine(CString line, AdapterList& list) const;

private:
    // Whether a gated line (upper-cased) is valid on this system.
    BOOL LineValid(const CString& line) const;

    const CSystemFacts& m_facts;
    // On 64-bit Windows whose system library is no 6.1 to 6.3 (XP, Vista, 10, or unreadable) gated
    // lines must also carry the 64-bit markers to be read at all.
    BOOL m_b64BitFilter;
};

class CSupportList {
public:
    // No list comes near this size; a larger file (or a device that never ends) is not read past it.
    static const ULONGLONG kMaxListBytes = 16 * 1024 * 1024;

    CSupportList(IProbes& probes, AdapterList& list) : m_probes(probes), m_list(list) {}
    // Empty: the list beside the program's own file. Set by the report tool's --list.
    void SetListPath(const CString& path) { m_strOverridePath = path; }
    CString GetListPath();
    // Reads the list and applies its rules to every record: 1 when the file was read to its end, 0
    // when it could not be opened or a read failed. Shows nothing: whoever runs the check tells the
    // user (ListMissing).
    int ApplySupportList(const CSystemFacts& facts);
    // The same on the facts of the system the probe surface shows.
    int ApplySupportList() { return ApplySupportList(ReadSystemFacts(m_probes)); }
    // Whether the last ApplySupportList found no file to open.
    BOOL ListMissing() const { return m_bListMissing; }

private:
    IProbes& m_probes;
    AdapterList& m_list;
    CString m_strOverridePath;
    BOOL m_bListMissing = FALSE;
};
