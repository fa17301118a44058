#include "app/ResultTexts.h"
#include "app/SupportSite.h"
#include "res/resource.h"

CString DriverVerdictText(CAdapterRecord::Verdict verdict)
{
    switch (verdict) {
    case CAdapterRecord::VerdictBadUsbDriver: return AfxResourceString(IDS_BAD_USB_DRIVER);
    case CAdapterRecord::VerdictBad3945Driver: return AfxResourceString(IDS_BAD_3945_DRIVER);
    case CAdapterRecord::VerdictBadProSet: return AfxResourceString(IDS_BAD_PROSET);
    default: return AfxResourceString(IDS_PASSED);
    }
}

ResultRow ResultRowOf(const CAdapterRecord& r, const CString& installerCommand)
{
    ResultRow row;
    row.cells[0] = r.Description;
    row.cells[1] = AfxResourceString(r.OsCompatible == CAdapterRecord::OsCompatibleNo    ? IDS_OS_NOT_SUPPORTED
                                     : r.OsCompatible == CAdapterRecord::OsCompatibleYes ? IDS_OS_SUPPORTED
                                                                                         : IDS_OS_NA);
    row.cells[2].Format(L"%d.%d.%d.%d", (unsigned)(WORD)r.DriverVersion[0], (unsigned)(WORD)r.DriverVersion[1],
                        (unsigned)(WORD)r.DriverVersion[2], (unsigned)(WORD)r.DriverVersion[3]);
    // Supported is tested first: an adapter missing from the list is not "not supported on this OS".
    if (!r.Supported) row.cells[3] = AfxResourceString(IDS_STATUS_NOT_SUPPORTED);
    else if (!r.OsCompatible) row.cells[3] = AfxResourceString(IDS_STATUS_NOT_SUPPORTED) + AfxResourceString(IDS_ON_THIS_OS);
    else row.cells[3] = DriverVerdictText(r.DriverVerdict);
    row.statusImage = (r.DriverVersionOk && r.Supported && r.OsCompatible) ? 1 : 0;

    if (!r.Supported || !r.OsCompatible) {
        row.cells[4] = AfxResourceString(IDS_CMD_LIST);
        row.action = ResolutionPage;
        row.target = NV_URL_SUPPORTED_ADAPTERS;
    } else if (!r.DriverVersionOk && r.AdapterKind != CAdapterRecord::KindUsb) {
        row.cells[4] = AfxResourceString(IDS_CMD_3945);
        row.action = ResolutionPage;
        row.target = NV_URL_DRIVER_DOCUMENTS;
    } else if (!r.DriverVersionOk) {
        row.cells[4] = AfxResourceString(IDS_CMD_USB);
        row.action = ResolutionInstaller;
        row.target = installerCommand;
    }
    return row;
}

CString ResultSummary(const AdapterList& list)
{
    if (list.GetSize() == 0) return AfxResourceString(IDS_NO_ADAPTER);
    for (INT_PTR i = 0; i < list.GetSize(); ++i) {
        const CAdapterRecord* r = GetAdapter(list, i);
        // The green mark asks for OsCompatible other than no; the congratulation for yes.
        if (r && !(r->Supported && r->DriverVersionOk && r->OsCompatible == CAdapterRecord::OsCompatibleYes))
            return CString();
    }
    return AfxResourceString(IDS_CONGRATULATIONS);
}

CString MissingListMessage(const CString& listPath)
{
    CString message;
    message.Format(L"Can't open %s.\nCheck to make sure %s exists.", listPath.GetString(), listPath.GetString());
    return message;
}

CString InstallerBeside(const CString& programPath)
{
    return programPath.Left(programPath.ReverseFind(L'\\')) + NV_INSTALLER_RELATIVE_PATH;
}

CString InstallerCommandLine(IProbes& probes)
{
    wchar_t self[MAX_PATH + 1] = {};
    DWORD n = probes.GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return CString();
    return InstallerBeside(CString(self, (int)n));
}
