// One detected wireless adapter and the list that owns them.
#pragma once
#include "framework/Afx.h"

class CAdapterRecord {
public:
    enum { KindPci = 0, KindUsb = 1, KindIntel3945 = 2 };
    CAdapterRecord();
    ~CAdapterRecord();

    CString Description;
    CString HardwareId;
    WORD DriverVersion[4];      // major, minor, build, revision
    int Supported;
    int DriverVersionOk;
    CString DriverVersionText;
    short AdapterKind;
    short OsCompatible;
    CString ResolutionText;

    // Test hook: records alive right now (lets tests prove that nothing leaks).
    static int s_nLive;
};

typedef CPtrArray AdapterList;

inline CAdapterRecord* GetAdapter(const AdapterList& list, INT_PTR i) { return (CAdapterRecord*)list.GetAt(i); }

// Deletes every non-null record in index order, then empties the list.
void DeleteAdapterRecords(AdapterList& list);
