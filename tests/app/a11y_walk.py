#!/usr/bin/python3
# a11y_walk.py STATUS NAME...
# Walks the running veltrana over AT-SPI as a screen reader would and drives it by the
# accessible actions only: the board (each best friend NAME on a cell, the rest "Empty cell",
# the "Menu" soft key), the menu, All Friends, the friend page of the selected cell (its
# name and STATUS, its "All About Friend" list), Find a Friend, Status, both change lists
# and the notifications window, then "Exit". In every window it visits no control that can be
# acted on, and no list, table or menu, may lack a name. Prints what it found; exit 1 on a
# fault, 77 when pyatspi is missing.
import sys

from atspikit import act, application, fail, faults, has, pyatspi, wait_for, walk

INTERACTIVE = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_LIST_ITEM,
    pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_ENTRY, pyatspi.ROLE_TABLE_CELL,
    pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX,
    pyatspi.ROLE_PASSWORD_TEXT,
}
# What a screen reader announces by name when the focus enters it ("Friends list").
CONTAINERS = {
    pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE,
    pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_MENU, pyatspi.ROLE_POPUP_MENU, pyatspi.ROLE_MENU_BAR,
    pyatspi.ROLE_PAGE_TAB_LIST,
}


def windows(role):
    app = application()
    if app is None:
        return []
    return [w for w in app if w is not None and w.getRole() == role and has(w, pyatspi.STATE_SHOWING)]


def named(window, role, name):
    return [a for a in walk(window) if a.getRole() == role and a.name == name]


def check_names(label, window):
    for acc in walk(window):
        editable = acc.getRole() == pyatspi.ROLE_TEXT and has(acc, pyatspi.STATE_EDITABLE)
        role = acc.getRole()
        if (role in INTERACTIVE or role in CONTAINERS or editable) \
                and has(acc, pyatspi.STATE_VISIBLE) and not acc.name.strip():
            fail("%s: a %s without a name" % (label, acc.getRoleName()))
        elif role in CONTAINERS and has(acc, pyatspi.STATE_SHOWING):
            print('%s: %s "%s"' % (label, acc.getRoleName(), acc.name))


def soft_key(window, caption):
    for bar in walk(window):
        if bar.getRole() == pyatspi.ROLE_TOOL_BAR:
            for key in bar:
                if key.name == caption:
                    return key
    return None


def choose(window, item, report=False):
    act(soft_key(window, "Menu"))
    # Popups are no top-level windows over AT-SPI: the bar holds the one its key opened.
    menu = wait_for("menu", lambda: next((a for a in walk(window) if a.getRole() in (
        pyatspi.ROLE_POPUP_MENU, pyatspi.ROLE_MENU) and has(a, pyatspi.STATE_SHOWING)), None))
    entry = wait_for('item "%s"' % item, lambda: next(iter(named(menu, pyatspi.ROLE_MENU_ITEM, item)), None))
    if report:  # while it is open
        items = [a.name for a in walk(menu) if a.getRole() == pyatspi.ROLE_MENU_ITEM]
        print("menu: " + ", ".join('"%s"' % name for name in items))
        check_names("menu", menu)
    act(entry)


def dialog(title, probe=lambda d: True):
    return wait_for('window "%s"' % title, lambda: next(
        (d for d in windows(pyatspi.ROLE_DIALOG) if d.name == title and probe(d)), None))


def close(window, title):
    act(soft_key(window, "Done"))
    wait_for('"%s" closed' % title, lambda: window not in windows(pyatspi.ROLE_DIALOG) or
             not has(window, pyatspi.STATE_SHOWING))


def main():
    status, friends = sys.argv[1], sys.argv[2:]
    board = wait_for("main window", lambda: next(iter(windows(pyatspi.ROLE_FRAME)), None))
    cells = wait_for("named cells", lambda: [
        a for a in walk(board) if a.getRole() == pyatspi.ROLE_PUSH_BUTTON
        and has(a, pyatspi.STATE_SELECTABLE) and has(a, pyatspi.STATE_SHOWING)
        and all(named(board, pyatspi.ROLE_PUSH_BUTTON, f) for f in friends)])
    selected = None
    for cell in cells:
        if cell.name != "Empty cell":
            print('board: cell "%s"%s' % (cell.name, " selected" if has(cell, pyatspi.STATE_SELECTED) else ""))
        if has(cell, pyatspi.STATE_SELECTED):
            selected = cell
    empty = [c for c in cells if c.name == "Empty cell"]
    print('board: %d cells "Empty cell"' % len(empty))
    if len(empty) != len(cells) - len(friends):
        fail("board: %d cells, %d friends, %d empty" % (len(cells), len(friends), len(empty)))
    if selected is None:
        fail("board: no cell selected")
    menu_key = soft_key(board, "Menu")
    if menu_key is None:
        fail('board: no soft key "Menu"')
        sys.exit(1)
    print('board: soft key "Menu" (%s)' % menu_key.getRoleName())
    check_names("board", board)

    choose(board, "Friends", report=True)
    friends_window = dialog("All Friends", lambda d: all(
        named(d, pyatspi.ROLE_TABLE_CELL, f) for f in friends))
    rows = [a.name for a in walk(friends_window) if a.getRole() == pyatspi.ROLE_TABLE_CELL]
    print("all friends: %d cells, %s" % (len(rows), ", ".join('"%s"' % r for r in rows[:6])))
    check_names("all friends", friends_window)
    close(friends_window, "All Friends")

    friend = selected.name
    act(selected)  # a tap on the selected cell opens its friend
    page = dialog("Veltrana", lambda d: named(d, pyatspi.ROLE_LABEL, friend))
    text = next((a for a in walk(page) if a.name == "Status"), None)
    shown = text.queryText().getText(0, -1) if text else ""
    picture = [a.name for a in walk(page) if a.getRole() == pyatspi.ROLE_IMAGE]
    print('friend page: label "%s", status "%s", %s' % (friend, shown, picture))
    if status not in shown:
        fail('friend page: status "%s" not shown' % status)
    check_names("friend page", page)
    choose(page, "All About Friend")
    wait_for("the checklist", lambda: next((a for a in walk(page) if a.getRole() in CONTAINERS
                                            and has(a, pyatspi.STATE_SHOWING)), None))
    check_names("all about friend", page)
    act(soft_key(page, "Cancel"))
    wait_for("the checklist gone", lambda: soft_key(page, "Done"))
    close(page, "Veltrana")

    # Lists by the captions shown with them.
    for item, title in (("Find a Friend", "Friends"), ("Status", "Status"),
                        ("Birthdays", "Friends' Birthdays"),
                        ("Relation Change", "VT: Change in Relation")):
        choose(board, item)
        window = dialog(title, lambda d: soft_key(d, "Done") is not None)
        check_names(title, window)
        close(window, title)

    # The bar on an empty cell: the action key has no friend to open.
    if empty:
        act(empty[0])
        wait_for("the empty cell selected", lambda: has(empty[0], pyatspi.STATE_SELECTED))
        focus = wait_for("the focus button", lambda: next(
            (a for a in walk(board) if a.getRole() == pyatspi.ROLE_PUSH_BUTTON and
             not has(a, pyatspi.STATE_SELECTABLE) and a.name.startswith(("Open", "No "))), None))
        print('board: focus button "%s"' % focus.name)
        if focus.name != "No friend selected":
            fail('board: an empty cell is read "%s"' % focus.name)

    choose(board, "Notifications")
    window = dialog("Notifications", lambda d: soft_key(d, "Done") is not None)
    for acc in walk(window):
        if acc.getRole() in (pyatspi.ROLE_LABEL, pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_COMBO_BOX,
                             pyatspi.ROLE_FILLER) and acc.name and has(acc, pyatspi.STATE_SHOWING) \
                and acc.getRole() != pyatspi.ROLE_TOOL_BAR:
            print('notifications: %s "%s"' % (acc.getRoleName(), acc.name))
    check_names("notifications", window)
    close(window, "Notifications")

    choose(board, "Exit")
    sys.exit(1 if faults else 0)


main()
