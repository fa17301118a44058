// What the report tests share: a fresh temporary folder, files written and listed, the report program
// run as a child process, and a second process holding a file open.
#pragma once
#include "../common/BuiltPrograms.h"
#include <windows.h>
#include <string>
#include <vector>

struct TempFolder {
    std::wstring path;
    explicit TempFolder(const wchar_t* name);
    ~TempFolder();
};

void WriteBytes(const std::wstring& path, const std::string& bytes);
// Names of the entries of a folder, sorted.
std::vector<std::wstring> FilesIn(const std::wstring& folder);
ProgramRun RunReport(const std::wstring& args);

// nv_holder keeping path open for reading with the given sharing until Finish.
class FileHolder {
public:
    FileHolder(const std::wstring& path, DWORD share);
    ~FileHolder();
    bool Open();        // starts it; true once it has the file open
    DWORD Finish();     // lets it close the file; its exit code (0: it read the same bytes throughout)
private:
    std::wstring m_path;
    DWORD m_share;
    HANDLE m_ready = nullptr, m_done = nullptr, m_process = nullptr;
};
