"""The window as it is first shown: place, styles, text area, focus and
selection, the skin on screen, and what the program file carries (version
block, icon, hand pointer). Everything is read before any input reaches the
window."""

import re
import time
import unittest

from harness import (
    ES_AUTOHSCROLL, ES_MULTILINE, ES_READONLY, IMAGE2, IMAGE3, IMAGE4, LABEL1, LABEL2, LABEL3, PLACEHOLDER,
    SCREEN_HEIGHT, SCREEN_WIDTH, TEXT1, WINDOW_CAPTION, WINDOW_SIZE, WS_BORDER, WS_DLGFRAME, WS_EX_APPWINDOW,
    WS_EX_CLIENTEDGE, WS_EX_TOOLWINDOW, WS_HSCROLL, WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_POPUP, WS_SYSMENU,
    WS_THICKFRAME, WS_VSCROLL, Config, Pointer, Probe, WindowTestCase, centre, colour, rgb, session,
    windows_path)

FRAME, FILL, WHITE, PANEL_FRAME, SLATE = "#84B5D6", "#DBEEF7", "#FFFFFF", "#88C3F1", "#446F7E"
BUTTON_FRAME, GRADIENT_TOP, GRADIENT_BOTTOM, CAPTION_BLUE = "#98C4DF", "#D2EBF8", "#7EC6EC", 0x1B53FA

# Characteristic points of the skin, in window coordinates.
SKIN_POINTS = [
    ("frame corners and edges", FRAME, [(0, 0), (665, 0), (0, 484), (665, 484), (333, 0), (0, 242),
                                        (665, 242), (333, 484)]),
    ("fill: beside the title, under the panel, between the hot-spots, lowest band", FILL,
     [(1, 1), (400, 20), (5, 240), (660, 240), (200, 415), (634, 12), (333, 475), (240, 445)]),
    ("white panel margins around the text area and its empty field", WHITE,
     [(16, 44), (649, 44), (16, 399), (649, 399), (17, 220), (648, 220), (300, 398), (300, 300)]),
    ("panel frame", PANEL_FRAME, [(15, 43), (650, 43), (15, 400), (650, 400), (15, 220), (650, 220),
                                  (333, 43), (333, 400)]),
    ("minimise bar and close cross", SLATE,
     [(616, 13), (620, 13), (625, 13), (648, 12), (648, 13), (642, 8), (654, 8), (642, 17), (654, 17)]),
]
for name, (bx, by, bw, bh) in (("forward", IMAGE2), ("reverse", IMAGE4), ("copy", IMAGE3)):
    SKIN_POINTS += [
        (f"{name} button frame", BUTTON_FRAME,
         [(bx, by), (bx + bw - 1, by), (bx, by + bh - 1), (bx + bw - 1, by + bh - 1), (bx + 52, by),
          (bx, by + 19)]),
        (f"{name} button gradient, top row", GRADIENT_TOP, [(bx + 2, by + 1), (bx + 100, by + 1)]),
        (f"{name} button gradient, bottom row", GRADIENT_BOTTOM, [(bx + 2, by + 37), (bx + 100, by + 37)]),
    ]


def near(value, target, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(rgb(value), rgb(target)))


class FirstShowing(WindowTestCase):

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.info = cls.probe.window(text=True)  # before any input
        cls.pixels = cls.probe.region(*cls.info["rect"])
        cls.session.screenshot("first-showing", cls.info["rect"])

    def test_window_is_666_by_485_centred_borderless_with_its_caption(self):
        info = self.info
        x, y, w, h = info["rect"]
        self.assertEqual((w, h), WINDOW_SIZE)
        self.assertEqual(info["client"], [0, 0, *WINDOW_SIZE], "the whole window is client area")
        self.assertLessEqual(abs(x - (SCREEN_WIDTH - w) // 2), 1, f"left {x}")
        self.assertLessEqual(abs(y - (SCREEN_HEIGHT - h) // 2), 1, f"top {y}")
        self.assertEqual(info["caption"], WINDOW_CAPTION)
        self.assertIn(WINDOW_CAPTION, self.session.windows_listed(), "the X server's view")
        style = info["style"]
        self.assertTrue(style & WS_POPUP, hex(style))
        # WS_CAPTION is WS_BORDER | WS_DLGFRAME: neither half may be there.
        for bit, name in ((WS_BORDER, "WS_BORDER"), (WS_DLGFRAME, "WS_DLGFRAME"),
                          (WS_THICKFRAME, "WS_THICKFRAME")):
            self.assertFalse(style & bit, f"{name} in {style:#x}")
        self.assertTrue(info["visible"] and not info["iconic"] and not info["zoomed"])

    def test_load_added_system_menu_and_boxes(self):
        wanted = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX
        self.assertEqual(self.info["style"] & wanted, wanted, f"{self.info['style']:#x}")

    def test_window_has_a_taskbar_button_and_an_icon(self):
        # The taskbar shows unowned top-level windows that are not tool
        # windows, and any window marked WS_EX_APPWINDOW.
        info = self.info
        exstyle = info["exstyle"]
        self.assertFalse(exstyle & WS_EX_TOOLWINDOW, f"{exstyle:#x}")
        self.assertTrue(exstyle & WS_EX_APPWINDOW or (info["owner"] == 0 and info["parent"] == 0),
                        f"owner {info['owner']}, exstyle {exstyle:#x}")
        # What a taskbar reads from the X server: a normal window, not kept
        # off the taskbar, with the program icon.
        props = self.session.x_window_properties(WINDOW_CAPTION)
        self.assertIsNotNone(props, "an X window named Glimvane")
        self.assertRegex(props, r"_NET_WM_WINDOW_TYPE\(ATOM\) = _NET_WM_WINDOW_TYPE_NORMAL")
        self.assertNotIn("_NET_WM_STATE_SKIP_TASKBAR", props)
        icons = set(re.findall(r"Icon \((\d+) x (\d+)\)", props))
        self.assertTrue({("16", "16"), ("32", "32")} <= icons, f"window icons {sorted(icons)}")

    def test_text_area_is_the_one_borderless_wrapping_edit_without_limit(self):
        info = self.info
        self.assertEqual(info["edit_count"], 1)
        edit = info["edit"]
        self.assertEqual(edit["rect"], list(TEXT1))
        style = edit["style"]
        self.assertTrue(style & ES_MULTILINE, f"{style:#x}")
        self.assertTrue(style & WS_VSCROLL, f"{style:#x}")
        for bit, name in ((WS_HSCROLL, "WS_HSCROLL"), (ES_AUTOHSCROLL, "ES_AUTOHSCROLL"),
                          (WS_BORDER, "WS_BORDER"), (ES_READONLY, "ES_READONLY")):
            self.assertFalse(style & bit, f"{name} in {style:#x}")
        self.assertFalse(edit["exstyle"] & WS_EX_CLIENTEDGE, f"{edit['exstyle']:#x}")
        self.assertGreaterEqual(edit["limit"], edit["limit_maximum"],
                                "the text limit is the largest the platform allows")

    def test_focus_in_text_area_with_placeholder_selected(self):
        edit = self.info["edit"]
        self.assertEqual(self.info["focus"], edit["hwnd"], "focus is in Text1")
        self.assertTrue(self.info["foreground"], "the window is active")
        self.assertEqual(edit["text"], PLACEHOLDER)
        self.assertEqual(edit["sel"], [0, 10])

    def test_skin_on_screen(self):
        ox, oy = self.info["rect"][:2]
        for name, expected, points in SKIN_POINTS:
            with self.subTest(name):
                seen = self.probe.pixels([(ox + x, oy + y) for x, y in points])
                wrong = [(p, c) for p, c in zip(points, seen) if c != expected]
                self.assertEqual(wrong, [], f"{name}: expected {expected}")

    def test_button_captions_are_strong_blue(self):
        for name, (bx, by, bw, bh) in (("forward", IMAGE2), ("reverse", IMAGE4), ("copy", IMAGE3)):
            with self.subTest(name):
                caption_rows = [row[bx:bx + bw] for row in self.pixels[by + 12:by + 27]]
                blue = [p for row in caption_rows for p in row if near(p, CAPTION_BLUE, 0x18)]
                self.assertGreater(len(blue), 30, "caption pixels in #1B53FA")

    def test_link_label_dark_grey_on_fill(self):
        x, y, w, h = LABEL3
        box = [row[x:x + w] for row in self.pixels[y:y + h]]
        ink = [(cx, cy) for cy, row in enumerate(box) for cx, p in enumerate(row) if p != 0xDBEEF7]
        self.assertGreater(len(ink), 20, "the caption Orvanthe is drawn")
        self.assertTrue(all(cy < 18 for _, cy in ink), "drawn from the top of its box")
        darkest = min((box[cy][cx] for cx, cy in ink), key=lambda p: sum(rgb(p)))
        self.assertTrue(near(darkest, 0x404040, 0x14), f"text colour {colour(darkest)}, not #404040")
        greyish = all(max(rgb(box[cy][cx])) - min(rgb(box[cy][cx])) <= 0x30 for cx, cy in ink
                      if sum(rgb(box[cy][cx])) < 0x180)
        self.assertTrue(greyish, "no coloured text pixels before any hover")


class Pointers(WindowTestCase):
    """The pointer the screen shows over each part of a fresh window."""

    def test_hand_over_copy_button_and_link_arrow_elsewhere_text_cursor_in_text_area(self):
        pointer = Pointer(self.session)
        self.addCleanup(pointer.close)
        origin = self.rect()

        def over(point):
            self.input.move(*self.at(*point, origin=origin))
            # The pointer changes when the program answers the move.
            time.sleep(0.3)
            self.probe.window()
            return pointer.image()

        # Label3 last: a move over it changes the window's own pointer setting.
        arrow_points = [("background", (333, 412)), ("title", (80, 18)), ("forward", centre(IMAGE2)),
                        ("reverse", centre(IMAGE4)), ("minimise", centre(LABEL2)), ("close", centre(LABEL1))]
        arrows = {name: over(point) for name, point in arrow_points}
        text_cursor = over(centre(TEXT1))
        hands = {"copy": over(centre(IMAGE3)), "link": over((LABEL3[0] + 10, LABEL3[1] + 6))}

        arrow = arrows["background"]
        for name, image in arrows.items():
            self.assertEqual(image, arrow, f"the standard arrow over the {name}")
        self.assertNotEqual(text_cursor, arrow, "the text cursor over the text area")
        for name, image in hands.items():
            with self.subTest(name):
                width, height, hot_spot, rows = image
                self.assertEqual((width, height, hot_spot), (32, 32, (6, 0)), "the hand pointer")
                opaque = [(x, y, p) for y, row in enumerate(rows) for x, p in enumerate(row) if p >> 24]
                self.assertTrue(all(x < 17 and y < 22 for x, y, _ in opaque), "within the top-left 17 x 22")
                colours = {p & 0xFFFFFF for _, _, p in opaque}
                self.assertEqual(colours, {0x000000, 0xFFFFFF}, "a white hand with a black outline")
        self.assertEqual(hands["copy"], hands["link"], "one and the same pointer")


class ProgramFile(unittest.TestCase):
    """The resources of Glimvane.exe, read back through the Win32 API."""

    @classmethod
    def setUpClass(cls):
        cls.probe = Probe(session())
        cls.version = cls.probe("version", windows_path(Config.exe))
        cls.resources = cls.probe("resources", windows_path(Config.exe))

    def test_version_block(self):
        version = self.version
        self.assertTrue(version["present"])
        fixed = version["fixed"]
        self.assertEqual(fixed["signature"], 0xFEEF04BD)
        self.assertEqual(fixed["file_version"], [1, 0, 0, 0])
        self.assertEqual(fixed["product_version"], [1, 0, 0, 0])
        self.assertEqual(fixed["os"], 0x40004, "VOS_NT_WINDOWS32")
        self.assertEqual(fixed["type"], 1, "VFT_APP")
        self.assertEqual(fixed["flags"] & fixed["flags_mask"], 0, "no flags")
        self.assertEqual(version["translations"], [[0x0804, 0x04B0]])
        strings = version["strings_080404B0"]
        for key, value in (("FileVersion", "1.00"), ("ProductVersion", "1.00"),
                           ("InternalName", "Glimvane"), ("OriginalFilename", "Glimvane.exe")):
            self.assertEqual(strings.get(key), value, key)
        for key in ("CompanyName", "ProductName"):
            self.assertTrue(strings.get(key), f"{key} present and not empty")

    def test_program_icon_has_the_seven_images(self):
        groups = self.resources["icon_groups"]
        self.assertTrue(groups, "an icon group")
        images = sorted((i["width"], i["height"], i["bit_count"]) for i in groups[0]["images"])
        expected = sorted([(16, 16, 8), (24, 24, 8), (32, 32, 8),
                           (16, 16, 32), (24, 24, 32), (32, 32, 32), (48, 48, 32)])
        self.assertEqual(images, expected)

    def test_hand_pointer_is_32_square_monochrome_with_hot_spot_6_0(self):
        cursors = [image for group in self.resources["cursor_groups"] for image in group["images"]]
        self.assertEqual(len(cursors), 1, cursors)
        cursor = cursors[0]
        self.assertEqual((cursor["width"], cursor["height"], cursor["bit_count"]), (32, 32, 1))
        self.assertEqual(cursor["hotspot"], [6, 0])


if __name__ == "__main__":
    unittest.main()
