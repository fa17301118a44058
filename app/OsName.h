// The name of the running Windows release shown in the header table.
#pragma once
#include "framework/AfxString.h"
#include "supportlist/SupportList.h"

struct OsFacts {
    WORD kernelMajor, kernelMinor;       // product version of kernel32.dll; 0.0 when unreadable
    DWORD reportedMajor, reportedMinor;  // what the version query reports to this program
    CString servicePack;                 // empty without a service pack
    BOOL wow64;                          // this 32-bit program runs on 64-bit Windows
    WORD kernelBuild;                    // third number of kernel32.dll's product version; 0 when unreadable
};

// "Windows 7 64-Bit (Service Pack 1)" and the like; empty for a release the program does not know.
CString OsDisplayName(const OsFacts& facts);

// The facts of the system that the check runs on, through its probe surface: the running one, or a
// recorded one.
OsFacts ReadOsFacts(IProbes& probes, CSupportList& supportList);
