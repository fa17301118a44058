#include "supportlist/SupportList.h"
#include "supportlist/OsTags.h"
#include "framework/AfxFile.h"

CString CSupportList::GetListPath()
{
    if (!m_strOverridePath.IsEmpty())
        return m_strOverridePath;
    WCHAR self[MAX_PATH + 1];
    DWORD n = m_probes.GetModuleFileNameW(NULL, self, MAX_PATH);
    if (n > MAX_PATH) n = MAX_PATH;
    self[n] = 0;
    CString path(self);
    int slash = path.ReverseFind(L'\\');
    if (slash >= 0)
        path = path.Left(slash);
    return path + L"\\driverinfo.txt";
}

// The character at pos, or 0 when the line is too short: such positions compare unequal.
static WCHAR At(const CString& s, int pos) { return pos < s.GetLength() ? s.GetAt(pos) : 0; }

static void UpperAscii(CString& s)
{
    std::wstring w((LPCWSTR)s, s.GetLength());
    for (size_t i = 0; i < w.size(); ++i)
        if (w[i] >= L'a' && w[i] <= L'z') w[i] = (WCHAR)(w[i] - 32);
    s = CString(w);
}

CListRules::CListRules(const CSystemFacts& facts)
    : m_facts(facts), m_b64BitFilter(facts.wow64 && (facts.kernelMajor < 6 || facts.kernelMinor == 0))
{
}

BOOL CListRules::LineValid(const CString& line) const
{
    for (size_t t = 0; t < kOsTagCount; ++t) {
        const OsTag& tag = kOsTags[t];
        BOOL reported = tag.source == OsTag::Reported;
        DWORD major = reported ? m_facts.reportedMajor : m_facts.kernelMajor;
        DWORD minor = reported ? m_facts.reportedMinor : m_facts.kernelMinor;
        if (OsTagCharsFit(tag, line, line.GetLength()) && major == (DWORD)tag.major &&
            (tag.minor < 0 || minor == (DWORD)tag.minor) &&
            (tag.bitness == OsTag::AnyBitness || (tag.bitness == OsTag::Only64Bit) == (m_facts.wow64 != FALSE)))
            return TRUE;
    }
    return FALSE;
}

void CListRules::ApplyLine(CString line, AdapterList& list) const
{
    if (line.IsEmpty() || line.GetAt(0) == L'#')
        return;
    UpperAscii(line);
    for (INT_PTR i = 0; i < list.GetSize(); ++i) {
        CAdapterRecord* rec = GetAdapter(list, i);
        if (rec && line.Find(rec->HardwareId) >= 0)
            rec->Supported = 1;
    }
    CAdapterRecord::OsCompatibility lineOsOk = CAdapterRecord::OsCompatibleNo;
    if (line.GetAt(0) == L'_') {
        if (LineValid(line)) lineOsOk = CAdapterRecord::OsCompatibleYes;
        if (m_b64BitFilter) {
            if (m_facts.reportedMajor == 6 && m_facts.reportedMinor == 0 &&
                !(At(line, 1) == L'W' && At(line, 2) == L'L' && At(line, 3) == L'H'))
                return;
            int us = line.Find(L'_', 1);
            if (us < 0)
                return;
            if (m_facts.NativeX64() && !(At(line, us + 1) == L'X' && At(line, us + 2) == L'6' && At(line, us + 3) == L'4'))
                return;
        }
        int comma = line.Find(L',');
        if (comma >= 0)
            line = line.Mid(comma + 1);
    }
    int comma = line.Find(L',');
    CString idField;
    if (comma >= 0) {
        idField = line.Left(comma);
        idField.Trim();
    }
    BOOL lineIntel = line.Find(L"INTEL(R) PRO/WIRELESS 3945") >= 0;
    for (INT_PTR i = 0; i < list.GetSize(); ++i) {
        CAdapterRecord* rec = GetAdapter(list, i);
        if (!rec)
            continue;
        if (!idField.IsEmpty() && idField.Find(rec->HardwareId) >= 0) {
            rec->Supported = 1;
            if (rec->OsCompatible == CAdapterRecord::OsCompatibleNo) rec->OsCompatible = lineOsOk;
        }
        if (lineIntel && rec->Description.Find(L"Intel(R) PRO/Wireless 3945") >= 0) {
            rec->Supported = 1;
            if (rec->OsCompatible == CAdapterRecord::OsCompatibleNo) rec->OsCompatible = lineOsOk;
        }
    }
}

int CSupportList::ApplySupportList(const CSystemFacts& facts)
{
    m_bListMissing = FALSE;
    CStdioFile file;
    if (!file.Open(GetListPath(), CFile::modeRead | CFile::typeText)) {
        m_bListMissing = TRUE;
        return 0;
    }
    // Whoever names the list (the report's options, a snapshot) refuses devices and oversized files
    // beforehand; this bound keeps any other from growing memory without end.
    file.SetReadLimit(kMaxListBytes);
    CListRules rules(facts);
    CString line;
    while (file.ReadString(line))
        rules.ApplyLine(line, m_list);
    // A read error ends the loop like the end of the file does; it is no success.
    BOOL readError = file.HadReadError();
    file.Close();
    return readError ? 0 : 1;
}
