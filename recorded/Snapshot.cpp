#include "recorded/Snapshot.h"
#include "check/AdapterCheck.h"
#include "framework/AfxFile.h"
#include <stdio.h>
#include <wchar.h>
#include <memory>

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

static std::wstring Upper(std::wstring s)
{
    if (!s.empty()) ::CharUpperBuffW(&s[0], (DWORD)s.size());
    return s;
}

static std::wstring Trim(const std::wstring& s)
{
    size_t a = s.find_first_not_of(L" \t");
    if (a == std::wstring::npos) return std::wstring();
    size_t z = s.find_last_not_of(L" \t");
    return s.substr(a, z - a + 1);
}

static std::wstring Fmt(const wchar_t* fmt, ...)
{
    wchar_t buf[1024];
    va_list a;
    va_start(a, fmt);
    _vsnwprintf(buf, 1023, fmt, a);
    va_end(a);
    buf[1023] = 0;
    return buf;
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

// --- writer ---------------------------------------------------------------------------------------

// Characters a snapshot line cannot carry as they are: line ends and other controls, and halves of
// surrogate pairs that stand alone (UTF-8 has no form for them).
static bool NeedsEscape(const std::wstring& s, size_t i)
{
    wchar_t c = s[i];
    if (c < 0x20 || c == 0x7F) return true;
    if (c >= 0xD800 && c <= 0xDBFF) return !(i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF);
    if (c >= 0xDC00 && c <= 0xDFFF) return !(i > 0 && s[i - 1] >= 0xD800 && s[i - 1] <= 0xDBFF);
    return false;
}

static std::wstring Quote(const std::wstring& s)
{
    std::wstring r = L"\"";
    for (size_t i = 0; i < s.size(); ++i) {
        wchar_t c = s[i];
        if (c == L'\\' || c == L'"') {
            r += L'\\';
            r += c;
        } else if (NeedsEscape(s, i)) {
            r += Fmt(L"\\u%04x", (unsigned)c);
        } else {
            r += c;
        }
    }
    return r + L"\"";
}

// The section line of a registry key: as reg export writes it where the path allows, else quoted.
static std::wstring KeyHeader(const std::wstring& path)
{
    bool plain = path.find(L'"') == std::wstring::npos;
    for (size_t i = 0; plain && i < path.size(); ++i) plain = !NeedsEscape(path, i);
    return plain ? L"[" + path + L"]" : L"[" + Quote(path) + L"]";
}

// Text that a quoted string gives back byte for byte: whole characters ending in one terminator
// (anything before it, inner zeros included, is written with escapes where needed).
static bool AsText(const std::vector<BYTE>& d, std::wstring& out)
{
    if (d.size() < 2 || d.size() % 2) return false;
    size_t n = d.size() / 2 - 1;
    const WCHAR* w = (const WCHAR*)&d[0];
    if (w[n] != 0) return false;
    out.assign(w, n);
    return true;
}

static bool AsMulti(const std::vector<BYTE>& d, std::vector<std::wstring>& out)
{
    if (d.size() < 2 || d.size() % 2) return false;
    size_t n = d.size() / 2;
    const WCHAR* w = (const WCHAR*)&d[0];
    if (w[n - 1] != 0) return false;
    out.clear();
    std::wstring cur;
    for (size_t i = 0; i + 1 < n; ++i) {
        if (w[i] == 0) {
            out.push_back(cur);
            cur.clear();
        } else if (w[i] < 0x20) {
            return false;
        } else {
            cur += w[i];
        }
    }
    if (!cur.empty()) return false;  // the last string must be terminated before the final zero
    // An empty string inside the list could not be told from the list's end.
    for (auto& s : out)
        if (s.empty()) return false;
    return RecordedValue::MultiString(L"", out).data == d;
}

std::wstring FormatSnapshotValue(const RecordedValue& v, bool allowMulti)
{
    std::wstring text;
    if (v.type == REG_SZ && AsText(v.data, text)) return Quote(text);
    if (v.type == REG_DWORD && v.data.size() == 4) return Fmt(L"dword:%08x", *(const DWORD*)&v.data[0]);
    std::vector<std::wstring> items;
    if (allowMulti && v.type == REG_MULTI_SZ && AsMulti(v.data, items)) {
        std::wstring r = L"multi:";
        for (size_t i = 0; i < items.size(); ++i) r += (i ? L"," : L"") + Quote(items[i]);
        return r;
    }
    std::wstring r = v.type == REG_BINARY ? L"hex:" : Fmt(L"hex(%x):", (unsigned)v.type);
    for (size_t i = 0; i < v.data.size(); ++i) {
        if (i) r += (i % 24 == 0) ? L",\\\r\n  " : L",";
        r += Fmt(L"%02x", v.data[i]);
    }
    return r;
}

namespace {

struct Capture {
    IProbes& p;
    std::wstring out;
    std::vector<std::wstring> filesDone;
    explicit Capture(IProbes& probes) : p(probes) {}

    void Line(const std::wstring& s) { out += s + L"\r\n"; }

    // Writes a key in registry export form: its line, its values, then (when deep) each sub-key, as
    // far down as the check's scan goes and passing over the names it passes over. sam picks the
    // registry view; the key is written under the name shownAs (the path itself by default).
    void DumpKey(const std::wstring& subPath, bool deep, int depth = 0, REGSAM sam = 0, const std::wstring& shownAs = L"")
    {
        HKEY key = NULL;
        if (depth > CAdapterCheck::kMaxClassDepth ||
            p.RegOpenKeyExW(HKEY_LOCAL_MACHINE, subPath.c_str(), 0, KEY_READ | sam, &key) != ERROR_SUCCESS)
            return;
        Line(L"");
        Line(KeyHeader(L"HKEY_LOCAL_MACHINE\\" + (shownAs.empty() ? subPath : shownAs)));
        DWORD subKeys = 0, maxSub = 0, values = 0, maxName = 0, maxData = 0;
        p.RegQueryInfoKeyW(key, NULL, NULL, NULL, &subKeys, &maxSub, NULL, &values, &maxName, &maxData, NULL, NULL);
        std::vector<WCHAR> name(maxName + 2 > 16384 && maxName < 0x100000 ? maxName + 2 : 16384);
        std::vector<BYTE> data(maxData + 2 > 4096 && maxData < 0x4000000 ? maxData + 2 : 4096);
        for (DWORD i = 0; i < 100000; ++i) {
            DWORD nameLen = (DWORD)name.size(), dataLen = (DWORD)data.size(), type = 0;
            LONG r = p.RegEnumValueW(key, i, &name[0], &nameLen, NULL, &type, &data[0], &dataLen);
            if (r == ERROR_NO_MORE_ITEMS) break;
            if (r == ERROR_MORE_DATA && dataLen > data.size() && dataLen < 0x4000000) {
                data.resize(dataLen + 2);
                --i;
                continue;
            }
            if (r != ERROR_SUCCESS || nameLen > name.size() || dataLen > data.size()) continue;
            RecordedValue v;
            v.name.assign(&name[0], nameLen);
            v.type = type;
            v.data.assign(data.begin(), data.begin() + dataLen);
            Line((v.name.empty() ? std::wstring(L"@") : Quote(v.name)) + L"=" + FormatSnapshotValue(v, false));
        }
        std::vector<std::wstring> subs;
        if (deep) {
            std::vector<WCHAR> sub(256);
            for (DWORD i = 0; i < 100000; ++i) {
                DWORD len = (DWORD)sub.size();
                LONG r = p.RegEnumKeyExW(key, i, &sub[0], &len, NULL, NULL, NULL, NULL);
                if (r == ERROR_NO_MORE_ITEMS) break;
                if (r == ERROR_SUCCESS && len <= 255 && CAdapterCheck::IsUsableKeyName(std::wstring(&sub[0], len)))
                    subs.push_back(std::wstring(&sub[0], len));
            }
        }
        p.RegCloseKey(key);
        for (const std::wstring& s : subs)
            DumpKey(subPath + L"\\" + s, true, depth + 1, sam, shownAs.empty() ? L"" : shownAs + L"\\" + s);
    }

    // A driver file is read where the system keeps it (redirection off), as the check reads it.
    void File(const std::wstring& path, bool unredirected = false)
    {
        std::wstring norm = RecordedProbes::NormalizeFilePath(path);
        for (auto& f : filesDone)
            if (f == norm) return;
        filesDone.push_back(norm);
        PVOID redirection = NULL;
        BOOL off = unredirected && p.Wow64DisableWow64FsRedirection(&redirection);
        DWORD handle = 0;
        DWORD size = p.GetFileVersionInfoSizeW(path.c_str(), &handle);
        std::vector<BYTE> block(size ? size : 1);
        bool read = size && p.GetFileVersionInfoW(path.c_str(), handle, size, &block[0]);
        if (off) p.Wow64RevertWow64FsRedirection(redirection);
        VS_FIXEDFILEINFO* fi = NULL;
        UINT len = 0;
        // No file, or no version: both replay as size 0.
        if (!read || !p.VerQueryValueW(&block[0], L"\\", (LPVOID*)&fi, &len) || !fi || len < sizeof(VS_FIXEDFILEINFO))
            return;
        Line(L"");
        Line(L"[File]");
        Line(L"Path=" + Quote(path));
        Line(Fmt(L"FileVersion=%u.%u.%u.%u", HIWORD(fi->dwFileVersionMS), LOWORD(fi->dwFileVersionMS),
                 HIWORD(fi->dwFileVersionLS), LOWORD(fi->dwFileVersionLS)));
        Line(Fmt(L"ProductVersion=%u.%u.%u.%u", HIWORD(fi->dwProductVersionMS), LOWORD(fi->dwProductVersionMS),
                 HIWORD(fi->dwProductVersionLS), LOWORD(fi->dwProductVersionLS)));
    }

    bool Property(HDEVINFO set, SP_DEVINFO_DATA& dev, DWORD code, RecordedValue& v)
    {
        DWORD type = 0, size = 0;
        std::vector<BYTE> d(4096);
        for (int tries = 0; tries < 4; ++tries) {
            if (p.SetupDiGetDeviceRegistryPropertyW(set, &dev, code, &type, &d[0], (DWORD)d.size(), &size)) {
                v.type = type;
                v.data.assign(d.begin(), d.begin() + (size < d.size() ? size : d.size()));
                return true;
            }
            if (p.GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= d.size() || size > 0x1000000) return false;
            d.resize(size);
        }
        return false;
    }

    void Library(const std::wstring& path, bool onSearchPath, HMODULE lib)
    {
        typedef void(WINAPI * Fn)(DWORD*);
        Fn fn = (Fn)(void*)p.GetProcAddress(lib, "GetAPIVersion");
        Line(L"");
        Line(L"[Library]");
        Line(L"Path=" + Quote(path));
        Line(onSearchPath ? L"OnSearchPath=yes" : L"OnSearchPath=no");
        if (fn) {
            DWORD version = 0;
            fn(&version);
            Line(Fmt(L"GetAPIVersion=0x%08X", version));
        } else {
            Line(L"GetAPIVersion=absent");
        }
    }
};

}  // namespace

std::wstring CaptureSnapshot(IProbes& p, const std::wstring& listFile)
{
    Capture c(p);
    c.Line(L"; Netvetter snapshot: what the adapter check reads on one system.");
    c.Line(L"");
    c.Line(L"[Program]");
    WCHAR buf[MAX_PATH + 1] = {0};
    DWORD n = p.GetModuleFileNameW(NULL, buf, MAX_PATH);
    buf[n <= MAX_PATH ? n : MAX_PATH] = 0;
    c.Line(L"Path=" + Quote(buf));
    c.Line(L"ListFile=" + Quote(listFile));
    if (p._wgetcwd(buf, MAX_PATH)) c.Line(L"CurrentDirectory=" + Quote(buf));

    c.Line(L"");
    c.Line(L"[System]");
    OSVERSIONINFOEXW vi;
    ZeroMemory(&vi, sizeof(vi));
    vi.dwOSVersionInfoSize = sizeof(vi);
    if (p.GetVersionExW((LPOSVERSIONINFOW)&vi)) {
        vi.szCSDVersion[127] = 0;
        c.Line(Fmt(L"Version=%u.%u.%u", vi.dwMajorVersion, vi.dwMinorVersion, vi.dwBuildNumber));
        c.Line(Fmt(L"PlatformId=%u", vi.dwPlatformId));
        c.Line(L"ServicePack=" + Quote(vi.szCSDVersion));
        c.Line(Fmt(L"ServicePackVersion=%u.%u", vi.wServicePackMajor, vi.wServicePackMinor));
        c.Line(Fmt(L"SuiteMask=0x%04X", vi.wSuiteMask));
        c.Line(Fmt(L"ProductType=%u", vi.wProductType));
    }
    BOOL(WINAPI * isWow64)(HANDLE, PBOOL) = p.GetIsWow64Process();
    BOOL wow = FALSE;
    c.Line(!isWow64 ? L"IsWow64Process=absent"
                    : !isWow64(p.GetCurrentProcess(), &wow) ? L"IsWow64Process=fails"
                                                            : wow ? L"IsWow64Process=yes" : L"IsWow64Process=no");
    void(WINAPI * native)(LPSYSTEM_INFO) = p.GetGetNativeSystemInfo();
    if (native) {
        SYSTEM_INFO si;
        ZeroMemory(&si, sizeof(si));
        native(&si);
        c.Line(Fmt(L"NativeArchitecture=%u", si.wProcessorArchitecture));
    } else {
        c.Line(L"NativeArchitecture=absent");
    }
    WCHAR windir[MAX_PATH + 1] = {0};
    UINT wn = p.GetWindowsDirectoryW(windir, MAX_PATH);
    if (wn > 0 && wn < MAX_PATH) c.Line(L"WindowsDirectory=" + Quote(windir));
    WCHAR sysdir[MAX_PATH + 1] = {0};
    bool haveSys = SUCCEEDED(p.SHGetFolderPathW(NULL, 0x25, NULL, 0, sysdir));
    if (haveSys) c.Line(L"SystemDirectory=" + Quote(sysdir));

    // The devices, as the check enumerates them.
    static const GUID ndis = {0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};
    static const struct { DWORD code; const wchar_t* name; } props[] = {
        {0x1C, L"Address"}, {0x00, L"DeviceDesc"}, {0x01, L"HardwareID"}, {0x04, L"Service"}};
    // The service names and driver files are found by the check's own code, so that the capture holds
    // exactly what the check will look for in it, whatever form the values take.
    AdapterList none;
    CAdapterCheck check(p, none);
    std::vector<std::wstring> services, driverFiles;
    HDEVINFO set = p.SetupDiGetClassDevsW(&ndis, NULL, NULL, DIGCF_DEVICEINTERFACE);
    if (set != INVALID_HANDLE_VALUE && set != NULL) {
        for (DWORD index = 0; index < 10000; ++index) {
            SP_DEVINFO_DATA dev;
            ZeroMemory(&dev, sizeof(dev));
            dev.cbSize = sizeof(dev);
            if (!p.SetupDiEnumDeviceInfo(set, index, &dev)) break;
            c.Line(L"");
            c.Line(L"[Device]");
            for (auto& pr : props) {
                RecordedValue v;
                if (!c.Property(set, dev, pr.code, v)) continue;
                c.Line(std::wstring(pr.name) + L"=" + FormatSnapshotValue(v, true));
            }
            if (WCHAR* svc = check.GetDeviceStringProperty(set, &dev, SPDRP_SERVICE)) {
                if (svc[0]) services.push_back(svc);
                delete[] (BYTE*)svc;
            }
            CString driverFile;
            if (check.GetDriverFilePath(set, &dev, driverFile)) driverFiles.push_back((LPCWSTR)driverFile);
            std::vector<WCHAR> id(4097);
            DWORD need = 0;
            bool haveId = p.SetupDiGetDeviceInstanceIdW(set, &dev, &id[0], 4096, &need) != FALSE;
            if (!haveId && p.GetLastError() == ERROR_INSUFFICIENT_BUFFER && need > 4096 && need < 0x100000) {
                id.resize(need + 1);
                haveId = p.SetupDiGetDeviceInstanceIdW(set, &dev, &id[0], need, NULL) != FALSE;
            }
            if (haveId) c.Line(L"InstanceId=" + Quote(&id[0]));  // an unreadable ID is left out
            ULONG status = 0, problem = 0;
            CONFIGRET cr = p.CM_Get_DevNode_Status(&status, &problem, dev.DevInst, 0);
            c.Line(Fmt(L"NodeResult=%u", (unsigned)cr));
            if (cr == CR_SUCCESS) {
                c.Line(Fmt(L"Status=0x%08X", (unsigned)status));
                c.Line(Fmt(L"Problem=%u", (unsigned)problem));
            }
        }
        p.SetupDiDestroyDeviceInfoList(set);
    }

    // Version blocks: the system library, and each driver file found the way the check finds it.
    if (haveSys) {
        WCHAR k32[MAX_PATH + 1];
        wcscpy(k32, sysdir);
        if (p.PathAppendW(k32, L"kernel32.dll")) c.File(k32);
    }
    for (const std::wstring& file : driverFiles) c.File(file, true);

    // The PROSet library, looked for as the check looks for it: in the system folder, then in the
    // utility's folder.
    p.SetDllDirectoryW(L"");
    std::wstring searched = (LPCWSTR)check.ProSetLibraryInSystemFolder();
    if (!searched.empty()) {
        if (HMODULE lib = p.LoadLibraryExW(searched.c_str(), NULL, LOAD_WITH_ALTERED_SEARCH_PATH)) {
            c.Library(searched, false, lib);
            p.FreeLibrary(lib);
        }
    }
    std::wstring binDir = (LPCWSTR)check.ProSetFolder();
    if (!binDir.empty()) {
        std::wstring full = binDir + L"\\MurocApi.dll";
        if (RecordedProbes::NormalizeFilePath(full) != RecordedProbes::NormalizeFilePath(searched)) {
            if (HMODULE lib = p.LoadLibraryExW(full.c_str(), NULL, LOAD_WITH_ALTERED_SEARCH_PATH)) {
                c.Library(full, false, lib);
                p.FreeLibrary(lib);
            }
        }
    }

    // The registry keys the check reads.
    c.Line(L"");
    c.Line(L"Windows Registry Editor Version 5.00");
    c.DumpKey(L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}", true);
    std::vector<std::wstring> done;
    for (const std::wstring& svc : services) {
        std::wstring u = Upper(svc);
        bool seen = false;
        for (auto& d : done) seen = seen || d == u;
        if (seen) continue;
        done.push_back(u);
        c.DumpKey(L"SYSTEM\\CurrentControlSet\\Services\\" + svc, false);
    }
    if (wow) {
        // Both views, as reg export shows them on a 64-bit system: the check looks in the 32-bit one
        // first, then in the 64-bit one.
        c.DumpKey(L"SOFTWARE\\Intel\\Wireless", false, 0, KEY_WOW64_64KEY);
        c.DumpKey(L"SOFTWARE\\Intel\\Wireless", false, 0, KEY_WOW64_32KEY, L"SOFTWARE\\Wow6432Node\\Intel\\Wireless");
    } else {
        c.DumpKey(L"SOFTWARE\\Intel\\Wireless", false);
    }
    return c.out;
}

bool WriteSnapshotFile(const std::wstring& path, const std::wstring& text, std::wstring& error)
{
    int need = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), NULL, 0, NULL, NULL);
    std::string bytes("\xEF\xBB\xBF");
    size_t at = bytes.size();
    bytes.resize(at + (need > 0 ? need : 0));
    if (need > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &bytes[at], need, NULL, NULL);
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) {
        error = path + L": cannot create the snapshot file";
        return false;
    }
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (fclose(f) == 0) && ok;
    if (!ok) error = path + L": cannot write the snapshot file";
    return ok;
}
