#!/usr/bin/env python3
# What a screen reader makes of the bar and the page in its pane, with the real bar on a private X
# display as in e2e_desktop.py. Debian's Orca, run headless on a private session bus, logs every
# utterance and where it believes the focus is; AT-SPI (pyatspi) gives the tree.
#   reader   after "Go", the page's own tree (heading, link, field, button) inside "Browser pane";
#            one application, the bar its only window; the address box named "Address" holding the
#            address; the collapsed notes box not on screen. Tab round the bar, into the page at its
#            first control, through it and out to the address box; Shift+Tab back in at its last
#            control and out to the notes button; the notes shown, their box and button named,
#            hidden again and passed over; the info dialog's link heard as a link and followed by
#            the space bar.
import http.server
import json
import os
import re
import shutil
import sys
import threading

import e2e_desktop
from e2e_desktop import TITLE, install, registerhandler, skipped, waitfor

PAGE = ('<html><head><title>Offers</title></head><body><h1>Harbour offers</h1><p>Fresh moorings this week.</p>'
        '<a href="/more">More offers</a> <input aria-label="Your email"> <button>Sign up</button></body></html>')
TYPED = "ftp://typed.example/"
MAKER = "http://www.tarnholt.example/"

# Waits for the page in the pane, then prints the tree's parts a screen reader relies on, as JSON.
TREE = """import json, pyatspi, time
every = lambda node: [node] + pyatspi.findAllDescendants(node, lambda n: True)
find = lambda node, role, name: [n for n in every(node) if n.getRoleName() == role and n.name == name]
deadline = time.monotonic() + 60
while True:
    apps = [a for a in pyatspi.Registry.getDesktop(0) if a and a.name.lower() == "quaylink"]
    panes = [p for a in apps for p in find(a, "panel", "Browser pane")]
    page = panes[0][0] if panes and panes[0].childCount else None
    if page and find(page, "push button", "Sign up") or time.monotonic() > deadline:
        break
    time.sleep(0.2)
box = [n for a in apps for n in find(a, "combo box", "Address")]
entry = [n for n in box[0] if n.getRoleName() == "text"] if box else []
notes = [n for a in apps for n in find(a, "text", "Notes")]
print(json.dumps({
    "applications": [[a.name, [[w.getRoleName(), w.name] for w in a]] for a in apps],
    "pane": [[n.getRoleName(), n.name] for n in panes[0]] if panes else None,
    "page": [[n.getRoleName(), n.name] for n in every(page) if n.getRoleName() in
             ("heading", "link", "text", "entry", "push button")] if page else None,
    "address": [n.queryText().getText(0, -1) for n in entry],
    "notes on screen": [n.getState().contains(pyatspi.STATE_SHOWING) for n in notes],
}))
"""


ALONE = ["unshare", "--map-root-user", "--pid", "--fork", "--mount-proc"]  # a process that sees only its own


# Orca on the session's bus, with preferences of its own; what it said and where it put the focus.
class Orca:
    def __init__(self, session):
        self.session, self.log = session, session.workdir + "/orca.log"
        # Its log written line by line, not in blocks, so that each utterance can be waited for.
        os.mkdir(session.workdir + "/orca")
        open(session.workdir + "/orca/orca-customizations.py", "w").write(
            "import orca.debug\norca.debug.debugFile.flush()\n"
            "orca.debug.debugFile = open(orca.debug.debugFile.name, 'a', buffering=1)\n")
        # One Orca runs per user, and --replace would end the user's own: this one sees only itself. It reads its
        # settings' schemas from the system's folders.
        self.process = session.start(ALONE + ["orca", "--debug-file=" + self.log, "-u", session.workdir + "/orca"],
                                     XDG_DATA_DIRS="/usr/share")
        waitfor("Orca to listen", lambda: self.alive() and "ORCA: Starting registry" in self.text())

    def alive(self):
        assert self.process.poll() is None, "Orca ended"
        return True

    def text(self):
        return open(self.log, errors="replace").read() if os.path.exists(self.log) else ""

    def focus(self):  # "role | name" of what Orca takes for the focus, or None before any
        self.alive()
        changes = re.findall(r"ORCA: Changing locusOfFocus from .* to \[(.*)\]\. Notify", self.text())
        return changes[-1] if changes else None

    def said(self, since=0):
        return re.findall(r"SPEECH OUTPUT: '(.*?)' ?\{'established", self.text()[since:])

    # The key to the focused window, then waits for Orca to put its focus on `to`.
    def key(self, key, to=None):
        self.session.keys(key)
        if to:
            try:
                waitfor(f"{key} to reach {to}", lambda: self.focus() == to, 30)
            except AssertionError as problem:
                raise AssertionError(f"{problem}; Orca's focus is on {self.focus()}") from None


def servepages(session):  # both advertisement hosts lead to one server on 127.0.0.1; returns the engine's flags
    os.makedirs(session.workdir + "/pages")
    open(session.workdir + "/pages/ads.asp", "w").write(PAGE)
    os.makedirs(session.workdir + "/pages/ads")
    shutil.copy(session.workdir + "/pages/ads.asp", session.workdir + "/pages/ads/ads.asp")
    http.server.SimpleHTTPRequestHandler.extensions_map[".asp"] = "text/html"
    http.server.SimpleHTTPRequestHandler.log_message = lambda *args: None
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), lambda *request: http.server.SimpleHTTPRequestHandler(
        *request, directory=session.workdir + "/pages"))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    rules = ",".join(f"MAP {host} 127.0.0.1:{server.server_port}" for host in ("ads.example.com", "www.tarnholt.example"))
    return f'--host-resolver-rules="{rules}"'


def reader(args, session):
    appdir = install(args, session, [])
    if not args.plugin or not shutil.which("orca") or session.run(*ALONE, "echo", "alone") != "alone":
        return skipped("Qt WebEngine or Orca is not installed, or no process may see only its own")
    calls = registerhandler(session)
    session.run("xdg-mime", "default", "recorder.desktop", "x-scheme-handler/http")  # the maker's link
    flags = servepages(session)
    session.bus(XDG_DATA_DIRS="/usr/share")  # the accessibility bus reads its settings' schemas there
    orca = Orca(session)
    _, bar = session.startbar(appdir + "/quaylink", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                              QTWEBENGINE_DISABLE_SANDBOX="1", QTWEBENGINE_CHROMIUM_FLAGS=flags)
    waitfor("Orca to find the address box", lambda: orca.focus() == "combo box | Address")
    session.go(TYPED)
    tree = json.loads(session.run("/usr/bin/python3", "-c", TREE))
    assert tree == {
        "applications": [["Quaylink", [["frame", TITLE]]]],
        "pane": [["document web", "Offers"]],
        "page": [["heading", "Harbour offers"], ["link", "More offers"], ["text", "Your email"],
                 ["push button", "Sign up"]],
        "address": [TYPED],
        "notes on screen": [False],
    }, tree

    # From "Go", round the bar and through the page, both ways.
    start = len(orca.text())
    for key, to in [("Tab", "push button | Help"), ("Tab", "push button | Upload Files"),
                    ("Tab", "push button | Save Url"), ("Tab", "push button | Delete Url"),
                    ("Tab", "push button | Show notes"), ("Tab", "link | More offers"),
                    ("Tab", "text | Your email"), ("Tab", "push button | Sign up"), ("Tab", "combo box | Address"),
                    ("shift+Tab", "push button | Sign up"), ("shift+Tab", "text | Your email"),
                    ("shift+Tab", "link | More offers"), ("shift+Tab", "push button | Show notes"),
                    # The notes shown and hidden again: named in each state, and passed over once hidden.
                    ("Return", None), ("Tab", "text | Notes"), ("shift+Tab", "push button | Hide notes"),
                    ("Return", None), ("Tab", "link | More offers"), ("shift+Tab", "push button | Show notes")]:
        orca.key(key, to)
        if to == "combo box | Address":  # read with the address it holds
            waitfor("Orca to read the address", lambda: "Address editable combo box. " + TYPED in " ".join(orca.said(start)))

    # The info dialog's link: reached by Tab after OK, announced as a link, followed by the space bar.
    session.run("xdotool", "mousemove", "--window", str(bar), "340", "74", "click", "1")  # "?"
    session.focus("Info")
    link = "link | Freeware from Tarnholt: " + MAKER
    orca.key("Tab", link)
    orca.key("space")
    waitfor("the space bar to follow the link", lambda: [address for address, _ in calls()] == [TYPED, MAKER])
    print("Orca said:", " | ".join(orca.said(start)))


if __name__ == "__main__":
    sys.exit(e2e_desktop.main(globals()))
