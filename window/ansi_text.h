// Text in the system's ANSI code page, as Text1 gives and takes it, and its
// round trip through the UTF-16 conversions. The code page is a parameter so
// that the tests can name 936 whatever the machine's own code page is; the
// window passes CP_ACP.
//
// Failures of the system calls are thrown as std::system_error, memory
// running out as std::bad_alloc; the window turns both into a message.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>

namespace glimvane::window {

using InPlaceConversion = void (*)(std::span<char16_t>);

std::u16string WideFromAnsi(std::string_view ansi, UINT codePage);

// Writes `wide` into `ansi`, reusing its buffer where it is large enough.
void AnsiFromWide(std::u16string_view wide, UINT codePage, std::string& ansi);

// Decodes `ansi`, converts it in one pass and encodes it back into the same
// string.
void ConvertAnsiText(std::string& ansi, InPlaceConversion convert, UINT codePage);

// The whole text of a window through the ANSI path (WM_GETTEXT).
std::string ReadWindowTextAnsi(HWND hwnd);

}  // namespace glimvane::window
