#include "form1.h"

#include <shellapi.h>
#include <windowsx.h>

#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <system_error>

#include "app_info.h"
#include "glimvane/conversion.h"
#include "resource_ids.h"

namespace glimvane::window {
namespace {

constexpr wchar_t kClassName[] = L"GlimvaneForm1";
constexpr wchar_t kCaption[] = L"" GLIMVANE_NAME;
constexpr wchar_t kLabel3Caption[] = L"" GLIMVANE_COMPANY;

static_assert(kStyleBitsAddedAtLoad == (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

int CurrentModifiers() {
  return ModifierState(::GetKeyState(VK_SHIFT) < 0, ::GetKeyState(VK_CONTROL) < 0, ::GetKeyState(VK_MENU) < 0);
}

int MouseModifiers(WPARAM keys) {
  // Mouse messages carry Shift and Ctrl; Alt has to be asked for.
  return ModifierState((keys & MK_SHIFT) != 0, (keys & MK_CONTROL) != 0, ::GetKeyState(VK_MENU) < 0);
}

Point PointFrom(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

UniqueFont MakeFont(const wchar_t* face) {
  HDC screen = ::GetDC(nullptr);
  const int height = -::MulDiv(kFontPoints, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
  ::ReleaseDC(nullptr, screen);
  return UniqueFont(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

// A block of global memory holding `text` and its terminator, as the
// clipboard takes it.
template <typename Char>
UniqueGlobal GlobalText(std::basic_string_view<Char> text) {
  const SIZE_T units = text.size() + 1;
  UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, units * sizeof(Char)));
  if (!memory) throw std::bad_alloc();
  GlobalLockGuard lock(memory.get());
  if (!lock.get()) throw std::bad_alloc();
  auto* out = static_cast<Char*>(lock.get());
  std::memcpy(out, text.data(), text.size() * sizeof(Char));
  out[text.size()] = Char{};
  return memory;
}

[[noreturn]] void ThrowLastError(const char* what) {
  throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), what);
}

}  // namespace

Form1::Form1(HINSTANCE instance)
    : instance_(instance), tell_([](HWND owner, const wchar_t* message) {
        ::MessageBoxW(owner, message, kCaption, MB_OK | MB_ICONWARNING);
      }) {}

Form1::~Form1() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

bool Form1::Create() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  // No CS_DBLCLKS: a quick second click is a second Click.
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  // Shared icons belong to the system; nothing to free.
  wc.hIcon = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_GLIMVANE), IMAGE_ICON,
                                             ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), LR_SHARED));
  wc.hIconSm = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_GLIMVANE), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                               LR_SHARED));
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  // Borderless, so all of it is client area. WS_CLIPCHILDREN keeps the skin
  // from painting over Text1.
  return ::CreateWindowExW(WS_EX_APPWINDOW, kClassName, kCaption, WS_POPUP | WS_CLIPCHILDREN, 0, 0, kWindowWidth,
                           kWindowHeight, nullptr, nullptr, instance_, this) != nullptr;
}

void Form1::Show() {
  Guarded([this] { OnForm1Load(); });
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
  ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::ShowWindow(hwnd_, SW_SHOW);
  ::UpdateWindow(hwnd_);
  // The activation usually gave Text1 the focus already; if not, this does.
  ::SetFocus(text1_);
  shown_ = true;
}

LRESULT CALLBACK Form1::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Form1* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Form1*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->text1_ = nullptr;
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  try {
    return self->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    // Nothing may unwind through the system's frames.
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

LRESULT Form1::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      OnEraseBackground(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_CTLCOLOREDIT:
      ::SetTextColor(reinterpret_cast<HDC>(wParam), kText1TextColour);
      ::SetBkColor(reinterpret_cast<HDC>(wParam), kText1BackColour);
      return reinterpret_cast<LRESULT>(text1Background_.get());
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      OnMouseButton(msg, wParam, lParam);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(wParam, lParam);
      return 0;
    case WM_CAPTURECHANGED:
      router_.CaptureLost();
      return 0;
    case WM_ACTIVATE:
      OnActivate(wParam);
      return 0;
  }
  return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

bool Form1::OnCreate() {
  background_ = LoadPicture(IDB_BACKGROUND);
  forwardButton_ = LoadPicture(IDB_BUTTON_FORWARD);
  reverseButton_ = LoadPicture(IDB_BUTTON_REVERSE);
  copyButton_ = LoadPicture(IDB_BUTTON_COPY);
  handPointer_.reset(static_cast<HCURSOR>(
      ::LoadImageW(instance_, MAKEINTRESOURCEW(IDC_HAND_POINTER), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
  text1Font_ = MakeFont(L"Arial");
  label3Font_ = MakeFont(L"Tahoma");
  text1Background_.reset(::CreateSolidBrush(kText1BackColour));
  skinFill_.reset(::CreateSolidBrush(kSkinFillColour));
  if (!background_.bitmap || !forwardButton_.bitmap || !reverseButton_.bitmap || !copyButton_.bitmap ||
      !handPointer_ || !text1Font_ || !label3Font_ || !text1Background_ || !skinFill_) {
    return false;
  }

  // No horizontal scroll bar and no ES_AUTOHSCROLL, so lines wrap.
  text1_ = ::CreateWindowExW(0, L"EDIT", L"",
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL |
                                 ES_WANTRETURN,
                             kText1Rect.left, kText1Rect.top, kText1Rect.width, kText1Rect.height, hwnd_, nullptr,
                             instance_, nullptr);
  if (!text1_) return false;
  ::SendMessageW(text1_, WM_SETFONT, reinterpret_cast<WPARAM>(text1Font_.get()), FALSE);
  ::SendMessageW(text1_, EM_SETLIMITTEXT, 0, 0);  // 0: as much as the system allows
  // Subclassed for GotFocus and KeyDown; GWLP_USERDATA of an edit is ours.
  ::SetWindowLongPtrW(text1_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  text1EditProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(text1_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Text1Proc)));
  return text1EditProc_ != nullptr;
}

Form1::Picture Form1::LoadPicture(int id) const {
  Picture picture;
  picture.bitmap.reset(
      static_cast<HBITMAP>(::LoadImageW(instance_, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  BITMAP info{};
  if (picture.bitmap && ::GetObjectW(picture.bitmap.get(), sizeof info, &info)) {
    picture.size = {info.bmWidth, info.bmHeight};
  }
  return picture;
}

void Form1::DrawPicture(HDC dc, HDC memory, const Picture& picture, const Rect& at) const {
  SelectGuard select(memory, picture.bitmap.get());
  ::BitBlt(dc, at.left, at.top, picture.size.cx, picture.size.cy, memory, 0, 0, SRCCOPY);
}

void Form1::OnPaint() {
  PaintGuard paint(hwnd_);
  HDC dc = paint.dc();
  UniqueMemoryDc memory(::CreateCompatibleDC(dc));
  if (!memory) return;

  // Back to front; Label1 and Label2 draw nothing.
  DrawPicture(dc, memory.get(), background_, kImage1Rect);
  DrawPicture(dc, memory.get(), forwardButton_, kImage2Rect);
  DrawPicture(dc, memory.get(), copyButton_, kImage3Rect);
  DrawPicture(dc, memory.get(), reverseButton_, kImage4Rect);

  RECT label3{kLabel3Rect.left, kLabel3Rect.top, kLabel3Rect.right(), kLabel3Rect.bottom()};
  ::FillRect(dc, &label3, skinFill_.get());
  SelectGuard font(dc, label3Font_.get());
  ::SetTextColor(dc, label3Colour_);
  ::SetBkMode(dc, TRANSPARENT);
  ::DrawTextW(dc, kLabel3Caption, -1, &label3, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
}

void Form1::OnEraseBackground(HDC dc) {
  // The background picture covers its own area; only the surface beyond it
  // (a maximised window) shows the class background.
  RECT client;
  ::GetClientRect(hwnd_, &client);
  const int saved = ::SaveDC(dc);
  ::ExcludeClipRect(dc, kImage1Rect.left, kImage1Rect.top, kImage1Rect.right(), kImage1Rect.bottom());
  ::FillRect(dc, &client, reinterpret_cast<HBRUSH>(::GetClassLongPtrW(hwnd_, GCLP_HBRBACKGROUND)));
  ::RestoreDC(dc, saved);
}

bool Form1::OnSetCursor(HWND under, UINT hitTest) {
  // Text1 sets its own text cursor.
  if (under != hwnd_ || hitTest != HTCLIENT) return false;
  POINT p;
  ::GetCursorPos(&p);
  ::ScreenToClient(hwnd_, &p);
  const Control control = HitTest({p.x, p.y});
  // Where the window's own setting applies, custom shows the arrow as
  // default does: the window has no pointer picture of its own.
  ::SetCursor(ShowsHandPointer(control) ? handPointer_.get() : ::LoadCursorW(nullptr, IDC_ARROW));
  return true;
}

void Form1::OnMouseButton(UINT msg, WPARAM wParam, LPARAM lParam) {
  const Point p = PointFrom(lParam);
  switch (msg) {
    case WM_LBUTTONDOWN:
      return Route(router_.ButtonDown(p, kLeftButton, MouseModifiers(wParam)));
    case WM_RBUTTONDOWN:
      return Route(router_.ButtonDown(p, kRightButton, MouseModifiers(wParam)));
    case WM_MBUTTONDOWN:
      return Route(router_.ButtonDown(p, kMiddleButton, MouseModifiers(wParam)));
    case WM_LBUTTONUP:
      return Route(router_.ButtonUp(p, kLeftButton));
    case WM_RBUTTONUP:
      return Route(router_.ButtonUp(p, kRightButton));
    case WM_MBUTTONUP:
      return Route(router_.ButtonUp(p, kMiddleButton));
  }
}

void Form1::OnMouseMove(WPARAM wParam, LPARAM lParam) { Route(router_.Move(PointFrom(lParam), MouseModifiers(wParam))); }

void Form1::Route(const Routing& routing) {
  if (routing.setCapture) ::SetCapture(hwnd_);
  if (routing.releaseCapture) ::ReleaseCapture();
  if (routing.event) Deliver(*routing.event);
}

void Form1::Deliver(const MouseEvent& e) {
  using Kind = MouseEvent::Kind;
  if (e.kind == Kind::MouseDown && e.control == Control::Image1) {
    Guarded([&] { OnImage1MouseDown(e.button, e.modifiers); });
  } else if (e.kind == Kind::MouseMove && e.control == Control::Label3) {
    Guarded([&] { OnLabel3MouseMove(); });
  } else if (e.kind == Kind::MouseMove && e.control == Control::Form1) {
    Guarded([&] { OnForm1MouseMove(); });
  } else if (e.kind == Kind::Click) {
    switch (e.control) {
      case Control::Image2: return Guarded([&] { OnImage2Click(); });
      case Control::Image3: return Guarded([&] { OnImage3Click(); });
      case Control::Image4: return Guarded([&] { OnImage4Click(); });
      case Control::Label1: return Guarded([&] { OnLabel1Click(); });
      case Control::Label2: return Guarded([&] { OnLabel2Click(); });
      case Control::Label3: return Guarded([&] { OnLabel3Click(); });
      default: return;
    }
  }
}

void Form1::OnActivate(WPARAM wParam) {
  // The system would give the focus to the window itself; Text1 keeps it.
  // Only its first arrival counts as GotFocus: coming back to the window
  // must not select the text that the user was working on.
  if (LOWORD(wParam) == WA_INACTIVE || HIWORD(wParam) != 0 || !text1_) return;
  focusReturning_ = shown_;
  ::SetFocus(text1_);
  focusReturning_ = false;
}

LRESULT CALLBACK Form1::Text1Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Form1*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  const WNDPROC edit = self->text1EditProc_;
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(edit));
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return ::CallWindowProcW(edit, hwnd, msg, wParam, lParam);
  }
  try {
    return self->HandleText1Message(msg, wParam, lParam);
  } catch (...) {
    return ::CallWindowProcW(edit, hwnd, msg, wParam, lParam);
  }
}

LRESULT Form1::HandleText1Message(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETFOCUS: {
      const LRESULT result = ::CallWindowProcW(text1EditProc_, text1_, msg, wParam, lParam);
      if (!focusReturning_) Guarded([this] { OnText1GotFocus(); });
      return result;
    }
    case WM_KEYDOWN:
      // The key goes on to the edit afterwards, unchanged.
      Guarded([&] { OnText1KeyDown(static_cast<unsigned>(wParam), CurrentModifiers()); });
      break;
  }
  return ::CallWindowProcW(text1EditProc_, text1_, msg, wParam, lParam);
}

template <typename Handler>
void Form1::Guarded(Handler&& handler) {
  // A handler that cannot finish leaves the text as it was and says so;
  // it never takes the program down with it.
  try {
    handler();
  } catch (const std::bad_alloc&) {
    tell_(hwnd_, kOutOfMemoryMessage);
  } catch (const std::exception&) {
    tell_(hwnd_, kSystemFailureMessage);
  }
}

// ---- The handlers ----

void Form1::OnForm1Load() {
  const LONG style = ::GetWindowLongA(hwnd_, GWL_STYLE);
  ::SetWindowLongA(hwnd_, GWL_STYLE, style | kStyleBitsAddedAtLoad);
  ::SetWindowTextW(text1_, kPlaceholderText);
}

void Form1::OnForm1MouseMove() {
  SetLabel3Colour(kLabel3LeaveColour);
  pointerSetting_ = PointerSetting::Default;
}

void Form1::OnImage1MouseDown(int button, int) {
  if (button != kLeftButton) return;
  ::ReleaseCapture();
  // The system's move loop: returns when the left button goes up.
  ::SendMessageA(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void Form1::OnImage2Click() { ConvertText1(ConvertForwardInPlace); }

void Form1::OnImage4Click() { ConvertText1(ConvertReverseInPlace); }

void Form1::OnImage3Click() {
  // Everything that can fail is made ready before the clipboard is touched,
  // so that a failure leaves the clipboard as it was. Both formats come from
  // the one reading: the system's own CF_TEXT to CF_UNICODETEXT derivation
  // follows the keyboard layout and would garble Chinese under a Western one.
  const std::u16string text = ReadWindowText(text1_);
  std::string ansiText;
  AnsiFromWide(text, CP_ACP, ansiText);
  UniqueGlobal ansi = GlobalText<char>(ansiText);
  UniqueGlobal wide = GlobalText<char16_t>(text);

  ClipboardGuard clipboard(hwnd_, kClipboardPatienceMs);
  if (!clipboard.opened()) return tell_(hwnd_, kClipboardBusyMessage);
  if (!::EmptyClipboard()) ThrowLastError("EmptyClipboard");
  // The clipboard owns each block once SetClipboardData has taken it.
  if (!::SetClipboardData(CF_TEXT, ansi.get())) ThrowLastError("SetClipboardData");
  ansi.release();
  if (!::SetClipboardData(CF_UNICODETEXT, wide.get())) ThrowLastError("SetClipboardData");
  wide.release();
}

void Form1::OnLabel1Click() { ::DestroyWindow(hwnd_); }

void Form1::OnLabel2Click() { ::ShowWindow(hwnd_, SW_MINIMIZE); }

void Form1::OnLabel3Click() { ::ShellExecuteA(hwnd_, "open", GLIMVANE_SITE_URL, "", "", SW_SHOW); }

void Form1::OnLabel3MouseMove() {
  SetLabel3Colour(kLabel3HoverColour);
  pointerSetting_ = PointerSetting::Custom;
}

void Form1::OnText1GotFocus() { SelectAllText1(); }

void Form1::OnText1KeyDown(unsigned keyCode, int modifiers) {
  if (IsSelectAllKey(keyCode, modifiers)) SelectAllText1();
}

// ---- What the handlers share ----

void Form1::ConvertText1(InPlaceConversion convert) {
  // One reading, one pass, one writing, all in UTF-16. Every table
  // character lies in code page 936, so for Chinese text this is the same
  // as going through the ANSI code page; but a character pasted from
  // elsewhere that the code page lacks (an emoji, a rare ideograph) would
  // come back from that road as "?", and here it passes through unchanged.
  std::u16string text = ReadWindowText(text1_);
  convert(text);
  if (!::SetWindowTextW(text1_, reinterpret_cast<const wchar_t*>(text.c_str()))) ThrowLastError("SetWindowTextW");
}

void Form1::SelectAllText1() {
  // Counted in UTF-16 units, as the edit counts: CR LF is two.
  ::SendMessageW(text1_, EM_SETSEL, 0, ::GetWindowTextLengthW(text1_));
}

void Form1::SetLabel3Colour(Colour colour) {
  if (colour == label3Colour_) return;
  label3Colour_ = colour;
  RECT box{kLabel3Rect.left, kLabel3Rect.top, kLabel3Rect.right(), kLabel3Rect.bottom()};
  ::InvalidateRect(hwnd_, &box, FALSE);
}

}  // namespace glimvane::window
