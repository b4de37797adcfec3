#pragma once

// The shell's "Open" verb on Windows, kept free of Qt so that it builds and checks on its own.
namespace win32shell
{

// Hands `address` to its default handler, shown normally. `owner` is the calling window's
// handle (an HWND) or null; a null `parameters` or `directory` passes none. The result is
// not reported: a failure is the handler's to show, or nobody's.
void open(void* owner, const wchar_t* address, const wchar_t* parameters, const wchar_t* directory);

} // namespace win32shell
