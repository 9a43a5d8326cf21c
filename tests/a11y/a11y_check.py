#!/usr/bin/env python3
"""Walks the desktop program's accessible tree over AT-SPI, from outside, the way a screen reader sees it.

The script starts its own X server (Xvfb, on a display number the server picks itself, so that runs side by
side never meet), session bus, accessibility bus and the program, and ends them all whatever happens: a
bounded wait for each step, a deadline for the whole run, and the program and the buses tied to this process
so that they go when it goes. It ends the program through File > Exit, which must end it with status 0.
Where a screen reader's user types (Tab through the notes' links, Ctrl+H for find and replace), the script
gives the program's window the input focus, which no window manager gives it here, and types through XTest.

Exit status: 0 when every check passes, 1 when one fails, 2 when the run itself broke (no X server, no bus,
no program on the accessibility desktop in time), 77 when a tool it needs is missing.
"""

import argparse
import ctypes
import importlib.util
import json
import os
import re
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
             "Verbatim Block", "Generated Code"]
MENUS = ["File", "Edit", "View", "Kivo", "Help"]
MENU_ITEMS = {
    "File": ["New", "Open...", "Save", "Save As...", "Export Channel Map...", "Exit"],
    "Edit": ["Cut", "Copy", "Paste"],
    "View": ["Next Pane", "Toolbar", "Status Bar", "Problems", "Channel Map"],
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
        # The sample's function set requires the MISC check: the box is locked, and a
        # locked control offers no key.
        ("check box", "Enable SCM MISC operation", None),
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

# The Channels pages: a table a screen reader reads cell by cell, the commands and the total.
CHANNEL_COLUMNS = ["Ch.", "Function Name", "Channel Name", "Priority", "Load", "CIE", "CDTRE", "ODIS", "API"]
CHANNEL_FLAG_COLUMNS = {5: "cie", 6: "cdtre"}
CHANNEL_TEXT_COLUMNS = {0: "ch", 1: "function", 2: "channel", 3: "priority", 4: "load", 7: "odis", 8: "api"}
CHANNEL_BUTTONS = ["Add Application...", "Add Function...", "Edit...", "Remove", "Load..."]
CHANNEL_PAGES = ["Engine A Channels", "Engine B Channels"]
for _caption in CHANNEL_PAGES:
    PAGE_CONTROLS[_caption] = [("*table", _caption, None), ("text", "Total Load:", None)]
    TABLE_HEADERS[_caption] = CHANNEL_COLUMNS
# The dialogs the Channels pages open: the function dialog on a function with a C API (Add) and on one without
# (Edit), and the load dialog. Their titles come from the project.
PAGE_CONTROLS["Add Kivo Function"] = [
    ("combo box", "Kivo Function", None),
    ("combo box", "C-API to be used:", None),
    ("*table", "Channels", None),
    ("*table", "Parameter Values", None),
    ("check box", "Show parameter tips", "Alt+w"),
    ("text", "Generated Code:", None),
]
TABLE_HEADERS["Add Kivo Function"] = ["Channel Name", "Number", "Parameter Name", "Value", "Type"]
PAGE_CONTROLS["Edit Kivo Function"] = [
    ("combo box", "Channel Number:", None),
    ("combo box", "Function Mode:", None),
    ("combo box", "Entry Table Type:", None),
    ("combo box", "Initialization HSR:", None),
    ("combo box", "Priority:", None),
    ("spin button", "Number of channel parameters:", None),
    ("*table", "Channel Parameters", None),
    ("text", "Generated Code:", None),
]
TABLE_HEADERS["Edit Kivo Function"] = ["Parameter Name", "Value"]
LOAD_CONTROLS = [("*table", "Load expression inputs", None)]
LOAD_HEADERS = ["Parameter Name", "Value", "Unit/Type"]
# Find and replace on the Verbatim Block page, opened with Ctrl+H.
PAGE_CONTROLS["Replace"] = [
    ("text", "Find what:", None),
    ("text", "Replace with:", None),
    ("check box", "Match case", "Alt+c"),
    ("check box", "Match whole word only", "Alt+w"),
    ("check box", "Regular expression", "Alt+x"),
    ("check box", "Search backwards", "Alt+b"),
    ("check box", "Wrap around", "Alt+u"),
]
FIND_BUTTONS = ["Find Next", "Replace", "Replace All", "Close"]

# The Generated Code page: both files read only, each on a tab of its own, and the commands between differences.
GENERATED_FILES = {"kivo_vam.c": ("Generated source, as the next save writes it", "int32_t my_system_kivo_init()"),
                   "kivo_vam.h": ("Generated header, as the next save writes it", "#ifndef KIVO_VAM_CONFIG_H")}
GENERATED_BUTTONS = ["Previous Difference", "Next Difference"]

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


def press_without_waiting(node):
    """Presses a button or menu item that opens a modal dialog: the program answers the press only once the
    dialog has closed, so the answer is not waited for."""
    Atspi.set_timeout(500, 0)
    try:
        do_action(node, {"press", "click", "activate"})
    except GLib.Error:
        pass
    finally:
        Atspi.set_timeout(ATSPI_TIMEOUT_MS, 15000)


def check_dialog(app, open_it, title, close, pyatspi, checks, args, more=None):
    """Opens a dialog (`open_it`), checks its controls and buttons (and what `more` checks), and closes it with
    a button."""
    open_it()

    # A dialog that only hides when it closes stays among the program's windows.
    def opened():
        for window in children(app):
            if role(window) in ("dialog", "frame", "window") and name(window) == title and \
                    has_state(window, pyatspi.STATE_SHOWING):
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
    if more:
        more(dialog, buttons)
    closers = [button for button in buttons if name(button) == close]
    checks.expect(closers, f"dialog {title!r}: no button {close!r} (buttons {[name(b) for b in buttons]})")
    if closers:
        do_action(closers[0], {"press", "click", "activate"})
        wait_for(f"the dialog {title!r} to close", lambda: opened() is None, 10)


def check_menu_dialog(app, frame, item, title, close, pyatspi, checks, args):
    items = menu_items(frame, item)
    checks.expect(items, f"there is no menu item {item!r}")
    if items:
        check_dialog(app, lambda: press_without_waiting(items[0]), title, close, pyatspi, checks, args)


# ---- The Channels pages and the dialogs they open

def project_model(program, project, env, command):
    """What the command-line tool beside the program reports for the project: the model the window must show."""
    tool = os.path.join(os.path.dirname(os.path.realpath(program)), "kivovam-cli")
    if not os.access(tool, os.X_OK):
        raise Broken(f"no kivovam-cli beside the program ({tool}) to read the project with")
    result = subprocess.run([tool, "--json", "--quiet", command, project], env=env, capture_output=True, text=True,
                            timeout=60, check=False)
    if result.returncode != 0:
        raise Broken(f"kivovam-cli {command} failed: {result.stderr.strip()}")
    return json.loads(result.stdout)


def channel_table(view, caption):
    tables = [node for node in walk(view) if role(node) == "table" and name(node) == caption]
    return tables[0] if tables else None


def check_channels_page(view, caption, engine, pyatspi, checks):
    """Every cell as a screen reader reads it, row by row: the texts, the check boxes' states and the ODIS
    choice, as the project holds them; the commands by name and the total load."""
    table = channel_table(view, caption)
    if table is None:
        return
    cells = table.queryTable()
    rows = engine["channelTable"]
    checks.expect(cells.nRows == len(rows) and cells.nColumns == len(CHANNEL_COLUMNS),
                  f"page {caption!r}: the table has {cells.nRows} rows and {cells.nColumns} columns")
    for row, expected in enumerate(rows[:cells.nRows]):
        heard = {}
        for column in range(cells.nColumns):
            cell = cells.getAccessibleAt(row, column)
            if column in CHANNEL_FLAG_COLUMNS:
                heard[CHANNEL_FLAG_COLUMNS[column]] = has_state(cell, pyatspi.STATE_CHECKED)
            elif column in CHANNEL_TEXT_COLUMNS:
                heard[CHANNEL_TEXT_COLUMNS[column]] = name(cell)
        wanted = {key: expected[key] for key in heard}
        checks.expect(heard == wanted, f"page {caption!r}, row {row}: a screen reader hears {heard}, "
                                       f"the project holds {wanted}")
    buttons = [name(node) for node in walk(view)
               if role(node) == "push button" and has_state(node, pyatspi.STATE_SHOWING)]
    checks.expect(buttons == CHANNEL_BUTTONS, f"page {caption!r}: the buttons read {buttons}")
    totals = [node for node in walk(view) if role(node) == "text" and spoken_label(node, pyatspi) == "Total Load:"]
    checks.expect(totals and text_of(totals[0]) == engine["totalLoad"],
                  f"page {caption!r}: 'Total Load:' reads {[text_of(node) for node in totals]}, "
                  f"the project's is {engine['totalLoad']!r}")


def spoken_cell(engine, number, row, instances):
    """What the channel map says for one channel: the channels page's row with the instance the project names."""
    letter = "AB"[engine]
    if not row["function"]:
        return f"Engine {letter} channel {number}: free"
    instance, channel = instances[(engine, number)]
    load = "load unknown" if row["load"] == "?" else f"load {row['load']}"
    return f"Engine {letter} channel {number}: {instance} {channel}, {load}"


def check_channel_map(frame, model, channel_pages, pyatspi, checks):
    """View > Channel Map shows the map: per engine its total, then each channel a list item read as the
    project holds it; pressing one goes to its row on the engine's channels page."""
    items = menu_items(frame, "Channel Map")
    checks.expect(items, "there is no menu item 'Channel Map'")
    if not items:
        return
    do_action(items[0], {"press", "click", "activate", "toggle"})
    lists = wait_for("the channel map", lambda: [node for node in walk(frame) if role(node) == "list" and
                                                 name(node) == "Channel Map" and
                                                 has_state(node, pyatspi.STATE_SHOWING)], 10)
    cells = children(lists[0])
    instances = {}
    for func in model["functions"]:
        for channel in func["channels"]:
            instances[(func["engine"], channel["number"])] = (func["instance"], channel["name"])
    heard = [name(node) for node in cells]
    wanted = []
    for engine, record in enumerate(model["engines"]):
        wanted.append(f"Engine {'AB'[engine]}: total load {record['totalLoad']}")
        wanted += [spoken_cell(engine, number, row, instances) for number, row in enumerate(record["channelTable"])]
    heard_cells = [text.split(" (")[0] if text.startswith("Engine") and "total load" in text else text
                   for text in heard]
    checks.expect(heard_cells == wanted, f"the channel map reads {heard}, the project holds {wanted}")
    roles = {role(node) for node in cells if ": total load" not in name(node)}
    checks.expect(roles == {"list item"}, f"the channel map's cells have the roles {roles}")
    # Engine B's channel 1, pressed as a screen reader user does: its row is selected on its page.
    target = "Engine B channel 1:"
    pressed = [node for node in cells if name(node).startswith(target)]
    checks.expect(pressed and 1 in channel_pages, f"the channel map has no cell {target!r}")
    if pressed and 1 in channel_pages:
        do_action(pressed[0], {"press", "click", "activate"})
        view, caption = channel_pages[1]()
        table = channel_table(view, caption)

        def selected():
            rows = list(table.queryTable().getSelectedRows())
            return rows if rows == [1] else None

        try:
            wait_for("the row of engine B's channel 1 selected", selected, 5)
            checks.expect(True, "")
        except Broken as error:
            checks.expect(False, f"pressing {target!r} in the channel map: {error}")
    do_action(items[0], {"press", "click", "activate", "toggle"})


def select_row(view, caption, row, button, pyatspi):
    """Selects one row of the table as a screen reader user does and waits for the command it enables."""
    table = channel_table(view, caption)
    cells = table.queryTable()
    for selected in cells.getSelectedRows():
        cells.removeRowSelection(selected)
    cells.addRowSelection(row)
    commands = [node for node in walk(view) if role(node) == "push button" and name(node) == button]
    if not commands:
        raise Broken(f"page {caption!r} has no button {button!r}")
    wait_for(f"{button!r} to be enabled by row {row}", lambda: has_state(commands[0], pyatspi.STATE_ENABLED), 5)
    return commands[0]


def set_channel_flags(project):
    """The sample project sets no channel flag: the copy gets engine A's interrupt on channel 3 and its output
    disabled low on channel 5, so that the walk hears a checked box and a choice other than the first."""
    header = os.path.splitext(project)[0] + ".h"
    try:
        with open(header) as stream:
            text = stream.read()
    except OSError:
        return
    for define, mask in (("KIVO_CIE_A", 1 << 3), ("KIVO_ODIS_A", 1 << 5), ("KIVO_OPOL_A", 1 << 5)):
        text = re.sub(rf"(#define {define}\t)0x[0-9A-Fa-f]+", rf"\g<1>0x{mask:08X}", text)
    with open(header, "w") as stream:
        stream.write(text)


def spoil_a_load_input(project):
    """The copy gets a load input of engine B's decoder that does not read, so that the Problems pane has a row
    to read (the load dialog the walk opens is engine A's PWM's)."""
    try:
        with open(project) as stream:
            text = stream.read()
    except OSError:
        return
    with open(project, "w") as stream:
        stream.write(text.replace("speed=3000;", "speed=fast;", 1))


def project_check(program, project, env):
    """What `kivovam-cli check` reports for the project: the problems the pane must list."""
    tool = os.path.join(os.path.dirname(os.path.realpath(program)), "kivovam-cli")
    result = subprocess.run([tool, "--json", "check", project], env=env, capture_output=True, text=True,
                            timeout=60, check=False)
    if result.returncode not in (0, 1):
        raise Broken(f"kivovam-cli check failed: {result.stderr.strip()}")
    return json.loads(result.stdout)["messages"]


def check_problems_pane(frame, problems, pyatspi, checks):
    """The Problems pane reads, row by row, what `kivovam-cli check` reports for the same project, and a status bar
    pane counts it. The pane is closed and opened again from the View menu, as a user does."""
    count = "No problems" if not problems else f"{len(problems)} problem{'' if len(problems) == 1 else 's'}"
    bars = [node for node in children(frame) if role(node) == "status bar"]
    panes = [name(node).strip() for bar in bars for node in walk(bar) if role(node) == "label"]
    checks.expect(count in panes, f"no status bar pane reads {count!r} (they read {panes})")
    items = menu_items(frame, "Problems")
    checks.expect(items, "there is no menu item 'Problems'")
    if not items:
        return

    def shown_lists():
        return [node for node in walk(frame) if role(node) in TABLE_ROLES and name(node) == "Problems"
                and has_state(node, pyatspi.STATE_SHOWING)]

    # A project opened with problems shows the pane by itself.
    checks.expect(bool(shown_lists()) == bool(problems),
                  f"the Problems pane is {'shown' if shown_lists() else 'hidden'} with {count.lower()}")
    if shown_lists():
        do_action(items[0], {"press", "click", "activate", "toggle"})
        wait_for("the Problems pane to close", lambda: not shown_lists(), 5)
    do_action(items[0], {"press", "click", "activate", "toggle"})
    lists = wait_for("the Problems pane", shown_lists, 5)
    cells = lists[0].queryTable()
    headers = headers_of(lists[0])
    checks.expect(headers == ["No.", "Message"], f"the Problems list's columns read {headers}")
    checks.expect(cells.nRows == len(problems), f"the Problems list has {cells.nRows} rows, check reports "
                                                f"{len(problems)}")
    # The program reads the function sets from its own folder, the tool from the build's: a path a message
    # quotes is compared by its file name.
    def same_paths(text):
        return re.sub(r"'/[^']*/([^'/]+)'", r"'\1'", " ".join(text.split()))

    for row, problem in enumerate(problems[:cells.nRows]):
        number = str(problem["id"]) if problem["id"] else ""
        heard = (name(cells.getAccessibleAt(row, 0)), same_paths(name(cells.getAccessibleAt(row, 1))))
        wanted = (f"{problem['kind']} {number}".strip(), same_paths(problem["text"]))
        checks.expect(heard == wanted, f"Problems row {row}: a screen reader hears {heard}, check reports {wanted}")


def headers_of(dialog):
    return [name(node) for node in walk(dialog) if role(node) == "table column header"]


def check_channel_dialogs(app, pages, model, pyatspi, checks, args):
    """The function dialog (Add, on a function with a C API; Edit, on one without) and the load dialog,
    each opened from its Channels page as the user opens it, and cancelled."""
    functions = model["functions"]
    first = pages.get(0)
    if first:
        view, caption = first()
        adds = [node for node in walk(view) if role(node) == "push button" and name(node) == "Add Function..."]
        checks.expect(adds, f"page {caption!r}: no button 'Add Function...'")
        if adds:
            check_dialog(app, lambda: press_without_waiting(adds[0]), "Add Kivo Function", "Cancel", pyatspi,
                         checks, args)

    def lowest(func):
        return min(channel["number"] for channel in func["channels"])

    no_api = [func for func in functions if func["kind"] != "api" and func["engine"] in pages]
    checks.expect(no_api, "the project has no function without a C API to open the Edit dialog on")
    if no_api:
        view, caption = pages[no_api[0]["engine"]]()
        edit = select_row(view, caption, lowest(no_api[0]), "Edit...", pyatspi)
        check_dialog(app, lambda: press_without_waiting(edit), "Edit Kivo Function", "Cancel", pyatspi, checks, args)

    loaded = [func for func in functions if func["kind"] == "api" and func["loadInputs"] and func["engine"] in pages]
    checks.expect(loaded, "the project has no function with load inputs to open the load dialog on")
    if loaded:
        func = loaded[0]
        view, caption = pages[func["engine"]]()
        load = select_row(view, caption, lowest(func), "Load...", pyatspi)
        title = f"Calculate {func['title']} Load"
        PAGE_CONTROLS[title] = LOAD_CONTROLS

        def inputs(dialog, buttons):
            checks.expect(headers_of(dialog) == LOAD_HEADERS,
                          f"dialog {title!r}: the headers read {headers_of(dialog)}")
            tables = [node for node in walk(dialog) if role(node) == "table"]
            if not tables:
                return
            cells = tables[0].queryTable()
            heard = {name(cells.getAccessibleAt(row, 0)): name(cells.getAccessibleAt(row, 1))
                     for row in range(cells.nRows)}
            checks.expect(all(heard.get(key) == value for key, value in func["loadInputs"].items()),
                          f"dialog {title!r}: the inputs read {heard}, the project holds {func['loadInputs']}")
            names = [name(button) for button in buttons]
            checks.expect(names == ["OK", "Test", "Close"], f"dialog {title!r}: the buttons read {names}")

        check_dialog(app, lambda: press_without_waiting(load), title, "Close", pyatspi, checks, args, inputs)


# ---- Typing on the program's window

class Keyboard:
    """Keys typed on the program's window as a user types them. Without a window manager nobody gives the
    window the input focus, so it is given here, and XTest types; both libraries come with the X client side
    the accessibility bus already needs."""

    ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)

    def __init__(self, display):
        try:
            self.x11 = ctypes.CDLL("libX11.so.6")
            self.xtst = ctypes.CDLL("libXtst.so.6")
        except OSError as error:
            raise Broken(f"the X client libraries for typing are missing: {error}")
        x11 = self.x11
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                   ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                   ctypes.POINTER(ctypes.c_uint)]
        x11.XGetWindowProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long,
                                           ctypes.c_long, ctypes.c_int, ctypes.c_ulong,
                                           ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int),
                                           ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
                                           ctypes.POINTER(ctypes.POINTER(ctypes.c_long))]
        x11.XFree.argtypes = [ctypes.c_void_p]
        x11.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        x11.XSetErrorHandler.restype = ctypes.c_void_p
        x11.XSetErrorHandler.argtypes = [ctypes.c_void_p]
        x11.XStringToKeysym.restype = ctypes.c_ulong
        x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.display = x11.XOpenDisplay(display.encode())
        if not self.display:
            raise Broken(f"cannot open the display {display} for typing")

    def close(self):
        self.x11.XCloseDisplay(self.display)

    def _pid_of(self, window, atom):
        kind, size, count, after = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_ulong(), ctypes.c_ulong()
        data = ctypes.POINTER(ctypes.c_long)()
        if self.x11.XGetWindowProperty(self.display, window, atom, 0, 1, 0, 0, ctypes.byref(kind),
                                       ctypes.byref(size), ctypes.byref(count), ctypes.byref(after),
                                       ctypes.byref(data)) != 0 or not data:
            return None
        pid = data[0] if count.value and size.value == 32 else None
        self.x11.XFree(data)
        return pid

    def focus(self, pid):
        """Gives the input focus to the program's window that takes it (its others are never shown)."""
        x11 = self.x11
        root = x11.XDefaultRootWindow(self.display)
        atom = x11.XInternAtom(self.display, b"_NET_WM_PID", 1)
        parent, top = ctypes.c_ulong(), ctypes.c_ulong()
        windows = ctypes.POINTER(ctypes.c_ulong)()
        count = ctypes.c_uint()
        x11.XQueryTree(self.display, root, ctypes.byref(top), ctypes.byref(parent), ctypes.byref(windows),
                       ctypes.byref(count))
        candidates = [windows[index] for index in range(count.value)]
        if windows:
            x11.XFree(windows)
        errors = []
        handler = self.ERROR_HANDLER(lambda _display, _event: errors.append(1) or 0)
        previous = x11.XSetErrorHandler(ctypes.cast(handler, ctypes.c_void_p))
        try:
            for window in reversed(candidates):
                if atom and self._pid_of(window, atom) != pid:
                    continue
                errors.clear()
                x11.XSetInputFocus(self.display, window, 2, 0)  # RevertToParent, CurrentTime
                x11.XSync(self.display, 0)
                if not errors:
                    return True
            return False
        finally:
            x11.XSetErrorHandler(previous)

    def press(self, *keys):
        """Presses the keys (X key symbol names) in order and lets them go in reverse: ("Control_L", "h")."""
        codes = [self.x11.XKeysymToKeycode(self.display, self.x11.XStringToKeysym(key.encode())) for key in keys]
        for code in codes:
            self.xtst.XTestFakeKeyEvent(self.display, code, 1, 0)
        for code in reversed(codes):
            self.xtst.XTestFakeKeyEvent(self.display, code, 0, 0)
        self.x11.XFlush(self.display)
        time.sleep(0.15)


def selection(node):
    """The first selected range of a text and its text, or None."""
    try:
        text = node.queryText()
        if text.getNSelections() < 1:
            return None
        start, end = text.getSelection(0)
        return start, end, text.getText(start, end)
    except Exception:
        return None


def check_notes_links(view, notes, keyboard, pyatspi, checks):
    """The page's text holds every link, and Tab walks them in order, each selected so a screen reader reads
    its text."""
    links = [re.sub(r"<[^>]*>", "", text).strip()
             for text in re.findall(r'<a href="[^"]*">(.*?)</a>', notes["html"], re.S)]
    browsers = [node for node in walk(view) if has_state(node, pyatspi.STATE_FOCUSABLE) and text_of(node)]
    checks.expect(browsers, "page 'Project Notes': no text a screen reader can read")
    if not browsers or not links:
        checks.expect(links, "the project's notes have no links")
        return
    browser = browsers[0]
    checks.expect(name(browser).strip() != "", "page 'Project Notes': the notes have no accessible name")
    text = " ".join(text_of(browser).split())
    missing = [link for link in links if link not in text]
    checks.expect(not missing, f"page 'Project Notes': the text lacks the links {missing}")
    browser.queryComponent().grabFocus()
    heard = []
    last = selection(browser)
    for _link in links:
        keyboard.press("Tab")
        # Two links may read alike; the selection moves all the same.
        try:
            last = wait_for("Tab to select the next link", lambda: selection(browser) != last and selection(browser), 3)
        except Broken:
            break
        heard.append(last[2])
    checks.expect(heard == links, f"page 'Project Notes': Tab selects {heard}, the links are {links}")


def check_find_dialog(app, view, keyboard, pyatspi, checks, args):
    """Ctrl+H in the verbatim editor opens find and replace beside it."""
    editors = [node for node in walk(view) if role(node) == "text" and has_state(node, pyatspi.STATE_EDITABLE)
               and has_state(node, pyatspi.STATE_SHOWING)]
    checks.expect(editors, "page 'Verbatim Block': no editable text")
    if not editors:
        return
    editors[0].queryComponent().grabFocus()

    def buttons_read(dialog, buttons):
        names = [name(button) for button in buttons]
        checks.expect(names == FIND_BUTTONS, f"dialog 'Replace': the buttons read {names}")

    check_dialog(app, lambda: keyboard.press("Control_L", "h"), "Replace", "Close", pyatspi, checks, args,
                 buttons_read)


def check_generated_code(view, pyatspi, checks):
    """Each file's tab shows its read-only text, named, holding what the file holds."""
    file_tabs = [node for node in walk(view) if role(node) == "page tab" and name(node) in GENERATED_FILES]
    checks.expect(sorted(name(tab) for tab in file_tabs) == sorted(GENERATED_FILES),
                  f"page 'Generated Code': the file tabs read {[name(tab) for tab in file_tabs]}")
    for tab in file_tabs:
        wanted_name, wanted_text = GENERATED_FILES[name(tab)]
        do_action(tab, {"press", "click", "switch"})
        time.sleep(0.3)
        editors = [node for node in walk(view) if role(node) == "text" and name(node) == wanted_name
                   and has_state(node, pyatspi.STATE_SHOWING)]
        checks.expect(editors, f"page 'Generated Code': no text named {wanted_name!r} on the tab {name(tab)!r}")
        if editors:
            checks.expect(not has_state(editors[0], pyatspi.STATE_EDITABLE),
                          f"page 'Generated Code': {wanted_name!r} can be edited")
            checks.expect(wanted_text in text_of(editors[0]),
                          f"page 'Generated Code': {wanted_name!r} does not read {wanted_text!r}")
    buttons = [name(node) for node in walk(view) if role(node) == "push button" and name(node) in GENERATED_BUTTONS]
    checks.expect(buttons == GENERATED_BUTTONS, f"page 'Generated Code': the buttons read {buttons}")
    if file_tabs:
        do_action(file_tabs[0], {"press", "click", "switch"})


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
        set_channel_flags(project)
        spoil_a_load_input(project)
        model = project_model(args.program, project, env, "show")
        notes = project_model(args.program, project, env, "notes")
        problems = project_check(args.program, project, env)
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

        # The pages' own tab lists (the Generated Code page has one) are not the window's.
        tab_lists = [node for node in walk(frame) if role(node) == "page tab list"
                     and any(name(tab) == PAGE_TABS[0] for tab in children(node))]
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
            engine = CHANNEL_PAGES.index(caption) if caption in CHANNEL_PAGES else -1
            if 0 <= engine < len(model["engines"]):
                check_channels_page(view, caption, model["engines"][engine], pyatspi, checks)
            if caption == "Generated Code":
                check_generated_code(view, pyatspi, checks)
        check_status_bar(frame, getattr(check_page, "cpu", ""), pyatspi, checks)
        check_problems_pane(frame, problems, pyatspi, checks)
        checks.expect(len(set(views)) == len(tabs), f"the tabs did not each show a page of their own: {views}")
        # Back to the first page: switching through the interface works both ways.
        if tabs:
            first = select_tab(tabs[0], area, pyatspi)
            checks.expect(first.getIndexInParent() == views[0], "the first page did not come back")
        for item, title, close in DIALOGS:
            check_menu_dialog(app, frame, item, title, close, pyatspi, checks, args)

        def page_opener(caption):
            def open_page():
                tab = next(tab for tab in tabs if name(tab) == caption)
                return select_tab(tab, area, pyatspi), caption
            return open_page

        channel_pages = {engine: page_opener(caption) for engine, caption in enumerate(CHANNEL_PAGES)
                         if caption in captions}
        check_channel_dialogs(app, channel_pages, model, pyatspi, checks, args)
        check_channel_map(frame, model, channel_pages, pyatspi, checks)

        keyboard = Keyboard(os.environ["DISPLAY"])
        try:
            checks.expect(keyboard.focus(program.pid), "the program's window does not take the input focus")
            if "Project Notes" in captions:
                view, _caption = page_opener("Project Notes")()
                check_notes_links(view, notes, keyboard, pyatspi, checks)
            if "Verbatim Block" in captions:
                view, _caption = page_opener("Verbatim Block")()
                check_find_dialog(app, view, keyboard, pyatspi, checks, args)
        finally:
            keyboard.close()
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
