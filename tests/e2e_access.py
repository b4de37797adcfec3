#!/usr/bin/env python3
# What a screen reader makes of the bar and the page in its pane, with the real bar on a private X
# display as in e2e_desktop.py. Debian's Orca, run headless on a private session bus, logs every
# utterance and where it believes the focus is; AT-SPI (pyatspi) gives the tree.
#   reader   after "Go", the page's own tree (heading, link, field, button) inside "Browser pane";
#            one application, the bar its only window; the address box named "Address" holding the
#            address; the collapsed notes box not on screen. Tab round the bar, into the page at its
#            first control, through it and out to the address box; Shift+Tab back in at its last
#            control and out to the notes button; the notes shown, their box and button named,
#            hidden again and passed over. Beside the login dialog, the info dialog centred and its
#            link heard as a link and followed by the space bar; in all three windows every control
#            that takes the focus named in words, no two text boxes alike, each window of its role.
import json
import os
import re
import shutil
import sys

import e2e_desktop
from e2e_desktop import TITLE, adserver, install, registerhandler, skipped, waitfor

PAGE = ('<html><head><title>Offers</title></head><body><h1>Harbour offers</h1><p>Fresh moorings this week.</p>'
        '<a href="/more">More offers</a> <input aria-label="Your email"> <button>Sign up</button></body></html>')
TYPED = "ftp://typed.example/"
MAKER = "http://www.tarnholt.example/"

# Waits for the page in the pane and for as many windows as argv[1] says, then prints as JSON the parts of the
# tree a screen reader relies on, and what it could not tell apart: controls that take the focus with no name in
# words, and text boxes that share a window and a name.
SEEN = """import json, pyatspi, re, sys, time
every = lambda node: [node] + pyatspi.findAllDescendants(node, lambda n: True)
deadline = time.monotonic() + 40  # within the run's bound, to print what it found
while time.monotonic() < deadline:
    apps = [a for a in pyatspi.Registry.getDesktop(0) if a and a.name.lower() == "quaylink"]
    nodes = [n for a in apps for n in every(a)]
    panes = [n for n in nodes if n.getRoleName() == "panel" and n.name == "Browser pane"]
    if panes and panes[0].childCount and panes[0][0].childCount > 3 and len(apps[0]) == int(sys.argv[1]):
        break
    time.sleep(0.2)
boxes = [[w.name, n.name] for a in apps for w in a for n in every(w) if n.getRole() == pyatspi.ROLE_TEXT]
print(json.dumps({
    "applications": [[a.name, sorted([w.getRoleName(), w.name] for w in a)] for a in apps],
    "pane": [[n.getRoleName(), n.name] for n in panes[0]] if panes else None,
    "page": [[n.getRoleName(), n.name] for p in panes for n in every(p) if n.getRoleName() in
             ("heading", "link", "text", "entry", "push button")],
    "notes on screen": [n.getState().contains(pyatspi.STATE_SHOWING) for n in nodes if n.name == "Notes"],
    "unnamed": [[n.getRoleName(), n.name] for n in nodes
                if n.getState().contains(pyatspi.STATE_FOCUSABLE) and not re.search("[a-zA-Z]", n.name)],
    "shared": [box for box in boxes if boxes.count(box) > 1],
}))
"""
# What SEEN prints for the bar with the page in its pane and the notes hidden, besides the windows.
BAR = {"pane": [["document web", "Offers"]], "page": [["heading", "Harbour offers"], ["link", "More offers"],
       ["text", "Your email"], ["push button", "Sign up"]], "notes on screen": [False], "unnamed": [], "shared": []}
ALONE = ["unshare", "--map-root-user", "--pid", "--fork", "--mount-proc"]  # a process that sees only its own


# Orca on the session's bus, with preferences of its own: what it said, and where it put the focus.
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
        waitfor("Orca to listen", lambda: "ORCA: Starting registry" in self.text())

    def text(self):
        assert self.process.poll() is None, "Orca ended"
        return open(self.log, errors="replace").read() if os.path.exists(self.log) else ""

    def focus(self):  # "role | name" of what Orca takes for the focus
        changes = re.findall(r"ORCA: Changing locusOfFocus from .* to \[(.*)\]\. Notify", self.text())
        return changes[-1] if changes else None

    def said(self, since=0):
        return " | ".join(re.findall(r"SPEECH OUTPUT: '(.*?)' ?\{'established", self.text()[since:]))

    def key(self, key, to=None):  # the key to the focused window, then Orca's focus on `to`
        self.session.keys(key)
        if to:
            try:
                waitfor(f"{key} to reach {to}", lambda: self.focus() == to, 30)
            except AssertionError as problem:
                raise AssertionError(f"{problem}; Orca's focus is on {self.focus()}") from None


def reader(args, session):
    appdir = install(args, session, [])
    if not args.plugin or not shutil.which("orca") or session.run(*ALONE, "echo", "alone") != "alone":
        return skipped("Qt WebEngine or Orca is not installed, or no process may see only its own")
    calls = registerhandler(session)
    session.run("xdg-mime", "default", "recorder.desktop", "x-scheme-handler/http")  # the maker's link
    env = adserver(session, {"/ads.asp": PAGE})[0]
    session.bus(XDG_DATA_DIRS="/usr/share")  # the accessibility bus reads its settings' schemas there
    orca = Orca(session)
    _, bar = session.startbar(appdir + "/quaylink", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **env)
    waitfor("Orca to find the address box", lambda: orca.focus() == "combo box | Address")
    session.go(TYPED)
    seen = json.loads(session.run("/usr/bin/python3", "-c", SEEN, "1"))
    assert seen == dict(BAR, applications=[["Quaylink", [["frame", TITLE]]]]), seen

    # From "Go" round the bar, into the page at its first control and out at its last, then back. The notes shown
    # and hidden again: named in each state, and passed over once hidden.
    start = len(orca.text())
    for step in ["Tab push button | Help", "Tab push button | Upload Files", "Tab push button | Save Url",
                 "Tab push button | Delete Url", "Tab push button | Show notes", "Tab link | More offers",
                 "Tab text | Your email", "Tab push button | Sign up", "Tab combo box | Address",
                 "shift+Tab push button | Sign up", "shift+Tab text | Your email", "shift+Tab link | More offers",
                 "shift+Tab push button | Show notes", "Return", "Tab text | Notes", "shift+Tab push button | Hide notes",
                 "Return", "Tab link | More offers", "shift+Tab push button | Show notes"]:
        orca.key(*step.split(" ", 1))
        if step.endswith("combo box | Address"):  # heard with the address it holds
            waitfor("Orca to read the address", lambda: "Address editable combo box. | " + TYPED in orca.said(start))

    # The login dialog ("Go" with the box emptied), then the info dialog, centred; its link reached by Tab after
    # OK, heard as a link, followed by the space bar.
    session.run("xdotool", "mousemove", "--window", str(bar), "100", "92", "click", "1", "key", "ctrl+a", "BackSpace")
    session.keys("Tab", "Return")
    session.window("Input")
    session.run("xdotool", "mousemove", "--window", str(bar), "340", "74", "click", "1")  # "?"
    info = session.origin(session.focus("Info"))
    assert info == ((1024 - 567) // 2, (768 - 524) // 2), f"the info dialog is at {info}, not centred"
    seen = json.loads(session.run("/usr/bin/python3", "-c", SEEN, "3"))
    assert seen == dict(BAR, applications=[["Quaylink", [["dialog", "Info"], ["dialog", "Input"],
                                                          ["frame", TITLE]]]]), seen
    orca.key("Tab", "link | Freeware from Tarnholt: " + MAKER)
    orca.key("space")
    waitfor("the space bar to follow the link", lambda: [address for address, _ in calls()] == [TYPED, MAKER])
    print("Orca said:", orca.said(start))


if __name__ == "__main__":
    sys.exit(e2e_desktop.main(globals()))
