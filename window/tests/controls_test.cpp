// The control layer: which control a point belongs to, how presses become
// Clicks, and the Ctrl+A condition.
#include "controls.h"

#include <gtest/gtest.h>

#include <vector>

namespace glimvane::window {
namespace {

struct HitCase {
  Point p;
  Control expected;
};

class HitTestTable : public testing::TestWithParam<HitCase> {};

TEST_P(HitTestTable, FrontMostControlUnderThePoint) {
  EXPECT_EQ(HitTest(GetParam().p), GetParam().expected) << GetParam().p.x << "," << GetParam().p.y;
}

INSTANTIATE_TEST_SUITE_P(
    Layout, HitTestTable,
    testing::Values(
        // The hot-spots catch more than their glyphs; the gap between them is background.
        HitCase{{612, 6}, Control::Label2}, HitCase{{611, 5}, Control::Label2}, HitCase{{631, 23}, Control::Label2},
        HitCase{{661, 22}, Control::Label1}, HitCase{{638, 3}, Control::Label1}, HitCase{{662, 23}, Control::Label1},
        HitCase{{634, 12}, Control::Image1}, HitCase{{663, 12}, Control::Image1}, HitCase{{620, 24}, Control::Image1},
        // Buttons: both ends of each span belong to it, one past does not.
        HitCase{{249, 426}, Control::Image2}, HitCase{{353, 464}, Control::Image2}, HitCase{{354, 440}, Control::Image1},
        HitCase{{248, 440}, Control::Image1}, HitCase{{384, 426}, Control::Image4}, HitCase{{488, 464}, Control::Image4},
        HitCase{{519, 426}, Control::Image3}, HitCase{{623, 464}, Control::Image3}, HitCase{{571, 465}, Control::Image1},
        HitCase{{27, 441}, Control::Label3}, HitCase{{173, 480}, Control::Label3}, HitCase{{174, 441}, Control::Image1},
        // The title, the frame and the band under the panel are background.
        HitCase{{50, 20}, Control::Image1}, HitCase{{0, 0}, Control::Image1}, HitCase{{665, 484}, Control::Image1},
        HitCase{{300, 410}, Control::Image1},
        // Beyond the picture (a maximised window) is the window itself.
        HitCase{{666, 0}, Control::Form1}, HitCase{{0, 485}, Control::Form1}, HitCase{{900, 700}, Control::Form1},
        HitCase{{-1, 10}, Control::Form1}));

TEST(ControlLayer, NoTwoWindowlessControlsOverlapExceptOnTheBackground) {
  for (std::size_t i = 0; i < kWindowlessControls.size(); ++i) {
    for (std::size_t j = i + 1; j < kWindowlessControls.size(); ++j) {
      const Rect& a = kWindowlessControls[i].rect;
      const Rect& b = kWindowlessControls[j].rect;
      const bool overlap = a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
      if (kWindowlessControls[j].id != Control::Image1) {
        EXPECT_FALSE(overlap) << i << " " << j;
      }
    }
  }
  EXPECT_EQ(kWindowlessControls.back().id, Control::Image1);
}

TEST(ControlLayer, HandPointerOnlyOverTheLinkAndTheCopyButton) {
  for (Control c : {Control::Form1, Control::Image1, Control::Image2, Control::Image4, Control::Label1,
                    Control::Label2}) {
    EXPECT_FALSE(ShowsHandPointer(c));
  }
  EXPECT_TRUE(ShowsHandPointer(Control::Label3));
  EXPECT_TRUE(ShowsHandPointer(Control::Image3));
}

// ---- Routing ----

constexpr Point kOnImage2 = kImage2Rect.Centre();
constexpr Point kOnImage4 = kImage4Rect.Centre();
constexpr Point kOnLabel3 = kLabel3Rect.Centre();
constexpr Point kOnBackground{300, 410};
constexpr Point kOutside{800, 600};

using Kind = MouseEvent::Kind;

std::vector<MouseEvent> Clicks(const std::vector<Routing>& routings) {
  std::vector<MouseEvent> clicks;
  for (const Routing& r : routings) {
    if (r.event && r.event->kind == Kind::Click) clicks.push_back(*r.event);
  }
  return clicks;
}

TEST(MouseRouter, LeftPressAndReleaseOnOneControlIsOneClick) {
  MouseRouter router;
  const Routing down = router.ButtonDown(kOnImage2, kLeftButton, 0);
  ASSERT_TRUE(down.event);
  EXPECT_EQ(down.event->kind, Kind::MouseDown);
  EXPECT_EQ(down.event->control, Control::Image2);
  EXPECT_TRUE(down.setCapture);
  // Moving within the button between press and release keeps the click.
  router.Move({kOnImage2.x + 10, kOnImage2.y + 5}, 0);
  const Routing up = router.ButtonUp({kOnImage2.x + 10, kOnImage2.y + 5}, kLeftButton);
  EXPECT_TRUE(up.releaseCapture);
  ASSERT_TRUE(up.event);
  EXPECT_EQ(up.event->kind, Kind::Click);
  EXPECT_EQ(up.event->control, Control::Image2);
  // Nothing is left over for a later release.
  EXPECT_FALSE(router.ButtonUp(kOnImage2, kLeftButton).event);
}

struct PressCase {
  const char* name;
  Point press;
  int button;
  Point release;
  bool loseCaptureBetween;
};

class NoClick : public testing::TestWithParam<PressCase> {};

TEST_P(NoClick, PressWithoutAClick) {
  const PressCase& c = GetParam();
  MouseRouter router;
  std::vector<Routing> routings{router.ButtonDown(c.press, c.button, 0)};
  if (c.loseCaptureBetween) router.CaptureLost();
  routings.push_back(router.ButtonUp(c.release, c.button));
  EXPECT_TRUE(Clicks(routings).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoClick,
    testing::Values(PressCase{"ReleasedOnAnotherButton", kOnImage2, kLeftButton, kOnImage4, false},
                    PressCase{"ReleasedOutsideTheWindow", kOnImage2, kLeftButton, kOutside, false},
                    PressCase{"PressedBesideReleasedOn", kOnBackground, kLeftButton, kOnImage2, false},
                    PressCase{"RightButton", kOnImage2, kRightButton, kOnImage2, false},
                    PressCase{"MiddleButton", kOnLabel3, kMiddleButton, kOnLabel3, false},
                    // A drag handler releases the capture; the move loop eats the release.
                    PressCase{"CaptureTakenAway", kOnImage2, kLeftButton, kOnImage2, true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(MouseRouter, MouseDownCarriesItsButtonAndModifiers) {
  for (int button : {kLeftButton, kRightButton, kMiddleButton}) {
    MouseRouter router;
    const Routing down = router.ButtonDown(kOnBackground, button, kShiftBit | kAltBit);
    ASSERT_TRUE(down.event);
    EXPECT_EQ(down.event->control, Control::Image1);
    EXPECT_EQ(down.event->button, button);
    EXPECT_EQ(down.event->modifiers, kShiftBit | kAltBit);
  }
}

TEST(MouseRouter, WhileAButtonIsHeldEverythingGoesToThePressedControl) {
  MouseRouter router;
  router.ButtonDown(kOnImage2, kLeftButton, 0);
  const Routing move = router.Move(kOnLabel3, 0);
  ASSERT_TRUE(move.event);
  EXPECT_EQ(move.event->control, Control::Image2);  // not Label3: no hover colour while pressing elsewhere
  const Routing second = router.ButtonDown(kOnLabel3, kRightButton, 0);
  EXPECT_FALSE(second.setCapture);
  EXPECT_EQ(second.event->control, Control::Image2);
  // The capture stays until the last button is up.
  EXPECT_FALSE(router.ButtonUp(kOnLabel3, kRightButton).releaseCapture);
  const Routing up = router.ButtonUp(kOnImage2, kLeftButton);
  EXPECT_TRUE(up.releaseCapture);
  ASSERT_EQ(Clicks({up}).size(), 1u);
  // Afterwards movement belongs to what is under the pointer again.
  EXPECT_EQ(router.Move(kOnLabel3, 0).event->control, Control::Label3);
  EXPECT_EQ(router.Move(kOutside, 0).event->control, Control::Form1);
}

TEST(MouseRouter, ReleaseOfAButtonPressedElsewhereIsIgnored) {
  MouseRouter router;
  const Routing up = router.ButtonUp(kOnImage2, kLeftButton);
  EXPECT_FALSE(up.event);
  EXPECT_FALSE(up.releaseCapture);
}

// ---- Keys ----

struct KeyCase {
  unsigned key;
  int modifiers;
  bool selectsAll;
};

class SelectAllKey : public testing::TestWithParam<KeyCase> {};

TEST_P(SelectAllKey, OnlyCtrlAloneWithA) {
  EXPECT_EQ(IsSelectAllKey(GetParam().key, GetParam().modifiers), GetParam().selectsAll)
      << GetParam().key << " " << GetParam().modifiers;
}

INSTANTIATE_TEST_SUITE_P(Keys, SelectAllKey,
                         testing::Values(KeyCase{'A', kCtrlBit, true}, KeyCase{'A', 0, false},
                                         KeyCase{'A', kShiftBit, false}, KeyCase{'A', kCtrlBit | kShiftBit, false},
                                         KeyCase{'A', kCtrlBit | kAltBit, false},  // also AltGr
                                         KeyCase{'A', kAltBit, false},
                                         KeyCase{'A', kCtrlBit | kShiftBit | kAltBit, false},
                                         KeyCase{'B', kCtrlBit, false}, KeyCase{'a', kCtrlBit, false},
                                         KeyCase{0x41 + 0x100, kCtrlBit, false}));

TEST(Modifiers, BitsAreShiftCtrlAlt) {
  EXPECT_EQ(ModifierState(false, false, false), 0);
  EXPECT_EQ(ModifierState(true, false, false), 1);
  EXPECT_EQ(ModifierState(false, true, false), 2);
  EXPECT_EQ(ModifierState(false, false, true), 4);
  EXPECT_EQ(ModifierState(true, true, true), 7);
}

}  // namespace
}  // namespace glimvane::window
