#!/usr/bin/python3
"""Real pastes of Kolvex's export into LibreOffice Calc and Gnumeric.

On an X display of its own (scripts/on-own-display.sh gives it one), with the openbox window
manager, paste_source fills the clipboard through the export command of the window and serves it.
Each spreadsheet program then opens an empty workbook of the test's own, in each language below,
with a private home and profile; the test presses Ctrl+V with the cursor in A1 (accepting any
import dialog), then Ctrl+S, waits for the file to be saved, and reads the cells back from it:
every text must arrive as that text and every number as a number equal to the list's. Then the
member summary of the same records is handed over to the clipboard as the export hands the list,
and pasted into each program in SUMMARY_LANGUAGE in the same way.

Exit status 0 when every paste is exact, 1 when one is not or a program failed, 77 (a skip, with
a loud message) when the programs are not installed. Nothing outside a temporary folder is
touched. Every wait is for a condition, with a time limit.
"""
import argparse
import gzip
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET
import zipfile

LANGUAGES = ["en_US", "ne_NP", "de_DE"]
SUMMARY_LANGUAGE = "de_DE"  # its decimal comma is the hardest for "12.50"
FROM, TO = "2081/01/01", "2081/01/02"
WINDOW_TIMEOUT = 60  # seconds for a program to show its window
SAVE_TIMEOUT = 60  # seconds for a paste to be saved
RESEND_AFTER = 10  # seconds without a save after which the keys are sent again

OFFICE = "urn:oasis:names:tc:opendocument:xmlns:office:1.0"
TABLE = "urn:oasis:names:tc:opendocument:xmlns:table:1.0"
TEXT = "urn:oasis:names:tc:opendocument:xmlns:text:1.0"
GNM = "http://www.gnumeric.org/v10.dtd"


def loud(message):
    bar = "!" * 78
    print(f"{bar}\n!! {message}\n{bar}", flush=True)


class Failure(Exception):
    pass


def wait_for(what, condition, timeout, interval=0.1):
    """Returns condition()'s first true value; fails after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


class Session:
    """The test's own X display with openbox, and the processes started on it."""

    def __init__(self, folder):
        self.folder = folder
        self.processes = []
        self.display = os.environ.get("DISPLAY")
        if not self.display:
            raise Failure("no X display: run the test through scripts/on-own-display.sh")
        ready = os.path.join(folder, "openbox-ready")
        self.start(["openbox", "--sm-disable", "--startup", f"touch {ready}"], self.env(),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("openbox to start", lambda: os.path.exists(ready), WINDOW_TIMEOUT)

    def env(self, **extra):
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "DISPLAY": self.display,
               "HOME": self.folder, "XDG_RUNTIME_DIR": self.folder}
        env.update(extra)
        return env

    def start(self, command, env, **options):
        process = subprocess.Popen(command, env=env, start_new_session=True, **options)
        self.processes.append(process)
        return process

    def stop(self, process):
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGTERM)
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()

    def close(self):
        for process in reversed(self.processes):
            self.stop(process)

    def xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *args], env=self.env(), capture_output=True,
                                text=True, timeout=30)
        if check and result.returncode != 0:
            raise Failure(f"xdotool {' '.join(args)}: {result.stderr.strip()}")
        return result.stdout.split()

    def visible_window(self, name, pid):
        """The visible window whose title holds `name`, of the process group of `pid`."""
        for window in self.xdotool("search", "--onlyvisible", "--name", name, check=False):
            return window
        return None


def make_locales(folder):
    """Compiles each language's UTF-8 locale into `folder`, for LOCPATH."""
    for language in LANGUAGES:
        target = os.path.join(folder, f"{language}.UTF-8")
        result = subprocess.run(["localedef", "-i", language, "-f", "UTF-8", target],
                                capture_output=True, text=True)
        if not os.path.isdir(target):
            raise Failure(f"localedef {language}: {result.stderr.strip()}")


def write_empty_ods(path):
    with zipfile.ZipFile(path, "w") as ods:
        ods.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet")
        ods.writestr("META-INF/manifest.xml", f"""<?xml version="1.0" encoding="UTF-8"?>
<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">
 <manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>
 <manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>
</manifest:manifest>""")
        ods.writestr("content.xml", f"""<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="{OFFICE}" xmlns:table="{TABLE}" xmlns:text="{TEXT}" office:version="1.2">
 <office:body><office:spreadsheet><table:table table:name="Sheet1">
  <table:table-column/><table:table-row><table:table-cell/></table:table-row>
 </table:table></office:spreadsheet></office:body>
</office:document-content>""")


def write_empty_gnumeric(path):
    with open(path, "w", encoding="utf-8") as out:
        out.write(f"""<?xml version="1.0" encoding="UTF-8"?>
<gnm:Workbook xmlns:gnm="{GNM}">
 <gnm:SheetNameIndex><gnm:SheetName gnm:Cols="256" gnm:Rows="65536">Sheet1</gnm:SheetName></gnm:SheetNameIndex>
 <gnm:Sheets><gnm:Sheet><gnm:Name>Sheet1</gnm:Name><gnm:MaxCol>0</gnm:MaxCol><gnm:MaxRow>0</gnm:MaxRow>
  <gnm:Cells/></gnm:Sheet></gnm:Sheets>
</gnm:Workbook>
""")


def ods_text(cell):
    """A cell's text as Calc holds it: paragraphs joined by LF, with spaces, tabs and breaks."""
    paragraphs = []

    def walk(element, parts):
        if element.text:
            parts.append(element.text)
        for child in element:
            tag = child.tag
            if tag == f"{{{TEXT}}}s":
                parts.append(" " * int(child.get(f"{{{TEXT}}}c", "1")))
            elif tag == f"{{{TEXT}}}tab":
                parts.append("\t")
            elif tag == f"{{{TEXT}}}line-break":
                parts.append("\n")
            else:
                walk(child, parts)
            if child.tail:
                parts.append(child.tail)

    for paragraph in cell.iter(f"{{{TEXT}}}p"):
        parts = []
        walk(paragraph, parts)
        paragraphs.append("".join(parts))
    return "\n".join(paragraphs)


def read_ods(path):
    """{(row, column): (type, value)} of the first sheet; type "string" or "float"."""
    with zipfile.ZipFile(path) as ods:
        root = ET.fromstring(ods.read("content.xml"))
    sheet = next(root.iter(f"{{{TABLE}}}table"))
    cells = {}
    row_index = 0
    for row in sheet.iter(f"{{{TABLE}}}table-row"):
        rows = int(row.get(f"{{{TABLE}}}number-rows-repeated", "1"))
        column = 0
        for cell in row:
            if cell.tag not in (f"{{{TABLE}}}table-cell", f"{{{TABLE}}}covered-table-cell"):
                continue
            repeat = int(cell.get(f"{{{TABLE}}}number-columns-repeated", "1"))
            kind = cell.get(f"{{{OFFICE}}}value-type")
            if kind is not None:
                value = cell.get(f"{{{OFFICE}}}value") if kind == "float" else ods_text(cell)
                for r in range(rows):
                    for c in range(repeat):
                        cells[(row_index + r, column + c)] = (kind, value)
            column += repeat
        row_index += rows
    return cells


def read_gnumeric(path):
    """{(row, column): (type, value)}; type "string" (ValueType 60) or "float" (40)."""
    with open(path, "rb") as file:
        data = file.read()
    if data[:2] == b"\x1f\x8b":
        data = gzip.decompress(data)
    root = ET.fromstring(data)
    kinds = {"60": "string", "40": "float", "30": "float"}
    cells = {}
    for cell in root.iter(f"{{{GNM}}}Cell"):
        kind = kinds.get(cell.get("ValueType"), "other " + str(cell.get("ValueType")))
        cells[(int(cell.get("Row")), int(cell.get("Col")))] = (kind, cell.text or "")
    return cells


def compare(expected, cells):
    """The differences between the list's cells and the pasted ones, as lines."""
    problems = []
    wanted = set()
    for row, values in enumerate(expected):
        for column, (text, number) in enumerate(values):
            if text == "":
                continue
            wanted.add((row, column))
            got = cells.get((row, column))
            where = f"row {row + 1} column {column + 1} ({text!r})"
            if got is None:
                problems.append(f"{where}: no cell")
            elif number:
                if got[0] != "float" or float(got[1]) != float(text):
                    problems.append(f"{where}: wanted the number {text}, got {got}")
            elif got != ("string", text):
                problems.append(f"{where}: wanted that text, got {got}")
    for extra in sorted(set(cells) - wanted):
        problems.append(f"row {extra[0] + 1} column {extra[1] + 1}: unexpected cell {cells[extra]}")
    return problems


def saved_cells(path, reader, mtime):
    """The cells of `path` once a save has replaced the file and it reads whole, else None."""
    try:
        if os.stat(path).st_mtime_ns == mtime:
            return None
        return reader(path)
    except (OSError, zipfile.BadZipFile, ET.ParseError, EOFError, KeyError, StopIteration):
        return None


class Program:
    def __init__(self, name, extension, make_empty, reader):
        self.name, self.extension = name, extension
        self.make_empty, self.reader = make_empty, reader

    def command(self, path, profile):
        raise NotImplementedError

    def cell_text(self, text):
        """The text a paste gives for a text cell the list holds (the typed forms' own)."""
        return text


class Calc(Program):
    def __init__(self):
        super().__init__("LibreOffice Calc", ".ods", write_empty_ods, read_ods)

    def cell_text(self, text):
        # Calc leaves a tab out of a SYLK text, so the export marks it as unholdable.
        return text.replace("\t", "\ufffd")

    def command(self, path, profile):
        # A profile of the test's own, made before the start so that no first-start tip shows.
        user = os.path.join(profile, "user")
        os.makedirs(user, exist_ok=True)
        with open(os.path.join(user, "registrymodifications.xcu"), "w") as out:
            out.write("""<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="ShowTipOfTheDay" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="FirstRun" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Setup/Office"><prop oor:name="ooSetupInstCompleted" oor:op="fuse"><value>true</value></prop></item>
</oor:items>
""")
        program = shutil.which("localc") or shutil.which("soffice")
        return [program, "--calc", "--norestore", "--nologo", "--nodefault",
                f"-env:UserInstallation=file://{profile}", path]


class Gnumeric(Program):
    def __init__(self):
        super().__init__("Gnumeric", ".gnumeric", write_empty_gnumeric, read_gnumeric)

    def command(self, path, profile):
        return ["gnumeric", "--no-splash", path]


def paste_into(session, program, language, expected, folder, locales, what=""):
    tag = f"{program.name.split()[-1].lower()}-{language}{what}"
    home = os.path.join(folder, tag)
    os.makedirs(home)
    path = os.path.join(home, f"paste-{language}{program.extension}")
    program.make_empty(path)
    mtime = os.stat(path).st_mtime_ns
    locale = f"{language}.UTF-8"
    env = session.env(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                      XDG_CACHE_HOME=os.path.join(home, ".cache"),
                      XDG_DATA_HOME=os.path.join(home, ".local"), LOCPATH=locales, LANG=locale,
                      LC_ALL=locale, LANGUAGE=language, GSETTINGS_BACKEND="memory",
                      SAL_USE_VCLPLUGIN="gen", NO_AT_BRIDGE="1")
    log = open(os.path.join(home, "program.log"), "w")
    started = time.monotonic()
    process = session.start(program.command(path, os.path.join(home, "profile")), env,
                            stdout=log, stderr=subprocess.STDOUT)
    try:
        title = os.path.basename(path)

        def shown():
            if process.poll() is not None:
                raise Failure(f"{program.name} ended with status {process.returncode}")
            return session.visible_window(title, process.pid)

        window = wait_for(f"{program.name}'s window", shown, WINDOW_TIMEOUT)
        state = {"mtime": mtime, "sent": 0.0, "answered": set(), "tries": 0}

        def paste_and_save():
            # Keys sent while the program is still setting its window up can be lost; they are
            # sent again when no save has come of them.
            state["sent"] = time.monotonic()
            state["tries"] += 1
            session.xdotool("windowactivate", "--sync", window, check=False)
            session.xdotool("key", "--clearmodifiers", "ctrl+v")
            session.xdotool("key", "--clearmodifiers", "ctrl+s")

        def saved():
            cells = saved_cells(path, program.reader, state["mtime"])
            if cells:
                return cells
            if cells is not None:  # saved before the paste came: the paste was lost
                state["mtime"] = os.stat(path).st_mtime_ns
                paste_and_save()
                return None
            # A window over the workbook is a dialog the paste or the save opened, such as an
            # import dialog or a question about cells pasted over: Enter accepts it, and the save
            # is asked for again.
            active = session.xdotool("getactivewindow", check=False)
            if active and active[0] != window and active[0] not in state["answered"]:
                state["answered"].add(active[0])
                session.xdotool("key", "--clearmodifiers", "Return")
                session.xdotool("windowactivate", "--sync", window, check=False)
                session.xdotool("key", "--clearmodifiers", "ctrl+s")
                state["sent"] = time.monotonic()
            elif time.monotonic() - state["sent"] > RESEND_AFTER:
                paste_and_save()
            return None

        paste_and_save()
        cells = wait_for(f"{program.name} to save the paste", saved, SAVE_TIMEOUT, interval=0.2)
        if state["answered"] or state["tries"] > 1:
            print(f"     {program.name}, {language}: keys sent {state['tries']} time(s), "
                  f"{len(state['answered'])} dialog(s) accepted")
        problems = compare([[(text if number else program.cell_text(text), number)
                             for text, number in row] for row in expected], cells)
        seconds = time.monotonic() - started
        if problems:
            print(f"FAIL {program.name}, {language}: {len(problems)} cells differ ({seconds:.1f} s)")
            for line in problems[:20]:
                print("   ", line)
            return False
        count = sum(1 for row in expected for text, _ in row if text)
        print(f"ok   {program.name}, {language}: {count} cells exact ({seconds:.1f} s)", flush=True)
        return True
    except Failure as failure:
        log.flush()
        with open(log.name) as written:
            tail = written.read()[-2000:]
        print(f"FAIL {program.name}, {language}: {failure}\n{tail}")
        return False
    finally:
        session.stop(process)
        log.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True, help="the paste_source program")
    parser.add_argument("--table", required=True, help="the table to load")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    args = parser.parse_args()

    programs = []
    missing = [tool for tool in ("openbox", "xdotool", "localedef") if not shutil.which(tool)]
    if not (shutil.which("localc") or shutil.which("soffice")):
        missing.append("localc")
    if not shutil.which("gnumeric"):
        missing.append("gnumeric")
    if missing:
        loud("REAL PASTE TEST NOT RUN: missing " + ", ".join(missing) +
             " (bash scripts/install-deps.sh installs them)")
        return 77
    programs = [Calc(), Gnumeric()]

    folder = tempfile.mkdtemp(prefix="kolvex-paste-")
    session = None
    ok = True
    try:
        locales = os.path.join(folder, "locales")
        os.makedirs(locales)
        make_locales(locales)
        session = Session(folder)
        expected_path = os.path.join(folder, "expected.json")
        source = session.start([args.source, args.table, FROM, TO, expected_path],
                               session.env(QT_QPA_PLATFORM="xcb"), stdout=subprocess.PIPE,
                               text=True)
        line = source.stdout.readline()
        if line.strip() != "ready":
            raise Failure(f"paste_source did not fill the clipboard (status {source.wait()})")
        with open(expected_path, encoding="utf-8") as file:
            expected = json.load(file)
        print(f"clipboard filled by the export with {len(expected) - 1} rows of {FROM} to {TO}",
              flush=True)
        for program in programs:
            for language in LANGUAGES:
                ok = paste_into(session, program, language, expected, folder, locales) and ok

        summary_path = os.path.join(folder, "summary.json")
        summary_source = session.start(
            [args.source, args.table, FROM, TO, summary_path, "members"],
            session.env(QT_QPA_PLATFORM="xcb"), stdout=subprocess.PIPE, text=True)
        if summary_source.stdout.readline().strip() != "ready":
            raise Failure("paste_source did not fill the clipboard with the member summary "
                          f"(status {summary_source.wait()})")
        with open(summary_path, encoding="utf-8") as file:
            summary = json.load(file)
        print(f"clipboard filled with the member summary: {len(summary) - 1} rows", flush=True)
        for program in programs:
            ok = paste_into(session, program, SUMMARY_LANGUAGE, summary, folder, locales,
                            "-summary") and ok
    except Failure as failure:
        loud(f"REAL PASTE TEST FAILED: {failure}")
        ok = False
    finally:
        if session is not None:
            session.close()
        if args.keep:
            print("kept", folder)
        else:
            shutil.rmtree(folder, ignore_errors=True)
    if not ok:
        loud("REAL PASTE TEST FAILED: a paste did not give the list's cells")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
