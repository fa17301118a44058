// The result dialog hosted for real: a Wine window, the program's own templates and resources, and the
// check run over a recorded system, so that what a user would see can be read back exactly.
#include "app/AboutDlg.h"
#include "app/GridCommandCell.h"
#include "app/NetvetterDlg.h"
#include "app/ShellActions.h"
#include "app/SupportSite.h"
#include "res/resource.h"
#include "recorded/RecordedProbes.h"
#include <gtest/gtest.h>
#include "../common/ScreenReader.h"
#include "../common/WindowCapture.h"
#include "../common/BuiltPrograms.h"
#include "recorded/Snapshot.h"
#include <oleacc.h>
#include <shlobj.h>
#include <commdlg.h>
#include <dlgs.h>
#include "framework/AfxDisplay.h"
#include <algorithm>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

namespace {
const wchar_t kClassKey[] = L"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
const COLORREF kDarkBlue = 0xC00000;
const wchar_t kCongratulations[] = L"Congratulations!\nAll installed adapters are supported and have correct driver version.";

void Pump(DWORD ms = 60) { PumpMessages(ms); }

CString WindowText(HWND h)
{
    wchar_t buf[512] = {};
    ::GetWindowTextW(h, buf, 511);
    return buf;
}

// One control of a compiled dialog template (the extended form windres writes): style, place in
// dialog units, and the class and title when they are given as ordinals.
struct TemplateItem {
    DWORD style = 0;
    CRect rect;
    WORD classOrdinal = 0;
    WORD titleOrdinal = 0;
};

std::vector<TemplateItem> ReadDialogTemplate(UINT id)
{
    std::vector<TemplateItem> items;
    HRSRC res = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_DIALOG);
    const WORD* w = res ? (const WORD*)::LockResource(::LoadResource(nullptr, res)) : nullptr;
    if (!w || w[1] != 0xFFFF) return items;
    // A name, class or title: empty, an ordinal, or a string; returns the ordinal or 0.
    auto skip = [](const WORD*& p) -> WORD {
        if (*p == 0xFFFF) {
            WORD ord = p[1];
            p += 2;
            return ord;
        }
        while (*p++) {}
        return 0;
    };
    DWORD style = *(const DWORD*)(w + 6);
    int count = w[8];
    const WORD* p = w + 13;
    skip(p);   // menu
    skip(p);   // class
    skip(p);   // title
    if (style & DS_SETFONT) {
        p += 3;
        skip(p);
    }
    for (int i = 0; i < count; ++i) {
        p = (const WORD*)(((ULONG_PTR)p + 3) & ~(ULONG_PTR)3);
        TemplateItem item;
        item.style = *(const DWORD*)(p + 4);
        const short* r = (const short*)(p + 6);
        item.rect = CRect(r[0], r[1], r[0] + r[2], r[1] + r[3]);
        p += 12;
        item.classOrdinal = skip(p);
        item.titleOrdinal = skip(p);
        p += 1 + (*p + 1) / 2;   // extra data
        items.push_back(item);
    }
    return items;
}

struct RecordingShell : IShellActions {
    std::vector<std::wstring> opened, started;
    void OpenDocument(LPCWSTR address) override { opened.push_back(address); }
    void StartProgram(LPCWSTR path) override { started.push_back(path); }
};

// A recorded Windows 7 system (32-bit unless a test says otherwise) with a list file beside a
// pretend program file in a folder of its own.
struct DialogTest : ::testing::Test {
    RecordedProbes p;
    std::wstring dir;
    std::string list;
    std::unique_ptr<CNetvetterDlg> dlg;
    std::vector<std::wstring> boxes;
    std::vector<UINT> boxTypes;
    AfxMessageBoxHook oldHook;
    RecordingShell shell;
    IShellActions* oldShell = nullptr;

    DialogTest()
    {
        wchar_t tmp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, tmp);
        dir = std::wstring(tmp) + L"nv_dialog_test";
        ::CreateDirectoryW(dir.c_str(), nullptr);
        p.modulePath = dir + L"\\netvetter.exe";
        SetOs(6, 1, 6, 1, false, L"");
        oldHook = AfxSetMessageBoxHook([this](LPCWSTR t, UINT type) {
            boxes.push_back(t);
            boxTypes.push_back(type);
            return IDOK;
        });
        oldShell = SetShellActions(&shell);
    }
    ~DialogTest() override
    {
        Close();
        SetShellActions(oldShell);
        AfxSetMessageBoxHook(oldHook);
        ::DeleteFileW(ListPath().c_str());
        ::RemoveDirectoryW(dir.c_str());
    }
    std::wstring ListPath() const { return dir + L"\\driverinfo.txt"; }

    // The reported version, the system library's version (0.0: unreadable) with its build number,
    // bitness and service pack.
    void SetOs(DWORD major, DWORD minor, WORD kernelMajor, WORD kernelMinor, bool wow64, const std::wstring& sp,
               WORD kernelBuild = 0)
    {
        p.os.major = major;
        p.os.minor = minor;
        p.os.wow64 = wow64 ? RecordedOs::Wow64Yes : RecordedOs::Wow64No;
        p.os.nativeArchitecture = wow64 ? PROCESSOR_ARCHITECTURE_AMD64 : PROCESSOR_ARCHITECTURE_INTEL;
        p.os.csdVersion = sp;
        std::wstring kernel = p.os.systemDirectory + L"\\kernel32.dll";
        for (size_t i = 0; i < p.files.size(); ++i)
            if (p.files[i].path == kernel) p.files.erase(p.files.begin() + i--);
        if (!kernelMajor) return;
        RecordedFile f;
        f.path = kernel;
        f.hasVersion = true;
        f.fileVersionMS = f.productVersionMS = MAKELONG(kernelMinor, kernelMajor);
        f.productVersionLS = MAKELONG(0, kernelBuild);
        p.files.push_back(f);
    }

    // A device the check sees as wireless, with its driver file's version.
    void AddAdapter(const std::wstring& desc, const std::wstring& hwid, WORD a, WORD b, WORD c, WORD d)
    {
        size_t n = p.devices.size();
        wchar_t sub[16];
        swprintf(sub, 16, L"\\%04u", (unsigned)n);
        std::wstring key = std::wstring(kClassKey) + sub;
        p.SetValue(key, RecordedValue::String(L"ComponentId", hwid.substr(0, hwid.find(L'&', hwid.find(L'&') + 1))));
        p.SetValue(key, RecordedValue::Dword(L"IfType", 71));
        std::wstring svc = L"svc" + std::to_wstring(n);
        p.SetValue(L"HKLM\\SYSTEM\\CurrentControlSet\\Services\\" + svc,
                   RecordedValue::String(L"ImagePath", L"\\SystemRoot\\system32\\DRIVERS\\" + svc + L".sys"));
        RecordedFile file;
        file.path = p.os.systemDirectory + L"\\DRIVERS\\" + svc + L".sys";
        file.hasVersion = true;
        file.fileVersionMS = file.productVersionMS = MAKELONG(b, a);
        file.fileVersionLS = file.productVersionLS = MAKELONG(d, c);
        p.files.push_back(file);
        RecordedDevice dev;
        dev.properties[SPDRP_ADDRESS] = RecordedValue::Dword(L"", (DWORD)n);
        dev.properties[SPDRP_DEVICEDESC] = RecordedValue::String(L"", desc);
        dev.properties[SPDRP_HARDWAREID] = RecordedValue::MultiString(L"", {hwid});
        dev.properties[SPDRP_SERVICE] = RecordedValue::String(L"", svc);
        dev.hasInstanceId = true;
        dev.instanceId = hwid + L"\\4&1A2B3C4D&0&" + std::to_wstring(n);
        p.devices.push_back(dev);
    }
    void RemoveAdapters()
    {
        p.devices.clear();
        std::wstring kernel = p.os.systemDirectory + L"\\kernel32.dll";
        for (size_t i = 0; i < p.files.size(); ++i)
            if (p.files[i].path != kernel) p.files.erase(p.files.begin() + i--);
        p.DeleteKey(L"HKLM\\SYSTEM");
    }

    void WriteList()
    {
        FILE* f = _wfopen(ListPath().c_str(), L"wb");
        fwrite(list.data(), 1, list.size(), f);
        fclose(f);
    }
    bool Open(bool writeList = true)
    {
        if (writeList) WriteList();
        return Show(new CNetvetterDlg(p));
    }
    bool Show(CNetvetterDlg* pDlg)
    {
        dlg.reset(pDlg);
        if (!dlg->Create(IDD_NETVETTER_DIALOG)) return false;
        dlg->SetWindowPos(nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        dlg->ShowWindow(SW_SHOW);
        dlg->UpdateWindow();
        Pump();
        return true;
    }
    void Close()
    {
        if (dlg && dlg->GetSafeHwnd()) dlg->DestroyWindow();
        dlg.reset();
        Pump(10);
    }
    CGridCtrl& Result() { return dlg->m_gridResult; }
    CGridCtrl& Header() { return dlg->m_gridHeader; }
    CAdapterRecord* Rec(int i) { return static_cast<CAdapterRecord*>(dlg->AdapterList[i]); }
    // Where the command cell looks for the USB driver installer: below this test program's folder.
    // Beside the program as the check sees it: the recorded system's program file.
    std::wstring InstallerFolder() const { return dir + L"\\WlanStickSetup"; }
    bool PlaceInstaller(bool present) const
    {
        std::wstring folder = InstallerFolder(), file = folder + L"\\setup.exe";
        ::DeleteFileW(file.c_str());
        ::RemoveDirectoryW(folder.c_str());
        if (!present) return true;
        ::CreateDirectoryW(folder.c_str(), nullptr);
        FILE* f = _wfopen(file.c_str(), L"wb");
        return f && fclose(f) == 0;
    }
    CGridCommandCell* Command(int row)
    {
        CGridCellBase* c = Result().GetCell(row, 4);
        return c && c->IsKindOf(RUNTIME_CLASS(CGridCommandCell)) ? static_cast<CGridCommandCell*>(c) : nullptr;
    }
    // The template's result-table height in pixels: the row-height rule divides it.
    int TemplateTableHeight()
    {
        CRect r(0, 0, 462, 99);
        ::MapDialogRect(dlg->m_hWnd, &r);
        return r.Height();
    }
    // What a user must be able to read: no horizontal bar, the shown columns side by side within the
    // table at their own widths, the summary and the Close button apart.
    void ExpectEverythingReadable()
    {
        CGridCtrl& g = Result();
        EXPECT_FALSE(g.GetStyle() & WS_HSCROLL);
        CRect client;
        g.GetClientRect(&client);
        int total = 0;
        for (int c = 0; c < g.GetColumnCount(); ++c) total += g.GetColumnWidth(c);
        EXPECT_LE(total, client.Width());
        const int widths[4] = {240, 90, 80, 110};
        for (int c = 0; c < 4 && c < g.GetColumnCount(); ++c) EXPECT_GE(g.GetColumnWidth(c), widths[c]) << c;
        long rows = 0;
        for (int r = 0; r < g.GetRowCount(); ++r) rows += g.GetRowHeight(r);
        EXPECT_EQ(rows > client.Height(), (g.GetStyle() & WS_VSCROLL) != 0);
        CRect summary, button, overlap;
        ::GetWindowRect(dlg->m_staticSummary.m_hWnd, &summary);
        ::GetWindowRect(::GetDlgItem(dlg->m_hWnd, IDOK), &button);
        EXPECT_FALSE(overlap.IntersectRect(summary, button));
        EXPECT_TRUE(SummaryFits());
    }
    // Whether the summary's text, wrapped as the static wraps it, fits its height.
    bool SummaryFits()
    {
        HWND h = dlg->m_staticSummary.m_hWnd;
        CRect r;
        ::GetClientRect(h, &r);
        CRect need(0, 0, r.Width(), 0);
        HDC dc = ::GetDC(h);
        HGDIOBJ old = ::SelectObject(dc, (HFONT)::SendMessageW(h, WM_GETFONT, 0, 0));
        ::DrawTextW(dc, WindowText(h), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        ::SelectObject(dc, old);
        ::ReleaseDC(h, dc);
        return need.Height() <= r.Height();
    }
    void ExpectWindowNarrowed()
    {
        CRect table, wnd, button;
        Result().GetClientRect(&table);
        dlg->GetWindowRect(&wnd);
        EXPECT_EQ(0, Result().GetColumnWidth(4));
        // The vertical bar, when the rows need it, stands beside the columns, not over them.
        int vBar = (Result().GetStyle() & WS_VSCROLL) ? ::GetSystemMetrics(SM_CXVSCROLL) : 0;
        EXPECT_EQ(table.Width() + vBar + 9, wnd.Width());
        HWND close = ::GetDlgItem(dlg->m_hWnd, IDOK);
        ::GetWindowRect(close, &button);
        POINT tl = {button.left, button.top};
        ::ScreenToClient(dlg->m_hWnd, &tl);
        EXPECT_EQ(wnd.Width() / 2 - button.Width() / 2, tl.x);
        CRect full(0, 0, 462, 154);
        ::MapDialogRect(dlg->m_hWnd, &full);
        EXPECT_LT(wnd.Width(), full.Width());
        // The summary keeps its place but ends before the button: neither covers the other.
        CRect summary, template_(6, 122, 6 + 131, 122 + 28);
        ::GetWindowRect(dlg->m_staticSummary.m_hWnd, &summary);
        ::MapDialogRect(dlg->m_hWnd, &template_);
        POINT stl = {summary.left, summary.top};
        ::ScreenToClient(dlg->m_hWnd, &stl);
        EXPECT_EQ(CPoint(stl), template_.TopLeft());
        EXPECT_GE(summary.Height(), template_.Height());
        EXPECT_LT(summary.right, button.left);
        // Narrower, it may grow downwards to hold its text, within the window.
        CRect client;
        dlg->GetClientRect(&client);
        EXPECT_LE(stl.y + summary.Height(), client.bottom);
        EXPECT_TRUE(SummaryFits());
    }
};
}

TEST_F(DialogTest, AllAdaptersFineShowsTheCongratulationAndNarrowsTheWindow)
{
    AddAdapter(L"Corvane USB Stick", L"USB\\VID_0CF3&PID_9170&REV_0001", 103, 1, 0, 113);
    list = "# test list\n_W7_,USB\\VID_0CF3&PID_9170,stick\n";
    ASSERT_TRUE(Open());
    EXPECT_EQ(WindowText(dlg->m_hWnd), L"WiFi Netvetter - Corvane Air Inspector 11.1 Build 37458");

    // Operating-system row.
    ASSERT_EQ(1, Header().GetRowCount());
    ASSERT_EQ(2, Header().GetColumnCount());
    EXPECT_EQ(Header().GetItemText(0, 0), L"Operating System (OS)");
    EXPECT_EQ(Header().GetItemText(0, 1), L"Windows 7");
    EXPECT_EQ(kDarkBlue, Header().GetItemTextColor(0, 0));
    EXPECT_EQ(240, Header().GetColumnWidth(0));

    // Heading row.
    ASSERT_EQ(2, Result().GetRowCount());
    ASSERT_EQ(5, Result().GetColumnCount());
    EXPECT_EQ(1, Result().GetFixedRowCount());
    const wchar_t* headings[] = {L"Adapter", L"OS Compatibility", L"Driver Version", L"Support Status", L"Resolution"};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(Result().GetItemText(0, c), headings[c]);
        EXPECT_EQ(0x11u, Result().GetItemFormat(0, c));
        EXPECT_EQ(RGB(150, 255, 150), Result().GetItemBackColor(0, c));
        const LOGFONT* lf = Result().GetItemFont(0, c);
        ASSERT_TRUE(lf);
        EXPECT_EQ(12, lf->lfHeight);
        EXPECT_EQ(580, lf->lfWeight);
    }

    // The adapter row.
    EXPECT_EQ(Result().GetItemText(1, 0), L"Corvane USB Stick");
    EXPECT_EQ(Result().GetItemText(1, 1), L"Supported");
    EXPECT_EQ(Result().GetItemText(1, 2), L"103.1.0.113");
    EXPECT_EQ(Result().GetItemText(1, 3), L"Passed");
    EXPECT_EQ(1, Result().GetItemImage(1, 3));
    EXPECT_EQ(kDarkBlue, Result().GetItemTextColor(1, 0));
    EXPECT_EQ((LPARAM)Rec(0), Result().GetItemData(1, 0));
    for (int c = 0; c < 5; ++c) EXPECT_EQ(16u, Result().GetItemFormat(1, c));
    EXPECT_EQ(Result().GetItemText(1, 4), L"");
    EXPECT_EQ(nullptr, Command(1));

    EXPECT_EQ(WindowText(dlg->m_staticSummary.m_hWnd), kCongratulations);
    ExpectWindowNarrowed();
    // The header table follows the narrowed result table.
    EXPECT_EQ(Result().GetColumnWidth(1) + Result().GetColumnWidth(2) + Result().GetColumnWidth(3),
              Header().GetColumnWidth(1));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DialogTest, EachProblemGetsItsResolutionAndTheColumnStays)
{
    AddAdapter(L"Fine Stick", L"USB\\VID_0CF3&PID_9170", 103, 1, 0, 113);
    AddAdapter(L"Old Stick", L"USB\\VID_0846&PID_9010", 103, 1, 0, 100);       // wrong driver: installer
    AddAdapter(L"Unknown Card", L"PCI\\VEN_1111&DEV_2222&SUBSYS_1", 1, 2, 3, 4);  // not listed
    AddAdapter(L"Eight Card", L"PCI\\VEN_3333&DEV_4444", 5, 6, 7, 8);           // listed for another OS
    AddAdapter(L"Unlisted Stick", L"USB\\VID_07D1&PID_3C10&REV_2", 103, 1, 0, 100);
    list = "_W7_,USB\\VID_0CF3&PID_9170,a\n_W7_,USB\\VID_0846&PID_9010&REV_0001,b\n_W8_,PCI\\VEN_3333&DEV_4444,c\n";
    int live = CAdapterRecord::s_nLive;
    ASSERT_TRUE(Open());
    EXPECT_EQ(live + 5, CAdapterRecord::s_nLive);
    ASSERT_EQ(6, Result().GetRowCount());

    EXPECT_EQ(Result().GetItemText(1, 3), L"Passed");
    EXPECT_EQ(1, Result().GetItemImage(1, 3));
    EXPECT_EQ(nullptr, Command(1));

    EXPECT_EQ(Result().GetItemText(2, 3), L"Incorrect USB driver version");
    EXPECT_EQ(0, Result().GetItemImage(2, 3));
    ASSERT_TRUE(Command(2));
    EXPECT_EQ(CString(Command(2)->GetText()), AfxResourceString(IDS_CMD_USB));
    EXPECT_EQ(Command(2)->m_pOwnerDlg, dlg.get());
    EXPECT_EQ(2, Command(2)->m_nOwnerRow);
    // The installer beside the program as the check saw it.
    EXPECT_EQ(ResolutionInstaller, Command(2)->m_nAction);
    EXPECT_EQ(Command(2)->m_strCommand, InstallerFolder() + L"\\setup.exe");
    EXPECT_FALSE(Command(2)->m_bReplay);

    EXPECT_EQ(Result().GetItemText(3, 1), L"Not supported");
    EXPECT_EQ(Result().GetItemText(3, 2), L"1.2.3.4");
    EXPECT_EQ(Result().GetItemText(3, 3), L"Not supported");
    ASSERT_TRUE(Command(3));
    EXPECT_EQ(CString(Command(3)->GetText()), L"Click here to see supported WLAN adapter list");
    EXPECT_EQ(Command(3)->m_strCommand, NV_URL_SUPPORTED_ADAPTERS);
    EXPECT_EQ(ResolutionPage, Command(3)->m_nAction);

    // Listed, but only for Windows 8.
    EXPECT_EQ(Result().GetItemText(4, 1), L"Not supported");
    EXPECT_EQ(Result().GetItemText(4, 3), L"Not supported on this OS");
    EXPECT_EQ(0, Result().GetItemImage(4, 3));
    ASSERT_TRUE(Command(4));
    EXPECT_EQ(Command(4)->m_strCommand, NV_URL_SUPPORTED_ADAPTERS);

    // A USB adapter that is not listed gets the list page, not the installer.
    ASSERT_TRUE(Command(5));
    EXPECT_EQ(CString(Command(5)->GetText()), AfxResourceString(IDS_CMD_LIST));

    EXPECT_EQ(WindowText(dlg->m_staticSummary.m_hWnd), L"");
    EXPECT_GT(Result().GetColumnWidth(4), 0);
    CRect wnd, full(0, 0, 462, 154);
    dlg->GetWindowRect(&wnd);
    ::MapDialogRect(dlg->m_hWnd, &full);
    EXPECT_GE(wnd.Width(), full.Width());   // the template's width, frame included
    // The records keep what the check found, nothing the window made of it.
    EXPECT_EQ(CAdapterRecord::VerdictBadUsbDriver, Rec(1)->DriverVerdict);
    EXPECT_EQ(CAdapterRecord::VerdictPassed, Rec(3)->DriverVerdict);
    EXPECT_EQ(CAdapterRecord::OsCompatibleNo, Rec(3)->OsCompatible);
    // The dialog owns its records: all of them go with it, once.
    Close();
    EXPECT_EQ(live, CAdapterRecord::s_nLive);
}

TEST_F(DialogTest, PciAdapterWithAWrongDriverGetsTheDriverPage)
{
    AddAdapter(L"Intel(R) PRO/Wireless 3945ABG Network Connection", L"PCI\\VEN_8086&DEV_4222&SUBSYS_1", 10, 4, 0, 0);
    list = "_W7_,Intel(R) PRO/Wireless 3945,PCI\\VEN_8086&DEV_4222,intel\n";
    ASSERT_TRUE(Open());
    ASSERT_EQ(2, Result().GetRowCount());
    EXPECT_EQ(1, Rec(0)->Supported);
    EXPECT_EQ(0, Rec(0)->DriverVersionOk);
    EXPECT_EQ(Result().GetItemText(1, 3), DriverVerdictText(Rec(0)->DriverVerdict));
    EXPECT_NE(Result().GetItemText(1, 3), L"Passed");
    ASSERT_TRUE(Command(1));
    EXPECT_EQ(CString(Command(1)->GetText()), L"Click here to go to supported Intel 3945");
    EXPECT_EQ(Command(1)->m_strCommand, NV_URL_DRIVER_DOCUMENTS);
    EXPECT_EQ(nullptr, Command(1)->m_pOwnerDlg);
}

TEST_F(DialogTest, NoAdapterLeavesOnlyTheHeadingFillingTheTable)
{
    list = "_W7_,USB\\VID_0CF3&PID_9170,stick\n";
    ASSERT_TRUE(Open());
    ASSERT_EQ(1, Result().GetRowCount());
    EXPECT_EQ(WindowText(dlg->m_staticSummary.m_hWnd), L"No installed adapter detected.");
    CRect client;
    Result().GetClientRect(&client);
    EXPECT_GE(Result().GetRowHeight(0), client.Height() - 1);
    EXPECT_LT(Result().GetRowHeight(0), 45 + client.Height());
    EXPECT_NE(40, Result().GetRowHeight(0));
    ExpectWindowNarrowed();
}

TEST_F(DialogTest, RowHeightsChangeOnlyBelowFortyFivePixelsPerRow)
{
    // The template height divided by rows + 1, against the threshold: the largest count that stays
    // at or above 45 and the first one below it.
    ASSERT_TRUE(Open());
    int h0 = TemplateTableHeight();
    Close();
    int keep = h0 / 45 - 1;
    ASSERT_GE(keep, 1);
    for (int n : {keep, keep + 1}) {
        RemoveAdapters();
        for (int i = 0; i < n; ++i) AddAdapter(L"Card " + std::to_wstring(i), L"PCI\\VEN_1111&DEV_0001", 1, 0, 0, 0);
        list = "_W7_,PCI\\VEN_1111&DEV_0001,card\n";
        ASSERT_TRUE(Open());
        ASSERT_EQ(n + 1, Result().GetRowCount());
        const bool below = n == keep + 1;
        if (below) {
            EXPECT_EQ(40, Result().GetRowHeight(0));
            for (int r = 1; r <= n; ++r) EXPECT_EQ(45, Result().GetRowHeight(r));
        } else {
            // The fit step's heights: the rows fill the client area exactly.
            CRect client;
            Result().GetClientRect(&client);
            long total = 0;
            for (int r = 0; r <= n; ++r) total += Result().GetRowHeight(r);
            // (the shrink step then makes the table one pixel taller than its rows)
            EXPECT_NEAR(client.Height(), total, 1);
            EXPECT_NE(45, Result().GetRowHeight(1));
        }
        Close();
    }
}

TEST_F(DialogTest, MissingListFileShowsOneMessageAndLeavesTheTablesEmpty)
{
    AddAdapter(L"Corvane USB Stick", L"USB\\VID_0CF3&PID_9170", 103, 1, 0, 113);
    ASSERT_TRUE(Open(false));
    ASSERT_EQ(1u, boxes.size());
    std::wstring path = ListPath();
    EXPECT_EQ(boxes[0], L"Can't open " + path + L".\nCheck to make sure " + path + L" exists.");
    EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), boxTypes[0]);
    EXPECT_EQ(0, Result().GetRowCount());
    EXPECT_EQ(0, Result().GetColumnCount());
    EXPECT_EQ(0, Header().GetRowCount());
    EXPECT_EQ(0, Header().GetColumnCount());
    EXPECT_EQ(WindowText(dlg->m_staticSummary.m_hWnd), L"");
    EXPECT_EQ(WindowText(dlg->m_hWnd), L"WiFi Netvetter - Corvane Air Inspector 11.1 Build 37458");
    // Close still ends the dialog.
    ::SendMessageW(dlg->m_hWnd, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(IDOK, dlg->m_nEndResult);
}

TEST_F(DialogTest, OsRowNamesTheSystemWithBitnessAndServicePack)
{
    list = "";
    struct Case { DWORD om, on; WORD km, kn; BOOL wow; const wchar_t* sp; const wchar_t* name; };
    const Case cases[] = {{6, 1, 6, 1, TRUE, L"Service Pack 1", L"Windows 7 64-Bit (Service Pack 1)"},
                          {6, 2, 10, 0, FALSE, L"", L"Windows 10"},
                          {6, 2, 6, 3, TRUE, L"", L"Windows 8.1 64-Bit"},
                          {6, 0, 6, 0, TRUE, L"Service Pack 2", L""},
                          {6, 0, 0, 0, TRUE, L"Service Pack 2", L"Windows Vista (Service Pack 2)"},
                          {5, 2, 5, 2, FALSE, L"", L"Windows XP 64-Bit"}};
    for (const Case& c : cases) {
        SetOs(c.om, c.on, c.km, c.kn, c.wow, c.sp);
        ASSERT_TRUE(Open());
        EXPECT_EQ(Header().GetItemText(0, 1), c.name) << c.name;
        Close();
    }
}

TEST_F(DialogTest, Windows11IsNamedSoAndKeepsTheWindows10Lines)
{
    AddAdapter(L"Corvane USB Stick", L"USB\\VID_0CF3&PID_9170", 103, 1, 0, 113);
    list = "_W10_X64,USB\\VID_0CF3&PID_9170,stick\n";
    struct Case { WORD build; bool wow; const wchar_t* name; short osOk; };
    // The 64-bit filter of Windows 10 applies to Windows 11 too: the X64 line fits, 32-bit fits no line.
    const Case cases[] = {{22631, true, L"Windows 11 64-Bit", 1}, {22000, false, L"Windows 11", 0},
                          {19045, true, L"Windows 10 64-Bit", 1}};
    for (const Case& c : cases) {
        SetOs(6, 2, 10, 0, c.wow, L"", c.build);
        ASSERT_TRUE(Open());
        EXPECT_EQ(Header().GetItemText(0, 1), c.name);
        EXPECT_EQ(c.osOk, Rec(0)->OsCompatible) << c.name;
        Close();
    }
}

TEST_F(DialogTest, RecordsOutsideTheCheckValuesShowNotApplicableAndNoCongratulation)
{
    AddAdapter(L"Corvane USB Stick", L"USB\\VID_0CF3&PID_9170", 103, 1, 0, 113);
    list = "_W7_,USB\\VID_0CF3&PID_9170,stick\n";
    ASSERT_TRUE(Open());
    Rec(0)->OsCompatible = CAdapterRecord::OsCompatibleUnknown;
    dlg->m_staticSummary.SetWindowText(L"");
    dlg->FillResultTable();
    ASSERT_EQ(3, Result().GetRowCount());
    EXPECT_EQ(Result().GetItemText(2, 1), L"N/A");
    EXPECT_EQ(1, Result().GetItemImage(2, 3));
    EXPECT_EQ(WindowText(dlg->m_staticSummary.m_hWnd), L"");
}

TEST_F(DialogTest, CommandCellsKnowTheirCellAndLinkColourAndHitOnlyTheirText)
{
    AddAdapter(L"Unknown Card", L"PCI\\VEN_1111&DEV_2222", 1, 2, 3, 4);
    AddAdapter(L"Old Stick", L"USB\\VID_0846&PID_9010", 103, 1, 0, 100);
    list = "_W7_,USB\\VID_0846&PID_9010,b\n";
    ASSERT_TRUE(Open());
    Result().RedrawWindow();
    Pump();
    CGridCommandCell* listCell = Command(1);
    ASSERT_TRUE(listCell && Command(2));
    CRect cellRect;
    Result().GetCellRect(1, 4, &cellRect);
    EXPECT_EQ(cellRect, listCell->m_rcCell);
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), listCell->GetTextColor());

    // The hot area runs from the cell's left edge to the measured width of the text, whatever the height.
    CSize extent = listCell->GetTextExtent(listCell->GetText(), nullptr);
    ASSERT_GT(extent.cx, 0);
    ASSERT_LT(extent.cx, cellRect.Width());
    CString text;
    CPoint inside(extent.cx, cellRect.Height() + 50);
    EXPECT_TRUE(listCell->HitCommandText(inside, text));
    EXPECT_EQ(text, AfxResourceString(IDS_CMD_LIST));
    CPoint beyond(extent.cx + 1, 2);
    EXPECT_FALSE(listCell->HitCommandText(beyond, text));
    // What a click there runs is checked with real clicks, below.
}

TEST_F(DialogTest, CommandCellsAreNeverEditedAndPlainTextIsNoCommand)
{
    CGridCommandCell cell;
    EXPECT_FALSE(cell.Edit(1, 4, CRect(0, 0, 100, 20), CPoint(1, 1), 0, 'a'));
    EXPECT_TRUE(CGridCommandCell::IsCommandText(AfxResourceString(IDS_CMD_3945)));
    EXPECT_FALSE(CGridCommandCell::IsCommandText(L"click here to install usb abgn driver"));
    cell.SetText(L"Passed");
    CString text;
    CPoint pt(1, 1);
    EXPECT_FALSE(cell.HitCommandText(pt, text));
}

TEST_F(DialogTest, SystemMenuHasTheAboutEntryAndTheAboutBoxCloses)
{
    list = "";
    ASSERT_TRUE(Open());
    // As in the program, the result dialog is the main window: the About box is modal over it.
    CWinApp app;
    app.m_pMainWnd = dlg.get();
    HMENU menu = ::GetSystemMenu(dlg->m_hWnd, FALSE);
    ASSERT_TRUE(menu);
    int n = ::GetMenuItemCount(menu);
    ASSERT_GE(n, 3);
    EXPECT_EQ((UINT)IDM_ABOUTBOX, ::GetMenuItemID(menu, n - 2));
    wchar_t label[64] = {};
    ::GetMenuStringW(menu, n - 2, label, 63, MF_BYPOSITION);
    EXPECT_STREQ(L"&About Netvetter...", label);
    EXPECT_TRUE(::GetMenuState(menu, n - 3, MF_BYPOSITION) & MF_SEPARATOR);
    // The PC at hand can be saved for support, right below About.
    EXPECT_EQ((UINT)IDM_SUPPORTREPORT, ::GetMenuItemID(menu, n - 1));
    ::GetMenuStringW(menu, n - 1, label, 63, MF_BYPOSITION);
    EXPECT_STREQ(L"Save report for support...", label);

    // The About box runs modally; a timer inside its loop reads it and presses OK.
    static std::vector<std::wstring> seen;
    static HWND owner;
    seen.clear();
    owner = dlg->m_hWnd;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) WINAPI {
        HWND about = ::FindWindowW(L"#32770", L"About Netvetter");
        if (!about) return;
        ::KillTimer(nullptr, id);
        for (HWND c = ::GetWindow(about, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) seen.push_back(WindowText(c).GetString());
        seen.push_back(::IsWindowEnabled(owner) ? L"owner enabled" : L"owner disabled");
        ::PostMessageW(about, WM_COMMAND, IDOK, 0);
    });
    ::SendMessageW(dlg->m_hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    ::KillTimer(nullptr, timer);
    ASSERT_FALSE(seen.empty());
    bool version = false;
    for (auto& s : seen) version |= s == L"Netvetter Version 1.0";
    EXPECT_TRUE(version);
    EXPECT_EQ(L"owner disabled", seen.back());
    EXPECT_TRUE(::IsWindow(dlg->m_hWnd));
    EXPECT_EQ(::FindWindowW(L"#32770", L"About Netvetter"), nullptr);
    EXPECT_EQ((HCURSOR)dlg->m_hIcon, (HCURSOR)::SendMessageW(dlg->m_hWnd, WM_QUERYDRAGICON, 0, 0));
    app.m_pMainWnd = nullptr;
}

TEST_F(DialogTest, TheModalWindowOpensCentredAndSoDoesItsAboutBoxOverIt)
{
    AddAdapter(L"Corvane USB Stick", L"USB\\VID_0CF3&PID_9170", 103, 1, 0, 113);
    list = "_W7_,USB\\VID_0CF3&PID_9170,stick\n";
    WriteList();
    // Timers inside the dialogs' own loops: note the window, open the About box from the system
    // menu, note it and its controls, close it, then close the window.
    struct Seen {
        int step = 0;
        CRect main, about, icon;
        LONG versionStyle = 0;
        bool ownerDisabled = false;
    };
    static Seen seen;
    seen = Seen();
    UINT_PTR timer = ::SetTimer(nullptr, 0, 120, [](HWND, UINT, UINT_PTR, DWORD) WINAPI {
        HWND main = ::FindWindowW(L"#32770", L"WiFi Netvetter - Corvane Air Inspector 11.1 Build 37458");
        HWND about = ::FindWindowW(L"#32770", L"About Netvetter");
        if (seen.step == 0 && main) {
            ::GetWindowRect(main, &seen.main);
            seen.step = 1;
            ::PostMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        } else if (seen.step == 1 && about) {
            ::GetWindowRect(about, &seen.about);
            HWND icon = ::GetWindow(about, GW_CHILD);
            ::GetWindowRect(icon, &seen.icon);
            seen.versionStyle = ::GetWindowLongW(::GetWindow(icon, GW_HWNDNEXT), GWL_STYLE);
            seen.ownerDisabled = !::IsWindowEnabled(main);
            seen.step = 2;
            ::PostMessageW(about, WM_COMMAND, IDOK, 0);
        } else if (seen.step == 2 && !about && main) {
            seen.step = 3;
            ::PostMessageW(main, WM_COMMAND, IDOK, 0);
        }
    });
    CNetvetterDlg modal(p);
    CWinApp app;
    app.m_pMainWnd = &modal;
    INT_PTR result = modal.DoModal();
    app.m_pMainWnd = nullptr;
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(IDOK, result);
    ASSERT_EQ(3, seen.step);
    // The narrowed window stands in the middle of the work area ...
    CRect area;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_EQ(seen.main.left, (area.left + area.right) / 2 - seen.main.Width() / 2);
    EXPECT_EQ(seen.main.top, (area.top + area.bottom) / 2 - seen.main.Height() / 2);
    // ... and the About box in the middle of it, with its owner disabled while it is up.
    EXPECT_EQ(seen.about.left, (seen.main.left + seen.main.right) / 2 - seen.about.Width() / 2);
    EXPECT_EQ(seen.about.top, (seen.main.top + seen.main.bottom) / 2 - seen.about.Height() / 2);
    EXPECT_TRUE(seen.ownerDisabled);
    // The version line starts a group, as the compiled template says.
    EXPECT_EQ(WS_GROUP | SS_NOPREFIX, seen.versionStyle & (WS_GROUP | SS_NOPREFIX));
    EXPECT_GT(seen.icon.Width(), 0);

    // The compiled template: the icon control keeps its size, each static line starts a group.
    std::vector<TemplateItem> items = ReadDialogTemplate(IDD_ABOUTBOX);
    ASSERT_EQ(4u, items.size());
    EXPECT_EQ((DWORD)SS_ICON, items[0].style & SS_TYPEMASK);
    EXPECT_EQ(CRect(11, 17, 31, 37), items[0].rect);
    EXPECT_EQ((WORD)IDR_MAINFRAME, items[0].titleOrdinal);
    for (int i = 1; i <= 2; ++i) EXPECT_TRUE(items[i].style & WS_GROUP) << i;
    EXPECT_TRUE(items[1].style & SS_NOPREFIX);
    EXPECT_EQ((DWORD)(WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON), items[3].style & (WS_GROUP | WS_TABSTOP | BS_TYPEMASK));
}

TEST_F(DialogTest, ThreeOrMoreAdaptersScrollWithoutCoveringTheLastColumn)
{
    // All fine (the window narrows) and one needing the installer (the Resolution column stays).
    for (int n : {3, 8})
        for (bool oldDriver : {false, true}) {
            RemoveAdapters();
            for (int i = 0; i < n; ++i)
                AddAdapter(L"Stick " + std::to_wstring(i), L"USB\\VID_0CF3&PID_9170", 103, 1, 0,
                           oldDriver && i == 1 ? 100 : 113);
            list = "_W7_,USB\\VID_0CF3&PID_9170,stick\n";
            ASSERT_TRUE(Open());
            ASSERT_EQ(n + 1, Result().GetRowCount());
            EXPECT_TRUE(Result().GetStyle() & WS_VSCROLL) << n << oldDriver;
            ExpectEverythingReadable();
            if (!oldDriver) ExpectWindowNarrowed();
            // The header table ends where the result table ends.
            CRect head, table;
            Header().GetWindowRect(&head);
            Result().GetWindowRect(&table);
            EXPECT_EQ(head.right, table.right) << n << oldDriver;
            Close();
        }
}

// Pictures of the dialog with 0, 1, 3 and 8 adapters and with the About box open, each checked for
// what a user must be able to read. They go to NV_SCREENSHOT_DIR when it is set (tools/screenshots.sh
// makes the README's pictures from them), else to a temporary folder that is removed again.
TEST_F(DialogTest, ScreenshotsShowEveryPartReadable)
{
    wchar_t out[MAX_PATH] = {};
    bool keep = ::GetEnvironmentVariableW(L"NV_SCREENSHOT_DIR", out, MAX_PATH) != 0;
    if (!keep) {
        ::GetTempPathW(MAX_PATH, out);
        wcscat(out, L"nv_shots");
        ::CreateDirectoryW(out, nullptr);
    }
    std::vector<std::wstring> written;
    SetOs(6, 1, 6, 1, true, L"Service Pack 1");
    list = "_W7_X64,USB\\VID_0CF3&PID_9170,AirStick 2\n"
           "_W7_X64,PCI\\VEN_168C&DEV_002A,Atheros card\n"
           "_W7_X64,Intel(R) PRO/Wireless 3945,PCI\\VEN_8086&DEV_4222,Intel\n"
           "_W7_X64,USB\\VID_0846&PID_9010,AirStick 1\n"
           "_W8_X64,PCI\\VEN_14E4&DEV_4727,Broadcom card\n";
    auto save = [&](const Capture& c, const wchar_t* name) {
        std::wstring path = std::wstring(out) + L"\\" + name + L".bmp";
        EXPECT_TRUE(c.Save(path.c_str())) << name;
        written.push_back(path);
    };
    auto shoot = [&](const wchar_t* name, bool withAbout) {
        ASSERT_TRUE(Open());
        ExpectEverythingReadable();
        ::SetForegroundWindow(dlg->m_hWnd);
        dlg->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump(400);
        if (!withAbout) {
            save(CaptureWindow(dlg->m_hWnd), name);
        } else {
            // The About box as its menu entry opens it: centred over the result window.
            CAboutDlg about;
            ASSERT_TRUE(about.Create(IDD_ABOUTBOX, dlg.get()));
            about.ShowWindow(SW_SHOW);
            about.UpdateWindow();
            Pump(400);
            CRect main, box;
            dlg->GetWindowRect(&main);
            about.GetWindowRect(&box);
            EXPECT_EQ(box.left, (main.left + main.right) / 2 - box.Width() / 2);
            EXPECT_EQ(box.top, (main.top + main.bottom) / 2 - box.Height() / 2);
            save(CaptureScreen(main), name);
            about.DestroyWindow();
        }
        Close();
        RemoveAdapters();
    };

    shoot(L"dialog-no-adapter", false);

    AddAdapter(L"Corvane AirStick 2 USB Wireless LAN Adapter", L"USB\\VID_0CF3&PID_9170&REV_0108", 103, 1, 0, 113);
    shoot(L"dialog-all-fine", false);

    AddAdapter(L"Corvane AirStick 1 USB Wireless LAN Adapter", L"USB\\VID_0846&PID_9010&REV_0001", 103, 1, 0, 90);
    AddAdapter(L"Intel(R) PRO/Wireless 3945ABG Network Connection", L"PCI\\VEN_8086&DEV_4222&SUBSYS_10208086", 10, 4, 0, 0);
    AddAdapter(L"Ralink RT2870 Wireless LAN Card", L"USB\\VID_148F&PID_2870&REV_0101", 3, 1, 0, 4);
    shoot(L"dialog-resolutions", false);

    for (int i = 0; i < 8; ++i) {
        if (i % 2)
            AddAdapter(L"Atheros AR9280 Wireless Network Adapter #" + std::to_wstring(i + 1),
                       L"PCI\\VEN_168C&DEV_002A&SUBSYS_3A7A168C", 8, 0, 0, 238);
        else
            AddAdapter(L"Corvane AirStick 2 USB Wireless LAN Adapter #" + std::to_wstring(i + 1),
                       L"USB\\VID_0CF3&PID_9170&REV_0108", 103, 1, 0, i == 4 ? 100 : 113);
    }
    shoot(L"dialog-many-adapters", false);

    AddAdapter(L"Corvane AirStick 2 USB Wireless LAN Adapter", L"USB\\VID_0CF3&PID_9170&REV_0108", 103, 1, 0, 113);
    shoot(L"dialog-about", true);

    EXPECT_EQ(5u, written.size());
    if (!keep) {
        for (const std::wstring& f : written) ::DeleteFileW(f.c_str());
        ::RemoveDirectoryW(out);
    }
}

TEST_F(DialogTest, EscapeAndTheCloseButtonEndTheModalDialog)
{
    AddAdapter(L"Corvane USB Stick", L"USB\\VID_0CF3&PID_9170", 103, 1, 0, 113);
    list = "_W7_,USB\\VID_0CF3&PID_9170,stick\n";
    WriteList();
    // A timer inside the dialog's own loop presses a key on the keyboard once the dialog is up.
    static WORD s_key;
    static int s_presses;
    for (WORD key : {(WORD)VK_ESCAPE, (WORD)VK_RETURN}) {
        s_key = key;
        s_presses = 0;
        UINT_PTR timer = ::SetTimer(nullptr, 0, 150, [](HWND, UINT, UINT_PTR, DWORD) WINAPI {
            HWND h = ::FindWindowW(L"#32770", L"WiFi Netvetter - Corvane Air Inspector 11.1 Build 37458");
            if (!h || s_presses++ > 20) return;
            ::SetForegroundWindow(h);
            PressKey(s_key);
        });
        CNetvetterDlg modal(p);
        INT_PTR result = modal.DoModal();
        ::KillTimer(nullptr, timer);
        // Escape cancels; Return presses the default button, Close (id 1).
        EXPECT_EQ(key == VK_ESCAPE ? IDCANCEL : IDOK, result) << key;
        EXPECT_EQ(1u, modal.AdapterList.GetSize());
    }
}

namespace {
// Real input: the pointer moved and the button pressed through the system, as a user's mouse would.
void SendPointer(POINT screen)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = (screen.x * 65535 + ::GetSystemMetrics(SM_CXSCREEN) / 2) / (::GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = (screen.y * 65535 + ::GetSystemMetrics(SM_CYSCREEN) / 2) / (::GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &in, sizeof(INPUT));
    Pump(60);
}

// Wine answers GetMessagePos during WM_SETCURSOR with the previous mouse message's position, so
// the pointer arrives in two steps a pixel apart, as a real mouse's would; both lie in the region
// the caller aims at.
void MoveMouse(HWND grid, POINT client)
{
    ::ClientToScreen(grid, &client);
    SendPointer({client.x - 1, client.y});
    SendPointer(client);
    // The pointer goes through the X server: on a busy machine it arrives later than the input is sent.
    POINT at = {};
    for (int i = 0; i < 40 && (!::GetCursorPos(&at) || at.x != client.x || at.y != client.y); ++i) Pump(50);
    Pump(60);
}

void Click(HWND grid, POINT client)
{
    MoveMouse(grid, client);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, in, sizeof(INPUT));
    Pump(150);
}
}

TEST_F(DialogTest, PointerAndClicksOverTheResolutionCommands)
{
    AddAdapter(L"Unknown Card", L"PCI\\VEN_1111&DEV_2222", 1, 2, 3, 4);
    AddAdapter(L"Intel(R) PRO/Wireless 3945ABG Network Connection", L"PCI\\VEN_8086&DEV_4222&SUBSYS_1", 10, 4, 0, 0);
    AddAdapter(L"Fine Stick", L"USB\\VID_0CF3&PID_9170", 103, 1, 0, 113);
    list = "_W7_,Intel(R) PRO/Wireless 3945,PCI\\VEN_8086&DEV_4222,intel\n_W7_,USB\\VID_0CF3&PID_9170,a\n";
    ASSERT_TRUE(Open());
    ::SetForegroundWindow(dlg->m_hWnd);
    Pump();
    HWND grid = Result().m_hWnd;
    CRect listRect, driverRect, fineRect;
    ASSERT_TRUE(Result().GetCellRect(1, 4, &listRect));
    ASSERT_TRUE(Result().GetCellRect(2, 4, &driverRect));
    ASSERT_TRUE(Result().GetCellRect(3, 4, &fineRect));
    CSize extent = Command(1)->GetTextExtent(Command(1)->GetText(), nullptr);
    HCURSOR hand = CGridCommandCell::GetHandCursor();
    ASSERT_TRUE(hand);

    // The hand over the text, at any height of the cell; the arrow to its right and over a plain cell.
    MoveMouse(grid, {listRect.left + 4, listRect.top + 2});
    EXPECT_EQ(hand, ::GetCursor());
    MoveMouse(grid, {listRect.left + extent.cx - 2, listRect.bottom - 2});
    EXPECT_EQ(hand, ::GetCursor());
    MoveMouse(grid, {listRect.left + extent.cx + 6, listRect.top + 5});
    EXPECT_NE(hand, ::GetCursor());
    MoveMouse(grid, {fineRect.left + 4, fineRect.top + 5});
    EXPECT_NE(hand, ::GetCursor());

    // Clicks: right of the text nothing, on the texts each page once, on a plain cell nothing.
    Click(grid, {listRect.left + extent.cx + 6, listRect.top + 5});
    EXPECT_TRUE(shell.opened.empty());
    Click(grid, {listRect.left + 4, listRect.top + 5});
    Click(grid, {driverRect.left + 4, driverRect.top + 5});
    Click(grid, {fineRect.left + 4, fineRect.top + 5});
    ASSERT_EQ(2u, shell.opened.size());
    EXPECT_EQ(shell.opened[0], NV_URL_SUPPORTED_ADAPTERS);
    EXPECT_EQ(shell.opened[1], NV_URL_DRIVER_DOCUMENTS);
    EXPECT_TRUE(shell.started.empty());
    EXPECT_TRUE(::IsWindow(dlg->m_hWnd));

    // The result table takes neither a selection nor an edit, by mouse or keyboard.
    CRect plain;
    Result().GetCellRect(3, 0, &plain);
    Click(grid, {plain.left + 5, plain.top + 5});
    for (WORD key : {(WORD)VK_F2, (WORD)'A', (WORD)VK_RETURN, (WORD)VK_DOWN}) {
        PressKey(key);
        Pump(60);
    }
    EXPECT_EQ(0, Result().GetSelectedCount());
    for (int r = 1; r < Result().GetRowCount(); ++r)
        for (int c = 0; c < 5; ++c) EXPECT_FALSE(Result().IsCellEditing(r, c)) << r << "," << c;
    EXPECT_EQ(Result().GetItemText(3, 0), L"Fine Stick");
}

TEST_F(DialogTest, ClickingTheInstallerCommandStartsItAndClosesTheDialog)
{
    AddAdapter(L"Old Stick", L"USB\\VID_0846&PID_9010", 103, 1, 0, 100);
    list = "_W7_,USB\\VID_0846&PID_9010,b\n";
    std::wstring installer = InstallerFolder() + L"\\setup.exe";
    ASSERT_TRUE(PlaceInstaller(false));
    ASSERT_TRUE(Open());
    ::SetForegroundWindow(dlg->m_hWnd);
    Pump();
    HWND grid = Result().m_hWnd;
    CRect cell;
    ASSERT_TRUE(Result().GetCellRect(1, 4, &cell));

    // Without the installer beside the program nothing happens.
    Click(grid, {cell.left + 4, cell.top + 5});
    EXPECT_TRUE(shell.started.empty());
    ASSERT_TRUE(::IsWindow(dlg->m_hWnd));

    ASSERT_TRUE(PlaceInstaller(true));
    Click(grid, {cell.left + 4, cell.top + 5});
    PlaceInstaller(false);
    ASSERT_EQ(1u, shell.started.size());
    EXPECT_EQ(shell.started[0], installer);
    EXPECT_EQ(IDOK, dlg->m_nEndResult);
    EXPECT_FALSE(::IsWindow(dlg->m_hWnd));
    EXPECT_TRUE(shell.opened.empty());
}

namespace {
std::string Json(const CString& text)
{
    std::string r = "\"";
    for (char c : Utf8((LPCWSTR)text)) r += c == '"' ? "\\\"" : c == '\\' ? "\\\\" : c == '\n' ? "\\n" : std::string(1, c);
    return r + "\"";
}
}

TEST_F(DialogTest, EverySampleReplaysInTheWindowAsTheReportDescribesIt)
{
    std::vector<std::wstring> samples = SampleSnapshots();
    ASSERT_FALSE(samples.empty());
    for (const std::wstring& sample : samples) {
        SCOPED_TRACE(Utf8(sample));
        RecordedProbes recorded;
        std::wstring error;
        ASSERT_TRUE(LoadSnapshotFile(sample, recorded, error)) << Utf8(error);
        auto* replay = new CNetvetterDlg(recorded);
        replay->SetReplay(sample.c_str(), recorded.listFile.c_str());
        ASSERT_TRUE(Show(replay));
        ::SetForegroundWindow(dlg->m_hWnd);
        Pump();
        EXPECT_EQ(WindowText(dlg->m_hWnd), L"WiFi Netvetter - Corvane Air Inspector 11.1 Build 37458 - Replay of " +
                                               CString(sample.c_str()));
        EXPECT_TRUE(boxes.empty()) << Utf8(boxes.empty() ? L"" : boxes[0]);

        // What the report says of the same file is what the window shows, row by row.
        ProgramRun report = RunBuiltProgram(L"netvetter-report.exe", L"--json --snapshot \"" + sample + L"\"");
        EXPECT_NE(std::string::npos, report.out.find("\"osName\": " + Json(Header().GetItemText(0, 1)) + ",\n  \"summary\": " +
                                                     Json(WindowText(dlg->m_staticSummary.m_hWnd)) + ",\n"))
            << report.out;
        ASSERT_GT(Result().GetRowCount(), 1);
        size_t at = 0;
        for (int row = 1; row < Result().GetRowCount(); ++row) {
            std::string cells = "\"cells\": [";
            for (int c = 0; c < 5; ++c) cells += (c ? ", " : "") + Json(Result().GetItemText(row, c));
            CGridCommandCell* cmd = Command(row);
            std::string action = !cmd ? "none" : cmd->m_nAction == ResolutionInstaller ? "installer" : "page";
            CString target = !cmd ? CString() : cmd->m_strCommand;
            cells += "], \"resolution\": {\"action\": \"" + action + "\", \"target\": " + Json(target) + "}}";
            size_t found = report.out.find(cells, at);
            EXPECT_NE(std::string::npos, found) << cells << "\n" << report.out;
            if (found != std::string::npos) at = found;
        }

        // Pages open as on the user's PC; the installer is only shown, with the command that PC would run.
        HWND grid = Result().m_hWnd;
        size_t pages = 0, installers = 0;
        for (int row = 1; row < Result().GetRowCount(); ++row) {
            CGridCommandCell* cmd = Command(row);
            if (!cmd) continue;
            // A row below the visible part is scrolled to first, as a user would.
            if (!Result().IsCellVisible(row, 4)) {
                Result().EnsureVisible(row, 4);
                Pump();
            }
            CRect cell;
            ASSERT_TRUE(Result().GetCellRect(row, 4, &cell));
            Click(grid, {cell.left + 4, cell.top + 5});
            if (cmd->m_bReplay) {
                ++installers;
                ASSERT_EQ(installers, boxes.size());
                CString shown = boxes.back().c_str();
                EXPECT_NE(-1, shown.Find(L"would run:\n\n" + cmd->m_strCommand)) << Utf8(boxes.back());
                EXPECT_EQ(0, cmd->m_strCommand.Find(L"C:\\Program Files"));
                EXPECT_NE(-1, cmd->m_strCommand.Find(L"\\Netvetter\\WlanStickSetup\\setup.exe"));
            } else {
                ++pages;
                ASSERT_EQ(pages, shell.opened.size());
                EXPECT_EQ(shell.opened.back(), std::wstring(cmd->m_strCommand)) << "row " << row;
            }
            EXPECT_TRUE(::IsWindow(dlg->m_hWnd));
        }
        EXPECT_TRUE(shell.started.empty());
        EXPECT_GT(pages + installers, 0u);
        shell.opened.clear();
        boxes.clear();
        Close();
    }
}

namespace {
// The first top-level window of class cls that the process shows, waiting up to 20 seconds.
HWND WaitForWindowOf(HANDLE process, DWORD processId, const wchar_t* cls)
{
    struct Find {
        DWORD pid;
        const wchar_t* cls;
        HWND found;
    } find = {processId, cls, nullptr};
    for (int i = 0; i < 400 && !find.found; ++i) {
        ::EnumWindows([](HWND h, LPARAM lp) WINAPI -> BOOL {
            Find* f = (Find*)lp;
            DWORD pid = 0;
            wchar_t name[64] = {};
            ::GetWindowThreadProcessId(h, &pid);
            ::GetClassNameW(h, name, 63);
            if (pid == f->pid && ::IsWindowVisible(h) && lstrcmpW(name, f->cls) == 0) f->found = h;
            return f->found == nullptr;
        }, (LPARAM)&find);
        if (!find.found && ::WaitForSingleObject(process, 50) == WAIT_OBJECT_0) break;
    }
    return find.found;
}

DWORD ExitCodeAfter(HANDLE process)
{
    DWORD code = 0xFFFFFFFF;
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process, 20000));
    ::GetExitCodeProcess(process, &code);
    ::CloseHandle(process);
    return code;
}
}

TEST(ReplayProgramTest, ProgramOpensTheRecordedPcAndRefusesAMalformedFile)
{
    ASSERT_FALSE(BuiltProgram(L"netvetter.exe").empty());
    std::vector<std::wstring> samples = SampleSnapshots();
    ASSERT_FALSE(samples.empty());
    DWORD pid = 0;
    HANDLE app = StartBuiltProgram(L"netvetter.exe", L"--snapshot \"" + samples[0] + L"\"", &pid);
    ASSERT_TRUE(app);
    HWND window = WaitForWindowOf(app, pid, L"#32770");
    ASSERT_TRUE(window);
    PumpMessages(300);
    wchar_t title[512] = {};
    ::GetWindowTextW(window, title, 511);
    EXPECT_EQ(std::wstring(L"WiFi Netvetter - Corvane Air Inspector 11.1 Build 37458 - Replay of ") + samples[0], title);
    ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0u, ExitCodeAfter(app));

    // A malformed snapshot: one message naming the file and the line, and exit code 2.
    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    std::wstring bad = std::wstring(tmp) + L"nv_malformed.snapshot";
    FILE* f = _wfopen(bad.c_str(), L"wb");
    ASSERT_TRUE(f);
    fputs("[Program]\n\n[Device]\nDeviceDesc=\"unterminated\n", f);
    fclose(f);
    std::wstring missing = std::wstring(tmp) + L"nv_no_such.snapshot";
    struct Case {
        std::wstring args, message;
    };
    const Case cases[] = {{L"--snapshot \"" + bad + L"\"", bad + L", line 4: string without its closing quote"},
                          {L"--snapshot \"" + missing + L"\"", missing + L": cannot open the snapshot file"},
                          {L"--snapshot", L"--snapshot needs the name of a snapshot file."}};
    for (const Case& c : cases) {
        app = StartBuiltProgram(L"netvetter.exe", c.args, &pid);
        ASSERT_TRUE(app);
        HWND box = WaitForWindowOf(app, pid, L"#32770");
        ASSERT_TRUE(box) << Utf8(c.args);
        PumpMessages(200);
        wchar_t text[1024] = {};
        ::GetDlgItemTextW(box, 0xFFFF, text, 1023);
        EXPECT_EQ(c.message, text);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(2u, ExitCodeAfter(app)) << Utf8(c.args);
    }
}

namespace {
// The reader's answer for one object of a tree dump: role, name, state, place, action, description.
std::vector<std::string> TreeEntry(const std::vector<std::string>& tree, size_t i)
{
    if (i >= tree.size()) return {};
    return Fields(tree[i].substr(tree[i].find_first_not_of(' ')));
}
}

TEST_F(DialogTest, AScreenReaderReadsTheTablesAndRunsTheResolutions)
{
    AddAdapter(L"Fine Stick", L"USB\\VID_0CF3&PID_9170", 103, 1, 0, 113);
    AddAdapter(L"Old Stick", L"USB\\VID_0846&PID_9010", 103, 1, 0, 100);
    AddAdapter(L"Unknown Card", L"PCI\\VEN_1111&DEV_2222", 1, 2, 3, 4);
    AddAdapter(L"Intel(R) PRO/Wireless 3945ABG Network Connection", L"PCI\\VEN_8086&DEV_4222&SUBSYS_1", 10, 4, 0, 0);
    list = "_W7_,USB\\VID_0CF3&PID_9170,a\n_W7_,USB\\VID_0846&PID_9010,b\n"
           "_W7_,Intel(R) PRO/Wireless 3945,PCI\\VEN_8086&DEV_4222,intel\n";
    ASSERT_TRUE(PlaceInstaller(true));
    ASSERT_TRUE(Open());

    // Table, five rows of five cells: 1 + 5 * 6 answers.
    std::vector<std::string> tree = ReadAccessibly(Result().m_hWnd, {L"tree"});
    ASSERT_EQ(31u, tree.size()) << (tree.empty() ? "" : tree.back());
    EXPECT_EQ(std::to_string(ROLE_SYSTEM_TABLE), TreeEntry(tree, 0)[0]);
    EXPECT_EQ("Wireless adapters", TreeEntry(tree, 0)[1]);
    auto cell = [&](int r, int c) { return TreeEntry(tree, 1 + (size_t)r * 6 + 1 + (size_t)c); };
    EXPECT_EQ("Old Stick", TreeEntry(tree, 1 + 2 * 6)[1]);   // a row goes by its adapter
    EXPECT_EQ("Support Status", cell(0, 3)[1]);
    // The status cells read as their verdicts, the icon's meaning beside a text that does not say it.
    EXPECT_EQ("Passed", cell(1, 3)[1]);
    EXPECT_EQ("", cell(1, 3)[5]);
    EXPECT_EQ("Incorrect USB driver version", cell(2, 3)[1]);
    EXPECT_EQ("Failed", cell(2, 3)[5]);
    EXPECT_EQ("Not supported", cell(3, 3)[1]);
    EXPECT_EQ("Failed", cell(3, 3)[5]);
    // Resolutions are links with the default action "Click"; the passed row's cell is a plain empty cell.
    for (int r = 2; r <= 4; ++r) {
        EXPECT_EQ(std::to_string(ROLE_SYSTEM_LINK), cell(r, 4)[0]) << r;
        EXPECT_EQ("Click", cell(r, 4)[4]) << r;
        EXPECT_TRUE(std::stol(cell(r, 4)[2], nullptr, 16) & STATE_SYSTEM_LINKED) << r;
    }
    EXPECT_EQ("Click here to install USB abgn driver", cell(2, 4)[1]);
    EXPECT_EQ("Click here to see supported WLAN adapter list", cell(3, 4)[1]);
    EXPECT_EQ(std::to_string(ROLE_SYSTEM_CELL), cell(1, 4)[0]);
    EXPECT_EQ("", cell(1, 4)[1]);
    EXPECT_EQ("", cell(1, 4)[4]);

    std::vector<std::string> head = ReadAccessibly(Header().m_hWnd, {L"tree"});
    ASSERT_EQ(4u, head.size());
    EXPECT_EQ("Operating System (OS)", TreeEntry(head, 0)[1]);
    EXPECT_EQ("Windows 7", TreeEntry(head, 3)[1]);

    // The screen reader's "Click" does what a click on the text does: each page once, then the
    // installer, which ends the dialog.
    std::vector<std::string> done = ReadAccessibly(Result().m_hWnd, {L"do 3 4", L"do 4 4", L"do 1 4"});
    Pump();
    EXPECT_EQ((std::vector<std::string>{"do|00000000", "do|00000000", "do|80020003"}), done);
    ASSERT_EQ(2u, shell.opened.size());
    EXPECT_EQ(shell.opened[0], NV_URL_SUPPORTED_ADAPTERS);
    EXPECT_EQ(shell.opened[1], NV_URL_DRIVER_DOCUMENTS);
    EXPECT_TRUE(shell.started.empty());
    ASSERT_TRUE(::IsWindow(dlg->m_hWnd));
    done = ReadAccessibly(Result().m_hWnd, {L"do 2 4"});
    Pump();
    PlaceInstaller(false);
    EXPECT_EQ((std::vector<std::string>{"do|00000000"}), done);
    ASSERT_EQ(1u, shell.started.size());
    EXPECT_EQ(shell.started[0], InstallerFolder() + L"\\setup.exe");
    EXPECT_EQ(IDOK, dlg->m_nEndResult);
    EXPECT_EQ(2u, shell.opened.size());
}

TEST_F(DialogTest, TheHiddenResolutionColumnReadsAsInvisible)
{
    AddAdapter(L"Fine Stick", L"USB\\VID_0CF3&PID_9170", 103, 1, 0, 113);
    list = "_W7_,USB\\VID_0CF3&PID_9170,a\n";
    ASSERT_TRUE(Open());
    std::vector<std::string> tree = ReadAccessibly(Result().m_hWnd, {L"tree"});
    ASSERT_EQ(13u, tree.size());
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 5; ++c) {
            long state = std::stol(TreeEntry(tree, 1 + (size_t)r * 6 + 1 + (size_t)c)[2], nullptr, 16);
            EXPECT_EQ(c == 4, (state & STATE_SYSTEM_INVISIBLE) != 0) << r << "," << c;
            EXPECT_TRUE(state & STATE_SYSTEM_READONLY) << r << "," << c;
        }
}

namespace {
// Pixels that differ between two pictures of a window's cell, which may have moved in between (the
// rectangles are in client coordinates), and how many of them lie more than three pixels inside its edges.
struct Difference {
    int all = 0, inner = 0;
};
Difference Compare(HWND h, const Capture& a, const CRect& ra, const Capture& b, const CRect& rb)
{
    POINT o = {0, 0};
    ::ClientToScreen(h, &o);
    RECT w;
    ::GetWindowRect(h, &w);
    const int ox = o.x - w.left, oy = o.y - w.top;
    CRect client;
    ::GetClientRect(h, &client);
    Difference d;
    for (int y = 0; y <= ra.Height(); ++y)
        for (int x = 0; x <= ra.Width(); ++x) {
            // Only what shows in both pictures, not what lay under a scroll bar.
            if (!client.PtInRect(CPoint(ra.left + x, ra.top + y)) || !client.PtInRect(CPoint(rb.left + x, rb.top + y)))
                continue;
            int ax = ra.left + x + ox, ay = ra.top + y + oy, bx = rb.left + x + ox, by = rb.top + y + oy;
            if (ax < 0 || ay < 0 || ax >= a.cx || ay >= a.cy || bx < 0 || by < 0 || bx >= b.cx || by >= b.cy) continue;
            if (a.At(ax, ay) == b.At(bx, by)) continue;
            ++d.all;
            if (x > 3 && x < ra.Width() - 3 && y > 3 && y < ra.Height() - 3) ++d.inner;
        }
    return d;
}

struct KeyboardRun {
    CNetvetterDlg* dlg = nullptr;
    int step = 0;
    std::vector<std::string> seen;   // what each step found, for the test to compare
    Capture before;
    CRect beforeCell;
    Difference focused;              // the resolution cell's change when it takes the focus
    int perimeter = 0;
};
KeyboardRun g_run;

std::string FocusName()
{
    HWND f = ::GetFocus();
    if (!g_run.dlg || !f) return "none";
    if (f == g_run.dlg->m_gridResult.m_hWnd) {
        CCellID c = g_run.dlg->m_gridResult.GetFocusCell();
        return "result " + std::to_string(c.row) + "," + std::to_string(c.col);
    }
    if (f == g_run.dlg->m_gridHeader.m_hWnd) return "header";
    if (f == ::GetDlgItem(g_run.dlg->m_hWnd, IDOK)) return "close";
    return "other";
}

// One key per tick of a timer inside the dialog's own modal loop, noting where the focus is first.
void CALLBACK KeyboardStep(HWND, UINT, UINT_PTR, DWORD)
{
    if (!g_run.dlg || !::IsWindowVisible(g_run.dlg->m_hWnd)) return;
    static const WORD keys[] = {VK_TAB, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RETURN, VK_DOWN, VK_SPACE,
                                VK_TAB,  VK_TAB,   VK_TAB,   VK_DOWN,  VK_RETURN};
    if (g_run.step >= (int)(sizeof keys / sizeof keys[0]) + 2) return;
    CGridCtrl& grid = g_run.dlg->m_gridResult;
    CRect cell;
    grid.GetCellRect(1, 4, &cell);
    if (g_run.step == 0) ::SetForegroundWindow(g_run.dlg->m_hWnd);
    if (g_run.step == 1) {
        g_run.before = CaptureWindow(grid.m_hWnd);
        g_run.beforeCell = cell;
    }
    // Moving right has scrolled the table: the cell is compared where it stands in each picture.
    if (g_run.step == 5) {
        g_run.focused = Compare(grid.m_hWnd, g_run.before, g_run.beforeCell, CaptureWindow(grid.m_hWnd), cell);
        g_run.perimeter = 2 * (cell.Width() + cell.Height());
    }
    g_run.seen.push_back(FocusName());
    if (g_run.step < (int)(sizeof keys / sizeof keys[0])) PressKey(keys[g_run.step]);
    ++g_run.step;
}
}

TEST_F(DialogTest, TheKeyboardReachesTheTableAndRunsEveryResolution)
{
    AddAdapter(L"Unknown Card", L"PCI\\VEN_1111&DEV_2222", 1, 2, 3, 4);
    AddAdapter(L"Intel(R) PRO/Wireless 3945ABG Network Connection", L"PCI\\VEN_8086&DEV_4222&SUBSYS_1", 10, 4, 0, 0);
    AddAdapter(L"Old Stick", L"USB\\VID_0846&PID_9010", 103, 1, 0, 100);
    list = "_W7_,Intel(R) PRO/Wireless 3945,PCI\\VEN_8086&DEV_4222,intel\n_W7_,USB\\VID_0846&PID_9010,b\n";
    FILE* f = _wfopen(ListPath().c_str(), L"wb");
    fwrite(list.data(), 1, list.size(), f);
    fclose(f);
    ASSERT_TRUE(PlaceInstaller(true));
    CNetvetterDlg modal(p);
    g_run = KeyboardRun();
    g_run.dlg = &modal;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 150, KeyboardStep);
    INT_PTR result = modal.DoModal();
    ::KillTimer(nullptr, timer);
    g_run.dlg = nullptr;
    PlaceInstaller(false);

    // Tab from the Close button reaches the table on its first cell, the arrows walk to the
    // resolution, Enter and Space open the pages, Tab goes on round the dialog and back, and Enter
    // on the installer's resolution starts it and ends the dialog.
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ((std::vector<std::string>{"close", "result 1,0", "result 1,1", "result 1,2", "result 1,3", "result 1,4",
                                        "result 1,4", "result 2,4", "result 2,4", "header", "close", "result 2,4",
                                        "result 3,4"}),
              g_run.seen);
    ASSERT_EQ(2u, shell.opened.size());
    EXPECT_EQ(shell.opened[0], NV_URL_SUPPORTED_ADAPTERS);
    EXPECT_EQ(shell.opened[1], NV_URL_DRIVER_DOCUMENTS);
    ASSERT_EQ(1u, shell.started.size());
    EXPECT_EQ(shell.started[0], InstallerFolder() + L"\\setup.exe");

    // The focus shows: the resolution cell's edges changed when it took the focus (frame and focus
    // rectangle), its text did not.
    ASSERT_GT(g_run.perimeter, 0);
    EXPECT_GE(g_run.focused.all, g_run.perimeter / 2);
    EXPECT_EQ(0, g_run.focused.inner);
}

namespace {
// Keys held together and let go, through the system, as a user's fingers press them.
void PressChord(WORD modifier, WORD key)
{
    INPUT in[4] = {};
    for (INPUT& i : in) i.type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[3].ki.wVk = modifier;
    in[1].ki.wVk = in[2].ki.wVk = key;
    in[2].ki.dwFlags = in[3].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(4, in, sizeof(INPUT));
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (!::OpenClipboard(nullptr)) return text;
    if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* p = (const wchar_t*)::GlobalLock(h)) text = p;
        ::GlobalUnlock(h);
    }
    ::CloseClipboard();
    return text;
}

const wchar_t kMainTitle[] = L"WiFi Netvetter - Corvane Air Inspector 11.1 Build 37458";
}

TEST_F(DialogTest, CtrlCCopiesWhatTheWindowSaysAsAMessageBoxDoes)
{
    AddAdapter(L"Fine Stick", L"USB\\VID_0CF3&PID_9170", 103, 1, 0, 113);
    const std::wstring rule = L"---------------------------\r\n";
    const std::wstring fine = L"Fine Stick\tSupported\t103.1.0.113\tPassed\t\r\n";
    struct Case {
        bool unknownCard;
        std::wstring body;
    } cases[] = {
        // All fine: the Resolution column is hidden and empty, the summary congratulates.
        {false, fine + L"Congratulations!\r\nAll installed adapters are supported and have correct driver version.\r\n"},
        // A card to act on: its resolution in the fifth cell; no summary.
        {true, fine + L"Unknown Card\tNot supported\t1.2.3.4\tNot supported\tClick here to see supported WLAN adapter list\r\n"},
    };
    for (const Case& c : cases) {
        if (c.unknownCard) AddAdapter(L"Unknown Card", L"PCI\\VEN_1111&DEV_2222", 1, 2, 3, 4);
        list = "_W7_,USB\\VID_0CF3&PID_9170,stick\n";
        WriteList();
        if (::OpenClipboard(nullptr)) {
            ::EmptyClipboard();
            ::CloseClipboard();
        }
        // Inside the dialog's own loop: Ctrl+C on the keyboard, then what the clipboard holds.
        static std::wstring copied;
        static int ticks;
        copied.clear();
        ticks = 0;
        UINT_PTR timer = ::SetTimer(nullptr, 0, 150, [](HWND, UINT, UINT_PTR, DWORD) WINAPI {
            HWND main = ::FindWindowW(L"#32770", kMainTitle);
            if (!main || ++ticks > 40) return;
            if (ticks == 1) {
                ::SetForegroundWindow(main);
                PressChord(VK_CONTROL, 'C');
                return;
            }
            copied = ClipboardText();
            if (!copied.empty() || ticks > 30) ::PostMessageW(main, WM_COMMAND, IDOK, 0);
        });
        CNetvetterDlg modal(p);
        modal.DoModal();
        ::KillTimer(nullptr, timer);
        EXPECT_EQ(rule + kMainTitle + L"\r\n" + rule + L"Operating System (OS)\tWindows 7\r\n" + c.body + rule + L"Close\r\n" + rule,
                  copied) << c.unknownCard;
    }
}

TEST_F(DialogTest, TheSystemMenuSavesAReportForSupportThatReplaysThisPc)
{
    AddAdapter(L"Fine Stick", L"USB\\VID_0CF3&PID_9170", 103, 1, 0, 113);
    list = "_W7_,USB\\VID_0CF3&PID_9170,stick\n";
    WriteList();
    p.os.computerName = L"PC-042";
    p.os.checkedAt = {2026, 12, 1, 7, 20, 41, 7, 0};
    std::wstring saved = dir + L"\\support.snapshot";
    ::DeleteFileW(saved.c_str());

    // In the dialog's loop: Alt+Space opens the system menu, Up reaches its last entry, Return chooses
    // it; the save dialog's proposal is read, the file name set to one of the test's, and Save pressed.
    struct Seen {
        int step = 0, ticks = 0;
        std::wstring name, folder, target;
    };
    static Seen seen;
    seen = Seen();
    seen.target = saved;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) WINAPI {
        HWND main = ::FindWindowW(L"#32770", kMainTitle);
        if (!main || ++seen.ticks > 100) return;
        HWND save = nullptr;
        for (HWND h = ::FindWindowW(L"#32770", nullptr); h; h = ::GetWindow(h, GW_HWNDNEXT))
            if (::GetWindow(h, GW_OWNER) == main && ::IsWindowVisible(h)) save = h;
        if (seen.step == 0) {
            ::SetForegroundWindow(main);
            PressChord(VK_MENU, VK_SPACE);
            seen.step = 1;
        } else if (seen.step == 1 && ::FindWindowW(L"#32768", nullptr)) {
            PressKey(VK_UP);
            PressKey(VK_RETURN);
            seen.step = 2;
        } else if (seen.step == 2 && save) {
            wchar_t text[MAX_PATH] = {};
            if (!::GetDlgItemTextW(save, cmb13, text, MAX_PATH)) ::GetDlgItemTextW(save, edt1, text, MAX_PATH);
            seen.name = text;
            ::SendMessageW(save, CDM_GETFOLDERPATH, MAX_PATH, (LPARAM)text);
            seen.folder = text;
            if (!::SetDlgItemTextW(save, cmb13, seen.target.c_str())) ::SetDlgItemTextW(save, edt1, seen.target.c_str());
            ::PostMessageW(save, WM_COMMAND, IDOK, 0);
            seen.step = 3;
        } else if (seen.step == 3 && !save) {
            seen.step = 4;
            ::PostMessageW(main, WM_COMMAND, IDOK, 0);
        }
    });
    CNetvetterDlg modal(p);
    CWinApp app;
    app.m_pMainWnd = &modal;
    modal.DoModal();
    app.m_pMainWnd = nullptr;
    ::KillTimer(nullptr, timer);
    ASSERT_EQ(4, seen.step);

    // The proposal: the recorded PC's name and time, in the user's Documents folder.
    EXPECT_EQ(L"Netvetter-PC-042-20261207-2041.snapshot", seen.name);
    wchar_t documents[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
    EXPECT_EQ(CString(documents).MakeLower(), CString(seen.folder.c_str()).MakeLower());
    // The file: what netvetter-report --capture writes for this PC, name and time included.
    std::wstring error, expected = dir + L"\\expected.snapshot";
    ASSERT_TRUE(WriteSnapshotFile(expected, CaptureSnapshot(p, ListPath()), error)) << Utf8(error);
    std::string bytes = ReadFileBytes(saved);
    EXPECT_EQ(ReadFileBytes(expected), bytes);
    EXPECT_NE(std::string::npos, bytes.find("ComputerName=\"PC-042\"\r\nCheckedAt=2026-12-07T20:41:07Z\r\n"));
    ::DeleteFileW(expected.c_str());
    ::DeleteFileW(saved.c_str());

    // A replay shows a PC that is not at hand: no entry.
    dlg.reset(new CNetvetterDlg(p));
    dlg->SetReplay(L"C:\\pc.snapshot", L"");
    ASSERT_TRUE(Show(dlg.release()));
    EXPECT_EQ((UINT)-1, ::GetMenuState(::GetSystemMenu(dlg->m_hWnd, FALSE), IDM_SUPPORTREPORT, MF_BYCOMMAND));
    EXPECT_NE((UINT)-1, ::GetMenuState(::GetSystemMenu(dlg->m_hWnd, FALSE), IDM_ABOUTBOX, MF_BYCOMMAND));
}

// ---------------------------------------------------------------------------------------------
// Display scale and high contrast. tools/dpi-tests.sh runs the DisplayScale cases again in Wine
// prefixes whose displays have 120, 144 and 192 dots per inch and names the scale in NV_EXPECT_DPI.
namespace {
UINT ExpectedDpi()
{
    wchar_t v[16] = {};
    return ::GetEnvironmentVariableW(L"NV_EXPECT_DPI", v, 16) ? (UINT)_wtoi(v) : 96;
}

const int kWidths96[5] = {240, 90, 80, 110, 100};

// What the scale decides in a laid-out window.
struct ScaleLayout {
    std::vector<int> resultWidths, headerWidths, rowHeights, headerRows;
    int fontHeight = 0, iconSize = 0;
    CRect result, header, button, summary, window;
    bool operator==(const ScaleLayout& o) const
    {
        return resultWidths == o.resultWidths && headerWidths == o.headerWidths && rowHeights == o.rowHeights &&
               headerRows == o.headerRows && fontHeight == o.fontHeight && iconSize == o.iconSize &&
               result == o.result && header == o.header && button == o.button && summary == o.summary &&
               window == o.window;
    }
};

std::string Str(const CRect& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

CRect ChildRect(HWND dlg, HWND child)
{
    CRect r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, dlg, (LPPOINT)&r, 2);
    return r;
}

ScaleLayout LayoutOf(CNetvetterDlg& d)
{
    ScaleLayout l;
    for (int c = 0; c < d.m_gridResult.GetColumnCount(); ++c) l.resultWidths.push_back(d.m_gridResult.GetColumnWidth(c));
    for (int c = 0; c < d.m_gridHeader.GetColumnCount(); ++c) l.headerWidths.push_back(d.m_gridHeader.GetColumnWidth(c));
    for (int r = 0; r < d.m_gridResult.GetRowCount(); ++r) l.rowHeights.push_back(d.m_gridResult.GetRowHeight(r));
    for (int r = 0; r < d.m_gridHeader.GetRowCount(); ++r) l.headerRows.push_back(d.m_gridHeader.GetRowHeight(r));
    if (const LOGFONT* f = d.m_gridResult.GetItemFont(0, 0)) l.fontHeight = f->lfHeight;
    int cx = 0, cy = 0;
    if (d.m_gridResult.GetImageList() && ImageList_GetIconSize(*d.m_gridResult.GetImageList(), &cx, &cy)) l.iconSize = cx;
    l.result = ChildRect(d.m_hWnd, d.m_gridResult.m_hWnd);
    l.header = ChildRect(d.m_hWnd, d.m_gridHeader.m_hWnd);
    l.button = ChildRect(d.m_hWnd, ::GetDlgItem(d.m_hWnd, IDOK));
    l.summary = ChildRect(d.m_hWnd, d.m_staticSummary.m_hWnd);
    d.GetWindowRect(&l.window);
    return l;
}

std::string Describe(const ScaleLayout& l)
{
    std::string s = "columns";
    for (int w : l.resultWidths) s += " " + std::to_string(w);
    s += ", rows";
    for (int h : l.rowHeights) s += " " + std::to_string(h);
    return s + ", font " + std::to_string(l.fontHeight) + ", icons " + std::to_string(l.iconSize) + ", window " +
           std::to_string(l.window.Width()) + " x " + std::to_string(l.window.Height());
}

// The lines a text takes in the tables' font at the given pixel height, wrapped at the given width,
// and their height.
struct Wrapped {
    int lines, height;
};
Wrapped Wrap(const CString& text, int fontHeight, int width)
{
    LOGFONTW lf;
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfHeight = fontHeight;
    lf.lfWeight = 580;
    HFONT font = ::CreateFontIndirectW(&lf);
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICW tm;
    ::GetTextMetricsW(dc, &tm);
    CRect r(0, 0, width, 0);
    ::DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(font);
    return {tm.tmHeight ? r.Height() / tm.tmHeight : 0, r.Height()};
}
}

// The tables at the display's scale: widths, row heights, font and icons scale with it, every text
// keeps the lines it has at 96 dots per inch and fits its cell, and no horizontal bar appears.
TEST_F(DialogTest, DisplayScaleSizesTheTablesAtTheWindowsScale)
{
    const UINT dpi = ExpectedDpi();
    SetOs(6, 1, 6, 1, true, L"Service Pack 1");
    list = "_W7_X64,USB\\VID_0CF3&PID_9170,AirStick 2\n"
           "_W7_X64,Intel(R) PRO/Wireless 3945,PCI\\VEN_8086&DEV_4222,Intel\n"
           "_W7_X64,USB\\VID_0846&PID_9010,AirStick 1\n";
    struct Case { int adapters; bool problems; } cases[] = {{1, false}, {3, true}, {8, false}};
    for (const Case& k : cases) {
        RemoveAdapters();
        for (int i = 0; i < k.adapters; ++i) {
            if (k.problems && i == 1)
                AddAdapter(L"Intel(R) PRO/Wireless 3945ABG Network Connection", L"PCI\\VEN_8086&DEV_4222&SUBSYS_10208086", 10, 4, 0, 0);
            else if (k.problems && i == 2)
                AddAdapter(L"Corvane AirStick 1 USB Wireless LAN Adapter", L"USB\\VID_0846&PID_9010&REV_0001", 103, 1, 0, 90);
            else
                AddAdapter(L"Corvane AirStick 2 USB Wireless LAN Adapter #" + std::to_wstring(i + 1),
                           L"USB\\VID_0CF3&PID_9170&REV_0108", 103, 1, 0, 113);
        }
        ASSERT_TRUE(Open());
        ASSERT_EQ(dpi, AfxGetWindowDpi(dlg->m_hWnd));
        CGridCtrl& g = Result();
        ScaleLayout l = LayoutOf(*dlg);
        printf("[ dpi %u, %d adapters ] %s\n", dpi, k.adapters, Describe(l).c_str());
        EXPECT_EQ(::MulDiv(12, dpi, 96), l.fontHeight);
        EXPECT_EQ(::MulDiv(16, dpi, 96), l.iconSize);
        // The fit leaves the columns at their scaled widths and gives the last shown one the rest.
        int shown = k.problems ? 5 : 4;
        for (int c = 0; c < shown - 1; ++c) EXPECT_NEAR(::MulDiv(kWidths96[c], dpi, 96), l.resultWidths[c], 1) << c;
        EXPECT_GE(l.resultWidths[shown - 1], ::MulDiv(kWidths96[shown - 1], dpi, 96) - 1);
        if (k.adapters >= 3) {
            EXPECT_EQ(::MulDiv(40, dpi, 96), l.rowHeights[0]);
            for (size_t r = 1; r < l.rowHeights.size(); ++r) EXPECT_EQ(::MulDiv(45, dpi, 96), l.rowHeights[r]);
        }
        EXPECT_FALSE(g.GetStyle() & WS_HSCROLL);
        CRect client;
        g.GetClientRect(&client);
        EXPECT_LE(std::accumulate(l.resultWidths.begin(), l.resultWidths.end(), 0), client.Width());
        // Every text takes the lines it takes at 96 dots per inch in its column and row narrowed back
        // to that scale, and fits its cell wherever it fits there.
        for (int r = 0; r < g.GetRowCount(); ++r)
            for (int c = 0; c < shown; ++c) {
                CString text = g.GetItemText(r, c);
                if (text.IsEmpty()) continue;
                int margin = (int)g.GetCell(r, c)->GetMargin();
                int room = l.resultWidths[c] - 2 * margin - (g.GetItemImage(r, c) >= 0 ? l.iconSize : 0);
                int height = g.GetRowHeight(r) - 2 * margin;
                Wrapped here = Wrap(text, l.fontHeight, room);
                Wrapped at96 = Wrap(text, 12, ::MulDiv(room, 96, dpi));
                EXPECT_EQ(at96.lines, here.lines) << (LPCSTR)CStringA(text);
                if (at96.height <= ::MulDiv(height, 96, dpi)) {
                    EXPECT_LE(here.height, height) << (LPCSTR)CStringA(text);
                }
            }
        Close();
    }
}

// A window moved to a display of another scale (the system sends WM_DPICHANGED with the new scale
// and a suggested rectangle) takes that scale's layout, and moved back it is exactly as it was.
TEST_F(DialogTest, DisplayScaleFollowsTheWindowBetweenDisplaysWithoutDrift)
{
    // 96 and 144, 120 and 192 in turn: every scale that a prefix opens at is also one moved to.
    const UINT dpi = ExpectedDpi(), other = dpi == 96 ? 144 : dpi == 144 ? 96 : dpi == 120 ? 192 : 120;
    for (bool problems : {false, true}) {
        RemoveAdapters();
        list = "_W7_,USB\\VID_0CF3&PID_9170,stick\n_W7_,USB\\VID_0846&PID_9010,stick 1\n";
        AddAdapter(L"Corvane AirStick 2 USB Wireless LAN Adapter", L"USB\\VID_0CF3&PID_9170&REV_0108", 103, 1, 0, 113);
        if (problems) AddAdapter(L"Corvane AirStick 1 USB Wireless LAN Adapter", L"USB\\VID_0846&PID_9010&REV_0001", 103, 1, 0, 90);
        ASSERT_TRUE(Open());
        ScaleLayout opened = LayoutOf(*dlg);
        CRect at = opened.window;
        for (int trip = 0; trip < 2; ++trip) {
            CRect there(at.left, at.top, at.left + ::MulDiv(at.Width(), other, dpi), at.top + ::MulDiv(at.Height(), other, dpi));
            dlg->SendMessage(WM_DPICHANGED, MAKEWPARAM(other, other), (LPARAM)&there);
            Pump();
            ScaleLayout moved = LayoutOf(*dlg);
            printf("[ dpi %u moved to %u ] %s\n", dpi, other, Describe(moved).c_str());
            EXPECT_EQ(::MulDiv(12, other, 96), moved.fontHeight);
            EXPECT_EQ(::MulDiv(16, other, 96), moved.iconSize);
            EXPECT_EQ(there.TopLeft(), moved.window.TopLeft());
            // The numbers of the window at the other scale, as it opens there; back, the window is
            // laid out exactly as the dialog manager opened it (the DisplayScale runs at every scale
            // check that for each).
            for (int c = 0; c < 3; ++c) EXPECT_EQ(::MulDiv(kWidths96[c], other, 96), moved.resultWidths[c]) << c;
            EXPECT_EQ(::MulDiv(240, other, 96), moved.headerWidths[0]);
            EXPECT_FALSE(Result().GetStyle() & WS_HSCROLL);

            dlg->SendMessage(WM_DPICHANGED, MAKEWPARAM(dpi, dpi), (LPARAM)&at);
            Pump();
            ScaleLayout back = LayoutOf(*dlg);
            EXPECT_TRUE(back == opened) << trip << ": " << Describe(opened) << " became " << Describe(back);
            EXPECT_EQ(Str(opened.window), Str(back.window));
            EXPECT_EQ(Str(opened.result), Str(back.result));
            EXPECT_EQ(Str(opened.header), Str(back.header));
            EXPECT_EQ(Str(opened.button), Str(back.button));
            EXPECT_EQ(Str(opened.summary), Str(back.summary));
        }
        Close();
    }
}

namespace {
// Whether a colour is drawn anywhere in the rectangle (window coordinates) of a capture.
bool Shows(const Capture& c, const CRect& r, COLORREF colour)
{
    for (int y = std::max(0, (int)r.top); y < std::min(c.cy, (int)r.bottom); ++y)
        for (int x = std::max(0, (int)r.left); x < std::min(c.cx, (int)r.right); ++x)
            if (c.At(x, y) == colour) return true;
    return false;
}

// A cell's rectangle in the coordinates of the dialog window's capture.
CRect CellInWindow(CGridCtrl& g, HWND dlg, int row, int col)
{
    CRect r, wnd;
    g.GetCellRect(row, col, &r);
    g.ClientToScreen(&r);
    ::GetWindowRect(dlg, &wnd);
    r.OffsetRect(-wnd.left, -wnd.top);
    return r;
}
}

// High contrast switched on and off with the window open, as the system tells its windows: the
// tables are drawn in the system's colours at once, and in their own again afterwards.
TEST_F(DialogTest, HighContrastRecoloursTheOpenWindowAtOnce)
{
    struct Restore { ~Restore() { AfxSetHighContrastOverride(-1); } } restore;
    AfxSetHighContrastOverride(0);
    AddAdapter(L"Corvane AirStick 1 USB Wireless LAN Adapter", L"USB\\VID_0846&PID_9010&REV_0001", 103, 1, 0, 90);
    list = "_W7_,USB\\VID_0846&PID_9010,stick 1\n";
    ASSERT_TRUE(Open());
    ::SetForegroundWindow(dlg->m_hWnd);
    HWND h = dlg->m_hWnd;
    CRect heading = CellInWindow(Result(), h, 0, 0), name = CellInWindow(Result(), h, 1, 0);
    CRect link = CellInWindow(Result(), h, 1, 4), label = CellInWindow(Header(), h, 0, 0);
    // The grid line under the adapter row, along its middle.
    CRect line(name.left + 4, name.bottom, name.right - 4, name.bottom + 1);
    const COLORREF lightGreen = RGB(150, 255, 150), gridGrey = RGB(192, 192, 192);

    auto expectOwnColours = [&](const char* when) {
        Capture c = CaptureWindow(h);
        EXPECT_TRUE(Shows(c, heading, lightGreen)) << when;
        EXPECT_TRUE(Shows(c, name, kDarkBlue)) << when;
        EXPECT_TRUE(Shows(c, label, kDarkBlue)) << when;
        EXPECT_TRUE(Shows(c, link, ::GetSysColor(COLOR_HIGHLIGHT))) << when;
        EXPECT_TRUE(Shows(c, line, gridGrey)) << when;
    };
    expectOwnColours("before");

    AfxSetHighContrastOverride(1);
    // The system sends this one (it may carry a section name) to every top-level window.
    ::SendMessageTimeoutW(h, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_NORMAL, 5000, nullptr);
    Pump(200);
    Capture c = CaptureWindow(h);
    EXPECT_FALSE(Shows(c, heading, lightGreen));
    EXPECT_TRUE(Shows(c, heading, ::GetSysColor(COLOR_BTNFACE)));
    EXPECT_TRUE(Shows(c, heading, ::GetSysColor(COLOR_BTNTEXT)));
    EXPECT_FALSE(Shows(c, name, kDarkBlue));
    EXPECT_TRUE(Shows(c, name, ::GetSysColor(COLOR_WINDOWTEXT)));
    EXPECT_FALSE(Shows(c, label, kDarkBlue));
    EXPECT_TRUE(Shows(c, label, ::GetSysColor(COLOR_WINDOWTEXT)));
    EXPECT_TRUE(Shows(c, link, ::GetSysColor(COLOR_HOTLIGHT)));
    EXPECT_FALSE(Shows(c, line, gridGrey));
    EXPECT_TRUE(Shows(c, line, ::GetSysColor(COLOR_WINDOWTEXT)));

    AfxSetHighContrastOverride(0);
    ::PostMessageW(h, WM_SYSCOLORCHANGE, 0, 0);
    Pump(200);
    expectOwnColours("after");
}

// Pictures for the README: the window with four adapters on a scaled display (dialog-resolutions-150
// and -200; tools/screenshots.sh runs this on displays of 144 and 192 dots per inch) and in high
// contrast (dialog-high-contrast, at 100 %), each checked for what a user must be able to read.
TEST_F(DialogTest, DisplayScaleScreenshots)
{
    const UINT dpi = ExpectedDpi();
    struct Restore { ~Restore() { AfxSetHighContrastOverride(-1); } } restore;
    wchar_t out[MAX_PATH] = {};
    bool keep = ::GetEnvironmentVariableW(L"NV_SCREENSHOT_DIR", out, MAX_PATH) != 0;
    if (!keep) {
        ::GetTempPathW(MAX_PATH, out);
        wcscat(out, L"nv_scale_shots");
        ::CreateDirectoryW(out, nullptr);
    }
    SetOs(6, 1, 6, 1, true, L"Service Pack 1");
    list = "_W7_X64,USB\\VID_0CF3&PID_9170,AirStick 2\n"
           "_W7_X64,Intel(R) PRO/Wireless 3945,PCI\\VEN_8086&DEV_4222,Intel\n"
           "_W7_X64,USB\\VID_0846&PID_9010,AirStick 1\n";
    AddAdapter(L"Corvane AirStick 2 USB Wireless LAN Adapter", L"USB\\VID_0CF3&PID_9170&REV_0108", 103, 1, 0, 113);
    AddAdapter(L"Corvane AirStick 1 USB Wireless LAN Adapter", L"USB\\VID_0846&PID_9010&REV_0001", 103, 1, 0, 90);
    AddAdapter(L"Intel(R) PRO/Wireless 3945ABG Network Connection", L"PCI\\VEN_8086&DEV_4222&SUBSYS_10208086", 10, 4, 0, 0);
    AddAdapter(L"Ralink RT2870 Wireless LAN Card", L"USB\\VID_148F&PID_2870&REV_0101", 3, 1, 0, 4);
    // High contrast as a user sees it: a contrast theme's colours (white and yellow on black) with the
    // mode on; the colours come back afterwards.
    const int themed[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_HOTLIGHT, COLOR_HIGHLIGHT,
                          COLOR_HIGHLIGHTTEXT, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT,
                          COLOR_ACTIVECAPTION, COLOR_GRADIENTACTIVECAPTION, COLOR_CAPTIONTEXT, COLOR_WINDOWFRAME};
    const COLORREF contrast[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 0),
                                 RGB(26, 235, 255), RGB(0, 0, 0), RGB(128, 128, 128), RGB(255, 255, 255),
                                 RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 0, 128), RGB(128, 0, 128),
                                 RGB(255, 255, 255), RGB(255, 255, 255)};
    const int nThemed = (int)(sizeof themed / sizeof themed[0]);
    struct Colours {
        const int* which;
        int n;
        COLORREF saved[16];
        bool set = false;
        ~Colours() { if (set) ::SetSysColors(n, which, saved); }
    } colours{themed, nThemed, {}};
    if (dpi == 96) {
        for (int i = 0; i < nThemed; ++i) colours.saved[i] = ::GetSysColor(themed[i]);
        colours.set = ::SetSysColors(nThemed, themed, contrast) != FALSE;
        AfxSetHighContrastOverride(1);
    }
    std::wstring name = dpi == 96 ? L"dialog-high-contrast" : L"dialog-resolutions-" + std::to_wstring(::MulDiv(dpi, 100, 96));
    ASSERT_TRUE(Open());
    ExpectEverythingReadable();
    ::SetForegroundWindow(dlg->m_hWnd);
    dlg->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(400);
    Capture c = CaptureWindow(dlg->m_hWnd);
    std::wstring path = std::wstring(out) + L"\\" + name + L".bmp";
    EXPECT_TRUE(c.Save(path.c_str()));
    Close();
    if (!keep) {
        ::DeleteFileW(path.c_str());
        ::RemoveDirectoryW(out);
    }
}
