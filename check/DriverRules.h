// The driver rules: whether an adapter's driver (for the Intel PRO/Wireless 3945: its driver and the
// PROSet utility) is the one the host product needs. Nothing here looks at the system: the record's
// hardware ID and driver version and the outcome of the PROSet probe come in, the verdict goes out.
#pragma once
#include "check/AdapterRecord.h"

// Whether the description names the Intel PRO/Wireless 3945 (as the device reports it, case and all).
BOOL IsIntel3945(const CString& description);
// Whether the rules for this record need the PROSet probe's outcome: an Intel 3945 on the PCI bus.
BOOL DriverRulesNeedProSet(const CAdapterRecord& record);
// Sets the record's AdapterKind, DriverVersionOk and DriverVerdict from its Description, HardwareId
// and DriverVersion. proSetOk: the PROSet probe's outcome, read only where DriverRulesNeedProSet.
void ApplyDriverRules(CAdapterRecord& record, BOOL proSetOk);
