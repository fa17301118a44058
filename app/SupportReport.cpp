#include "app/SupportReport.h"
#include "check/CheckedSystem.h"
#include "framework/AfxSystemLibrary.h"
#include "res/resource.h"
#include <commdlg.h>
#include <shlobj.h>
#include <vector>

std::wstring SupportReportFileName(IProbes& probes)
{
    std::wstring computer;
    for (wchar_t c : CheckedComputerName(probes))
        if (c >= 0x20 && !wcschr(L"\\/:*?\"<>|", c)) computer += c;
    // 2026-12-07T20:41:07Z -> 20261207-2041
    std::wstring at = CheckedAtText(probes), stamp;
    if (at.size() == 20) stamp = at.substr(0, 4) + at.substr(5, 2) + at.substr(8, 2) + L"-" + at.substr(11, 2) + at.substr(14, 2);
    return L"Netvetter-" + computer + L"-" + stamp + L".snapshot";
}

std::wstring DocumentsFolder()
{
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"";
}

std::wstring AskSupportReportPath(HWND owner, const std::wstring& folder, const std::wstring& name)
{
    // The common dialogs' library is no load-time import of the program: it comes from the system folder
    // when first asked for.
    static HMODULE dialogs = AfxLoadSystemLibrary(L"comdlg32.dll");
    typedef BOOL(WINAPI * SaveFn)(LPOPENFILENAMEW);
    SaveFn save = dialogs ? (SaveFn)(void*)::GetProcAddress(dialogs, "GetSaveFileNameW") : nullptr;
    if (!save) return std::wstring();
    CString filter = AfxResourceString(IDS_SUPPORT_FILTER);
    std::wstring filters = (LPCWSTR)filter;
    for (wchar_t& c : filters)
        if (c == L'|') c = L'\0';
    filters += L'\0';
    std::vector<wchar_t> file(32768);
    wcsncpy(&file[0], name.c_str(), file.size() - 1);
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filters.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = &file[0];
    ofn.nMaxFile = (DWORD)file.size();
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrDefExt = L"snapshot";
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return save(&ofn) ? std::wstring(&file[0]) : std::wstring();
}

std::wstring MessageBoxStyleText(const CString& title, const std::wstring& body, const CString& buttons)
{
    const std::wstring rule = L"---------------------------\r\n";
    std::wstring text = rule + (LPCWSTR)title + L"\r\n" + rule;
    // Line ends of the body as the clipboard wants them.
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] == L'\n' && (i == 0 || body[i - 1] != L'\r')) text += L'\r';
        text += body[i];
    }
    if (!body.empty() && body.back() != L'\n') text += L"\r\n";
    return text + rule + (LPCWSTR)buttons + L"\r\n" + rule;
}

BOOL PutTextOnClipboard(HWND owner, const std::wstring& text)
{
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (!memory) return FALSE;
    if (void* p = ::GlobalLock(memory)) {
        memcpy(p, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        ::GlobalUnlock(memory);
    }
    if (!::OpenClipboard(owner)) {
        ::GlobalFree(memory);
        return FALSE;
    }
    ::EmptyClipboard();
    BOOL ok = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    ::CloseClipboard();
    if (!ok) ::GlobalFree(memory);
    return ok;
}
