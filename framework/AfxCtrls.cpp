#include "framework/AfxCtrls.h"
#include <map>
#include <memory>

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CMenu, CObject)

CMenu* CMenu::FromHandle(HMENU hMenu)
{
    if (!hMenu) return nullptr;
    static thread_local std::map<HMENU, std::unique_ptr<CMenu>> temporary;
    auto& p = temporary[hMenu];
    if (!p) {
        p.reset(new CMenu);
        p->m_hMenu = hMenu;
    }
    return p.get();
}

int CMenu::GetMenuString(UINT nIDItem, CString& s, UINT nFlags) const
{
    wchar_t buf[256] = {};
    int n = ::GetMenuStringW(m_hMenu, nIDItem, buf, 256, nFlags);
    s = CString(buf, n > 0 ? n : 0);
    return n;
}
