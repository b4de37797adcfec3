#!/usr/bin/env python3
# The Debian package as a distribution and its users meet it, with the machine left as it was:
# nothing is installed into or removed from the running system. Run under xvfb-run as
# e2e_desktop.py is: MODE BUILD-FOLDER; exit status 77 means skipped.
#   package  the .deb built into a folder of the test's own passes lintian with no warning, and
#            the package manager's dry run, as `nobody`, finds every dependency; its contents are what
#            they must be: every library the program links or loads comes from a package it
#            depends on, GVfs is recommended, each icon lies in a hicolor folder for programs'
#            icons (lintian checks that its size is the folder's), the software centre's entry
#            names the menu entry shipped and is valid. The menu entry is made from the template
#            that e2e_desktop.py's pane mode validates and differs from that one only in its Exec
#            line, checked here whole. Unpacked into a private root and started from that Exec
#            line, root's run and then an ordinary user's (`nobody`) keep their addresses in
#            their own data folders: the user sees none of root's, not even those of a book an
#            older version left beside the program, which stays as it was, and nothing new
#            appears under the unpacked /usr.
import glob
import os
import pwd
import re
import shutil
import subprocess
import sys

sys.dont_write_bytecode = True  # no cache of e2e_desktop in the sources
import e2e_desktop  # noqa: E402
from e2e_desktop import TITLE, skipped, waitfor  # noqa: E402



def tree(root):  # every path under root, with its mode and size
    return {os.path.join(d, n): (os.lstat(os.path.join(d, n)).st_mode, os.lstat(os.path.join(d, n)).st_size)
            for d, dirs, files in os.walk(root) for n in dirs + files}


def field(deb, name):  # a control field's package names, without versions
    value = subprocess.run(["dpkg-deb", "-f", deb, name], capture_output=True, text=True, check=True).stdout
    names = filter(None, map(str.strip, re.split(r"[,|]", value)))
    return {re.split(r"[\s(:]", name)[0] for name in names}


# Which packages of this system hold the libraries the program names: those it links, and those
# it loads by name at run time, which dpkg-shlibdeps cannot see.
def named(root):
    names = re.findall(r"^(lib[\w+.-]+\.so\.\d+)$", subprocess.run(
        ["strings", root + "/usr/bin/quaylink"], capture_output=True, text=True).stdout, re.M)
    arch = subprocess.run(["dpkg-architecture", "-qDEB_HOST_MULTIARCH"], capture_output=True, text=True).stdout.strip()
    files = {os.path.basename(os.path.realpath(path)) for name in names for path in glob.glob(f"/lib/{arch}/{name}")}
    query = subprocess.run(["dpkg-query", "-S", *(f"*/{arch}/{file}" for file in files)], capture_output=True)
    owners = re.findall(r"^([^:]+):\S* (\S+)$", query.stdout.decode(), re.M)
    assert names and {os.path.basename(path) for _, path in owners} == files and len(files) == len(names), \
        f"no package of this system holds some of {names}: {owners}"
    return owners


def contents(deb, root, entry):
    depends, recommends = field(deb, "Depends"), field(deb, "Recommends")
    unmet = [(package, path) for package, path in named(root) if package not in depends]
    assert not unmet, f"libraries loaded from packages the package does not depend on: {unmet}"
    assert "gvfs-backends" in recommends, f"GVfs is not recommended: {recommends}"
    # Each icon in the theme's folder for programs' icons of its size, which lintian compares with the image.
    icons = [os.path.relpath(path, root) for path in glob.glob(root + "/usr/share/icons/**/*.*", recursive=True)]
    assert icons and all(re.fullmatch(rf"usr/share/icons/hicolor/(\d+)x\1/apps/{entry['Icon']}\.png", icon)
                         for icon in icons), f"icons {icons}; the menu entry's icon is {entry['Icon']}"
    # The software centre's entry is valid where it lies, and launches a menu entry the package holds.
    assert len(glob.glob(root + "/usr/share/metainfo/*")) == 1, "not one software centre entry"
    subprocess.run(["appstreamcli", "validate-tree", "--no-net", root], check=True)


def asuser(user):
    return ["setpriv", f"--reuid={user}", f"--regid={pwd.getpwnam(user).pw_gid}", "--init-groups", "--"]


# One run of the unpacked program as `user` (root or nobody), from the menu entry's Exec line,
# with a home of its own: the first start's notice, and `address` saved to its book.
def firstrun(session, root, entry, user, address):
    home = f"{session.workdir}/home-{user}"
    os.makedirs(home + "/runtime", 0o700)
    shutil.copy(os.environ["XAUTHORITY"], home + "/.Xauthority")
    subprocess.run(["chown", "-R", f"{user}:", home], check=True)
    env = dict(HOME=home, XAUTHORITY=home + "/.Xauthority", XDG_RUNTIME_DIR=home + "/runtime",
               XDG_DATA_HOME=home + "/.local/share", PATH=root + "/usr/bin:" + os.environ["PATH"])
    program = session.start(asuser(user) + entry["Exec"].split(), **env)
    session.focus("Quaylink")  # the missing-file notice
    session.keys("Return")
    bar = session.focus(TITLE)
    wmclass = session.run("xprop", "-id", str(bar), "WM_CLASS").split(", ")[-1].strip('"')
    assert wmclass == entry["StartupWMClass"], f"WM_CLASS {wmclass}, menu entry {entry['StartupWMClass']}"
    session.type(address)
    session.run("xdotool", "mousemove", "--window", str(bar), "242", "75", "click", "1")  # "Save Url"
    book = home + "/.local/share/Quaylink/ftpurl.txt"
    # The whole list is saved: any address it held besides the new one would be there too.
    waitfor(f"{user}'s book to hold {address} alone",
            lambda: os.path.exists(book) and open(book, "rb").read() == address.encode() + b"\r\n")
    session.run("xdotool", "windowactivate", "--sync", str(bar), "key", "alt+F4")
    program.wait(30)


def package(args, session):
    if os.geteuid() != 0:
        return skipped("needs root to act as two users")
    work = session.workdir
    subprocess.run(["cpack", "--config", os.path.abspath(args.build) + "/CPackConfig.cmake", "-B", work + "/deb"],
                   check=True, stdout=subprocess.DEVNULL)
    deb = work + "/deb/quaylink_1.00_amd64.deb"
    os.chmod(work, 0o711)  # the package, the unpacked program and the users' homes reachable by the user
    # Beside the rest of the run, which does not need them; apt-get as the user, who may change nothing.
    # Its work folder in the run's, so that a run ended early leaves none of it behind.
    checks = [subprocess.Popen(["lintian", "--fail-on", "error,warning", deb], start_new_session=True,
                               env=dict(os.environ, TMPDIR=work)),
              subprocess.Popen(asuser("nobody") + ["apt-get", "install", "--simulate", "-q", deb],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, start_new_session=True)]
    session.processes += checks  # ended with the run if it fails first
    root = work + "/unpacked"
    subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
    entry = dict(re.findall(r"^(\w+)=(.*)$", open(root + "/usr/share/applications/quaylink.desktop").read(), re.M))
    assert entry["Exec"] == "quaylink", f"the menu entry runs {entry['Exec']}"
    contents(deb, root, entry)

    unpacked = tree(root + "/usr")
    firstrun(session, root, entry, "root", "ftp://root.example/")
    assert tree(root + "/usr") == unpacked, "root's run wrote under /usr"
    old = root + "/usr/bin/ftpurl.txt"  # root's book, as an older version left it beside the program
    open(old, "wb").write(b"ftp://old.example/\r\n")
    os.chmod(old, 0o600)
    unpacked = tree(root + "/usr")
    firstrun(session, root, entry, "nobody", "ftp://kept.example/")
    assert tree(root + "/usr") == unpacked and open(old, "rb").read() == b"ftp://old.example/\r\n", \
        "the user's runs changed something under /usr"

    assert checks[0].wait() == 0, "lintian found faults in the package"
    simulated = checks[1].communicate()[0]
    assert checks[1].returncode == 0 and "Inst quaylink " in simulated, f"apt-get cannot install it:\n{simulated}"


if __name__ == "__main__":
    sys.exit(e2e_desktop.main(globals()))
