# What the AT-SPI scripts of the app tests share: waiting for what the running veltrana
# shows, walking its accessible tree, pressing through actions and reporting faults.
# Importing it without pyatspi ends the script with 77 (skipped).
import sys
import time

try:
    import pyatspi
except ImportError:
    print("pyatspi is not installed")
    sys.exit(77)

WAIT_S = 15
faults = []


def fail(text):
    faults.append(text)
    print("FAULT: " + text)


def wait_for(what, probe, timeout=WAIT_S, quiet=False):
    """The first true answer of `probe`; past `timeout` None when `quiet`, else exit 1."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            found = probe()
        except Exception:  # a window that went away mid-walk: look again
            found = None
        if found:
            return found
        time.sleep(0.1)
    if quiet:
        return None
    print("FAULT: no " + what + " within %d s" % timeout)
    sys.exit(1)


def has(acc, state):
    return acc.getState().contains(state)


def walk(acc):
    yield acc
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def application():
    return next((a for a in pyatspi.Registry.getDesktop(0)
                 if a is not None and a.name == "Veltrana"), None)


def act(acc):
    try:
        acc.queryAction().doAction(0)
    except Exception:
        # A menu item that opens a modal window answers only when that window closes.
        pass
