// The pictures as they land in a program file (this test program links the
// same resource object as Glimvane.exe): the skin at its natural sizes and
// the pointer with its hot spot, loaded the way Form1 loads them.
#include <windows.h>

#include <gtest/gtest.h>

#include "resource_ids.h"

namespace {

TEST(Pictures, LoadAtTheirNaturalSizes) {
  struct Case {
    int id;
    LONG width, height;
  };
  for (const Case& c : {Case{IDB_BACKGROUND, 666, 485}, Case{IDB_BUTTON_FORWARD, 105, 39},
                        Case{IDB_BUTTON_REVERSE, 105, 39}, Case{IDB_BUTTON_COPY, 105, 39}}) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(c.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr) << c.id;
    BITMAP info{};
    ::GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, c.width) << c.id;
    EXPECT_EQ(info.bmHeight, c.height) << c.id;
    EXPECT_EQ(info.bmBitsPixel, 32) << c.id;
    ::DeleteObject(bitmap);
  }
  ICONINFO hot{};
  HCURSOR hand = static_cast<HCURSOR>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_POINTER), IMAGE_CURSOR, 0, 0, 0));
  ASSERT_NE(hand, nullptr);
  ASSERT_TRUE(::GetIconInfo(hand, &hot));
  EXPECT_EQ(hot.xHotspot, 6u);
  EXPECT_EQ(hot.yHotspot, 0u);
  if (hot.hbmMask) ::DeleteObject(hot.hbmMask);
  if (hot.hbmColor) ::DeleteObject(hot.hbmColor);
  ::DestroyCursor(hand);
  EXPECT_NE(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_GLIMVANE), IMAGE_ICON, 48, 48, LR_SHARED),
            nullptr);
}

}  // namespace
