// The test screen reader (nv_accreader.exe, built beside the tests) run from a second process
// against a window of this one, as Narrator or NVDA would read it. While it runs, this process keeps
// dispatching messages: that is where its questions arrive.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// Runs the reader's commands (see tests/app/helpers/acc_reader.cpp) on the window and returns its
// answers, one per line; "timeout" ends them when it did not finish in time.
std::vector<std::string> ReadAccessibly(HWND hWnd, const std::vector<std::wstring>& commands);

// The reader listening to a window's focus and reorder events from the moment Start returns until
// Stop, which returns what it heard.
class EventListener {
public:
    bool Start(HWND hWnd);
    // Pumps this thread's messages until the listener has written `count` answers of the given kind
    // and detail (such as "focus", "child"). The listener names what an event points at when it gets
    // to it, so a test waits before it changes what the events point at.
    bool WaitUntilHeard(const std::string& kind, const std::string& detail, size_t count, DWORD ms = 60000);
    std::vector<std::string> Stop();
    ~EventListener();

private:
    HANDLE m_process = nullptr, m_ready = nullptr, m_stop = nullptr;
    std::wstring m_out;
};

// The fields of one answer, split at '|'.
std::vector<std::string> Fields(const std::string& line);
