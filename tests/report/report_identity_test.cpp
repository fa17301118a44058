// The report program run as a script on a fleet's PCs would run it: which PC and when, in live runs
// and in replays of captures, and reports written to a file that readers may hold open.
#include <gtest/gtest.h>
#include "recorded/Snapshot.h"
#include "../common/BuiltPrograms.h"
#include "ReportFiles.h"
#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

json ParseReport(const ProgramRun& r)
{
    json j = json::parse(r.out, nullptr, false);
    EXPECT_FALSE(j.is_discarded()) << r.out << r.err;
    return j.is_discarded() ? json::object() : j;
}

std::string FileVersionOf(const std::wstring& path)
{
    DWORD handle = 0, size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
    std::vector<BYTE> block(size ? size : 1);
    VS_FIXEDFILEINFO* fi = nullptr;
    UINT len = 0;
    if (!size || !::GetFileVersionInfoW(path.c_str(), 0, size, &block[0]) ||
        !::VerQueryValueW(&block[0], L"\\", (LPVOID*)&fi, &len))
        return "(none)";
    char buf[64];
    sprintf(buf, "%u.%u.%u.%u", HIWORD(fi->dwFileVersionMS), LOWORD(fi->dwFileVersionMS), HIWORD(fi->dwFileVersionLS),
            LOWORD(fi->dwFileVersionLS));
    return buf;
}

bool EndsWith(const std::string& s, const std::string& end)
{
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

std::string IsoNow()
{
    SYSTEMTIME t;
    ::GetSystemTime(&t);
    char buf[32];
    sprintf(buf, "%04u-%02u-%02uT%02u:%02u:%02uZ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return buf;
}

}  // namespace

TEST(ReportIdentity, LiveRunsNameThisPcAndCapturesCarryNameAndTimeIntoReplays)
{
    TempFolder dir(L"nv_identity");
    wchar_t name[64] = {};
    DWORD n = 63;
    ASSERT_TRUE(::GetComputerNameW(name, &n));

    // Live: this PC's name, the time of the run, the version of the program's resource.
    std::string before = IsoNow();
    std::wstring capture = dir.path + L"\\pc.snapshot";
    ProgramRun live = RunReport(L"--json --capture \"" + capture + L"\"");
    std::string after = IsoNow();
    json j = ParseReport(live);
    EXPECT_EQ(1, j.value("schemaVersion", 0));
    EXPECT_EQ(Utf8(name), j.value("computer", "?"));
    std::string at = j.value("checkedAt", "?");
    EXPECT_TRUE(at >= before && at <= after) << before << " " << at << " " << after;
    EXPECT_EQ(json({{"name", "Netvetter"}, {"version", FileVersionOf(BuiltProgram(L"netvetter.exe"))}}), j["program"]);
    EXPECT_EQ("live", j.value("source", "?"));
    // What was there before stays, in its place after the new fields.
    EXPECT_LT(live.out.find("\"source\""), live.out.find("\"listFile\"")) << live.out;
    EXPECT_TRUE(j.contains("adapters") && j.contains("outcome") && j.contains("exitCode"));

    // The capture records both; its replay reports them, not the machine it runs on.
    std::string snap = ReadFileBytes(capture);
    EXPECT_NE(std::string::npos, snap.find("ComputerName=\"" + Utf8(name) + "\"\r\n")) << snap;
    EXPECT_NE(std::string::npos, snap.find("CheckedAt=" + at + "\r\n")) << snap;
    std::wstring error;
    std::string other = snap;
    other.replace(other.find("ComputerName=\""), 14 + wcslen(name) + 1, "ComputerName=\"PC-\\u00e9042\"");
    other.replace(other.find("CheckedAt="), 30, "CheckedAt=2026-01-02T03:04:05Z");
    WriteBytes(capture, other);
    json replay = ParseReport(RunReport(L"--json --snapshot \"" + capture + L"\""));
    EXPECT_EQ(Utf8(L"PC-\u00e9042"), replay.value("computer", "?"));
    EXPECT_EQ("2026-01-02T03:04:05Z", replay.value("checkedAt", "?"));
    EXPECT_EQ("snapshot", replay.value("source", "?"));
    ProgramRun text = RunReport(L"--snapshot \"" + capture + L"\"");
    EXPECT_NE(std::string::npos, text.out.find("=== Netvetter report ===\nComputer: " + Utf8(L"PC-\u00e9042") +
                                                " | checked at 2026-01-02T03:04:05Z | Netvetter " +
                                                j["program"].value("version", "?") + " | snapshot\nList file: "))
        << text.out;

    // An older snapshot records neither: both are empty.
    json old = ParseReport(RunReport(L"--json --snapshot \"" + SampleSnapshots()[0] + L"\""));
    EXPECT_EQ("", old.value("computer", "?"));
    EXPECT_EQ("", old.value("checkedAt", "?"));

    // A time that is no UTC time of that form stops the load at its line.
    for (const char* bad : {"2026-02-30T10:00:00Z", "2026-12-07 20:41:07Z", "2026-12-07T20:41:07+01:00"}) {
        WriteBytes(capture, std::string("[System]\nCheckedAt=") + bad + "\n");
        ProgramRun r = RunReport(L"--snapshot \"" + capture + L"\"");
        EXPECT_EQ(2u, r.exitCode) << bad;
        EXPECT_NE(std::string::npos, r.err.find(", line 2: CheckedAt is a UTC time")) << r.err;
    }
}

TEST(ReportOut, ReplacesAFileThatAnotherProcessReadsAndLeavesItWholeWhenWritingFails)
{
    TempFolder dir(L"nv_out");
    std::wstring out = dir.path + L"\\fleet\\PC-1.json";
    ::CreateDirectoryW((dir.path + L"\\fleet").c_str(), nullptr);
    WriteBytes(out, "old report");
    std::wstring sample = L"--snapshot \"" + SampleSnapshots()[0] + L"\"";

    // A reader holds the file open (letting others replace it, as the summary's reader does): the new
    // report takes its place in one step, the reader's handle still reads the old one whole.
    {
        FileHolder reader(out, FILE_SHARE_READ | FILE_SHARE_DELETE);
        ASSERT_TRUE(reader.Open());
        ProgramRun r = RunReport(L"--json --out \"" + out + L"\" " + sample);
        EXPECT_EQ(1u, r.exitCode) << r.err;  // the report's own code: some adapter needs action
        EXPECT_EQ("", r.out);
        std::string now = ReadFileBytes(out);
        EXPECT_EQ(0u, now.find("{\r\n  \"schemaVersion\": 1,\r\n")) << now;
        EXPECT_NE(std::string::npos, now.find("\"exitCode\": 1\r\n}\r\n"));
        EXPECT_EQ(0u, reader.Finish()) << "the reader's open file changed under it";
    }
    // The text report too, with the line ends it has on a redirected standard output.
    ProgramRun t = RunReport(L"--out \"" + out + L"\" " + sample);
    EXPECT_EQ(1u, t.exitCode);
    EXPECT_NE(std::string::npos, ReadFileBytes(out).find("\r\n=== Netvetter report ===\r\nComputer: "));
    EXPECT_EQ(std::vector<std::wstring>{L"PC-1.json"}, FilesIn(dir.path + L"\\fleet"));

    // Writing fails (the file is read-only; a reader that lets no one delete it): exit 2, a message
    // naming the file, the file as it was, no new file left beside it.
    std::string before = ReadFileBytes(out);
    ::SetFileAttributesW(out.c_str(), FILE_ATTRIBUTE_READONLY);
    ProgramRun ro = RunReport(L"--json --out \"" + out + L"\" " + sample);
    ::SetFileAttributesW(out.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(2u, ro.exitCode);
    EXPECT_TRUE(EndsWith(ro.err, "\nCan't write " + Utf8(out) + ": the file is read-only\n")) << ro.err;
    {
        FileHolder locker(out, FILE_SHARE_READ);
        ASSERT_TRUE(locker.Open());
        ProgramRun held = RunReport(L"--json --out \"" + out + L"\" " + sample);
        EXPECT_EQ(2u, held.exitCode);
        EXPECT_NE(std::string::npos, held.err.find("Can't write " + Utf8(out) + ": ")) << held.err;
        EXPECT_EQ(0u, locker.Finish());
    }
    EXPECT_EQ(before, ReadFileBytes(out));
    EXPECT_EQ(std::vector<std::wstring>{L"PC-1.json"}, FilesIn(dir.path + L"\\fleet"));
    ProgramRun noFolder = RunReport(L"--json --out \"" + dir.path + L"\\no such folder\\x.json\" " + sample);
    EXPECT_EQ(2u, noFolder.exitCode);
    EXPECT_NE(std::string::npos, noFolder.err.find("Can't write " + Utf8(dir.path) + "\\no such folder\\x.json: ")) << noFolder.err;

    // What --list refuses, --out refuses before anything runs.
    struct Refused {
        std::wstring path;
        const char* why;
    } refused[] = {{L"CON", "names a device, not a file"}, {dir.path + L"\\NUL.json", "names a device, not a file"},
                   {L"\\\\.\\PhysicalDrive0", "is a device path, not a file"}, {dir.path, "is a folder, not a file"}};
    for (const Refused& c : refused) {
        ProgramRun r = RunReport(L"--json --out \"" + c.path + L"\" " + sample);
        EXPECT_EQ(2u, r.exitCode) << Utf8(c.path);
        EXPECT_EQ("--out: " + Utf8(c.path) + " " + c.why + "\n", r.err);
        EXPECT_EQ("", r.out);
    }
}
