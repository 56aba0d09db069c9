"""The end-to-end harness: a virtual display, a Wine session, Glimvane under
test, real input from outside and the probe that reads the window back.

One Session per run: it starts Xvfb on a free display (no window manager),
boots the Wine prefix with a persistent wineserver before any program runs,
and ends everything it started, also when the run is interrupted or killed
(a watchdog process cleans up if this process dies without doing so).

Input is real: the pointer and the keyboard through xdotool (XTEST), the X
clipboard through xclip. The probe (glimvane_probe.exe) only reads the window,
the clipboard, the screen and the program file through the Win32 API, and
does the few things that real input cannot reach here (see Probe).
"""

import ctypes
import json
import os
import re
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_ROOT = os.path.abspath(os.path.join(HERE, "..", "..", ".."))

SCREEN_WIDTH, SCREEN_HEIGHT = 1024, 768
WINDOW_CAPTION = "Glimvane"


class Config:
    """Paths given on the command line (see run_e2e.py)."""

    exe = None
    probe = None
    helper = None
    out_dir = None  # where screenshots, logs and the Wine prefix go


def wait_until(condition, timeout=10.0, interval=0.05, what="condition"):
    """Polls condition() until it returns a true value, which it returns.
    what names the awaited thing in the error; it may be a function, called
    only then, to describe what was seen."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutError(f"timed out after {timeout:.0f} s waiting for "
                               f"{what() if callable(what) else what}")
        time.sleep(interval)


def site_url():
    """The companion website's address, as the program's own header gives it."""
    with open(os.path.join(SOURCE_ROOT, "window", "app_info.h"), encoding="utf-8") as f:
        match = re.search(r'#define\s+GLIMVANE_SITE_URL\s+"([^"]+)"', f.read())
    if not match:
        raise RuntimeError("GLIMVANE_SITE_URL not found in window/app_info.h")
    return match.group(1)


def convert(direction, text):
    """The conversion library's result for text (direction forward or reverse)."""
    result = subprocess.run([Config.helper, direction], input=text.encode("utf-16-le"),
                            capture_output=True, check=True, timeout=60)
    return result.stdout.decode("utf-16-le")


def windows_path(path):
    """A Unix path as Wine's Z: drive sees it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


# A process that outlives us only to clean up: when the run dies without
# ending what it started (SIGKILL from a test timeout, say), this ends the
# Wine session and the display.
_WATCHDOG = r"""
import os, signal, subprocess, sys, time
parent, xvfb, wineserver = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
signal.signal(signal.SIGTERM, lambda *a: sys.exit(0))
signal.signal(signal.SIGINT, signal.SIG_IGN)
while True:
    try:
        os.kill(parent, 0)
    except ProcessLookupError:
        break
    time.sleep(0.5)
subprocess.run([wineserver, "-k"], stderr=subprocess.DEVNULL)
try:
    os.kill(xvfb, signal.SIGTERM)
except ProcessLookupError:
    pass
"""


class Session:
    """Xvfb plus a warmed-up Wine prefix, shared by every test of a run."""

    def __init__(self, out_dir):
        self.out_dir = out_dir
        os.makedirs(out_dir, exist_ok=True)
        self.xvfb = None
        self.watchdog = None
        self.env = None
        self.program = None
        self.stub_bin = os.path.join(out_dir, "stub-bin")
        self.open_log = os.path.join(out_dir, "xdg-open.log")
        self.screenshots = []
        self.xclip_servers = []  # xclip processes serving the X clipboard

    # --- start and stop -----------------------------------------------------

    def start(self):
        try:
            self._start_display()
            self._start_wine()
            self._write_stubs()
        except BaseException:
            self.stop()
            raise

    def _start_display(self):
        # -displayfd makes Xvfb pick a free display number and tell us.
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(self.out_dir, "xvfb.log"), "wb"))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start (see xvfb.log)")
        self.display = ":" + number

    def _start_wine(self):
        # The project's own Wine environment, with the prefix under out_dir.
        base = dict(os.environ, DISPLAY=self.display)
        base.pop("XAUTHORITY", None)
        script = (f'source "{SOURCE_ROOT}/scripts/wine-env.sh" "{self.out_dir}" && '
                  # The persistent wineserver must not hold our pipes open.
                  'wine_warm_up >/dev/null 2>&1 </dev/null && env -0')
        result = subprocess.run(["bash", "-c", script], env=base, capture_output=True, timeout=180)
        if result.returncode != 0:
            raise RuntimeError("Wine warm-up failed: " + result.stderr.decode(errors="replace"))
        self.env = dict(item.split("=", 1) for item in result.stdout.decode().split("\0") if "=" in item)
        self.env["DISPLAY"] = self.display
        self.watchdog = subprocess.Popen(
            [sys.executable, "-c", _WATCHDOG, str(os.getpid()), str(self.xvfb.pid),
             self.env["WINESERVER"]],
            env=self.env, start_new_session=True,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def _write_stubs(self):
        # xdg-open stands in for the desktop's browser: Wine's winebrowser
        # runs the first xdg-open on the program's PATH with the address.
        os.makedirs(self.stub_bin, exist_ok=True)
        stub = os.path.join(self.stub_bin, "xdg-open")
        # With the file browser-fails present it fails as a missing browser would.
        self.browser_fails = os.path.join(self.out_dir, "browser-fails")
        with open(stub, "w") as f:
            f.write("#!/bin/sh\n# Stub browser of the end-to-end tests: records the address.\n"
                    f"printf '%s\\n' \"$*\" >> '{self.open_log}'\n"
                    f"[ -e '{self.browser_fails}' ] && exit 3\nexit 0\n")
        os.chmod(stub, 0o755)

    def stop(self):
        """Ends the program, the Wine session and the display; safe to repeat."""
        if self.program:
            self.program.kill()
            self.program = None
        if self.env:
            subprocess.run([self.env["WINESERVER"], "-k"], env=self.env,
                           stderr=subprocess.DEVNULL, timeout=30)
            subprocess.run([self.env["WINESERVER"], "-w"], env=self.env,
                           stderr=subprocess.DEVNULL, timeout=30)
            self.env = None
        if self.xvfb and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
        self.xvfb = None
        if self.watchdog and self.watchdog.poll() is None:
            self.watchdog.terminate()
            self.watchdog.wait()
        self.watchdog = None

    # --- tools --------------------------------------------------------------

    def run(self, args, timeout=30, check=True, **kwargs):
        return subprocess.run(args, env=self.env, timeout=timeout, check=check,
                              capture_output=True, **kwargs)

    def launch(self):
        """Starts a fresh Glimvane (ending a running one first)."""
        if self.program:
            self.program.kill()
            # The server drops a killed program's windows a moment after the
            # process has gone; the new program's window must not be mistaken
            # for the old one.
            probe = Probe(self)
            wait_until(lambda: not probe.window()["found"], what="the old window to go")
        self.program = Program(self)
        return self.program

    def set_wine_managed(self, managed):
        """Whether Wine hands its windows to a window manager (its default)
        or places them itself, for programs started from now on. There is no
        window manager here, and Wine leaves the resizing of a managed window
        that is maximised to it: the window then stays 666 x 485 on screen."""
        key = r"HKCU\Software\Wine\X11 Driver"
        if managed:
            args = ["reg", "delete", key, "/v", "Managed", "/f"]
        else:
            args = ["reg", "add", key, "/v", "Managed", "/d", "N", "/f"]
        self.run([self.env["WINE"], *args], check=False, timeout=60)

    def current(self):
        """The running program, started afresh if the last one has ended."""
        if not self.program or not self.program.running():
            return self.launch()
        return self.program

    def screenshot(self, name, rect=None):
        """Writes the screen (cropped to rect, if given) to out_dir/name.png."""
        path = os.path.join(self.out_dir, name + ".png")
        args = ["import", "-window", "root"]
        if rect:
            x, y, w, h = rect
            args += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
        self.run(args + [path], timeout=30)
        self.screenshots.append(path)
        return path

    def x_window_properties(self, name):
        """xprop's report on the top-level X window of that name."""
        out = self.run(["xwininfo", "-root", "-tree"]).stdout.decode(errors="replace")
        match = re.search(r'^\s+(0x[0-9a-f]+) "' + re.escape(name) + '"', out, re.M)
        if not match:
            return None
        return self.run(["xprop", "-id", match.group(1)]).stdout.decode(errors="replace")

    def windows_listed(self):
        """Top-level X windows by name, as xwininfo sees them."""
        out = self.run(["xwininfo", "-root", "-tree"]).stdout.decode(errors="replace")
        return re.findall(r'^\s+0x[0-9a-f]+ "([^"]*)"', out, re.M)


class XCursorImage(ctypes.Structure):
    """XFixesCursorImage (Xfixes 2 and later)."""
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


class Pointer:
    """The mouse pointer the X server shows, read through XFixes (libXfixes
    comes with Wine): what the user sees, whichever program set it."""

    def __init__(self, session):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xfixes = ctypes.CDLL("libXfixes.so.3")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.x11.XFree.argtypes = [ctypes.c_void_p]
        self.xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(XCursorImage)
        self.xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
        self.display = self.x11.XOpenDisplay(session.display.encode())
        if not self.display:
            raise RuntimeError("cannot open " + session.display)

    def image(self):
        """(width, height, (hot x, hot y), rows of ARGB) of the current pointer."""
        found = self.xfixes.XFixesGetCursorImage(self.display)
        if not found:
            raise RuntimeError("XFixesGetCursorImage failed")
        cursor = found.contents
        w, h = cursor.width, cursor.height
        rows = tuple(tuple(cursor.pixels[y * w + x] & 0xFFFFFFFF for x in range(w)) for y in range(h))
        result = (w, h, (cursor.xhot, cursor.yhot), rows)
        self.x11.XFree(found)
        return result

    def close(self):
        if self.display:
            self.x11.XCloseDisplay(self.display)
            self.display = None


class Probe:
    """glimvane_probe.exe under Wine: reads the window and the system from
    outside. It posts WM_SYSCOMMAND (close, maximise, restore) because there
    is no taskbar or window manager on this display to offer the window menu
    or the taskbar button, which are where a user would give those commands."""

    def __init__(self, session):
        self.session = session

    runs = 0     # for the summary
    retries = 0  # runs that printed nothing and were run again

    def __call__(self, *args, timeout=30):
        # Now and then (about one run in two thousand here, exit status 1)
        # a Wine console program ends without output; one more run settles
        # it. The probe only reads, or does
        # things that are harmless twice, so running it again is safe.
        for attempt in range(2):
            Probe.runs += 1
            result = self.session.run([self.session.env["WINE"], Config.probe, *map(str, args)],
                                      timeout=timeout, check=False)
            lines = result.stdout.decode("ascii", errors="replace").strip().splitlines()
            if lines:
                break
            Probe.retries += 1
            print(f"\n    [probe {args[0]} printed nothing (exit {result.returncode}); running it again]",
                  file=sys.stderr)
        else:
            raise RuntimeError(f"probe {args} printed nothing twice (exit {result.returncode}): "
                               f"{result.stderr.decode(errors='replace')}")
        data = json.loads(lines[-1])
        if "error" in data:
            raise RuntimeError(f"probe {args}: {data['error']}")
        return data

    def window(self, text=False):
        return self("window-text" if text else "window")

    def text(self):
        return self.window(text=True)["edit"]["text"]

    def head(self, count):
        """About the first count bytes of the text (a cut character dropped)."""
        return self("head", count, timeout=180)["text"]

    def pixels(self, points):
        """Screen colours '#RRGGBB' at screen points [(x, y), ...]."""
        return self("pixels", *[f"{x},{y}" for x, y in points])["pixels"]

    def region(self, x, y, w, h):
        """Screen rectangle as rows of 0xRRGGBB ints."""
        rows = self("region", x, y, w, h)["rows"]
        return [[int(row[i:i + 6], 16) for i in range(0, len(row), 6)] for row in rows]

    def clipboard(self):
        return self("clipboard")

    def clipboard_state(self):
        """The clipboard's sequence number and whether it offers text, read
        without opening it."""
        return self("clipboard-state")

    def put_bitmap(self):
        return self("put-bitmap")

    def syscommand(self, which):
        return self("syscommand", which)

    def dialogs(self):
        return self("dialogs")["dialogs"]

    def hold_clipboard(self, milliseconds):
        """Starts holding the clipboard open; returns the process once held."""
        process = subprocess.Popen([self.session.env["WINE"], Config.probe, "hold-clipboard",
                                    str(milliseconds)], env=self.session.env,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        line = process.stdout.readline().decode()
        if '"held":true' not in line:
            process.kill()
            raise RuntimeError("the probe could not hold the clipboard: " + line)
        return process

    def set_text_from(self, path):
        return self("set-text", windows_path(path), timeout=120)

    def text_to(self, path):
        return self("text-to", windows_path(path), timeout=120)


class Input:
    """Real pointer and keyboard input through XTEST."""

    def __init__(self, session):
        self.session = session

    def xdotool(self, *args):
        self.session.run(["xdotool", *map(str, args)])

    def move(self, x, y):
        self.xdotool("mousemove", x, y)

    def click(self, x, y, button=1):
        self.move(x, y)
        self.xdotool("click", button)

    def press(self, x, y, button=1):
        self.move(x, y)
        self.xdotool("mousedown", button)

    def release(self, button=1):
        self.xdotool("mouseup", button)

    def key(self, *keys):
        self.xdotool("key", *keys)

    def key_down(self, key):
        self.xdotool("keydown", key)

    def key_up(self, key):
        self.xdotool("keyup", key)

    def type(self, text):
        self.xdotool("type", "--delay", 20, text)

    def set_x_clipboard(self, text):
        """Owns the X clipboard with text as UTF-8 (xclip serves it in the
        background until another program takes the selection), and waits
        until Wine has taken the new owner's formats onto the Windows
        clipboard, so that a paste that follows gets this text.

        The text is not read back from xclip: while xclip sends a large text
        in pieces (INCR) it drops other requests, and Wine's own request for
        the list of formats, dropped, leaves the Windows clipboard empty."""
        probe = Probe(self.session)
        before = probe.clipboard_state()["sequence"]
        process = subprocess.Popen(["xclip", "-selection", "clipboard", "-i", "-quiet"],
                                   env=self.session.env, stdin=subprocess.PIPE,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.session.xclip_servers.append(process)
        process.stdin.write(text.encode("utf-8"))
        process.stdin.close()

        def taken():
            state = probe.clipboard_state()
            return state["sequence"] != before and state["has_unicode"]
        wait_until(taken, timeout=10, what="Wine to take the text from xclip's X clipboard")

    def x_clipboard(self):
        result = self.session.run(["xclip", "-selection", "clipboard", "-o"], check=False, timeout=30)
        return result.stdout.decode("utf-8", errors="replace") if result.returncode == 0 else None


class Program:
    """One run of Glimvane.exe, started with the stub browser first on PATH."""

    def __init__(self, session):
        self.session = session
        env = dict(session.env, LC_ALL="zh_CN.UTF-8",
                   PATH=session.stub_bin + os.pathsep + session.env["PATH"])
        self.log = open(os.path.join(session.out_dir, "glimvane.log"), "ab")
        self.process = subprocess.Popen([env["WINE"], Config.exe], env=env, cwd=session.out_dir,
                                        stdout=self.log, stderr=self.log)
        probe = Probe(session)
        try:
            self.info = wait_until(lambda: self._shown(probe), timeout=30,
                                   what="the Glimvane window to be shown")
        except TimeoutError:
            self.kill()
            raise

    def _shown(self, probe):
        if self.process.poll() is not None:
            raise RuntimeError(f"Glimvane exited with {self.process.returncode} before showing its window")
        info = probe.window()
        if info["found"] and info["visible"] and info.get("edit") and info["focus"]:
            return info
        return None

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=10):
        return wait_until(lambda: self.process.poll() is not None, timeout=timeout,
                          what="Glimvane to exit")

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log.close()


_session = None
_session_failure = None


def session():
    """The run's session, started on first use."""
    global _session, _session_failure
    if _session_failure:
        raise RuntimeError("the display and Wine session could not be started: " + _session_failure)
    if _session is None:
        started = Session(Config.out_dir)
        try:
            started.start()
        except Exception as error:
            _session_failure = str(error)
            raise
        _session = started
    return _session


def end_session():
    global _session
    if _session is not None:
        for process in _session.xclip_servers:
            if process.poll() is None:
                process.kill()
                process.wait()
        _session.stop()
        _session = None


# --- the window as the tests see it -------------------------------------------------

WINDOW_SIZE = (666, 485)
# Controls by name: left, top, width, height in window coordinates.
TEXT1 = (20, 47, 628, 350)
LABEL3 = (27, 441, 147, 40)   # link label
IMAGE2 = (249, 426, 105, 39)  # forward
IMAGE4 = (384, 426, 105, 39)  # reverse
IMAGE3 = (519, 426, 105, 39)  # copy
LABEL2 = (611, 5, 21, 19)     # minimise hot-spot
LABEL1 = (638, 3, 25, 21)     # close hot-spot
PLACEHOLDER = "请输入需要转换的文字"

WS_POPUP, WS_CAPTION, WS_BORDER, WS_DLGFRAME = 0x80000000, 0xC00000, 0x800000, 0x400000
WS_THICKFRAME, WS_SYSMENU, WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x40000, 0x80000, 0x20000, 0x10000
WS_VSCROLL, WS_HSCROLL, WS_CHILD = 0x200000, 0x100000, 0x40000000
WS_EX_TOOLWINDOW, WS_EX_APPWINDOW, WS_EX_CLIENTEDGE = 0x80, 0x40000, 0x200
ES_MULTILINE, ES_AUTOHSCROLL, ES_READONLY = 0x4, 0x80, 0x800


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


def colour(value):
    return "#%06X" % value


def rgb(value):
    return value >> 16 & 0xFF, value >> 8 & 0xFF, value & 0xFF


class WindowTestCase(unittest.TestCase):
    """A test of the running window. The program is started afresh for each
    class and again whenever a test has ended it; each test sets up the text
    it needs itself, by real input."""

    fresh_per_test = False

    @classmethod
    def setUpClass(cls):
        cls.session = session()
        cls.probe = Probe(cls.session)
        cls.input = Input(cls.session)
        cls.app = cls.session.launch()

    def setUp(self):
        if self.fresh_per_test:
            type(self).app = self.session.launch()
        elif not self.session.program or not self.session.program.running():
            type(self).app = self.session.launch()
        else:
            type(self).app = self.session.program
            self.normalise()

    def normalise(self):
        """Brings a window that an earlier test left minimised or maximised
        back to its normal state, and closes any message box it left open."""
        info = self.probe.window()
        if not info["found"] or self.probe.dialogs():
            if not info["found"]:
                print(f"\n    [window gone before {self.id()}: {info}, running {self.app.running()}]")
            type(self).app = self.session.launch()
            return
        if info["iconic"] or info["zoomed"]:
            self.probe.syscommand("restore")
            wait_until(lambda: self.window_if(lambda w: not w["iconic"] and not w["zoomed"]),
                       what="the window to be restored")

    def window_if(self, condition):
        """The probe's view of the window if condition holds for it, else None."""
        info = self.probe.window()
        return info if info["found"] and condition(info) else None

    def clipboard_if(self, condition):
        board = self.probe.clipboard()
        return board if condition(board) else None

    # --- geometry -------------------------------------------------------------

    def rect(self):
        info = self.probe.window()
        if not info["found"]:
            self.fail(f"the window is gone (program running: {self.app.running()})")
        return info["rect"]

    def at(self, x, y, origin=None):
        """Screen point of window point (x, y)."""
        ox, oy = (origin or self.rect())[:2]
        return ox + x, oy + y

    def click_window(self, x, y, button=1):
        self.input.click(*self.at(x, y), button=button)

    # --- text -----------------------------------------------------------------

    def focus_text(self):
        """Clicks into the text area, in its empty lower part."""
        self.click_window(TEXT1[0] + 300, TEXT1[1] + 330)

    def clear_text(self):
        """Empties the text area with the edit control's own keys (not the
        program's Ctrl+A), so that a broken select-all can't spoil set-up."""
        self.focus_text()
        self.input.key("ctrl+End", "ctrl+shift+Home", "Delete")
        wait_until(lambda: self.probe.window()["edit"]["length"] == 0, what="an empty text area")

    def paste_text(self, text):
        """Replaces the text by text, pasted from the X clipboard with Ctrl+V."""
        self.clear_text()
        if not text:
            return
        self.input.set_x_clipboard(text)
        self.input.key("ctrl+v")
        expected = text.replace("\r\n", "\n").replace("\n", "\r\n")
        wait_until(lambda: self.probe.text() == expected, timeout=60, what="the pasted text")

    def settle(self):
        """Gives the program time to handle input whose effect can't be told
        from no effect at all; then makes sure it answers messages again."""
        time.sleep(0.4)
        self.probe.window()

    def wait_text(self, expected, timeout=30):
        try:
            return wait_until(lambda: self.probe.text() == expected, timeout=timeout,
                              what="the text area's content")
        except TimeoutError:
            self.assertEqual(self.probe.text(), expected)

    # --- screen -----------------------------------------------------------------

    def window_pixels(self, rect=None):
        """The window's area of the screen, rows of 0xRRGGBB, window coordinates."""
        x, y, w, h = rect or self.rect()
        return self.probe.region(x, y, w, h)

    def link_ink(self):
        """The pixels of the link label's text: everything in its box that
        differs from the box's light-blue background."""
        x, y = self.at(*LABEL3[:2])
        rows = self.probe.region(x, y, LABEL3[2], LABEL3[3])
        return [p for row in rows for p in row if p != 0xDBEEF7]
