#include "report/FleetSummary.h"
#include "framework/AfxFile.h"
#include "framework/AfxString.h"
#include <nlohmann/json.hpp>
#include <windows.h>
#include <algorithm>
#include <map>

using nlohmann::json;

namespace {

std::wstring Upper(std::wstring s)
{
    if (!s.empty()) ::CharUpperBuffW(&s[0], (DWORD)s.size());
    return s;
}

// Stops the reading at the first bracket that nests deeper than a report does, before anything is
// built: a file of millions of brackets costs no more than its size.
struct DepthGuard : nlohmann::json_sax<json> {
    int depth = 0;
    bool tooDeep = false;
    std::size_t errorAt = 0;
    bool Open()
    {
        if (++depth <= kMaxReportDepth) return true;
        tooDeep = true;
        return false;
    }
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return Open(); }
    bool key(string_t&) override { return true; }
    bool end_object() override { --depth; return true; }
    bool start_array(std::size_t) override { return Open(); }
    bool end_array() override { --depth; return true; }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) override
    {
        errorAt = position;
        return false;
    }
};

struct AdapterLine {
    std::string adapter, hardwareId, driverVersion, status, resolution, target;
};

struct Report {
    std::string computer, checkedAt, outcome, osName;
    std::vector<AdapterLine> adapters;
    std::wstring path, fileName;
};

// What is wrong with the value at key of o for the expected kind, or empty.
std::string Field(const json& o, const char* key, json::value_t kind, const json*& out)
{
    auto it = o.find(key);
    if (it == o.end()) return std::string("has no \"") + key + "\"";
    bool fits = kind == json::value_t::number_integer ? it->is_number_integer() : it->type() == kind;
    if (!fits) {
        const char* what = kind == json::value_t::string ? "a string" : kind == json::value_t::array ? "an array"
                         : kind == json::value_t::object ? "an object" : "a whole number";
        return std::string("\"") + key + "\" is not " + what;
    }
    out = &*it;
    return std::string();
}

std::string Text(const json& o, const char* key, std::string& value)
{
    const json* v = nullptr;
    std::string why = Field(o, key, json::value_t::string, v);
    if (why.empty()) value = v->get<std::string>();
    return why;
}

// Reads one report into r; returns what is wrong with it, or empty.
std::string ReadReport(const json& doc, Report& r)
{
    if (!doc.is_object()) return "is not a JSON object";
    const json* v = nullptr;
    std::string why = Field(doc, "schemaVersion", json::value_t::number_integer, v);
    if (!why.empty()) return doc.contains("schemaVersion") ? why : "has no \"schemaVersion\": not a Netvetter report";
    if (*v != 1) return "has \"schemaVersion\" " + v->dump() + ", not 1";
    for (auto& f : {std::make_pair("computer", &r.computer), std::make_pair("checkedAt", &r.checkedAt),
                    std::make_pair("outcome", &r.outcome), std::make_pair("osName", &r.osName)}) {
        why = Text(doc, f.first, *f.second);
        if (!why.empty()) return why;
    }
    static const char* outcomes[] = {"allCorrect", "noAdapter", "actionNeeded", "listUnreadable"};
    if (std::find(std::begin(outcomes), std::end(outcomes), r.outcome) == std::end(outcomes))
        return "has an unknown \"outcome\" \"" + r.outcome + "\"";
    const json* adapters = nullptr;
    why = Field(doc, "adapters", json::value_t::array, adapters);
    if (!why.empty()) return why;
    for (const json& a : *adapters) {
        std::string at = "adapter " + std::to_string(r.adapters.size() + 1) + ": ";
        if (!a.is_object()) return at + "is not an object";
        AdapterLine line;
        const json *cells = nullptr, *resolution = nullptr;
        why = Field(a, "cells", json::value_t::array, cells);
        if (why.empty() && (cells->size() != 5 || !std::all_of(cells->begin(), cells->end(), [](const json& c) { return c.is_string(); })))
            why = "\"cells\" is not five strings";
        if (why.empty()) why = Text(a, "hardwareId", line.hardwareId);
        if (why.empty()) why = Text(a, "driverVersion", line.driverVersion);
        if (why.empty()) why = Field(a, "resolution", json::value_t::object, resolution);
        if (why.empty()) why = Text(*resolution, "action", line.resolution);
        if (why.empty()) why = Text(*resolution, "target", line.target);
        if (why.empty() && line.resolution != "page" && line.resolution != "installer" && line.resolution != "none")
            why = "has an unknown resolution \"" + line.resolution + "\"";
        if (!why.empty()) return at + why;
        line.adapter = (*cells)[0].get<std::string>();
        line.status = (*cells)[3].get<std::string>();
        r.adapters.push_back(std::move(line));
    }
    return std::string();
}

// The bytes of an ordinary file of at most kMaxReportBytes, or why not. The file is opened so that a
// writer can replace it meanwhile.
std::wstring ReadBounded(const std::wstring& path, std::string& bytes)
{
    CString device = DeviceNameProblem(path.c_str());
    if (!device.IsEmpty()) return (LPCWSTR)device;
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND ? L"does not exist" : L"cannot be opened";
    std::wstring why;
    BY_HANDLE_FILE_INFORMATION info = {};
    LARGE_INTEGER size = {};
    if (::GetFileType(h) != FILE_TYPE_DISK) why = L"is not an ordinary file";
    else if (::GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) why = L"is a folder, not a file";
    else if (!::GetFileSizeEx(h, &size)) why = L"cannot be read";
    else if ((unsigned long long)size.QuadPart > kMaxReportBytes) why = L"is larger than 16 MB";
    if (why.empty()) {
        // Read one byte past the limit: a file that grew meanwhile is still refused.
        bytes.resize((size_t)size.QuadPart + 1);
        DWORD done = 0, total = 0;
        while (total < bytes.size() && ::ReadFile(h, &bytes[total], (DWORD)bytes.size() - total, &done, nullptr) && done)
            total += done;
        bytes.resize(total);
        if (total > kMaxReportBytes) why = L"is larger than 16 MB";
    }
    ::CloseHandle(h);
    return why;
}

bool EndsWithJson(const std::wstring& name)
{
    return name.size() > 5 && _wcsicmp(name.c_str() + name.size() - 5, L".json") == 0;
}

// The files that paths name: files as they are, folders' *.json files in name order.
std::vector<std::wstring> ReportFiles(const std::vector<std::wstring>& paths)
{
    std::vector<std::wstring> files;
    for (const std::wstring& p : paths) {
        DWORD attr = DeviceNameProblem(p.c_str()).IsEmpty() ? ::GetFileAttributesW(p.c_str()) : INVALID_FILE_ATTRIBUTES;
        if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) {
            files.push_back(p);
            continue;
        }
        std::wstring folder = p;
        if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/' && folder.back() != L':') folder += L'\\';
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE find = ::FindFirstFileW((folder + L"*.json").c_str(), &fd);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            // The pattern also matches short names: look at the long name itself.
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && EndsWithJson(fd.cFileName)) names.push_back(fd.cFileName);
        } while (::FindNextFileW(find, &fd));
        ::FindClose(find);
        std::sort(names.begin(), names.end());
        for (const std::wstring& n : names) files.push_back(folder + n);
    }
    return files;
}

std::wstring FileNameOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Data from a file shown on a console line: control characters as escapes.
std::wstring Shown(const std::wstring& s)
{
    std::wstring r;
    for (wchar_t c : s) {
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            wchar_t buf[8];
            wsprintfW(buf, L"\\x%02x", (unsigned)c);
            r += buf;
        } else {
            r += c;
        }
    }
    return r;
}

void AddLine(std::string& csv, std::initializer_list<const std::string*> fields)
{
    bool first = true;
    for (const std::string* f : fields) {
        if (!first) csv += ',';
        first = false;
        csv += CsvField(*f);
    }
    csv += "\r\n";
}

}  // namespace

std::string CsvField(const std::string& s)
{
    std::string v = s;
    if (!v.empty() && (v[0] == '=' || v[0] == '+' || v[0] == '-' || v[0] == '@' || v[0] == '\t' || v[0] == '\r'))
        v.insert(v.begin(), '\'');
    if (v.find_first_of(",\"\r\n") == std::string::npos) return v;
    std::string q = "\"";
    for (char c : v) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

std::wstring FleetSummary::CountLine() const
{
    return std::to_wstring(computers) + L" computers: " + std::to_wstring(ready) + L" ready, " +
           std::to_wstring(needAction) + L" need action, " + std::to_wstring(listUnreadable) + L" list unreadable; " +
           std::to_wstring(skipped.size()) + L" files skipped";
}

int FleetSummary::ExitCode() const
{
    if (!skipped.empty() || computers == 0) return 2;
    return needAction || listUnreadable ? 1 : 0;
}

FleetSummary SummarizeReports(const std::vector<std::wstring>& paths)
{
    FleetSummary s;
    // The latest report of each computer (names compared as Windows compares them, without case).
    std::map<std::wstring, Report> latest;
    for (const std::wstring& path : ReportFiles(paths)) {
        std::string bytes;
        std::wstring problem = ReadBounded(path, bytes);
        Report r;
        if (problem.empty()) {
            DepthGuard guard;
            bool wellFormed = json::sax_parse(bytes, &guard);
            if (guard.tooDeep) {
                problem = L"nests deeper than a report (more than " + std::to_wstring(kMaxReportDepth) + L" levels)";
            } else if (!wellFormed) {
                problem = L"is not JSON (error at byte " + std::to_wstring(guard.errorAt) + L")";
            } else {
                json doc = json::parse(bytes, nullptr, false);
                std::string why = doc.is_discarded() ? "is not JSON" : ReadReport(doc, r);
                problem = AfxFromUtf8(why.data(), why.size());
            }
        }
        if (!problem.empty()) {
            s.skipped.push_back(Shown(path) + L": " + Shown(problem));
            continue;
        }
        ++s.reportsRead;
        r.path = path;
        r.fileName = FileNameOf(path);
        std::wstring key = Upper(AfxFromUtf8(r.computer.data(), r.computer.size()));
        auto it = latest.find(key);
        // Later time wins; on the same time the file whose name sorts last.
        if (it == latest.end()) {
            latest.emplace(key, std::move(r));
        } else {
            const Report& old = it->second;
            int byTime = r.checkedAt.compare(old.checkedAt);
            if (byTime > 0 || (byTime == 0 && std::make_pair(r.fileName, r.path) > std::make_pair(old.fileName, old.path)))
                it->second = std::move(r);
        }
    }

    s.csv = "\xEF\xBB\xBF" "computer,checkedAt,outcome,osName,adapter,hardwareId,driverVersion,status,resolution,target\r\n";
    const std::string none;
    for (const auto& entry : latest) {
        const Report& r = entry.second;
        ++s.computers;
        if (r.outcome == "actionNeeded") ++s.needAction;
        else if (r.outcome == "listUnreadable") ++s.listUnreadable;
        else ++s.ready;
        if (r.adapters.empty() || r.outcome == "listUnreadable" || r.outcome == "noAdapter") {
            AddLine(s.csv, {&r.computer, &r.checkedAt, &r.outcome, &r.osName, &none, &none, &none, &none, &none, &none});
            continue;
        }
        for (const AdapterLine& a : r.adapters)
            AddLine(s.csv, {&r.computer, &r.checkedAt, &r.outcome, &r.osName, &a.adapter, &a.hardwareId, &a.driverVersion,
                            &a.status, &a.resolution, &a.target});
    }
    return s;
}
