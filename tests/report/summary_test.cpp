// The summary over a folder of reports collected from a fleet: the latest report of each computer,
// one CSV line per adapter, hostile files skipped with a line each, and the exit codes a script tests.
#include <gtest/gtest.h>
#include "recorded/Snapshot.h"
#include "ReportFiles.h"
#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

struct Adapter {
    std::string name, hardwareId, version, status, action, target;
};

// A report as the report program writes it (the fields the summary reads, and some it does not).
std::string ReportJson(const std::string& computer, const std::string& at, const std::string& outcome,
                       const std::string& os, const std::vector<Adapter>& adapters)
{
    json list = json::array();
    for (const Adapter& a : adapters)
        list.push_back({{"description", a.name}, {"hardwareId", a.hardwareId}, {"driverVersion", a.version},
                        {"fullyCorrect", a.action == "none"}, {"cells", {a.name, "Supported", a.version, a.status, ""}},
                        {"resolution", {{"action", a.action}, {"target", a.target}}}});
    json j = {{"schemaVersion", 1}, {"computer", computer}, {"checkedAt", at},
              {"program", {{"name", "Netvetter"}, {"version", "1.0.0.37458"}}}, {"source", "live"},
              {"listFile", "C:\\driverinfo.txt"}, {"listRead", outcome != "listUnreadable"}, {"osName", os},
              {"summary", ""}, {"adapters", list}, {"outcome", outcome}, {"exitCode", 1}};
    return j.dump(2);
}

const Adapter kStick = {"Corvane AirStick N300", "USB\\VID_0CF3&PID_9170", "103.1.0.113", "Passed", "none", ""};
const Adapter kOldIntel = {"Intel(R) PRO/Wireless 3945ABG", "PCI\\VEN_8086&DEV_4222", "10.5.1.75",
                           "Incorrect Intel(R) PROSet Utility version", "page", "https://support.corvane.com/x/"};
const char kHeader[] = "\xEF\xBB\xBF" "computer,checkedAt,outcome,osName,adapter,hardwareId,driverVersion,status,resolution,target\r\n";

std::string Lf(std::string s)
{
    s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
    return s;
}

}  // namespace

TEST(FleetSummary, LatestReportPerComputerOneLinePerAdapterAndExitCodes)
{
    TempFolder dir(L"nv_fleet");
    std::wstring fleet = dir.path + L"\\fleet";
    ::CreateDirectoryW(fleet.c_str(), nullptr);
    auto put = [&](const wchar_t* name, const std::string& text) { WriteBytes(fleet + L"\\" + name, text); };
    // PC-A: the later report counts, whatever the files' names.
    put(L"z-old.json", ReportJson("PC-A", "2026-12-01T10:00:00Z", "actionNeeded", "Windows 7", {kStick, kOldIntel}));
    put(L"a-new.json", ReportJson("PC-A", "2026-12-02T10:00:00Z", "allCorrect", "Windows 10 (64-bit)", {kStick}));
    // PC-B: two reports of the same second: the file whose name sorts last.
    Adapter second = kStick;
    second.name = "Second stick";
    put(L"b1.json", ReportJson("PC-B", "2026-12-02T10:00:00Z", "allCorrect", "Windows 8", {kStick}));
    put(L"b2.json", ReportJson("pc-b", "2026-12-02T10:00:00Z", "allCorrect", "Windows 8", {second}));
    // No adapter, and a list that could not be read (its records still listed): one line each.
    put(L"c.json", ReportJson("PC-C", "2026-12-02T11:00:00Z", "noAdapter", "Windows XP", {}));
    put(L"d.json", ReportJson("PC-D", "2026-12-02T11:00:00Z", "listUnreadable", "", {kOldIntel}));
    // Text that a spreadsheet would run, and text that needs quoting.
    Adapter evil = {"+SUM(A1:A9)", "-2+3", "@now", "\tTab", "page", "\rCR"};
    put(L"e.json", ReportJson("=HYPERLINK(\"x\")", "2026-12-02T11:00:00Z", "actionNeeded", "Windows, \"7\"\nSP1", {evil}));
    // Neither a *.json file nor one in a sub-folder is read.
    put(L"notes.txt", "not a report");
    ::CreateDirectoryW((fleet + L"\\sub.json").c_str(), nullptr);
    WriteBytes(fleet + L"\\sub.json\\inner.json", ReportJson("PC-X", "2026-12-02T11:00:00Z", "allCorrect", "", {}));

    // A report the report program wrote itself, for a recorded PC that names itself; one of its
    // adapters is named with half a surrogate pair, which the report gives as a replacement character.
    std::string snap = ReadFileBytes(SampleSnapshots()[0]) + "\r\n[System]\r\nComputerName=\"PC-REAL\"\r\nCheckedAt=2026-12-03T08:00:00Z\r\n";
    snap.replace(snap.find("Contoso 802.11g"), 15, "Contoso \\ud800 802.11g");
    std::wstring snapPath = dir.path + L"\\real.snapshot";
    WriteBytes(snapPath, snap);
    ProgramRun real = RunReport(L"--json --snapshot \"" + snapPath + L"\" --list \"" + SampleSnapshots()[0].substr(0, SampleSnapshots()[0].rfind(L'.')) +
                                L".driverinfo.txt\" --out \"" + fleet + L"\\PC-REAL.json\"");
    ASSERT_EQ(1u, real.exitCode) << real.err;

    std::wstring csvPath = dir.path + L"\\fleet.csv";
    ProgramRun r = RunReport(L"--summary \"" + fleet + L"\" --out \"" + csvPath + L"\"");
    EXPECT_EQ(1u, r.exitCode) << r.err;
    EXPECT_EQ("", r.out);
    EXPECT_EQ("6 computers: 3 ready, 2 need action, 1 list unreadable; 0 files skipped\n", r.err);
    std::string csv = ReadFileBytes(csvPath);
    std::string expected = std::string(kHeader) +
        "\"'=HYPERLINK(\"\"x\"\")\",2026-12-02T11:00:00Z,actionNeeded,\"Windows, \"\"7\"\"\nSP1\",'+SUM(A1:A9),'-2+3,'@now,'\tTab,page,\"'\rCR\"\r\n"
        "PC-A,2026-12-02T10:00:00Z,allCorrect,Windows 10 (64-bit),Corvane AirStick N300,USB\\VID_0CF3&PID_9170,103.1.0.113,Passed,none,\r\n"
        "pc-b,2026-12-02T10:00:00Z,allCorrect,Windows 8,Second stick,USB\\VID_0CF3&PID_9170,103.1.0.113,Passed,none,\r\n"
        "PC-C,2026-12-02T11:00:00Z,noAdapter,Windows XP,,,,,,\r\n"
        "PC-D,2026-12-02T11:00:00Z,listUnreadable,,,,,,,\r\n"
        "PC-REAL,2026-12-03T08:00:00Z,actionNeeded,Windows 7 (Service Pack 1),Corvane AirStick N300 USB Wireless Adapter,USB\\VID_0CF3&PID_9170,103.1.0.113,Passed,none,\r\n"
        "PC-REAL,2026-12-03T08:00:00Z,actionNeeded,Windows 7 (Service Pack 1),Intel(R) PRO/Wireless 3945ABG Network Connection,PCI\\VEN_8086&DEV_4222,10.5.1.75,Incorrect Intel(R) PROSet Utility version,page,https://support.corvane.com/my_corvane/public/documents/#3rdpartydriver/\r\n"
        "PC-REAL,2026-12-03T08:00:00Z,actionNeeded,Windows 7 (Service Pack 1),Contoso \xEF\xBF\xBD 802.11g PCI Wireless Adapter,PCI\\VEN_1814&DEV_0301,1.3.4.0,Not supported,page,https://support.corvane.com/support/supported_adapters/\r\n";
    EXPECT_EQ(expected, csv);

    // Standard output carries the same table; files may be named one by one.
    ProgramRun some = RunReport(L"--summary \"" + fleet + L"\\c.json\" \"" + fleet + L"\\a-new.json\"");
    EXPECT_EQ(0u, some.exitCode) << some.err;
    EXPECT_EQ(Lf(std::string(kHeader) +
                 "PC-A,2026-12-02T10:00:00Z,allCorrect,Windows 10 (64-bit),Corvane AirStick N300,USB\\VID_0CF3&PID_9170,103.1.0.113,Passed,none,\r\n"
                 "PC-C,2026-12-02T11:00:00Z,noAdapter,Windows XP,,,,,,\r\n"),
              some.out);
    EXPECT_EQ("2 computers: 2 ready, 0 need action, 0 list unreadable; 0 files skipped\n", some.err);

    // No report at all: 2.
    ::CreateDirectoryW((dir.path + L"\\empty").c_str(), nullptr);
    ProgramRun none = RunReport(L"--summary \"" + dir.path + L"\\empty\"");
    EXPECT_EQ(2u, none.exitCode);
    EXPECT_EQ(Lf(kHeader), none.out);
    EXPECT_EQ("0 computers: 0 ready, 0 need action, 0 list unreadable; 0 files skipped\n", none.err);
    ProgramRun usage = RunReport(L"--summary --json");
    EXPECT_EQ(2u, usage.exitCode);
    EXPECT_NE(std::string::npos, usage.err.find("--summary needs at least one file or folder")) << usage.err;
}

TEST(FleetSummary, EveryKindOfFileThatIsNoReportIsSkippedWithOneLine)
{
    TempFolder dir(L"nv_hostile");
    std::wstring f = dir.path + L"\\";
    WriteBytes(f + L"good.json", ReportJson("PC-OK", "2026-12-02T10:00:00Z", "allCorrect", "Windows 7", {kStick}));
    WriteBytes(f + L"notjson.json", "<html>not json</html>");
    WriteBytes(f + L"array.json", "[1, 2, 3]");
    WriteBytes(f + L"v2.json", "{\"schemaVersion\": 2, \"computer\": \"PC\"}");
    WriteBytes(f + L"noversion.json", "{\"computer\": \"PC\", \"adapters\": []}");
    std::string wrong = ReportJson("PC", "2026-12-02T10:00:00Z", "allCorrect", "", {kStick});
    wrong.replace(wrong.find("\"computer\": \"PC\""), 16, "\"computer\": 42");
    WriteBytes(f + L"wrongtype.json", wrong);
    std::string cells = ReportJson("PC", "2026-12-02T10:00:00Z", "allCorrect", "", {kStick});
    cells.replace(cells.find("\"Passed\""), 8, "null");
    WriteBytes(f + L"cells.json", cells);
    // Nesting a million deep: refused at the fifth level, without building anything.
    WriteBytes(f + L"deep.json", "{\"schemaVersion\": 1, \"adapters\": [" + std::string(1000000, '[') + std::string(1000000, ']') + "]}");
    // Several megabytes that are a report (a long OS name) are read; past 16 MB a file is not.
    WriteBytes(f + L"large.json", ReportJson("PC-LARGE", "2026-12-02T10:00:00Z", "allCorrect", std::string(6 << 20, 'W'), {}));
    WriteBytes(f + L"huge.json", ReportJson("PC-HUGE", "2026-12-02T10:00:00Z", "allCorrect", "", {}) + std::string((16 << 20) + 1, ' '));

    ProgramRun r = RunReport(L"--summary \"" + dir.path + L"\" CON \"\\\\.\\pipe\\nv\" \"" + f + L"missing.json\"");
    EXPECT_EQ(2u, r.exitCode);
    const std::string d = Utf8(f);
    std::string expected = d + "array.json: is not a JSON object\n" +
                           d + "cells.json: adapter 1: \"cells\" is not five strings\n" +
                           d + "deep.json: nests deeper than a report (more than 4 levels)\n" +
                           d + "huge.json: is larger than 16 MB\n" +
                           d + "notjson.json: is not JSON (error at byte 1)\n" +
                           d + "noversion.json: has no \"schemaVersion\": not a Netvetter report\n" +
                           d + "v2.json: has \"schemaVersion\" 2, not 1\n" +
                           d + "wrongtype.json: \"computer\" is not a string\n" +
                           "CON: names a device, not a file\n"
                           "\\\\.\\pipe\\nv: is a device path, not a file\n" +
                           d + "missing.json: does not exist\n"
                           "2 computers: 2 ready, 0 need action, 0 list unreadable; 11 files skipped\n";
    EXPECT_EQ(expected, r.err);
    std::string out = r.out;
    EXPECT_NE(std::string::npos, out.find("\nPC-LARGE,2026-12-02T10:00:00Z,allCorrect,WWWW")) << out.substr(0, 300);
    EXPECT_NE(std::string::npos, out.find("\nPC-OK,2026-12-02T10:00:00Z,allCorrect,Windows 7,")) << out.substr(0, 300);
}
