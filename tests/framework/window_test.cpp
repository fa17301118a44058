#include "framework/Afx.h"
#include "res/resource.h"
#include <gtest/gtest.h>
#include <vector>

namespace {
// A window that records what its message map delivered.
class CProbeWnd : public CWnd {
public:
    std::vector<UINT> seen;
    int createCalls = 0;
    BOOL createdAttached = FALSE;
    int commandCalls = 0;
    BOOL postNcDestroyCalled = FALSE;
    int OnCreate(LPCREATESTRUCT cs)
    {
        ++createCalls;
        createdAttached = (FromHandlePermanent(m_hWnd) == this);
        return CWnd::OnCreate(cs);
    }
    void OnSize(UINT type, int cx, int cy)
    {
        seen.push_back(WM_SIZE);
        CWnd::OnSize(type, cx, cy);
    }
    void OnLButtonDown(UINT, CPoint p)
    {
        seen.push_back(WM_LBUTTONDOWN);
        lastPoint = p;
    }
    void OnCommand42() { ++commandCalls; }
    void PostNcDestroy() override { postNcDestroyCalled = TRUE; }
    CPoint lastPoint;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_COMMAND(42, &CProbeWnd::OnCommand42)
END_MESSAGE_MAP()

// Handles only its own message; everything else must reach the base class's map or default processing.
class CDerivedProbeWnd : public CProbeWnd {
public:
    int keyCalls = 0;
    void OnKeyDown(UINT, UINT, UINT) { ++keyCalls; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedProbeWnd, CProbeWnd)
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()
}

TEST(WindowTest, CreateExAttachesBeforeTheFirstMessageAndDispatchesThroughMaps)
{
    CDerivedProbeWnd w;
    ASSERT_TRUE(w.CreateEx(0, L"STATIC", L"probe", WS_POPUP, CRect(0, 0, 200, 100), nullptr, 0));
    EXPECT_EQ(w.createCalls, 1);
    EXPECT_TRUE(w.createdAttached);
    w.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(12, 34));
    EXPECT_EQ(w.lastPoint, CPoint(12, 34));
    w.SendMessage(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(w.keyCalls, 1);
    w.SendMessage(WM_COMMAND, 42, 0);
    w.SendMessage(WM_COMMAND, 43, 0);
    EXPECT_EQ(w.commandCalls, 1);
    w.MoveWindow(0, 0, 300, 120);
    EXPECT_FALSE(w.seen.empty());
    // Unhandled messages go to the window's previous procedure: the static control keeps its text.
    CString text;
    w.GetWindowText(text);
    EXPECT_EQ(text, L"probe");
    HWND h = w.m_hWnd;
    w.DestroyWindow();
    EXPECT_EQ(w.m_hWnd, nullptr);
    EXPECT_TRUE(w.postNcDestroyCalled);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}

TEST(WindowTest, SubclassingAnExistingWindowAndTemporaryWrappers)
{
    HWND h = ::CreateWindowExW(0, L"STATIC", L"existing", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(h, nullptr);
    CWnd* temp = CWnd::FromHandle(h);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    {
        CProbeWnd w;
        ASSERT_TRUE(w.SubclassWindow(h));
        EXPECT_EQ(CWnd::FromHandle(h), &w);
        w.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(1, 2));
        EXPECT_EQ(w.seen.back(), (UINT)WM_LBUTTONDOWN);
    }
    // The object went first: the window lives on with its own procedure.
    EXPECT_TRUE(::IsWindow(h));
    wchar_t buf[32];
    ::GetWindowTextW(h, buf, 32);
    EXPECT_STREQ(buf, L"existing");
    ::DestroyWindow(h);
}

namespace {
class CTestAbout : public CDialog {
public:
    CTestAbout() : CDialog(IDD_ABOUTBOX) {}
    BOOL initCalled = FALSE;
    CString caption;
    BOOL OnInitDialog() override
    {
        initCalled = TRUE;
        CDialog::OnInitDialog();
        GetWindowText(caption);
        // Closing with Escape goes through the default Cancel processing.
        PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessage(WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
};
}

TEST(DialogTest, ModalDialogFromTemplateEndsWithCancel)
{
    CTestAbout dlg;
    INT_PTR r = dlg.DoModal();
    EXPECT_EQ(r, IDCANCEL);
    EXPECT_TRUE(dlg.initCalled);
    EXPECT_EQ(dlg.caption, L"About Netvetter");
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(MessageBoxTest, HookSeesTextAndType)
{
    CString seenText;
    UINT seenType = 0;
    AfxMessageBoxHook old = AfxSetMessageBoxHook([&](LPCWSTR t, UINT type) { seenText = t; seenType = type; return IDOK; });
    EXPECT_EQ(AfxMessageBox(L"hello", MB_OK | MB_ICONWARNING), IDOK);
    AfxSetMessageBoxHook(old);
    EXPECT_EQ(seenText, L"hello");
    EXPECT_EQ(seenType, (UINT)(MB_OK | MB_ICONWARNING));
}

// ---------------------------------------------------------------------------------------------
// The framework's message loops

namespace {
std::vector<CString> g_loopLog;

// Logs every message of interest offered to it, takes the one it is told to, and logs what is
// finally dispatched to it.
class CFilterWnd : public CWnd {
public:
    CString name;
    UINT take = 0;
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message >= WM_APP && pMsg->message < WM_APP + 16) {
            CString s;
            s.Format(L"%s:offer %u", name.GetString(), pMsg->message - WM_APP);
            g_loopLog.push_back(s);
        }
        return pMsg->message == take;
    }
    LRESULT OnApp(WPARAM, LPARAM)
    {
        CString s;
        s.Format(L"%s:dispatch", name.GetString());
        g_loopLog.push_back(s);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFilterWnd, CWnd)
    ON_MESSAGE(WM_APP + 1, &CFilterWnd::OnApp)
    ON_MESSAGE(WM_APP + 2, &CFilterWnd::OnApp)
END_MESSAGE_MAP()

class CFilterApp : public CWinApp {
public:
    CFilterApp() : CWinApp(L"filter") {}
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message >= WM_APP && pMsg->message < WM_APP + 16) {
            CString s;
            s.Format(L"app:offer %u", pMsg->message - WM_APP);
            g_loopLog.push_back(s);
        }
        return FALSE;
    }
};

std::vector<CString> Log(std::initializer_list<const wchar_t*> items)
{
    std::vector<CString> v;
    for (const wchar_t* s : items) v.push_back(s);
    return v;
}
}

TEST(MessageLoopTest, RunOffersEachMessageFromItsWindowUpToTheApplicationBeforeDispatching)
{
    g_loopLog.clear();
    CFilterApp app;
    CFilterWnd top, child;
    top.name = L"top";
    child.name = L"child";
    top.take = WM_APP + 2;
    ASSERT_TRUE(top.CreateEx(0, L"STATIC", L"", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
    ASSERT_TRUE(child.CreateEx(0, L"STATIC", L"", WS_CHILD, CRect(0, 0, 50, 50), &top, 5));
    app.m_pMainWnd = &top;
    child.PostMessage(WM_APP + 1);
    child.PostMessage(WM_APP + 2);
    ::PostQuitMessage(0);
    app.Run();
    app.m_pMainWnd = nullptr;
    // The first goes up to the application and is then dispatched; the second is taken by the
    // top-level window and never reaches the child or the application.
    EXPECT_EQ(g_loopLog, Log({L"child:offer 1", L"top:offer 1", L"app:offer 1", L"child:dispatch",
                              L"child:offer 2", L"top:offer 2"}));
}

namespace {
// A dialog that notes, from inside its own loop, what its owner and its own window look like.
class CLoopDialog : public CDialog {
public:
    explicit CLoopDialog(CWnd* pOwner) : CDialog(IDD_ABOUTBOX, pOwner) {}
    CFilterWnd probe;
    BOOL moveDuringInit = FALSE;
    BOOL quitInside = FALSE;
    BOOL destroyInside = FALSE;
    BOOL ownerEnabledInside = TRUE;
    BOOL visibleInside = FALSE;
    CRect rectInside;
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        probe.name = L"probe";
        probe.CreateEx(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), this, 900);
        if (moveDuringInit) SetWindowPos(nullptr, 7, 9, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        probe.PostMessage(WM_APP + 1);
        if (quitInside) ::PostQuitMessage(3);
        else PostMessage(WM_APP + 3);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_APP + 1) g_loopLog.push_back(L"dialog:offer 1");
        return FALSE;
    }
    LRESULT OnLook(WPARAM, LPARAM)
    {
        ownerEnabledInside = m_pParentWnd ? m_pParentWnd->IsWindowEnabled() : TRUE;
        visibleInside = IsWindowVisible();
        GetWindowRect(&rectInside);
        if (destroyInside) DestroyWindow();
        else EndDialog(77);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CLoopDialog, CDialog)
    ON_MESSAGE(WM_APP + 3, &CLoopDialog::OnLook)
END_MESSAGE_MAP()

void CALLBACK QuitLater(HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(9); }

CRect WorkArea()
{
    CRect r;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}
}

TEST(DialogTest, ModalLoopDisablesTheOwnerOffersMessagesAndOpensCentred)
{
    CFilterWnd owner;
    owner.name = L"owner";
    ASSERT_TRUE(owner.CreateEx(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, CRect(40, 60, 640, 460), nullptr, 0));
    {
        g_loopLog.clear();
        CLoopDialog dlg(&owner);
        EXPECT_EQ(dlg.DoModal(), 77);
        // The child's message went up the chain to the dialog, then to the child's handler.
        EXPECT_EQ(g_loopLog, Log({L"probe:offer 1", L"dialog:offer 1", L"probe:dispatch"}));
        EXPECT_FALSE(dlg.ownerEnabledInside);
        EXPECT_TRUE(dlg.visibleInside);
        EXPECT_TRUE(owner.IsWindowEnabled());
        EXPECT_EQ(dlg.m_hWnd, nullptr);
        // Centred over the owner, each half of an odd difference cut toward the top-left.
        CRect r = dlg.rectInside;
        EXPECT_EQ(r.left, 340 - r.Width() / 2);
        EXPECT_EQ(r.top, 260 - r.Height() / 2);
    }
    {
        // A hidden owner does not count: the work area is the reference.
        owner.ShowWindow(SW_HIDE);
        CLoopDialog dlg(&owner);
        EXPECT_EQ(dlg.DoModal(), 77);
        CRect area = WorkArea(), r = dlg.rectInside;
        EXPECT_EQ(r.left, (area.left + area.right) / 2 - r.Width() / 2);
        EXPECT_EQ(r.top, (area.top + area.bottom) / 2 - r.Height() / 2);
        owner.ShowWindow(SW_SHOWNA);
    }
    {
        // A dialog that placed itself stays where it went.
        CLoopDialog dlg(&owner);
        dlg.moveDuringInit = TRUE;
        EXPECT_EQ(dlg.DoModal(), 77);
        EXPECT_EQ(dlg.rectInside.TopLeft(), CPoint(7, 9));
    }
    {
        // The program quitting ends the dialog and leaves the quit for the loop outside.
        CLoopDialog dlg(&owner);
        dlg.quitInside = TRUE;
        EXPECT_EQ(dlg.DoModal(), -1);
        EXPECT_TRUE(owner.IsWindowEnabled());
        MSG msg;
        ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(msg.wParam, (WPARAM)3);
    }
    {
        // Destroyed without EndDialog: the loop ends at once with -1 and the owner takes input again.
        // Should the loop wait on, a quit after a while ends it and stays behind to be seen.
        CLoopDialog dlg(&owner);
        dlg.destroyInside = TRUE;
        UINT_PTR guard = ::SetTimer(nullptr, 0, 3000, QuitLater);
        EXPECT_EQ(dlg.DoModal(), -1);
        ::KillTimer(nullptr, guard);
        EXPECT_EQ(dlg.m_hWnd, nullptr);
        EXPECT_TRUE(owner.IsWindowEnabled());
        MSG msg;
        EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    }
    owner.DestroyWindow();
}
