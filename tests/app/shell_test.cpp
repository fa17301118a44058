// The real program start behind the installer command, on a folder with blanks in its name.
#include "app/ShellActions.h"
#include <gtest/gtest.h>
#include <string>

namespace {
std::wstring Folder(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

std::wstring ReadWide(const std::wstring& path)
{
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return L"";
    wchar_t buf[1024] = {};
    DWORD got = 0;
    ::ReadFile(f, buf, sizeof buf - sizeof(wchar_t), &got, nullptr);
    ::CloseHandle(f);
    return buf;
}

bool WaitForFile(const std::wstring& path, DWORD ms)
{
    for (DWORD waited = 0; waited < ms; waited += 50) {
        if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && !ReadWide(path).empty()) return true;
        ::Sleep(50);
    }
    return false;
}
}

TEST(ShellActionsTest, InstallerUnderAFolderWithBlanksRunsExactlyThatFile)
{
    wchar_t self[MAX_PATH], tmp[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    ::GetTempPathW(MAX_PATH, tmp);
    std::wstring marker = Folder(self) + L"\\nv_marker.exe";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(marker.c_str()));

    // "<base>\Program Files\WlanStickSetup\setup.exe" and, as the trap, "<base>\Program.exe".
    std::wstring base = std::wstring(tmp) + L"nv shell test";
    std::wstring setupDir = base + L"\\Program Files\\WlanStickSetup";
    std::wstring setup = setupDir + L"\\setup.exe", trap = base + L"\\Program.exe";
    ::CreateDirectoryW(base.c_str(), nullptr);
    ::CreateDirectoryW((base + L"\\Program Files").c_str(), nullptr);
    ::CreateDirectoryW(setupDir.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileW(marker.c_str(), setup.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(marker.c_str(), trap.c_str(), FALSE));
    ::DeleteFileW((setup + L".ran").c_str());
    ::DeleteFileW((trap + L".ran").c_str());

    IShellActions* previous = SetShellActions(nullptr);   // the real actions
    GetShellActions().StartProgram(setup.c_str());
    SetShellActions(previous);

    EXPECT_TRUE(WaitForFile(setup + L".ran", 10000));
    // The command line names the whole path, quoted.
    EXPECT_EQ(ReadWide(setup + L".ran").find(L"\"" + setup + L"\""), 0u);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((trap + L".ran").c_str()));

    ::Sleep(200);
    for (const std::wstring& f : {setup + L".ran", trap + L".ran", setup, trap}) ::DeleteFileW(f.c_str());
    ::RemoveDirectoryW(setupDir.c_str());
    ::RemoveDirectoryW((base + L"\\Program Files").c_str());
    ::RemoveDirectoryW(base.c_str());
}
