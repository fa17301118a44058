// What a resolution command asks of the shell: open a web page, start the USB driver installer.
// Tests install their own actions to see what would be opened or started.
#pragma once
#include <windows.h>

class IShellActions {
public:
    virtual ~IShellActions() {}
    virtual void OpenDocument(LPCWSTR address) = 0;
    virtual void StartProgram(LPCWSTR path) = 0;
};

IShellActions& GetShellActions();
// Null restores the real actions; returns the previous ones.
IShellActions* SetShellActions(IShellActions* actions);
