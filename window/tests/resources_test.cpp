// The resources as they land in a program file (this test program links
// the same resource object as Glimvane.exe): the version block and the
// pictures at their sizes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource_ids.h"

namespace {

std::vector<unsigned char> OwnVersionBlock() {
  wchar_t path[MAX_PATH];
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  DWORD ignored = 0;
  std::vector<unsigned char> block(::GetFileVersionInfoSizeW(path, &ignored));
  if (block.empty() || !::GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data())) return {};
  return block;
}

std::wstring StringValue(std::vector<unsigned char>& block, const std::wstring& name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring key = L"\\StringFileInfo\\080404B0\\" + name;
  if (!::VerQueryValueW(block.data(), key.c_str(), &value, &length) || !value) return L"<missing>";
  return static_cast<const wchar_t*>(value);
}

TEST(VersionBlock, FixedPart) {
  std::vector<unsigned char> block = OwnVersionBlock();
  ASSERT_FALSE(block.empty());
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileFlags, 0u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST(VersionBlock, OneChineseStringBlock) {
  std::vector<unsigned char> block = OwnVersionBlock();
  ASSERT_FALSE(block.empty());
  WORD* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0804);
  EXPECT_EQ(translation[1], 0x04B0);
  EXPECT_EQ(StringValue(block, L"FileVersion"), L"1.00");
  EXPECT_EQ(StringValue(block, L"ProductVersion"), L"1.00");
  EXPECT_EQ(StringValue(block, L"InternalName"), L"Glimvane");
  EXPECT_EQ(StringValue(block, L"OriginalFilename"), L"Glimvane.exe");
  EXPECT_NE(StringValue(block, L"CompanyName"), L"<missing>");
  EXPECT_NE(StringValue(block, L"ProductName"), L"<missing>");
}

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
