// The list that ships beside the program (res/driverinfo.txt, copied beside the tests by
// extra.cmake): every line has a shape the reader understands, every tag's entries count on the
// matching system only, and the explanatory comments never mark an adapter.
#include <gtest/gtest.h>
#include "RecordedSystems.h"
#include "supportlist/SupportList.h"
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::wstring ShippedPath()
{
    wchar_t self[MAX_PATH + 1];
    DWORD n = GetModuleFileNameW(NULL, self, MAX_PATH);
    self[n] = 0;
    std::wstring s(self);
    return s.substr(0, s.rfind(L'\\')) + L"\\driverinfo.txt";
}

std::vector<std::string> ShippedLines()
{
    std::ifstream f(ShippedPath().c_str(), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    std::string text = ss.str();
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The written forms of the tags, as a maintainer copies them from the file's own explanation.
const char* const kTags[] = {"_X_,", "_X_X64,", "_V_,", "_W7_,", "_W7_X64,", "_W8_,", "_W8_X64,",
                             "_81_,", "_81_X64,", "_W10_,", "_W10_X64,"};

// Cut the way the enumeration stores a hardware ID: before its second "&".
std::wstring Stored(const std::string& id)
{
    std::wstring w(id.begin(), id.end());
    size_t a = w.find(L'&');
    if (a != std::wstring::npos) {
        size_t b = w.find(L'&', a + 1);
        if (b != std::wstring::npos) w = w.substr(0, b);
    }
    return w;
}

struct System {
    const char* name;
    WORD osMajor, osMinor, sysMajor, sysMinor;
    BOOL wow64;
    WORD arch;
    const char* tag;  // the one written tag valid there
};
const System kSystems[] = {
    {"XP", 5, 1, 5, 1, FALSE, 0, "_X_,"},
    {"XP x64", 5, 2, 5, 2, TRUE, 9, "_X_X64,"},
    {"Vista", 6, 0, 6, 0, FALSE, 0, "_V_,"},
    {"Vista x64", 6, 0, 6, 0, TRUE, 9, nullptr},
    {"7", 6, 1, 6, 1, FALSE, 0, "_W7_,"},
    {"7 x64", 6, 1, 6, 1, TRUE, 9, "_W7_X64,"},
    {"8", 6, 2, 6, 2, FALSE, 0, "_W8_,"},
    {"8 x64", 6, 2, 6, 2, TRUE, 9, "_W8_X64,"},
    {"8.1", 6, 2, 6, 3, FALSE, 0, "_81_,"},
    {"8.1 x64", 6, 2, 6, 3, TRUE, 9, "_81_X64,"},
    {"10", 6, 2, 10, 0, FALSE, 0, "_W10_,"},
    {"10 x64", 6, 2, 10, 0, TRUE, 9, "_W10_X64,"},
};

// The probes of one recorded system.
void PrepareSystem(RecordedProbes& p, const System& os)
{
    p.os.major = os.osMajor;
    p.os.minor = os.osMinor;
    p.os.wow64 = os.wow64 ? RecordedOs::Wow64Yes : RecordedOs::Wow64No;
    p.os.nativeArchitecture = os.arch;
    SetSystemVersion(p, os.sysMajor, os.sysMinor);
}

CAdapterRecord* AddRecord(AdapterList& list, const std::wstring& id, const wchar_t* description)
{
    CAdapterRecord* r = new CAdapterRecord;
    r->HardwareId = id.c_str();
    if (description) r->Description = description;
    list.Add(r);
    return r;
}

struct Shipped : ::testing::Test {
    std::vector<std::string> lines = ShippedLines();
    std::map<std::string, std::set<std::wstring>> byTag;  // written tag -> stored IDs
    std::set<std::wstring> intelTags;                     // tags with an Intel 3945 line
    std::set<std::wstring> commentIds;                    // ID-shaped words inside comments
    void SetUp() override
    {
        ASSERT_FALSE(lines.empty()) << "no list at " << std::string(ShippedPath().begin(), ShippedPath().end());
        for (const std::string& l : lines) {
            if (!l.empty() && l[0] == '#') {
                std::string u = l;
                for (char& c : u) c = (char)toupper((unsigned char)c);
                for (const char* prefix : {"PCI\\", "USB\\"})
                    for (size_t at = u.find(prefix); at != std::string::npos; at = u.find(prefix, at + 1)) {
                        size_t end = u.find_first_of(" ,)", at);
                        commentIds.insert(Stored(u.substr(at, end == std::string::npos ? end : end - at)));
                    }
                continue;
            }
            for (const char* tag : kTags)
                if (l.compare(0, strlen(tag), tag) == 0) {
                    std::string rest = l.substr(strlen(tag));
                    byTag[tag].insert(Stored(rest.substr(0, rest.find(','))));
                    if (rest.find("Intel(R) PRO/Wireless 3945") != std::string::npos)
                        intelTags.insert(std::wstring(tag, tag + strlen(tag)));
                }
        }
    }
};

TEST_F(Shipped, EveryLineHasAShapeTheReaderUnderstands)
{
    int entries = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        for (unsigned char c : l) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "line " << i + 1 << " is not plain ASCII";
        if (l.empty() || l[0] == '#') continue;
        // Anything else is an entry: a written tag, an ID on the PCI or USB bus, a comma, a name.
        const char* tag = nullptr;
        for (const char* t : kTags)
            if (l.compare(0, strlen(t), t) == 0) tag = t;
        ASSERT_TRUE(tag != nullptr) << "line " << i + 1 << " has no known tag: " << l;
        std::string rest = l.substr(strlen(tag));
        EXPECT_TRUE(rest.compare(0, 4, "PCI\\") == 0 || rest.compare(0, 4, "USB\\") == 0) << l;
        size_t comma = rest.find(',');
        ASSERT_NE(std::string::npos, comma) << "line " << i + 1 << ": no comma after the ID";
        EXPECT_EQ(std::string::npos, rest.substr(0, comma).find(' ')) << l;
        EXPECT_GT(rest.size(), comma + 1) << "line " << i + 1 << ": no adapter name";
        ++entries;
    }
    EXPECT_GT(entries, 20);
}

// The list names real adapters: the USB sticks whose driver the program checks (and whose installer it
// offers) and the Intel PRO/Wireless 3945ABG by both of its PCI IDs, under every tag there is.
TEST_F(Shipped, NamesTheAdaptersTheProgramHasRulesForOnEverySystem)
{
    const std::set<std::wstring> wanted = {L"USB\\VID_0CF3&PID_9170", L"USB\\VID_0846&PID_9010", L"USB\\VID_07D1&PID_3C10",
                                           L"USB\\VID_07D1&PID_3A09", L"USB\\VID_1435&PID_0804", L"PCI\\VEN_8086&DEV_4222",
                                           L"PCI\\VEN_8086&DEV_4227"};
    for (const char* t : kTags) {
        for (const std::wstring& id : wanted)
            EXPECT_TRUE(byTag[t].count(id)) << std::string(id.begin(), id.end()) << " missing under " << t;
        EXPECT_TRUE(intelTags.count(std::wstring(t, t + strlen(t)))) << "no Intel 3945 line under " << t;
    }
}

// On each system, every listed adapter is Supported; exactly the ones listed under that system's
// tag are OsCompatible; an Intel 3945 follows the lines that name it.
TEST_F(Shipped, EachTagCountsOnItsOwnSystemOnly)
{
    std::set<std::wstring> all;
    for (auto& t : byTag) all.insert(t.second.begin(), t.second.end());
    for (const System& os : kSystems) {
        RecordedProbes p;
        PrepareSystem(p, os);
        AdapterList list;
        for (const std::wstring& id : all) AddRecord(list, id, L"Some adapter");
        // An Intel 3945 whose ID the list does not name counts through the lines that name the chip.
        CAdapterRecord* intel = AddRecord(list, L"PCI\\VEN_8086&DEV_F945", L"Intel(R) PRO/Wireless 3945BG Network Connection");
        for (const std::wstring& id : commentIds) AddRecord(list, id, nullptr);
        CSupportList sl(p, list);
        sl.SetListPath(ShippedPath().c_str());
        ASSERT_EQ(1, sl.ApplySupportList()) << os.name;
        const std::set<std::wstring>& valid = os.tag ? byTag[os.tag] : std::set<std::wstring>();
        for (INT_PTR i = 0; i < list.GetSize(); ++i) {
            CAdapterRecord* r = GetAdapter(list, i);
            std::wstring id((LPCWSTR)r->HardwareId);
            std::string shown(id.begin(), id.end());
            if (r == intel) {
                bool named = os.tag && intelTags.count(std::wstring(os.tag, os.tag + strlen(os.tag)));
                // Where the 64-bit filter drops every line (64-bit Vista) nothing names it by its chip.
                bool vista64 = os.wow64 && os.sysMajor == 6 && os.sysMinor == 0;
                EXPECT_EQ(!vista64, r->Supported == 1) << os.name;
                EXPECT_EQ(named, r->OsCompatible == 1) << "Intel 3945 on " << os.name;
            } else if (all.count(id)) {
                EXPECT_EQ(1, r->Supported) << shown << " on " << os.name;
                EXPECT_EQ(valid.count(id) ? 1 : 0, r->OsCompatible) << shown << " on " << os.name;
            } else {
                EXPECT_EQ(0, r->Supported) << "comment marks " << shown << " on " << os.name;
                EXPECT_EQ(0, r->OsCompatible) << shown;
            }
        }
        DeleteAdapterRecords(list);
    }
}

// The file's explanation on its own (its comments and empty lines) is read to the end and marks
// none of the list's adapters, nor an adapter with an ID form the explanation shows, nor an Intel
// 3945, on any system.
TEST_F(Shipped, CommentsNeverMarkAnAdapter)
{
    ASSERT_FALSE(commentIds.empty());  // the explanation shows ID forms: they must stay unmatched
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    std::wstring path = std::wstring(tmp) + L"nv_shipped_comments.txt";
    std::string comments;
    for (const std::string& l : lines)
        if (l.empty() || l[0] == '#') comments += l + "\n";
    FILE* f = _wfopen(path.c_str(), L"wb");
    fwrite(comments.data(), 1, comments.size(), f);
    fclose(f);
    std::set<std::wstring> ids = commentIds;
    for (auto& t : byTag) ids.insert(t.second.begin(), t.second.end());
    for (const System& os : kSystems) {
        RecordedProbes p;
        PrepareSystem(p, os);
        AdapterList list;
        for (const std::wstring& id : ids) AddRecord(list, id, L"Intel(R) PRO/Wireless 3945ABG");
        CSupportList sl(p, list);
        sl.SetListPath(path.c_str());
        EXPECT_EQ(1, sl.ApplySupportList());
        for (INT_PTR i = 0; i < list.GetSize(); ++i)
            EXPECT_EQ(0, GetAdapter(list, i)->Supported + GetAdapter(list, i)->OsCompatible) << os.name;
        DeleteAdapterRecords(list);
    }
    DeleteFileW(path.c_str());
}

}  // namespace
