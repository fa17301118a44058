// The program's entry: the framework runs the one application object.
#include "framework/AfxApp.h"
#include "framework/AfxSystemLibrary.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    AfxRestrictLibrarySearch();
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
