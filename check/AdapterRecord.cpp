#include "AdapterRecord.h"

int CAdapterRecord::s_nLive = 0;

CAdapterRecord::CAdapterRecord()
    : Supported(0), DriverVersionOk(0), DriverVerdict(VerdictPassed), AdapterKind(KindPci), OsCompatible(OsCompatibleNo)
{
    DriverVersion[0] = DriverVersion[1] = DriverVersion[2] = DriverVersion[3] = 0;
    ++s_nLive;
}

CAdapterRecord::~CAdapterRecord() { --s_nLive; }

void DeleteAdapterRecords(AdapterList& list)
{
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        delete (CAdapterRecord*)list.GetAt(i);
    list.RemoveAll();
}
