// Helpers of the window tests: running the message loop for a while, pressing keys, and a window's
// pixels as the screen shows them (to check colours, and to save pictures for people to look at).
#pragma once
#include <windows.h>
#include <vector>

// Dispatches what is queued; with ms > 0, keeps doing so for that long (timers, posted input).
void PumpMessages(DWORD ms = 0);

// Runs the application's own message loop (CWinApp::Run, which offers each message to the window
// objects' PreTranslateMessage first) until everything queued, and all it posts in turn, is handled.
void RunApplicationLoop();

// A key pressed and released on the keyboard, through the system: it reaches the focus window of the
// foreground window through that thread's message loop.
void PressKey(WORD vk);
// A key held down long enough for the keyboard to repeat it: repeats presses, then one release.
void HoldKey(WORD vk, int repeats);

// A window's pixels, frame included, as 24-bit rows, bottom-up as a BMP file keeps them.
struct Capture {
    int cx = 0, cy = 0;
    std::vector<BYTE> bits;
    int Stride() const { return (cx * 3 + 3) & ~3; }
    COLORREF At(int x, int y) const
    {
        const BYTE* p = &bits[(size_t)(cy - 1 - y) * Stride() + (size_t)x * 3];
        return RGB(p[2], p[1], p[0]);
    }
    bool Save(const wchar_t* path) const;
};

Capture CaptureWindow(HWND hWnd);
// A part of the screen as it shows, with every window over it (a dialog and the box over it).
Capture CaptureScreen(const RECT& r);
