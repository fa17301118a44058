// Recorded systems written in code for the check's tests: the pieces they set up again and again,
// and a system that also counts what the check asked of it.
#pragma once
#include "recorded/RecordedProbes.h"
#include <string>
#include <vector>

// A registry path below HKEY_LOCAL_MACHINE, where the check reads.
inline std::wstring Hklm(const std::wstring& subKey) { return L"HKEY_LOCAL_MACHINE\\" + subKey; }

// A started network device as SetupAPI lists it: a bus address, the description, the hardware IDs
// and, when one is given, the service.
inline RecordedDevice& AddNetworkDevice(RecordedProbes& p, const std::wstring& desc, const std::vector<std::wstring>& hwids,
                                        const std::wstring& service = L"", ULONG problem = 0)
{
    RecordedDevice d;
    d.properties[SPDRP_ADDRESS] = RecordedValue::Dword(L"", (DWORD)p.devices.size());
    d.properties[SPDRP_DEVICEDESC] = RecordedValue::String(L"", desc);
    d.properties[SPDRP_HARDWAREID] = RecordedValue::MultiString(L"", hwids);
    if (!service.empty()) d.properties[SPDRP_SERVICE] = RecordedValue::String(L"", service);
    d.hasInstanceId = true;
    d.instanceId = L"ROOT\\NET\\" + std::to_wstring(p.devices.size());
    d.problem = problem;
    p.devices.push_back(d);
    return p.devices.back();
}

// A string value as a program may have written it: with or without its terminator.
inline RecordedValue StringValue(const std::wstring& name, const std::wstring& text, bool terminated = true)
{
    RecordedValue v = RecordedValue::String(name, text);
    if (!terminated) v.data.resize(v.data.size() - sizeof(WCHAR));
    return v;
}

inline RecordedValue BinaryValue(const std::wstring& name, const std::vector<BYTE>& data)
{
    RecordedValue v;
    v.name = name;
    v.type = REG_BINARY;
    v.data = data;
    return v;
}

inline RecordedFile& FileOf(RecordedProbes& p, const std::wstring& path)
{
    for (RecordedFile& f : p.files)
        if (RecordedProbes::NormalizeFilePath(f.path) == RecordedProbes::NormalizeFilePath(path)) return f;
    RecordedFile f;
    f.path = path;
    p.files.push_back(f);
    return p.files.back();
}

inline void SetFileVersion(RecordedProbes& p, const std::wstring& path, WORD a, WORD b, WORD c, WORD d)
{
    RecordedFile& f = FileOf(p, path);
    f.hasVersion = true;
    f.fileVersionMS = MAKELONG(b, a);
    f.fileVersionLS = MAKELONG(d, c);
}

// The product version of the system library, kernel32.dll in the system folder.
inline void SetSystemVersion(RecordedProbes& p, WORD major, WORD minor)
{
    RecordedFile& f = FileOf(p, p.os.systemDirectory + L"\\kernel32.dll");
    f.hasVersion = true;
    f.productVersionMS = MAKELONG(minor, major);
}

// The PROSet utility's library at path, reporting apiVersion through GetAPIVersion when it has it.
inline void AddProSetLibrary(RecordedProbes& p, const std::wstring& path, DWORD apiVersion, bool hasEntry = true,
                             bool onSearchPath = false)
{
    RecordedLibrary lib;
    lib.path = path;
    lib.onSearchPath = onSearchPath;
    lib.hasGetAPIVersion = hasEntry;
    lib.apiVersion = apiVersion;
    p.libraries.push_back(lib);
}

// A system whose driver hands out what fits of a property too long for the buffer, unterminated,
// and reports success, as a hostile driver might.
struct TruncatingSystem : RecordedProbes {
    BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property, PDWORD type,
                                           PBYTE buffer, DWORD size, PDWORD required) override
    {
        if (RecordedProbes::SetupDiGetDeviceRegistryPropertyW(set, data, property, type, buffer, size, required))
            return TRUE;
        if (property == SPDRP_SERVICE || !buffer || data->DevInst == 0 || data->DevInst > devices.size())
            return FALSE;
        auto it = devices[data->DevInst - 1].properties.find(property);
        if (it == devices[data->DevInst - 1].properties.end() || it->second.data.size() <= size) return FALSE;
        memcpy(buffer, &it->second.data[0], size);
        return TRUE;
    }
};

// A system with such a driver that also counts the calls the tests look at.
struct CountingSystem : TruncatingSystem {
    int setDllDirCalls = 0, bareLoads = 0, opens = 0;
    std::vector<std::wstring> loads;  // LoadLibraryExW's names, in order
    BOOL SetDllDirectoryW(LPCWSTR path) override
    {
        ++setDllDirCalls;
        return TruncatingSystem::SetDllDirectoryW(path);
    }
    HMODULE LoadLibraryW(LPCWSTR name) override
    {
        ++bareLoads;
        return TruncatingSystem::LoadLibraryW(name);
    }
    HMODULE LoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags) override
    {
        loads.push_back(name);
        return TruncatingSystem::LoadLibraryExW(name, file, flags);
    }
    LONG RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD options, REGSAM sam, PHKEY result) override
    {
        ++opens;
        return TruncatingSystem::RegOpenKeyExW(root, subKey, options, sam, result);
    }
};
