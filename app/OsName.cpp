#include "app/OsName.h"

CString OsDisplayName(const CSystemFacts& f)
{
    const wchar_t* release = nullptr;
    bool bitness = false;   // whether the 64-Bit patterns exist for the release
    if (f.kernelMajor == 10) {
        // Windows 11 still calls itself 10.0; only its build numbers, from 22000 on, tell it apart.
        if (f.kernelMinor == 0) release = f.kernelBuild >= 22000 ? L"Windows 11" : L"Windows 10";
        bitness = true;
    } else if (f.kernelMajor == 6) {
        // Kernel 6.0 gives no name: only the reported version can name Vista, when the kernel is unreadable.
        if (f.kernelMinor == 1) release = L"Windows 7";
        else if (f.kernelMinor == 2) release = L"Windows 8";
        else if (f.kernelMinor == 3) release = L"Windows 8.1";
        bitness = true;
    } else if (f.reportedMajor == 6 && f.reportedMinor == 0) {
        release = L"Windows Vista";
    } else if (f.reportedMajor == 5 && f.reportedMinor == 1) {
        release = L"Windows XP";
    } else if (f.reportedMajor == 5 && f.reportedMinor == 2) {
        release = L"Windows XP 64-Bit";
    }
    if (!release) return CString();
    CString name(release);
    if (bitness && f.wow64) name += L" 64-Bit";
    if (!(f.servicePack == L"")) {
        CString withPack;
        withPack.Format(L"%s (%s)", name.GetString(), f.servicePack.GetString());
        name = withPack;
    }
    return name;
}
