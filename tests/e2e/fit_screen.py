#!/usr/bin/env python3
"""The program at display scale 2 on a 1280x1024 screen: every working window fits.

Runs the built program under its own Xvfb as drive_program.py does, with
QT_SCALE_FACTOR=2, so the screen offers 640x512 pixels of the program's own. Each
working window must lie within the screen; where its layout is taller than that, its
contents scroll: the scroll bar is turned down to the end and the window's "閉じる"
button, found where the scrolled layout puts it, must close the window. In the
prescription window a search first scrolls the hit list into view: its first row is
clicked where that scroll puts it. Screenshots of each window before and after
scrolling go to the artifacts folder.

Usage: fit_screen.py --program build/app/hibari --service build/tools/practice-service
                     --source <repository> --artifacts build/e2e-artifacts/scale2
"""

import sys
import xml.etree.ElementTree as ET

from drive_program import Failure, Session, Window, parse_arguments, run_checks, wait_for

SCALE = 2
SCREEN = (1280, 1024)


def ui_height(session, ui_file):
    """The window's own height in a .ui file."""
    rect = ET.parse(session.source / ui_file).getroot().find("widget/property[@name='geometry']/rect")
    return int(rect.find("height").text)


class AtScale:
    """Mixed into a session: the program runs at display scale SCALE."""

    def _clean_environment(self):
        env = super()._clean_environment()
        env["QT_SCALE_FACTOR"] = str(SCALE)
        return env


class ScaledSession(AtScale, Session):
    pass


class ScaledWindow(Window):
    """A window whose .ui layout is drawn at SCALE, scrolled down by `offset` of its pixels."""

    offset = 0

    def __init__(self, session, title, ui_file=None):
        super().__init__(session, title, ui_file)
        self.full_height = ui_height(session, ui_file) if ui_file else 0
        out = session.xdotool("getwindowgeometry", "--shell", self.id)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        self.width, self.height = int(values["WIDTH"]), int(values["HEIGHT"])

    def point(self, control, dx=None, dy=None):
        x, y, w, h = self.layout[control]
        x += w // 2 if dx is None else dx
        y += (h // 2 if dy is None else dy) - self.offset
        return self.x + x * SCALE, self.y + y * SCALE

    def fits(self):
        if self.x < 0 or self.y < 0 or self.x + self.width > SCREEN[0] or self.y + self.height > SCREEN[1]:
            raise Failure(f'"{self.title}" at {self.x},{self.y} size {self.width}x{self.height} '
                          f"runs off the {SCREEN[0]}x{SCREEN[1]} screen")

    def scroll_to_end(self):
        """Turns the wheel on the vertical scroll bar at the right edge until the end."""
        x, y = self.x + self.width - 4, self.y + self.height // 2
        self.session.xdotool("mousemove", "--sync", str(x), str(y))
        self.session.xdotool("click", "--repeat", "40", "--delay", "20", "5")
        self.offset = self.full_height - self.height // SCALE


def search_brings_hits_into_view(s, form):
    """検索 scrolls as little as shows the whole list: its bottom at the view's bottom."""
    form.shot("scale2-02a-prescription-before-search")
    before = (s.artifacts / "scale2-02a-prescription-before-search.png").read_bytes()
    form.click("Command1")
    after = s.artifacts / "scale2-02b-prescription-hits.png"

    def changed():
        form.shot("scale2-02b-prescription-hits")  # once painting has settled
        return after.read_bytes() != before

    wait_for("the search to show its hits", changed)
    _, y, _, h = form.layout["List1"]
    form.offset = y + h - form.height // SCALE
    form.click_first_row("List1")
    form.click("Text5")
    s.key("ctrl+a", "ctrl+c")
    if s.clipboard() != "ハイバリン錠10mg":
        raise Failure(f"the first hit was not where the scrolled list shows it: Text5 held {s.clipboard()!r}")
    x, mid = form.x + form.width - 4, form.y + form.height // 2
    s.xdotool("mousemove", "--sync", str(x), str(mid), "click", "--repeat", "40", "--delay", "20", "4")
    form.offset = 0


def check_window(s, menu_button, title, ui_file, close_button, shot):
    menu = ScaledWindow(s, "Hibari", "src/app/frmMain.ui")
    menu.fits()
    menu.click(menu_button)
    form = ScaledWindow(s, title, ui_file)
    menu.closed()
    form.fits()
    if ui_file == "src/prescription/Form1.ui":
        search_brings_hits_into_view(s, form)
    form.shot(f"{shot}-top")
    if form.height >= form.full_height * SCALE:
        raise Failure(f'"{title}" is {form.height} pixels tall: it was expected to be cut to the screen')
    before = (s.artifacts / f"{shot}-top.png").read_bytes()
    form.scroll_to_end()
    form.shot(f"{shot}-scrolled")
    if (s.artifacts / f"{shot}-scrolled.png").read_bytes() == before:
        raise Failure(f'"{title}" did not scroll')
    _, y, _, h = form.layout[close_button]
    if y - form.offset < 0:  # above the scrolled view: back to the top
        x, mid = form.x + form.width - 4, form.y + form.height // 2
        s.xdotool("mousemove", "--sync", str(x), str(mid), "click", "--repeat", "40", "--delay", "20", "4")
        form.offset = 0
    form.click(close_button)
    form.closed()


def run(args):
    session = ScaledSession(args)

    def checks():
        menu = ScaledWindow(session, "Hibari", "src/app/frmMain.ui")
        menu.fits()
        menu.shot("scale2-01-main-menu")
        check_window(session, "Command2", "医療用医薬品情報", "src/prescription/Form1.ui", "Command5",
                     "scale2-02-prescription")
        check_window(session, "Command1", "一般用医薬品情報", "src/otc/Form3.ui", "Command5", "scale2-03-otc")
        check_window(session, "Command3", "ディスク内検索", "src/library/Form4.ui", "Command2", "scale2-04-disk")
        check_window(session, "Command6", "文書内容検索", "src/fulltext/Form7.ui", "Command5", "scale2-05-fulltext")
        return "every working window fits the screen at scale 2 and scrolls; a search shows its hits"

    return run_checks(session, args, checks)


def main():
    return run(parse_arguments(__doc__))


if __name__ == "__main__":
    sys.exit(main())
