// The fleet summary at scale: folders of generated reports (one to eight adapters each, a tenth of the
// computers reporting twice) summed up by the shipped report program, as a support desk runs it over
// a share. Prints the time for each folder and per report; the time should grow with the file count
// alone.
#include "bench/BenchClock.h"
#include <stdio.h>
#include <string>
#include <vector>

namespace {

std::wstring Folder()
{
    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    return std::wstring(tmp) + L"nv_summary_bench";
}

void Clear(const std::wstring& folder)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ::DeleteFileW((folder + L"\\" + fd.cFileName).c_str());
        } while (::FindNextFileW(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryW(folder.c_str());
}

// A report as netvetter-report --json writes it.
std::string Report(int computer, int day, int adapters)
{
    char head[512];
    snprintf(head, sizeof head,
             "{\n  \"schemaVersion\": 1,\n  \"computer\": \"PC-%05d\",\n  \"checkedAt\": \"2026-12-%02dT08:%02d:00Z\",\n"
             "  \"program\": {\"name\": \"Netvetter\", \"version\": \"1.0.0.37458\"},\n  \"source\": \"live\",\n"
             "  \"listFile\": \"C:\\\\Program Files\\\\Netvetter\\\\driverinfo.txt\",\n  \"listRead\": true,\n"
             "  \"osName\": \"Windows 10 64-Bit\",\n  \"summary\": \"\",\n  \"adapters\": [",
             computer, day, computer % 60);
    std::string s = head;
    for (int a = 0; a < adapters; ++a) {
        bool ok = (computer + a) % 3 != 0;
        char row[1024];
        snprintf(row, sizeof row,
                 "%s\n    {\"description\": \"Corvane AirStick N%d USB Wireless Adapter\", \"hardwareId\": \"USB\\\\VID_0CF3&PID_%04X\", "
                 "\"driverVersion\": \"103.1.0.%d\", \"driverVersionText\": \"%s\", \"driverVersionOk\": %s, \"supported\": true, "
                 "\"osCompatible\": true, \"kind\": \"USB\", \"fullyCorrect\": %s,\n     \"cells\": [\"Corvane AirStick N%d USB Wireless "
                 "Adapter\", \"Supported\", \"103.1.0.%d\", \"%s\", \"%s\"], \"resolution\": {\"action\": \"%s\", \"target\": \"%s\"}}",
                 a ? "," : "", 300 + a, 0x9170 + a, 100 + a, ok ? "Passed" : "Incorrect USB driver version", ok ? "true" : "false",
                 ok ? "true" : "false", 300 + a, 100 + a, ok ? "Passed" : "Incorrect USB driver version",
                 ok ? "" : "Click here to install USB abgn driver", ok ? "none" : "installer",
                 ok ? "" : "C:\\\\Program Files\\\\Netvetter\\\\WlanStickSetup\\\\setup.exe");
        s += row;
    }
    return s + "\n  ],\n  \"outcome\": \"actionNeeded\",\n  \"exitCode\": 1\n}\n";
}

void Generate(const std::wstring& folder, int count)
{
    ::CreateDirectoryW(folder.c_str(), nullptr);
    int computers = count - count / 10;
    for (int i = 0; i < count; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L"\\report-%05d.json", i);
        std::string text = Report(i % computers, 1 + i / computers, 1 + i % 8);
        HANDLE h = ::CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD done = 0;
        if (h != INVALID_HANDLE_VALUE) {
            ::WriteFile(h, text.data(), (DWORD)text.size(), &done, nullptr);
            ::CloseHandle(h);
        }
    }
}

// Runs the report program's summary over folder; its exit code, or -1. (Wall-clock time: under Wine
// much of the work is the server's, which no process time of the program's counts.)
int Summarize(const std::wstring& report, const std::wstring& folder)
{
    std::wstring cmd = L"\"" + report + L"\" --summary \"" + folder + L"\" --out \"" + folder + L".csv\"";
    STARTUPINFOW si = {sizeof(si)};
    si.dwFlags = STARTF_USESTDHANDLES;
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE nul = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
    si.hStdInput = si.hStdOutput = si.hStdError = nul;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(report.c_str(), &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        ::CloseHandle(nul);
        return -1;
    }
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(nul);
    return (int)code;
}

std::wstring Grouped(int n)
{
    std::wstring s = std::to_wstring(n);
    for (int at = (int)s.size() - 3; at > 0; at -= 3) s.insert(at, L",");
    return s;
}

}  // namespace

int wmain()
{
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring report = self;
    report = report.substr(0, report.rfind(L'\\')) + L"\\netvetter-report.exe";
    std::wstring folder = Folder();
    int rc = 0;
    // What the program's start costs alone, read off the figures below.
    Clear(folder);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    double start = BenchSeconds();
    Summarize(report, folder);
    wprintf(L"summary of no report (the program's start): %.1f s\n", BenchSeconds() - start);
    for (int count : {1000, 10000}) {
        Clear(folder);
        Generate(folder, count);
        start = BenchSeconds();
        int code = Summarize(report, folder);
        double seconds = BenchSeconds() - start;
        // Every generated computer has an adapter that needs action: 1 is the expected answer.
        if (code != 1) {
            wprintf(L"summary of %ls reports: exit code %d, expected 1\n", Grouped(count).c_str(), code);
            rc = 1;
        }
        wprintf(L"summary of %ls reports: %.1f s, %.2f ms per report\n", Grouped(count).c_str(), seconds,
                seconds * 1000.0 / count);
        fflush(stdout);
    }
    Clear(folder);
    ::DeleteFileW((folder + L".csv").c_str());
    return rc;
}
