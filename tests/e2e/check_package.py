#!/usr/bin/env python3
"""Makes the .deb, unpacks it into a scratch root and checks it as a user would meet it.

cpack builds the package from the build folder; the package's metadata, the desktop
entry (desktop-file-validate), the AppStream file (appstreamcli, without network) and
the whole package (lintian, no errors) are checked. Then the program installed in the
scratch root runs under Xvfb with the practice service named by --service-base: the
window comes up, a search reaches the service, and the memo file and Temp.txt land in
the per-user folder while the install tree and the current directory stay untouched.
A bad address must end the program with a message box, exit status 2 and no folder
made; --help and --version must work without a display, and a bad command line there
must print its reason and end with status 2. Started as the desktop entry starts it,
without options, the program takes the service's address from hibari.conf and moves a
library that an earlier version left in the per-user folder into the documents
folder, once, with one message.

The display, the practice service, the window driving and the document recorder are
drive_program.py's.

Usage: check_package.py --build build --source <repository> --artifacts build/package-artifacts
"""

import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
from drive_program import MEDICAL, Failure, Session, Window, page_is, parse_arguments, run_steps, wait_for  # noqa: E402

TOOLS = ["cpack", "dpkg-deb", "dpkg-shlibdeps", "lintian", "desktop-file-validate", "appstreamcli"]
INSTALLED = [
    "usr/bin/hibari",
    "usr/share/hibari/E2S.param",
    "usr/share/hibari/count.param",
    "usr/share/hibari/Hibari.pdf",
    "usr/share/applications/hibari.desktop",
    "usr/share/icons/hicolor/scalable/apps/hibari.svg",
    "usr/share/metainfo/org.example.hibari.metainfo.xml",
    "usr/share/man/man1/hibari.1.gz",
    "usr/share/doc/hibari/copyright",
    "usr/share/doc/hibari/changelog.gz",
]


def run(command, **kwargs):
    kwargs.setdefault("timeout", 600)
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def tree(root):
    return {str(p.relative_to(root)): p.stat().st_mtime_ns for p in root.rglob("*")}


class PackageSession(Session):
    """A drive_program session whose program is the one unpacked from the .deb."""

    def __init__(self, args):
        args.program = None
        super().__init__(args)
        self.root = self.temp / "root"
        self.data = self.temp / "data"
        self.app = self.data / "hibari"  # where the memo files are looked for
        self.cwd = self.temp / "cwd"
        self.deb = None

    def make_package(self):
        missing = [tool for tool in TOOLS if shutil.which(tool) is None]
        if missing:
            raise Failure("missing tools (scripts/setup installs them): " + ", ".join(missing))
        out = self.temp / "deb"
        result = run(["cpack", "-G", "DEB", "--config", str(Path(self.args.build) / "CPackConfig.cmake"),
                      "-B", str(out)])
        debs = list(out.glob("hibari_*.deb"))
        if result.returncode != 0 or len(debs) != 1:
            raise Failure(f"cpack failed ({result.returncode}): {result.stdout[-3000:]}{result.stderr[-3000:]}")
        self.deb = debs[0]
        depends = run(["dpkg-deb", "-f", str(self.deb), "Depends"]).stdout
        for needed in ("libqt6widgets6", "libqt6network6", "fonts-ipafont-gothic", "xdg-utils"):
            if needed not in depends:
                raise Failure(f"Depends lacks {needed}: {depends.strip()}")
        result = run(["dpkg-deb", "-x", str(self.deb), str(self.root)])
        if result.returncode != 0:
            raise Failure(f"dpkg-deb -x failed: {result.stderr}")
        missing = [path for path in INSTALLED if not (self.root / path).is_file()]
        if missing:
            raise Failure(f"the package lacks {missing}")

    def validate(self):
        desktop = run(["desktop-file-validate", str(self.root / INSTALLED[4])])
        if desktop.returncode != 0 or desktop.stdout.strip():
            raise Failure(f"desktop-file-validate: {desktop.stdout}{desktop.stderr}")
        metainfo = run(["appstreamcli", "validate", "--no-net", "--pedantic", str(self.root / INSTALLED[6])])
        if metainfo.returncode != 0:
            raise Failure(f"appstreamcli validate: {metainfo.stdout}{metainfo.stderr}")
        lintian = run(["lintian", "--tag-display-limit", "0", str(self.deb)])
        tags = [line for line in lintian.stdout.splitlines() if line[:2] in ("E:", "W:")]
        for line in tags:
            print(f"  lintian: {line}")
        if any(line.startswith("E:") for line in tags) or lintian.returncode not in (0, 1):
            raise Failure(f"lintian reports errors: {lintian.stdout}{lintian.stderr}")

    def environment(self, home, display=True):
        env = self._clean_environment()
        env.update({
            "HOME": str(home),
            "XDG_CONFIG_HOME": str(self.temp / "config"),
            "XDG_CACHE_HOME": str(self.temp / "cache"),
            "XDG_DATA_HOME": str(self.data if home == self.home else home / "data"),
            "XDG_RUNTIME_DIR": str(self.temp / "runtime"),
            "XDG_CURRENT_DESKTOP": "X-Generic",
        })
        if display:
            env.update({"DISPLAY": self.display, "QT_QPA_PLATFORM": "xcb"})
        return env

    def start(self):
        if self.artifacts.exists():
            shutil.rmtree(self.artifacts)
        self.artifacts.mkdir(parents=True)
        self.documents.mkdir(parents=True)
        self.cwd.mkdir()
        (self.temp / "runtime").mkdir(mode=0o700)
        self.make_package()
        self.validate()
        self._prepare_recorder()  # makes self.data: the per-user folder is made by the program
        self._start_display()
        self.port = self._start_service()
        self.tree_before = tree(self.root)

    def start_program(self, *arguments, home=None):
        env = self.environment(home or self.home)
        return self._spawn("hibari", [str(self.root / "usr/bin/hibari"), *arguments], env, cwd=self.cwd)


def search_and_memo(s):
    s.program = s.start_program("--service-base", f"http://127.0.0.1:{s.port}")
    menu = Window(s, "Hibari", "src/app/frmMain.ui")
    wait_for("the library folder", (s.documents / MEDICAL).is_dir)
    menu.shot("01-installed-menu")
    menu.click("Command2")
    form = Window(s, "医療用医薬品情報", "src/prescription/Form1.ui")
    form.click("Command1")  # every drug
    form.copied("Command7", "page 1 from the practice service", page_is(20, "ハイバリン錠10mg", "ヒバリ薬20錠"))
    form.click("Command8")
    memo = s.expect_memo("医療用医薬品情報.txt")
    if len(memo) < 20:
        raise Failure(f"short memo: {memo}")
    if not (s.app / "Temp.txt").is_file():
        raise Failure("Temp.txt is not in the per-user folder")
    form.click("Command5")
    form.closed()
    Window(s, "Hibari", "src/app/frmMain.ui").click("Command4")
    code = s.program.wait(timeout=30)
    if code != 0:
        raise Failure(f"the program ended with exit code {code}")
    if tree(s.root) != s.tree_before:
        raise Failure("the program changed its install tree")
    if list(s.cwd.iterdir()):
        raise Failure(f"the program wrote into the current directory: {list(s.cwd.iterdir())}")


def bad_address(s):
    home = s.temp / "home-bad"
    home.mkdir()
    s.program = s.start_program("--service-base", "ftp://drug-info.example", home=home)
    box = Window(s, "起動エラー")
    box.shot("02-bad-address")
    box.focus()
    s.key("Return")
    code = s.program.wait(timeout=30)
    log = s.processes[-1][2].read_text(encoding="utf-8", errors="replace")
    if code != 2 or "ftp://drug-info.example" not in log:
        raise Failure(f"exit code {code}, output {log!r}")
    made = [str(p.relative_to(home)) for p in home.rglob("*")]
    if made:
        raise Failure(f"a bad address still made {made}")


def without_display(s):
    env = s.environment(s.home, display=False)
    for option, expected in (("--help", "Usage: hibari [options]"), ("--version", "hibari 1.0.0")):
        result = run([str(s.root / "usr/bin/hibari"), option], env=env, cwd=s.cwd, timeout=30)
        if result.returncode != 0 or expected not in result.stdout:
            raise Failure(f"{option}: exit {result.returncode}, {result.stdout!r} {result.stderr!r}")
    for arguments, reason in ((["--bogus"], "bogus"), (["--service-base", "ftp://h.example"], "ftp://h.example")):
        result = run([str(s.root / "usr/bin/hibari"), *arguments], env=env, cwd=s.cwd, timeout=30)
        if result.returncode != 2 or reason not in result.stderr:
            raise Failure(f"{arguments}: exit {result.returncode} (2 wanted, never a signal), {result.stderr!r}")


def configured_and_moved(s):
    home = s.temp / "home-earlier"
    earlier = home / "data" / "hibari" / "医薬品情報"
    (earlier / "［医療用］").mkdir(parents=True)
    (earlier / "［医療用］" / "以前の文書.pdf").write_bytes(b"%PDF-1.4 earlier\n")
    (earlier / "重篤.pdf").write_bytes(b"%PDF-1.4 manual\n")
    conf = s.temp / "config" / "hibari" / "hibari.conf"
    conf.parent.mkdir(parents=True, exist_ok=True)
    conf.write_text(f"ServiceBase=http://127.0.0.1:{s.port}\n", encoding="utf-8")
    try:
        s.program = s.start_program(home=home)  # as the desktop entry starts it
        box = Window(s, "文書フォルダーの移動")
        box.shot("03-library-moved")
        box.focus()
        s.key("Return")
        library = home / "Documents" / "医薬品情報"
        for moved in (library / "［医療用］" / "以前の文書.pdf", library / "重篤.pdf"):
            if not moved.is_file():
                raise Failure(f"{moved} was not moved")
        if earlier.exists():
            raise Failure(f"the earlier library is still there: {list(earlier.rglob('*'))}")
        menu = Window(s, "Hibari", "src/app/frmMain.ui")
        menu.click("Command2")
        form = Window(s, "医療用医薬品情報", "src/prescription/Form1.ui")
        form.click("Command1")
        form.copied("Command7", "page 1 through the address in hibari.conf",
                    page_is(20, "ハイバリン錠10mg", "ヒバリ薬20錠"))
        form.click("Command5")
        form.closed()
        Window(s, "Hibari", "src/app/frmMain.ui").click("Command4")
        code = s.program.wait(timeout=30)
        if code != 0:
            raise Failure(f"the program ended with exit code {code}")
    finally:
        conf.unlink()


STEPS = [
    ("installed program: search through --service-base, memo and Temp.txt per user", search_and_memo),
    ("bad address: message box, exit status 2, nothing made", bad_address),
    ("--help, --version and a bad command line without a display", without_display),
    ("started without options: address from hibari.conf, earlier library moved once", configured_and_moved),
]


def main():
    args = parse_arguments(__doc__, ("--build", "the build folder (with CPackConfig.cmake)"))
    session = PackageSession(args)
    started = time.monotonic()
    passed = failed = 0
    try:
        try:
            session.start()
            passed += 1
            print(f"ok - package made, unpacked and validated ({time.monotonic() - started:.1f} s)", flush=True)
        except Failure as error:
            print(f"FAIL - package: {error}")
            session.report_failure()
            return 1
        passed, failed = run_steps(session, [(title, lambda step=step: step(session)) for title, step in STEPS],
                                   started, passed)
    finally:
        session.stop()
        if not args.keep:
            session.cleanup()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or passed != len(STEPS) + 1 else 0


if __name__ == "__main__":
    sys.exit(main())
