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
