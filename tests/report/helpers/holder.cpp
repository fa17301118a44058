// A second process that keeps a file open for reading, as a reader on a share would, while the test
// replaces the file. Arguments: FILE SHARE-FLAGS READY-EVENT DONE-EVENT. Exit code 0 when the open
// handle still reads what it read at first, 3 when the file could not be opened, 4 when its content
// changed under the handle.
#include <windows.h>
#include <stdlib.h>
#include <string>

static std::string ReadAll(HANDLE h)
{
    std::string s;
    ::SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    char buf[4096];
    DWORD n = 0;
    while (::ReadFile(h, buf, sizeof buf, &n, nullptr) && n) s.append(buf, n);
    return s;
}

int wmain(int argc, wchar_t** argv)
{
    if (argc < 5) return 2;
    DWORD share = wcstoul(argv[2], nullptr, 16);
    HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
    HANDLE done = ::OpenEventW(SYNCHRONIZE, FALSE, argv[4]);
    HANDLE h = ::CreateFileW(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string first = h == INVALID_HANDLE_VALUE ? std::string() : ReadAll(h);
    if (ready) ::SetEvent(ready);
    if (h == INVALID_HANDLE_VALUE) return 3;
    if (done) ::WaitForSingleObject(done, 60000);
    std::string later = ReadAll(h);
    ::CloseHandle(h);
    return later == first ? 0 : 4;
}
