#!/usr/bin/python3
"""Reads every window of the built program as a screen reader does, over AT-SPI.

The program runs under Xvfb as drive_program.py runs it, against the practice
service, inside a D-Bus session of its own (dbus-daemon on a socket in the temporary
folder) with the desktop's accessibility bus (at-spi-bus-launcher, which starts
at-spi2-registryd) and QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1. Each window is opened
with xdotool and read with pyatspi, a message box among them: every control that can
take the focus must have a name, and not one that is only a control's name in the
program ("Label10", "Text1"), and no control the user never sees may be there (but
the drop-down list of a closed choice list). The entries of lists are data, not
controls, and are not read. The proxy's login question, the transfer window and the
conversion's progress window are read by the window test test_accessibility.
Each window's count of focusable, unnamed and unseen controls is printed.

Usage: read_accessible.py --program build/app/hibari --service build/tools/practice-service
                          --source <repository> --artifacts build/e2e-artifacts-accessible
"""

import os
import re
import shutil
import signal
import subprocess
import sys

from drive_program import (MEDICAL, WAIT, Failure, end_program, Session, Window, equals, parse_arguments,
                           run_checks, wait_for)

REQUIRED = ["dbus-daemon", "/usr/libexec/at-spi-bus-launcher"]
OBJECT_NAME = re.compile(r"^[A-Za-z_]+[0-9]+$")


class AccessibleSession(Session):
    """The program on a D-Bus session and accessibility bus of its own."""

    bus = None
    launcher = None

    def stop(self):
        super().stop()
        if self.launcher is not None:
            try:
                os.killpg(self.launcher.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass

    def _start_display(self):
        super()._start_display()
        missing = [tool for tool in REQUIRED if shutil.which(tool) is None]
        if missing:
            raise Failure("missing (scripts/setup installs dbus and at-spi2-core): " + ", ".join(missing))
        socket = self.temp / "bus"
        self.bus = self._spawn_reporting("dbus-daemon", ["dbus-daemon", "--session", "--nofork",
                                                         f"--address=unix:path={socket}", "--print-address={fd}"],
                                         self.x_env(), "address", 256)
        # The launcher starts the accessibility bus and the registry as its own
        # children: in a process group of their own, stopped together.
        log = self.temp / "at-spi-bus-launcher.log"
        with open(log, "wb") as out:
            self.launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                             env=self.bus_env(self.x_env()), stdin=subprocess.DEVNULL, stdout=out,
                                             stderr=subprocess.STDOUT, start_new_session=True)
        self.processes.append(("at-spi-bus-launcher", self.launcher, log))
        # This process reads the tree: it joins the same session and display.
        os.environ.update({"DBUS_SESSION_BUS_ADDRESS": self.bus, "DISPLAY": self.display})
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        wait_for("the accessibility bus", self._a11y_bus_up)

    def bus_env(self, env):
        env = dict(env)
        env["DBUS_SESSION_BUS_ADDRESS"] = self.bus
        env.pop("AT_SPI_BUS_ADDRESS", None)
        return env

    def _a11y_bus_up(self):
        """The launcher owns its name on the session bus (asked without starting another)."""
        if self.launcher.poll() is not None:
            raise Failure(f"at-spi-bus-launcher ended (exit {self.launcher.returncode})")
        result = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                 "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"],
                                env=self.bus_env(self.x_env()), capture_output=True, text=True, timeout=10)
        return result.returncode == 0 and "boolean true" in result.stdout

    def _clean_environment(self):
        env = self.bus_env(super()._clean_environment())
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        return env


class Reader:
    """The program's accessible tree, read with pyatspi."""

    def __init__(self, session):
        import pyatspi  # after the session bus is known: it connects on import
        from gi.repository import Atspi, GLib
        self.pyatspi = pyatspi
        self.atspi = Atspi
        self.context = GLib.MainContext.default()
        self.session = session
        self.errors = []  # every window is read; the verdict comes at the end

    def application(self):
        while self.context.pending():  # the bus's news of windows come and gone
            self.context.iteration(False)
        desktop = self.pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            try:
                if app is not None and app.get_process_id() == self.session.program.pid:
                    app.set_cache_mask(self.atspi.Cache.NONE)  # read what is there now, not what was
                    return app
            except Exception:  # an application leaving the bus meanwhile
                continue
        return None

    def frame(self, title):
        self.session.program_alive()
        app = self.application()
        if app is None:
            return None
        for index in range(app.childCount):
            window = app.getChildAtIndex(index)
            if window is not None and window.name == title and window.childCount > 0 \
                    and window.getState().contains(self.pyatspi.STATE_SHOWING):
                return window
        return None

    def controls(self, node, found, depth=0, in_combo=False):
        """Every focusable object under node as (name, role, showing, a choice list's
        drop-down list); list entries left out."""
        if node is None or depth > 40:
            return found
        role = node.getRole()
        state = node.getState()
        if state.contains(self.pyatspi.STATE_FOCUSABLE) and role != self.pyatspi.ROLE_FRAME:
            found.append((node.name, node.getRoleName(), state.contains(self.pyatspi.STATE_SHOWING), in_combo))
        if role in (self.pyatspi.ROLE_LIST, self.pyatspi.ROLE_LIST_BOX, self.pyatspi.ROLE_TABLE,
                    self.pyatspi.ROLE_TREE_TABLE, self.pyatspi.ROLE_TREE):
            return found
        for index in range(node.childCount):
            self.controls(node.getChildAtIndex(index), found, depth + 1, role == self.pyatspi.ROLE_COMBO_BOX)
        return found

    def texts(self, title, node=None, found=None, depth=0):
        """Every name shown in the window titled so, list entries and labels included, in
        the order of the tree (a table's cells row by row)."""
        if node is None:
            node = wait_for(f'"{title}" on the accessibility bus', lambda: self.frame(title))
            found = []
        if node is not None and depth <= 40:
            if node.name:
                found.append(node.name)
            for index in range(node.childCount):
                self.texts(title, node.getChildAtIndex(index), found, depth + 1)
        return found

    def check(self, title, expected=()):
        """Reads the window titled so; notes each unnamed control and each missing expected name."""
        window = wait_for(f'"{title}" on the accessibility bus', lambda: self.frame(title))
        controls = self.controls(window, [])
        unnamed = [(name, role) for name, role, _, _ in controls if not name.strip() or OBJECT_NAME.match(name)]
        # What the user never sees is not there: only a closed choice list's entries wait unseen.
        unseen = [(name, role) for name, role, showing, dropping in controls if not showing and not dropping]
        print(f"  {title}: {len(controls)} focusable, {len(unnamed)} unnamed, {len(unseen)} unseen"
              + "".join(f"\n    {role} {name!r}" for name, role in unnamed), flush=True)
        names = [name for name, _, _, _ in controls]
        errors = [f"{role} named {name!r}" for name, role in unnamed]
        errors += [f"unseen {role} {name!r} exposed" for name, role in unseen]
        errors += [f"no control named {name!r}" for name in expected if name not in names]
        self.errors += [f'"{title}": {error}' for error in errors]


# ---- the windows, opened as a user opens them ---------------------------------


def read_windows(s, reader):
    menu = Window(s, "Hibari", "src/app/frmMain.ui")
    reader.check("Hibari", ["一般用医薬品情報検索", "医療用医薬品情報検索", "ディスク内検索", "文書内容検索", "？使用説明書",
                            "終了"])

    menu.click("Command2")
    form = Window(s, "医療用医薬品情報", "src/prescription/Form1.ui")
    menu.closed()
    reader.check("医療用医薬品情報", ["一般名・販売名", "薬効分類", "項目内検索1", "項目内検索1のキーワード",
                                 "項目内検索1の条件", "検索件数", "選択中の文書", "検索結果", "メモ", "コピー"])
    form.click("Command2")  # nothing selected: a message box
    reader.check("選択エラー", ["OK"])
    box = Window(s, "選択エラー")
    box.focus()
    s.key("Return")
    box.closed()

    # One hit with one document, fetched without asking: the disk search has a file.
    form.type_into("Text1", "A/B")
    form.click("Command1")
    form.copied("Command7", "the A/B hit", equals(["A/B配合錠:試験用\t試験薬品　配合剤"]))
    form.click_first_row("List1")
    form.click("Command2")
    s.expect_document(f"{MEDICAL}/A／B配合錠：試験用.pdf")

    # A hit with manuals: the document-kind choice, then the revision history.
    form.type_into("Text1", "ヒバリゾン")
    form.click("Command1")
    form.copied("Command7", "the ヒバリゾン hit", equals(["ヒバリゾン錠5mg\tひばり製薬　糖尿病用剤"]))
    form.click_first_row("List1")
    form.click("Command2")
    choice = Window(s, "ファイルの選択", "src/prescription/Form2.ui")
    reader.check("ファイルの選択", ["医薬品添付文書情報", "マニュアル", "文書表示"])
    choice.focus()
    s.key("Escape")
    choice.closed()
    form.click("Command6")
    history = Window(s, "改訂指示反映履歴", "src/prescription/Form6.ui")
    reader.check("改訂指示反映履歴", ["改訂指示反映履歴", "文書表示", "閉じる"])
    history.click("Command1")
    history.closed()
    form.click("Command5")
    form.closed()

    menu = Window(s, "Hibari", "src/app/frmMain.ui")
    menu.click("Command1")
    form = Window(s, "一般用医薬品情報", "src/otc/Form3.ui")
    menu.closed()
    reader.check("一般用医薬品情報", ["販売名", "剤形", "成分名を含む", "成分名を除く", "添加物名を含む",
                                 "添加物名を除く", "検索件数", "選択中の文書", "検索結果", "検索"])
    form.click("Command5")
    form.closed()

    menu = Window(s, "Hibari", "src/app/frmMain.ui")
    menu.click("Command3")
    form = Window(s, "ディスク内検索", "src/library/Form4.ui")
    menu.closed()
    reader.check("ディスク内検索", ["［医療用］", "保存文書", "メモ", "コピー"])
    form.click("Option3")
    form.copied("Command4", "the prescription document", equals(["A／B配合錠：試験用"]))
    form.click_first_row("List1")
    form.click("Command3")
    rename = Window(s, "ファイル名の変更", "src/library/Form5.ui")
    reader.check("ファイル名の変更", ["変更後の名前", "変更する", "変更しない"])
    rename.click("Command2")
    rename.closed()
    form.click("Command2")
    form.closed()

    menu = Window(s, "Hibari", "src/app/frmMain.ui")
    menu.click("Command6")
    form = Window(s, "文書内容検索", "src/fulltext/Form7.ui")
    menu.closed()
    reader.check("文書内容検索", ["検索する語", "検索", "［改訂指示］", "検索結果", "文書のページ", "メモ", "閉じる",
                                 "最新版の確認", "更新を取得"])
    form.click("Command5")
    form.closed()

    menu = Window(s, "Hibari", "src/app/frmMain.ui")
    end_program(s, menu)


def run(args):
    session = AccessibleSession(args)

    def checks():
        reader = Reader(session)
        read_windows(session, reader)
        if reader.errors:
            raise Failure("what a screen reader reads:\n  " + "\n  ".join(reader.errors))
        return "every focusable control of every window is named"

    return run_checks(session, args, checks)


def main():
    return run(parse_arguments(__doc__))


if __name__ == "__main__":
    sys.exit(main())
