#include "report/WholeFile.h"
#include "framework/AfxFile.h"
#include <windows.h>
#include <algorithm>
#include <vector>

namespace {

std::wstring SystemMessage(DWORD code)
{
    wchar_t* text = nullptr;
    DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, code, 0, (LPWSTR)&text, 0, nullptr);
    std::wstring r = n && text ? std::wstring(text, n) : std::wstring();
    if (text) ::LocalFree(text);
    while (!r.empty() && (r.back() == L'\n' || r.back() == L'\r' || r.back() == L' ' || r.back() == L'.')) r.pop_back();
    wchar_t code_[32];
    wsprintfW(code_, L"error %lu", code);
    return r.empty() ? std::wstring(code_) : r + L" (" + code_ + L")";
}

// The folder that holds path, as a full path; empty when there is none.
std::wstring FolderOf(const std::wstring& path)
{
    DWORD need = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (!need) return std::wstring();
    std::vector<wchar_t> full(need + 1);
    wchar_t* name = nullptr;
    DWORD n = ::GetFullPathNameW(path.c_str(), (DWORD)full.size(), &full[0], &name);
    if (!n || n >= full.size() || !name) return std::wstring();
    return std::wstring(&full[0], name - &full[0]);
}

}  // namespace

std::wstring OutputFileProblem(const std::wstring& path)
{
    // The size of what is there now does not matter: it is replaced.
    CString why = OrdinaryFileProblem(path.c_str(), ~0ULL);
    return std::wstring((LPCWSTR)why);
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes, std::wstring& error)
{
    // Windows would refuse to replace it; Wine would not: refused alike everywhere.
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        error = L"the file is read-only";
        return false;
    }
    std::wstring folder = FolderOf(path);
    wchar_t temp[MAX_PATH + 16] = {};
    // The new file lies beside the old one: a move within one volume replaces in one step.
    if (folder.empty() || !::GetTempFileNameW(folder.c_str(), L"nvr", 0, temp)) {
        error = L"cannot create a file in its folder: " + SystemMessage(::GetLastError());
        return false;
    }
    HANDLE h = ::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = h != INVALID_HANDLE_VALUE;
    DWORD code = ok ? 0 : ::GetLastError();
    for (size_t at = 0; ok && at < bytes.size();) {
        DWORD chunk = (DWORD)std::min<size_t>(bytes.size() - at, 1 << 20), done = 0;
        ok = ::WriteFile(h, bytes.data() + at, chunk, &done, nullptr) && done == chunk;
        if (!ok) code = ::GetLastError();
        at += done;
    }
    if (ok && !::FlushFileBuffers(h)) ok = false, code = ::GetLastError();
    if (h != INVALID_HANDLE_VALUE && !::CloseHandle(h) && ok) ok = false, code = ::GetLastError();
    if (ok) {
        for (int tries = 0;; ++tries) {
            if (::MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
            code = ::GetLastError();
            // Windows (and Wine) replace no file that someone holds open, even one opened to let others
            // delete it. Such a file can still be renamed: it steps aside, the new one takes its name,
            // and it goes once its reader closes it. A reader sees the old file, the new one, or for
            // that moment none, never a part.
            if (code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION) {
                std::wstring aside = std::wstring(temp) + L".old";
                if (::MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
                    if (::MoveFileExW(temp, path.c_str(), MOVEFILE_WRITE_THROUGH)) {
                        ::DeleteFileW(aside.c_str());
                        return true;
                    }
                    code = ::GetLastError();
                    ::MoveFileExW(aside.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
                }
            }
            // A reader that lets no one rename the file may be gone in a moment: try for about a second.
            if (tries >= 20 || (code != ERROR_SHARING_VIOLATION && code != ERROR_ACCESS_DENIED && code != ERROR_LOCK_VIOLATION))
                break;
            ::Sleep(50);
        }
    }
    ::DeleteFileW(temp);
    error = L"cannot write it: " + SystemMessage(code);
    return false;
}
