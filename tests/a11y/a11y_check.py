#!/usr/bin/env python3
"""Walks the desktop program's accessible tree over AT-SPI, from outside, the way a screen reader sees it.

The script starts its own X server (Xvfb, on a display number the server picks itself, so that runs side by
side never meet), session bus, accessibility bus and the program, and ends them all whatever happens: a
bounded wait for each step, a deadline for the whole run, and the program and the buses tied to this process
so that they go when it goes. It ends the program through File > Exit, which must end it with status 0.

Exit status: 0 when every check passes, 1 when one fails, 2 when the run itself broke (no X server, no bus,
no program on the accessibility desktop in time), 77 when a tool it needs is missing.
"""

import argparse
import ctypes
import importlib.util
import os
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

# The tabs of a two-engine project, left to right; "Project Notes" follows when the project shows its notes.
PAGE_TABS = ["Processor", "Function Set", "Engine A", "Engine A Channels", "Engine B", "Engine B Channels",
             "Verbatim Block"]
MENUS = ["File", "Edit", "View", "Kivo", "Help"]
MENU_ITEMS = {
    "File": ["New", "Open...", "Save", "Save As...", "Exit"],
    "Edit": ["Cut", "Copy", "Paste"],
    "View": ["Next Pane", "Toolbar", "Status Bar"],
    "Kivo": ["Options..."],
    "Help": ["User's Manual", "Kivo Reference Manual", "Application Notes", "Check for a New Version...",
             "About..."],
}
# Per page, controls a user finds by their label: (role, spoken label, key binding of the mnemonic or None).
# A combo box's key binding is the one that opens it, so its mnemonic is not checked here.
ENGINE_CONTROLS = [
    ("check box", "Engine Disabled (low power mode, clocks stopped)", "Alt+D"),
    ("combo box", "Clock Source:", None),
    ("spin button", "Prescaler:", "Alt+P"),
    ("spin button", "Prescaler:", "Alt+r"),
    ("combo box", "Angle Mode:", None),
    ("check box", "Enable TCR1 STAC Bus operation", "Alt+S"),
    ("check box", "Enable TCR2 STAC Bus operation", "Alt+T"),
    ("radio button", "as server", None),
    ("radio button", "as client", None),
    ("spin button", "Server slot:", None),
    ("combo box", "Digital filter sample rate:", None),
    ("combo box", "Digital filter mode:", None),
    ("radio button", "Kivo clock divided by 2", None),
    ("radio button", "Same as channel input filter", None),
    ("radio button", "Two-sample mode", None),
    ("radio button", "Integration mode", None),
]
PAGE_CONTROLS = {
    "Processor": [
        ("combo box", "Target CPU:", None),
        ("text", "Name:", None),
        ("text", "Number of engines:", None),
        ("text", "Max. system clock:", None),
        ("text", "STAC Bus Available:", None),
        ("combo box", "System clock:", None),
    ],
    "Function Set": [
        ("combo box", "Kivo Function Set to be used", None),
        ("text", "Entry table base:", None),
        ("text", "MISC compare value:", None),
        ("*table", "Image Functions:", None),
        ("check box", "Enable SCM MISC operation", "Alt+M"),
        ("*list", "Kivo Applications Available for this Image", None),
    ],
    "Engine A": ENGINE_CONTROLS,
    "Engine B": ENGINE_CONTROLS,
}
TABLE_HEADERS = {"Function Set": ["#", "Function", "API"]}
# Dialogs opened from the menus: (menu item, window title, button that closes it), their controls as above.
DIALOGS = [("Options...", "Options", "Cancel"), ("About...", "About...", "OK")]
PAGE_CONTROLS["Options"] = [
    ("text", "Function Sets:", None),
    ("text", "Reference Manual:", None),
    ("text", "App. Notes:", None),
]
PAGE_CONTROLS["About..."] = [("text", "Last Build:", None)]

# The controls a user can reach with the keyboard and that take or show a value.
INPUT_ROLES = {"combo box", "text", "password text", "spin button", "check box", "radio button", "table",
               "tree", "tree table", "list", "list box", "slider", "toggle button"}
TABLE_ROLES = {"table", "tree", "tree table"}
LIST_ROLES = {"list", "list box"}

# The client library, imported once the buses run.
Atspi = GLib = None
# How long one call into the program may take before it counts as lost.
ATSPI_TIMEOUT_MS = 5000
PR_SET_PDEATHSIG = 1
PR_SET_CHILD_SUBREAPER = 36


class Broken(Exception):
    """The run could not get far enough to check anything."""


def prctl(option, value):
    try:
        ctypes.CDLL("libc.so.6", use_errno=True).prctl(option, value)
    except OSError:
        pass


def die_with_parent():
    # The child goes when this script goes, even when it is killed outright.
    prctl(PR_SET_PDEATHSIG, signal.SIGKILL)


class Processes:
    """What this run started, each in a process group of its own, ended in reverse order. What those start
    in turn (the accessibility bus's own daemon, the registry) comes back to this process when its parent
    goes, and is ended last."""

    def __init__(self):
        self.started = []
        prctl(PR_SET_CHILD_SUBREAPER, 1)

    def start(self, args, **kwargs):
        # None of them writes into this script's output: a pipe held open by a straggler would keep the
        # reader of that output waiting.
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        kwargs.setdefault("stderr", subprocess.DEVNULL)
        kwargs.setdefault("stdin", subprocess.DEVNULL)
        process = subprocess.Popen(args, start_new_session=True, preexec_fn=die_with_parent, **kwargs)
        self.started.append(process)
        return process

    @staticmethod
    def strays():
        me = str(os.getpid())
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/stat") as stream:
                    fields = stream.read().rsplit(")", 1)[1].split()
            except OSError:
                continue
            if fields[1] == me:
                found.append(int(entry))
        return found

    def end(self, process):
        if process.poll() is None:
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        process.wait()
        self.started.remove(process)

    def end_all(self):
        for process in reversed(self.started):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        deadline = time.monotonic() + 3
        for process in reversed(self.started):
            try:
                process.wait(max(0.1, deadline - time.monotonic()))
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait()
        self.started = []
        for _round in range(2):
            for pid in self.strays():
                try:
                    os.kill(pid, signal.SIGTERM if _round == 0 else signal.SIGKILL)
                except ProcessLookupError:
                    pass
            deadline = time.monotonic() + 2
            while time.monotonic() < deadline:
                try:
                    pid, _status = os.waitpid(-1, os.WNOHANG)
                except ChildProcessError:
                    return
                if pid == 0:
                    time.sleep(0.05)


def wait_for(what, predicate, seconds, step=0.1):
    deadline = time.monotonic() + seconds
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Broken(f"gave up after {seconds:g} s waiting for {what}")
        time.sleep(step)


def find_launcher():
    for folder in ("/usr/libexec", "/usr/lib/at-spi2-core", "/usr/lib/x86_64-linux-gnu/at-spi2-core"):
        path = os.path.join(folder, "at-spi-bus-launcher")
        if os.access(path, os.X_OK):
            return path
    return shutil.which("at-spi-bus-launcher")


def program_folder(binary, work):
    """A program folder of our own: the program's data linked in and a version checker that does nothing,
    so that the automatic check started at the first idle moment leaves nothing behind."""
    source = os.path.dirname(os.path.realpath(binary))
    folder = os.path.join(work, "bin")
    os.mkdir(folder)
    for name in ("conf", "fsets", "doc", "examples"):
        target = os.path.join(source, name)
        if os.path.exists(target):
            os.symlink(os.path.realpath(target), os.path.join(folder, name))
    copy = os.path.join(folder, os.path.basename(binary))
    shutil.copy2(binary, copy)
    checker = os.path.join(folder, "newscout")
    with open(checker, "w") as stream:
        stream.write("#!/bin/sh\nexit 0\n")
    os.chmod(checker, 0o755)
    return copy


# ---- Reading the tree

def children(node):
    try:
        count = node.childCount
    except Exception:
        return []
    result = []
    for index in range(count):
        try:
            child = node.getChildAtIndex(index)
        except Exception:
            continue
        if child is not None:
            result.append(child)
    return result


def walk(node):
    yield node
    for child in children(node):
        yield from walk(child)


def role(node):
    try:
        return node.getRoleName()
    except Exception:
        return ""


def name(node):
    try:
        return node.name or ""
    except Exception:
        return ""


def has_state(node, state):
    try:
        return node.getState().contains(state)
    except Exception:
        return False


def labels(node, pyatspi):
    """The names of the objects that label this one (a label with it as buddy, its group box)."""
    result = []
    try:
        relations = node.getRelationSet()
    except Exception:
        return result
    for relation in relations:
        if relation.getRelationType() != pyatspi.RELATION_LABELLED_BY:
            continue
        for index in range(relation.getNTargets()):
            text = name(relation.getTarget(index))
            if text:
                result.append(text)
    return result


def spoken_label(node, pyatspi):
    """What a screen reader announces as the control's label. A combo box on this platform takes its current
    entry as its name, so only a label tells what it is for; for every other control its own name comes
    first and a label stands in when it has none."""
    by = labels(node, pyatspi)
    if role(node) == "combo box":
        return by[0] if by else ""
    return name(node) or (by[0] if by else "")


def key_bindings(node):
    try:
        action = node.queryAction()
        return {action.getKeyBinding(index) for index in range(action.nActions)}
    except Exception:
        return set()


def do_action(node, wanted):
    action = node.queryAction()
    for index in range(action.nActions):
        if action.getName(index).lower() in wanted:
            return action.doAction(index)
    raise Broken(f"{role(node)} {name(node)!r} offers none of the actions {sorted(wanted)}")


def is_inner_part(node):
    """The edit field and the drop-down list of a combo box are the combo box's own parts."""
    try:
        parent = node.parent
    except Exception:
        return False
    return parent is not None and role(parent) == "combo box"


# ---- The checks

class Checks:
    def __init__(self):
        self.failures = []
        self.passed = 0

    def expect(self, condition, message):
        if condition:
            self.passed += 1
        else:
            self.failures.append(message)
            print(f"FAIL: {message}", flush=True)


def find_application(pyatspi, pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        try:
            if app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def page_area(frame):
    """The stack that holds the page views: the layered pane beside the page tab list."""
    for node in walk(frame):
        if role(node) == "layered pane":
            return node
    return None


def showing_page(area, pyatspi):
    for view in children(area):
        if has_state(view, pyatspi.STATE_SHOWING):
            return view
    return None


def check_page(view, caption, pyatspi, checks, verbose):
    found = []
    for node in walk(view):
        node_role = role(node)
        if node_role not in INPUT_ROLES or is_inner_part(node):
            continue
        if not has_state(node, pyatspi.STATE_SHOWING) or not has_state(node, pyatspi.STATE_FOCUSABLE):
            continue
        label = spoken_label(node, pyatspi)
        if verbose:
            print(f"  {caption}: {node_role} {label!r} (name {name(node)!r})", flush=True)
        checks.expect(label.strip() != "",
                      f"page {caption!r}: a {node_role} has no accessible name and no label "
                      f"(name {name(node)!r})")
        found.append((node_role, label, key_bindings(node), node))
    if caption == "Processor":
        names = [text_of(item[3]) for item in found if item[0] == "text" and item[1] == "Name:"]
        check_page.cpu = names[0] if names else ""
    for wanted_role, wanted_label, wanted_key in PAGE_CONTROLS.get(caption, []):
        roles = TABLE_ROLES if wanted_role == "*table" else LIST_ROLES if wanted_role == "*list" else {wanted_role}
        matches = [item for item in found if item[0] in roles and item[1] == wanted_label]
        if wanted_key:
            matches = [item for item in matches if wanted_key in item[2]]
        checks.expect(matches, f"page {caption!r}: no {wanted_role.lstrip('*')} labelled {wanted_label!r}"
                      + (f" with the key {wanted_key}" if wanted_key else ""))
    for header in TABLE_HEADERS.get(caption, []):
        checks.expect(any(role(node) == "table column header" and name(node) == header for node in walk(view)),
                      f"page {caption!r}: no table column header {header!r}")
    return len(found)


def text_of(node):
    try:
        return node.queryText().getText(0, -1)
    except Exception:
        return ""


def check_status_bar(frame, cpu, pyatspi, checks):
    """A pane is spoken by its name, so the name must be what the pane shows."""
    bars = [node for node in children(frame) if role(node) == "status bar"]
    checks.expect(bars, "the window has no status bar")
    if not bars:
        return
    panes = [name(node).strip() for node in walk(bars[0]) if role(node) == "label"]
    checks.expect(cpu and cpu in panes, f"no status bar pane reads the processor {cpu!r} (they read {panes})")
    # The project was just opened and nothing was changed.
    checks.expect("Modified" not in panes, f"a status bar pane reads 'Modified' for an unchanged project ({panes})")


def exit_through_menu(frame, program, seconds, pyatspi, checks):
    """File > Exit ends the program cleanly; under the sanitizers that is when they report."""
    exits = menu_items(frame, "Exit")
    checks.expect(exits, "there is no menu item 'Exit'")
    if not exits:
        return
    do_action(exits[0], {"press", "click", "activate"})
    try:
        status = program.wait(seconds)
    except subprocess.TimeoutExpired:
        windows = [name(node) for node in children(find_application(pyatspi, program.pid) or frame)]
        checks.expect(False, f"the program did not end within {seconds:g} s of File > Exit (its windows: {windows})")
        return
    checks.expect(status == 0, f"the program ended with status {status} after File > Exit")


def menu_items(frame, text):
    """The menu items with this text; only the menu bar is searched, the pages are many calls away."""
    found = []
    for bar in children(frame):
        if role(bar) == "menu bar":
            found += [node for node in walk(bar) if role(node) == "menu item" and name(node) == text]
    return found


def check_dialog(app, frame, item, title, close, pyatspi, checks, args):
    """Opens a dialog through its menu item, checks its controls and buttons, and closes it with a button."""
    items = menu_items(frame, item)
    checks.expect(items, f"there is no menu item {item!r}")
    if not items:
        return
    # The program answers the press only once the modal dialog has closed, so the answer is not waited for.
    Atspi.set_timeout(500, 0)
    try:
        do_action(items[0], {"press", "click", "activate"})
    except GLib.Error:
        pass
    finally:
        Atspi.set_timeout(ATSPI_TIMEOUT_MS, 15000)

    def opened():
        for window in children(app):
            if role(window) in ("dialog", "frame", "window") and name(window) == title:
                return window
        return None

    dialog = wait_for(f"the dialog {title!r}", opened, 10)
    time.sleep(0.3)
    screenshot(args.screenshots, len(os.listdir(args.screenshots)) if args.screenshots else 0, title,
               os.environ["DISPLAY"])
    check_page(dialog, title, pyatspi, checks, args.verbose)
    buttons = [node for node in walk(dialog)
               if role(node) == "push button" and has_state(node, pyatspi.STATE_SHOWING)]
    for button in buttons:
        checks.expect(name(button).strip() != "", f"dialog {title!r}: a push button has no accessible name")
    closers = [button for button in buttons if name(button) == close]
    checks.expect(closers, f"dialog {title!r}: no button {close!r} (buttons {[name(b) for b in buttons]})")
    if closers:
        do_action(closers[0], {"press", "click", "activate"})
        wait_for(f"the dialog {title!r} to close", lambda: opened() is None, 10)


def is_current(tab, pyatspi):
    # Later Qt marks the current tab selected; earlier it names the tab list after the current tab.
    if has_state(tab, pyatspi.STATE_SELECTED):
        return True
    try:
        return name(tab.parent) == name(tab)
    except Exception:
        return False


def select_tab(tab, area, pyatspi):
    """Makes the tab's page current through the tab's own action and returns the page's view."""
    do_action(tab, {"press", "click", "switch"})
    wait_for(f"the page {name(tab)!r} to become current",
             lambda: is_current(tab, pyatspi) and showing_page(area, pyatspi) is not None, 5)
    # The page paints and its derived fields settle after the switch.
    time.sleep(0.3)
    return showing_page(area, pyatspi)


def x_server_answers(display):
    path = f"/tmp/.X11-unix/X{display.lstrip(':')}"
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as connection:
        connection.settimeout(2)
        try:
            connection.connect(path)
            return True
        except OSError:
            return False


def start_x_server(processes):
    """An X server on a display number it picks itself; a server that does not answer is replaced, since a
    server of a run beside this one may be going away on the same number."""
    for _attempt in range(3):
        read, write = os.pipe()
        try:
            # Without -noreset the server starts afresh whenever its last client leaves (the probe below,
            # for one), and a client that connects meanwhile is turned away.
            server = processes.start(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                                      "-nolisten", "tcp", "-noreset"],
                                     pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        finally:
            os.close(write)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read], [], [], max(0, deadline - time.monotonic()))
            chunk = os.read(read, 16) if ready else b""
            if not chunk:
                break
            number += chunk
        os.close(read)
        display = ":" + number.decode().strip()
        if number.strip() and server.poll() is None and x_server_answers(display):
            return display
        processes.end(server)
    raise Broken("the X server did not start")


def screenshot(folder, index, caption, display):
    if not folder or not shutil.which("import"):
        return
    path = os.path.join(folder, f"{index:02d}-{caption.replace(' ', '_')}.png")
    subprocess.run(["import", "-display", display, "-window", "root", path], timeout=20,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    print(f"screenshot: {path}", flush=True)


def run(args, processes):
    launcher = find_launcher()
    missing = [tool for tool, found in (("dbus-daemon", shutil.which("dbus-daemon")), ("Xvfb", shutil.which("Xvfb")),
                                         ("at-spi-bus-launcher", launcher)) if not found]
    if missing:
        print(f"skipped: {', '.join(missing)} not installed")
        return 77
    work = tempfile.mkdtemp(prefix="kivovam-a11y-")
    try:
        # The accessibility bus's socket goes under the runtime folder: one of our own keeps runs side by
        # side apart.
        os.environ["XDG_RUNTIME_DIR"] = work
        os.environ["DISPLAY"] = start_x_server(processes)
        os.environ.pop("WAYLAND_DISPLAY", None)
        bus = processes.start(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"],
                              stdout=subprocess.PIPE, text=True)
        address = bus.stdout.readline().strip()
        if not address:
            raise Broken("the session bus did not start")
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        # The bus is found through the session bus; without a display the launcher and the registry keep off
        # the X server and do not complain when it goes first.
        quiet = {key: value for key, value in os.environ.items() if key != "DISPLAY"}
        processes.start([launcher, "--launch-immediately"], env=quiet)
        # The client library ends this process outright when it finds no accessibility bus, so it is asked
        # for only once the bus answers.
        wait_for("the accessibility bus", lambda: subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--reply-timeout=2000", "--dest=org.a11y.Bus",
             "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=5, check=False).returncode == 0, 15, 0.2)

        # Only now, with the buses set up, may the client library connect.
        import gi
        gi.require_version("Atspi", "2.0")
        global Atspi, GLib
        from gi.repository import Atspi, GLib
        import pyatspi
        Atspi.set_timeout(ATSPI_TIMEOUT_MS, 15000)

        config = os.path.join(work, "config")
        os.mkdir(config)
        # Settings and recovery copies of its own: a copy left in the user's
        # folder would greet the walk with a question.
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_CONFIG_HOME=config,
                   XDG_DATA_HOME=os.path.join(work, "data"), QT_QPA_PLATFORM="xcb")
        binary = program_folder(args.program, work)
        log_path = os.path.join(work, "program.log")
        log = open(log_path, "w")
        # A copy of the project's folder: whatever the program does to its project stays out of the tree.
        project = os.path.join(work, "project", os.path.basename(args.project))
        shutil.copytree(os.path.dirname(os.path.abspath(args.project)), os.path.dirname(project))
        program = processes.start([binary, project], env=env, stdout=log,
                                  stderr=subprocess.STDOUT)

        def appeared():
            if program.poll() is not None:
                log.flush()
                with open(log_path, errors="replace") as stream:
                    output = stream.read().strip()
                raise Broken(f"the program ended with status {program.returncode} before it could be read; "
                             f"it wrote:\n{output}")
            app = find_application(pyatspi, program.pid)
            if app is None:
                return None
            frames = [node for node in children(app) if role(node) == "frame" and name(node).endswith("Kivo Vam")]
            return (app, frames[0]) if frames else None

        app, frame = wait_for("the program's main window on the accessibility desktop", appeared, args.wait, 0.25)
        print(f"found {name(app)!r} with the window {name(frame)!r}", flush=True)
        checks = Checks()

        tab_lists = [node for node in walk(frame) if role(node) == "page tab list"]
        if not tab_lists:
            raise Broken("the window has no page tab list")
        tabs = [node for node in children(tab_lists[0]) if role(node) == "page tab"]
        captions = [name(tab) for tab in tabs]
        print(f"tabs: {captions}", flush=True)
        checks.expect(captions[:len(PAGE_TABS)] == PAGE_TABS,
                      f"the page tabs read {captions}, expected {PAGE_TABS} first")

        menu_bars = [node for node in children(frame) if role(node) == "menu bar"]
        checks.expect(menu_bars, "the window has no menu bar")
        if menu_bars:
            menus = [node for node in children(menu_bars[0]) if role(node) == "menu item"]
            checks.expect([name(menu) for menu in menus] == MENUS,
                          f"the menu bar reads {[name(menu) for menu in menus]}, expected {MENUS}")
            for menu in menus:
                items = [name(node) for node in walk(menu) if role(node) == "menu item" and node is not menu]
                for item in MENU_ITEMS.get(name(menu), []):
                    checks.expect(item in items, f"the menu {name(menu)!r} has no item {item!r} (it has {items})")

        area = page_area(frame)
        if area is None:
            raise Broken("the window has no page area")
        controls = 0
        views = []
        for index, tab in enumerate(tabs):
            caption = name(tab)
            view = select_tab(tab, area, pyatspi)
            views.append(view.getIndexInParent())
            screenshot(args.screenshots, index, caption, os.environ["DISPLAY"])
            controls += check_page(view, caption, pyatspi, checks, args.verbose)
        check_status_bar(frame, getattr(check_page, "cpu", ""), pyatspi, checks)
        checks.expect(len(set(views)) == len(tabs), f"the tabs did not each show a page of their own: {views}")
        # Back to the first page: switching through the interface works both ways.
        if tabs:
            first = select_tab(tabs[0], area, pyatspi)
            checks.expect(first.getIndexInParent() == views[0], "the first page did not come back")
        for item, title, close in DIALOGS:
            check_dialog(app, frame, item, title, close, pyatspi, checks, args)
        exit_through_menu(frame, program, args.exit_wait, pyatspi, checks)
        print(f"{checks.passed} checks passed over {len(tabs)} pages and {controls} controls, "
              f"{len(checks.failures)} failed", flush=True)
        log.close()
        with open(log_path, errors="replace") as stream:
            output = [line for line in stream.read().splitlines() if line.strip()]
        if output and (checks.failures or args.verbose or program.returncode != 0):
            print("the program wrote:\n  " + "\n  ".join(output[-60:]), flush=True)
        return 1 if checks.failures else 0
    finally:
        processes.end_all()
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program", help="the desktop program")
    parser.add_argument("project", help="the project to open, with two engines")
    parser.add_argument("--wait", type=float, default=30, help="seconds to wait for the window")
    parser.add_argument("--deadline", type=float, default=120, help="seconds for the whole run")
    parser.add_argument("--exit-wait", type=float, default=20, help="seconds for the program to end after File > Exit")
    parser.add_argument("--screenshots", help="a folder for a picture of each page")
    parser.add_argument("--verbose", action="store_true", help="list every control with its label")
    args = parser.parse_args()
    # Only whether the modules are there; the client itself is imported once its buses run.
    missing = [module for module in ("gi", "pyatspi") if importlib.util.find_spec(module) is None]
    if missing:
        print(f"skipped: the AT-SPI client for Python is missing ({', '.join(missing)}); install python3-pyatspi")
        return 77

    processes = Processes()

    def stop(signum, _frame):
        if signum == signal.SIGALRM:
            raise Broken(f"the run did not end within its deadline of {args.deadline:g} s")
        raise Broken(f"stopped by signal {signum}")

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGALRM, stop)
    signal.alarm(int(args.deadline))
    try:
        return run(args, processes)
    except Broken as error:
        print(f"ERROR: {error}", flush=True)
        return 2
    finally:
        signal.alarm(0)
        processes.end_all()


if __name__ == "__main__":
    sys.exit(main())
