// The shipped programs (netvetter.exe, netvetter-report.exe in the build folder above the tests'), run as child
// processes the way a user or a script would run them, and the sample files of the source tree.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct ProgramRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out, err;   // standard output and error, CR LF made LF
};

// Full path of a shipped program (BUILD/netvetter.exe beside BUILD/tests32/tests/*_tests.exe), empty
// when it is missing.
std::wstring BuiltProgram(const wchar_t* name);
// Runs the program with args to its end (at most a minute), collecting its output.
ProgramRun RunBuiltProgram(const wchar_t* name, const std::wstring& args);
// Starts the program and returns at once with its process handle (null when it cannot start) and id;
// the caller waits for the process and closes the handle.
HANDLE StartBuiltProgram(const wchar_t* name, const std::wstring& args, DWORD* processId);

// The source tree's folder, as a Windows path (a Unix path seen through drive Z: under Wine).
std::wstring SourceRoot();
// The recorded systems of tools/samples (*.snapshot), full paths in name order.
std::vector<std::wstring> SampleSnapshots();
std::string ReadFileBytes(const std::wstring& path);
std::string Utf8(const std::wstring& text);
