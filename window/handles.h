// Handles that own themselves: a move-only wrapper per kind of handle, and
// guards for the paired calls (BeginPaint/EndPaint, SelectObject, a memory
// DC, OpenClipboard/CloseClipboard, GlobalAlloc/GlobalLock), so that no
// error path repeats clean-up by hand.
#pragma once

#include <windows.h>

#include <utility>

namespace glimvane::window {

template <typename Handle, auto Close>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.h_, nullptr));
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  Handle release() { return std::exchange(h_, nullptr); }
  void reset(Handle h = nullptr) {
    if (h_) Close(h_);
    h_ = h;
  }

 private:
  Handle h_ = nullptr;
};

inline void DeleteGdiObject(HGDIOBJ h) { ::DeleteObject(h); }
inline void DestroyCursorHandle(HCURSOR h) { ::DestroyCursor(h); }
inline void FreeGlobal(HGLOBAL h) { ::GlobalFree(h); }
inline void DeleteMemoryDc(HDC h) { ::DeleteDC(h); }

using UniqueBitmap = UniqueHandle<HBITMAP, DeleteGdiObject>;
using UniqueFont = UniqueHandle<HFONT, DeleteGdiObject>;
using UniqueBrush = UniqueHandle<HBRUSH, DeleteGdiObject>;
using UniqueCursor = UniqueHandle<HCURSOR, DestroyCursorHandle>;
using UniqueGlobal = UniqueHandle<HGLOBAL, FreeGlobal>;
using UniqueMemoryDc = UniqueHandle<HDC, DeleteMemoryDc>;

class PaintGuard {
 public:
  explicit PaintGuard(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &ps_)) {}
  PaintGuard(const PaintGuard&) = delete;
  PaintGuard& operator=(const PaintGuard&) = delete;
  ~PaintGuard() { ::EndPaint(hwnd_, &ps_); }

  HDC dc() const { return dc_; }
  const RECT& area() const { return ps_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() { ::SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Open for as long as the guard lives; check opened(). Another program may
// hold the clipboard for a moment (a clipboard manager reading what was just
// put there), so the opening is retried for up to `patienceMs`.
class ClipboardGuard {
 public:
  ClipboardGuard(HWND owner, DWORD patienceMs) {
    const ULONGLONG deadline = ::GetTickCount64() + patienceMs;
    while (!(open_ = ::OpenClipboard(owner) != FALSE) && ::GetTickCount64() < deadline) ::Sleep(10);
  }
  ClipboardGuard(const ClipboardGuard&) = delete;
  ClipboardGuard& operator=(const ClipboardGuard&) = delete;
  ~ClipboardGuard() {
    if (open_) ::CloseClipboard();
  }

  bool opened() const { return open_; }

 private:
  bool open_ = false;
};

class GlobalLockGuard {
 public:
  explicit GlobalLockGuard(HGLOBAL h) : h_(h), p_(::GlobalLock(h)) {}
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
  ~GlobalLockGuard() {
    if (p_) ::GlobalUnlock(h_);
  }

  void* get() const { return p_; }

 private:
  HGLOBAL h_;
  void* p_;
};

}  // namespace glimvane::window
