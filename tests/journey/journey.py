#!/usr/bin/env python3
"""A member's whole journey through the installed programs, against the reference site.

The programs are installed (cmake --install, then the demo catalogue and databases) into
a folder of their own and run under an Xvfb of their own. The journey is driven only from
outside: input events (xdotool), the site's request log and control port, and files on
disk. Each step saves a screenshot; a failure names its step and leaves the screenshots
and the programs' output in the work folder.

  journey.py --build BUILD --work WORK
"""

import argparse
import json
import os
import re
import shutil
import signal
import sqlite3
import subprocess
import sys
import time
import urllib.request

from journey_screen import Screen, Window

MEMBER = ("demo", "demo123")
UID = "10001"
# The first course type of the demo catalogue holds 会计基础入门, 税务实务精讲 and
# 财务报表分析; the journey takes the third, one lesson of 20 s (141,800 bytes).
COURSE_ID, COURSE, COURSE_TYPE = "103", "财务报表分析", "财会金融"
LESSON_ID, LESSON_FILE = "10301", "bb103-01.tessal"
LESSON_PATH = f"/lessons/{COURSE_ID}/{LESSON_FILE}"
# The download host sends it at this rate and cuts the first connection after this many
# bytes, so the download is seen in progress and resumed.
DOWNLOAD_RATE, CUT_AFTER = 40000, 60000

# Points of the windows, from their layouts: (x, y) from the window's top-left corner.
LOGIN_SIZE, MAIN_SIZE = (430, 330), (1010, 690)
MAIN = {
    "download_center": (671, 36),
    "messages": (835, 36),
    "close": (978, 34),
    "first_group": (306, 132),  # course tree rows: groups 32 px, courses 30 px high
    "third_course_of_first_group": (400, 223),
    "picture_of_third_course": (254, 212, 40, 22),  # x, y, width, height
}
MENU_SIZE, MENU_CACHE_COURSE = (120, 50), (60, 37)  # the course menu's 2nd item, 缓存课程
DOWNLOAD_CENTER = {"finished_tab": (156, 70), "first_play": (654, 127),
                   "first_picture": (40, 110, 60, 30)}  # x, y, width, height
MESSAGE_MANAGER = {"first_row": (20, 100, 600, 80)}  # x, y, width, height
PLAYER = {"first_course": (1022, 87), "first_lesson": (1060, 112), "stop": (67, 716),
          "first_lesson_row": (1040, 102, 150, 20), "video": (20, 60, 900, 600)}
# The player's logo screen shows some hundreds of colours, the demo clip thousands.
PLAYING_COLOURS = 2000
# The picture cells' loading placeholder has some 64 colours, a course picture hundreds.
PICTURE_COLOURS = 200


POPUP = "^Tessal 消息$"
PUSH_CONTENT = "下载的课程已可离线观看"


class StepFailed(Exception):
    pass


def wait_for(what, check, timeout=30.0, interval=0.2, alive=None):
    """Polls `check` until it returns a true value, which is returned; `alive` names what
    ended early (a program that should run), when it does."""
    deadline = time.monotonic() + timeout
    while True:
        value = check()
        if value:
            return value
        ended = alive() if alive else None
        if ended:
            raise StepFailed(f"{ended} while waiting for {what}")
        if time.monotonic() > deadline:
            raise StepFailed(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


class Site:
    """The reference site as a process: free ports, a request log, a control port."""

    def __init__(self, build, work):
        self.log_path = os.path.join(work, "requests.jsonl")
        self.site_ini = os.path.join(work, "Site.ini")
        self.output = open(os.path.join(work, "site.log"), "w")
        self.process = subprocess.Popen(
            [os.path.join(build, "site/server/tessal-site"), "--base-port", "0",
             "--write-site-ini", self.site_ini, "--request-log", self.log_path,
             "--engine-file", os.path.join(build, "engines/video/libAPlayer.so")],
            stdout=self.output, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        wait_for("the site's Site.ini", lambda: os.path.exists(self.site_ini), timeout=20)
        text = open(os.path.join(work, "site.log")).read()
        self.control = int(re.search(r"\(control (\d+)\)", text).group(1))

    def post(self, path, body):
        request = urllib.request.Request(f"http://127.0.0.1:{self.control}{path}",
                                         data=json.dumps(body).encode(), method="POST")
        with urllib.request.urlopen(request, timeout=10) as reply:
            return reply.read()

    def get(self, path):
        with urllib.request.urlopen(f"http://127.0.0.1:{self.control}{path}", timeout=10) as reply:
            return json.loads(reply.read())

    def requests(self, path=None):
        if not os.path.exists(self.log_path):
            return []
        with open(self.log_path, encoding="utf-8") as log:
            entries = [json.loads(line) for line in log if line.strip()]
        return [e for e in entries if path is None or e["path"] == path]

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=20)
        self.output.close()


def read_progress(install):
    """The stored position of the journey's lesson, in ms; None when none is stored."""
    database = os.path.join(install, "cache/cache.dll")
    connection = sqlite3.connect(f"file:{database}?mode=ro", uri=True, timeout=5)
    try:
        row = connection.execute("SELECT Ftime FROM t_PlayProgress WHERE FlessonName = ?",
                                 (LESSON_FILE,)).fetchone()
        return int(row[0]) if row else None
    finally:
        connection.close()


def installation_processes(install):
    """Processes whose program or current folder lies in the installation: pid to program."""
    found = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            program = os.readlink(f"/proc/{pid}/exe")
            folder = os.readlink(f"/proc/{pid}/cwd")
        except OSError:
            continue
        if program.startswith(install + "/") or folder == install or folder.startswith(install + "/"):
            found[int(pid)] = program
    return found


class Journey:
    def __init__(self, build, work):
        self.build, self.work = build, work
        self.install = os.path.join(work, "install")
        self.shots = os.path.join(work, "screenshots")
        self.number = 0
        self.screen = self.site = self.client = None
        self.client_output = None

    def run(self):
        steps = [
            ("install", self.install_programs),
            ("client-started", self.start_client),
            ("logged-in", self.log_in),
            ("catalogue-with-pictures", self.see_catalogue),
            ("lesson-plays-online", self.play_online),
            ("course-queued", self.queue_course),
            ("course-downloaded", self.see_download_finish),
            ("lesson-plays-offline", self.play_offline),
            ("stopped-midway", self.stop_midway),
            ("reopened-resumes", self.reopen_resumes),
            ("push-message-popup", self.receive_push),
            ("push-in-message-manager", self.see_message_manager),
            ("client-closed", self.close_client),
        ]
        try:
            for name, action in steps:
                self.step(name, action)
        finally:
            self.tear_down()
        # The screenshots and logs stay; the installation (some 90 MB) goes.
        shutil.rmtree(self.install, ignore_errors=True)
        print(f"journey: all {len(steps)} steps passed; screenshots in {self.shots}")

    def step(self, name, action):
        self.number += 1
        label = f"{self.number:02d}-{name}"
        started = time.monotonic()
        try:
            action()
        except Exception as error:  # noqa: BLE001 - any failure ends the journey here
            self.shot(label + "-FAILED")
            if self.screen:
                for window in self.screen.windows():
                    print(f"journey: window shown: {window}", file=sys.stderr)
            raise StepFailed(f"step {label}: {error}") from error
        self.shot(label)
        print(f"journey: step {label} passed in {time.monotonic() - started:.1f} s", flush=True)

    def shot(self, label):
        if self.screen:
            self.screen.capture(os.path.join(self.shots, label + ".png"))

    # --- the steps -------------------------------------------------------------------

    def install_programs(self):
        os.makedirs(self.shots, exist_ok=True)
        self.screen = Screen(self.work)
        self.site = Site(self.build, self.work)
        subprocess.run(["cmake", "--install", self.build, "--prefix", self.install],
                       check=True, stdout=subprocess.DEVNULL)
        subprocess.run([os.path.join(self.build, "site/builders/tessal-demo-data"), "install",
                        self.install, "--site-ini", self.site.site_ini],
                       check=True, stdout=subprocess.DEVNULL)
        # A member who has downloaded nothing yet.
        downloads = os.path.join(self.install, "TessalDownload")
        shutil.rmtree(downloads)
        os.makedirs(downloads)

    def start_client(self):
        environment = self.screen.environment()
        # The client's fixed waits (the push poll's five minutes, the updater's pauses)
        # shortened, and boxes logged instead of waited for.
        environment.update(TESSAL_TEST_WAIT_DIVISOR="60", TESSAL_TRACE="1",
                           TESSAL_TEST_BOX_LOG=os.path.join(self.work, "boxes.log"))
        self.client_output = open(os.path.join(self.work, "client.log"), "w")
        self.client = subprocess.Popen([os.path.join(self.install, "TessalClient")],
                                       cwd=self.install, env=environment,
                                       stdin=subprocess.DEVNULL, stdout=self.client_output,
                                       stderr=subprocess.STDOUT, start_new_session=True)
        self.wait("the login window", lambda: self.screen.window("^TessalClient$", LOGIN_SIZE))

    def log_in(self):
        login = self.screen.window("^TessalClient$", LOGIN_SIZE)
        layout = os.path.join(self.install, "Layout/layout.xml")
        for element, text in (("accountEdit", MEMBER[0]), ("passwordEdit", MEMBER[1])):
            self.screen.click(login, self.screen.layout_centre(layout, element))
            self.screen.type(text)
        self.screen.click(login, self.screen.layout_centre(layout, "loginButton"))
        self.wait("the main window", lambda: self.screen.window("^TessalClient$", MAIN_SIZE))
        self.wait("the member's report to the site",
                 lambda: any(s["uid"] == UID for s in self.site.get("/sessions")))

    def see_catalogue(self):
        main = self.main_window()
        self.screen.click(main, MAIN["first_group"])
        self.wait("the course pictures asked of the site",
                 lambda: len(self.site.requests(f"/upload/course/course-{COURSE_ID}.jpg")) > 0)
        # The picture cell of the course's row holds a picture, not a plain background.
        cell = self.area(main, MAIN["picture_of_third_course"])
        self.wait("the course's picture in the tree",
                 lambda: self.screen.colours(cell) > PICTURE_COLOURS, timeout=15)

    def play_online(self):
        main = self.main_window()
        self.screen.double_click(main, MAIN["third_course_of_first_group"])
        lesson = self.wait("the lesson window", lambda: self.screen.window(f"^{COURSE}$"))
        self.wait("the lesson's page playing its video",
                 lambda: self.site.requests("/p/playing"), timeout=45)
        played = self.site.requests("/p/playing")[-1]
        if played["query"] != f"lessonid={LESSON_ID}":
            raise StepFailed(f"the page played {played['query']}, not lessonid={LESSON_ID}")
        self.shot(f"{self.number:02d}-lesson-window")
        self.screen.click(lesson, (lesson.width - 30, 26))
        self.wait("the lesson window to close",
                 lambda: not self.screen.window(f"^{COURSE}$"), timeout=15)

    def queue_course(self):
        throttled = {"host": "Download1", "path": LESSON_PATH,
                     "rate_bytes_per_second": DOWNLOAD_RATE}
        self.site.post("/faults", throttled)
        self.site.post("/faults", dict(throttled, cut_after_bytes=CUT_AFTER, times=1))
        main = self.main_window()
        self.screen.click(main, MAIN["third_course_of_first_group"], button=3)
        menu = self.wait("the course menu", lambda: self.screen.window("^TessalClient$", MENU_SIZE))
        self.screen.click(menu, MENU_CACHE_COURSE)
        self.queued_at = time.monotonic()
        self.wait("the download center", lambda: self.screen.window("下载中心$"))
        self.wait("the lesson coming down", lambda: self.site.requests(LESSON_PATH))

    def see_download_finish(self):
        lesson = os.path.join(self.install, "TessalDownload", COURSE_TYPE, COURSE, LESSON_FILE)
        served = os.path.join(self.build, "site/media/clips/clip-rgb.webm")
        self.wait("the lesson file in the download folder",
                 lambda: os.path.exists(lesson) and
                 os.path.getsize(lesson) == os.path.getsize(served), timeout=60)
        took = time.monotonic() - self.queued_at
        least = 0.8 * os.path.getsize(served) / DOWNLOAD_RATE
        if took < least:
            raise StepFailed(f"the download took {took:.1f} s: not held to the site's rate "
                             f"(at least {least:.1f} s)")
        with open(lesson, "rb") as got, open(served, "rb") as want:
            if got.read() != want.read():
                raise StepFailed("the downloaded lesson differs from the served file")
        ranges = [dict(r["headers"]).get("Range", "") for r in self.site.requests(LESSON_PATH)]
        if not any(r.startswith("bytes=") and not r.startswith("bytes=0-") for r in ranges):
            raise StepFailed(f"the cut download was not resumed (ranges asked: {ranges})")
        self.wait("the course in the finished list of LoadList.ini",
                 lambda: re.search(rf"\[FinishPage\][^\[]*=\s*{COURSE_ID}\s*$",
                                   self.read_text("LoadList.ini"), re.MULTILINE))
        center = self.screen.window("下载中心$")
        self.screen.click(center, DOWNLOAD_CENTER["finished_tab"])
        picture = self.area(center, DOWNLOAD_CENTER["first_picture"])
        self.wait("the course's picture in the finished list",
                 lambda: self.screen.colours(picture) > PICTURE_COLOURS)

    def play_offline(self):
        center = self.screen.window("下载中心$")
        self.screen.click(center, DOWNLOAD_CENTER["first_play"])
        player = self.wait("TessalPlayer's window", lambda: self.screen.window("播放器$"))
        # Its playlist comes from the download folder, which holds the one course.
        lesson_row = self.area(player, PLAYER["first_lesson_row"])
        self.wait("the course in the playlist", lambda: self.open_course(player, lesson_row))
        self.screen.double_click(player, PLAYER["first_lesson"])
        self.wait("the lesson playing", lambda: self.playing(player))

    def open_course(self, player, lesson_row):
        """Opens the playlist's first course; true once its lesson shows."""
        if self.screen.colours(lesson_row) > 5:
            return True
        self.screen.click(player, PLAYER["first_course"])
        time.sleep(0.5)
        return self.screen.colours(lesson_row) > 5

    def stop_midway(self):
        # Past 4 s and well before the last 10 s of the 20 s lesson; the player stores the
        # position every 5 s while playing.
        self.wait("the position stored while playing",
                 lambda: (read_progress(self.install) or 0) >= 4000, timeout=20)
        while_playing = read_progress(self.install)
        self.screen.click(self.player_window(), PLAYER["stop"])
        self.stopped_at = self.wait("the position stored at the stop", lambda: (
            read_progress(self.install) != while_playing and read_progress(self.install)))
        if not self.stopped_at or not 4000 <= self.stopped_at < 10000:
            raise StepFailed(f"stored position after the stop: {self.stopped_at} ms")

    def reopen_resumes(self):
        player = self.player_window()
        self.screen.double_click(player, PLAYER["first_lesson"])
        time.sleep(3.5)
        self.shot(f"{self.number:02d}-resumed")
        self.screen.click(player, PLAYER["stop"])
        stored = self.wait("the position stored at the stop", lambda: (
            read_progress(self.install) != self.stopped_at and read_progress(self.install)))
        # Played from the start it would be at most 3.5 s, below where it stopped (4 s or
        # more); resumed, well past it.
        if stored < self.stopped_at + 1500:
            raise StepFailed(f"stopped at {self.stopped_at} ms, then stored {stored} ms")
        self.screen.click(player, (player.width - 22, 20))  # its close button
        player_program = os.path.join(self.install, "TessalPlayer")
        self.wait("TessalPlayer to end",
                 lambda: player_program not in installation_processes(self.install).values(),
                 timeout=20)

    def receive_push(self):
        before = {w.id for w in self.screen.windows(POPUP)}
        self.site.post("/pushes", {"uid": UID, "mode": "1", "title": "旅程测试消息",
                                   "content": PUSH_CONTENT})
        self.wait("a new push popup",
                 lambda: {w.id for w in self.screen.windows(POPUP)} - before, timeout=30)
        self.wait("the message stored", lambda: self.stored_message(PUSH_CONTENT), timeout=10)

    def see_message_manager(self):
        before = {w.id for w in self.screen.windows()}
        self.screen.click(self.main_window(), MAIN["messages"])
        manager = self.wait("the message manager", lambda: max(
            (w for w in self.screen.windows() if w.id not in before and w.width > 300),
            key=lambda w: w.width * w.height, default=None))
        first_row = self.area(manager, MESSAGE_MANAGER["first_row"])
        self.wait("a message in the manager's list",
                 lambda: self.screen.colours(first_row) > 20, timeout=10)
        self.manager = manager

    def close_client(self):
        self.screen.click(self.manager, (self.manager.width - 26, 21))
        center = self.screen.window("下载中心$")
        if center:
            self.screen.click(center, (center.width - 30, 27))
        main = self.main_window()
        self.screen.click(main, MAIN["close"])
        # TessalUpdata, started by the client's shutdown, sends the logout notice.
        wait_for("TessalUpdata's logout notice recorded by the site",
                 lambda: any(s["uid"] == UID and s["logged_out"] for s in self.site.get("/sessions")))
        wait_for("no process of the installation left",
                 lambda: not installation_processes(self.install), timeout=30)
        boxes = self.read_text("../boxes.log")
        if boxes.strip():
            raise StepFailed(f"message boxes came up on the way: {boxes.strip()}")

    # --- helpers ---------------------------------------------------------------------

    def wait(self, what, check, timeout=30.0):
        return wait_for(what, check, timeout, alive=self.client_ended)

    def client_ended(self):
        if self.client is None or self.client.poll() is None:
            return None
        self.client_output.flush()
        with open(os.path.join(self.work, "client.log"), errors="replace") as log:
            tail = " | ".join(log.read().splitlines()[-5:])
        return f"TessalClient ended (status {self.client.returncode}; its output ends: {tail})"

    def main_window(self):
        window = self.screen.window("^TessalClient$", MAIN_SIZE)
        if not window:
            raise StepFailed("the main window is gone")
        return window

    def player_window(self):
        window = self.screen.window("播放器$")
        if not window:
            raise StepFailed("TessalPlayer's window is gone")
        return window

    def playing(self, player):
        return self.screen.colours(self.area(player, PLAYER["video"])) > PLAYING_COLOURS

    @staticmethod
    def area(window, rect):
        x, y, width, height = rect
        return window.x + x, window.y + y, width, height

    def read_text(self, relative):
        path = os.path.join(self.install, relative)
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as file:
            data = file.read()
        for encoding in ("utf-8", "gb18030"):
            try:
                return data.decode(encoding)
            except UnicodeDecodeError:
                continue
        return ""

    def stored_message(self, content):
        database = os.path.join(self.install, "cache/cache.dll")
        connection = sqlite3.connect(f"file:{database}?mode=ro", uri=True, timeout=5)
        try:
            rows = connection.execute("SELECT FContent FROM t_Message").fetchall()
        finally:
            connection.close()
        return any(row[0] == content for row in rows)

    def tear_down(self):
        if self.client and self.client.poll() is None:
            os.killpg(self.client.pid, signal.SIGKILL)
            self.client.wait()
        for pid in installation_processes(self.install):
            print(f"journey: ending a process left behind: {pid}", file=sys.stderr)
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        if self.client_output:
            self.client_output.close()
        if self.site:
            self.site.stop()
        if self.screen:
            self.screen.stop()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--work", required=True)
    arguments = parser.parse_args()
    # Ended from outside (a CTest timeout, a shell): the programs and servers still go.
    for ending in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(ending, lambda number, frame: sys.exit(128 + number))
    work = os.path.abspath(arguments.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    try:
        Journey(os.path.abspath(arguments.build), work).run()
    except StepFailed as failure:
        print(f"journey: FAILED at {failure}", file=sys.stderr)
        print(f"journey: screenshots and logs in {work}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
