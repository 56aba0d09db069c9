// glimvane_probe: reads Glimvane's window, the clipboard, the screen and the
// program file from outside, for the end-to-end tests. It never stands in for
// the user's input (that comes from xdotool and xclip); it only looks, plus
// the few things real input cannot reach without a taskbar or window manager
// (system commands) and the fixtures a test needs (a picture on the
// clipboard, a clipboard held open by another process, a large text).
//
//   glimvane_probe COMMAND [ARGS...]
//
// Every command prints one JSON object on one line (ASCII only, non-ASCII
// text as \u escapes) and exits 0, or prints {"error": "..."} and exits 1.
// Texts the window holds in the ANSI code page are converted to UTF-8 first.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr char kCaption[] = "Glimvane";

// --- output -----------------------------------------------------------------

class Json {
 public:
  Json& Key(std::string_view key) {
    Separate();
    Quote(std::wstring(key.begin(), key.end()));
    out_ += ':';
    after_key_ = true;
    return *this;
  }
  Json& Int(long long value) {
    Separate();
    out_ += std::to_string(value);
    return *this;
  }
  Json& Bool(bool value) {
    Separate();
    out_ += value ? "true" : "false";
    return *this;
  }
  Json& Null() {
    Separate();
    out_ += "null";
    return *this;
  }
  // Writes UTF-16 as a JSON string of ASCII characters.
  Json& Wide(std::wstring_view text) {
    Separate();
    Quote(text);
    return *this;
  }
  Json& String(std::string_view ascii) {
    return Wide(std::wstring(ascii.begin(), ascii.end()));
  }
  Json& Open() { return Bracket('{'); }
  Json& Close() { return End('}'); }
  Json& OpenArray() { return Bracket('['); }
  Json& CloseArray() { return End(']'); }
  Json& Rect(const RECT& r) {
    OpenArray().Int(r.left).Int(r.top).Int(r.right - r.left).Int(r.bottom - r.top);
    return CloseArray();
  }
  void Print() const {
    std::fwrite(out_.data(), 1, out_.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }

 private:
  void Quote(std::wstring_view text) {
    out_ += '"';
    for (wchar_t c : text) {
      if (c == L'"' || c == L'\\') {
        out_ += '\\';
        out_ += static_cast<char>(c);
      } else if (c >= 0x20 && c < 0x7F) {
        out_ += static_cast<char>(c);
      } else {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
        out_ += buf;
      }
    }
    out_ += '"';
  }
  Json& Bracket(char c) {
    Separate();
    out_ += c;
    first_ = true;
    return *this;
  }
  Json& End(char c) {
    out_ += c;
    first_ = false;
    return *this;
  }
  void Separate() {
    if (after_key_) {
      after_key_ = false;
      return;
    }
    if (!first_ && !out_.empty()) out_ += ',';
    first_ = false;
  }

  std::string out_;
  bool first_ = true;
  bool after_key_ = false;
};

[[noreturn]] void Fail(const std::string& message) {
  Json json;
  json.Open().Key("error").String(message + " (GetLastError " + std::to_string(GetLastError()) + ")").Close();
  json.Print();
  std::exit(1);
}

std::wstring FromCodePage(UINT code_page, const char* bytes, int length) {
  if (length <= 0) return {};
  int n = MultiByteToWideChar(code_page, 0, bytes, length, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(code_page, 0, bytes, length, wide.data(), n);
  return wide;
}

std::string ToCodePage(UINT code_page, std::wstring_view wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n, nullptr,
                      nullptr);
  return bytes;
}

std::string ReadFileBytes(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail(std::string("cannot open ") + path);
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  BOOL ok = bytes.empty() || ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  if (!ok || read != bytes.size()) Fail(std::string("cannot read ") + path);
  return bytes;
}

void WriteFileBytes(const char* path, const std::string& bytes) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail(std::string("cannot create ") + path);
  DWORD written = 0;
  BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) Fail(std::string("cannot write ") + path);
}

// --- the window ---------------------------------------------------------------

// The program's own window: a message box of the program carries the same
// caption, so top-level dialogs (class #32770) and owned windows don't count.
HWND FindMainWindow() {
  for (HWND window = FindWindowExA(nullptr, nullptr, nullptr, kCaption); window;
       window = FindWindowExA(nullptr, window, nullptr, kCaption)) {
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") != 0 && !GetWindow(window, GW_OWNER)) return window;
  }
  return nullptr;
}

HWND RequireMainWindow() {
  HWND window = FindMainWindow();
  if (!window) Fail("no window captioned Glimvane");
  return window;
}

struct EditChildren {
  std::vector<HWND> all;
};

BOOL CALLBACK CollectEdit(HWND child, LPARAM param) {
  char cls[64] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "EDIT") == 0) reinterpret_cast<EditChildren*>(param)->all.push_back(child);
  return TRUE;
}

std::vector<HWND> EditChildrenOf(HWND window) {
  EditChildren found;
  EnumChildWindows(window, CollectEdit, reinterpret_cast<LPARAM>(&found));
  return found.all;
}

// The text of another process's window through WM_GETTEXT, which Wine and
// Windows marshal; GetWindowTextLengthA across processes is unreliable.
std::string AnsiTextOf(HWND window) {
  LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  LRESULT got = SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

// The largest text limit that the platform gives a multi-line edit control
// (what EM_SETLIMITTEXT 0 sets), read from an edit control of our own.
DWORD PlatformEditLimitMaximum() {
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_MULTILINE, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (!edit) return 0;
  SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
  auto limit = static_cast<DWORD>(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0));
  DestroyWindow(edit);
  return limit;
}

void WriteSelection(Json& json, HWND edit) {
  DWORD start = 0, end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  json.Key("sel").OpenArray().Int(start).Int(end).CloseArray();
}

int CmdWindow(bool with_text) {
  HWND window = FindMainWindow();
  Json json;
  json.Open().Key("found").Bool(window != nullptr);
  if (!window) {
    // What does carry the caption, to tell a closed window from a mistaken one.
    json.Key("captioned").OpenArray();
    for (HWND other = FindWindowExA(nullptr, nullptr, nullptr, kCaption); other;
         other = FindWindowExA(nullptr, other, nullptr, kCaption)) {
      char cls[64] = {};
      GetClassNameA(other, cls, sizeof cls);
      json.Open().Key("class").String(cls).Key("owner").Int(reinterpret_cast<intptr_t>(GetWindow(other, GW_OWNER)))
          .Key("visible").Bool(IsWindowVisible(other)).Close();
    }
    json.CloseArray().Close().Print();
    return 0;
  }
  RECT rect{};
  GetWindowRect(window, &rect);
  RECT client{};
  GetClientRect(window, &client);
  char caption[256] = {};
  SendMessageA(window, WM_GETTEXT, sizeof caption, reinterpret_cast<LPARAM>(caption));
  DWORD pid = 0;
  DWORD thread = GetWindowThreadProcessId(window, &pid);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  bool have_gui = GetGUIThreadInfo(thread, &gui) != 0;
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);

  json.Key("hwnd").Int(reinterpret_cast<intptr_t>(window))
      .Key("pid").Int(pid)
      .Key("class").Wide(FromCodePage(CP_ACP, cls, lstrlenA(cls)))
      .Key("caption").Wide(FromCodePage(CP_ACP, caption, lstrlenA(caption)))
      .Key("rect").Rect(rect)
      .Key("client").Rect(client)
      .Key("screen").OpenArray().Int(GetSystemMetrics(SM_CXSCREEN)).Int(GetSystemMetrics(SM_CYSCREEN)).CloseArray()
      .Key("style").Int(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)))
      .Key("exstyle").Int(static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)))
      .Key("owner").Int(reinterpret_cast<intptr_t>(GetWindow(window, GW_OWNER)))
      .Key("parent").Int(reinterpret_cast<intptr_t>(GetAncestor(window, GA_PARENT) == GetDesktopWindow()
                                                       ? nullptr : GetAncestor(window, GA_PARENT)))
      .Key("visible").Bool(IsWindowVisible(window))
      .Key("iconic").Bool(IsIconic(window))
      .Key("zoomed").Bool(IsZoomed(window))
      .Key("enabled").Bool(IsWindowEnabled(window))
      .Key("foreground").Bool(GetForegroundWindow() == window)
      .Key("focus").Int(have_gui ? reinterpret_cast<intptr_t>(gui.hwndFocus) : 0)
      .Key("active").Int(have_gui ? reinterpret_cast<intptr_t>(gui.hwndActive) : 0)
      .Key("capture").Int(have_gui ? reinterpret_cast<intptr_t>(gui.hwndCapture) : 0)
      .Key("in_move_loop").Bool(have_gui && (gui.flags & GUI_INMOVESIZE) != 0);

  std::vector<HWND> edits = EditChildrenOf(window);
  json.Key("edit_count").Int(static_cast<long long>(edits.size()));
  int child_count = 0;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++child_count;
  json.Key("child_count").Int(child_count);
  if (edits.empty()) {
    json.Key("edit").Null();
  } else {
    HWND edit = edits.front();
    RECT edit_rect{};
    GetWindowRect(edit, &edit_rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&edit_rect), 2);
    json.Key("edit").Open()
        .Key("hwnd").Int(reinterpret_cast<intptr_t>(edit))
        .Key("rect").Rect(edit_rect)
        .Key("style").Int(static_cast<DWORD>(GetWindowLongA(edit, GWL_STYLE)))
        .Key("exstyle").Int(static_cast<DWORD>(GetWindowLongA(edit, GWL_EXSTYLE)))
        .Key("limit").Int(static_cast<DWORD>(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0)))
        .Key("limit_maximum").Int(PlatformEditLimitMaximum())
        .Key("length").Int(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0))
        .Key("focused").Bool(have_gui && gui.hwndFocus == edit);
    WriteSelection(json, edit);
    if (with_text) {
      std::string ansi = AnsiTextOf(edit);
      json.Key("text").Wide(FromCodePage(CP_ACP, ansi.data(), static_cast<int>(ansi.size())));
    }
    json.Close();
  }
  json.Close().Print();
  return 0;
}

HWND RequireEdit() {
  std::vector<HWND> edits = EditChildrenOf(RequireMainWindow());
  if (edits.empty()) Fail("the window has no EDIT child");
  return edits.front();
}

// Writes the text area's content to a file as UTF-8, for texts too large for
// a line of output; prints the length and the selection.
int CmdTextToFile(const char* path) {
  HWND edit = RequireEdit();
  std::string ansi = AnsiTextOf(edit);
  std::wstring wide = FromCodePage(CP_ACP, ansi.data(), static_cast<int>(ansi.size()));
  WriteFileBytes(path, ToCodePage(CP_UTF8, wide));
  Json json;
  json.Open().Key("ansi_bytes").Int(static_cast<long long>(ansi.size())).Key("chars").Int(
      static_cast<long long>(wide.size()));
  WriteSelection(json, edit);
  json.Close().Print();
  return 0;
}

// The first `bytes` bytes of the text area's content (WM_GETTEXT copies no
// more than its buffer holds); a double-byte character cut in two is dropped.
int CmdHead(int bytes) {
  HWND edit = RequireEdit();
  std::string head(static_cast<size_t>(bytes) + 1, '\0');
  LRESULT got = SendMessageA(edit, WM_GETTEXT, head.size(), reinterpret_cast<LPARAM>(head.data()));
  head.resize(static_cast<size_t>(got));
  size_t whole = 0;
  while (whole < head.size()) {
    size_t step = IsDBCSLeadByte(static_cast<BYTE>(head[whole])) ? 2 : 1;
    if (whole + step > head.size()) break;
    whole += step;
  }
  head.resize(whole);
  Json json;
  json.Open().Key("text").Wide(FromCodePage(CP_ACP, head.data(), static_cast<int>(head.size()))).Close().Print();
  return 0;
}

// Sets the text area's content from a UTF-8 file (for texts that would take
// too long to paste); the window's own WM_SETTEXT, no handler of the program.
int CmdSetTextFromFile(const char* path) {
  HWND edit = RequireEdit();
  std::string utf8 = ReadFileBytes(path);
  std::string ansi = ToCodePage(CP_ACP, FromCodePage(CP_UTF8, utf8.data(), static_cast<int>(utf8.size())));
  LRESULT ok = SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ansi.c_str()));
  Json json;
  json.Open().Key("ok").Bool(ok != 0).Key("ansi_bytes").Int(static_cast<long long>(ansi.size())).Close().Print();
  return ok ? 0 : 1;
}

// --- dialogs owned by the window ---------------------------------------------------

struct DialogSearch {
  HWND owner;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") == 0 && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == search->owner)
    search->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK WriteDialogChild(HWND child, LPARAM param) {
  auto& json = *reinterpret_cast<Json*>(param);
  char cls[64] = {};
  GetClassNameA(child, cls, sizeof cls);
  std::string text = AnsiTextOf(child);
  RECT rect{};
  GetWindowRect(child, &rect);
  json.Open()
      .Key("class").String(cls)
      .Key("id").Int(GetDlgCtrlID(child))
      .Key("text").Wide(FromCodePage(CP_ACP, text.data(), static_cast<int>(text.size())))
      .Key("screen_rect").Rect(rect)
      .Key("visible").Bool(IsWindowVisible(child))
      .Close();
  return TRUE;
}

int CmdDialogs() {
  DialogSearch search{FindMainWindow(), {}};
  if (search.owner) EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
  Json json;
  json.Open().Key("found").Bool(search.owner != nullptr).Key("dialogs").OpenArray();
  for (HWND dialog : search.found) {
    std::string caption = AnsiTextOf(dialog);
    RECT rect{};
    GetWindowRect(dialog, &rect);
    json.Open()
        .Key("hwnd").Int(reinterpret_cast<intptr_t>(dialog))
        .Key("caption").Wide(FromCodePage(CP_ACP, caption.data(), static_cast<int>(caption.size())))
        .Key("screen_rect").Rect(rect)
        .Key("children").OpenArray();
    EnumChildWindows(dialog, WriteDialogChild, reinterpret_cast<LPARAM>(&json));
    json.CloseArray().Close();
  }
  json.CloseArray().Close().Print();
  return 0;
}

// --- system commands ------------------------------------------------------------

int CmdSysCommand(const char* which) {
  struct Named {
    const char* name;
    WPARAM command;
  };
  static constexpr Named kCommands[] = {
      {"close", SC_CLOSE}, {"maximize", SC_MAXIMIZE}, {"restore", SC_RESTORE}, {"minimize", SC_MINIMIZE}};
  for (const Named& named : kCommands) {
    if (std::strcmp(named.name, which) == 0) {
      // Posted, as the window menu would: the probe must not wait on a
      // window that is about to end.
      BOOL ok = PostMessageA(RequireMainWindow(), WM_SYSCOMMAND, named.command, 0);
      Json json;
      json.Open().Key("posted").Bool(ok != 0).Close().Print();
      return ok ? 0 : 1;
    }
  }
  Fail(std::string("unknown system command ") + which);
}

// --- screen -------------------------------------------------------------------

std::string HexColour(COLORREF c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return buf;
}

// Pixels at screen points "x,y", read with GetPixel on the screen's DC.
int CmdPixels(int argc, char** argv) {
  HDC screen = GetDC(nullptr);
  Json json;
  json.Open().Key("pixels").OpenArray();
  for (int i = 0; i < argc; ++i) {
    int x = 0, y = 0;
    if (std::sscanf(argv[i], "%d,%d", &x, &y) != 2) Fail(std::string("bad point ") + argv[i]);
    json.String(HexColour(GetPixel(screen, x, y)));
  }
  json.CloseArray().Close().Print();
  ReleaseDC(nullptr, screen);
  return 0;
}

// A rectangle of the screen in one copy, as rows of RRGGBB hex.
int CmdRegion(int x, int y, int width, int height) {
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096) Fail("bad region size");
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) Fail("CreateDIBSection");
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY);
  SelectObject(memory, old);
  Json json;
  json.Open().Key("rows").OpenArray();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  for (int row = 0; row < height; ++row) {
    std::string line;
    line.reserve(static_cast<size_t>(width) * 6);
    for (int col = 0; col < width; ++col) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%06X", pixels[row * width + col] & 0xFFFFFF);
      line += buf;
    }
    json.String(line);
  }
  json.CloseArray().Close().Print();
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return 0;
}

// --- clipboard ------------------------------------------------------------------

bool OpenClipboardPatiently(HWND owner) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(100);
  }
  return false;
}

int CmdClipboard() {
  if (!OpenClipboardPatiently(nullptr)) Fail("OpenClipboard");
  Json json;
  json.Open().Key("formats").OpenArray();
  for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) json.Int(format);
  json.CloseArray();
  json.Key("has_bitmap").Bool(IsClipboardFormatAvailable(CF_BITMAP) || IsClipboardFormatAvailable(CF_DIB));
  json.Key("text");
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    const char* text = static_cast<const char*>(GlobalLock(data));
    std::wstring wide = text ? FromCodePage(CP_ACP, text, lstrlenA(text)) : L"";
    GlobalUnlock(data);
    json.Wide(wide);
  } else {
    json.Null();
  }
  json.Key("unicode");
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    const wchar_t* text = static_cast<const wchar_t*>(GlobalLock(data));
    std::wstring wide = text ? std::wstring(text) : L"";
    GlobalUnlock(data);
    json.Wide(wide);
  } else {
    json.Null();
  }
  CloseClipboard();
  json.Close().Print();
  return 0;
}

// What the clipboard's sequence number and text format say, without opening
// the clipboard: Wine's clipboard manager drops an import from the X
// clipboard when it finds the clipboard open, so a poll must not open it.
int CmdClipboardState() {
  Json json;
  json.Open().Key("sequence").Int(GetClipboardSequenceNumber());
  json.Key("has_unicode").Bool(IsClipboardFormatAvailable(CF_UNICODETEXT));
  json.Close().Print();
  return 0;
}

HWND CreateOwnerWindow() {
  return CreateWindowExA(0, "STATIC", "glimvane probe", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

// Puts a small picture (and nothing else) on the clipboard.
int CmdPutBitmap() {
  HWND owner = CreateOwnerWindow();
  if (!OpenClipboardPatiently(owner)) Fail("OpenClipboard");
  EmptyClipboard();
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
  ReleaseDC(nullptr, screen);
  // The clipboard owns the bitmap once SetClipboardData succeeds.
  bool ok = bitmap && SetClipboardData(CF_BITMAP, bitmap) != nullptr;
  CloseClipboard();
  Json json;
  json.Open().Key("ok").Bool(ok).Close().Print();
  DestroyWindow(owner);
  return ok ? 0 : 1;
}

// Opens the clipboard and keeps it open, so that no other program can open
// it meanwhile. Prints {"held": true} once it is open.
int CmdHoldClipboard(int milliseconds) {
  HWND owner = CreateOwnerWindow();
  if (!OpenClipboardPatiently(owner)) Fail("OpenClipboard");
  Json json;
  json.Open().Key("held").Bool(true).Close().Print();
  Sleep(static_cast<DWORD>(milliseconds));
  CloseClipboard();
  Json done;
  done.Open().Key("released").Bool(true).Close().Print();
  DestroyWindow(owner);
  return 0;
}

// --- the program file -------------------------------------------------------------

int CmdVersion(const char* path) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &handle);
  Json json;
  json.Open().Key("present").Bool(size != 0);
  if (size == 0) {
    json.Close().Print();
    return 0;
  }
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(path, 0, size, block.data())) Fail("GetFileVersionInfo");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
    json.Key("fixed").Open()
        .Key("signature").Int(fixed->dwSignature)
        .Key("file_version").OpenArray()
        .Int(HIWORD(fixed->dwFileVersionMS)).Int(LOWORD(fixed->dwFileVersionMS))
        .Int(HIWORD(fixed->dwFileVersionLS)).Int(LOWORD(fixed->dwFileVersionLS)).CloseArray()
        .Key("product_version").OpenArray()
        .Int(HIWORD(fixed->dwProductVersionMS)).Int(LOWORD(fixed->dwProductVersionMS))
        .Int(HIWORD(fixed->dwProductVersionLS)).Int(LOWORD(fixed->dwProductVersionLS)).CloseArray()
        .Key("flags_mask").Int(fixed->dwFileFlagsMask)
        .Key("flags").Int(fixed->dwFileFlags)
        .Key("os").Int(fixed->dwFileOS)
        .Key("type").Int(fixed->dwFileType)
        .Key("subtype").Int(fixed->dwFileSubtype)
        .Close();
  }
  WORD* translation = nullptr;
  json.Key("translations").OpenArray();
  if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length)) {
    for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2)
      json.OpenArray().Int(translation[i]).Int(translation[i + 1]).CloseArray();
  }
  json.CloseArray();
  static constexpr const wchar_t* kNames[] = {L"CompanyName", L"ProductName", L"FileVersion", L"ProductVersion",
                                              L"InternalName", L"OriginalFilename", L"FileDescription",
                                              L"LegalCopyright"};
  json.Key("strings_080404B0").Open();
  for (const wchar_t* name : kNames) {
    std::wstring query = std::wstring(L"\\StringFileInfo\\080404B0\\") + name;
    wchar_t* value = nullptr;
    UINT chars = 0;
    if (VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars) && value) {
      json.Key(std::string(name, name + lstrlenW(name))).Wide(value);
    }
  }
  json.Close().Close().Print();
  return 0;
}

#pragma pack(push, 2)
// One entry of an RT_GROUP_ICON or RT_GROUP_CURSOR directory. The two share
// the layout except for the first four bytes: an icon has byte width, height,
// colour count and a reserved byte; a cursor has word width and height (the
// height counting the mask too).
struct GroupEntry {
  BYTE size[4];
  WORD planes;
  WORD bit_count;
  DWORD bytes_in_res;
  WORD id;
};
struct GroupDir {
  WORD reserved;
  WORD type;
  WORD count;
  GroupEntry entries[1];
};
#pragma pack(pop)

struct GroupNames {
  std::vector<std::wstring> names;
};

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto* found = reinterpret_cast<GroupNames*>(param);
  found->names.push_back(IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name))
                                              : std::wstring(name));
  return TRUE;
}

LPCWSTR ResourceName(const std::wstring& name) {
  return name[0] == L'#' ? MAKEINTRESOURCEW(std::wcstoul(name.c_str() + 1, nullptr, 10)) : name.c_str();
}

const void* ResourceData(HMODULE module, LPCWSTR name, LPCWSTR type, DWORD* size) {
  HRSRC found = FindResourceW(module, name, type);
  if (!found) return nullptr;
  *size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  return loaded ? LockResource(loaded) : nullptr;
}

// The icon groups and cursor groups of a program file, with the real size and
// bit depth of every image (read from each image's own header).
int CmdResources(const char* path) {
  HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) Fail(std::string("LoadLibraryEx ") + path);
  Json json;
  json.Open();
  struct Kind {
    const char* key;
    LPCWSTR group_type;
    LPCWSTR image_type;
    bool cursor;
  };
  // The W forms of RT_GROUP_ICON, RT_ICON, RT_GROUP_CURSOR and RT_CURSOR.
  const Kind kinds[] = {{"icon_groups", MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(3), false},
                        {"cursor_groups", MAKEINTRESOURCEW(12), MAKEINTRESOURCEW(1), true}};
  for (const Kind& kind : kinds) {
    GroupNames groups;
    EnumResourceNamesW(module, kind.group_type, CollectName, reinterpret_cast<LONG_PTR>(&groups));
    json.Key(kind.key).OpenArray();
    for (const std::wstring& group_name : groups.names) {
      DWORD size = 0;
      const auto* dir = static_cast<const GroupDir*>(ResourceData(module, ResourceName(group_name), kind.group_type, &size));
      json.Open().Key("name").Wide(group_name).Key("images").OpenArray();
      for (WORD i = 0; dir && i < dir->count; ++i) {
        const GroupEntry& entry = dir->entries[i];
        DWORD image_size = 0;
        const auto* image = static_cast<const BYTE*>(
            ResourceData(module, MAKEINTRESOURCEW(entry.id), kind.image_type, &image_size));
        WORD words[2];
        std::memcpy(words, entry.size, sizeof words);
        json.Open().Key("id").Int(entry.id)
            .Key("dir_width").Int(kind.cursor ? words[0] : entry.size[0])
            .Key("dir_height").Int(kind.cursor ? words[1] / 2 : entry.size[1])
            .Key("dir_bit_count").Int(entry.bit_count);
        if (image && kind.cursor && image_size >= 4) {
          // A cursor image starts with its hot spot, then the DIB.
          json.Key("hotspot").OpenArray().Int(*reinterpret_cast<const WORD*>(image))
              .Int(*reinterpret_cast<const WORD*>(image + 2)).CloseArray();
          image += 4;
          image_size -= 4;
        }
        if (image && image_size >= 8 && std::memcmp(image, "\x89PNG", 4) == 0) {
          json.Key("format").String("png");
        } else if (image && image_size >= sizeof(BITMAPINFOHEADER)) {
          const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(image);
          json.Key("format").String("dib")
              .Key("width").Int(header->biWidth)
              .Key("height").Int(header->biHeight / 2)  // colour image and mask
              .Key("bit_count").Int(header->biBitCount);
        }
        json.Close();
      }
      json.CloseArray().Close();
    }
    json.CloseArray();
  }
  json.Close().Print();
  FreeLibrary(module);
  return 0;
}

int Usage() {
  std::fputs(
      "usage: glimvane_probe window | window-text | head BYTES | text-to FILE | set-text FILE | dialogs\n"
      "       | syscommand close|maximize|restore|minimize | pixels X,Y... | region X Y W H\n"
      "       | clipboard | clipboard-state | put-bitmap | hold-clipboard MS | version EXE | resources EXE\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  auto need = [&](int n) {
    if (argc < 2 + n) std::exit(Usage());
  };
  if (command == "window") return CmdWindow(false);
  if (command == "window-text") return CmdWindow(true);
  if (command == "head") return need(1), CmdHead(std::atoi(argv[2]));
  if (command == "text-to") return need(1), CmdTextToFile(argv[2]);
  if (command == "set-text") return need(1), CmdSetTextFromFile(argv[2]);
  if (command == "dialogs") return CmdDialogs();
  if (command == "syscommand") return need(1), CmdSysCommand(argv[2]);
  if (command == "pixels") return CmdPixels(argc - 2, argv + 2);
  if (command == "region") return need(4), CmdRegion(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  if (command == "clipboard") return CmdClipboard();
  if (command == "clipboard-state") return CmdClipboardState();
  if (command == "put-bitmap") return CmdPutBitmap();
  if (command == "hold-clipboard") return need(1), CmdHoldClipboard(std::atoi(argv[2]));
  if (command == "version") return need(1), CmdVersion(argv[2]);
  if (command == "resources") return need(1), CmdResources(argv[2]);
  return Usage();
}
