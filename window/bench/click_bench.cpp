// What a conversion click costs against what the text area itself costs.
//
// The real Form1 is created in this process (shown, on the display Wine
// uses; --hidden keeps it hidden). For GBK Chinese texts of 64 KiB, 1 MiB
// and 4 MiB with a line break every 40 characters, each round times, side by
// side on the same text:
//   click: a left press and release at the centre of Image2 sent to the
//          window; SendMessage returns once the handler has stored the result;
//   floor: the same edit control giving and taking the same text with no
//          conversion (WM_GETTEXT + WM_SETTEXT through the ANSI path).
// It prints both medians and click/floor, and the same ratio of the fastest
// rounds, which a busy machine disturbs less. Run it under Wine:
//   source scripts/wine-env.sh build/windows && wine_warm_up
//   $WINE build/windows/window/bench/window_click_bench.exe [--hidden] [--rounds N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ansi_text.h"
#include "form1.h"

namespace {

using glimvane::window::Form1;

// Ordinary prose: about half of its characters are in the table.
constexpr wchar_t kProse[] =
    L"我们的国家在发展中不断前进，人民生活水平有了很大提高。这是一个新的时代，"
    L"经济建设和社会事业全面进步，科学技术日新月异，文化繁荣兴盛。";

std::string GbkText(std::size_t bytes) {
  std::u16string wide;
  const std::size_t proseLength = std::wcslen(kProse);
  std::size_t next = 0, column = 0, size = 0;
  while (size + 2 <= bytes) {
    if (column == 40) {
      wide += u"\r\n";
      size += 2;
      column = 0;
      continue;
    }
    wide += static_cast<char16_t>(kProse[next++ % proseLength]);
    size += 2;  // every character of the prose is two bytes in code page 936
    ++column;
  }
  std::string ansi;
  glimvane::window::AnsiFromWide(wide, CP_ACP, ansi);
  return ansi;
}

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / frequency;
}

// Lets the window catch up (painting) between measurements, untimed.
void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void ClickImage2(HWND form) {
  const auto c = glimvane::window::kImage2Rect.Centre();
  const LPARAM at = MAKELPARAM(c.x, c.y);
  ::SendMessageW(form, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(form, WM_LBUTTONUP, 0, at);
}

void GiveAndTake(HWND edit) {
  const auto length = static_cast<std::size_t>(::SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length, L'\0');
  const auto copied = ::SendMessageW(edit, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

int main(int argc, char** argv) {
  bool hidden = false;
  int rounds = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--hidden") == 0) hidden = true;
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) rounds = std::atoi(argv[++i]);
  }

  Form1 form(::GetModuleHandleW(nullptr));
  if (!form.Create()) {
    std::fprintf(stderr, "cannot create the window (no display?)\n");
    return 1;
  }
  form.SetMessageSink([](HWND, const wchar_t*) { std::fprintf(stderr, "the handler reported a failure\n"); });
  if (!hidden) form.Show();
  Pump();

  struct Size {
    const char* name;
    std::size_t bytes;
    int rounds;
  };
  std::printf("code page %u, window %s\n", ::GetACP(), hidden ? "hidden" : "shown");
  std::printf("%-8s %6s %12s %12s %8s %10s\n", "text", "rounds", "click ms", "floor ms", "ratio", "min ratio");
  for (const Size& size : {Size{"64 KiB", 64u << 10, 21}, Size{"1 MiB", 1u << 20, 11}, Size{"4 MiB", 4u << 20, 5}}) {
    const std::string text = GbkText(size.bytes);
    const std::u16string unconverted = glimvane::window::WideFromAnsi(text, CP_ACP);
    const int n = rounds > 0 ? rounds : size.rounds;
    std::vector<double> clicks, floors;
    for (int round = 0; round < n; ++round) {
      // Alternate which goes first, so that neither always follows the other.
      for (int which = 0; which < 2; ++which) {
        const bool click = (which == 0) == (round % 2 == 0);
        ::SetWindowTextA(form.text1(), text.c_str());
        Pump();
        const double start = Now();
        if (click) {
          ClickImage2(form.hwnd());
        } else {
          GiveAndTake(form.text1());
        }
        const double elapsed = Now() - start;
        (click ? clicks : floors).push_back(elapsed * 1e3);
        if (click && round == 0 && glimvane::window::ReadWindowText(form.text1()) == unconverted) {
          std::fprintf(stderr, "the click did not convert\n");
          return 1;
        }
        Pump();
      }
    }
    const double click = Median(clicks), floor = Median(floors);
    const double fastest = *std::min_element(clicks.begin(), clicks.end()) /
                           *std::min_element(floors.begin(), floors.end());
    std::printf("%-8s %6d %12.1f %12.1f %8.3f %10.3f\n", size.name, n, click, floor, click / floor, fastest);
    std::fflush(stdout);
  }
  return 0;
}
