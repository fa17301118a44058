#include "recorded/Snapshot.h"
#include "recorded/RecordedText.h"
#include "check/AdapterCheck.h"
#include "check/CheckedSystem.h"
#include "framework/AfxFile.h"
#include <stdio.h>
#include <wchar.h>
#include <memory>

using recorded_text::Fmt;
using recorded_text::Trim;
using recorded_text::Upper;

// --- text -----------------------------------------------------------------------------------------

std::wstring DecodeSnapshotBytes(const std::string& bytes)
{
    const unsigned char* b = (const unsigned char*)bytes.data();
    size_t n = bytes.size();
    if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        std::wstring w((n - 2) / 2, L'\0');
        for (size_t i = 0; i < w.size(); ++i) w[i] = (wchar_t)(b[2 + 2 * i] | (b[3 + 2 * i] << 8));
        return w;
    }
    size_t skip = (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) ? 3 : 0;
    if (n == skip)
        return std::wstring();
    const char* p = bytes.data() + skip;
    int len = (int)(n - skip);
    UINT cp = CP_UTF8;
    int need = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, p, len, NULL, 0);
    if (need <= 0) {
        cp = CP_ACP;
        need = ::MultiByteToWideChar(CP_ACP, 0, p, len, NULL, 0);
    }
    std::wstring w(need > 0 ? need : 0, L'\0');
    if (need > 0) ::MultiByteToWideChar(cp, cp == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0, p, len, &w[0], need);
    return w;
}

// --- parser ---------------------------------------------------------------------------------------

namespace {

// A logical line: physical lines joined where one ends in a backslash outside a string.
struct Line {
    std::wstring text;
    std::vector<std::pair<size_t, int>> starts;  // offset in text -> physical line number
    int LineAt(size_t pos) const
    {
        int line = starts.empty() ? 0 : starts[0].second;
        for (auto& s : starts)
            if (s.first <= pos) line = s.second;
        return line;
    }
};

struct ParseError {
    int line;
    std::wstring what;
};

// Whether text[from..] leaves a string open, given whether one was open before it. A backslash inside
// a string escapes the next character; one that ends the text escapes nothing.
bool StringOpenAfter(const std::wstring& s, size_t from, bool inString)
{
    for (size_t i = from; i < s.size(); ++i) {
        if (inString && s[i] == L'\\' && i + 1 < s.size())
            ++i;
        else if (s[i] == L'"')
            inString = !inString;
    }
    return inString;
}

bool EndsInBackslash(const std::wstring& s)
{
    size_t z = s.find_last_not_of(L" \t");
    return z != std::wstring::npos && s[z] == L'\\';
}

// One pass over the text: each physical line is looked at once and each character copied once, so
// that a long value written over thousands of continuation lines loads in time linear in its size.
std::vector<Line> SplitLines(const std::wstring& text)
{
    std::vector<Line> lines;
    size_t start = 0;
    int number = 0;
    auto next = [&](std::wstring& out) {
        size_t nl = text.find(L'\n', start);
        size_t end = nl == std::wstring::npos ? text.size() : nl;
        out.assign(text, start, end - start);
        if (!out.empty() && out.back() == L'\r') out.pop_back();
        start = nl == std::wstring::npos ? text.size() + 1 : nl + 1;
        ++number;
    };
    std::wstring phys;
    while (start <= text.size()) {
        next(phys);
        Line line;
        line.starts.push_back(std::make_pair((size_t)0, number));
        line.text.swap(phys);
        size_t first = line.text.find_first_not_of(L" \t");
        bool comment = first == std::wstring::npos || line.text[first] == L';' || line.text[first] == L'#' ||
                       line.text[first] == L'[';
        bool inString = StringOpenAfter(line.text, 0, false);
        while (!comment && !inString && EndsInBackslash(line.text) && start <= text.size()) {
            line.text.erase(line.text.find_last_not_of(L" \t"));  // drop the backslash
            size_t joinedAt = line.text.size();
            next(phys);
            size_t lead = phys.find_first_not_of(L" \t");
            line.starts.push_back(std::make_pair(joinedAt, number));
            line.text.append(phys, lead == std::wstring::npos ? phys.size() : lead, std::wstring::npos);
            inString = StringOpenAfter(line.text, joinedAt, false);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

class Parser {
public:
    Parser(RecordedProbes& p, const std::wstring& base) : m_p(p), m_base(base) {}
    void Run(const std::wstring& text);

private:
    enum Section { None, Program, System, Device, File, Library, Registry };

    [[noreturn]] void Fail(size_t pos, const std::wstring& what) { throw ParseError{m_line->LineAt(pos), what}; }
    void SkipBlanks(size_t& pos)
    {
        while (pos < m_line->text.size() && (m_line->text[pos] == L' ' || m_line->text[pos] == L'\t')) ++pos;
    }
    void ExpectEnd(size_t pos)
    {
        SkipBlanks(pos);
        if (pos < m_line->text.size()) Fail(pos, L"unexpected text after the value");
    }
    std::wstring QuotedString(size_t& pos);
    void HexBytes(size_t& pos, std::vector<BYTE>& out);
    bool TypedValue(size_t& pos, RecordedValue& v);
    DWORD Number(size_t pos, const std::wstring& token);
    std::wstring StringSetting(size_t pos);
    void Version(size_t pos, const std::wstring& token, int parts, WORD* out, int minParts);
    void Header(size_t pos);
    void RegistryKey(size_t pos, const std::wstring& keyName, bool del);
    void RegistryLine();
    void SettingLine();
    void FinishEntry();

    RecordedProbes& m_p;
    std::wstring m_base;
    const Line* m_line = nullptr;
    Section m_section = None;
    int m_sectionLine = 0;
    RecordedKey* m_keyRef = nullptr;  // current registry key
    bool m_keyDeleted = false;        // inside a [-KEY] block: values are dropped
    bool m_sysDirSet = false;
    bool m_fileVer = false, m_productVer = false;
    int m_libSearchSet = 0;
};

static int HexDigit(wchar_t c);

// A quoted string at pos. Escapes: \\ a backslash, \" a quote, \uXXXX any UTF-16 unit (what the
// capture writes for control characters, which a line could not hold as they are).
std::wstring Parser::QuotedString(size_t& pos)
{
    const std::wstring& s = m_line->text;
    size_t open = pos;
    ++pos;  // the opening quote
    std::wstring out;
    while (pos < s.size() && s[pos] != L'"') {
        if (s[pos] == L'\\') {
            // A backslash that ends the line leaves the string open: no quote closes it.
            if (pos + 1 >= s.size()) Fail(open, L"string without its closing quote");
            wchar_t c = s[pos + 1];
            if (c == L'u') {
                int v = 0;
                for (int k = 0; k < 4; ++k) {
                    int d = pos + 2 + k < s.size() ? HexDigit(s[pos + 2 + k]) : -1;
                    if (d < 0) Fail(pos, L"\\u needs four hexadecimal digits");
                    v = v * 16 + d;
                }
                out += (wchar_t)v;
                pos += 6;
                continue;
            }
            if (c != L'\\' && c != L'"')
                Fail(pos, Fmt(L"unknown escape \\%lc in a string (write a backslash as \\\\)", c));
            out += c;
            pos += 2;
        } else {
            out += s[pos++];
        }
    }
    if (pos >= s.size()) Fail(open, L"string without its closing quote");
    ++pos;
    return out;
}

static int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

void Parser::HexBytes(size_t& pos, std::vector<BYTE>& out)
{
    const std::wstring& s = m_line->text;
    SkipBlanks(pos);
    if (pos >= s.size()) return;  // no bytes at all
    for (;;) {
        SkipBlanks(pos);
        int v = 0, digits = 0;
        size_t at = pos;
        while (pos < s.size() && HexDigit(s[pos]) >= 0 && digits < 3) {
            v = v * 16 + HexDigit(s[pos++]);
            ++digits;
        }
        if (digits == 0 || digits > 2) Fail(at, L"expected a byte as two hexadecimal digits");
        out.push_back((BYTE)v);
        SkipBlanks(pos);
        if (pos >= s.size()) return;
        if (s[pos] != L',') Fail(pos, L"expected ',' between hexadecimal bytes");
        ++pos;
        SkipBlanks(pos);
        if (pos >= s.size()) Fail(pos, L"a byte list ends in ','");
    }
}

static bool StartsWithNoCase(const std::wstring& s, size_t pos, const wchar_t* prefix)
{
    size_t n = wcslen(prefix);
    return s.size() >= pos + n && Upper(s.substr(pos, n)) == Upper(prefix);
}

// A value in registry export form at pos; false when the text there is none of its forms.
bool Parser::TypedValue(size_t& pos, RecordedValue& v)
{
    const std::wstring& s = m_line->text;
    if (pos < s.size() && s[pos] == L'"') {
        v = RecordedValue::String(v.name, QuotedString(pos));
        return true;
    }
    if (StartsWithNoCase(s, pos, L"dword:")) {
        pos += 6;
        size_t at = pos;
        DWORD d = 0;
        int digits = 0;
        while (pos < s.size() && HexDigit(s[pos]) >= 0) {
            d = d * 16 + HexDigit(s[pos++]);
            ++digits;
        }
        if (digits == 0 || digits > 8) Fail(at, L"dword: needs one to eight hexadecimal digits");
        v = RecordedValue::Dword(v.name, d);
        return true;
    }
    if (StartsWithNoCase(s, pos, L"multi:")) {
        pos += 6;
        std::vector<std::wstring> items;
        SkipBlanks(pos);
        while (pos < s.size()) {
            if (s[pos] != L'"') Fail(pos, L"multi: needs quoted strings separated by ','");
            items.push_back(QuotedString(pos));
            SkipBlanks(pos);
            if (pos >= s.size()) break;
            if (s[pos] != L',') Fail(pos, L"expected ',' between the strings of multi:");
            ++pos;
            SkipBlanks(pos);
        }
        v = RecordedValue::MultiString(v.name, items);
        return true;
    }
    if (StartsWithNoCase(s, pos, L"hex")) {
        size_t at = pos;
        pos += 3;
        DWORD type = REG_BINARY;
        if (pos < s.size() && s[pos] == L'(') {
            ++pos;
            type = 0;
            int digits = 0;
            while (pos < s.size() && HexDigit(s[pos]) >= 0) {
                type = type * 16 + HexDigit(s[pos++]);
                ++digits;
            }
            if (digits == 0 || digits > 8 || pos >= s.size() || s[pos] != L')')
                Fail(at, L"hex(N): needs a hexadecimal type number in brackets");
            ++pos;
        }
        if (pos >= s.size() || s[pos] != L':') Fail(at, L"expected ':' after hex");
        ++pos;
        v.type = type;
        v.data.clear();
        HexBytes(pos, v.data);
        return true;
    }
    return false;
}

DWORD Parser::Number(size_t pos, const std::wstring& token)
{
    wchar_t* end = NULL;
    if (token.empty()) Fail(pos, L"expected a number");
    unsigned long long v = wcstoull(token.c_str(), &end, 0);
    if (*end || v > 0xFFFFFFFFull || token[0] == L'-') Fail(pos, L"expected a number (decimal or 0x...)");
    return (DWORD)v;
}

void Parser::Version(size_t pos, const std::wstring& token, int parts, WORD* out, int minParts)
{
    int n = 0;
    size_t i = 0;
    while (n < parts) {
        size_t dot = token.find(L'.', i);
        std::wstring part = token.substr(i, dot == std::wstring::npos ? std::wstring::npos : dot - i);
        wchar_t* end = NULL;
        unsigned long v = part.empty() ? 0 : wcstoul(part.c_str(), &end, 10);
        if (part.empty() || *end || v > 0xFFFF)
            Fail(pos, Fmt(L"expected a version of %d numbers from 0 to 65535 separated by '.'", parts));
        out[n++] = (WORD)v;
        if (dot == std::wstring::npos) break;
        i = dot + 1;
        if (n == parts) Fail(pos, Fmt(L"a version has at most %d numbers", parts));
    }
    if (n < minParts) Fail(pos, Fmt(L"expected a version of %d numbers separated by '.'", minParts));
    for (int k = n; k < parts; ++k) out[k] = 0;
}

void Parser::FinishEntry()
{
    if (m_section == File) {
        RecordedFile& f = m_p.files.back();
        if (f.path.empty()) throw ParseError{m_sectionLine, L"[File] needs a Path"};
        if (m_fileVer && !m_productVer) {
            f.productVersionMS = f.fileVersionMS;
            f.productVersionLS = f.fileVersionLS;
        } else if (m_productVer && !m_fileVer) {
            f.fileVersionMS = f.productVersionMS;
            f.fileVersionLS = f.productVersionLS;
        }
    } else if (m_section == Library) {
        RecordedLibrary& l = m_p.libraries.back();
        if (l.path.empty()) throw ParseError{m_sectionLine, L"[Library] needs a Path"};
        if (!m_libSearchSet) l.onSearchPath = l.path.find_first_of(L"\\/") == std::wstring::npos;
    }
}

static bool IsRoot(const std::wstring& upper)
{
    static const wchar_t* roots[] = {L"HKEY_LOCAL_MACHINE", L"HKEY_CURRENT_USER", L"HKEY_CLASSES_ROOT",
                                     L"HKEY_USERS", L"HKEY_CURRENT_CONFIG", L"HKLM", L"HKCU", L"HKCR",
                                     L"HKU", L"HKCC"};
    for (const wchar_t* r : roots)
        if (upper == r) return true;
    return false;
}

void Parser::Header(size_t pos)
{
    const std::wstring& s = m_line->text;
    // A registry key may also be written quoted, ["HKEY_LOCAL_MACHINE\\...\\name"] or [-"..."], with
    // the escapes of a string: the form for key names that hold characters a line cannot.
    size_t q = pos + 1;
    if (q < s.size() && s[q] == L'-') ++q;
    if (q < s.size() && s[q] == L'"') {
        bool del = q > pos + 1;
        std::wstring keyName = QuotedString(q);
        if (q >= s.size() || s[q] != L']') Fail(q, L"a quoted key needs ']' right after its closing quote");
        ExpectEnd(q + 1);
        FinishEntry();
        m_sectionLine = m_line->LineAt(pos);
        std::wstring root = Upper(keyName.substr(0, keyName.find(L'\\')));
        if (!IsRoot(root)) Fail(pos + 1, L"a quoted section must be a registry key under a known root");
        RegistryKey(pos, keyName, del);
        return;
    }
    size_t close = s.find_last_of(L']');
    if (close == std::wstring::npos || close < pos) Fail(pos, L"a section line needs its closing ']'");
    ExpectEnd(close + 1);
    std::wstring name = s.substr(pos + 1, close - pos - 1);
    FinishEntry();
    m_sectionLine = m_line->LineAt(pos);
    bool del = !name.empty() && name[0] == L'-';
    std::wstring keyName = del ? name.substr(1) : name;
    std::wstring root = Upper(keyName.substr(0, keyName.find(L'\\')));
    if (IsRoot(root)) {
        RegistryKey(pos, keyName, del);
        return;
    }
    if (root.compare(0, 5, L"HKEY_") == 0) Fail(pos, L"unknown registry root " + root);
    std::wstring u = Upper(Trim(name));
    m_fileVer = m_productVer = false;
    m_libSearchSet = 0;
    if (u == L"PROGRAM") {
        m_section = Program;
    } else if (u == L"SYSTEM") {
        m_section = System;
    } else if (u == L"DEVICE") {
        m_section = Device;
        m_p.devices.push_back(RecordedDevice());
    } else if (u == L"FILE") {
        m_section = File;
        m_p.files.push_back(RecordedFile());
    } else if (u == L"LIBRARY") {
        m_section = Library;
        m_p.libraries.push_back(RecordedLibrary());
    } else {
        Fail(pos, L"unknown section [" + name + L"] (expected Program, System, Device, File, Library or a registry key)");
    }
}

void Parser::RegistryKey(size_t pos, const std::wstring& keyName, bool del)
{
    // The registry keeps key names as counted text, but every caller opens keys by a path that ends at
    // the first NUL: such a name could never be reached.
    if (keyName.find(L'\0') != std::wstring::npos) Fail(pos, L"a key name cannot hold a NUL character");
    m_section = Registry;
    m_keyDeleted = del;
    m_keyRef = NULL;
    if (del)
        m_p.DeleteKey(keyName);
    else
        m_keyRef = &m_p.AddKey(keyName);
}

void Parser::RegistryLine()
{
    const std::wstring& s = m_line->text;
    size_t pos = s.find_first_not_of(L" \t");
    RecordedValue v;
    if (s[pos] == L'@') {
        ++pos;
    } else if (s[pos] == L'"') {
        v.name = QuotedString(pos);
    } else {
        Fail(pos, L"expected a value line: \"name\"=... or @=...");
    }
    SkipBlanks(pos);
    if (pos >= s.size() || s[pos] != L'=') Fail(pos, L"expected '=' after the value name");
    ++pos;
    SkipBlanks(pos);
    if (pos < s.size() && s[pos] == L'-') {
        ExpectEnd(pos + 1);
        if (m_keyRef) m_p.DeleteValue(*m_keyRef, v.name);
        return;
    }
    size_t at = pos;
    if (!TypedValue(pos, v)) Fail(at, L"expected a value: \"text\", dword:, hex:, hex(N): or -");
    ExpectEnd(pos);
    if (m_keyRef) m_p.SetValue(*m_keyRef, v);
}

// A setting that is read back as text (a path, a name): a NUL would cut it short there.
std::wstring Parser::StringSetting(size_t pos)
{
    if (pos >= m_line->text.size() || m_line->text[pos] != L'"') Fail(pos, L"expected a quoted string");
    size_t at = pos;
    std::wstring r = QuotedString(pos);
    ExpectEnd(pos);
    if (r.find(L'\0') != std::wstring::npos) Fail(at, L"this setting cannot hold a NUL character");
    return r;
}

static bool Absolute(const std::wstring& p)
{
    return (p.size() >= 2 && p[1] == L':') || (!p.empty() && (p[0] == L'\\' || p[0] == L'/'));
}

void Parser::SettingLine()
{
    const std::wstring& s = m_line->text;
    size_t pos = s.find_first_not_of(L" \t");
    size_t nameAt = pos;
    std::wstring name;
    if (s[pos] == L'"') {
        name = QuotedString(pos);
    } else {
        while (pos < s.size() && s[pos] != L'=' && s[pos] != L' ' && s[pos] != L'\t') name += s[pos++];
    }
    SkipBlanks(pos);
    if (pos >= s.size() || s[pos] != L'=') Fail(pos, L"expected Name=value");
    ++pos;
    SkipBlanks(pos);
    size_t at = pos;
    std::wstring token = Trim(s.substr(pos));
    std::wstring u = Upper(name);

    if (m_section == None) Fail(nameAt, L"a setting outside any section");
    if (m_section == Program) {
        if (u == L"PATH") m_p.modulePath = StringSetting(at);
        else if (u == L"CURRENTDIRECTORY") m_p.currentDirectory = StringSetting(at);
        else if (u == L"LISTFILE") {
            std::wstring f = StringSetting(at);
            // What the name alone gives away; the file itself is looked at when it is read.
            CString why = DeviceNameProblem(f.c_str());
            if (!why.IsEmpty()) Fail(at, L"ListFile " + std::wstring((LPCWSTR)why));
            m_p.listFile = (f.empty() || Absolute(f) || m_base.empty()) ? f : m_base + L"\\" + f;
        } else Fail(nameAt, L"unknown setting " + name + L" in [Program] (Path, ListFile, CurrentDirectory)");
        return;
    }
    if (m_section == System) {
        RecordedOs& os = m_p.os;
        if (u == L"VERSION") {
            WORD v[3];
            Version(at, token, 3, v, 2);
            os.major = v[0], os.minor = v[1], os.build = v[2];
        } else if (u == L"SERVICEPACK") os.csdVersion = StringSetting(at);
        else if (u == L"SERVICEPACKVERSION") {
            WORD v[2];
            Version(at, token, 2, v, 1);
            os.servicePackMajor = v[0], os.servicePackMinor = v[1];
        } else if (u == L"PLATFORMID") os.platformId = Number(at, token);
        else if (u == L"SUITEMASK") os.suiteMask = (WORD)Number(at, token);
        else if (u == L"PRODUCTTYPE") os.productType = (BYTE)Number(at, token);
        else if (u == L"ISWOW64PROCESS") {
            std::wstring t = Upper(token);
            if (t == L"ABSENT") os.wow64 = RecordedOs::Wow64Absent;
            else if (t == L"NO") os.wow64 = RecordedOs::Wow64No;
            else if (t == L"YES") os.wow64 = RecordedOs::Wow64Yes;
            else if (t == L"FAILS") os.wow64 = RecordedOs::Wow64Fails;
            else Fail(at, L"IsWow64Process is absent, no, yes or fails");
        } else if (u == L"NATIVEARCHITECTURE") {
            if (Upper(token) == L"ABSENT") os.hasNativeSystemInfo = false;
            else os.hasNativeSystemInfo = true, os.nativeArchitecture = (WORD)Number(at, token);
        } else if (u == L"WINDOWSDIRECTORY") {
            os.windowsDirectory = StringSetting(at);
            if (!m_sysDirSet) os.systemDirectory = os.windowsDirectory + L"\\system32";
        } else if (u == L"SYSTEMDIRECTORY") {
            os.systemDirectory = StringSetting(at);
            m_sysDirSet = true;
        } else if (u == L"COMPUTERNAME") os.computerName = StringSetting(at);
        else if (u == L"CHECKEDAT") {
            if (!ParseIsoUtc(token, os.checkedAt)) Fail(at, L"CheckedAt is a UTC time such as 2026-12-07T20:41:07Z");
        } else Fail(nameAt, L"unknown setting " + name + L" in [System]");
        return;
    }
    if (m_section == Device) {
        RecordedDevice& d = m_p.devices.back();
        static const struct { const wchar_t* name; DWORD code; } props[] = {
            {L"DEVICEDESC", 0x00}, {L"HARDWAREID", 0x01}, {L"COMPATIBLEIDS", 0x02}, {L"SERVICE", 0x04},
            {L"CLASS", 0x07}, {L"CLASSGUID", 0x08}, {L"DRIVER", 0x09}, {L"MFG", 0x0B}, {L"FRIENDLYNAME", 0x0C},
            {L"LOCATIONINFORMATION", 0x0D}, {L"BUSNUMBER", 0x15}, {L"ENUMERATORNAME", 0x16}, {L"ADDRESS", 0x1C}};
        if (u == L"INSTANCEID") {
            d.instanceId = StringSetting(at);
            d.hasInstanceId = true;
            return;
        }
        if (u == L"PROBLEM") { d.problem = Number(at, token); return; }
        if (u == L"STATUS") { d.nodeStatus = Number(at, token); return; }
        if (u == L"NODERESULT") { d.nodeResult = Number(at, token); return; }
        DWORD code = 0xFFFFFFFF;
        for (auto& p : props)
            if (u == p.name) code = p.code;
        if (code == 0xFFFFFFFF && u.compare(0, 9, L"PROPERTY(") == 0 && u.back() == L')') {
            wchar_t* end = NULL;
            code = wcstoul(u.c_str() + 9, &end, 16);
            if (*end != L')') code = 0xFFFFFFFF;
        }
        if (code == 0xFFFFFFFF) Fail(nameAt, L"unknown device setting " + name);
        RecordedValue v;
        v.name = name;
        if (TypedValue(pos, v)) {
            ExpectEnd(pos);
        } else if (!token.empty() && iswdigit(token[0])) {
            v = RecordedValue::Dword(name, Number(at, token));  // a bare number
        } else {
            Fail(at, L"expected a value: \"text\", a number, dword:, multi:, hex: or hex(N):");
        }
        d.properties[code] = v;
        return;
    }
    if (m_section == File) {
        RecordedFile& f = m_p.files.back();
        if (u == L"PATH") {
            f.path = StringSetting(at);
            return;
        }
        WORD v[4];
        if (u == L"FILEVERSION" || u == L"PRODUCTVERSION") {
            Version(at, token, 4, v, 4);
            DWORD ms = MAKELONG(v[1], v[0]), ls = MAKELONG(v[3], v[2]);
            if (u == L"FILEVERSION") f.fileVersionMS = ms, f.fileVersionLS = ls, m_fileVer = true;
            else f.productVersionMS = ms, f.productVersionLS = ls, m_productVer = true;
            f.hasVersion = true;
            return;
        }
        Fail(nameAt, L"unknown setting " + name + L" in [File] (Path, FileVersion, ProductVersion)");
    }
    if (m_section == Library) {
        RecordedLibrary& l = m_p.libraries.back();
        if (u == L"PATH") l.path = StringSetting(at);
        else if (u == L"ONSEARCHPATH") {
            std::wstring t = Upper(token);
            if (t != L"YES" && t != L"NO") Fail(at, L"OnSearchPath is yes or no");
            l.onSearchPath = t == L"YES";
            m_libSearchSet = 1;
        } else if (u == L"GETAPIVERSION") {
            if (Upper(token) == L"ABSENT") l.hasGetAPIVersion = false;
            else l.hasGetAPIVersion = true, l.apiVersion = Number(at, token);
        } else Fail(nameAt, L"unknown setting " + name + L" in [Library] (Path, OnSearchPath, GetAPIVersion)");
        return;
    }
}

void Parser::Run(const std::wstring& text)
{
    std::vector<Line> lines = SplitLines(text);
    for (const Line& line : lines) {
        m_line = &line;
        size_t pos = line.text.find_first_not_of(L" \t");
        if (pos == std::wstring::npos) continue;
        wchar_t c = line.text[pos];
        if (c == L';' || c == L'#') continue;
        std::wstring t = Trim(line.text);
        if (t == L"Windows Registry Editor Version 5.00" || t == L"REGEDIT4") continue;
        if (c == L'[') {
            Header(pos);
            continue;
        }
        if (m_section == Registry)
            RegistryLine();
        else
            SettingLine();
    }
    FinishEntry();
}

}  // namespace

bool LoadSnapshotText(const std::wstring& text, RecordedProbes& probes, std::wstring& error,
                      const std::wstring& baseFolder)
{
    Parser parser(probes, baseFolder);
    try {
        parser.Run(text);
    } catch (const ParseError& e) {
        error = Fmt(L"line %d: ", e.line) + e.what;
        return false;
    }
    return true;
}

bool LoadSnapshotFile(const std::wstring& path, RecordedProbes& probes, std::wstring& error)
{
    // A device or pipe could block the load or never end; a file beyond this size is no recorded PC.
    const ULONGLONG kMaxBytes = 64ull * 1024 * 1024;
    CString why = OrdinaryFileProblem(path.c_str(), kMaxBytes);
    if (!why.IsEmpty()) {
        error = path + L": the snapshot file " + (LPCWSTR)why;
        return false;
    }
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) {
        error = path + L": cannot open the snapshot file";
        return false;
    }
    std::string bytes;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0 && bytes.size() <= kMaxBytes) bytes.append(buf, n);
    fclose(f);
    if (bytes.size() > kMaxBytes) {
        error = path + L": the snapshot file is larger than 64 MB";
        return false;
    }
    size_t slash = path.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash);
    for (wchar_t& c : folder)
        if (c == L'/') c = L'\\';
    if (!LoadSnapshotText(DecodeSnapshotBytes(bytes), probes, error, folder)) {
        error = path + L", " + error;
        return false;
    }
    return true;
}
