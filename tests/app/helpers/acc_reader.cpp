// A screen reader in miniature, for tests: from its own process it reads a window's accessible
// objects the way Narrator or NVDA do (AccessibleObjectFromWindow, AccessibleChildren,
// AccessibleObjectFromPoint, WinEvents) and writes what it found, one line per answer, to a file.
//
//   nv_accreader OUTFILE HWND COMMAND...
//     tree              every object below the window's client object, depth first
//     at X Y            the object under a screen point
//     focus             the client object's focus
//     selection         the client object's selection
//     nav R C DIR       from cell (R, C) (-1 for C: from row R) one step in NAVDIR_ DIR
//     parent R C        the roles of the cell's parent and grandparent
//     do R C            the cell's default action
//     events READY STOP focus and reorder events of the window until the event STOP is set; the
//                       named event READY is set once the hook is in place
// An object is written as role|name|state|left,top,width,height|default action|description.
#include <windows.h>
#include <oleacc.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {
const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

FILE* g_out = nullptr;
HWND g_hwnd = nullptr;

std::string Utf8(const wchar_t* w)
{
    if (!w || !*w) return "";
    int n = ::WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string s((size_t)n, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w, -1, &s[0], n, nullptr, nullptr);
    s.resize((size_t)n - 1);
    return s;
}

std::string Take(HRESULT hr, BSTR b)
{
    std::string s = SUCCEEDED(hr) ? Utf8(b) : "";
    if (b) ::SysFreeString(b);
    return s;
}

VARIANT Id(LONG id)
{
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// One object, or a simple element of one.
std::string Describe(IAccessible* p, LONG child = CHILDID_SELF)
{
    VARIANT c = Id(child), role, state;
    BSTR name = nullptr, action = nullptr, desc = nullptr;
    ::VariantInit(&role);
    ::VariantInit(&state);
    HRESULT hr = p->get_accName(c, &name);
    std::string nameText = Take(hr, name);
    p->get_accRole(c, &role);
    p->get_accState(c, &state);
    long x = 0, y = 0, w = 0, h = 0;
    p->accLocation(&x, &y, &w, &h, c);
    hr = p->get_accDefaultAction(c, &action);
    std::string actionText = Take(hr, action);
    hr = p->get_accDescription(c, &desc);
    std::string descText = Take(hr, desc);
    char buf[256];
    snprintf(buf, sizeof buf, "%ld|%s|%lx|%ld,%ld,%ld,%ld|", role.vt == VT_I4 ? role.lVal : -1L, nameText.c_str(),
             state.vt == VT_I4 ? state.lVal : 0L, x, y, w, h);
    return buf + actionText + "|" + descText;
}

// What a VARIANT answer names: an object, an element of the asking object, or nothing.
std::string DescribeAnswer(IAccessible* asker, HRESULT hr, VARIANT& v)
{
    std::string s;
    if (FAILED(hr)) {
        char buf[32];
        snprintf(buf, sizeof buf, "error %08lx", (unsigned long)hr);
        s = buf;
    } else if (v.vt == VT_DISPATCH && v.pdispVal) {
        IAccessible* p = nullptr;
        if (SUCCEEDED(v.pdispVal->QueryInterface(kIidAccessible, (void**)&p)) && p) {
            s = Describe(p);
            p->Release();
        }
    } else if (v.vt == VT_I4) {
        s = v.lVal == CHILDID_SELF ? "self" : Describe(asker, v.lVal);
    } else if (v.vt == VT_UNKNOWN && v.punkVal) {
        IEnumVARIANT* e = nullptr;
        if (SUCCEEDED(v.punkVal->QueryInterface(IID_IEnumVARIANT, (void**)&e)) && e) {
            VARIANT item;
            ULONG got = 0;
            ::VariantInit(&item);
            while (e->Next(1, &item, &got) == S_OK && got == 1) {
                if (!s.empty()) s += ";";
                s += DescribeAnswer(asker, S_OK, item);
                ::VariantClear(&item);
            }
            e->Release();
        }
    } else {
        s = "none";
    }
    ::VariantClear(&v);
    return s;
}

void Line(const std::string& s)
{
    fprintf(g_out, "%s\n", s.c_str());
    fflush(g_out);
}

void Tree(IAccessible* p, int depth)
{
    Line(std::string((size_t)depth, ' ') + Describe(p));
    long n = 0;
    if (FAILED(p->get_accChildCount(&n)) || n <= 0) return;
    std::vector<VARIANT> kids((size_t)n);
    long got = 0;
    if (FAILED(::AccessibleChildren(p, 0, n, kids.data(), &got))) return;
    for (long i = 0; i < got; ++i) {
        VARIANT& v = kids[(size_t)i];
        if (v.vt == VT_DISPATCH && v.pdispVal) {
            IAccessible* child = nullptr;
            if (SUCCEEDED(v.pdispVal->QueryInterface(kIidAccessible, (void**)&child)) && child) {
                Tree(child, depth + 1);
                child->Release();
            }
        } else if (v.vt == VT_I4) {
            Line(std::string((size_t)depth + 1, ' ') + Describe(p, v.lVal));
        }
        ::VariantClear(&v);
    }
}

// The object of cell (row, col) (col -1: of the row), through the tree as a screen reader walks it.
IAccessible* Object(IAccessible* client, int row, int col)
{
    IDispatch* d = nullptr;
    IAccessible* rowObj = nullptr;
    if (FAILED(client->get_accChild(Id(row + 1), &d)) || !d) return nullptr;
    d->QueryInterface(kIidAccessible, (void**)&rowObj);
    d->Release();
    if (!rowObj || col < 0) return rowObj;
    IAccessible* cell = nullptr;
    d = nullptr;
    if (SUCCEEDED(rowObj->get_accChild(Id(col + 1), &d)) && d) {
        d->QueryInterface(kIidAccessible, (void**)&cell);
        d->Release();
    }
    rowObj->Release();
    return cell;
}

const char* EventName(DWORD e)
{
    switch (e) {
    case EVENT_OBJECT_FOCUS: return "focus";
    case EVENT_OBJECT_REORDER: return "reorder";
    default: return "other";
    }
}

struct Heard {
    DWORD event;
    LONG idObject, idChild;
};
std::vector<Heard> g_heard;

// Only noted here: resolving an event calls into the window's process, and while that call waits
// the next events come in, which would otherwise be written before this one.
void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG idObject, LONG idChild, DWORD, DWORD)
{
    if (hwnd == g_hwnd && idObject == OBJID_CLIENT) g_heard.push_back({event, idObject, idChild});
}

// Writes what the events name, in the order they came.
void ResolveHeard()
{
    while (!g_heard.empty()) {
        Heard h = g_heard.front();
        g_heard.erase(g_heard.begin());
        IAccessible* p = nullptr;
        VARIANT child;
        ::VariantInit(&child);
        std::string what = "unresolved";
        if (SUCCEEDED(::AccessibleObjectFromEvent(g_hwnd, (DWORD)h.idObject, (DWORD)h.idChild, &p, &child)) && p) {
            what = Describe(p, child.vt == VT_I4 ? child.lVal : CHILDID_SELF);
            p->Release();
        }
        Line(std::string("event|") + EventName(h.event) + "|" + (h.idChild == CHILDID_SELF ? "self|" : "child|") + what);
    }
}

// Dispatches this thread's messages (the events among them) and writes what they named.
void Listen()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ResolveHeard();
}
}

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) return 2;
    g_out = _wfopen(argv[1], L"w");
    if (!g_out) return 2;
    g_hwnd = (HWND)(UINT_PTR)_wcstoui64(argv[2], nullptr, 10);
    ::CoInitialize(nullptr);
    IAccessible* client = nullptr;
    HRESULT hr = ::AccessibleObjectFromWindow(g_hwnd, (DWORD)OBJID_CLIENT, kIidAccessible, (void**)&client);
    if (FAILED(hr) || !client) {
        Line("no object");
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        std::wstring cmd = argv[i];
        auto arg = [&](int k) { return i + k < argc ? _wtoi(argv[i + k]) : 0; };
        if (cmd == L"tree") {
            Tree(client, 0);
        } else if (cmd == L"at") {
            IAccessible* p = nullptr;
            VARIANT child;
            ::VariantInit(&child);
            POINT pt = {arg(1), arg(2)};
            i += 2;
            if (SUCCEEDED(::AccessibleObjectFromPoint(pt, &p, &child)) && p) {
                Line("at|" + Describe(p, child.vt == VT_I4 ? child.lVal : CHILDID_SELF));
                p->Release();
            } else {
                Line("at|none");
            }
        } else if (cmd == L"focus" || cmd == L"selection") {
            VARIANT v;
            ::VariantInit(&v);
            hr = cmd == L"focus" ? client->get_accFocus(&v) : client->get_accSelection(&v);
            Line(Utf8(cmd.c_str()) + "|" + DescribeAnswer(client, hr, v));
        } else if (cmd == L"nav" || cmd == L"parent" || cmd == L"do") {
            const bool nav = cmd == L"nav";
            IAccessible* p = Object(client, arg(1), arg(2));
            int dir = nav ? arg(3) : 0;
            i += nav ? 3 : 2;
            std::string out = Utf8(cmd.c_str()) + "|";
            if (!p) {
                Line(out + "no start");
                continue;
            }
            if (nav) {
                VARIANT v;
                ::VariantInit(&v);
                hr = p->accNavigate(dir, Id(CHILDID_SELF), &v);
                out += DescribeAnswer(p, hr, v);
            } else if (cmd == L"do") {
                char buf[32];
                snprintf(buf, sizeof buf, "%08lx", (unsigned long)p->accDoDefaultAction(Id(CHILDID_SELF)));
                out += buf;
            } else {
                IDispatch* d = nullptr;
                IAccessible* up = p;
                up->AddRef();
                for (int level = 0; level < 2 && up; ++level) {
                    d = nullptr;
                    IAccessible* next = nullptr;
                    if (SUCCEEDED(up->get_accParent(&d)) && d) {
                        d->QueryInterface(kIidAccessible, (void**)&next);
                        d->Release();
                    }
                    up->Release();
                    up = next;
                    VARIANT role;
                    ::VariantInit(&role);
                    if (up) up->get_accRole(Id(CHILDID_SELF), &role);
                    out += std::to_string(role.vt == VT_I4 ? role.lVal : -1L) + "|";
                }
                if (up) up->Release();
            }
            p->Release();
            Line(out);
        } else if (cmd == L"events" && i + 2 < argc) {
            HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[i + 1]);
            HANDLE stop = ::OpenEventW(SYNCHRONIZE, FALSE, argv[i + 2]);
            i += 2;
            DWORD pid = 0;
            ::GetWindowThreadProcessId(g_hwnd, &pid);
            HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_FOCUS, nullptr, OnEvent, pid, 0,
                                                   WINEVENT_OUTOFCONTEXT);
                    if (ready) ::SetEvent(ready);
            const DWORD end = ::GetTickCount() + 30000;
            while (stop && (int)(end - ::GetTickCount()) > 0) {
                DWORD r = ::MsgWaitForMultipleObjects(1, &stop, FALSE, 50, QS_ALLINPUT);
                Listen();
                if (r == WAIT_OBJECT_0) break;
            }
            // What was raised just before the stop still arrives.
            const DWORD drain = ::GetTickCount() + 300;
            while ((int)(drain - ::GetTickCount()) > 0) {
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
                Listen();
            }
            if (hook) ::UnhookWinEvent(hook);
            if (ready) ::CloseHandle(ready);
            if (stop) ::CloseHandle(stop);
        }
    }
    client->Release();
    fclose(g_out);
    ::CoUninitialize();
    return 0;
}
