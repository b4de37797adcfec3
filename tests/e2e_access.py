#!/usr/bin/env python3
# What a screen reader is told of the bar and the page in its pane, read over AT-SPI (pyatspi) on a
# private bus, with the real bar on a private X display as in e2e_desktop.py.
#   reader   after "Go", the page's own tree (heading, link, field, button) inside "Browser pane";
#            one application, the bar its only window; the collapsed notes box not on screen. Tab
#            round the bar, into the page at its first control, through it and out to the address
#            box "Address"; Shift+Tab back in at its last control and out to the notes button; the
#            notes shown, their box and button named, hidden again and passed over: each key waits
#            for the focus a listener hears of. Beside the login dialog, the info dialog centred,
#            Tab reaching its link as a link, the space bar following it; in all three windows every
#            control that takes the focus named in words, no two text boxes alike, each window of
#            its role.
import json
import re
import sys

import e2e_desktop
from e2e_desktop import TITLE, adserver, install, registerhandler, skipped, waitfor

PAGE = ('<html><head><title>Offers</title></head><body><h1>Harbour offers</h1><p>Fresh moorings this week.</p>'
        '<a href="/more">More offers</a> <input aria-label="Your email"> <button>Sign up</button></body></html>')
MAKER = "http://www.tarnholt.example/"

# Prints "focused: role | name" for each object that takes the focus, and "focused: -" once it listens. Qt tells
# the bus of an event only while someone listens for it, so this starts before the bar; it hears of each change
# of name too, or the names it keeps would go out of date.
LISTEN = """import pyatspi
pyatspi.Registry.registerEventListener(lambda event: event.detail1 and print("focused:", event.source.getRoleName(),
    "|", event.source.name, flush=True), "object:state-changed:focused", "object:property-change:accessible-name")
print("focused: -", flush=True)
pyatspi.Registry.start()"""
# Prints as JSON, once the page's controls are in the pane and the bar has as many windows as argv[1] says, the
# parts of the tree a screen reader relies on, and what it could not tell apart: controls that take the focus with
# no name in words, and text boxes that share a window and a name.
SEEN = """import json, pyatspi, re, sys
every, named = lambda node: [node] + pyatspi.findAllDescendants(node, bool), lambda n: [n.getRoleName(), n.name]
apps = [a for a in pyatspi.Registry.getDesktop(0) if a and a.name.lower() == "quaylink"]
nodes = [n for a in apps for n in every(a)]
panes = [n for n in nodes if named(n) == ["panel", "Browser pane"]]
page = [named(n) for p in panes for n in every(p) if n.getRoleName() in ("heading", "link", "text", "push button")]
boxes = [[w.name, n.name] for a in apps for w in a for n in every(w) if n.getRole() == pyatspi.ROLE_TEXT]
if len(page) > 3 and len(apps[0]) == int(sys.argv[1]):
    print(json.dumps({"applications": [a.name for a in apps], "windows": sorted(named(w) for a in apps for w in a),
        "pane": [named(n) for p in panes for n in p], "page": page,
        "notes on screen": [n.getState().contains(pyatspi.STATE_SHOWING) for n in nodes if n.name == "Notes"],
        "unnamed": [named(n) for n in nodes if n.getState().contains(pyatspi.STATE_FOCUSABLE) and
                    not re.search("[a-zA-Z]", n.name)], "shared": [box for box in boxes if boxes.count(box) > 1]}))"""
# What SEEN prints for the bar with the page in its pane and the notes hidden, besides the windows.
BAR = {"applications": ["Quaylink"], "pane": [["document web", "Offers"]], "page": [["heading", "Harbour offers"],
       ["link", "More offers"], ["text", "Your email"], ["push button", "Sign up"]], "notes on screen": [False],
       "unnamed": [], "shared": []}


def reader(args, session):
    appdir = install(args, session, [])
    if not args.plugin:
        return skipped("Qt WebEngine is not installed, so there is no browser-pane plugin")
    calls = registerhandler(session)
    session.run("xdg-mime", "default", "recorder.desktop", "x-scheme-handler/http")  # the maker's link
    env = adserver(session, {"/ads.asp": PAGE})[0]
    session.bus(XDG_DATA_DIRS="/usr/share")  # the accessibility bus reads its settings' schemas there
    # What the listener heard last, from the log it shares with the bar (whose end a failure shows).
    focus = lambda: (re.findall("^focused: (.*)", open(session.workdir + "/program.log").read(), re.M) or [0])[-1]
    session.start(["/usr/bin/python3", "-c", LISTEN])  # the python3-gi interpreter
    waitfor("the focus listener", focus)
    _, bar = session.startbar(appdir + "/quaylink", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **env)
    session.go("ftp://typed.example/")
    seen = json.loads(waitfor("the page over AT-SPI", lambda: session.run("/usr/bin/python3", "-c", SEEN, "1")))
    assert seen == dict(BAR, windows=[["frame", TITLE]]), seen

    def walk(*steps):  # "keys: role | name", the keys to the focused window, then the focus where they lead
        for keys, to in (step.split(": ", 1) for step in steps):
            session.keys(*keys.split())
            waitfor(f"{keys} to reach {to}", lambda: focus() == to, 30)

    # From "Go" round the bar, into the page at its first control and out at its last, then back. The notes shown
    # and hidden again: named in each state, and passed over once hidden.
    walk("Tab: push button | Help", "Tab: push button | Upload Files", "Tab: push button | Save Url",
         "Tab: push button | Delete Url", "Tab: push button | Show notes", "Tab: link | More offers",
         "Tab: text | Your email", "Tab: push button | Sign up", "Tab: combo box | Address",
         "shift+Tab: push button | Sign up", "shift+Tab: text | Your email", "shift+Tab: link | More offers",
         "shift+Tab: push button | Show notes", "Return Tab: text | Notes", "shift+Tab: push button | Hide notes",
         "Return Tab: link | More offers", "shift+Tab: push button | Show notes")
    # The login dialog ("Go" with the box emptied), then the info dialog, centred; its link reached by Tab after
    # OK as a link, and followed by the space bar.
    session.run(*f"xdotool mousemove --window {bar} 100 92 click 1 key ctrl+a BackSpace Tab Return".split())
    session.window("Input")
    session.run(*f"xdotool mousemove --window {bar} 340 74 click 1".split())  # "?"
    # 567 by 524 in the middle of the 1024 by 768 screen
    assert (info := session.origin(session.focus("Info"))) == (228, 122), f"the info dialog is at {info}, not centred"
    seen = json.loads(waitfor("the dialogs over AT-SPI", lambda: session.run("/usr/bin/python3", "-c", SEEN, "3")))
    assert seen == dict(BAR, windows=[["dialog", "Info"], ["dialog", "Input"], ["frame", TITLE]]), seen
    walk("Tab: link | Freeware from Tarnholt: " + MAKER)
    session.keys("space")
    waitfor("the space bar to follow it", lambda: [call[0] for call in calls()] == ["ftp://typed.example/", MAKER])


if __name__ == "__main__":
    sys.exit(e2e_desktop.main(globals()))
