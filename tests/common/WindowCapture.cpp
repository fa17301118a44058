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

Capture CaptureWindow(HWND hWnd)
{
    Capture c;
    RECT r;
    ::GetWindowRect(hWnd, &r);
    c.cx = r.right - r.left;
    c.cy = r.bottom - r.top;
    HDC hWindowDC = ::GetWindowDC(hWnd);
    HDC hMem = ::CreateCompatibleDC(hWindowDC);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = c.cx;
    bi.bmiHeader.biHeight = c.cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* pBits = nullptr;
    HBITMAP hDib = ::CreateDIBSection(hWindowDC, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HGDIOBJ hOld = ::SelectObject(hMem, hDib);
    ::BitBlt(hMem, 0, 0, c.cx, c.cy, hWindowDC, 0, 0, SRCCOPY);
    ::GdiFlush();
    c.bits.assign((BYTE*)pBits, (BYTE*)pBits + (size_t)c.Stride() * c.cy);
    ::SelectObject(hMem, hOld);
    ::DeleteObject(hDib);
    ::DeleteDC(hMem);
    ::ReleaseDC(hWnd, hWindowDC);
    return c;
}
