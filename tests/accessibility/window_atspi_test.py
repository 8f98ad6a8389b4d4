#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The real window as a screen reader meets it, through AT-SPI alone.

Starts `quarrow --simulate`, finds it on the accessibility bus, checks that every control a person
can tab to says what it is (role and name), that each label is tied to its control both ways, that
the donation picture is a named link that takes no focus, that the About box's controls are named
too, then presses Connect and Read chip through their AT-SPI actions, reads the chip's bits back
out of the tree, and checks that the wiring dialog's controls say what they are for.

Usage (under with-accessibility-bus.sh): window_atspi_test.py PATH-TO-QUARROW
"""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import Atspi, GLib

SAMPLE_CHIP_TEXT = "0123456789ABCDEF FEDCBA9876543210"
# The simulated read waits the chip's real 4 seconds.
READ_SECONDS = 30

# What each control that takes the focus must say of itself. Qt on Linux names a combo box after
# the entry it shows and leaves its purpose to the label relation; the text field inside it, where
# the focus is, carries the name.
FOCUSABLE = {
    ("combo box", None),
    ("text", "Select device"),
    ("push button", "Connect"),
    ("text", "Chip data"),
    ("text", "Buffer data"),
    ("push button", "Read chip"),
    ("push button", "Save data"),
    ("push button", "Compare"),
    ("push button", "Open file"),
}

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what, flush=True)
    return condition


def wait_for(probe, seconds, what, state_now=lambda: ""):
    deadline = time.monotonic() + seconds
    while True:
        try:
            found = probe()
        except Exception:  # the tree may change under a walk
            found = None
        if found:
            return found
        if time.monotonic() > deadline:
            raise SystemExit("FAIL: timed out waiting for %s %s" % (what, state_now()))
        time.sleep(0.1)
        # Events reach their listeners as the main loop runs.
        while GLib.MainContext.default().iteration(False):
            pass


def state(acc, which):
    return acc.getState().contains(which)


def showing(acc):
    """The objects on screen: what a person can meet. A closed drop-down list is not."""
    if not state(acc, pyatspi.STATE_SHOWING):
        return
    yield acc
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield from showing(child)


def menu_item(dialog, name):
    """A menu item, in an open menu or not: AT-SPI presses it without opening the menu."""
    def everything(acc):
        yield acc
        for i in range(acc.childCount):
            child = acc.getChildAtIndex(i)
            if child is not None:
                yield from everything(child)

    bar = find(dialog, "menu bar")
    for acc in everything(bar) if bar else ():
        if acc.getRoleName() == "menu item" and acc.name == name:
            return acc
    return None


def find(root, role, name=None):
    for acc in showing(root):
        if acc.getRoleName() == role and (name is None or acc.name == name):
            return acc
    return None


def related(acc, relation):
    for r in acc.getRelationSet():
        if r.getRelationType() == relation:
            return [r.getTarget(i) for i in range(r.getNTargets())]
    return []


def actions(acc):
    try:
        action = acc.queryAction()
    except NotImplementedError:
        return {}
    return {action.getName(i): i for i in range(action.nActions)}


def press(acc, what):
    index = actions(acc).get("Press")
    if check(index is not None, what + " offers no Press action"):
        acc.queryAction().doAction(index)


def status_panes(dialog):
    bar = find(dialog, "status bar")
    return [bar.getChildAtIndex(i) for i in range(bar.childCount)] if bar else []


def status_text(dialog):
    panes = status_panes(dialog)
    return panes[0].name if panes else None


def check_names(dialog):
    seen = set()
    for acc in showing(dialog):
        role = acc.getRoleName()
        if state(acc, pyatspi.STATE_FOCUSABLE) and role not in ("menu bar", "menu item", "popup menu"):
            key = (role, None if role == "combo box" else acc.name)
            check(key in FOCUSABLE, "unexpected or unnamed focusable control: %s %r" % (role, acc.name))
            seen.add(key)
            if role == "text":
                content = acc.queryText().getText(0, -1)
                check(acc.name != content, "text field named only by its contents: %r" % content)
            if role == "combo box":
                labels = [label.name for label in related(acc, pyatspi.RELATION_LABELLED_BY)]
                check(labels == ["Select device:"], "device list labelled by %r" % labels)
        if role == "label" and acc.name.endswith(":"):
            targets = related(acc, pyatspi.RELATION_LABEL_FOR)
            if check(len(targets) == 1, "label %r labels %d controls" % (acc.name, len(targets))):
                back = [label.name for label in related(targets[0], pyatspi.RELATION_LABELLED_BY)]
                check(back == [acc.name], "the control of %r is labelled by %r" % (acc.name, back))
                if targets[0].getRoleName() != "combo box":
                    check(targets[0].name == acc.name[:-1], "label %r names %r" % (acc.name, targets[0].name))
    for key in sorted(FOCUSABLE - seen, key=str):
        check(False, "no focusable %s named %r" % key)

    donate = find(dialog, "link", "Donate")
    if check(donate is not None, "no link named Donate"):
        check(not state(donate, pyatspi.STATE_FOCUSABLE), "the donation link takes the focus")
        check("Press" in actions(donate), "the donation link cannot be pressed")
    progress = find(dialog, "progress bar", "Progress")
    check(progress is not None, "no progress bar named Progress")
    check(status_text(dialog) == "Open USB programmer", "status line reads %r" % status_text(dialog))


def drive(dialog):
    # What a screen reader is told as the status line changes, without moving the focus there.
    announced = []
    listener = lambda event: announced.append(event.source.name)
    pyatspi.Registry.registerEventListener(listener, "object:property-change:accessible-name")

    press(find(dialog, "push button", "Connect"), "Connect")
    wait_for(lambda: status_text(dialog) == "Connected to programmer", 10, "the connect",
             lambda: "(status line: %r)" % status_text(dialog))
    read = wait_for(lambda: (b := find(dialog, "push button", "Read chip")) and "Press" in actions(b) and b,
                    10, "Read chip to be enabled")
    press(read, "Read chip")
    wait_for(lambda: status_text(dialog) == "PROM read out complete", READ_SECONDS, "the read",
             lambda: "(status line: %r)" % status_text(dialog))
    wait_for(lambda: "Chip: unknown dump" in announced, 5, "the announcement of the identification")
    check("PROM read out complete" in announced, "the finished read was not announced: %r" % announced)
    pyatspi.Registry.deregisterEventListener(listener, "object:property-change:accessible-name")

    chip = find(dialog, "text", "Chip data")
    if check(chip is not None, "no text named Chip data after the read"):
        text = chip.queryText().getText(0, -1)
        check(text == SAMPLE_CHIP_TEXT, "chip data reads %r" % text)
    progress = find(dialog, "progress bar", "Progress")
    if progress is not None:
        value = progress.queryValue().currentValue
        check(value == 128, "progress ends at %r" % value)
    panes = status_panes(dialog)
    identification = panes[1].name if len(panes) > 1 else None
    check(identification == "Chip: unknown dump", "identification pane reads %r" % identification)


def check_about_box(app, dialog):
    """Help > About, pressed through AT-SPI: its focusable controls are the OK button and three
    named links, and OK closes it."""
    # Qt answers an action once its handler has returned, and About's handler runs the box's modal
    # loop: the press gets no answer until the box is closed. The tree is served meanwhile.
    Atspi.set_timeout(1000, 0)
    try:
        press(menu_item(dialog, "About"), "About")
    except GLib.GError:
        pass
    Atspi.set_timeout(800, 15000)  # at-spi2-core's defaults
    about = wait_for(lambda: find(app, "dialog", "About"), 10, "the About box")
    focusable = sorted((acc.getRoleName(), acc.name) for acc in showing(about)
                       if state(acc, pyatspi.STATE_FOCUSABLE))
    roles = [role for role, _ in focusable]
    check(roles == ["link", "link", "link", "push button"], "About box focusable controls: %r" % focusable)
    check(all(name for _, name in focusable), "an unnamed control in the About box: %r" % focusable)
    check(("link", "Donate") in focusable, "the About box has no link named Donate: %r" % focusable)
    press(find(about, "push button", "OK"), "OK")
    wait_for(lambda: find(app, "dialog", "About") is None, 10, "the About box to close")


def check_wiring_dialog(app, dialog):
    """File > Programmer wiring..., on the connected programmer: each focusable control says what it
    is for, the check's result box is named, and the hint is text a screen reader reads."""
    Atspi.set_timeout(1000, 0)  # the press is answered only once the dialog has closed, as About's
    try:
        press(menu_item(dialog, "Programmer wiring..."), "Programmer wiring...")
    except GLib.GError:
        pass
    Atspi.set_timeout(800, 15000)
    wiring = wait_for(lambda: find(app, "dialog", "Programmer wiring"), 10, "the wiring dialog")
    for acc in showing(wiring):
        if state(acc, pyatspi.STATE_FOCUSABLE) and acc.getRoleName() != "text":
            check(acc.name and acc.description, "wiring dialog: %s %r has no name or description"
                  % (acc.getRoleName(), acc.name))
    result = find(wiring, "text", "Check result")
    if check(result is not None, "no text named Check result in the wiring dialog"):
        check(result.description, "the check result has no description")
    check(find(wiring, "label", "OK connects this programmer again with the wiring chosen, if it has changed.")
          is not None, "the wiring dialog's hint is no label")
    press(find(wiring, "push button", "Cancel"), "Cancel")
    wait_for(lambda: find(app, "dialog", "Programmer wiring") is None, 10, "the wiring dialog to close")


def main():
    if len(sys.argv) != 2:
        raise SystemExit("usage: window_atspi_test.py PATH-TO-QUARROW")
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    window = subprocess.Popen([sys.argv[1], "--simulate"], env=env, stdin=subprocess.DEVNULL)
    try:
        def application():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None and app.get_process_id() == window.pid:
                    return app
            return None

        app = wait_for(application, 30, "quarrow on the accessibility bus")
        dialog = wait_for(lambda: find(app, "dialog", "Quarrow"), 10, "the main window")
        check_names(dialog)
        check_about_box(app, dialog)
        drive(dialog)
        check_wiring_dialog(app, dialog)
        # The File menu's Exit, pressed the same way, ends the program.
        exit_item = menu_item(dialog, "Exit")
        if check(exit_item is not None, "no Exit menu item"):
            press(exit_item, "Exit")
            try:
                check(window.wait(10) == 0, "quarrow ended with status %r" % window.returncode)
            except subprocess.TimeoutExpired:
                check(False, "Exit did not end quarrow")
    finally:
        if window.poll() is None:
            window.kill()
            window.wait()
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("window_atspi_test: every check passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
