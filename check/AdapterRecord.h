// One detected wireless adapter and the list that owns them. A record holds what the check found:
// what the device reports and the verdicts as values; the texts a user reads are the window's.
#pragma once
#include "framework/Afx.h"

class CAdapterRecord {
public:
    enum { KindPci = 0, KindUsb = 1, KindIntel3945 = 2 };
    // The verdict of the driver rules.
    enum Verdict { VerdictPassed, VerdictBadUsbDriver, VerdictBad3945Driver, VerdictBadProSet };
    // Whether a line of the list that is valid for the running system names the adapter; once yes it
    // stays yes. The check gives only no and yes; unknown is shown as such.
    enum OsCompatibility : short { OsCompatibleNo = 0, OsCompatibleYes = 1, OsCompatibleUnknown = 2 };

    CAdapterRecord();
    ~CAdapterRecord();

    CString Description;
    CString HardwareId;
    WORD DriverVersion[4];      // major, minor, build, revision
    int Supported;
    int DriverVersionOk;
    Verdict DriverVerdict;
    short AdapterKind;
    OsCompatibility OsCompatible;

    // Test hook: records alive right now (lets tests prove that nothing leaks).
    static int s_nLive;
};

typedef CPtrArray AdapterList;

inline CAdapterRecord* GetAdapter(const AdapterList& list, INT_PTR i) { return (CAdapterRecord*)list.GetAt(i); }

// Deletes every non-null record in index order, then empties the list.
void DeleteAdapterRecords(AdapterList& list);
