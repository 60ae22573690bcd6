#!/usr/bin/python3
""""最新版の確認" and "更新を取得" in a real X window, with the service's real delays.

The program runs under Xvfb as read_accessible.py runs it (what the list and the
summary line show is read over AT-SPI). A document is saved through the prescription
window; the practice service is then restarted on the same port, every chunk late
(--latency), so that each check takes longer than the half second after which
"通信中" shows. "最新版の確認" on the empty list checks the whole library: 最新.
The service restarts again serving a newer version of every document (--revise all):
the check says 更新あり; "更新を取得", answered yes, replaces the document, the
list says 最新 again, the old version lies in the private trash under
XDG_DATA_HOME and the new one in the library. With --scale 2 the program runs at
display scale 2 (as fit_screen.py runs it): the windows taller than the screen are
scrolled to reach their controls.

Usage: check_updates.py --program build/app/hibari --service build/tools/practice-service
                        --source <repository> --artifacts build/e2e-artifacts-updates [--scale 2]
"""

import sys

from drive_program import MEDICAL, WAIT, Failure, Window, end_program, parse_arguments, run_checks, wait_for
from fit_screen import SCALE, AtScale, ScaledWindow
from read_accessible import AccessibleSession, Reader

LATENCY_MS = "1000"  # each way: a round trip of two seconds, "通信中" shows after half of one
DOCUMENT = "A／B配合錠：試験用.pdf"
FULLTEXT = "文書内容検索"


def summary(current=0, updated=0):
    return f"最新 {current}  更新あり {updated}  取得元不明 0  見つかりません 0  通信エラー 0"


class ScaledAccessibleSession(AtScale, AccessibleSession):
    pass


class Scrolled(ScaledWindow):
    """A window at display scale 2, scrolled with the wheel on its right edge."""

    def scroll(self, button, offset):
        x, y = self.x + self.width - 4, self.y + self.height // 2
        self.session.xdotool("mousemove", "--sync", str(x), str(y), "click", "--repeat", "40", "--delay", "20",
                             button)
        self.offset = offset

    def bottom(self):
        self.scroll("5", self.full_height - self.height // SCALE)

    def top(self):
        self.scroll("4", 0)


def save_document(s, reader, window):
    menu = window(s, "Hibari", "src/app/frmMain.ui")
    menu.click("Command2")
    form = window(s, "医療用医薬品情報", "src/prescription/Form1.ui")
    menu.closed()
    form.type_into("Text1", "A/B")
    form.click("Command1")
    wait_for("the A/B hit", lambda: "A/B配合錠:試験用" in reader.texts("医療用医薬品情報"))
    if isinstance(form, Scrolled):  # the search scrolled the whole hit list into view
        _, y, _, h = form.layout["List1"]
        form.offset = y + h - form.height // SCALE
    form.click_first_row("List1")
    s.key("Return")  # 文書表示 on the hit; one document: fetched without asking
    s.expect_document(f"{MEDICAL}/{DOCUMENT}")
    form.click("Command5")
    form.closed()


def shows(reader, state, current, updated):
    """The list's row reads (document, folder, page, state) and the summary line the counts."""
    def probe():
        texts = reader.texts(FULLTEXT)
        return summary(current, updated) in texts and any(
            texts[i:i + 4] == ["A／B配合錠：試験用", "［医療用］", "", state] or
            texts[i:i + 3] == ["A／B配合錠：試験用", "［医療用］", state] for i in range(len(texts)))
    try:
        wait_for(f"{state} in the 確認 column and the summary line", probe)
    except Failure as failure:
        raise Failure(f"{failure}; the window reads {reader.texts(FULLTEXT)}") from None


def through_transfer(s, press):
    """Presses, then sees "通信中" come (the service is slow) and go."""
    press()
    wait_for('"通信中"', lambda: s.windows_titled("通信中"))
    wait_for('"通信中" to close', lambda: not s.windows_titled("通信中"), timeout=WAIT * 2)


def check_and_update(s, reader, window):
    s.restart_service("--latency", LATENCY_MS)
    menu = window(s, "Hibari", "src/app/frmMain.ui")
    menu.click("Command6")
    form = window(s, FULLTEXT, "src/fulltext/Form7.ui")
    menu.closed()
    if isinstance(form, Scrolled):  # the check's buttons lie below the screen
        form.bottom()
    through_transfer(s, lambda: form.click("Command8"))  # the empty list: the whole library
    shows(reader, "最新", 1, 0)
    form.shot("updates-01-current")

    document = s.documents / MEDICAL / DOCUMENT
    old = document.read_bytes()
    s.restart_service("--latency", LATENCY_MS, "--revise", "all")
    through_transfer(s, lambda: form.click("Command8"))
    shows(reader, "更新あり", 0, 1)
    form.shot("updates-02-updated")
    if document.read_bytes() != old:
        raise Failure("the check alone changed the saved document")

    form.click("Command9")
    through_transfer(s, lambda: form.message("更新を取得", "updates-03-question", answer="alt+y"))
    shows(reader, "最新", 1, 0)
    form.shot("updates-04-fetched")

    new = document.read_bytes()
    if new == old or not new.startswith(b"%PDF-"):
        raise Failure(f"the library does not hold the newer version (starts {new[:16]!r})")
    trash = s.temp / "data" / "Trash"
    trashed = list((trash / "files").glob("A／B配合錠：試験用*.pdf")) if (trash / "files").is_dir() else []
    if len(trashed) != 1 or trashed[0].read_bytes() != old:
        raise Failure(f"the old version is not in the trash: {sorted(p.name for p in trash.rglob('*'))}")
    if not (trash / "info" / (trashed[0].name + ".trashinfo")).is_file():
        raise Failure("the trashed version has no .trashinfo: the desktop could not restore it")
    if s.library_files() != {f"{MEDICAL}/{DOCUMENT}"}:
        raise Failure(f"the library holds {sorted(s.library_files())}")

    if isinstance(form, Scrolled):
        form.top()
    form.click("Command5")
    form.closed()
    menu = window(s, "Hibari", "src/app/frmMain.ui")
    end_program(s, menu)


def run(args):
    scaled = args.scale == 2
    session = ScaledAccessibleSession(args) if scaled else AccessibleSession(args)
    window = Scrolled if scaled else Window

    def checks():
        reader = Reader(session)
        save_document(session, reader, window)
        check_and_update(session, reader, window)
        return f"at scale {args.scale}: checked 最新, then 更新あり; fetched the update, the old version in the trash"

    return run_checks(session, args, checks)


def main():
    return run(parse_arguments(__doc__, scale=True))


if __name__ == "__main__":
    sys.exit(main())
