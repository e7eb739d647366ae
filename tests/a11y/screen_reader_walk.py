#!/usr/bin/python3
# Debian's own interpreter, the one python3-pyatspi is installed for.
"""What a screen reader hears while a person writes a chart note and edits a
list on the demo desk with the keyboard alone: read from outside the desk's
process over the AT-SPI bus, every key sent with xdotool. After each step it
checks what the screen reader is told: what took the focus (a grid's cell:
the row it reads, its description, checked or not), the ticks, the
announcements. Exit status 0 when every step was heard as expected.

Usage: screen_reader_walk.py LANGUAGE TS_FOLDER DESK_LOG DESK_COMMAND...
(LANGUAGE en or de; the desk is started once the walk listens)
"""
import atexit
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree

import pyatspi
from gi.repository import GLib

LANGUAGE, TS_FOLDER, DESK_LOG, DESK_COMMAND = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
TRANSLATIONS = {} if LANGUAGE == "en" else {
    m.findtext("source"): m.findtext("translation")
    for m in ElementTree.parse("%s/viVavazuruv_%s.ts" % (TS_FOLDER, LANGUAGE)).iter("message")}
# xdotool's names for the letters of the German keyboard an access key may be on.
KEY_NAMES = {"ä": "adiaeresis", "ö": "odiaeresis", "ü": "udiaeresis"}
FOCUSED = "object:state-changed:focused"
failures = []
events = []


def tr(source, *args):
    """The text the desk shows for source, in the walk's language."""
    text = TRANSLATIONS.get(source) or source
    for i, arg in enumerate(args):
        text = text.replace("%%%d" % (i + 1), arg)
    return text


def check(condition, what, seen=None):
    if not condition:
        failures.append(what + ("" if seen is None else "; heard: %r" % (seen,)))
        print("FAILED: " + failures[-1], flush=True)


class Heard:
    """One event as a screen reader gets it, read out when it came."""

    def __init__(self, event):
        self.type, self.on = event.type, event.detail1
        self.role = self.name = self.description = self.table = ""
        self.row, self.states = [], set()
        source = event.source
        try:
            self.role = source.getRoleName()
            self.name = source.name or ""
            self.description = source.description or ""
            self.states = {pyatspi.stateToString(s) for s in source.getState().getStates()}
            if self.role == "table cell":
                self.table = source.parent.name or ""
                cells = source.parent.queryTable()
                row = cells.getRowAtIndex(source.getIndexInParent())
                names = (cells.getAccessibleAt(row, c).name for c in range(cells.nColumns))
                self.row = [name for name in names if name]
            elif self.role == "text":
                self.row = [source.queryText().getText(0, -1)]
        except Exception:  # the object went before it could be read: a screen reader hears nothing of it
            self.role = "gone"
        self.checked = "checked" in self.states

    def reads(self):
        return " ".join(self.row)

    def __repr__(self):
        ticks = sorted(self.states & {"checkable", "checked"})
        return "%s %s(%s) %r %r %r %s" % (self.type, self.role, self.table, self.name, self.description,
                                          self.row, ticks)


for kind in [FOCUSED, "object:state-changed:checked", "object:property-change:accessible-description",
             "object:property-change:accessible-name"]:
    pyatspi.Registry.registerEventListener(lambda e: events.append(Heard(e)), kind)
context = GLib.MainContext.default()


def settle(quiet=0.4, longest=8.0):
    """Takes in events until none came for quiet seconds."""
    start = last_change = time.time()
    count = -1
    while time.time() - start < longest:
        while context.pending():
            context.iteration(False)
        if len(events) != count:
            count, last_change = len(events), time.time()
        elif time.time() - last_change > quiet:
            return
        time.sleep(0.02)


def xdotool(*args, wait=0):
    """The events the keys or the typing brought, in order; then, with wait,
    lets the rest come in until none came for wait seconds."""
    first = len(events)
    subprocess.run(["xdotool", *args], check=True)
    settle()
    heard = events[first:]
    if wait:
        settle(quiet=wait)
    return heard


def press(*keys, wait=0):
    return xdotool("key", "--clearmodifiers", *keys, wait=wait)


def press_button(caption):
    """A level's button by its access key ("&Edit": Alt+E, "&Ändern": Alt+Ä
    on the German keyboard the walk sets up). What was heard."""
    letter = caption[caption.index("&") + 1].lower()
    return press("alt+" + KEY_NAMES.get(letter, letter))


def focus_of(heard):
    """What took the focus last among heard: what the screen reader reads."""
    focused = [h for h in heard if h.type == FOCUSED and h.on == 1]
    return focused[-1] if focused else None


def tab_to(name, limit=120):
    for _ in range(limit):
        heard = focus_of(press("Tab"))
        if heard and heard.name == name:
            return
    active = subprocess.run(["xdotool", "getactivewindow", "getwindowname"], capture_output=True, text=True)
    check(False, "Tab never reached %r (%d events heard in all; active window %r)"
          % (name, len(events), active.stdout.strip() or active.stderr.strip()), focus_of(events))
    # Every step after it would wait for a window that never opens.
    sys.exit("screen_reader_walk (%s): stopped where Tab lost its way" % LANGUAGE)


def down_until(text, limit=40):
    """Moves the cursor down until the row read holds text."""
    for _ in range(limit):
        heard = focus_of(press("Down"))
        if heard is not None and text in heard.reads():
            return
    check(False, "the cursor never came to a row reading %r" % text, focus_of(events))


def open_grid(keys, what, covered=None):
    """Opens a picker or a nested level by keys; its grid's cell that is read last.
    Nothing of the covered level's grid (named so) may take the focus meanwhile."""
    heard = press(*keys, wait=0.8)
    cell = focus_of(heard)
    check(cell is not None and cell.role == "table cell" and cell.row,
          "%s: the entry under the cursor is read on opening" % what, cell)
    if cell is not None:
        check(cell.table and "=" not in cell.table, "%s: its grid is named in plain words" % what, cell.table)
    if covered is not None:
        cells = [h for h in heard if h.type == FOCUSED and h.on == 1
                 and h.role in ("table cell", "table") and (h.table or h.name) == covered]
        check(not cells, "%s: nothing of the covered level takes the focus" % what, cells)
    return cell


def tick(what):
    """Space on the row under the cursor: its cell's checked state must be told."""
    heard = press("space")
    changes = [h for h in heard if h.type == "object:state-changed:checked"]
    check(changes, "%s: the tick is announced" % what, heard)
    return changes[-1].on if changes else None


def chart_note():
    tab_to(tr("%1 for %2", tr("Code"), "UDDBS_Cds_Qrp"))
    press("ctrl+a")
    xdotool("type", "--delay", "30", "|PROCS")
    tab_to(tr("Call %1", "UDDBS_Cds_Qrp"))
    codes = open_grid(["space"], "the code list")
    procedures = codes.table if codes else ""
    check(procedures.endswith(tr("%1, tick any number", "")), "the code list's grid says what is done in it",
          procedures)
    # The list starts with its title lines: each reads as a heading.
    check(codes is not None and tr("Heading, cannot be chosen") in codes.description,
          "a title line reads as a heading that cannot be chosen", codes)
    down_until("Composite filling on")
    check(tick("Composite filling on") == 1, "Space ticks: checked")
    check(tick("Composite filling on, again") == 0, "Space again: not checked")
    check(tick("Composite filling on, once more") == 1, "ticked once more")
    press("Up")
    back = focus_of(press("Down"))
    # Qt 6.4's bridge carries a cell's checked state, not that it can be checked.
    check(back is not None and back.checked, "back on a ticked row it reads checked", back)

    open_grid(["Return"], "the teeth", procedures)
    down_until("#14 ")
    open_grid(["Return"], "the surfaces", procedures)
    for letter in ("m", "o"):
        press(letter)
        check(tick("surface " + letter) == 1, "surface %s ticked" % letter)
    materials = open_grid(["Return"], "the materials")
    down_until("composite resin")
    open_grid(["Return"], "the shades", materials.table if materials else "")
    down_until("A2")
    answer = focus_of(press("Return", wait=1.0))
    check(answer is not None and answer.name == tr("Returned string of %1", "UDDBS_Cds_Qrp"),
          "the composed note takes the focus on the desk", answer)
    check(answer is not None and "Composite filling on #14" in answer.reads() and "A2" in answer.reads(),
          "the composed note is read", answer)


def edit_list():
    tab_to(tr("%1 for %2", tr("Tmp"), "UDDBS_Credit_Card"))
    press("ctrl+a")
    press("BackSpace")
    tab_to(tr("Call %1", "UDDBS_Credit_Card"))
    cards = open_grid(["space"], "the credit cards")
    check(cards is not None and cards.table.endswith(tr("%1, choose one", "")),
          "a single choice's grid says so", cards)
    heard = press_button(tr("&Edit"))
    check(any(tr("Editing the list; Done saves it.") in h.description for h in heard),
          "edit mode is announced", heard)
    heard = press_button(tr("&New"))
    check(any(h.description.startswith(tr("New entry in row %1 of %2.", "", "").split(" ")[0])
              for h in heard), "a new row is announced", heard)
    # The group code, then the description in the next column, each in its cell's editor.
    editors = []
    for text in ("TC", "Test card"):
        if editors:
            press("Right")
        editor = focus_of(press("F2"))
        check(editor is not None and editor.role == "text" and editor.name and editor.name != "text",
              "the cell's editor is named after its column", editor)
        editors.append(editor.name if editor else "")
        xdotool("type", "--delay", "30", text)
        press("Return")
    check(len(set(editors)) == 2, "each column's editor has a name of its own", editors)
    question = focus_of(press_button(tr("D&one")))
    check(question is not None and question.role == "push button", "the save asks first", question)
    heard = press("Return", wait=1.0)  # Yes, which has the focus
    check(any(h.description.startswith(tr("Choosing again.")[:-1]) for h in heard),
          "the return to choosing is announced", heard)
    check(focus_of(events) is not None and "Test card" in focus_of(events).reads(),
          "the cursor stays on the new entry after the save", focus_of(events))
    press("Return", wait=1.0)
    answer = focus_of(events)
    check(answer is not None and answer.name == tr("Returned string of %1", "UDDBS_Credit_Card")
          and "Test card" in answer.reads(), "the answer is read on the desk", answer)


def desk():
    """The desk's application on the bus, once there."""
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "vv-demo-host":
            return app
    return None


def desk_active(app):
    try:
        return any(window.getState().contains(pyatspi.STATE_ACTIVE) for window in app)
    except Exception:  # a window went while it was asked
        return False


def main():
    with open(DESK_LOG, "w") as log:
        desk_process = subprocess.Popen(DESK_COMMAND, stdout=log, stderr=subprocess.STDOUT)
    atexit.register(desk_process.kill)
    for _ in range(100):
        app = desk()
        if app is not None:
            break
        time.sleep(0.2)
    else:
        sys.exit("screen_reader_walk: the demo desk never showed on the AT-SPI bus")
    # Keys go to the active window: on a slow machine the window manager may
    # not have activated the desk yet when it shows on the bus.
    for attempt in range(50):
        settle(quiet=0.2, longest=1.0)
        if desk_active(app):
            break
        if attempt % 10 == 9:
            subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "vv-demo-host", "windowactivate"],
                           check=False)
    else:
        sys.exit("screen_reader_walk: the demo desk never became the active window")
    settle(quiet=1.0)
    chart_note()
    edit_list()
    if failures:
        sys.exit("screen_reader_walk (%s): %d step(s) not heard as expected" % (LANGUAGE, len(failures)))
    print("screen_reader_walk (%s): every step heard as expected" % LANGUAGE)


main()
