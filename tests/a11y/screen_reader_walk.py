#!/usr/bin/python3
# Debian's own interpreter, the one python3-pyatspi is installed for.
"""What a screen reader hears while a person writes a chart note and edits a
list on the demo desk with the keyboard alone.

Reads the desk from outside its process over the AT-SPI bus (pyatspi) and
sends every key with xdotool, as a screen reader user's keyboard would.
After each step it checks what a screen reader is told: the object that
took the focus (a grid's cell: the row it reads, its description, checked
or not), the ticks, the announcements. Run by run-screen-reader-walk on a
private X server, window manager and bus; exit status 0 when every step
was heard as expected.

Usage: screen_reader_walk.py LANGUAGE TS_FOLDER   (LANGUAGE en or de)
"""
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree

import pyatspi
from gi.repository import GLib

LANGUAGE = sys.argv[1]
TS_FOLDER = sys.argv[2]


def load_translations():
    if LANGUAGE == "en":
        return {}
    tree = ElementTree.parse("%s/viVavazuruv_%s.ts" % (TS_FOLDER, LANGUAGE))
    return {m.findtext("source"): m.findtext("translation") for m in tree.iter("message")}


TRANSLATIONS = load_translations()


def tr(source, *args):
    """The text the desk shows for source, in the walk's language."""
    text = TRANSLATIONS.get(source) or source
    for i, arg in enumerate(args):
        text = text.replace("%%%d" % (i + 1), arg)
    return text


def press_button(caption):
    """A level's button by its access key ("&Edit": Alt+E, "&Ändern": Alt+Ä
    on the German keyboard the walk sets up). What was heard."""
    letter = caption[caption.index("&") + 1].lower()
    return press("alt+" + KEY_NAMES.get(letter, letter))


# xdotool's names for the letters of the German keyboard an access key may be on.
KEY_NAMES = {"ä": "adiaeresis", "ö": "odiaeresis", "ü": "udiaeresis"}


failures = []


def check(condition, what, seen=None):
    if not condition:
        failures.append(what + ("" if seen is None else "; heard: %r" % (seen,)))
        print("FAILED: " + failures[-1], flush=True)


class Heard:
    """One event as a screen reader gets it, read out when it came."""

    def __init__(self, event):
        self.type = event.type
        self.on = event.detail1
        self.role = self.name = self.description = self.table = ""
        self.row = []
        self.states = set()
        self.checkable = self.checked = False
        source = event.source
        try:
            self.role = source.getRoleName()
            self.name = source.name or ""
            self.description = source.description or ""
            self.states = {pyatspi.stateToString(s) for s in source.getState().getStates()}
            self.checkable = "checkable" in self.states
            self.checked = "checked" in self.states
            if self.role == "table cell":
                table = source.parent
                self.table = table.name or ""
                cells = table.queryTable()
                index = source.getIndexInParent()
                row = cells.getRowAtIndex(index)
                self.row = [cells.getAccessibleAt(row, c).name for c in range(cells.nColumns)]
                self.row = [text for text in self.row if text]
            elif self.role == "text":
                self.row = [source.queryText().getText(0, -1)]
        except Exception:  # the object went before it could be read: a screen reader hears nothing of it
            self.role = "gone"

    def spoken(self):
        words = [self.name] if self.role != "table cell" else [" ".join(self.row)]
        if self.checkable or self.checked:
            words.append("checked" if self.checked else "not checked")
        if self.description:
            words.append(self.description)
        return ", ".join(w for w in words if w)

    def __repr__(self):
        return "%s %s(%s) %r %r" % (self.type, self.role, self.table, self.spoken(), self.row)


events = []
EVENT_TYPES = [
    "object:state-changed:focused",
    "object:state-changed:checked",
    "object:property-change:accessible-description",
    "object:property-change:accessible-name",
]
for kind in EVENT_TYPES:
    pyatspi.Registry.registerEventListener(lambda e: events.append(Heard(e)), kind)
context = GLib.MainContext.default()


def settle(quiet=0.4, longest=8.0):
    """Takes in events until none came for a while."""
    start = time.time()
    count, last_change = -1, time.time()
    while time.time() - start < longest:
        while context.pending():
            context.iteration(False)
        if len(events) != count:
            count, last_change = len(events), time.time()
        elif time.time() - last_change > quiet:
            return
        time.sleep(0.02)


def press(*keys):
    """The events the keys brought, in order."""
    first = len(events)
    subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], check=True)
    settle()
    return events[first:]


def type_text(text):
    first = len(events)
    subprocess.run(["xdotool", "type", "--delay", "30", text], check=True)
    settle()
    return events[first:]


def focus_of(heard):
    """What took the focus last among heard: what the screen reader reads."""
    focused = [h for h in heard if h.type == "object:state-changed:focused" and h.on == 1]
    return focused[-1] if focused else None


def last_focus():
    return focus_of(events)


def tab_to(name, limit=120):
    for _ in range(limit):
        heard = focus_of(press("Tab"))
        if heard and heard.name == name:
            return heard
    check(False, "Tab never reached %r" % name, last_focus())
    return None


def down_until(text, limit=40):
    """Moves the cursor down until the row read holds text; what was read on the way."""
    read = []
    for _ in range(limit):
        heard = focus_of(press("Down"))
        if heard is None:
            continue
        read.append(heard)
        if text in " ".join(heard.row):
            return read
    check(False, "the cursor never came to a row reading %r" % text, last_focus())
    return read


def open_grid(keys, what):
    """Opens a picker or a nested level by keys; its grid's cell that is read last."""
    heard = press(*keys)
    settle(quiet=0.8)
    cell = focus_of(heard + events[len(events):])
    check(cell is not None and cell.role == "table cell" and cell.row,
          "%s: the entry under the cursor is read on opening" % what, cell)
    if cell is not None:
        check(cell.table and "=" not in cell.table, "%s: its grid is named in plain words" % what, cell.table)
    return heard, cell


def no_covered_focus(heard, covered_table, what):
    cells = [h for h in heard if h.type == "object:state-changed:focused" and h.on == 1
             and h.role in ("table cell", "table") and (h.table or h.name) == covered_table]
    check(not cells, "%s: nothing of the covered level takes the focus" % what, cells)


def tick(what):
    """Space on the row under the cursor: its cell's checked state must be told."""
    heard = press("space")
    changes = [h for h in heard if h.type == "object:state-changed:checked"]
    check(changes, "%s: the tick is announced" % what, heard)
    return changes[-1].on if changes else None


def chart_note():
    tab_to(tr("%1 for %2", tr("Code"), "UDDBS_Cds_Qrp"))
    press("ctrl+a")
    type_text("|PROCS")
    tab_to(tr("Call %1", "UDDBS_Cds_Qrp"))
    heard, cell = open_grid(["space"], "the code list")
    procedures = cell.table if cell else ""
    check(procedures.endswith(tr("%1, tick any number", "")), "the code list's grid says what is done in it",
          procedures)
    # The list starts with its title lines: each reads as a heading.
    check(cell is not None and tr("Heading, cannot be chosen") in cell.description,
          "a title line reads as a heading that cannot be chosen", cell)
    down_until("Composite filling on")
    on = tick("Composite filling on")
    check(on == 1, "Space ticks: checked", on)
    check(tick("Composite filling on, again") == 0, "Space again: not checked")
    check(tick("Composite filling on, once more") == 1, "ticked once more")
    press("Up")
    back = focus_of(press("Down"))
    # Qt 6.4's bridge carries a cell's checked state, not that it can be checked.
    check(back is not None and back.checked, "back on a ticked row it reads checked", back)

    heard, teeth = open_grid(["Return"], "the teeth")
    no_covered_focus(heard, procedures, "the teeth")
    down_until("#14 ")
    heard, surfaces = open_grid(["Return"], "the surfaces")
    no_covered_focus(heard, procedures, "the surfaces")
    for letter in ("m", "o"):
        press(letter)
        check(tick("surface " + letter) == 1, "surface %s ticked" % letter)
    heard, materials = open_grid(["Return"], "the materials")
    down_until("composite resin")
    heard, shades = open_grid(["Return"], "the shades")
    no_covered_focus(heard, materials.table if materials else "", "the shades")
    down_until("A2")
    heard = press("Return")
    settle(quiet=1.0)
    answer = focus_of(heard + events[len(events):])
    check(answer is not None and answer.name == tr("Returned string of %1", "UDDBS_Cds_Qrp"),
          "the composed note takes the focus on the desk", answer)
    check(answer is not None and "Composite filling on #14" in " ".join(answer.row)
          and "A2" in " ".join(answer.row), "the composed note is read", answer)


def edit_list():
    tab_to(tr("%1 for %2", tr("Tmp"), "UDDBS_Credit_Card"))
    press("ctrl+a")
    press("BackSpace")
    tab_to(tr("Call %1", "UDDBS_Credit_Card"))
    heard, cell = open_grid(["space"], "the credit cards")
    cards = cell.table if cell else ""
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
        type_text(text)
        press("Return")
    check(len(set(editors)) == 2, "each column's editor has a name of its own", editors)
    question = focus_of(press_button(tr("D&one")))
    check(question is not None and question.role == "push button", "the save asks first", question)
    heard = press("Return")  # Yes, which has the focus
    settle(quiet=1.0)
    check(any(h.description.startswith(tr("Choosing again.")[:-1]) for h in heard),
          "the return to choosing is announced", heard)
    check(last_focus() is not None and "Test card" in " ".join(last_focus().row),
          "the cursor stays on the new entry after the save", last_focus())
    heard = press("Return")
    settle(quiet=1.0)
    answer = last_focus()
    check(answer is not None and answer.name == tr("Returned string of %1", "UDDBS_Credit_Card")
          and "Test card" in " ".join(answer.row), "the answer is read on the desk", answer)
    check(cards.endswith(tr("%1, choose one", "")), "a single choice's grid says so", cards)


def main():
    desk = None
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "vv-demo-host":
                desk = app
        if desk:
            break
        time.sleep(0.2)
    if desk is None:
        sys.exit("screen_reader_walk: the demo desk never showed on the AT-SPI bus")
    settle(quiet=1.0)
    chart_note()
    edit_list()
    if failures:
        print("screen_reader_walk (%s): %d step(s) not heard as expected" % (LANGUAGE, len(failures)))
        sys.exit(1)
    print("screen_reader_walk (%s): every step heard as expected" % LANGUAGE)


main()
