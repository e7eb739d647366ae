#!/usr/bin/python3
# Debian's own interpreter, the one python3-uno is installed for.
"""The demo office's lists through LibreOffice Calc, driven through UNO:
the workbook export, a cell typed into and saved by Calc, imports into a
fresh database changed in that cell alone; converted by Calc headless, in
none; a CSV export opened by Calc, formulas evaluated, holds no formula.

Usage: spreadsheet_round_trip.py VV_SEED VV_LISTS WORK_FOLDER
Exit 0 when all hold, 1 when one does not, 77 (skipped) without soffice.
"""
import csv
import os
import shutil
import subprocess
import sys
import tempfile
import time

VV_SEED, VV_LISTS, WORK = sys.argv[1:4]
SOFFICE = shutil.which("soffice")
TIMEOUT = 120  # seconds for Calc to start or convert, and for each tool
# Texts a spreadsheet turns into numbers, dates or formulas unless cells are text.
HOSTILE = ["01", "007", "0042", "1E3", "12/03", "1/2", "50%", "12345678901234567890",
           '=HYPERLINK("http://example.com","click")', "=cmd|' /C calc'!A0", "+1", "-2",
           "@SUM(A1)", "'quoted", "'=guarded", " spaced ", "two\nlines", "TRUE", "_x0041_", "Zoë 🦷"]
TYPED = "0042"  # leading zeros, as a person types them
HOST_TABLES = ("CodeListKey.", "ListJoinWords.", "InsertEachItem.", "PipeVariableList.")
failures = []


def check(condition, what):
    print(("ok: " if condition else "FAILED: ") + what, flush=True)
    if not condition:
        failures.append(what)


def run(*args):
    done = subprocess.run(args, capture_output=True, text=True, timeout=TIMEOUT)
    if done.returncode != 0:
        sys.exit("FAILED: %s: exit %d: %s" % (" ".join(args), done.returncode, done.stderr.strip()))
    return done.stdout


def cells(database):
    """The lists as exported, without the keys an import makes anew: (row,
    column) -> text, the host's tables after the list rows."""
    rows = list(csv.reader(run(VV_LISTS, "export", database, "--no-bom", "--quiet").splitlines(True)))
    key = rows[0].index("usrdefInd")
    hosts = next((r for r, row in enumerate(rows) if row[0].startswith(HOST_TABLES)), len(rows))
    rows = [row[:key] + row[key + 1:] if r < hosts else row for r, row in enumerate(rows)]
    return {(r, c): text for r, row in enumerate(rows) for c, text in enumerate(row)}


def changed(before, after):
    return sorted((at, before.get(at), after.get(at)) for at in before.keys() | after.keys()
                  if before.get(at) != after.get(at))


class Calc:
    """A headless Calc with a throwaway user profile, reached over a pipe."""

    def __init__(self, folder):
        import uno
        self.uno = uno
        pipe = "uno:pipe,name=vvlists%d;urp;StarOffice.ComponentContext" % os.getpid()
        self.process = subprocess.Popen(
            [SOFFICE, "--headless", "--invisible", "--nologo", "--norestore", "--nodefault",
             "--accept=" + pipe[4:], "-env:UserInstallation=" + uno.systemPathToFileUrl(folder + "/profile")],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        deadline = time.time() + TIMEOUT
        while True:
            try:
                self.context = resolver.resolve(pipe)
                break
            except Exception:
                if time.time() > deadline or self.process.poll() is not None:
                    self.process.kill()
                    sys.exit("FAILED: LibreOffice did not answer within %d s" % TIMEOUT)
                time.sleep(0.5)
        self.desktop = self.create("com.sun.star.frame.Desktop")

    def create(self, service):
        return self.context.ServiceManager.createInstanceWithContext(service, self.context)

    def properties(self, **values):
        from com.sun.star.beans import PropertyValue
        return tuple(PropertyValue(Name=k, Value=v) for k, v in values.items())

    def open(self, path, **options):
        return self.desktop.loadComponentFromURL(self.uno.systemPathToFileUrl(path), "_blank", 0,
                                                 self.properties(Hidden=True, **options))

    def type_into(self, document, cell, text):
        """As typing and Enter do, so the cell's format decides what text
        becomes (setFormula would not ask it)."""
        document.CurrentController.select(cell)
        self.create("com.sun.star.frame.DispatchHelper").executeDispatch(
            document.CurrentController.Frame, ".uno:EnterString", "", 0, self.properties(StringName=text))

    def quit(self):
        try:
            self.desktop.terminate()
            self.process.wait(TIMEOUT)
        except Exception:
            self.process.kill()


def formulas(document):
    from com.sun.star.table.CellContentType import FORMULA
    found = []
    for sheet in (document.Sheets.getByIndex(s) for s in range(document.Sheets.Count)):
        cursor = sheet.createCursor()
        cursor.gotoEndOfUsedArea(False)
        end = cursor.RangeAddress
        found += [(sheet.Name, r, c) for r in range(end.EndRow + 1) for c in range(end.EndColumn + 1)
                  if sheet.getCellByPosition(c, r).getType() == FORMULA]
    return found


def main():
    if not SOFFICE:
        print("LibreOffice (soffice) is not installed; scripts/bootstrap tests installs it")
        return 77
    folder = tempfile.mkdtemp(prefix="spreadsheet-", dir=WORK)
    path = lambda name: os.path.join(folder, name)
    demo = "sqlite:" + path("demo.db")
    run(VV_SEED, demo)
    with open(path("hostile.csv"), "w", newline="", encoding="utf-8") as f:
        # Written with vv-lists's guard: an apostrophe before a formula's first character.
        guarded = [("'" + t if t[0] in "=+-@'" else t) for t in HOSTILE]
        csv.writer(f).writerows([["UsrDefCod", "usrdefSeqCod", "usrdefDes", "usrdefADA"]] +
                                [["HOSTILE", t, t, t] for t in guarded])
    run(VV_LISTS, "import", demo, path("hostile.csv"), "--quiet")
    before = cells(demo)
    check(sorted(t for (r, c), t in before.items() if c == 2 and before[(r, 0)] == "HOSTILE") == sorted(guarded),
          "the demo office holds the texts a spreadsheet likes to change, and CSV exports them guarded")
    run(VV_LISTS, "export", demo, "--format", "xlsx", "--output", path("lists.xlsx"), "--quiet")
    run(VV_LISTS, "export", demo, "--output", path("lists.csv"), "--quiet")

    calc = Calc(folder)
    try:
        book = calc.open(path("lists.xlsx"))
        check(not formulas(book), "Calc finds no formula in the workbook")
        sheet = book.Sheets.getByIndex(0)
        column = next(c for c in range(20) if sheet.getCellByPosition(c, 0).String == "usrdefADA")
        row = next(r for r in range(1, 1000) if sheet.getCellByPosition(column, r).String != TYPED)
        calc.type_into(book, sheet.getCellByPosition(column, row), TYPED)
        from com.sun.star.table.CellContentType import TEXT
        check(sheet.getCellByPosition(column, row).getType() == TEXT, "Calc keeps the typed %s as text" % TYPED)
        book.storeToURL(calc.uno.systemPathToFileUrl(path("edited.xlsx")),
                        calc.properties(FilterName="Calc Office Open XML", Overwrite=True))
        book.close(True)
        # Comma, quote, UTF-8, line 1, standard cells, English, special numbers detected, formulas evaluated.
        evaluating = "44,34,76,1,,1033,false,true,false,false,false,-1,true"
        for name, options in (("by default", {}), ("with formulas evaluated", {
                "FilterName": "Text - txt - csv (StarCalc)", "FilterOptions": evaluating})):
            sheets = calc.open(path("lists.csv"), **options)
            found = formulas(sheets)
            check(not found, "the CSV export opened in Calc %s holds no formula cell %s" % (name, found[:3]))
            sheets.close(True)
    finally:
        calc.quit()
    subprocess.run([SOFFICE, "--headless", "--norestore", "-env:UserInstallation=file://" + path("profile2"),
                    "--convert-to", "xlsx:Calc Office Open XML", "--outdir", path("converted"),
                    path("lists.xlsx")], capture_output=True, timeout=TIMEOUT, check=True)

    for workbook, expected in (("edited.xlsx", [((row, column), before.get((row, column)), TYPED)]),
                               ("converted/lists.xlsx", [])):
        fresh = "sqlite:" + path(workbook.replace("/", "-") + ".db")
        run(VV_LISTS, "import", fresh, path(workbook), "--quiet")
        found = changed(before, cells(fresh))
        check(found == expected, "%s imports with no change but %s: %s" % (workbook, expected, found[:5]))
    if not failures:
        shutil.rmtree(folder)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
