// One table from the JSON reports of many PCs: the latest report of each computer, one line per
// adapter, as CSV that spreadsheet programs read as it is meant.
#pragma once
#include <string>
#include <vector>

struct FleetSummary {
    std::string csv;                    // UTF-8 with its byte-order mark, CR LF line ends
    std::vector<std::wstring> skipped;  // "FILE: what is wrong", one per file left out
    int computers = 0, ready = 0, needAction = 0, listUnreadable = 0;
    int reportsRead = 0;

    // The closing line: "N computers: R ready, A need action, L list unreadable; S files skipped".
    std::wstring CountLine() const;
    // 2 when a file was skipped or no report was found, 1 when a computer needs action or had no
    // readable list, else 0.
    int ExitCode() const;
};

// Largest report file read, and deepest nesting accepted (a report nests four deep: the report, its
// adapter list, an adapter, an adapter's cells or resolution).
const unsigned long long kMaxReportBytes = 16ull * 1024 * 1024;
const int kMaxReportDepth = 4;

// paths are report files or folders whose *.json files are read (not their sub-folders).
FleetSummary SummarizeReports(const std::vector<std::wstring>& paths);

// One CSV field as RFC 4180 quotes it, with a leading ' where a spreadsheet would take it for a formula.
std::string CsvField(const std::string& utf8);
