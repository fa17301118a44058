// Console report of the adapter check: the same check the program runs, over this system or over a
// recorded one, printed as lines or as JSON, with an exit code that scripts can test.
#include "supportlist/NetvetterCheck.h"
#include "supportlist/ListChecker.h"
#include "app/ResultTexts.h"
#include "check/RealProbes.h"
#include "recorded/RecordedProbes.h"
#include "recorded/Snapshot.h"
#include "report/FleetSummary.h"
#include "report/WholeFile.h"
#include "check/CheckedSystem.h"
#include "framework/AfxApp.h"
#include "framework/AfxFile.h"
#include "framework/AfxSystemLibrary.h"
#include "res/resource.h"
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

const wchar_t kUsage[] =
    L"Usage: netvetter-report [--snapshot FILE] [--list FILE] [--capture FILE] [--json] [--out FILE]\n"
    L"       netvetter-report --summary PATH... [--out FILE]\n"
    L"       netvetter-report --check-list FILE\n"
    L"Runs Netvetter's adapter check and prints one line per adapter, the texts of its row in the\n"
    L"result window, the resolution the window offers, and the overall outcome.\n"
    L"  --snapshot FILE  replay the system recorded in FILE instead of checking this one\n"
    L"  --list FILE      use FILE as the supported-adapter list instead of driverinfo.txt\n"
    L"                   beside the program (or the list that the snapshot names)\n"
    L"  --capture FILE   also write a snapshot of the system checked to FILE\n"
    L"  --json           print the report as JSON (the check's trace then goes to stderr)\n"
    L"  --out FILE       write the report to FILE instead of standard output, whole or not at all\n"
    L"  --summary PATH...  read the JSON reports in PATH (files, or folders' *.json files) and write\n"
    L"                   one CSV table of each computer's latest report, one line per adapter\n"
    L"  --check-list FILE  only read FILE as a supported-adapter list and print each line that the\n"
    L"                   program ignores or reads differently from what was most likely meant\n"
    L"Exit code: 0 every adapter is correct or none is installed, 1 some adapter needs action,\n"
    L"2 the list cannot be read, the snapshot is malformed or the command line is wrong.\n"
    L"With --check-list: 0 nothing to say, 1 findings, 2 the file cannot be read.\n"
    L"With --summary: 0 every computer is ready, 1 some computer needs action or has no readable\n"
    L"list, 2 a file was skipped or no report was found.\n";

const wchar_t kProgramName[] = L"Netvetter";

// Text to a standard stream: UTF-16 to a console, UTF-8 to a file or pipe.
void Write(FILE* stream, const std::wstring& text)
{
    fflush(stream);
    HANDLE h = ::GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0, done = 0;
    if (h && h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &mode)) {
        ::WriteConsoleW(h, text.c_str(), (DWORD)text.size(), &done, NULL);
        return;
    }
    std::string bytes = AfxToUtf8(text);
    fwrite(bytes.data(), 1, bytes.size(), stream);
    fflush(stream);
}

std::wstring JsonString(const CString& s)
{
    std::wstring r = L"\"";
    for (int i = 0; i < s.GetLength(); ++i) {
        wchar_t c = s.GetAt(i);
        wchar_t buf[8];
        switch (c) {
        case L'"': r += L"\\\""; break;
        case L'\\': r += L"\\\\"; break;
        case L'\n': r += L"\\n"; break;
        case L'\r': r += L"\\r"; break;
        case L'\t': r += L"\\t"; break;
        default:
            // Everything outside printable ASCII as \u escapes: valid JSON whatever the reader's code page.
            // A surrogate half that stands alone is no character: strict readers (the summary's among them)
            // refuse a whole report for one, so it is written as U+FFFD, the replacement character.
            if (c >= 0xD800 && c <= 0xDFFF) {
                bool pair = c <= 0xDBFF && i + 1 < s.GetLength() && s.GetAt(i + 1) >= 0xDC00 && s.GetAt(i + 1) <= 0xDFFF;
                swprintf(buf, 8, L"\\u%04x", pair ? (unsigned)c : 0xFFFDu);
                r += buf;
                if (pair) {
                    swprintf(buf, 8, L"\\u%04x", (unsigned)s.GetAt(++i));
                    r += buf;
                }
            } else if (c < 0x20 || c > 0x7E) {
                swprintf(buf, 8, L"\\u%04x", (unsigned)c);
                r += buf;
            } else {
                r += c;
            }
        }
    }
    return r + L"\"";
}

// Text from the machine or a file, made safe for a terminal: control characters (which could clear
// the screen or retitle the window) are shown as escapes such as \x1b instead.
std::wstring Printable(const std::wstring& s, bool keepLineFeeds = false)
{
    std::wstring r;
    for (wchar_t c : s) {
        if (((c < 0x20 && c != L'\t') || (c >= 0x7F && c <= 0x9F)) && !(keepLineFeeds && c == L'\n')) {
            wchar_t buf[8];
            swprintf(buf, 8, L"\\x%02x", (unsigned)c);
            r += buf;
        } else {
            r += c;
        }
    }
    return r;
}

const wchar_t* KindName(short kind)
{
    switch (kind) {
    case CAdapterRecord::KindUsb: return L"USB";
    case CAdapterRecord::KindIntel3945: return L"Intel3945";
    default: return L"PCI";
    }
}

bool FullyCorrect(const CAdapterRecord* r) { return r->Supported && r->OsCompatible && r->DriverVersionOk; }

const wchar_t* ActionName(ResolutionAction action)
{
    return action == ResolutionPage ? L"page" : action == ResolutionInstaller ? L"installer" : L"none";
}

int CheckList(const std::wstring& path)
{
    CString why = OrdinaryFileProblem(path.c_str(), CSupportList::kMaxListBytes);
    if (!why.IsEmpty()) {
        Write(stderr, L"--check-list: " + Printable(path) + L" " + (LPCWSTR)why + L"\n");
        return 2;
    }
    std::vector<std::wstring> findings;
    if (!CheckListFile(path, findings)) {
        Write(stderr, L"Can't read " + Printable(path) + L".\n");
        return 2;
    }
    std::wstring out;
    for (const std::wstring& f : findings) out += Printable(f) + L"\n";
    Write(stdout, out);
    return findings.empty() ? 0 : 1;
}

CString Version(const CAdapterRecord* r)
{
    CString v;
    v.Format(L"%u.%u.%u.%u", r->DriverVersion[0], r->DriverVersion[1], r->DriverVersion[2], r->DriverVersion[3]);
    return v;
}

// The file version of this program's version resource, as a.b.c.d; empty without one.
std::wstring ProgramVersion()
{
    HRSRC res = ::FindResourceW(NULL, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    DWORD size = res ? ::SizeofResource(NULL, res) : 0;
    const BYTE* block = res ? (const BYTE*)::LockResource(::LoadResource(NULL, res)) : NULL;
    // VS_VERSIONINFO: three words, the key "VS_VERSION_INFO", padding to four bytes, the fixed part.
    const size_t at = (6 + sizeof(L"VS_VERSION_INFO") + 3) & ~(size_t)3;
    if (!block || size < at + sizeof(VS_FIXEDFILEINFO)) return std::wstring();
    VS_FIXEDFILEINFO fi;
    memcpy(&fi, block + at, sizeof(fi));
    if (fi.dwSignature != 0xFEEF04BD) return std::wstring();
    wchar_t buf[64];
    swprintf(buf, 64, L"%u.%u.%u.%u", HIWORD(fi.dwFileVersionMS), LOWORD(fi.dwFileVersionMS), HIWORD(fi.dwFileVersionLS),
             LOWORD(fi.dwFileVersionLS));
    return buf;
}

// The report's text as a file holds it: UTF-8 with CR LF line ends, as standard output redirected
// to a file gets it.
std::string FileBytes(const std::wstring& text)
{
    std::wstring crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (wchar_t c : text) {
        if (c == L'\n') crlf += L'\r';
        crlf += c;
    }
    return AfxToUtf8(crlf);
}

// --out refuses what --list refuses: a device, a pipe, a folder.
bool OutFileUsable(const std::wstring& out)
{
    if (out.empty()) return true;
    std::wstring why = OutputFileProblem(out);
    if (why.empty()) return true;
    Write(stderr, L"--out: " + Printable(out) + L" " + why + L"\n");
    return false;
}

bool WriteOut(const std::wstring& out, const std::string& bytes)
{
    std::wstring error;
    if (WriteWholeFile(out, bytes, error)) return true;
    Write(stderr, L"Can't write " + Printable(out) + L": " + error + L"\n");
    return false;
}

int Summary(const std::vector<std::wstring>& paths, const std::wstring& out)
{
    if (!OutFileUsable(out)) return 2;
    FleetSummary summary = SummarizeReports(paths);
    std::wstring messages;
    for (const std::wstring& line : summary.skipped) messages += line + L"\n";
    if (!out.empty()) {
        if (!WriteOut(out, summary.csv)) return 2;
    } else {
        HANDLE h = ::GetStdHandle(STD_OUTPUT_HANDLE);
        DWORD mode = 0;
        if (h && h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &mode)) {
            // A console shows characters, not bytes: the table without its byte-order mark.
            Write(stdout, AfxFromUtf8(summary.csv.c_str() + 3, summary.csv.size() - 3));
        } else {
            fflush(stdout);
            _setmode(_fileno(stdout), _O_BINARY);
            fwrite(summary.csv.data(), 1, summary.csv.size(), stdout);
            fflush(stdout);
        }
    }
    Write(stderr, messages + summary.CountLine() + L"\n");
    return summary.ExitCode();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    AfxRestrictLibrarySearch();
    std::wstring snapshot, listFile, capture, checkList, outFile;
    std::vector<std::wstring> summaryPaths;
    bool json = false, summarize = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        std::wstring* target = a == L"--snapshot" ? &snapshot : a == L"--list" ? &listFile
                             : a == L"--capture" ? &capture : a == L"--check-list" ? &checkList
                             : a == L"--out" ? &outFile : NULL;
        if (target && i + 1 < argc && argv[i + 1][0]) {
            *target = argv[++i];
        } else if (a == L"--json") {
            json = true;
        } else if (a == L"--summary") {
            summarize = true;
        } else if (summarize && !target && a.compare(0, 2, L"--") != 0 && !a.empty()) {
            summaryPaths.push_back(a);
        } else if (a == L"--help" || a == L"-h" || a == L"/?") {
            Write(stdout, kUsage);
            return 0;
        } else {
            Write(stderr, (target ? a + L" needs a file name\n" : L"Unknown option: " + a + L"\n") + kUsage);
            return 2;
        }
    }

    if (summarize) {
        if (!(snapshot.empty() && listFile.empty() && capture.empty() && checkList.empty() && !json) || summaryPaths.empty()) {
            Write(stderr, std::wstring(summaryPaths.empty() ? L"--summary needs at least one file or folder\n"
                                                            : L"--summary takes only paths and --out\n") + kUsage);
            return 2;
        }
        return Summary(summaryPaths, outFile);
    }
    if (!checkList.empty()) {
        if (!(snapshot.empty() && listFile.empty() && capture.empty() && !json && outFile.empty())) {
            Write(stderr, std::wstring(L"--check-list takes no other option\n") + kUsage);
            return 2;
        }
        return CheckList(checkList);
    }

    RealProbes real;
    RecordedProbes recorded;
    IProbes* probes = &real;
    if (!snapshot.empty()) {
        std::wstring error;
        if (!LoadSnapshotFile(snapshot, recorded, error)) {
            Write(stderr, Printable(error) + L"\n");
            return 2;
        }
        probes = &recorded;
    }

    AdapterList list;
    CNetvetterCheck check(*probes, list);
    if (!listFile.empty())
        check.SupportList().SetListPath(listFile.c_str());
    else if (!snapshot.empty() && !recorded.listFile.empty())
        check.SupportList().SetListPath(recorded.listFile.c_str());

    // The list must be an ordinary file of a sane size: a device name (CON) would wait for input, an
    // endless device would grow without bound.
    {
        CString path = check.SupportList().GetListPath();
        CString why = OrdinaryFileProblem(path, CSupportList::kMaxListBytes);
        if (!why.IsEmpty()) {
            std::wstring setting = !listFile.empty() ? L"--list"
                                 : !snapshot.empty() && !recorded.listFile.empty() ? L"[Program] ListFile in " + snapshot
                                                                                  : L"The list file";
            Write(stderr, setting + L": " + Printable((LPCWSTR)path) + L" " + (LPCWSTR)why + L"\n");
            return 2;
        }
    }

    if (!OutFileUsable(outFile)) return 2;
    // Which PC, when: one time for the report and its capture, so that a replay tells the same.
    std::wstring computer = CheckedComputerName(*probes), checkedAt = CheckedAtText(*probes);

    if (!capture.empty()) {
        std::wstring error;
        if (!WriteSnapshotFile(capture, CaptureSnapshot(*probes, (LPCWSTR)check.SupportList().GetListPath(), checkedAt), error)) {
            Write(stderr, Printable(error) + L"\n");
            return 2;
        }
    }

    // With --json stdout carries the JSON alone; the check's trace goes to stderr meanwhile.
    int savedStdout = -1;
    if (json) {
        fflush(stdout);
        savedStdout = _dup(1);
        if (savedStdout >= 0) _dup2(2, 1);
    }
    int listRead = check.RunCheck();
    fflush(stdout);
    if (savedStdout >= 0) {
        _dup2(savedStdout, 1);
        _close(savedStdout);
    }
    CString listPath = check.SupportList().GetListPath();
    // The window's missing-list message goes to stderr: a console tool shows no message box.
    if (!listRead && check.SupportList().ListMissing())
        Write(stderr, Printable((LPCWSTR)MissingListMessage(listPath), true) + L"\n");
    else if (!listRead)
        Write(stderr, L"Can't read " + Printable((LPCWSTR)listPath) + L" to its end.\n");

    int needAction = 0;
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        if (GetAdapter(list, i) && !FullyCorrect(GetAdapter(list, i))) ++needAction;
    int exitCode = !listRead ? 2 : needAction ? 1 : 0;
    CString none;
    none.LoadString(IDS_NO_ADAPTER);
    if (none.IsEmpty()) none = L"No installed adapter detected.";
    // What the window shows. Without a readable list it shows neither table nor summary.
    CString osName = listRead ? OsDisplayName(check.Facts()) : CString();
    CString summary = listRead ? ResultSummary(list) : CString();
    CString installer = InstallerCommandLine(*probes);

    // By which program, from what: with the PC and the time, what tells apart reports collected from many PCs.
    std::wstring version = ProgramVersion();
    const wchar_t* source = snapshot.empty() ? L"live" : L"snapshot";

    std::wstring out;
    if (json) {
        out = L"{\n  \"schemaVersion\": 1,\n  \"computer\": " + JsonString(computer.c_str()) + L",\n  \"checkedAt\": " +
              JsonString(checkedAt.c_str()) + L",\n  \"program\": {\"name\": " + JsonString(kProgramName) +
              L", \"version\": " + JsonString(version.c_str()) + L"},\n  \"source\": \"" + source +
              L"\",\n  \"listFile\": " + JsonString(listPath) + L",\n  \"listRead\": " +
              (listRead ? L"true" : L"false") + L",\n  \"osName\": " + JsonString(osName) + L",\n  \"summary\": " +
              JsonString(summary) + L",\n  \"adapters\": [";
        int shown = 0;
        for (INT_PTR i = 0; i < list.GetSize(); ++i) {
            const CAdapterRecord* r = GetAdapter(list, i);
            if (!r) continue;
            out += std::wstring(shown++ ? L"," : L"") + L"\n    {\"description\": " + JsonString(r->Description) +
                   L", \"hardwareId\": " + JsonString(r->HardwareId) + L", \"driverVersion\": " +
                   JsonString(Version(r)) + L", \"driverVersionText\": " + JsonString(DriverVerdictText(r->DriverVerdict)) +
                   L", \"driverVersionOk\": " + (r->DriverVersionOk ? L"true" : L"false") +
                   L", \"supported\": " + (r->Supported ? L"true" : L"false") + L", \"osCompatible\": " +
                   (r->OsCompatible ? L"true" : L"false") + L", \"kind\": \"" + KindName(r->AdapterKind) +
                   L"\", \"fullyCorrect\": " + (FullyCorrect(r) ? L"true" : L"false") + L",\n     \"cells\": [";
            ResultRow row = ResultRowOf(*r, installer);
            for (int c = 0; c < 5; ++c) out += (c ? L", " : L"") + JsonString(row.cells[c]);
            out += std::wstring(L"], \"resolution\": {\"action\": \"") + ActionName(row.action) +
                   L"\", \"target\": " + JsonString(row.target) + L"}}";
        }
        const wchar_t* outcome = !listRead ? L"listUnreadable" : list.GetSize() == 0 ? L"noAdapter"
                                                               : needAction ? L"actionNeeded" : L"allCorrect";
        out += std::wstring(shown ? L"\n  " : L"") + L"],\n  \"outcome\": \"" + outcome + L"\",\n  \"exitCode\": " +
               std::to_wstring(exitCode) + L"\n}\n";
    } else {
        out = L"\n=== Netvetter report ===\nComputer: " + Printable(computer) + L" | checked at " + checkedAt + L" | " +
              kProgramName + L" " + version + L" | " + source + L"\nList file: " + Printable((LPCWSTR)listPath) + L"\n" +
              L"Operating system: " + Printable((LPCWSTR)osName) + L"\n";
        int n = 0;
        for (INT_PTR i = 0; i < list.GetSize(); ++i) {
            const CAdapterRecord* r = GetAdapter(list, i);
            if (!r) continue;
            CString line;
            line.Format(L"Adapter %d: %s | %s | driver %s | %s | supported %s | OS compatible %s | kind %s | %s\n",
                        ++n, Printable((LPCWSTR)r->Description).c_str(), Printable((LPCWSTR)r->HardwareId).c_str(), (LPCWSTR)Version(r),
                        Printable((LPCWSTR)DriverVerdictText(r->DriverVerdict)).c_str(), r->Supported ? L"yes" : L"no",
                        r->OsCompatible ? L"yes" : L"no", KindName(r->AdapterKind),
                        FullyCorrect(r) ? L"correct" : L"needs action");
            out += (LPCWSTR)line;
            ResultRow row = ResultRowOf(*r, installer);
            std::wstring cells;
            for (int c = 0; c < 5; ++c) cells += std::wstring(c ? L" | " : L"") + Printable((LPCWSTR)row.cells[c]);
            out += L"  Window row: " + cells + L"\n  Resolution: " + ActionName(row.action) +
                   (row.target.IsEmpty() ? L"" : L" " + Printable((LPCWSTR)row.target)) + L"\n";
        }
        CString shownSummary = summary;
        shownSummary.Replace(L"\n", L"\n  ");
        out += L"Summary: " + std::wstring((LPCWSTR)shownSummary) + L"\n";
        if (!listRead)
            out += L"Outcome: the supported-adapter list could not be read\n";
        else if (n == 0)
            out += L"Outcome: " + std::wstring((LPCWSTR)none) + L"\n";
        else if (needAction)
            out += L"Outcome: " + std::to_wstring(needAction) + L" of " + std::to_wstring(n) +
                   (n == 1 ? L" adapter needs action\n" : L" adapters need action\n");
        else
            out += L"Outcome: all installed adapters are supported and have correct driver version\n";
    }
    DeleteAdapterRecords(list);
    if (!outFile.empty()) return WriteOut(outFile, FileBytes(out)) ? exitCode : 2;
    Write(stdout, out);
    return exitCode;
}
