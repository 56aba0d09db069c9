// The control layer: the seven controls of Form1 that have no window of
// their own (the pictures and the labels), their stacking, and the turning
// of raw mouse input into the events the handlers see. Text1 is a real edit
// window above all of them, so the mouse never reaches this layer over it.
//
// Pure logic: Form1 feeds it points, buttons and modifier bits taken from
// the window messages and acts on what it returns.
#pragma once

#include <array>
#include <optional>

#include "layout.h"

namespace glimvane::window {

// Form1 stands for the window itself: the bare surface under no control.
enum class Control { Form1, Label3, Image4, Image3, Image2, Label2, Label1, Image1 };

struct WindowlessControl {
  Control id;
  Rect rect;
};

// Front to back.
inline constexpr std::array<WindowlessControl, 7> kWindowlessControls{{
    {Control::Label3, kLabel3Rect},
    {Control::Image4, kImage4Rect},
    {Control::Image3, kImage3Rect},
    {Control::Image2, kImage2Rect},
    {Control::Label2, kLabel2Rect},
    {Control::Label1, kLabel1Rect},
    {Control::Image1, kImage1Rect},
}};

// The front-most control under `p`, or Form1 where none is.
Control HitTest(Point p);

// Controls over which the pointer is the hand picture; the arrow elsewhere.
bool ShowsHandPointer(Control c);

// Mouse buttons and modifier bits as the handlers see them.
enum MouseButton { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };
enum ModifierBits { kShiftBit = 1, kCtrlBit = 2, kAltBit = 4 };
int ModifierState(bool shift, bool ctrl, bool alt);

// Text1 KeyDown's condition: the A key (key code 65) with Ctrl alone.
// AltGr arrives as Ctrl+Alt and so does not count.
bool IsSelectAllKey(unsigned keyCode, int modifiers);

struct MouseEvent {
  enum class Kind { MouseDown, MouseMove, Click };
  Kind kind;
  Control control;
  int button = 0;     // MouseDown only
  int modifiers = 0;  // MouseDown and MouseMove
};

// What the window must do for one raw mouse message.
struct Routing {
  std::optional<MouseEvent> event;
  bool setCapture = false;      // before delivering the event
  bool releaseCapture = false;  // before delivering the event
};

// Follows the buttons from press to release. The control under the first
// pressed button owns the mouse until the last button is up: it gets the
// later presses and the movement, wherever the pointer goes, and a Click
// when the left button goes up over it again after a left press on it.
class MouseRouter {
 public:
  Routing ButtonDown(Point p, int button, int modifiers);
  Routing ButtonUp(Point p, int button);
  Routing Move(Point p, int modifiers);
  // The window lost the capture (a handler released it, or the system took
  // it): the press is over without a Click.
  void CaptureLost();

 private:
  int held_ = 0;  // buttons held since the first press, as MouseButton bits
  Control owner_ = Control::Form1;
  bool leftPressedOnOwner_ = false;
};

}  // namespace glimvane::window
