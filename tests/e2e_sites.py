#!/usr/bin/env python3
# Real sites on 127.0.0.1 (tests/siteservers.py) opened by the installed bar through GVfs, with a
# stand-in file manager on a private session bus; what the bar shows is read over AT-SPI and
# answered with xdotool. One mode a run: MODE BUILD-FOLDER; exit status 77 means skipped.
#   certificate  FTPS, its site typed into the login dialog with its own scheme: GVfs's question
#                about the self-signed certificate in the bar's window, whole, with GVfs's labels;
#                Escape refuses it: no login, nothing mounted, nothing shown; "Go" again and its
#                "Yes" clicked: one login with the address's credentials, mounted, then shown.
#   hostkey      SFTP whose host key is new: GVfs's question, "Log In Anyway" clicked, one login,
#                mounted before the file manager is asked. In a mount namespace of its own, so
#                that ssh reads a test's .ssh (root only).
#   refused      a wrong password from the login dialog: the server refuses it once, nothing is
#                shown, the dialog comes back with the user ID and site filled and the password
#                empty and focused; the right one typed there logs in and the site is shown.
#   typed        an address typed into the address box by hand, its user ID and password
#                holding a raw "@" and ":": logged in as that user, shown.
import json
import os
import pwd
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_desktop  # noqa: E402
from e2e_desktop import STANDIN, install, skipped, waitfor  # noqa: E402

SERVERS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "siteservers.py")

# Prints, once the window titled argv[1] shows a text, one JSON line: its labels' texts, and its
# push buttons' names and middles on the screen, left to right; then the focused text box's name
# and every text box's name and text, when argv[2] is "boxes".
READER = """import json, pyatspi, sys, time
def find():
    for app in pyatspi.Registry.getDesktop(0):
        for window in (app or []):
            if window and window.name == sys.argv[1]:
                nodes = pyatspi.findAllDescendants(window, lambda node: True)
                texts = [n for n in nodes if n.getRole() == pyatspi.ROLE_TEXT]
                labels = [n.name for n in nodes if n.getRole() == pyatspi.ROLE_LABEL and n.name]
                if labels or texts:
                    return nodes, labels, texts
deadline = time.monotonic() + 60
while not (found := find()) and time.monotonic() < deadline:
    time.sleep(0.2)
nodes, labels, texts = found
def middle(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return [box.x + box.width // 2, box.y + box.height // 2]
buttons = sorted((middle(n), n.name) for n in nodes if n.getRole() == pyatspi.ROLE_PUSH_BUTTON)
out = {"labels": labels, "buttons": [[name, at] for at, name in buttons]}
if sys.argv[2:] == ["boxes"]:
    out["boxes"] = [[n.name, n.queryText().getText(0, -1)] for n in texts]
    out["focused"] = [n.name for n in texts if n.getState().contains(pyatspi.STATE_FOCUSED)]
print(json.dumps(out))
"""


def needs(*what):  # the reason a mode cannot run here, if any
    for program in ("gio", "/usr/libexec/gvfsd-ftp", "/usr/libexec/gvfsd-sftp") + what:
        if not shutil.which(program) and not os.path.exists(program):
            return program + " is not installed"
    for module in ("pyftpdlib", "asyncssh", "OpenSSL", "pyatspi"):
        if subprocess.run(["/usr/bin/python3", "-c", "import " + module], capture_output=True).returncode:
            return "the Python module " + module + " is not installed"
    return None


class Site:
    """A server of one kind with one user, the bar started on a private bus with a stand-in
    file manager, and the calls that stand-in gets."""

    def __init__(self, args, session, kind, user, password):
        self.session, self.user, self.log = session, user, session.workdir + "/site.log"
        self.shown = session.workdir + "/shown"
        os.mkdir(session.workdir + "/site")
        session.start(["/usr/bin/python3", SERVERS, kind, user, password, session.workdir + "/site", self.log])
        self.port = waitfor(f"the {kind} server", lambda: os.path.exists(self.log)
                            and re.search(r"port (\d+)", open(self.log).read()))[1]
        self.host = "127.0.0.1:" + self.port
        appdir = install(args, session, [])
        # GVfs and the accessibility bus read the system's settings schemas.
        session.bus(XDG_DATA_DIRS="/usr/share")
        session.start(["/usr/bin/python3", "-c", STANDIN, self.shown])
        waitfor("the stand-in file manager", lambda: os.path.exists(self.shown))
        self.process, self.bar = session.startbar(appdir + "/quaylink", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")

    def logins(self):  # "ok USER" or "refused USER", one a login, in order
        return re.findall(r"login ((?:ok|refused) .*)", open(self.log).read())

    def calls(self):  # the file manager's calls so far
        return [json.loads(line) for line in open(self.shown)]

    def mounted(self):
        return self.host in self.session.run("gio", "mount", "-l")

    def read(self, title, *what):  # what the window titled `title` shows, over AT-SPI
        self.session.window(title)
        out = self.session.run("/usr/bin/python3", "-c", READER, title, *what)
        assert out, f"AT-SPI did not show the window {title}"
        return json.loads(out)

    def click(self, at):
        self.session.run("xdotool", "mousemove", *map(str, at), "click", "1")

    def question(self):  # the bar's question, once it takes the keys, as AT-SPI reads it
        self.session.focus("Quaylink")
        seen = self.read("Quaylink")
        assert len(seen["labels"]) == 1, f"the question shows {seen!r}"
        return seen

    def showsafter(self, address, logins):  # shown once, logged in before, and mounted
        waitfor("the file manager to get the address", lambda: os.path.getsize(self.shown))
        assert self.calls() == [[address]], f"the file manager got {self.calls()!r}"
        assert self.logins() == logins, f"the server logged {self.logins()}"
        last = [float(line.split()[0]) for line in open(self.log) if " login ok " in line][-1]
        # The file's time comes from a clock some milliseconds coarse.
        assert last < os.path.getmtime(self.shown) + 0.02, "not logged in when shown"
        assert self.mounted(), "the site is not mounted"


CERTIFICATE = re.compile(r"Identity Verification Failed\n\n\tThe signing certificate authority is not known\.\n"
                         r"\tThe certificate does not match the identity of the site\.\n\nCertificate information:\n"
                         r"\tIdentity: 127\.0\.0\.1\n\tVerified by: 127\.0\.0\.1\n\tExpires: [\d/]+\n"
                         r"\tFingerprint \(SHA1\): [0-9A-F ]+\n\nAre you really sure you would like to continue\?")


def certificate(args, session):
    if reason := needs():
        return skipped(reason)
    site = Site(args, session, "ftps", "me", "pw")
    session.login("me", "pw", f"FTPS://{site.host}/")
    seen = site.question()
    assert CERTIFICATE.fullmatch(seen["labels"][0]), f"the question shows {seen!r}"
    assert [name for name, _ in seen["buttons"]] == ["Yes", "No"], f"the question's choices are {seen['buttons']!r}"
    session.keys("Escape")
    waitfor("the question to go", lambda: not session.run("xdotool", "search", "--onlyvisible", "--name", "^Quaylink$"))
    # Had Escape said yes, the login would go on: the site would be shown, and "Go" would ask nothing.
    assert not site.mounted() and site.logins() == [], f"after No: logins {site.logins()}"
    session.run("xdotool", "mousemove", "--window", str(site.bar), "20", "74", "click", "1")  # "Go", the box as left
    site.click(dict(site.question()["buttons"])["Yes"])
    site.showsafter(f"FTPS://me:pw@{site.host}/", ["ok me"])


HOSTKEY = re.compile(r"Identity Verification Failed\nVerifying the identity of “quaylink-test \(\[127\.0\.0\.1\]:\d+\)” "
                     r"failed, this happens when you log in to a computer the first time\.\n\nThe identity sent by the "
                     r"remote computer is “SHA256:[\w+/]+”\. If you want to be absolutely sure it is safe to continue, "
                     r"contact the system administrator\.")


def hostkey(args, session):
    home = pwd.getpwuid(os.getuid()).pw_dir
    if os.geteuid() != 0 or not os.path.isdir(home + "/.ssh"):
        return skipped("needs root and a folder ~/.ssh to stand in for")
    if reason := needs("unshare"):
        return skipped(reason)
    # ssh skips the host-key check for loopback addresses unless the key goes by another name.
    # It reads its settings from the user database's home, not $HOME: a test's own stands there.
    os.mkdir(session.workdir + "/ssh", 0o700)
    open(session.workdir + "/ssh/config", "w").write("Host 127.0.0.1\n    HostKeyAlias quaylink-test\n")
    subprocess.run(["mount", "--bind", session.workdir + "/ssh", home + "/.ssh"], check=True)
    site = Site(args, session, "sftp", "me", "pw")
    session.go(f"sftp://me:pw@{site.host}/")
    seen = site.question()
    assert HOSTKEY.fullmatch(seen["labels"][0]), f"the question shows {seen!r}"
    assert [name for name, _ in seen["buttons"]] == ["Log In Anyway", "Cancel Login"], f"the question shows {seen!r}"
    site.click(dict(seen["buttons"])["Log In Anyway"])
    site.showsafter(f"sftp://me:pw@{site.host}/", ["ok me"])


def refused(args, session):
    if reason := needs():
        return skipped(reason)
    site = Site(args, session, "ftp", "me", "right")
    session.login("me", "wrong", site.host)
    waitfor("the server to refuse the password", site.logins)
    session.focus("Input")  # the dialog's first showing has gone by then: it went with its OK
    seen = site.read("Input", "boxes")
    assert seen["boxes"] == [["User ID", "me"], ["Password", ""], ["FTP Site", site.host]] \
        and seen["focused"] == ["Password"], f"the login dialog came back as {seen!r}"
    assert site.logins() == ["refused me"] and os.path.getsize(site.shown) == 0 and not site.mounted(), \
        f"after the wrong password: logins {site.logins()}, shown {site.calls()}"
    session.type("right")
    session.keys("Return")
    session.answer()
    site.showsafter(f"ftp://me:right@{site.host}", ["refused me", "ok me"])


def typed(args, session):
    if reason := needs():
        return skipped(reason)
    site = Site(args, session, "ftp", "u@x", "p:w@d")
    address = f"ftp://u@x:p:w@d@{site.host}/"
    session.go(address)
    site.showsafter(address, ["ok u@x"])


if __name__ == "__main__":
    # The host-key mode's bind mount stays in a mount namespace of its own.
    if sys.argv[1] == "hostkey" and os.geteuid() == 0 and shutil.which("unshare") and "QUAYLINK_UNSHARED" not in os.environ:
        os.environ["QUAYLINK_UNSHARED"] = "1"
        os.execvp("unshare", ["unshare", "-m", "--propagation", "private", sys.executable] + sys.argv)
    sys.exit(e2e_desktop.main(globals()))
