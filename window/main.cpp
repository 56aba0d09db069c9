// Glimvane.exe: the one window and its message loop.
#include <windows.h>
#include <objbase.h>

#include "form1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // The shell's "open" of the link label may use COM.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  int exitCode = 1;
  {
    glimvane::window::Form1 form1(instance);
    if (form1.Create()) {
      form1.Show();
      MSG msg;
      while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
      exitCode = static_cast<int>(msg.wParam);
    }
  }

  if (SUCCEEDED(com)) ::CoUninitialize();
  return exitCode;
}
