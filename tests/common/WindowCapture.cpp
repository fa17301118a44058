#include "WindowCapture.h"
#include "framework/AfxApp.h"
#include <cstdio>

void PumpMessages(DWORD ms)
{
    DWORD end = ::GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if ((int)(::GetTickCount() - end) >= 0) break;
        ::Sleep(5);
    }
}

void RunApplicationLoop()
{
    // The quit is fetched only once no posted message is left.
    ::PostQuitMessage(0);
    if (CWinApp* app = AfxGetApp()) {
        app->Run();
    } else {
        CWinApp loop(L"loop");
        loop.Run();
    }
}

void PressKey(WORD vk)
{
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof(INPUT));
}

void HoldKey(WORD vk, int repeats)
{
    std::vector<INPUT> in(repeats + 1);
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
    }
    in.back().ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput((UINT)in.size(), in.data(), sizeof(INPUT));
}

bool Capture::Save(const wchar_t* path) const
{
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    ih.biSize = sizeof ih;
    ih.biWidth = cx;
    ih.biHeight = cy;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + (DWORD)bits.size();
    FILE* f = _wfopen(path, L"wb");
    if (!f) return false;
    bool ok = fwrite(&fh, sizeof fh, 1, f) == 1 && fwrite(&ih, sizeof ih, 1, f) == 1 &&
              fwrite(bits.data(), 1, bits.size(), f) == bits.size();
    return fclose(f) == 0 && ok;
}

namespace {
Capture CaptureFrom(HDC hSource, int x, int y, int cx, int cy)
{
    Capture c;
    c.cx = cx;
    c.cy = cy;
    HDC hMem = ::CreateCompatibleDC(hSource);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = c.cx;
    bi.bmiHeader.biHeight = c.cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* pBits = nullptr;
    HBITMAP hDib = ::CreateDIBSection(hSource, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HGDIOBJ hOld = ::SelectObject(hMem, hDib);
    ::BitBlt(hMem, 0, 0, c.cx, c.cy, hSource, x, y, SRCCOPY);
    ::GdiFlush();
    c.bits.assign((BYTE*)pBits, (BYTE*)pBits + (size_t)c.Stride() * c.cy);
    ::SelectObject(hMem, hOld);
    ::DeleteObject(hDib);
    ::DeleteDC(hMem);
    return c;
}
}

Capture CaptureWindow(HWND hWnd)
{
    RECT r;
    ::GetWindowRect(hWnd, &r);
    HDC hWindowDC = ::GetWindowDC(hWnd);
    Capture c = CaptureFrom(hWindowDC, 0, 0, r.right - r.left, r.bottom - r.top);
    ::ReleaseDC(hWnd, hWindowDC);
    return c;
}

Capture CaptureScreen(const RECT& r)
{
    HDC hScreen = ::GetDC(nullptr);
    Capture c = CaptureFrom(hScreen, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ::ReleaseDC(nullptr, hScreen);
    return c;
}
