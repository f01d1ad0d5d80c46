"""The real desktop under a virtual X display, driven as a person drives it.

A `Session` starts Xvfb (a free display, never a fixed number), a window manager, the
accessibility bus and `mfg-desktop` on a database, all inside a D-Bus session of their own.
Controls are found on the accessibility bus by role and name; every input is an X keyboard or
mouse event sent with xdotool to wherever the pointer or the focus is, as a person's would be.
Waiting is polling the accessibility tree until what is wanted shows, within a time limit.
"""

import os
import subprocess
import time

import pyatspi
from gi.repository import GLib

WAIT_SECONDS = float(os.environ.get("MFG_E2E_WAIT", "30"))


class NotFound(AssertionError):
    pass


def wait(what, probe, seconds=WAIT_SECONDS):
    """Polls `probe` until it answers something true; fails naming `what` after `seconds`."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            answer = probe()
        except (GLib.Error, NotFound, LookupError):
            answer = None
        if answer:
            return answer
        if time.monotonic() > deadline:
            raise NotFound(f"gave up waiting for {what}")
        time.sleep(0.05)


def role(acc):
    return acc.getRoleName()


def name(acc):
    return acc.name or ""


def children(acc):
    try:
        return [acc.getChildAtIndex(i) for i in range(acc.childCount)]
    except GLib.Error:
        return []


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def descendants(acc, into_tables=False):
    """Every showing object under `acc`, breadth first; a table's cells only when asked for."""
    queue = [acc]
    while queue:
        node = queue.pop(0)
        for child in children(node):
            if child is None or not showing(child):
                continue
            yield child
            if into_tables or role(child) != "table":
                queue.append(child)


def find_all(acc, roles=None, named=None, into_tables=False):
    return [
        node
        for node in descendants(acc, into_tables)
        if (roles is None or role(node) in roles) and (named is None or name(node) == named)
    ]


def find(acc, roles=None, named=None):
    found = find_all(acc, roles, named)
    if not found:
        raise NotFound(f"no {roles or 'object'} named {named!r} under {name(acc)!r}")
    return found[0]


def centre(acc):
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    if box.width <= 0 or box.height <= 0:
        raise NotFound(f"{role(acc)} {name(acc)!r} has no extent on screen")
    return box.x + box.width // 2, box.y + box.height // 2


class Table:
    """A grid as the bus shows it: column titles, and cells by row and title."""

    def __init__(self, acc):
        self.acc = acc
        self.table = acc.queryTable()

    def titles(self):
        return [self.table.getColumnDescription(c) for c in range(self.table.nColumns)]

    def rows(self):
        return self.table.nRows

    def column(self, title):
        titles = self.titles()
        if title not in titles:
            raise NotFound(f"no column {title!r} in {titles}")
        return titles.index(title)

    def cell(self, row, title):
        cell = self.table.getAccessibleAt(row, self.column(title)) if row < self.rows() else None
        if cell is None:
            raise NotFound(f"no cell {title!r} in row {row + 1} of {self.rows()}")
        return cell

    def text(self, row, title):
        return name(self.cell(row, title))

    def checked(self, row, title):
        return self.cell(row, title).getState().contains(pyatspi.STATE_CHECKED)

    def current(self):
        """The row and column title of the cell holding the grid's cursor; None when none does."""
        titles = self.titles()
        for row in range(self.rows()):
            for column, title in enumerate(titles):
                cell = self.table.getAccessibleAt(row, column)
                if cell is not None and cell.getState().contains(pyatspi.STATE_FOCUSED):
                    return row, title
        return None

    def column_texts(self, title):
        column = self.column(title)
        return [name(self.table.getAccessibleAt(r, column)) for r in range(self.rows())]


class Session:
    """Xvfb, a window manager, the accessibility bus and the desktop, in one D-Bus session."""

    def __init__(self, work):
        self.work = work
        self.processes = []
        self.desktop = None

    def start(self, desktop, database, today, open_name=None):
        self.display = self._start_display()
        os.environ["DISPLAY"] = self.display
        self._spawn("openbox", ["openbox", "--sm-disable"])
        # The window manager is up once it announces its desktops on the root window.
        wait("the window manager",
             lambda: subprocess.run(["xdotool", "get_num_desktops"], capture_output=True).returncode == 0)
        self._spawn("at-spi-bus-launcher", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        command = [desktop, "--db", database, "--today", today]
        if open_name:
            command += ["--open", open_name]
        environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        environment.pop("QT_QPA_PLATFORM", None)
        self.desktop = self._spawn("mfg-desktop", command, environment)

    def _start_display(self):
        read_end, write_end = os.pipe()
        output = open(os.path.join(self.work, "Xvfb.log"), "w")
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1366x768x24", "-nolisten", "tcp"],
            pass_fds=[write_end], stdout=output, stderr=output)
        os.close(write_end)
        self.processes.append(("Xvfb", xvfb))
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb gave no display; see " + output.name)
        return ":" + number.decode()

    def _spawn(self, label, command, environment=None):
        output = open(os.path.join(self.work, label + ".log"), "w")
        process = subprocess.Popen(command, stdout=output, stderr=subprocess.STDOUT, env=environment or os.environ)
        self.processes.append((label, process))
        return process

    def alive(self):
        return self.desktop is not None and self.desktop.poll() is None

    def stop(self):
        for _, process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()

    # -- the accessibility tree --------------------------------------------------------------

    def app(self):
        def probe():
            desktop = pyatspi.Registry.getDesktop(0)
            for candidate in children(desktop):
                if candidate is not None and candidate.name == "mfg-desktop" and candidate.get_process_id() == self.desktop.pid:
                    candidate.clear_cache()
                    return candidate
            return None

        if not self.alive():
            raise AssertionError("mfg-desktop ended with " + str(self.desktop.returncode))
        return wait("mfg-desktop on the accessibility bus", probe)

    WINDOW_ROLES = ("frame", "dialog", "alert", "window", "filler", "internal frame")

    def window(self, title, roles=WINDOW_ROLES):
        """The innermost window or screen titled `title`, once it shows."""
        def probe():
            found = find_all(self.app(), roles, title)
            return found[-1] if found else None

        return wait(f"the window {title!r}", probe)

    def gone(self, title):
        wait(f"the window {title!r} to close", lambda: not find_all(self.app(), self.WINDOW_ROLES, title))

    def control(self, window_title, roles, named):
        return wait(f"{roles} {named!r} in {window_title!r}",
                    lambda: find(self.window(window_title), roles, named))

    def table(self, window_title, named=None, index=0):
        def probe():
            tables = find_all(self.window(window_title), ("table",), named)
            return Table(tables[index]) if len(tables) > index else None

        return wait(f"grid {named or index!r} in {window_title!r}", probe)

    def focused(self, window_title):
        """The control of that window holding the keyboard focus (a grid, not its cell); None if none."""
        for node in descendants(self.window(window_title)):
            if node.getState().contains(pyatspi.STATE_FOCUSED):
                return node
        return None

    def focus_mark(self, window_title):
        """What tells the focused control of the window from another: its role, name and place."""
        node = self.focused(window_title)
        if node is None:
            return None
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return role(node), name(node), box.x, box.y

    def press_until(self, window_title, key, wanted, limit=40):
        """Presses `key` until the focused control of the window is what `wanted` accepts."""
        for _ in range(limit):
            node = self.focused(window_title)
            if node is not None and wanted(node):
                return node
            before = self.focus_mark(window_title)
            self.key(key)
            try:
                wait("the focus to move", lambda: self.focus_mark(window_title) not in (None, before), seconds=2)
            except NotFound:
                pass
        raise NotFound(f"{key} never brought the focus where it was wanted in {window_title!r}")

    def press_until_column(self, window_title, grid, title, key="Tab", limit=40):
        """Presses `key` until the cursor of the grid stands in the column titled `title`."""
        for _ in range(limit):
            current = grid.current()
            if current is not None and current[1] == title:
                return current[0]
            self.key(key)
            wait("the grid's cursor to move", lambda: grid.current() != current, seconds=2)
        raise NotFound(f"{key} never brought the cursor of the grid to {title!r}")

    # -- a person's hands ----------------------------------------------------------------------

    def _xdotool(self, *arguments):
        subprocess.run(["xdotool", *arguments], check=True)

    def click(self, acc, double=False, button=1):
        x, y = centre(acc)
        self._xdotool("mousemove", "--sync", str(x), str(y))
        if double:
            self._xdotool("click", "--repeat", "2", "--delay", "80", str(button))
        else:
            self._xdotool("click", str(button))

    def click_into(self, acc):
        """Clicks an input and waits until it holds the keyboard focus."""
        for attempt in range(3):
            self.click(acc)
            try:
                wait(f"the focus in {role(acc)} {name(acc)!r}", lambda: acc.getState().contains(pyatspi.STATE_FOCUSED),
                     seconds=WAIT_SECONDS / 3)
                return
            except NotFound:
                if attempt == 2:
                    raise

    def open_cell(self, grid, row, title):
        """Double-clicks a grid cell and waits until its editor holds the keyboard focus (the grid
        lets go of it); a loaded machine may take the two clicks for two single ones, as a person
        then clicks again."""
        for attempt in range(3):
            self.click(grid.cell(row, title), double=True)
            try:
                wait("the cell's editor", lambda: not grid.acc.getState().contains(pyatspi.STATE_FOCUSED),
                     seconds=WAIT_SECONDS / 3)
                return
            except NotFound:
                if attempt == 2:
                    raise

    def click_button(self, window_title, caption):
        self.click(self.control(window_title, ("push button",), caption))

    def type(self, text):
        self._xdotool("type", "--delay", "40", text)

    def key(self, *keys):
        for key in keys:
            self._xdotool("key", "--delay", "40", key)


def write_tree(acc, out, depth=0):
    """Writes the showing objects under `acc` (a table's cells left out), for a failure's log."""
    for child in children(acc):
        if child is None or not showing(child):
            continue
        focused = " (focus)" if child.getState().contains(pyatspi.STATE_FOCUSED) else ""
        out.write(f"{'  ' * depth}{role(child)} {name(child)!r}{focused}\n")
        if role(child) == "table":
            try:
                out.write(f"{'  ' * depth}  columns {Table(child).titles()}, {Table(child).rows()} rows\n")
            except GLib.Error:
                pass
        else:
            write_tree(child, out, depth + 1)


def log(text):
    print(text, flush=True)
