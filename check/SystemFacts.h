// What the program knows of the Windows release it runs on, read in one place through the probe
// surface: the system library's product version, the version the system reports to the program,
// WOW64 and the native processor. The list rules, the operating-system row and the capture of a
// snapshot all take these facts from here.
#pragma once
#include "check/probes.h"
#include "framework/AfxString.h"

struct CSystemFacts {
    // The first seven fields in this order, so that a test can write the facts that name a release
    // as one brace list.
    WORD kernelMajor = 0, kernelMinor = 0;  // product version of kernel32.dll in the system folder; 0.0 when unreadable
    DWORD reportedMajor = 0, reportedMinor = 0;  // what the version query reports to this program; 0.0 when it fails
    CString servicePack;                    // empty without a service pack
    BOOL wow64 = FALSE;                     // this 32-bit program runs on 64-bit Windows
    WORD kernelBuild = 0;                   // third number of the same product version; 0 when unreadable

    // How the WOW64 query went: the system may lack it, or it may fail; either way wow64 is FALSE.
    enum Wow64Query { Wow64Absent, Wow64Failed, Wow64Answered } wow64Query = Wow64Absent;
    // The native processor architecture (9: x64), 0xFFFF when it cannot be fetched.
    BOOL nativeKnown = FALSE;
    WORD nativeArchitecture = 0xFFFF;
    // The version query's whole answer, as a snapshot records it.
    BOOL versionRead = FALSE;
    OSVERSIONINFOEXW version = {};

    // The system library's version as one number: major in the high half, minor in the low one.
    DWORD KernelVersion() const { return MAKELONG(kernelMinor, kernelMajor); }
    BOOL NativeX64() const { return nativeKnown && nativeArchitecture == PROCESSOR_ARCHITECTURE_AMD64; }
};

CSystemFacts ReadSystemFacts(IProbes& probes);

// Whether this 32-bit process runs on 64-bit Windows; when query is given, also how the query went.
BOOL QueryWow64(IProbes& probes, CSystemFacts::Wow64Query* query = NULL);

// The fixed part of a file's version block; FALSE (and nothing written) when the file has none or the
// block that came back is not whole. Sizes and pointers from outside are checked before use.
BOOL ReadFixedFileInfo(IProbes& probes, LPCWSTR path, VS_FIXEDFILEINFO& info);
