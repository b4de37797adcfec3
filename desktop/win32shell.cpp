#include "win32shell.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <shellapi.h>

namespace win32shell
{

void open(void* owner, const wchar_t* address, const wchar_t* parameters, const wchar_t* directory)
{
    ShellExecuteW(static_cast<HWND>(owner), L"open", address, parameters, directory, SW_SHOWNORMAL);
}

} // namespace win32shell
