// Form1, the one window of Glimvane: the skin, the text area Text1, the
// windowless controls of the control layer, and the handlers that connect
// them to the conversions, the clipboard and the shell.
#pragma once

#include <windows.h>

#include <functional>

#include "ansi_text.h"
#include "controls.h"
#include "handles.h"
#include "layout.h"

namespace glimvane::window {

inline constexpr wchar_t kPlaceholderText[] = L"请输入需要转换的文字";

// What the user is told when a handler could not do its work. The text area
// and the clipboard are left as they were in every case.
inline constexpr wchar_t kClipboardBusyMessage[] = L"剪贴板正被其他程序使用，请稍后再试。";
inline constexpr wchar_t kOutOfMemoryMessage[] = L"内存不足，无法完成此操作。文字未作改动。";
inline constexpr wchar_t kSystemFailureMessage[] = L"系统未能完成此操作。文字未作改动。";

// How long the copy button waits for another program to let go of the
// clipboard before it gives up.
inline constexpr DWORD kClipboardPatienceMs = 1000;

// WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, added by Load.
inline constexpr LONG kStyleBitsAddedAtLoad = 0xB0000;

class Form1 {
 public:
  // Shows a message to the user; MessageBoxW unless a test puts in its own.
  using MessageSink = std::function<void(HWND owner, const wchar_t* message)>;

  explicit Form1(HINSTANCE instance);
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;
  ~Form1();

  // Creates the window hidden, with its controls; false if the system
  // refused. Then Show() runs Load, centres, shows and focuses it.
  bool Create();
  void Show();

  HWND hwnd() const { return hwnd_; }
  HWND text1() const { return text1_; }
  void SetMessageSink(MessageSink sink) { tell_ = std::move(sink); }

 private:
  enum class PointerSetting { Default = 0, Custom = 99 };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK Text1Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleText1Message(UINT msg, WPARAM wParam, LPARAM lParam);

  // Window messages.
  bool OnCreate();
  void OnPaint();
  void OnEraseBackground(HDC dc);
  bool OnSetCursor(HWND under, UINT hitTest);
  void OnMouseButton(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnMouseMove(WPARAM wParam, LPARAM lParam);
  void OnActivate(WPARAM wParam);
  void Route(const Routing& routing);
  void Deliver(const MouseEvent& e);

  // The handlers, one per event of a control.
  void OnForm1Load();
  void OnForm1MouseMove();
  void OnImage1MouseDown(int button, int modifiers);
  void OnImage2Click();
  void OnImage3Click();
  void OnImage4Click();
  void OnLabel1Click();
  void OnLabel2Click();
  void OnLabel3Click();
  void OnLabel3MouseMove();
  void OnText1GotFocus();
  void OnText1KeyDown(unsigned keyCode, int modifiers);

  // What the handlers share: the platform's ordinary means for a property.
  void ConvertText1(InPlaceConversion convert);
  void SelectAllText1();
  void SetLabel3Colour(Colour colour);
  template <typename Handler>
  void Guarded(Handler&& handler);

  struct Picture {
    UniqueBitmap bitmap;
    SIZE size{};
  };
  Picture LoadPicture(int id) const;
  void DrawPicture(HDC dc, HDC memory, const Picture& picture, const Rect& at) const;

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  HWND text1_ = nullptr;
  WNDPROC text1EditProc_ = nullptr;  // the edit's own procedure, under ours
  MessageSink tell_;

  Picture background_, forwardButton_, reverseButton_, copyButton_;
  UniqueCursor handPointer_;
  UniqueFont text1Font_, label3Font_;
  UniqueBrush text1Background_, skinFill_;

  MouseRouter router_;
  Colour label3Colour_ = kLabel3StartColour;
  PointerSetting pointerSetting_ = PointerSetting::Default;
  bool shown_ = false;           // the first showing is over
  bool focusReturning_ = false;  // focus comes back with the window's activation
};

}  // namespace glimvane::window
