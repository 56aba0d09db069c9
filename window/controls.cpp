#include "controls.h"

namespace glimvane::window {

Control HitTest(Point p) {
  for (const WindowlessControl& c : kWindowlessControls) {
    if (c.rect.Contains(p)) return c.id;
  }
  return Control::Form1;
}

bool ShowsHandPointer(Control c) { return c == Control::Label3 || c == Control::Image3; }

int ModifierState(bool shift, bool ctrl, bool alt) {
  return (shift ? kShiftBit : 0) | (ctrl ? kCtrlBit : 0) | (alt ? kAltBit : 0);
}

bool IsSelectAllKey(unsigned keyCode, int modifiers) { return keyCode == 'A' && modifiers == kCtrlBit; }

Routing MouseRouter::ButtonDown(Point p, int button, int modifiers) {
  Routing r;
  if (held_ == 0) {
    owner_ = HitTest(p);
    leftPressedOnOwner_ = false;
    r.setCapture = true;
  }
  held_ |= button;
  if (button == kLeftButton) leftPressedOnOwner_ = true;
  r.event = MouseEvent{MouseEvent::Kind::MouseDown, owner_, button, modifiers};
  return r;
}

Routing MouseRouter::ButtonUp(Point p, int button) {
  Routing r;
  if ((held_ & button) == 0) return r;  // its press went elsewhere (a drag, another window)
  held_ &= ~button;
  if (held_ == 0) r.releaseCapture = true;
  if (button == kLeftButton && leftPressedOnOwner_) {
    leftPressedOnOwner_ = false;
    if (HitTest(p) == owner_) r.event = MouseEvent{MouseEvent::Kind::Click, owner_};
  }
  return r;
}

Routing MouseRouter::Move(Point p, int modifiers) {
  Routing r;
  r.event = MouseEvent{MouseEvent::Kind::MouseMove, held_ ? owner_ : HitTest(p), 0, modifiers};
  return r;
}

void MouseRouter::CaptureLost() {
  held_ = 0;
  leftPressedOnOwner_ = false;
}

}  // namespace glimvane::window
