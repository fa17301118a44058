// The built programs load on Windows XP: they import only system libraries that XP has, and none of
// the functions that came with later Windows versions.
#include "framework/Afx.h"
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {
std::vector<BYTE> ReadAll(const CString& path)
{
    std::vector<BYTE> data;
    FILE* f = _wfopen(path, L"rb");
    if (!f) return data;
    BYTE buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    fclose(f);
    return data;
}

struct PeImports {
    bool ok = false;
    bool pe32 = false;
    WORD subsystem = 0;
    std::map<std::string, std::vector<std::string>> byDll;
};

// Walks the import directory of a PE file on disk (32- or 64-bit), by section arithmetic.
PeImports ReadImports(const std::vector<BYTE>& f)
{
    PeImports r;
    auto in = [&](size_t off, size_t len) { return off + len <= f.size() && off + len >= off; };
    if (!in(0, sizeof(IMAGE_DOS_HEADER))) return r;
    auto dos = (const IMAGE_DOS_HEADER*)&f[0];
    size_t nt = (size_t)dos->e_lfanew;
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || !in(nt, sizeof(IMAGE_NT_HEADERS32))) return r;
    auto fileHeader = (const IMAGE_FILE_HEADER*)&f[nt + 4];
    size_t opt = nt + 4 + sizeof(IMAGE_FILE_HEADER);
    WORD magic = *(const WORD*)&f[opt];
    r.pe32 = magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    DWORD importRva;
    if (r.pe32) {
        auto oh = (const IMAGE_OPTIONAL_HEADER32*)&f[opt];
        r.subsystem = oh->Subsystem;
        importRva = oh->DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    } else {
        if (!in(opt, sizeof(IMAGE_OPTIONAL_HEADER64))) return r;
        auto oh = (const IMAGE_OPTIONAL_HEADER64*)&f[opt];
        r.subsystem = oh->Subsystem;
        importRva = oh->DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    }
    size_t sections = opt + fileHeader->SizeOfOptionalHeader;
    auto toOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < fileHeader->NumberOfSections; ++i) {
            size_t at = sections + i * sizeof(IMAGE_SECTION_HEADER);
            if (!in(at, sizeof(IMAGE_SECTION_HEADER))) return 0;
            auto s = (const IMAGE_SECTION_HEADER*)&f[at];
            if (rva >= s->VirtualAddress && rva < s->VirtualAddress + s->SizeOfRawData)
                return rva - s->VirtualAddress + s->PointerToRawData;
        }
        return 0;
    };
    auto text = [&](DWORD rva) {
        size_t o = toOffset(rva);
        std::string s;
        while (o && o < f.size() && f[o]) s += (char)f[o++];
        return s;
    };
    for (size_t d = toOffset(importRva); d && in(d, sizeof(IMAGE_IMPORT_DESCRIPTOR)); d += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        auto desc = (const IMAGE_IMPORT_DESCRIPTOR*)&f[d];
        if (!desc->Name) break;
        std::string dll = text(desc->Name);
        for (auto& c : dll) c = (char)toupper((unsigned char)c);
        std::vector<std::string>& names = r.byDll[dll];
        DWORD thunkRva = desc->OriginalFirstThunk ? desc->OriginalFirstThunk : desc->FirstThunk;
        size_t width = r.pe32 ? 4 : 8;
        for (size_t t = toOffset(thunkRva); t && in(t, width); t += width) {
            ULONGLONG v = r.pe32 ? *(const DWORD*)&f[t] : *(const ULONGLONG*)&f[t];
            if (!v) break;
            bool byOrdinal = r.pe32 ? (v & 0x80000000u) != 0 : (v >> 63) != 0;
            names.push_back(byOrdinal ? std::string("#ordinal") : text((DWORD)v + 2));
        }
    }
    r.ok = true;
    return r;
}

CString BuildFolder()
{
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    CString dir(self);
    dir = dir.Left(dir.ReverseFind(L'\\'));
    return dir.Left(dir.ReverseFind(L'\\'));
}
}

// Both programs load on XP and run elevated from wherever they were downloaded to: they import only
// what XP has, and at load time only libraries that Windows always takes from the system folder (its
// known libraries) and the common controls, which the manifest names. A load-time import of any
// other library would be looked for in the program's folder first, where anyone could put one.
TEST(ProgramImportsTest, OnlyKnownSystemLibrariesAndFunctionsThatWindowsXpHas)
{
    const std::set<std::string> knownLibraries = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL",
                                                  "SHELL32.DLL", "SHLWAPI.DLL", "OLE32.DLL", "OLEAUT32.DLL",
                                                  "SETUPAPI.DLL", "COMDLG32.DLL", "MSVCRT.DLL", "COMCTL32.DLL"};
    // Functions the run-time libraries like to reach for that arrived after XP, and the ones the
    // programs look up by name because XP lacks them.
    const std::set<std::string> afterXp = {"GetTickCount64", "InitializeCriticalSectionEx", "InitOnceExecuteOnce",
                                           "InitializeSRWLock", "AcquireSRWLockExclusive", "SleepConditionVariableCS",
                                           "WakeAllConditionVariable", "FlsAlloc", "GetLocaleInfoEx", "LCMapStringEx",
                                           "CompareStringEx", "GetFinalPathNameByHandleW", "CreateSymbolicLinkW",
                                           "SetDllDirectoryW", "GetNativeSystemInfo", "IsWow64Process",
                                           "SetDefaultDllDirectories", "AddDllDirectory"};
    // The shipped programs sit one folder above the test build (whose own copies are built with what
    // the test framework needs, and are not shipped).
    CString build = BuildFolder();
    CString shipped = build.Left(build.ReverseFind(L'\\'));
    struct Program { const wchar_t* file; WORD subsystem; };
    const Program programs[] = {{L"netvetter.exe", IMAGE_SUBSYSTEM_WINDOWS_GUI},
                                {L"netvetter-report.exe", IMAGE_SUBSYSTEM_WINDOWS_CUI}};
    int checked = 0;
    for (const Program& program : programs) {
        std::vector<BYTE> data = ReadAll(shipped + L"\\" + program.file);
        if (data.empty()) continue;
        ++checked;
        SCOPED_TRACE((LPCSTR)CStringA(program.file));
        PeImports imp = ReadImports(data);
        ASSERT_TRUE(imp.ok);
        EXPECT_TRUE(imp.pe32);
        EXPECT_EQ(program.subsystem, imp.subsystem);
        EXPECT_TRUE(imp.byDll.count("KERNEL32.DLL"));
        EXPECT_FALSE(imp.byDll.count("VERSION.DLL"));  // the usual culprit: loaded at run time instead
        for (const auto& dll : imp.byDll) {
            EXPECT_TRUE(knownLibraries.count(dll.first)) << dll.first;
            for (const std::string& fn : dll.second) EXPECT_FALSE(afterXp.count(fn)) << dll.first << "!" << fn;
        }
    }
    if (!checked) GTEST_SKIP() << "no program built beside this test build";
    EXPECT_EQ(2, checked) << "one of the programs is missing beside the test build";
}
