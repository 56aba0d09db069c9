// Form1 in this process, with the real clipboard: the copy button's mends
// (a busy clipboard, both text formats) and handlers that meet a failure.
// The message box is replaced by a recorder so that nothing waits for a
// user; everything else is the real window.
#include "form1.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ansi_text.h"

namespace glimvane::window {
namespace {

std::wstring ClipboardUnicode() {
  std::wstring text;
  if (!::OpenClipboard(nullptr)) return L"<clipboard not open>";
  if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
    GlobalLockGuard lock(h);
    if (lock.get()) text = static_cast<const wchar_t*>(lock.get());
  }
  ::CloseClipboard();
  return text;
}

std::string ClipboardAnsi() {
  std::string text;
  if (!::OpenClipboard(nullptr)) return "<clipboard not open>";
  if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
    GlobalLockGuard lock(h);
    if (lock.get()) text = static_cast<const char*>(lock.get());
  }
  ::CloseClipboard();
  return text;
}

bool ClipboardHas(UINT format) {
  if (!::OpenClipboard(nullptr)) return false;
  const bool has = ::IsClipboardFormatAvailable(format) != FALSE;
  ::CloseClipboard();
  return has;
}

std::wstring TextOf(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)), L'\0');
  ::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()) + 1);
  return text;
}

class Form1Test : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(form_.Create()) << "Form1 could not be created (no display?)";
    form_.SetMessageSink([this](HWND owner, const wchar_t* message) {
      EXPECT_EQ(owner, form_.hwnd());
      messages_.emplace_back(message);
    });
  }

  void Click(const Rect& control) {
    const Point c = control.Centre();
    const LPARAM at = MAKELPARAM(c.x, c.y);
    ::SendMessageW(form_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(form_.hwnd(), WM_LBUTTONUP, 0, at);
  }

  // Someone else's text on the clipboard, with a format of its own beside it.
  void PutOthersClipboard(const wchar_t* text) {
    ASSERT_TRUE(::OpenClipboard(form_.hwnd()));
    ::EmptyClipboard();
    const std::size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLockGuard(memory).get(), text, bytes);
    ::SetClipboardData(CF_UNICODETEXT, memory);
    HGLOBAL marker = ::GlobalAlloc(GMEM_MOVEABLE, 4);
    ::SetClipboardData(markerFormat_, marker);
    ::CloseClipboard();
  }

  Form1 form_{::GetModuleHandleW(nullptr)};
  std::vector<std::wstring> messages_;
  const UINT markerFormat_ = ::RegisterClipboardFormatW(L"Glimvane test marker");
};

TEST_F(Form1Test, CopyPutsTheWholeTextInBothFormatsAndNothingElse) {
  PutOthersClipboard(L"before");
  const std::wstring text = L"我们的国\r\n一二 abc\r\n";
  ::SetWindowTextW(form_.text1(), text.c_str());
  ::SendMessageW(form_.text1(), EM_SETSEL, 2, 4);

  Click(kImage3Rect);

  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(ClipboardUnicode(), text);
  std::string ansi;
  AnsiFromWide(std::u16string(text.begin(), text.end()), CP_ACP, ansi);
  EXPECT_EQ(ClipboardAnsi(), ansi);
  EXPECT_FALSE(ClipboardHas(markerFormat_));
  // The text area is left alone, selection included.
  EXPECT_EQ(TextOf(form_.text1()), text);
  DWORD start = 0, end = 0;
  ::SendMessageW(form_.text1(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 2u);
  EXPECT_EQ(end, 4u);
}

// Regression: the conversions used to go through the ANSI code page, which
// turned every character that code page 936 lacks into "?" and shortened
// the text by a unit for each surrogate pair.
TEST_F(Form1Test, ConversionsKeepCharactersOutsideTheCodePage) {
  const std::wstring text = L"\U0001F600的\U00020000国\u2713\r\n";
  ::SetWindowTextW(form_.text1(), text.c_str());

  Click(kImage2Rect);
  EXPECT_EQ(TextOf(form_.text1()), L"\U0001F600哋\U00020000國\u2713\r\n");
  Click(kImage4Rect);
  EXPECT_EQ(TextOf(form_.text1()), text);

  // The copy keeps them in CF_UNICODETEXT too.
  Click(kImage3Rect);
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(ClipboardUnicode(), text);
}

TEST_F(Form1Test, CopyOfAnEmptyTextStillEmptiesTheClipboard) {
  PutOthersClipboard(L"before");
  ::SetWindowTextW(form_.text1(), L"");
  Click(kImage3Rect);
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(ClipboardUnicode(), L"");
  EXPECT_FALSE(ClipboardHas(markerFormat_));
}

// Another thread stands in for another program: the clipboard is held by
// whoever opened it, per thread.
struct Holder {
  DWORD holdMs;
  HANDLE opened = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = nullptr;

  static DWORD WINAPI Run(void* self) {
    auto* h = static_cast<Holder*>(self);
    const BOOL open = ::OpenClipboard(nullptr);
    ::SetEvent(h->opened);
    ::Sleep(h->holdMs);
    if (open) ::CloseClipboard();
    return 0;
  }
  void Start() {
    thread = ::CreateThread(nullptr, 0, Run, this, 0, nullptr);
    ::WaitForSingleObject(opened, INFINITE);
  }
  ~Holder() {
    if (thread) {
      ::WaitForSingleObject(thread, INFINITE);
      ::CloseHandle(thread);
    }
    ::CloseHandle(opened);
  }
};

TEST_F(Form1Test, CopyWhileTheClipboardIsHeldTellsTheUserAndChangesNothing) {
  PutOthersClipboard(L"别人的文字");
  ::SetWindowTextW(form_.text1(), L"我的文字");
  Holder holder{3000};
  holder.Start();

  const ULONGLONG started = ::GetTickCount64();
  Click(kImage3Rect);
  const ULONGLONG waited = ::GetTickCount64() - started;

  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], kClipboardBusyMessage);
  EXPECT_GE(waited, kClipboardPatienceMs - 50);
  EXPECT_LT(waited, 2500u);
  ::WaitForSingleObject(holder.thread, INFINITE);
  EXPECT_EQ(ClipboardUnicode(), L"别人的文字");
  EXPECT_TRUE(ClipboardHas(markerFormat_));
  EXPECT_EQ(TextOf(form_.text1()), L"我的文字");
}

TEST_F(Form1Test, CopyWaitsForAShortHold) {
  PutOthersClipboard(L"别人的文字");
  ::SetWindowTextW(form_.text1(), L"我的文字");
  Holder holder{300};
  holder.Start();
  Click(kImage3Rect);
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(ClipboardUnicode(), L"我的文字");
}

// A text area that fails the way a system short of memory does.
struct Failure {
  const char* name;
  UINT message;       // the message of the edit that fails
  DWORD error;        // what it reports
  const wchar_t* told;
};

LRESULT CALLBACK FailingEdit(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  const auto* f = reinterpret_cast<const Failure*>(data);
  if (msg == f->message) {
    ::SetLastError(f->error);
    return 0;
  }
  return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

class HandlerFailure : public Form1Test, public testing::WithParamInterface<Failure> {};

TEST_P(HandlerFailure, ConversionKeepsTheTextAndSaysSo) {
  const std::wstring text = L"这是我们的文字\r\n第二行";
  ::SetWindowTextW(form_.text1(), text.c_str());
  ASSERT_TRUE(::SetWindowSubclass(form_.text1(), FailingEdit, 7, reinterpret_cast<DWORD_PTR>(&GetParam())));

  Click(kImage2Rect);
  Click(kImage4Rect);

  ::RemoveWindowSubclass(form_.text1(), FailingEdit, 7);
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(messages_[0], GetParam().told);
  EXPECT_EQ(TextOf(form_.text1()), text);
  EXPECT_TRUE(::IsWindow(form_.hwnd()));
  // And the window works on once the system recovers.
  Click(kImage2Rect);
  EXPECT_EQ(TextOf(form_.text1()), L"適湜莪們哋妏牸\r\n苐②垳");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandlerFailure,
    testing::Values(Failure{"ReadingRunsOutOfMemory", WM_GETTEXT, ERROR_NOT_ENOUGH_MEMORY, kOutOfMemoryMessage},
                    Failure{"ReadingFailsSilently", WM_GETTEXT, ERROR_SUCCESS, kSystemFailureMessage},
                    Failure{"StoringIsRefused", WM_SETTEXT, ERROR_NOT_ENOUGH_MEMORY, kSystemFailureMessage}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace glimvane::window
