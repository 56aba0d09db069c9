#include "ansi_text.h"

#include <climits>
#include <new>
#include <system_error>

namespace glimvane::window {
namespace {

[[noreturn]] void ThrowLastError(const char* what) {
  DWORD error = ::GetLastError();
  if (error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY) throw std::bad_alloc();
  throw std::system_error(static_cast<int>(error), std::system_category(), what);
}

int CheckedLength(std::size_t size) {
  // The system's text calls count in int.
  if (size > static_cast<std::size_t>(INT_MAX)) throw std::bad_alloc();
  return static_cast<int>(size);
}

}  // namespace

std::u16string WideFromAnsi(std::string_view ansi, UINT codePage) {
  std::u16string wide;
  if (ansi.empty()) return wide;
  // A byte never makes more than one unit, so one pass into a buffer of
  // that size does, with no pass to measure first.
  const int inLength = CheckedLength(ansi.size());
  wide.resize(ansi.size());
  const int units =
      ::MultiByteToWideChar(codePage, 0, ansi.data(), inLength, reinterpret_cast<wchar_t*>(wide.data()), inLength);
  if (units <= 0) ThrowLastError("MultiByteToWideChar");
  wide.resize(static_cast<std::size_t>(units));
  return wide;
}

void AnsiFromWide(std::u16string_view wide, UINT codePage, std::string& ansi) {
  if (wide.empty()) {
    ansi.clear();
    return;
  }
  const auto* in = reinterpret_cast<const wchar_t*>(wide.data());
  const int inLength = CheckedLength(wide.size());
  // First straight into the buffer as it stands: after a conversion the text
  // takes as many bytes as before. Only if it does not fit, measure.
  if (!ansi.empty()) {
    ansi.resize(ansi.capacity());
    const int bytes = ::WideCharToMultiByte(codePage, 0, in, inLength, ansi.data(), CheckedLength(ansi.size()),
                                            nullptr, nullptr);
    if (bytes > 0) {
      ansi.resize(static_cast<std::size_t>(bytes));
      return;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) ThrowLastError("WideCharToMultiByte");
  }
  const int bytes = ::WideCharToMultiByte(codePage, 0, in, inLength, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) ThrowLastError("WideCharToMultiByte");
  ansi.resize(static_cast<std::size_t>(bytes));
  if (::WideCharToMultiByte(codePage, 0, in, inLength, ansi.data(), bytes, nullptr, nullptr) != bytes) {
    ThrowLastError("WideCharToMultiByte");
  }
}

std::u16string ReadWindowText(HWND hwnd) {
  // The length may overestimate; the copy tells the real one.
  ::SetLastError(ERROR_SUCCESS);
  const int length = ::GetWindowTextLengthW(hwnd);
  if (length <= 0) {
    if (::GetLastError() != ERROR_SUCCESS) ThrowLastError("GetWindowTextLengthW");
    return {};
  }
  std::u16string text(static_cast<std::size_t>(length), u'\0');
  const int copied = ::GetWindowTextW(hwnd, reinterpret_cast<wchar_t*>(text.data()), length + 1);
  if (copied <= 0) {
    // A text that reads as nothing although the window holds some is a
    // failed reading, not an empty text: storing it would wipe the user's
    // text.
    if (::GetLastError() == ERROR_SUCCESS) ::SetLastError(ERROR_READ_FAULT);
    ThrowLastError("GetWindowTextW");
  }
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

}  // namespace glimvane::window
