"""The window's behaviour under real input: dragging, the hot-spots, the
conversion and copy buttons, select-all, the link and its hover colour, and a
text of several MiB.

The pointer and the keys come from xdotool, the X clipboard from xclip. There
is no window manager or taskbar on the test display, so the commands that a
user gives through the taskbar button's window menu (Close, Maximise,
Restore) are posted by the probe as the WM_SYSCOMMAND that the menu sends."""

import os
import time
import unittest

from harness import (
    IMAGE2, IMAGE3, IMAGE4, LABEL1, LABEL2, LABEL3, PLACEHOLDER, SCREEN_HEIGHT, SCREEN_WIDTH, TEXT1,
    WINDOW_CAPTION, WindowTestCase, centre, colour, convert, rgb, site_url, wait_until)

PLACEHOLDER_FORWARD = "埥瀭叺濡婹啭換哋妏牸"

# Several lines with table characters (shared targets among them), ASCII,
# full-width punctuation and characters that no row touches.
MULTI_LINE = ("的地一国在人了有中是年和大业\n"
              "Glimvane 1.0: ABC abc 123，。！？\n"
              "\n"
              "我们在这里说的话，还是要经过转换才行。\n"
              "末行没有换行符")

LEFT, MIDDLE, RIGHT = 1, 2, 3  # X button numbers

# Points of the background picture (Image1): the title area, the frame, the
# band under the text panel, beside the buttons, and the 6 px between the two
# hot-spots.
BACKGROUND_POINTS = [(80, 18), (1, 240), (333, 412), (200, 445), (634, 12)]


def crlf(text):
    """Text as the edit control holds it: every line break as CR LF."""
    return text.replace("\r\n", "\n").replace("\n", "\r\n")


class Dragging(WindowTestCase):

    def drag(self, start, offset, button=LEFT, modifier=None):
        """Presses at window point start, moves by offset in steps and
        releases. Returns (rect while held, rect after release)."""
        before = self.rect()
        x, y = self.at(*start, origin=before)
        if modifier:
            self.input.key_down(modifier)
        try:
            self.input.press(x, y, button)
            steps = 5
            for i in range(1, steps + 1):
                self.input.move(x + offset[0] * i // steps, y + offset[1] * i // steps)
            self.settle()
            held = self.rect()
            self.input.release(button)
        finally:
            if modifier:
                self.input.key_up(modifier)
        self.settle()
        return before, held, self.rect()

    def test_left_press_on_background_drags_by_the_pointers_offset(self):
        for modifier in (None, "shift", "ctrl", "alt"):
            for point in BACKGROUND_POINTS if modifier is None else BACKGROUND_POINTS[:1]:
                with self.subTest(modifier=modifier, point=point):
                    before, held, after = self.drag(point, (40, 25), modifier=modifier)
                    expected = [before[0] + 40, before[1] + 25, *before[2:]]
                    self.assertEqual(held, expected, "the window follows the pointer during the drag")
                    self.assertEqual(after, expected, "and stays where it was let go")
                    # Back to where it was, by another drag.
                    _, _, back = self.drag(point, (-40, -25), modifier=modifier)
                    self.assertEqual(back, before)

    def test_right_and_middle_presses_do_not_drag(self):
        for button in (RIGHT, MIDDLE):
            with self.subTest(button=button):
                before, held, after = self.drag((333, 412), (40, 25), button=button)
                self.assertEqual(held, before)
                self.assertEqual(after, before)

    def test_presses_on_controls_do_not_drag(self):
        # Moves stay inside each control, so a release there may click it;
        # the close hot-spot is left out (tested below, it ends the program).
        controls = [("forward", IMAGE2), ("reverse", IMAGE4), ("copy", IMAGE3), ("link", LABEL3),
                    ("minimise", LABEL2), ("text area", TEXT1)]
        for name, (x, y, w, h) in controls:
            with self.subTest(name):
                self.normalise()
                before, held, _ = self.drag((x + 2, y + 2), (w - 5, h - 5))
                self.assertEqual(held, before, f"a press on the {name} moved the window")

    def test_close_hot_spot_press_does_not_drag(self):
        # Press and release both fall inside Label1, which makes a click:
        # the window must not have moved while the button was held, and the
        # release ends the program.
        x, y, w, h = LABEL1
        before = self.rect()
        self.input.press(*self.at(x + 1, y + 1, origin=before))
        self.input.move(*self.at(x + w - 2, y + h - 2, origin=before))
        self.settle()
        held = self.probe.window()
        self.input.release()
        self.assertTrue(held["found"], "the press alone ended the program")
        self.assertEqual(held["rect"], before)
        self.app.wait_exit()


class HotSpots(WindowTestCase):

    def test_minimise_hot_spot_acts_over_its_whole_box(self):
        # Label2 is x 611-631, y 5-23, larger than the bar it lies over.
        for point in [(612, 6), (611, 5), (631, 23), (621, 13)]:
            with self.subTest(point=point):
                self.normalise()
                self.click_window(*point)
                wait_until(lambda: self.probe.window()["iconic"], what="the window to be minimised")
                self.assertTrue(self.app.running())
                # Back through the window menu's Restore (no taskbar here).
                self.probe.syscommand("restore")
                info = wait_until(lambda: self.window_if(lambda w: not w["iconic"]),
                                  what="the window to be restored")
                self.assertTrue(info["visible"])
                self.assertEqual(info["rect"][2:], [666, 485])

    def test_between_the_hot_spots_is_background(self):
        # (634, 12) lies between the two boxes: a click neither minimises nor
        # closes, and a press there drags the window.
        before = self.rect()
        self.click_window(634, 12)
        self.settle()
        info = self.probe.window()
        self.assertTrue(self.app.running())
        self.assertFalse(info["iconic"])
        self.assertEqual(info["rect"], before)
        dragging = Dragging.drag
        _, held, after = dragging(self, (634, 12), (30, 20))
        self.assertEqual(held[:2], [before[0] + 30, before[1] + 20])
        dragging(self, (634, 12), (-30, -20))


class Ending(WindowTestCase):
    """Each test ends the program; the next one starts it again."""

    fresh_per_test = True

    def assert_ends(self):
        self.app.wait_exit(timeout=10)
        wait_until(lambda: not self.probe.window()["found"], what="the window to be gone")
        self.assertNotIn(WINDOW_CAPTION, self.session.windows_listed())

    def test_close_hot_spot_ends_the_program_at_once(self):
        # Label1 is x 638-662, y 3-23; (661, 22) is near its far corner.
        for point in [(661, 22), (638, 3), (650, 12)]:
            with self.subTest(point=point):
                self.paste_text("没有保存的文字")  # nothing is asked about unsaved text
                self.click_window(*point)
                self.assert_ends()
                self.setUp()

    def test_close_from_the_window_menu_ends_the_program(self):
        # The window menu of the taskbar button sends SC_CLOSE; with no
        # taskbar on this display the probe posts it.
        self.probe.syscommand("close")
        self.assert_ends()


class Converting(WindowTestCase):

    def click_button(self, button):
        self.click_window(*centre(button))

    def test_forward_and_reverse(self):
        cases = [
            # name, text to set (None: the placeholder as shown), button, expected
            ("placeholder forward", None, IMAGE2, PLACEHOLDER_FORWARD),
            ("placeholder reverse", None, IMAGE4, PLACEHOLDER),
            ("empty forward", "", IMAGE2, ""),
            ("empty reverse", "", IMAGE4, ""),
            ("multi-line forward", MULTI_LINE, IMAGE2, crlf(convert("forward", MULTI_LINE))),
            ("multi-line reverse of forward", convert("forward", MULTI_LINE), IMAGE4,
             crlf(convert("reverse", convert("forward", MULTI_LINE)))),
        ]
        for name, text, button, expected in cases:
            with self.subTest(name):
                if text is None:
                    type(self).app = self.session.launch()
                else:
                    self.paste_text(text)
                before = self.probe.text()
                self.click_button(button)
                if expected == before:
                    self.settle()
                    self.assertEqual(self.probe.text(), expected)
                else:
                    self.wait_text(expected)
                info = self.probe.window()
                self.assertEqual(info["focus"], info["edit"]["hwnd"], "focus stays in the text area")

    def test_forward_then_reverse_as_the_library_defines(self):
        self.paste_text(MULTI_LINE)
        forward = crlf(convert("forward", MULTI_LINE))
        self.click_button(IMAGE2)
        self.wait_text(forward)
        self.click_button(IMAGE4)
        self.wait_text(crlf(convert("reverse", convert("forward", MULTI_LINE))))


    def test_characters_outside_the_code_page_survive_the_buttons(self):
        # An emoji, a supplementary-plane ideograph and a check mark have no
        # place in code page 936. The probe reads the text area through that
        # code page, so the text is read back through a copy's CF_UNICODETEXT.
        text = "\U0001F600的\U00020000国\u2713"
        forward = "\U0001F600哋\U00020000國\u2713"

        def copied_is(expected):
            self.click_button(IMAGE3)
            return self.probe.clipboard()["unicode"] == expected

        self.clear_text()
        self.input.set_x_clipboard(text)
        self.input.key("ctrl+v")
        wait_until(lambda: copied_is(text), timeout=30, what="the pasted text")
        self.click_button(IMAGE2)
        wait_until(lambda: copied_is(forward), timeout=30, what="the forward conversion")
        self.click_button(IMAGE4)
        wait_until(lambda: copied_is(text), timeout=30, what="the reverse conversion")


class Copying(WindowTestCase):

    def copy(self):
        self.click_window(*centre(IMAGE3))

    def test_copy_replaces_every_format_with_the_text(self):
        for name, text in (("placeholder", None), ("multi-line", MULTI_LINE)):
            with self.subTest(name):
                if text is None:
                    type(self).app = self.session.launch()
                else:
                    self.paste_text(text)
                shown = self.probe.window(text=True)["edit"]
                self.probe.put_bitmap()
                self.assertTrue(self.probe.clipboard()["has_bitmap"], "fixture: a picture on the clipboard")
                self.copy()
                board = wait_until(lambda: self.clipboard_if(lambda c: c["text"] is not None),
                                   what="text on the clipboard")
                self.assertFalse(board["has_bitmap"], f"the picture survived: formats {board['formats']}")
                self.assertEqual(board["text"], shown["text"], "CF_TEXT")
                self.assertEqual(board["unicode"], shown["text"], "CF_UNICODETEXT")
                # Wine offers the text to X a moment later.
                x_forms = (shown["text"], shown["text"].replace("\r\n", "\n"))
                try:
                    wait_until(lambda: self.input.x_clipboard() in x_forms, timeout=5, what="the X clipboard")
                except TimeoutError:
                    self.assertIn(self.input.x_clipboard(), x_forms, "X clipboard")
                window = self.probe.window(text=True)
                after = window["edit"]
                self.assertEqual((after["text"], after["sel"]), (shown["text"], shown["sel"]),
                                 "text and selection stay as they were")
                self.assertEqual(window["focus"], after["hwnd"], "focus stays in the text area")

    def test_copy_of_an_empty_text_still_empties_the_clipboard(self):
        self.clear_text()
        self.probe.put_bitmap()
        self.copy()
        wait_until(lambda: not self.probe.clipboard()["has_bitmap"], what="the picture to be gone")
        board = self.probe.clipboard()
        self.assertIn(board["text"], (None, ""))

    def test_copy_while_another_program_holds_the_clipboard(self):
        # A sound program survives a clipboard it cannot open: it says so in
        # a message box of its own and changes nothing.
        self.paste_text(MULTI_LINE)
        self.probe.put_bitmap()
        before_board = self.probe.clipboard()
        before = self.probe.window(text=True)["edit"]["text"]
        holder = self.probe.hold_clipboard(6000)
        try:
            self.copy()
            dialogs = wait_until(self.probe.dialogs, timeout=15, what="a message box owned by the window")
            self.assertEqual(len(dialogs), 1)
            box = dialogs[0]
            self.session.screenshot("clipboard-busy-message")
            self.assertEqual(box["caption"], WINDOW_CAPTION)
            texts = [c["text"] for c in box["children"] if c["class"].lower() == "static" and c["text"]]
            self.assertTrue(texts, "the message box says something")
            buttons = [c for c in box["children"] if c["class"].lower() == "button" and c["visible"]]
            self.assertTrue(buttons)
            # Dismissed by a real click on its button.
            bx, by, bw, bh = buttons[0]["screen_rect"]
            self.input.click(bx + bw // 2, by + bh // 2)
            wait_until(lambda: not self.probe.dialogs(), what="the message box to close")
        finally:
            holder.wait(timeout=30)
        self.assertTrue(self.app.running(), "the program survived")
        self.assertEqual(self.probe.text(), before, "the text is unchanged")
        after_board = self.probe.clipboard()
        self.assertEqual(after_board["formats"], before_board["formats"], "the clipboard is as it was")
        self.assertTrue(after_board["has_bitmap"])


class SelectAll(WindowTestCase):

    def selection(self):
        return self.probe.window()["edit"]["sel"]

    def caret_to_end(self, text):
        self.paste_text(text)
        self.input.key("ctrl+End")
        end = len(crlf(text))
        wait_until(lambda: self.selection() == [end, end], what="the caret at the end")
        return end

    def test_ctrl_a_selects_everything_and_counts_line_breaks_as_two(self):
        for name, text, length in (("ten Chinese characters", PLACEHOLDER, 10),
                                   ("two lines", "第一行\n第二行", 8),
                                   ("empty lines", "a\n\n\nb", 8)):
            with self.subTest(name):
                self.caret_to_end(text)
                self.input.key("ctrl+a")
                wait_until(lambda: self.selection() == [0, length], what=f"selection 0..{length}")

    def test_ctrl_a_with_caps_lock_on_selects(self):
        end = self.caret_to_end("大写锁定")
        self.input.key("Caps_Lock")
        try:
            self.input.key("ctrl+a")
            wait_until(lambda: self.selection() == [0, end], what="everything selected")
        finally:
            self.input.key("Caps_Lock")

    def test_other_a_chords_do_not_select(self):
        cases = [
            # keys, text expected afterwards (after "abc" with the caret at the end)
            ("a", "abca"),
            ("shift+a", "abcA"),
            ("ctrl+shift+a", None),
            ("ctrl+alt+a", None),
        ]
        for keys, typed in cases:
            with self.subTest(keys):
                end = self.caret_to_end("abc")
                self.input.key(keys)
                self.settle()
                info = self.probe.window(text=True)["edit"]
                self.assertNotEqual(info["sel"], [0, end], "selected everything")
                if typed:
                    self.assertEqual(info["text"], typed)
                    self.assertEqual(info["sel"], [end + 1, end + 1])

    def test_enter_starts_a_new_line(self):
        self.caret_to_end("第一行")
        self.input.key("Return")
        self.input.type("b")
        self.wait_text("第一行\r\nb")

    def test_ctrl_a_on_an_empty_text_selects_nothing_at_zero(self):
        self.clear_text()
        self.input.key("ctrl+a")
        self.settle()
        self.assertEqual(self.selection(), [0, 0])


class Link(WindowTestCase):

    def setUp(self):
        super().setUp()
        self.log = self.session.open_log
        if os.path.exists(self.log):
            os.remove(self.log)

    def test_link_opens_the_companion_website_and_leaves_the_window(self):
        for name, browser_works in (("with a browser", True), ("when the browser fails", False)):
            with self.subTest(name):
                if os.path.exists(self.log):
                    os.remove(self.log)
                if browser_works:
                    if os.path.exists(self.session.browser_fails):
                        os.remove(self.session.browser_fails)
                else:
                    open(self.session.browser_fails, "w").close()
                    self.addCleanup(os.remove, self.session.browser_fails)
                self.paste_text("链接")
                before = self.probe.window(text=True)
                self.click_window(LABEL3[0] + 20, LABEL3[1] + 7)
                wait_until(lambda: os.path.exists(self.log) and open(self.log).read().strip(), timeout=30,
                           what="the stub browser to be called")
                with open(self.log) as f:
                    addresses = f.read().split()
                url = site_url()
                self.assertEqual(len(addresses), 1, addresses)
                self.assertIn(addresses[0], (url, url + "/"))
                self.settle()
                after = self.probe.window(text=True)
                self.assertTrue(self.app.running())
                for key in ("rect", "iconic", "zoomed", "visible"):
                    self.assertEqual(after[key], before[key], key)
                self.assertEqual(after["edit"]["text"], before["edit"]["text"])
                self.assertEqual(after["focus"], after["edit"]["hwnd"], "focus stays in the text area")
                self.assertEqual(self.probe.dialogs(), [], "the window shows nothing of its own")


class Hover(WindowTestCase):
    """The link's text colour, read from the screen."""

    fresh_per_test = True

    def ink_is(self, kind):
        ink = self.link_ink()
        if not ink:
            return False
        darkest = min(ink, key=lambda p: sum(rgb(p)))
        r, g, b = rgb(darkest)
        if kind == "blue":
            return b >= 0xE0 and r <= 0x30 and g <= 0x30
        if kind == "black":
            return max(r, g, b) <= 0x18
        return False

    def wait_ink(self, kind):
        try:
            wait_until(lambda: self.ink_is(kind), timeout=5, what=f"{kind} link text")
        except TimeoutError:
            ink = self.link_ink()
            darkest = colour(min(ink, key=lambda p: sum(rgb(p)))) if ink else None
            self.fail(f"link text not {kind}: darkest pixel {darkest}")

    def move_window(self, x, y):
        self.input.move(*self.at(x, y))

    def test_link_turns_blue_and_stays_blue_over_every_control(self):
        self.move_window(LABEL3[0] + 10, LABEL3[1] + 6)
        self.wait_ink("blue")
        for name, point in (("background", (333, 412)), ("title", (80, 18)), ("forward", centre(IMAGE2)),
                            ("copy", centre(IMAGE3)), ("reverse", centre(IMAGE4)),
                            ("minimise", centre(LABEL2)), ("close", centre(LABEL1)),
                            ("text area", centre(TEXT1)), ("frame", (0, 300))):
            with self.subTest(name):
                self.move_window(*point)
                self.move_window(point[0] + 1, point[1])
                self.settle()
                self.assertTrue(self.ink_is("blue"), f"not blue after a move over the {name}")

    def test_maximised_window_bare_surface_turns_link_black(self):
        # Without a window manager a maximised window reaches the screen only
        # when Wine places its windows itself.
        self.session.set_wine_managed(False)
        try:
            type(self).app = self.session.launch()
        finally:
            self.session.set_wine_managed(True)
        self.move_window(LABEL3[0] + 10, LABEL3[1] + 6)
        self.wait_ink("blue")
        self.probe.syscommand("maximize")
        info = wait_until(lambda: self.window_if(lambda w: w["zoomed"]), what="the window to be maximised")
        self.assertEqual(info["rect"], [0, 0, SCREEN_WIDTH, SCREEN_HEIGHT])
        self.assertEqual(self.probe.window()["edit"]["rect"], list(TEXT1), "controls keep their place")
        # Beyond the picture the window shows the system's window colour.
        self.session.screenshot("maximised")
        bare = (800, 600)
        self.assertEqual(self.probe.pixels([bare])[0], "#FFFFFF")
        self.input.move(*bare)
        self.input.move(bare[0] + 5, bare[1] + 5)
        self.wait_ink("black")
        # Back over the label it turns blue again.
        self.move_window(LABEL3[0] + 10, LABEL3[1] + 6)
        self.wait_ink("blue")
        self.probe.syscommand("restore")
        wait_until(lambda: not self.probe.window()["zoomed"], what="the window to be restored")


class LargeText(WindowTestCase):
    """A text of several MiB, pasted through the clipboard and converted by
    real clicks."""

    def test_several_mib_forward_and_back(self):
        line = "的地一国在人了有中是年和大业不为发会工经上市要个产这出行作生家以成到日民来我部对进多全建"
        text = "\n".join(f"{i:06d}{line}" for i in range(40000))  # about 5.6 MiB UTF-8, 3.7 MiB GBK
        forward = crlf(convert("forward", text))
        back = crlf(convert("reverse", convert("forward", text)))
        self.clear_text()
        started = time.monotonic()
        self.input.set_x_clipboard(text)
        self.input.key("ctrl+v")
        expected_length = len(crlf(text).encode("gbk"))
        lengths = []

        def pasted_in_full():
            lengths.append(self.probe.window()["edit"]["length"])
            return lengths[-1] == expected_length
        wait_until(pasted_in_full, timeout=120,
                   what=lambda: f"the large text to be pasted ({expected_length} bytes; the text area "
                                f"held {lengths[-1]})")
        pasted = time.monotonic() - started
        out = os.path.join(self.session.out_dir, "large.txt")
        for button, expected in ((IMAGE2, forward), (IMAGE4, back)):
            self.click_window(*centre(button))
            # The probe's read waits while the program is busy converting.
            wait_until(lambda: expected.startswith(self.probe.head(200)), timeout=180,
                       what="the conversion of the large text")
            self.assertTrue(self.app.running())
            self.probe.text_to(out)
            with open(out, encoding="utf-8", newline="") as f:
                self.assertTrue(f.read() == expected, "the whole text as the library defines")
        print(f"[{len(text.encode('utf-8')) / 2**20:.1f} MiB pasted in {pasted:.1f} s] ", end="")


if __name__ == "__main__":
    unittest.main()
