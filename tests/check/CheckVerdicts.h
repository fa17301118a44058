// The whole check over a probe surface and a list file, as one text per adapter (description,
// hardware ID, driver version, the four verdicts and the verdict text), for comparing two runs.
#pragma once
#include "supportlist/NetvetterCheck.h"
#include "app/ResultTexts.h"
#include <gtest/gtest.h>
#include <string>

inline std::wstring CheckVerdicts(IProbes& probes, const std::wstring& listPath)
{
    AdapterList list;
    CNetvetterCheck check(probes, list);
    check.SupportList().SetListPath(listPath.c_str());
    EXPECT_EQ(1, check.RunCheck());
    std::wstring all;
    for (INT_PTR i = 0; i < list.GetSize(); ++i) {
        const CAdapterRecord* r = GetAdapter(list, i);
        EXPECT_TRUE(r->OsCompatible == 0 || r->Supported == 1);
        wchar_t line[64];
        swprintf(line, 64, L"|%u.%u.%u.%u|%d%d%d%d|", r->DriverVersion[0], r->DriverVersion[1], r->DriverVersion[2],
                 r->DriverVersion[3], r->Supported, r->OsCompatible, r->DriverVersionOk, r->AdapterKind);
        all += std::wstring((LPCWSTR)r->Description) + L"|" + (LPCWSTR)r->HardwareId + line +
               (LPCWSTR)DriverVerdictText(r->DriverVerdict) + L"\n";
    }
    DeleteAdapterRecords(list);
    return all;
}
