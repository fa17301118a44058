#include "check/DriverRules.h"

static const WCHAR kIntelName[] = L"Intel(R) PRO/Wireless 3945";
// USB sticks whose driver must be 103.1.0 with a revision of 113 or more.
static const WCHAR* const kUsbIdsWithDriver[] = {
    L"USB\\VID_0CF3&PID_9170", L"USB\\VID_0846&PID_9010", L"USB\\VID_07D1&PID_3C10",
    L"USB\\VID_07D1&PID_3A09", L"USB\\VID_1435&PID_0804"};

BOOL IsIntel3945(const CString& description) { return description.Find(kIntelName) >= 0; }

BOOL DriverRulesNeedProSet(const CAdapterRecord& r)
{
    return r.HardwareId.Find(L"PCI\\") >= 0 && IsIntel3945(r.Description);
}

void ApplyDriverRules(CAdapterRecord& r, BOOL proSetOk)
{
    const WORD* v = r.DriverVersion;
    r.AdapterKind = CAdapterRecord::KindPci;
    r.DriverVersionOk = 0;
    r.DriverVerdict = CAdapterRecord::VerdictPassed;
    // An ID that holds both bus prefixes ends with the USB rule's kind.
    if (r.HardwareId.Find(L"PCI\\") >= 0) {
        if (!IsIntel3945(r.Description)) {
            r.AdapterKind = CAdapterRecord::KindPci;
            r.DriverVersionOk = 1;
        } else if (proSetOk) {
            r.AdapterKind = CAdapterRecord::KindIntel3945;
            if (v[0] == 10 && v[1] == 5)
                r.DriverVersionOk = 1;
            else
                r.DriverVerdict = CAdapterRecord::VerdictBad3945Driver;
        } else {
            r.DriverVerdict = CAdapterRecord::VerdictBadProSet;
        }
    }
    if (r.HardwareId.Find(L"USB\\") >= 0) {
        r.AdapterKind = CAdapterRecord::KindUsb;
        BOOL listed = FALSE;
        for (const WCHAR* id : kUsbIdsWithDriver)
            if (r.HardwareId.Find(id) >= 0)
                listed = TRUE;
        if (!listed || (v[0] == 103 && v[1] == 1 && v[2] == 0 && v[3] >= 113))
            r.DriverVersionOk = 1;
        else
            r.DriverVerdict = CAdapterRecord::VerdictBadUsbDriver;
    }
}
