"""The journey's screen: an Xvfb of its own, its windows, input events and screenshots."""

import os
import random
import re
import subprocess
import time
import xml.etree.ElementTree as ElementTree
from dataclasses import dataclass


@dataclass
class Window:
    id: str
    name: str
    x: int
    y: int
    width: int
    height: int


class Screen:
    def __init__(self, work, size="1920x1080x24"):
        self.runtime = os.path.join(work, "runtime")
        self.home = os.path.join(work, "home")
        os.makedirs(self.runtime, mode=0o700, exist_ok=True)
        os.makedirs(self.home, exist_ok=True)
        # A display number of its own, far above those that servers picking the first free
        # one take: two X servers starting at once can each take the other's lock for a
        # stale one and share a number. One in use makes Xvfb end at once.
        for number in random.sample(range(200, 900), 10):
            self.process = self._start(number, size)
            if self.process:
                self.display = f":{number}"
                return
        raise RuntimeError("Xvfb did not start on any of ten display numbers")

    @staticmethod
    def _start(number, size):
        """Xvfb on that display once it serves it alone; None when it cannot."""
        read_end, write_end = os.pipe()
        process = subprocess.Popen(
            # -noreset: a server resetting after its last client (a screenshot) left
            # refuses a program that connects meanwhile.
            ["Xvfb", f":{number}", "-displayfd", str(write_end), "-noreset", "-screen", "0",
             size, "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as ready:
            started = ready.readline().strip() == str(number)
        if not started:
            process.kill()
            process.wait()
            return None
        return process

    def environment(self):
        """The environment of a program on this screen, with a home of its own."""
        environment = dict(os.environ, DISPLAY=self.display, QT_QPA_PLATFORM="xcb",
                           XDG_RUNTIME_DIR=self.runtime, HOME=self.home)
        for name in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                     "DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY"):
            environment.pop(name, None)
        return environment

    def _xdotool(self, *arguments):
        result = subprocess.run(["xdotool", *arguments], env=dict(os.environ, DISPLAY=self.display),
                                capture_output=True, text=True, timeout=20)
        return result.stdout

    def windows(self, pattern=""):
        """Visible windows whose name matches `pattern` (a regular expression)."""
        found = []
        for window_id in self._xdotool("search", "--onlyvisible", "--name", "").split():
            name = self._xdotool("getwindowname", window_id).strip()
            values = dict(line.split("=", 1) for line in
                          self._xdotool("getwindowgeometry", "--shell", window_id).split())
            if not values or not re.search(pattern, name):
                continue
            found.append(Window(window_id, name, int(values["X"]), int(values["Y"]),
                                int(values["WIDTH"]), int(values["HEIGHT"])))
        return found

    def window(self, pattern, size=None):
        """The largest visible window of that name (and size); None when there is none."""
        matches = [w for w in self.windows(pattern) if size is None or (w.width, w.height) == size]
        return max(matches, key=lambda w: w.width * w.height, default=None)

    def click(self, window, point, button=1, repeat=1):
        x, y = window.x + point[0], window.y + point[1]
        self._xdotool("mousemove", "--sync", str(x), str(y))
        time.sleep(0.15)
        self._xdotool("click", "--repeat", str(repeat), "--delay", "80", str(button))
        time.sleep(0.3)

    def double_click(self, window, point):
        self.click(window, point, repeat=2)

    def type(self, text):
        self._xdotool("type", "--delay", "30", text)

    def capture(self, path):
        subprocess.run(["import", "-display", self.display, "-window", "root", path],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)

    def colours(self, rect):
        """How many colours the screen shows in rect (x, y, width, height)."""
        x, y, width, height = rect
        result = subprocess.run(
            ["import", "-display", self.display, "-window", "root",
             "-crop", f"{width}x{height}+{x}+{y}", "-format", "%k", "info:"],
            capture_output=True, text=True, timeout=30)
        try:
            return int(result.stdout.strip().split()[-1])
        except (ValueError, IndexError):
            return 0

    @staticmethod
    def layout_centre(layout_file, name):
        """The centre of a layout element placed by geometry, from its window's corner."""

        def find(node, left, top):
            for widget in node.findall("widget"):
                rect = widget.find("property[@name='geometry']/rect")
                x = y = width = height = 0
                if rect is not None:
                    x, y, width, height = (int(rect.find(k).text)
                                           for k in ("x", "y", "width", "height"))
                if widget.get("name") == name:
                    return left + x + width // 2, top + y + height // 2
                found = find(widget, left + x, top + y)
                if found:
                    return found
            return None

        top_widget = ElementTree.parse(layout_file).getroot().find("widget")
        centre = find(top_widget, 0, 0)
        if centre is None:
            raise RuntimeError(f"{name} is not placed in {layout_file}")
        return centre

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=20)
