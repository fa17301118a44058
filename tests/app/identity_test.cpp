#include "app/ProductIdentity.h"
#include "res/resource.h"
#include <gtest/gtest.h>
#include <map>
#include <vector>

static const wchar_t kTitle[] = L"WiFi Netvetter - %s %s Build %s";

TEST(ProductIdentityTest, CodesAreTrimmedAndUpperCasedBeforeTheProductTable)
{
    EXPECT_EQ(FormatProductTitle(L"WINCORVANE            ", L"11.1", L"37458", kTitle),
              L"WiFi Netvetter - Corvane Air Inspector 11.1 Build 37458");
    EXPECT_EQ(FormatProductTitle(L"  planscope \t", L"11.1", L"37458", kTitle),
              L"WiFi Netvetter - Corvane Site Planner 11.1 Build 37458");
    EXPECT_EQ(FormatProductTitle(L"RFWatch", L"2.0", L"1", kTitle), L"WiFi Netvetter - Corvane RF Watch 2.0 Build 1");
    // A code outside the table stands in the title itself.
    EXPECT_EQ(FormatProductTitle(L" newthing ", L"1.0", L"7", kTitle), L"WiFi Netvetter - NEWTHING 1.0 Build 7");
    // A display name is not a code: it is not looked up again.
    EXPECT_EQ(ProductDisplayName(L"Corvane Site Planner"), L"Corvane Site Planner");
}

TEST(ProductIdentityTest, VersionIsUpperCasedButBuildKeepsItsCase)
{
    EXPECT_EQ(FormatProductTitle(L"WINCORVANE", L"  11.1 beta ", L" 37458rc ", kTitle),
              L"WiFi Netvetter - Corvane Air Inspector 11.1 BETA Build 37458rc");
}

TEST(ProductIdentityTest, EmptyResourcesLeaveTheirPlacesEmpty)
{
    EXPECT_EQ(FormatProductTitle(L"", L"", L"", kTitle), L"WiFi Netvetter -   Build ");
    EXPECT_EQ(FormatProductTitle(L"WINCORVANE", L"11.1", L"37458", L""), L"");
}

TEST(ProductIdentityTest, ShippedResourcesNameTheFirstProduct)
{
    EXPECT_EQ(LoadProductTitle(), L"WiFi Netvetter - Corvane Air Inspector 11.1 Build 37458");
}

namespace {
const std::map<UINT, const wchar_t*>& ExpectedStrings()
{
    static const std::map<UINT, const wchar_t*> s = {
        {101, L"&About Netvetter..."}, {102, L"Adapter"}, {103, L"WINCORVANE            "}, {104, L"37458"},
        {108, L"Congratulations!\nAll installed adapters are supported and have correct driver version."},
        {109, L"Incorrect USB driver version"}, {110, L"Operating System (OS)"}, {111, L"Passed"},
        {112, L"Incorrect Intel(R) 3945 driver version"}, {113, L"Incorrect Intel(R) PROSet Utility version"},
        {116, L"Supported"}, {117, L"Not supported"}, {118, L"N/A"}, {119, L"OS Compatibility"},
        {120, L"Driver Version"}, {121, L"Support Status"}, {122, L"Resolution"}, {123, L"Not supported"},
        {128, L"No installed adapter detected."}, {129, L"Click here to see supported WLAN adapter list"},
        {130, L"Click here to go to supported Intel 3945"}, {131, L"Click here to install USB abgn driver"},
        {132, L" on this OS"}, {133, L"WiFi Netvetter - %s %s Build %s"}, {134, L"%s - Replay of %s"},
        {135, L"This is a replay of a recorded PC: the USB driver installer is not started here.\nOn that PC this "
              L"command would run:\n\n%s"},
        {1032, L"11.1"},
    };
    return s;
}

// The program files of this build: the copy built with the tests and the shipped program in the build
// folder above them.
std::vector<CString> ProgramFiles()
{
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    CString dir(self);
    dir = dir.Left(dir.ReverseFind(L'\\'));
    CString build = dir.Left(dir.ReverseFind(L'\\'));
    std::vector<CString> files;
    for (CString candidate : {build + L"\\netvetter.exe", build.Left(build.ReverseFind(L'\\')) + L"\\netvetter.exe"})
        if (::GetFileAttributesW(candidate) != INVALID_FILE_ATTRIBUTES) files.push_back(candidate);
    return files;
}
}

TEST(StringTableTest, BuiltProgramHoldsEveryTextExactly)
{
    std::vector<CString> files = ProgramFiles();
    ASSERT_FALSE(files.empty());
    for (const CString& file : files) {
        SCOPED_TRACE(testing::Message() << CStringA(file).str());
        HMODULE h = ::LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(h, nullptr);
        for (const auto& e : ExpectedStrings()) {
            CString s;
            EXPECT_TRUE(s.LoadString(h, e.first)) << e.first;
            EXPECT_EQ(s, e.second) << e.first;
        }
        // Icons and dialogs the program relies on.
        for (UINT icon : {IDR_MAINFRAME, IDI_STATUS_OK, IDI_STATUS_BAD})
            EXPECT_NE(::FindResourceW(h, MAKEINTRESOURCEW(icon), RT_GROUP_ICON), nullptr) << icon;
        for (UINT dlg : {IDD_ABOUTBOX, IDD_NETVETTER_DIALOG})
            EXPECT_NE(::FindResourceW(h, MAKEINTRESOURCEW(dlg), RT_DIALOG), nullptr) << dlg;
        EXPECT_NE(::FindResourceW(h, MAKEINTRESOURCEW(1), RT_MANIFEST), nullptr);
        ::FreeLibrary(h);
    }
}
