#include "supportlist/ListChecker.h"
#include "supportlist/OsTags.h"
#include "framework/AfxFile.h"
#include <cwctype>
#include <map>

namespace {

std::wstring UpperAscii(std::wstring s)
{
    for (wchar_t& c : s)
        if (c >= L'a' && c <= L'z') c = (wchar_t)(c - 32);
    return s;
}

std::wstring Trim(const std::wstring& s)
{
    size_t a = s.find_first_not_of(L" \t\r");
    if (a == std::wstring::npos) return std::wstring();
    return s.substr(a, s.find_last_not_of(L" \t\r") - a + 1);
}

bool HexDigits(const std::wstring& s, size_t at, size_t n)
{
    if (at + n > s.size()) return false;
    for (size_t i = at; i < at + n; ++i)
        if (!iswxdigit(s[i])) return false;
    return true;
}

// The first two parts of a hardware ID at pos ("PCI\VEN_xxxx&DEV_xxxx" or "USB\VID_xxxx&PID_xxxx",
// upper case), or empty when none starts there: all the program compares of an adapter's ID.
std::wstring IdAt(const std::wstring& u, size_t pos)
{
    static const wchar_t* const kShapes[][2] = {{L"PCI\\VEN_", L"&DEV_"}, {L"USB\\VID_", L"&PID_"}};
    for (auto& shape : kShapes) {
        std::wstring head = shape[0], mid = shape[1];
        size_t m = pos + head.size() + 4;
        if (u.compare(pos, head.size(), head) == 0 && HexDigits(u, pos + head.size(), 4) &&
            u.compare(m, mid.size(), mid) == 0 && HexDigits(u, m + mid.size(), 4))
            return u.substr(pos, m + mid.size() + 4 - pos);
    }
    return std::wstring();
}

bool LooksLikeComment(const std::wstring& line)
{
    std::wstring t = Trim(line);
    if (t.empty()) return false;
    std::wstring u = UpperAscii(t);
    return t[0] == L'#' || t[0] == L';' || u.compare(0, 2, L"//") == 0 || u.compare(0, 2, L"--") == 0 ||
           u.compare(0, 4, L"REM ") == 0 || u == L"REM";
}

}  // namespace

bool CheckListFile(const std::wstring& path, std::vector<std::wstring>& findings)
{
    CStdioFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::typeText)) return false;
    std::vector<std::wstring> lines;
    CString read;
    while (file.ReadString(read)) lines.push_back(std::wstring((LPCWSTR)read, read.GetLength()));
    bool readError = file.HadReadError();
    file.Close();
    if (readError) return false;

    auto say = [&](size_t index, const std::wstring& what) {
        findings.push_back(path + L", line " + std::to_wstring(index + 1) + L": " + what);
    };
    // Each byte is one character, as the program reads the file.
    if (!lines.empty() && lines[0].size() >= 2 &&
        ((lines[0][0] == 0xFF && lines[0][1] == 0xFE) || (lines[0][0] == 0xFE && lines[0][1] == 0xFF))) {
        say(0, L"the file is UTF-16 (it starts with a UTF-16 byte-order mark); the program reads 8-bit text, "
               L"so no line reads as written: save it as plain ASCII");
        return true;
    }
    std::map<std::wstring, size_t> seen;
    for (size_t n = 0; n < lines.size(); ++n) {
        std::wstring line = lines[n];
        if (n == 0 && line.compare(0, 3, L"\xEF\xBB\xBF") == 0) {
            say(n, L"the file starts with a byte-order mark; the program reads its bytes as the start of "
                   L"this line, which then is a plain line whatever follows them: save the file without it");
            line.erase(0, 3);
        }
        if (line.empty() || line[0] == L'#') continue;
        if (LooksLikeComment(line)) {
            say(n, L"looks like a comment but does not start with \"#\": the program reads it as an entry");
            continue;
        }
        std::wstring u = UpperAscii(line);
        std::wstring key = Trim(u);
        if (key.empty()) continue;
        if (key[0] == L'_' && u[0] != L'_') {
            say(n, L"an OS line that starts with a blank: the program reads it as a plain line, so its tag "
                   L"counts for no system");
            continue;
        }
        auto first = seen.emplace(key, n);
        if (!first.second) say(n, L"repeats line " + std::to_wstring(first.first->second + 1));

        // What the program takes the hardware ID from: a gated line after its tag's comma.
        std::wstring rest = u;
        bool gated = u[0] == L'_';
        if (gated) {
            size_t comma = u.find(L',');
            std::wstring tag = u.substr(0, comma);
            if (!AnyOsTagFits(u.c_str(), u.size())) {
                std::wstring hint;
                if (tag.compare(0, 4, L"_W81") == 0) hint = L" (Windows 8.1 is \"_81_\")";
                else if (tag.compare(0, 4, L"_W10") == 0) hint = L" (Windows 10 and 11 are \"_W10_\" and \"_W10_X64\")";
                say(n, L"the tag \"" + Trim(tag) + L"\" fits no Windows version" + hint +
                           L": the line makes its adapter supported, but on no system compatible");
            }
            rest = comma == std::wstring::npos ? u : u.substr(comma + 1);
        }
        size_t comma = rest.find(L',');
        if (comma == std::wstring::npos) {
            if (gated) {
                say(n, L"no comma after the hardware ID: the program reads no ID from an OS line without it, so "
                       L"the adapter is supported but on no system compatible");
            } else if (IdAt(Trim(rest), 0).empty()) {
                say(n, L"\"" + Trim(line) + L"\" is not shaped like PCI\\VEN_xxxx&DEV_xxxx or USB\\VID_xxxx&PID_xxxx");
            }
            continue;
        }
        std::wstring id = Trim(rest.substr(0, comma));
        std::wstring idShape = IdAt(id, 0);
        // Anything after the shape continues the ID with further parts, such as "&SUBSYS_...".
        bool shaped = !idShape.empty() && (id.size() == idShape.size() || id[idShape.size()] == L'&');
        // An entry for the Intel 3945 by its name is read by the program's own rule for that adapter.
        bool intelByName = id.compare(0, 26, L"INTEL(R) PRO/WIRELESS 3945") == 0;
        if (!shaped && !intelByName) {
            size_t a = line.size() - rest.size();
            std::wstring written = Trim(line.substr(a, comma));
            say(n, (written.empty() ? std::wstring(L"the hardware ID is empty")
                                    : L"the hardware ID \"" + written + L"\"") +
                       L" is not shaped like PCI\\VEN_xxxx&DEV_xxxx or USB\\VID_xxxx&PID_xxxx");
        }
        std::wstring text = rest.substr(comma + 1);
        std::vector<std::wstring> named;
        for (size_t i = 0; i < text.size(); ++i) {
            std::wstring other = IdAt(text, i);
            if (other.empty() || id.find(other) != std::wstring::npos) continue;
            bool again = false;
            for (auto& o : named) again = again || o == other;
            if (again) continue;
            named.push_back(other);
            say(n, L"the free text names " + other + L", which the program then counts as supported too");
        }
    }
    return true;
}
