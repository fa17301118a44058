// The grid as a screen reader sees it: read from a second process through the system's accessibility
// calls, while this process's message loop answers, as for Narrator or NVDA.
#include "grid/GridCtrl.h"
#include "grid/GridAccessible.h"
#include "grid/cells/GridCell.h"
#include "../common/ScreenReader.h"
#include "../common/WindowCapture.h"
#include <gtest/gtest.h>
#include <oleacc.h>
#include <memory>
#include <string>
#include <vector>

namespace {
// A cell that acts as a link and counts its runs.
class LinkCell : public CGridCell {
    DECLARE_DYNCREATE(LinkCell)
public:
    BOOL IsLink() const override { return TRUE; }
    CString GetDefaultAction() const override { return L"Click"; }
    BOOL DoDefaultAction() override
    {
        ++s_runs;
        return TRUE;
    }
    static int s_runs;
};
IMPLEMENT_DYNCREATE(LinkCell, CGridCell)
int LinkCell::s_runs = 0;

// A key on the keyboard, and the time for the grid to take it.
void Press(WORD vk)
{
    PressKey(vk);
    PumpMessages(60);
}

std::string Hex(long v)
{
    char buf[16];
    snprintf(buf, sizeof buf, "%lx", v);
    return buf;
}

// Twelve rows (one fixed) of five columns 80, 80, 0 (hidden), 80 and 120 wide, 20 high, in a 400x200
// window: rows 10 and 11 lie below the visible part. Column 3 shows images, column 4 of row 2 is a link.
struct Fixture {
    HWND host = nullptr;
    CGridCtrl grid;
    CImageList images;
    Fixture()
    {
        host = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 30, 40, 420, 220, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
        HWND h = ::CreateWindowExW(0, L"MFCGridCtrl", L"Parts", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 400, 200,
                                   host, (HMENU)100, ::GetModuleHandleW(nullptr), nullptr);
        grid.SubclassWindow(h);
        grid.SetEditable(FALSE);
        grid.EnableTitleTips(FALSE);
        grid.SetColumnCount(5);
        grid.SetRowCount(12);
        grid.SetFixedRowCount(1);
        const int widths[5] = {80, 80, 0, 80, 120};
        for (int c = 0; c < 5; ++c) grid.SetColumnWidth(c, widths[c]);
        for (int r = 0; r < 12; ++r) grid.SetRowHeight(r, 20);
        const wchar_t* heads[5] = {L"Name", L"Kind", L"Hidden", L"Status", L"Action"};
        for (int c = 0; c < 5; ++c) grid.SetItemText(0, c, heads[c]);
        for (int r = 1; r < 12; ++r) {
            grid.SetItemText(r, 0, (L"Item " + std::to_wstring(r)).c_str());
            grid.SetItemText(r, 1, (L"kind " + std::to_wstring(r)).c_str());
            grid.SetItemText(r, 2, L"secret");
        }
        images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 1);
        HICON icon = ::LoadIconW(nullptr, IDI_APPLICATION);
        images.Add(icon);
        images.Add(icon);
        grid.SetImageList(&images);
        grid.SetImageName(0, L"Good");
        grid.SetImageName(1, L"Bad");
        grid.SetItemImage(1, 3, 0);   // image only
        grid.SetItemText(2, 3, L"Broken");
        grid.SetItemImage(2, 3, 1);   // text and image
        grid.SetItemText(3, 3, L"Good");
        grid.SetItemImage(3, 3, 0);   // the text says what the image means
        grid.SetCellType(2, 4, RUNTIME_CLASS(LinkCell));
        grid.SetItemText(2, 4, L"Open");
        ::SetForegroundWindow(host);
        PumpMessages(50);
        LinkCell::s_runs = 0;
    }
    ~Fixture()
    {
        grid.DestroyWindow();
        ::DestroyWindow(host);
        PumpMessages(10);
    }
    CRect Screen(int r, int c)
    {
        CRect rc;
        grid.GetCellRect(r, c, &rc);
        rc.right += 1;
        rc.bottom += 1;
        grid.ClientToScreen(&rc);
        return rc;
    }
    std::string Where(const CRect& rc)
    {
        return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.Width()) + "," +
               std::to_string(rc.Height());
    }
};

// The fields of the reader's line for an object: role, name, state, location, default action, description.
struct Obj {
    long role = -1, state = 0;
    std::string name, where, action, description;
    int depth = 0;
};
Obj Parse(const std::string& line)
{
    Obj o;
    size_t n = line.find_first_not_of(' ');
    o.depth = (int)(n == std::string::npos ? 0 : n);
    std::vector<std::string> f = Fields(line.substr((size_t)o.depth));
    if (f.size() < 6) return o;
    o.role = std::stol(f[0]);
    o.name = f[1];
    o.state = std::stol(f[2], nullptr, 16);
    o.where = f[3];
    o.action = f[4];
    o.description = f[5];
    return o;
}
}

TEST(GridAccessibleTest, ATableOfRowsOfCellsWithNamesRolesStatesAndPlaces)
{
    Fixture f;
    f.grid.SetFocus();
    f.grid.SetFocusCell(4, 1);
    f.grid.SetSelectedRange(5, 0, 5, 4);
    PumpMessages(20);
    std::vector<std::string> lines = ReadAccessibly(f.grid.m_hWnd, {L"tree"});
    ASSERT_EQ(1u + 12 * 6, lines.size()) << (lines.empty() ? "" : lines.back());

    Obj table = Parse(lines[0]);
    EXPECT_EQ(ROLE_SYSTEM_TABLE, table.role);
    EXPECT_EQ("Parts", table.name);
    EXPECT_EQ(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_READONLY, table.state) << Hex(table.state);
    CRect client;
    f.grid.GetClientRect(&client);
    f.grid.ClientToScreen(&client);
    EXPECT_EQ(f.Where(client), table.where);

    for (int r = 0; r < 12; ++r) {
        const size_t at = 1 + (size_t)r * 6;
        Obj row = Parse(lines[at]);
        EXPECT_EQ(1, row.depth);
        EXPECT_EQ(ROLE_SYSTEM_ROW, row.role) << r;
        EXPECT_EQ(r == 0 ? "Name" : "Item " + std::to_string(r), row.name);
        // Rows 10 and 11 are scrolled out of view.
        EXPECT_EQ(r >= 10, (row.state & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) != 0) << r;
        EXPECT_EQ(r == 5, (row.state & STATE_SYSTEM_SELECTED) != 0) << r;
        for (int c = 0; c < 5; ++c) {
            Obj cell = Parse(lines[at + 1 + (size_t)c]);
            EXPECT_EQ(2, cell.depth);
            EXPECT_EQ(r == 2 && c == 4 ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_CELL, cell.role) << r << "," << c;
            EXPECT_EQ(f.Where(CRect(f.Screen(r, c).TopLeft(), CSize(f.grid.GetColumnWidth(c), 20))), cell.where)
                << r << "," << c;
            // Nothing in a grid that takes no input can be changed.
            EXPECT_TRUE(cell.state & STATE_SYSTEM_READONLY) << r << "," << c;
            EXPECT_EQ(r == 4 && c == 1, (cell.state & STATE_SYSTEM_FOCUSED) != 0) << r << "," << c;
            EXPECT_EQ(r == 5, (cell.state & STATE_SYSTEM_SELECTED) != 0) << r << "," << c;
            EXPECT_EQ(r > 0, (cell.state & STATE_SYSTEM_FOCUSABLE) != 0) << r << "," << c;
            // The hidden column and the rows below the window are invisible.
            EXPECT_EQ(r >= 10 || c == 2, (cell.state & STATE_SYSTEM_INVISIBLE) != 0) << r << "," << c;
            EXPECT_EQ(r == 2 && c == 4 ? "Click" : "", cell.action) << r << "," << c;
        }
    }
    // Names: the text; without text, the meaning of the image; with both, the image's meaning besides
    // unless the text says it already.
    Obj imageOnly = Parse(lines[1 + 6 + 4]), both = Parse(lines[1 + 12 + 4]), same = Parse(lines[1 + 18 + 4]);
    EXPECT_EQ("Good", imageOnly.name);
    EXPECT_EQ("", imageOnly.description);
    EXPECT_EQ("Broken", both.name);
    EXPECT_EQ("Bad", both.description);
    EXPECT_EQ("Good", same.name);
    EXPECT_EQ("", same.description);
    EXPECT_EQ("Open", Parse(lines[1 + 12 + 5]).name);
    EXPECT_TRUE(Parse(lines[1 + 12 + 5]).state & STATE_SYSTEM_LINKED);
    EXPECT_EQ("secret", Parse(lines[1 + 6 + 3]).name);

    // Scrolled down, the first rows go out of view and the last come in; places follow the scrolling.
    f.grid.EnsureVisible(11, 0);
    PumpMessages(20);
    lines = ReadAccessibly(f.grid.m_hWnd, {L"tree"});
    ASSERT_EQ(1u + 12 * 6, lines.size());
    EXPECT_TRUE(Parse(lines[1 + 6 * 1]).state & STATE_SYSTEM_OFFSCREEN);
    EXPECT_FALSE(Parse(lines[1 + 6 * 11]).state & STATE_SYSTEM_OFFSCREEN);
    EXPECT_FALSE(Parse(lines[1]).state & STATE_SYSTEM_OFFSCREEN);   // the fixed row stays
    int shift = f.grid.GetTopLeftNonFixedCell().row - 1;
    ASSERT_GT(shift, 0);
    CRect firstRow = f.Screen(0, 0);
    EXPECT_EQ(f.Where(CRect(CPoint(firstRow.left, firstRow.bottom - 20 * shift), CSize(80, 20))),
              Parse(lines[1 + 6 * 1 + 1]).where);
}

TEST(GridAccessibleTest, HitTestNavigationFocusAndSelectionFollowTheGrid)
{
    Fixture f;
    f.grid.SetFocus();
    f.grid.SetFocusCell(3, 0);
    PumpMessages(20);
    CRect kind = f.Screen(2, 1), header = f.Screen(0, 3);
    CRect client;
    f.grid.GetClientRect(&client);
    f.grid.ClientToScreen(&client);
    std::vector<std::string> lines = ReadAccessibly(
        f.grid.m_hWnd,
        {L"at", std::to_wstring(kind.left + 5), std::to_wstring(kind.top + 5), L"at", std::to_wstring(header.left + 3),
         std::to_wstring(header.bottom - 2), L"at", std::to_wstring(client.right - 3), std::to_wstring(client.top + 30),
         L"focus", L"selection", L"nav 2 1 " + std::to_wstring(NAVDIR_RIGHT), L"nav 2 1 " + std::to_wstring(NAVDIR_LEFT),
         L"nav 2 1 " + std::to_wstring(NAVDIR_DOWN), L"nav 2 1 " + std::to_wstring(NAVDIR_UP),
         L"nav 2 4 " + std::to_wstring(NAVDIR_NEXT), L"nav 0 0 " + std::to_wstring(NAVDIR_UP),
         L"nav 2 -1 " + std::to_wstring(NAVDIR_NEXT), L"nav 2 -1 " + std::to_wstring(NAVDIR_FIRSTCHILD),
         L"nav 2 -1 " + std::to_wstring(NAVDIR_LASTCHILD), L"parent 2 1"});
    ASSERT_EQ(15u, lines.size()) << (lines.empty() ? "" : lines.back());
    // Under a point: the cell, through table and row; past the last column, the table itself.
    EXPECT_EQ("kind 2", Fields(lines[0])[2]);
    EXPECT_EQ(std::to_string(ROLE_SYSTEM_CELL), Fields(lines[0])[1]);
    EXPECT_EQ("Status", Fields(lines[1])[2]);
    EXPECT_EQ(std::to_string(ROLE_SYSTEM_TABLE), Fields(lines[2])[1]);
    EXPECT_EQ("Item 3", Fields(lines[3])[2]);
    EXPECT_EQ(std::to_string(ROLE_SYSTEM_CELL), Fields(lines[3])[1]);
    EXPECT_EQ("selection|none", lines[4]);
    EXPECT_EQ("secret", Fields(lines[5])[2]);   // right of column 1 is the hidden column 2
    EXPECT_EQ("Item 2", Fields(lines[6])[2]);
    EXPECT_EQ("kind 3", Fields(lines[7])[2]);
    EXPECT_EQ(std::to_string(ROLE_SYSTEM_CELL), Fields(lines[7])[1]);
    EXPECT_EQ("kind 1", Fields(lines[8])[2]);
    EXPECT_EQ("nav|none", lines[9]);    // past the last column
    EXPECT_EQ("nav|none", lines[10]);   // above the first row
    EXPECT_EQ(std::to_string(ROLE_SYSTEM_ROW), Fields(lines[11])[1]);
    EXPECT_EQ("Item 3", Fields(lines[11])[2]);
    EXPECT_EQ("Item 2", Fields(lines[12])[2]);
    EXPECT_EQ("Open", Fields(lines[13])[2]);
    EXPECT_EQ("parent|" + std::to_string(ROLE_SYSTEM_ROW) + "|" + std::to_string(ROLE_SYSTEM_TABLE) + "|", lines[14]);

    // One selected cell is named alone; several come as a list, in order. Without the keyboard focus
    // the grid reports none.
    f.grid.SetSelectedRange(6, 0, 6, 0);
    lines = ReadAccessibly(f.grid.m_hWnd, {L"selection"});
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("Item 6", Fields(lines[0])[2]);
    f.grid.SetSelectedRange(4, 0, 5, 1);
    ::SetFocus(f.host);
    lines = ReadAccessibly(f.grid.m_hWnd, {L"selection", L"focus"});
    ASSERT_EQ(2u, lines.size());
    std::vector<std::string> names;
    const std::string list = lines[0].substr(lines[0].find('|') + 1);
    for (size_t start = 0; start < list.size();) {
        size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        names.push_back(Fields(list.substr(start, end - start))[1]);
        start = end + 1;
    }
    EXPECT_EQ((std::vector<std::string>{"Item 4", "kind 4", "Item 5", "kind 5"}), names) << lines[0];
    EXPECT_EQ("focus|none", lines[1]);
}

TEST(GridAccessibleTest, TheDefaultActionRunsAfterTheCallLikeTheKeyboardsEnterAndSpace)
{
    Fixture f;
    std::vector<std::string> lines = ReadAccessibly(f.grid.m_hWnd, {L"do 2 4", L"do 2 1", L"do 2 -1"});
    PumpMessages(50);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("do|00000000", lines[0]);
    EXPECT_EQ("do|80020003", lines[1]);   // a plain cell has none (DISP_E_MEMBERNOTFOUND)
    EXPECT_EQ("do|80020003", lines[2]);
    EXPECT_EQ(1, LinkCell::s_runs);
    // The link's cell took the focus, as a click would give it.
    EXPECT_EQ(CCellID(2, 4), f.grid.GetFocusCell());

    // Keys on the keyboard: Enter and Space run the focused link; on other cells they do nothing.
    f.grid.SetFocus();
    PumpMessages(20);
    Press(VK_RETURN);
    Press(VK_SPACE);
    EXPECT_EQ(3, LinkCell::s_runs);
    // A held key repeats, but the link runs on the first press only, as a button's click does.
    HoldKey(VK_RETURN, 4);
    PumpMessages(60);
    HoldKey(VK_SPACE, 4);
    PumpMessages(60);
    EXPECT_EQ(5, LinkCell::s_runs);
    Press(VK_LEFT);
    Press(VK_RETURN);
    Press(VK_SPACE);
    EXPECT_EQ(5, LinkCell::s_runs);
    EXPECT_EQ(CCellID(2, 3), f.grid.GetFocusCell());
}

TEST(GridAccessibleTest, ScreenReadersHearFocusMovesAndRowsAndColumnsComingAndGoing)
{
    Fixture f;
    EventListener listener;
    ASSERT_TRUE(listener.Start(f.grid.m_hWnd));
    // Arriving by keyboard lands on the first cell; the arrow keys move on.
    f.grid.SetFocus();
    PumpMessages(30);
    EXPECT_EQ(CCellID(1, 0), f.grid.GetFocusCell());
    Press(VK_DOWN);
    Press(VK_RIGHT);
    ASSERT_TRUE(listener.WaitUntilHeard("focus", "child", 3));
    f.grid.InsertRow(L"Added");
    f.grid.SetColumnCount(6);
    f.grid.SetRowCount(3);
    f.grid.SetRowCount(3);   // no change: no event
    f.grid.DeleteRow(1);
    PumpMessages(200);
    std::vector<std::string> heard = listener.Stop();
    std::vector<std::string> focus, reorder;
    for (const std::string& line : heard) {
        std::vector<std::string> e = Fields(line);
        ASSERT_GE(e.size(), 5u) << line;
        if (e[1] == "focus" && e[2] == "child") focus.push_back(e[4]);
        if (e[1] == "reorder") reorder.push_back(e[2]);
    }
    std::string all;
    for (const std::string& line : heard) all += line + "\n";
    ASSERT_GE(focus.size(), 3u) << all;
    EXPECT_EQ("Item 1", focus[0]) << all;
    EXPECT_EQ("Item 2", focus[1]);
    EXPECT_EQ("kind 2", focus[2]);
    EXPECT_EQ(4u, reorder.size());
    for (const std::string& r : reorder) EXPECT_EQ("self", r);
}

TEST(GridAccessibleTest, WithoutTheLibraryTheSystemsPlainObjectStands)
{
    Fixture f;
    SetAccessibilityLibraryPath(L"C:\\no-such-folder\\oleacc.dll");
    LRESULT answer = ::SendMessageW(f.grid.m_hWnd, WM_GETOBJECT, 0, (LPARAM)OBJID_CLIENT);
    std::vector<std::string> lines = ReadAccessibly(f.grid.m_hWnd, {L"tree"});
    SetAccessibilityLibraryPath(nullptr);
    EXPECT_EQ(0, answer);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(ROLE_SYSTEM_CLIENT, Parse(lines[0]).role);
    EXPECT_EQ(1u, lines.size());
    // Back with the library, the grid answers again.
    lines = ReadAccessibly(f.grid.m_hWnd, {L"tree"});
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(ROLE_SYSTEM_TABLE, Parse(lines[0]).role);
}

TEST(GridAccessibleTest, ObjectsHeldPastTheGridAnswerNotConnected)
{
    typedef HRESULT(WINAPI * FromLresult)(LRESULT, REFIID, WPARAM, void**);
    HMODULE oleacc = ::LoadLibraryW(L"oleacc.dll");
    ASSERT_TRUE(oleacc);
    auto objectFromLresult = (FromLresult)(void*)::GetProcAddress(oleacc, "ObjectFromLresult");
    ASSERT_TRUE(objectFromLresult);
    const IID iid = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    IAccessible* table = nullptr;
    IAccessible* cell = nullptr;
    {
        auto f = std::make_unique<Fixture>();
        LRESULT r = ::SendMessageW(f->grid.m_hWnd, WM_GETOBJECT, 0, (LPARAM)OBJID_CLIENT);
        ASSERT_GT(r, 0);
        ASSERT_EQ(S_OK, objectFromLresult(r, iid, 0, (void**)&table));
        VARIANT id;
        id.vt = VT_I4;
        id.lVal = GridAccessibleCellId(3, 1);
        IDispatch* d = nullptr;
        ASSERT_EQ(S_OK, table->get_accChild(id, &d));
        d->QueryInterface(iid, (void**)&cell);
        d->Release();
        BSTR name = nullptr;
        id.lVal = CHILDID_SELF;
        ASSERT_EQ(S_OK, cell->get_accName(id, &name));
        EXPECT_STREQ(L"kind 3", name);
        ::SysFreeString(name);
        // Rows going away take their cells' objects with them.
        f->grid.SetRowCount(3);
        EXPECT_EQ(CO_E_OBJNOTCONNECTED, cell->get_accName(id, &name));
        f->grid.SetRowCount(5);
    }
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    long count = 7;
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, cell->get_accName(self, &name));
    EXPECT_EQ(nullptr, name);
    EXPECT_NE(S_OK, table->get_accChildCount(&count));
    cell->Release();
    table->Release();
}
