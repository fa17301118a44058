// Writing a file that others may be reading at the same moment (a report on a share that a support
// desk collects from): readers see the old content or the new, never a part.
#pragma once
#include <string>

// Why path cannot take a report (a device, a pipe, a folder), or an empty text. Nothing is written.
std::wstring OutputFileProblem(const std::wstring& path);
// Writes bytes to a new file in path's folder, then moves it over path in one step. On failure path
// is left as it was, the new file is removed, and error says what went wrong (without the path).
bool WriteWholeFile(const std::wstring& path, const std::string& bytes, std::wstring& error);
