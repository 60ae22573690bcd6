#!/usr/bin/env python3
"""Drives the built program in a real X window, as a person would.

The program runs from a copy of its program folder under Xvfb, with a temporary
HOME (its document library is created there) and http_proxy pointing at the
practice service, which answers absolute-form requests for any host, so the
compiled-in service address reaches it. xdotool moves the pointer, clicks and
types; the controls are found through the geometry in the windows' .ui files,
relative to each window's position (no window manager runs, so windows have no
frame and sit where the program puts them).

What the program shows is read back through the clipboard (its "コピー" buttons,
and Ctrl+A Ctrl+C in a text box for what was typed), the files it writes, and the
paths it asks the desktop to open: xdg-open is pointed at a recorder through a
temporary XDG configuration, so no viewer starts. Every window is saved as a PNG.

Typing: "xdotool type" sends Japanese text too: it maps each character missing
from the keyboard onto a spare keycode for the moment of the keystroke, and Qt's
xcb keyboard follows the remapping. A keystroke that raced the remapping would
come out as another character, so every typed text is read back and typed again
(at most three times) when it came out different; a retry is printed.

Usage: drive_program.py --program build/app/hibari --service build/tools/practice-service
                        --source <repository> --artifacts build/e2e-artifacts
"""

import argparse
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET
from pathlib import Path

WAIT = 30.0  # seconds for anything the program does, fetches included
REQUIRED_TOOLS = ["Xvfb", "xdotool", "import", "xclip", "xdg-open", "file"]

MEDICAL = "医薬品情報/［医療用］"
PATIENT = "医薬品情報/［患者向け］"
OTC = "医薬品情報/［一般用］"
REVISION = "医薬品情報/［改訂指示］"
ROOT = "医薬品情報"


class Failure(Exception):
    pass


def wait_for(what, probe, timeout=WAIT, interval=0.1):
    """Polls probe() until it returns something true; fails naming `what`."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        last = probe()
        if last:
            return last
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def ui_layout(path):
    """Control name -> (x, y, width, height) in window pixels, from a .ui file."""
    rects = {}

    def walk(widget, ox, oy):
        for child in widget.findall("widget"):
            rect = child.find("property[@name='geometry']/rect")
            if rect is None:
                continue
            x, y, w, h = (int(rect.find(k).text) for k in ("x", "y", "width", "height"))
            rects[child.get("name")] = (ox + x, oy + y, w, h)
            walk(child, ox + x, oy + y)

    walk(ET.parse(path).getroot().find("widget"), 0, 0)
    return rects


def lines_of(text):
    """Lines of a CR LF text whose every line ends in CR LF; None otherwise."""
    if text is None or (text and not text.endswith("\r\n")):
        return None
    return text.split("\r\n")[:-1]


class Session:
    def __init__(self, args):
        self.args = args
        self.source = Path(args.source)
        self.artifacts = Path(args.artifacts)
        self.temp = Path(tempfile.mkdtemp(prefix="hibari-e2e-"))
        self.home = self.temp / "home"
        self.documents = self.home / "Documents"
        self.app = self.temp / "app"
        self.opened_log = self.temp / "opened.log"
        self.fail_once = self.temp / "fail-once"  # while it exists, the next open fails
        self.proxy_login = None  # (user, password) the practice service wants as a proxy
        self.service_options = []  # more options of the practice service (--latency, --revise)
        self.service_port = None  # the port it listens on once started, kept when it restarts
        self.processes = []  # (name, Popen, log path), stopped in reverse order
        self.shots = []
        self.display = None
        self.program = None

    # ---- set-up -------------------------------------------------------------

    def start(self):
        missing = [tool for tool in REQUIRED_TOOLS if shutil.which(tool) is None]
        if missing:
            raise Failure("missing tools (scripts/setup installs them): " + ", ".join(missing))
        if self.artifacts.exists():
            shutil.rmtree(self.artifacts)
        self.artifacts.mkdir(parents=True)

        self.documents.mkdir(parents=True)
        shutil.copytree(Path(self.args.program).parent, self.app)
        self.app_files_before = set(os.listdir(self.app))
        self._prepare_recorder()
        self._start_display()
        port = self._start_service()

        env = self._clean_environment()
        env.update({
            "DISPLAY": self.display,
            "HOME": str(self.home),
            "XDG_CONFIG_HOME": str(self.temp / "config"),
            "XDG_DATA_HOME": str(self.temp / "data"),
            "XDG_RUNTIME_DIR": str(self.temp / "runtime"),
            "XDG_CURRENT_DESKTOP": "X-Generic",
            "QT_QPA_PLATFORM": "xcb",
            "http_proxy": f"http://127.0.0.1:{port}",
            "no_proxy": "",
        })
        (self.temp / "runtime").mkdir(mode=0o700)
        program = self.app / Path(self.args.program).name
        self.program = self._spawn("hibari", [str(program)], env, cwd=self.app)

    def _clean_environment(self):
        keep = ("PATH", "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS")
        env = {k: v for k, v in os.environ.items() if k in keep}
        env.update({"LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"})
        return env

    def _prepare_recorder(self):
        recorder = self.temp / "recorder.sh"
        recorder.write_text(f'#!/bin/sh\nprintf "%s\\n" "$1" >> "{self.opened_log}"\n'
                            f'rm "{self.fail_once}" 2>/dev/null && exit 1\nexit 0\n', encoding="utf-8")
        recorder.chmod(0o755)
        applications = self.temp / "data" / "applications"
        applications.mkdir(parents=True)
        kinds = ["application/pdf", "text/plain", "application/octet-stream"]
        (applications / "recorder.desktop").write_text(
            "[Desktop Entry]\nType=Application\nName=Recorder\n"
            f"Exec={recorder} %f\nMimeType={';'.join(kinds)};\nNoDisplay=true\n", encoding="utf-8")
        config = self.temp / "config"
        config.mkdir()
        (config / "mimeapps.list").write_text(
            "[Default Applications]\n" + "".join(f"{k}=recorder.desktop\n" for k in kinds), encoding="utf-8")

    def _spawn(self, name, command, env, cwd=None, pass_fds=()):
        log = self.temp / f"{name}.log"
        with open(log, "wb") as out:
            process = subprocess.Popen(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=out,
                                       stderr=subprocess.STDOUT, pass_fds=pass_fds)
        self.processes.append((name, process, log))
        return process

    def _spawn_reporting(self, name, command, env, what, size):
        """Starts `command` (its {fd} filled in with a pipe's write end) and returns the
        line the process writes there once it is ready: a display number, an address."""
        read_end, write_end = os.pipe()
        try:
            self._spawn(name, [part.format(fd=write_end) for part in command], env, pass_fds=(write_end,))
            os.close(write_end)
            line = b""
            deadline = time.monotonic() + WAIT
            while not line.endswith(b"\n"):
                if not select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))[0]:
                    raise Failure(f"{name} did not report its {what}")
                chunk = os.read(read_end, size)
                if not chunk:
                    raise Failure(f"{name} ended before reporting its {what}")
                line += chunk
        finally:
            os.close(read_end)
        return line.decode().strip()

    def _start_display(self):
        # The server's built-in fonts: Qt draws its own, so no X font package is needed.
        command = ["Xvfb", "-displayfd", "{fd}", "-fp", "built-ins", "-screen", "0", "1280x1024x24",
                   "-nolisten", "tcp", "-noreset"]
        self.display = ":" + self._spawn_reporting("Xvfb", command, dict(os.environ), "display number", 16)

    def _start_service(self):
        port_file = self.temp / "port"
        port_file.unlink(missing_ok=True)
        command = [self.args.service, "--port-file", str(port_file), *self.service_options]
        if self.service_port:
            command += ["--port", str(self.service_port)]
        if self.proxy_login:
            command += ["--proxy-login", ":".join(self.proxy_login)]
        if getattr(self.args, "inserts", None):
            command += ["--inserts", self.args.inserts]
        self._spawn("practice-service", command, dict(os.environ))
        text = wait_for("the practice service's port", lambda: port_file.exists() and port_file.read_text().strip())
        self.service_port = int(text)
        return self.service_port

    def restart_service(self, *options):
        """Stops the practice service and starts it again on the same port with `options`:
        what it serves changes while the program runs (a newer version of a document)."""
        for entry in [e for e in self.processes if e[0] == "practice-service"]:
            entry[1].terminate()
            entry[1].wait(timeout=10)
            self.processes.remove(entry)
            entry[2].rename(entry[2].with_suffix(".before.log"))
        self.service_options = list(options)
        self._start_service()

    def stop(self):
        for name, process, _ in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()

    def report_failure(self):
        if self.program is not None and self.program.poll() is not None:
            print(f"the program had ended with exit code {self.program.returncode}")
        try:
            if self.display:
                self.screenshot_root("failure")
        except Exception as error:  # the report must not hide the failure
            print(f"(no failure screenshot: {error})")
        for name, _, log in self.processes:
            if log.exists():
                text = log.read_text(encoding="utf-8", errors="replace").strip()
                print(f"--- {name} output ---\n{text[-4000:]}")
        print(f"--- documents opened ---\n{self.opened()}")
        print("--- files under HOME ---")
        for path in sorted(self.library_files()):
            print(path)

    def cleanup(self):
        shutil.rmtree(self.temp, ignore_errors=True)

    # ---- the X display --------------------------------------------------------

    def x_env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        return env

    def xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *args], env=self.x_env(), capture_output=True, text=True, timeout=20)
        if check and result.returncode != 0:
            raise Failure(f"xdotool {' '.join(args)} failed: {result.stderr.strip()}")
        return result.stdout

    def windows_titled(self, title):
        pattern = "^" + re.escape(title) + "$"
        return self.xdotool("search", "--onlyvisible", "--name", pattern, check=False).split()

    def key(self, *keys):
        self.xdotool("key", "--delay", "40", *keys)

    def type_text(self, text):
        self.xdotool("type", "--delay", "60", "--", text)

    def clipboard(self):
        try:
            result = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING"],
                                    env=self.x_env(), capture_output=True, timeout=5)
        except subprocess.TimeoutExpired:
            return None
        return result.stdout.decode("utf-8", errors="replace") if result.returncode == 0 else None

    def set_clipboard(self, text):
        subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=text.encode("utf-8"), env=self.x_env(),
                       check=True, timeout=5)

    def screenshot_root(self, name):
        path = self.artifacts / f"{name}.png"
        subprocess.run(["import", "-window", "root", str(path)], env=self.x_env(), check=True, timeout=30)
        self.shots.append(path)

    def program_alive(self):
        if self.program.poll() is not None:
            raise Failure(f"the program ended unexpectedly (exit {self.program.returncode})")

    # ---- files ----------------------------------------------------------------

    def opened(self):
        if not self.opened_log.exists():
            return []
        return self.opened_log.read_text(encoding="utf-8").splitlines()

    def library_files(self):
        return {str(p.relative_to(self.documents)) for p in self.documents.rglob("*") if p.is_file()}

    def expect_opened(self, path, times=1):
        wait_for(f"the desktop to be asked to open {path} ({times}x)",
                 lambda: self.opened().count(str(path)) >= times)

    def expect_document(self, relative):
        path = self.documents / relative
        wait_for(f"the document {relative}", lambda: path.is_file() and path.stat().st_size > 0)
        head = path.read_bytes()[:5]
        if head != b"%PDF-":
            raise Failure(f"{relative} is not the PDF the service sent (starts {head!r})")
        self.expect_opened(path)

    def expect_memo(self, file_name, times=1):
        path = self.app / file_name
        self.expect_opened(path, times)
        raw = path.read_bytes()
        if b"\n" in raw.replace(b"\r\n", b""):
            raise Failure(f"memo {file_name} has a line end other than CR LF")
        return lines_of(raw.decode("cp932"))


class Window:
    """A top-level window of the program, found by its caption."""

    def __init__(self, session, title, ui_file=None):
        self.session = session
        self.title = title
        self.layout = ui_layout(session.source / ui_file) if ui_file else {}
        self.id = wait_for(f'the window "{title}"', lambda: self._find())
        out = session.xdotool("getwindowgeometry", "--shell", self.id)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        self.x, self.y = int(values["X"]), int(values["Y"])

    def _find(self):
        self.session.program_alive()
        found = self.session.windows_titled(self.title)
        return found[0] if len(found) == 1 else None

    def point(self, control, dx=None, dy=None):
        x, y, w, h = self.layout[control]
        return self.x + x + (w // 2 if dx is None else dx), self.y + y + (h // 2 if dy is None else dy)

    def click(self, control, dx=None, dy=None):
        x, y = self.point(control, dx, dy)
        self.session.xdotool("mousemove", "--sync", str(x), str(y), "click", "1")

    def focus_button(self, control):
        """Gives a button the focus without pressing it: pressed, then released off it."""
        x, y = self.point(control)
        below = self.y + self.layout[control][1] + self.layout[control][3] + 20
        self.session.xdotool("mousemove", "--sync", str(x), str(y), "mousedown", "1")
        self.session.xdotool("mousemove", "--sync", str(x), str(below), "mouseup", "1")

    def click_first_row(self, control):
        self.click(control, dx=60, dy=9)

    def focus(self):
        self.session.xdotool("windowfocus", "--sync", self.id)

    def closed(self):
        wait_for(f'the window "{self.title}" to close', lambda: not self.session.windows_titled(self.title))

    def shot(self, name):
        """Saves the window once two captures in a row agree (painting has settled)."""
        path = self.session.artifacts / f"{name}.png"
        env = self.session.x_env()

        def settled():
            before = path.read_bytes() if path.exists() else None
            subprocess.run(["import", "-window", self.id, "-strip", str(path)], env=env, check=True, timeout=30)
            return before is not None and before == path.read_bytes()

        wait_for(f'"{self.title}" to finish painting', settled, timeout=20, interval=0.2)
        self.session.shots.append(path)

    def type_into(self, control, text):
        """Replaces a text box's content with `text` and reads it back."""
        session = self.session
        for attempt in range(3):
            self.click(control)
            session.key("ctrl+a", "BackSpace")
            if not text:
                return
            session.type_text(text)
            session.key("ctrl+a", "ctrl+c")
            try:
                wait_for(f"{control} to hold {text!r}", lambda: session.clipboard() == text, timeout=10)
                if attempt:
                    print(f"  (typing {text!r} needed {attempt + 1} tries)")
                return
            except Failure:
                got = session.clipboard()
        raise Failure(f"{self.title}: {control} holds {got!r} after typing {text!r}")

    def copied(self, button, what, check):
        """Presses a "コピー" button until the clipboard's lines pass `check`.

        A press while a search is still running is dropped by the window, and one
        just before the list is refilled copies the old list: press again."""
        def listed():
            return check(lines_of(self.session.clipboard()))

        def attempt():
            self.click(button)
            try:
                return wait_for(what, listed, timeout=2)
            except Failure:
                return False

        try:
            wait_for(f"{self.title} to list {what}", attempt)
        except Failure as failure:
            raise Failure(f"{failure}; the last copy held {self.session.clipboard()!r}") from None

    def message(self, title, shot_name=None, answer="Return"):
        """Answers a message box of this window with Return (or the keys of `answer`)."""
        box = Window(self.session, title)
        if shot_name:
            box.shot(shot_name)
        box.focus()
        self.session.key(answer)
        box.closed()


def names(lines):
    return [line.split("\t")[0] for line in lines]


def page_is(count, first, last):
    return lambda lines: lines is not None and len(lines) == count and names(lines)[0] == first \
        and names(lines)[-1] == last


def equals(expected):
    return lambda lines: lines == expected


# ---- the walk through the program --------------------------------------------


def main_menu(s):
    menu = Window(s, "Hibari", "src/app/frmMain.ui")
    menu.shot("01-main-menu")
    for folder in (ROOT, OTC, PATIENT, MEDICAL, REVISION):
        wait_for(f"the library folder {folder}", (s.documents / folder).is_dir)
    return menu


def prescription_window(s, menu):
    menu.click("Command2")
    form = Window(s, "医療用医薬品情報", "src/prescription/Form1.ui")
    menu.closed()
    form.shot("02-prescription-window")

    form.click("Command2")  # "文書表示" with nothing selected
    form.message("選択エラー", "03-prescription-no-selection")

    # Every drug: three pages of at most 20, forward and back. The service sits behind
    # a proxy that wants credentials: the first search asks for them, and "通信中"
    # (half a second) neither covers the question nor takes its input, however long
    # the user takes to answer.
    form.type_into("Text1", "")
    form.click("Command1")
    question = Window(s, "プロキシ認証", "src/shell/ProxyLoginDialog.ui")
    time.sleep(1.5)
    question.shot("03b-proxy-question")
    if s.windows_titled("通信中"):
        raise Failure('"通信中" came up while the proxy question was open')
    user, password = s.proxy_login
    question.type_into("textUser", user)
    question.click("textPassword")
    s.type_text(password)
    s.key("Return")
    question.closed()
    form.copied("Command7", "page 1 of all drugs", page_is(20, "ハイバリン錠10mg", "ヒバリ薬20錠"))
    form.click("Command4")
    form.copied("Command7", "page 2", page_is(20, "ヒバリ薬21錠", "ヒバリ薬40錠"))
    form.click("Command4")
    form.copied("Command7", "page 3", page_is(15, "ヒバリ薬41錠", "ヒバリ薬55錠"))
    form.shot("04-prescription-last-page")
    form.click("Command3")
    form.copied("Command7", "page 2 again", page_is(20, "ヒバリ薬21錠", "ヒバリ薬40錠"))

    # The service answers 503 while in maintenance: a 通信エラー, and page 2 stays.
    form.type_into("Text1", "障害")
    form.click("Command1")
    form.message("通信エラー", "04b-prescription-server-error")
    s.set_clipboard("")
    form.copied("Command7", "page 2 still", page_is(20, "ヒバリ薬21錠", "ヒバリ薬40錠"))

    # ASCII with characters that a file name cannot hold; one document, fetched without asking.
    form.type_into("Text1", "A/B")
    form.click("Command1")
    form.copied("Command7", "the A/B hit", equals(["A/B配合錠:試験用\t試験薬品　配合剤"]))
    form.click_first_row("List1")
    form.click("Command2")
    s.expect_document(f"{MEDICAL}/A／B配合錠：試験用.pdf")

    # Japanese; the second hit offers the package insert and the patient guide.
    form.type_into("Text1", "ハイバリン")
    form.click("Command1")
    form.copied("Command7", "the two ハイバリン hits",
                equals(["ハイバリン錠10mg\tひばり製薬　血圧降下剤", "ハイバリン錠20mg\tひばり製薬　血圧降下剤"]))
    form.click_first_row("List1")
    s.key("Down")
    form.shot("05-prescription-hits")
    form.click("Command2")
    choice = Window(s, "ファイルの選択", "src/prescription/Form2.ui")
    choice.shot("06-document-choice")
    s.fail_once.touch()  # the desktop cannot open the first document, the patient guide
    choice.click("Command1")
    choice.closed()
    # Both are fetched, saved and handed to the desktop without waiting on a box
    # (a box in between would hold the second back); then one box names the document
    # that could not be opened (its text, the full paths: test_desktop).
    s.expect_document(f"{PATIENT}/ハイバリン錠20mg.pdf")
    s.expect_document(f"{MEDICAL}/ハイバリン錠20mg.pdf")
    form.message("文書を開けません", "06b-cannot-open")
    if s.windows_titled("文書を開けません") or s.windows_titled("通信中"):
        raise Failure('a second box or "通信中" stayed after the command had ended')

    # Four manuals. Esc backs out of the choice with nothing fetched, as 閉じる and
    # the close box do.
    form.type_into("Text1", "ヒバリゾン")
    form.click("Command1")
    form.copied("Command7", "the ヒバリゾン hit", equals(["ヒバリゾン錠5mg\tひばり製薬　糖尿病用剤"]))
    form.click_first_row("List1")
    opened_before = s.opened()
    form.click("Command2")
    choice = Window(s, "ファイルの選択", "src/prescription/Form2.ui")
    choice.focus()
    s.key("Escape")
    choice.closed()
    s.set_clipboard("")
    # A copy is taken only once the document command has ended.
    form.copied("Command7", "the ヒバリゾン hit again", equals(["ヒバリゾン錠5mg\tひばり製薬　糖尿病用剤"]))
    if s.opened() != opened_before or (s.documents / MEDICAL / "ヒバリゾン錠5mg.pdf").exists():
        raise Failure(f"Esc in the document choice fetched {s.opened()[len(opened_before):]}")

    # The insert without the guide, the first manual and the fourth, whose title
    # carries "../" that must stay inside the library.
    form.click("Command2")
    choice = Window(s, "ファイルの選択", "src/prescription/Form2.ui")
    choice.click("Check2")
    choice.click_first_row("List1")
    s.key("Down", "Down", "Down", "space")
    choice.shot("07-document-choice-manuals")
    choice.click("Command1")
    choice.closed()
    s.expect_document(f"{MEDICAL}/ヒバリゾン錠5mg.pdf")
    s.expect_document(f"{ROOT}/間質性肺炎.pdf")
    s.expect_document(f"{ROOT}/..／..／重篤副作用／皮膚.pdf")
    if (s.documents / PATIENT / "ヒバリゾン錠5mg.pdf").exists():
        raise Failure("the patient guide was fetched although it was unticked")

    # The revision history of the same drug.
    form.click("Command6")
    history = Window(s, "改訂指示反映履歴", "src/prescription/Form6.ui")
    history.click_first_row("List1")
    history.shot("08-revision-history")
    history.click("Command2")
    s.expect_document(f"{REVISION}/ヒバリゾン錠5mg：2023年04月　改訂.pdf")
    history.click_first_row("List1")  # the button took the focus
    s.key("Down", "Down", "Down")  # the entry whose link is relative to the service's host
    history.click("Command2")
    s.expect_document(f"{REVISION}/ヒバリゾン錠5mg：旧様式.pdf")
    history.shot("09-revision-relative-link")
    history.click("Command1")
    history.closed()

    form.click("Command8")
    memo = s.expect_memo("医療用医薬品情報.txt")
    if memo[0] != "一般名・販売名：ヒバリゾン" or memo[-1] != "ヒバリゾン錠5mg\tひばり製薬　糖尿病用剤":
        raise Failure(f"unexpected prescription memo: {memo}")

    form.focus_button("Command5")  # "閉じる" by Enter
    s.key("Return")
    form.closed()


def otc_window(s):
    menu = Window(s, "Hibari", "src/app/frmMain.ui")
    menu.click("Command1")
    form = Window(s, "一般用医薬品情報", "src/otc/Form3.ui")
    menu.closed()

    form.type_into("Text1", "ハルカゼ")
    s.key("Return")  # Return in a text box searches
    form.copied("Command8", "the three ハルカゼ products",
                equals(["ハルカゼ顆粒青葉製薬", "ハルカゼ錠ひばり薬品工業", "ハルカゼ液朝凪ファーマ"]))
    form.click_first_row("List1")
    form.shot("10-otc-hits")
    form.click("Command4")
    s.expect_document(f"{OTC}/ハルカゼ顆粒青葉製薬.pdf")

    form.type_into("Text1", "")
    form.click("Command1")
    form.copied("Command8", "page 1 of all products", page_is(20, "ハルカゼ顆粒青葉製薬", "イグスリ散白樺ヘルスケア"))
    form.click("Command3")
    form.copied("Command8", "page 2", equals(["ケッソン錠青葉製薬"]))
    form.click_first_row("List1")
    form.shot("11-otc-last-page")
    form.click("Command4")  # the service has lost this product's document
    form.message("通信エラー", "12-otc-missing-document")
    form.click("Command2")
    form.copied("Command8", "page 1 again", page_is(20, "ハルカゼ顆粒青葉製薬", "イグスリ散白樺ヘルスケア"))

    form.type_into("Text1", "障害")  # the service answers 503 while in maintenance
    form.click("Command1")
    form.message("通信エラー", "13a-otc-server-error")

    form.type_into("Text1", "不正")
    form.click("Command1")
    form.message("入力エラー", "13-otc-refusal")

    form.click("Command6")
    memo = s.expect_memo("一般用医薬品情報.txt")
    if memo[0] != "販売名：不正" or "ハルカゼ顆粒青葉製薬" not in memo or "ケッソン錠青葉製薬" in memo:
        raise Failure(f"unexpected OTC memo: {memo}")

    form.click("Command5")
    form.closed()


def disk_window(s):
    menu = Window(s, "Hibari", "src/app/frmMain.ui")
    menu.click("Command3")
    form = Window(s, "ディスク内検索", "src/library/Form4.ui")
    menu.closed()

    form.click("Option3")
    form.copied("Command4", "the prescription documents",
                equals(["A／B配合錠：試験用", "ハイバリン錠20mg", "ヒバリゾン錠5mg"]))
    form.click_first_row("List1")
    s.key("Down")
    form.shot("14-disk-search")
    s.fail_once.touch()  # no application for the document this time: told where it lies
    form.click("Command1")
    s.expect_opened(s.documents / MEDICAL / "ハイバリン錠20mg.pdf", times=2)
    form.message("文書を開けません", "14b-cannot-open")  # the text with the path: test_desktop

    form.click("Command3")
    rename = Window(s, "ファイル名の変更", "src/library/Form5.ui")
    rename.type_into("Text1", "ハイバリン錠20mg（2024年版）")
    rename.shot("15-rename")
    rename.click("Command1")
    rename.closed()
    form.copied("Command4", "the renamed document",
                equals(["A／B配合錠：試験用", "ハイバリン錠20mg（2024年版）", "ヒバリゾン錠5mg"]))

    # A name that is taken: the error, then the dialog stays for another try.
    form.click_first_row("List1")
    form.click("Command3")
    rename = Window(s, "ファイル名の変更", "src/library/Form5.ui")
    rename.type_into("Text1", "ヒバリゾン錠5mg")
    rename.click("Command1")
    rename.message("ファイル名変更エラー", "16-rename-taken")
    rename.click("Command2")
    rename.closed()

    form.click("Command5")
    memo = s.expect_memo("［医療用］.txt")
    if memo != ["A／B配合錠：試験用", "ハイバリン錠20mg（2024年版）", "ヒバリゾン錠5mg"]:
        raise Failure(f"unexpected library memo: {memo}")

    form.click("Option4")
    form.copied("Command4", "the manuals",
                lambda lines: lines is not None and sorted(lines) == sorted(["間質性肺炎", "..／..／重篤副作用／皮膚"]))
    form.click("Command2")
    form.closed()


def unique_insert_word(s, folder):
    """A drug name of the made-up inserts that occurs in exactly one document of the
    folder, as pdftotext reads them, and that document."""
    found = {}
    for path in sorted((s.documents / folder).glob("*.pdf")):
        text = subprocess.run(["pdftotext", "-enc", "UTF-8", str(path), "-"], capture_output=True,
                              timeout=60).stdout.decode("utf-8", "replace")
        for word in set(re.findall(r"ゼ[ァ-ヶー]+?ミドール", text.replace("\n", ""))):
            found.setdefault(word, []).append(path)
    unique = sorted((word, paths[0]) for word, paths in found.items() if len(paths) == 1)
    if not unique or len(found) < 2:
        raise Failure(f"the downloaded documents hold no word of one insert alone: {found}")
    return unique[0]


def fulltext_window(s):
    word, document = unique_insert_word(s, MEDICAL)
    menu = Window(s, "Hibari", "src/app/frmMain.ui")
    menu.click("Command6")
    form = Window(s, "文書内容検索", "src/fulltext/Form7.ui")
    menu.closed()
    form.type_into("Text1", word)
    s.key("Return")
    # The index is kept in the background: the list comes once the document is read.
    form.copied("Command3", f"the one document with {word}",
                lambda lines: lines is not None and len(lines) == 1
                and lines[0].split("\t")[:2] == [document.stem, "［医療用］"])
    form.click("List1", dx=60, dy=28)  # the first row, below the column headers
    form.shot("18-fulltext-search")
    s.key("Return")  # "文書表示" by Enter on the chosen row
    s.expect_opened(document)
    form.click("Command5")
    form.closed()


def end_program(s, menu):
    """Ends the program by "終　　了" on the main menu, by Enter; it must exit cleanly."""
    menu.focus_button("Command4")
    s.key("Return")
    try:
        code = s.program.wait(timeout=WAIT)
    except subprocess.TimeoutExpired:
        raise Failure('the program did not end after "終了"')
    if code != 0:
        raise Failure(f"the program ended with exit code {code}")


def finish(s):
    menu = Window(s, "Hibari", "src/app/frmMain.ui")
    menu.click("Command5")
    s.expect_opened(s.app / "Hibari.pdf")
    menu.shot("17-main-menu-again")
    end_program(s, menu)

    expected = {
        f"{MEDICAL}/A／B配合錠：試験用.pdf",
        f"{MEDICAL}/ハイバリン錠20mg（2024年版）.pdf",
        f"{MEDICAL}/ヒバリゾン錠5mg.pdf",
        f"{PATIENT}/ハイバリン錠20mg.pdf",
        f"{ROOT}/間質性肺炎.pdf",
        f"{ROOT}/..／..／重篤副作用／皮膚.pdf",
        f"{REVISION}/ヒバリゾン錠5mg：2023年04月　改訂.pdf",
        f"{REVISION}/ヒバリゾン錠5mg：旧様式.pdf",
        f"{OTC}/ハルカゼ顆粒青葉製薬.pdf",
    }
    found = s.library_files()
    if found != expected:
        raise Failure(f"library holds unexpected files: extra {sorted(found - expected)}, "
                      f"missing {sorted(expected - found)}")
    added = set(os.listdir(s.app)) - s.app_files_before
    expected_added = {"Temp.txt", "医療用医薬品情報.txt", "一般用医薬品情報.txt", "［医療用］.txt"}
    if added != expected_added:
        raise Failure(f"program folder gained {sorted(added)}, expected {sorted(expected_added)}")


STEPS = [
    ("main menu and library folders", main_menu),
    ("prescription search, paging, documents, manuals, revision history, memo", prescription_window),
    ("OTC search, paging, document, refusal, memo", otc_window),
    ("disk search, open, rename, memo", disk_window),
    ("full-text search of the downloaded documents, open", fulltext_window),
    ("manual and exit", finish),
]


def run_steps(session, steps, started, passed=0):
    """Runs each (title, step) in turn, printing "ok" or "FAIL" for each, until one
    fails; returns the counts of passed and failed steps."""
    failed = 0
    for title, step in steps:
        try:
            step()
            passed += 1
            print(f"ok - {title} ({time.monotonic() - started:.1f} s)", flush=True)
        except Exception as error:
            failed += 1
            print(f"FAIL - {title}: {error}")
            session.report_failure()
            break
    return passed, failed


def run_checks(session, args, checks):
    """Starts the session and runs checks(), which returns what passed; prints "ok" with
    it, or "FAIL" with what went wrong; always stops (and, unless --keep, removes) what
    was started, then lists the screenshots and the time taken. Returns the exit status."""
    started = time.monotonic()
    failed = False
    try:
        session.start()
        print(f"ok - {checks()}")
    except Exception as error:
        failed = True
        print(f"FAIL - {error}")
        session.report_failure()
    finally:
        session.stop()
        if not args.keep:
            session.cleanup()
    for path in session.shots:
        print(f"  {path}")
    print(f"took {time.monotonic() - started:.1f} s")
    return 1 if failed else 0


def run(args):
    session = Session(args)
    session.proxy_login = ("e2e-user", "e2e-pass")
    started = time.monotonic()
    passed = failed = 0
    try:
        try:
            session.start()
        except Failure as error:
            print(f"FAIL - start: {error}")
            session.report_failure()
            return 1
        menu = None

        def call(step):
            nonlocal menu
            if step is main_menu:
                menu = step(session)
            elif step is prescription_window:
                step(session, menu)
            else:
                step(session)

        passed, failed = run_steps(session, [(title, lambda step=step: call(step)) for title, step in STEPS], started)
    finally:
        session.stop()
        if not args.keep:
            session.cleanup()
    print(f"screenshots in {session.artifacts}:")
    for path in session.shots:
        print(f"  {path.name}")
    print(f"took {time.monotonic() - started:.1f} s")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or passed != len(STEPS) else 0


def parse_arguments(description, what=("--program", "the built program in its program folder"), scale=False):
    """The end-to-end scripts' command line: `what` they start, then what they share."""
    parser = argparse.ArgumentParser(description=description.splitlines()[0])
    parser.add_argument(what[0], required=True, help=what[1])
    parser.add_argument("--service", required=True, help="the built practice service")
    parser.add_argument("--source", required=True, help="the repository, for the windows' .ui files")
    parser.add_argument("--artifacts", required=True, help="folder for the screenshots")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    parser.add_argument("--inserts", default=os.environ.get("HIBARI_E2E_INSERTS"),
                        help="package inserts for the practice service to serve (made by make-inserts)")
    if scale:
        parser.add_argument("--scale", type=int, choices=(1, 2), default=1, help="the display scale")
    args = parser.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # ctest's time-out still stops what we started
    return args


def main():
    return run(parse_arguments(__doc__))


if __name__ == "__main__":
    sys.exit(main())
