#!/usr/bin/python3
# orca_walk.py LOG PREFS NAME...
# Starts the Orca screen reader (preferences in the folder PREFS) with its debug log on a
# terminal of this script's own, copied to LOG, presses keys on the running veltrana as a user
# would (through the AT-SPI registry, which types them into the X server) and reads what Orca
# spoke: each Right and Down on the board and "Next" on a further page speaks the best friend
# NAME the bar lands on (or "Empty cell"), and the lists of Find a Friend and Status are
# spoken with their names. Ends with "Exit". Exit 1 on a fault, 77 when pyatspi or Orca is
# missing.
import os
import re
import shutil
import subprocess
import sys
import threading
import time
import tty

from atspikit import act, application, fail, faults, has, pyatspi, wait_for, walk

KEYS = {"Right": 0xff53, "Down": 0xff54, "Tab": 0xff09, "F1": 0xffbe, "F2": 0xffbf}


class Orca:
    """Orca with its debug log, read as it is written: Orca writes a log file through a
    buffer, but a terminal line by line."""

    def __init__(self, program, log, prefs):
        master, slave = os.openpty()
        tty.setraw(slave)
        self.lines = []
        self.offset = 0
        self.process = subprocess.Popen(
            [program, "--replace", "--user-prefs", prefs, "--debug-file", os.ttyname(slave)],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT)
        # Held open: a terminal that nobody holds ends the reads at once.
        self.slave = slave
        threading.Thread(target=self._read, args=(master, log), daemon=True).start()

    def _read(self, master, log):
        with open(log, "wb") as copy:
            pending = b""
            while True:
                try:
                    chunk = os.read(master, 65536)
                except OSError:  # Orca closed the terminal
                    return
                if not chunk:
                    return
                copy.write(chunk)
                copy.flush()
                pending += chunk
                *whole, pending = pending.split(b"\n")
                self.lines += [line.decode("utf-8", "replace") for line in whole]

    def text(self):
        return "\n".join(self.lines)

    def mark(self):
        self.offset = len(self.lines)

    def spoken(self):
        return [m.group(1) for line in self.lines[self.offset:]
                for m in [re.search(r"SPEECH OUTPUT: '(.*?)'\s*(?:\{| voice=|$)", line)] if m]

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
        os.close(self.slave)


def words(text):
    return re.findall(r"\w+", text.lower())


def says(utterance, name):
    """The words of `name` in order within `utterance`; punctuation may be spoken or not."""
    have, want = words(utterance), words(name)
    return any(have[i:i + len(want)] == want for i in range(len(have) - len(want) + 1))


def hear_list(log, what, name, key):
    """Presses `key` and hears a list announced by `name` (Orca: "NAME." "List with N items.")."""
    log.mark()
    press(key)()
    spoken = wait_for('list "%s" spoken after %s' % (name, what), lambda: (
        lambda said: said if says(said, name + " list with") else None)(" ".join(log.spoken())))
    print('%s: "%s"' % (what, spoken))


def bar():
    """Where the bar is on the board shown on top (a further page, else the main window): the
    window's role, the cell's place and the cell's name."""
    app = application()
    boards = [w for w in app if w is not None and has(w, pyatspi.STATE_SHOWING)
              and w.getRole() in (pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG)]
    for window in sorted(boards, key=lambda w: w.getRole() != pyatspi.ROLE_DIALOG):
        cells = [a for a in walk(window) if a.getRole() == pyatspi.ROLE_PUSH_BUTTON
                 and has(a, pyatspi.STATE_SELECTABLE) and has(a, pyatspi.STATE_SHOWING)]
        for i, cell in enumerate(cells):
            if has(cell, pyatspi.STATE_SELECTED):
                return window.getRole(), i, cell.name
    return None


def move(log, what, key, names):
    """Presses `key` and hears the name of the cell the bar moves to."""
    before = bar()
    log.mark()
    press(key)()
    def moved():
        now = bar()
        return now if now and now != before else None

    name = wait_for("the bar moved by " + what, moved)[2]
    if name not in names and name != "Empty cell":
        fail('%s: the bar is on a cell named "%s"' % (what, name))
    spoken = wait_for('"%s" spoken after %s' % (name, what),
                      lambda: [u for u in log.spoken() if says(u, name)])
    print('%s: "%s"' % (what, spoken[-1]))


def press(key):
    return lambda: pyatspi.Registry.generateKeyboardEvent(KEYS[key], None, pyatspi.KEY_SYM)


def dialogs(title):
    return [w for w in application() if w is not None and w.getRole() == pyatspi.ROLE_DIALOG
            and w.name == title and has(w, pyatspi.STATE_SHOWING)]


def close(window, title):
    """Presses its "Done" soft key, or "Cancel" first where the window shows that."""
    for _ in range(3):
        if not dialogs(title):
            break
        key = wait_for("a soft key", lambda: next((
            k for k in walk(window) if k.getRole() == pyatspi.ROLE_PUSH_BUTTON
            and k.name in ("Done", "Cancel") and k.parent is not None
            and k.parent.getRole() == pyatspi.ROLE_TOOL_BAR), None), 2, quiet=True)
        if key is not None:
            act(key)
        time.sleep(0.5)
    wait_for('"%s" closed' % title, lambda: not dialogs(title))


def choose(window, item):
    """Opens the "Menu" soft key's popup with F1 and picks `item` by its accessible action."""
    pyatspi.Registry.generateKeyboardEvent(KEYS["F1"], None, pyatspi.KEY_SYM)
    entry = wait_for('item "%s"' % item, lambda: next(
        (a for a in walk(window) if a.getRole() == pyatspi.ROLE_MENU_ITEM and a.name == item
         and has(a, pyatspi.STATE_SHOWING)), None))
    act(entry)


def main():
    program = shutil.which("orca")
    if program is None:
        print("orca is not installed")
        sys.exit(77)
    log = Orca(program, sys.argv[1], sys.argv[2])
    try:
        walk_with(log, sys.argv[3:])
    finally:
        log.stop()
    sys.exit(1 if faults else 0)


def walk_with(log, names):
    if not wait_for("Orca started", lambda: "ORCA: Starting ATSPI registry." in log.text(), 30,
                    quiet=True):
        print("\n".join(log.lines[-40:]))
        fail("Orca did not start")
        return
    board = wait_for("main window", lambda: next(
        w for w in application()
        if w.getRole() == pyatspi.ROLE_FRAME and has(w, pyatspi.STATE_ACTIVE)))
    cells = wait_for("the board", lambda: [
        a for a in walk(board) if a.getRole() == pyatspi.ROLE_PUSH_BUTTON
        and has(a, pyatspi.STATE_SELECTABLE) and has(a, pyatspi.STATE_SHOWING)])
    per_page = len(cells)
    print("board: %d cells a page, %d best friends" % (per_page, len(names)))
    if len(names) <= per_page + 1:
        fail("no further page with two friends")
        sys.exit(1)

    # The bar moves one cell a key, any arrow; past the last cell of the main page the first
    # further page opens with the bar on its first cell, and "Next" (F2) moves it there.
    for s in range(2, per_page + 1):
        key = "Right" if s % 2 else "Down"
        move(log, "%s to cell %d" % (key, s), key, names)
    move(log, "Right to the further page", "Right", names)
    move(log, "Next on the further page", "F2", names)
    move(log, "Previous back to the board", "F1", names)

    # The lists, each entered from the edit above it.
    for item, title, key, name in (("Find a Friend", "Friends", "Tab", "Friends"),
                                   ("Status", "Status", "Down", "Select a preset status to edit")):
        log.mark()
        choose(board, item)
        window = wait_for('window "%s"' % title, lambda: next(iter(dialogs(title)), None))
        # Orca has spoken the window and its edit, which has the focus.
        wait_for("the edit of %s spoken" % item, lambda: any(
            says(u, "text") for u in log.spoken()))
        hear_list(log, "%s into the list of %s" % (key, item), name, key)
        close(window, title)

    choose(board, "Exit")


main()
