#!/usr/bin/env python3
# Real sites on 127.0.0.1 (tests/siteservers.py) opened by the installed bar through GVfs, with a
# stand-in file manager on a private session bus; what the bar shows is read over AT-SPI and
# answered with xdotool. One mode a run: MODE BUILD-FOLDER.
#   certificate  FTPS, its site typed into the login dialog with its own scheme: GVfs's question
#                about the self-signed certificate in the bar's window, whole, with GVfs's labels;
#                Enter as it opens, Escape and its close box each refuse it: no login, nothing
#                mounted, nothing shown; "Go" again and its "Yes" clicked: one login with the
#                address's credentials, mounted, then shown (FTPS and SFTP by the mount's local
#                path where GVfs gives its mounts one).
#   refused      an address typed by hand, a raw "@" in its user ID and ":" and "@" in its
#                password, logs in as that user. Then a wrong password from the login dialog: the
#                server refuses it, nothing is shown, the dialog comes back with the user ID and site
#                filled and the password empty and focused; the right one typed there logs in.
import json
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_desktop  # noqa: E402
from e2e_desktop import install, waitfor  # noqa: E402

# Prints what the window titled argv[1] shows, once it shows a text, as one JSON line: its labels'
# texts, and its push buttons' names and middles on the screen from left to right.
READER = """import json, pyatspi, sys, time
while not [nodes := pyatspi.findAllDescendants(window, lambda node: True) for app in pyatspi.Registry.getDesktop(0)
           for window in (app or []) if window and window.name == sys.argv[1]]:
    time.sleep(0.2)
role = lambda kind: [n for n in nodes if n.getRole() == kind]
middle = lambda box: [box.x + box.width // 2, box.y + box.height // 2]
print(json.dumps({"labels": [n.name for n in role(pyatspi.ROLE_LABEL) if n.name],
    "buttons": [[n.name, at] for at, n in sorted((middle(n.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)), n)
                                                 for n in role(pyatspi.ROLE_PUSH_BUTTON))]}))
"""


class Site:
    """A server of one kind with one user; the bar on a private bus with a stand-in file manager."""

    def __init__(self, args, session, kind, user, password):
        self.session, self.shown = session, session.workdir + "/shown"
        os.mkdir(session.workdir + "/site")
        port, self.log = session.site(kind, user, password, session.workdir + "/site")
        self.host = "127.0.0.1:" + port
        appdir = install(args, session, [])
        self.calls = session.filemanager()  # the stand-in's calls so far; GVfs, and the accessibility bus
        self.process, self.bar = session.startbar(appdir + "/quaylink", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")

    def logins(self):  # "ok USER" or "refused USER", one a login, in order
        return re.findall(r"login ((?:ok|refused) .*)", open(self.log).read())

    def mounted(self):
        return self.host in self.session.run("gio", "mount", "-l")

    def question(self, text, choices):  # the bar's question, whole, once it takes the keys; the place of each choice
        self.session.focus("Quaylink")
        seen = json.loads(self.session.run("/usr/bin/python3", "-c", READER, "Quaylink"))
        assert len(seen["labels"]) == 1 and text.fullmatch(seen["labels"][0]) \
            and [name for name, _ in seen["buttons"]] == choices, f"the question shows {seen!r}"
        return dict(seen["buttons"])

    def shownas(self, address):  # by GVfs's local path for the mount, where it gives one (gvfsd-fuse)
        fuse = self.session.workdir + "/runtime/gvfs"
        return f"file://{fuse}/{address[:address.index(':')].lower()}:host=127.0.0.1,port={self.host[10:]},user=me" \
            if os.path.ismount(fuse) else address

    def shows(self, addresses, logins):  # the file manager asked for these, the last once logged in
        waitfor("the file manager to get the address", lambda: len(self.calls()) == len(addresses))
        assert self.calls() == [[address] for address in addresses], f"the file manager got {self.calls()!r}"
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
    site = Site(args, session, "ftps", "me", "pw")
    session.login("me", "pw", f"FTPS://{site.host}/")
    for refusal in ("Return", "Escape", "alt+F4"):
        site.question(CERTIFICATE, ["Yes", "No"])
        session.keys(refusal)
        waitfor(f"{refusal} to end the question", lambda: not session.run("xdotool", "search", "--onlyvisible",
                                                                            "--name", "^Quaylink$"))
        # Had it said yes, the login would go on: the site would be shown, and "Go" would ask nothing.
        assert not site.mounted() and site.logins() == [], f"after {refusal}: logins {site.logins()}"
        session.run("xdotool", "mousemove", "--window", str(site.bar), "20", "74", "click", "1")  # "Go", the box as left
    session.run("xdotool", "mousemove", *map(str, site.question(CERTIFICATE, ["Yes", "No"])["Yes"]), "click", "1")
    site.shows([site.shownas(f"FTPS://me:pw@{site.host}/")], ["ok me"])


def refused(args, session):
    user, password = "a@b c", "p :w@1"
    site = Site(args, session, "ftp", user, password)
    # Typed by hand: the user information ends at the last "@", the user ID at the first ":".
    typed = f"ftp://{user}:{password}@{site.host}/"
    session.go(typed)
    site.shows([typed], [f"ok {user}"])
    session.run("gio", "mount", "-u", typed)
    session.run("xdotool", "mousemove", "--window", str(site.bar), "100", "92", "click", "1", "key", "ctrl+a", "BackSpace")
    session.login(user, "wrong", site.host)  # typed over what the box held
    waitfor("the server to refuse the password", lambda: len(site.logins()) == 2)
    # Back with the user ID and the site filled and the password empty and focused, or the address opened at
    # the end would differ. Its first showing has gone by then: it went with its OK.
    session.focus("Input")
    session.type(password)
    session.keys("Return")
    session.answer()
    site.shows([typed, f"ftp://a%40b c:p %3Aw%401@{site.host}"], [f"ok {user}", f"refused {user}", f"ok {user}"])


if __name__ == "__main__":
    sys.exit(e2e_desktop.main(globals()))
