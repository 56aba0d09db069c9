// The text of Text1: read whole as UTF-16, the form the conversions work on
// and the edit holds; and its form in the system's ANSI code page, which the
// clipboard's CF_TEXT carries. The code page is a parameter so that the tests
// can name 936 whatever the machine's own code page is; the window passes
// CP_ACP.
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

// The whole text of a window (WM_GETTEXT), as UTF-16.
std::u16string ReadWindowText(HWND hwnd);

}  // namespace glimvane::window
