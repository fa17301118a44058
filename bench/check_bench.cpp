// Times the recorded-system loader and the check on large and hostile inputs:
//   loader: a 1.6 MB binary value over continuation lines as reg export writes it, 40,000 values in one
//           key, 10,000 key deletions, one key path 16,000 levels deep;
//   scan:   50 devices over a 20,000-key class tree (each device's key last, so that a scan per device
//           reads the whole tree), without standard output and with the trace going to NUL;
//   trace:  50 devices over a 5,000-key tree with the trace written to NUL and to a file.
// Each should take well under a second. "check_bench 0.25" scales every size down (for slow builds).
#include "recorded/RecordedProbes.h"
#include "recorded/Snapshot.h"
#include "supportlist/NetvetterCheck.h"
#include "bench/BenchClock.h"
#include <io.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>

namespace {

double g_scale = 1.0;
int Scaled(int n) { return (int)(n * g_scale) > 0 ? (int)(n * g_scale) : 1; }

void Report(const char* what, double seconds, const std::wstring& error = std::wstring())
{
    printf("%-58s %9.3f s%s\n", what, seconds, error.empty() ? "" : "  (load failed)");
    fflush(stdout);
}

double TimeLoad(const std::wstring& text, std::wstring& error)
{
    RecordedProbes p;
    double t0 = BenchSeconds();
    LoadSnapshotText(text, p, error);
    return BenchSeconds() - t0;
}

std::wstring BigBinaryValue(int bytes)
{
    std::wstring text = L"Windows Registry Editor Version 5.00\r\n\r\n[HKLM\\SOFTWARE\\Big]\r\n\"Blob\"=hex:";
    text.reserve(bytes * 4 + 100);
    for (int i = 0; i < bytes; ++i) {
        wchar_t b[4];
        swprintf(b, 4, L"%02x", (unsigned)(i & 0xFF));
        text += b;
        if (i + 1 < bytes) text += (i % 25 == 24) ? L",\\\r\n  " : L",";
    }
    return text + L"\r\n";
}

std::wstring ManyValues(int n)
{
    std::wstring text = L"[HKLM\\SOFTWARE\\Many]\r\n";
    for (int i = 0; i < n; ++i) text += L"\"value" + std::to_wstring(i) + L"\"=dword:00000001\r\n";
    return text;
}

std::wstring ManyDeletions(int n)
{
    std::wstring text;
    for (int i = 0; i < n; ++i) text += L"[HKLM\\SOFTWARE\\Keys\\key" + std::to_wstring(i) + L"]\r\n";
    for (int i = 0; i < n; ++i) text += L"[-HKLM\\SOFTWARE\\Keys\\key" + std::to_wstring(i) + L"]\r\n";
    return text;
}

std::wstring DeepPath(int levels)
{
    std::wstring text = L"[HKLM\\SOFTWARE";
    for (int i = 0; i < levels; ++i) text += L"\\d";
    return text + L"]\r\n\"x\"=dword:00000001\r\n";
}

// devices wireless adapters whose class keys come last in a tree of keys sub-keys (two levels).
void BuildSystem(RecordedProbes& p, int devices, int keys)
{
    const std::wstring cls = L"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
    int groups = keys / 20;
    for (int g = 0; g < groups; ++g) {
        for (int k = 0; k < 19; ++k) {
            wchar_t path[32];
            swprintf(path, 32, L"\\%05d\\%02d", g, k);
            p.SetValue(cls + path, RecordedValue::String(L"ComponentId", L"ROOT\\OTHER"));
            p.SetValue(cls + path, RecordedValue::Dword(L"IfType", 6));
        }
    }
    for (int d = 0; d < devices; ++d) {
        wchar_t path[32], id[64];
        swprintf(path, 32, L"\\z%04d", d);
        swprintf(id, 64, L"PCI\\VEN_%04X&DEV_0001", d);
        p.SetValue(cls + path, RecordedValue::String(L"ComponentId", id));
        p.SetValue(cls + path, RecordedValue::Dword(L"IfType", 71));
        RecordedDevice dev;
        dev.properties[SPDRP_ADDRESS] = RecordedValue::Dword(L"", d);
        dev.properties[SPDRP_DEVICEDESC] = RecordedValue::String(L"", L"Adapter");
        dev.properties[SPDRP_HARDWAREID] = RecordedValue::MultiString(L"", {std::wstring(id) + L"&SUBSYS_1"});
        dev.properties[SPDRP_SERVICE] = RecordedValue::String(L"", L"svc");
        dev.hasInstanceId = true;
        p.devices.push_back(dev);
    }
    p.SetValue(L"HKLM\\SYSTEM\\CurrentControlSet\\Services\\svc", RecordedValue::String(L"ImagePath", L"system32\\drivers\\a.sys"));
}

// Runs the check with standard output sent to target (null: none); the adapters found.
double TimeCheck(RecordedProbes& p, const wchar_t* target, const std::wstring& list, int& found)
{
    fflush(stdout);
    int saved = _dup(1);
    FILE* out = target ? _wfopen(target, L"w") : NULL;
    if (out) _dup2(_fileno(out), 1);
    else _close(1);  // no standard output at all, as a windowed program started without one
    AdapterList records;
    CNetvetterCheck check(p, records);
    check.SupportList().SetListPath(list.c_str());
    double t0 = BenchSeconds();
    check.RunCheck();
    double t = BenchSeconds() - t0;
    fflush(stdout);
    _dup2(saved, 1);
    _close(saved);
    if (out) fclose(out);
    found = (int)records.GetSize();
    DeleteAdapterRecords(records);
    return t;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 1) g_scale = _wtof(argv[1]);
    if (g_scale <= 0) g_scale = 1;
    printf("check_bench (sizes x %.2f)\n", g_scale);
    std::wstring error;
    double t = TimeLoad(BigBinaryValue(Scaled(1600 * 1000)), error);
    Report("load: 1.6 MB binary value over continuation lines", t, error);
    t = TimeLoad(ManyValues(Scaled(40000)), error);
    Report("load: 40,000 values in one key", t, error);
    t = TimeLoad(ManyDeletions(Scaled(10000)), error);
    Report("load: 10,000 keys added and deleted", t, error);
    t = TimeLoad(DeepPath(Scaled(16000)), error);
    Report("load: one key path 16,000 levels deep", t, error);

    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    std::wstring list = std::wstring(tmp) + L"nv_bench_list.txt", traceFile = std::wstring(tmp) + L"nv_bench_trace.txt";
    FILE* f = _wfopen(list.c_str(), L"w");
    fputs("# empty\n", f);
    fclose(f);
    int found = 0;
    {
        RecordedProbes p;
        BuildSystem(p, Scaled(50), Scaled(20000));
        t = TimeCheck(p, NULL, list, found);
        Report("check: 50 devices over a 20,000-key tree, no output", t);
        t = TimeCheck(p, L"NUL", list, found);
        Report("check: 50 devices over a 20,000-key tree, trace to NUL", t);
        printf("  (%d adapters found)\n", found);
    }
    {
        RecordedProbes p;
        BuildSystem(p, Scaled(50), Scaled(5000));
        t = TimeCheck(p, L"NUL", list, found);
        Report("trace: 50 devices over a 5,000-key tree, to NUL", t);
        t = TimeCheck(p, traceFile.c_str(), list, found);
        Report("trace: 50 devices over a 5,000-key tree, to a file", t);
    }
    DeleteFileW(list.c_str());
    DeleteFileW(traceFile.c_str());
    return 0;
}
