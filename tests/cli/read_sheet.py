#!/usr/bin/python3
"""Reads back a .csv or .xlsx file the way a spreadsheet would, with nothing of Kolvex's own.

Usage: read_sheet.py FILE [--sheet N] [--layout] [--output CELLS]. Prints one line per cell: row, column (both from 0), type and text, separated by tabs. Type is
"s" for text and "n" for a number in an .xlsx sheet, "s" for every csv field. A number is shown
with at most 15 significant digits, as a spreadsheet shows it. Backslash, tab, CR
and LF in a text are written as \\\\, \\t, \\r and \\n. An .xlsx sheet is read with zipfile and
the XML parser: the first sheet of the workbook, or its Nth with --sheet N, shared or inline
strings.

With --layout, the .xlsx sheet's look instead: "width", column and width for each column given
a width; "frozen" and the number of rows frozen at the top; "bold", row and column for each bold
cell; "format", row, column and number format for each cell shown otherwise than "General".
"""
import csv
import os
import re
import sys
import xml.etree.ElementTree as ET
import zipfile

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
REL = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}"
PACKAGE_REL = "{http://schemas.openxmlformats.org/package/2006/relationships}"


def escape(text):
    return (text.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r")
            .replace("\n", "\\n"))


def column_index(reference):
    letters = re.match(r"[A-Z]+", reference).group(0)
    index = 0
    for letter in letters:
        index = index * 26 + ord(letter) - ord("A") + 1
    return index - 1


def unescape(text):
    """A cell text with the workbook's escapes "_xHHHH_" read as their characters, as a
    spreadsheet reads them ("_x005F_" is the escape of "_")."""
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), text)


def string_text(element):
    # A rich string has several runs; their texts join.
    return unescape("".join(t.text or "" for t in element.iter(MAIN + "t")))


def shown_number(stored):
    """A number as a spreadsheet shows it in full: 15 significant digits, when they stand for the
    very same double; otherwise the stored text."""
    shown = format(float(stored), ".15g")
    return shown if float(shown) == float(stored) and "e" not in shown else stored


def sheet_part(book, sheet_number):
    """The name of the part that holds the workbook's sheet `sheet_number` (from 1)."""
    workbook = ET.fromstring(book.read("xl/workbook.xml"))
    sheet = workbook.findall(f"{MAIN}sheets/{MAIN}sheet")[sheet_number - 1]
    rel_id = sheet.get(REL + "id")
    rels = ET.fromstring(book.read("xl/_rels/workbook.xml.rels"))
    target = next(r.get("Target") for r in rels.iter(PACKAGE_REL + "Relationship")
                  if r.get("Id") == rel_id)
    return target.lstrip("/") if target.startswith("/") else "xl/" + target


def read_xlsx(path, sheet_number=1):
    with zipfile.ZipFile(path) as book:
        sheet_path = sheet_part(book, sheet_number)
        shared = []
        if "xl/sharedStrings.xml" in book.namelist():
            strings = ET.fromstring(book.read("xl/sharedStrings.xml"))
            shared = [string_text(si) for si in strings.iter(MAIN + "si")]
        sheet = ET.fromstring(book.read(sheet_path))
    for row in sheet.iter(MAIN + "row"):
        row_index = int(row.get("r")) - 1
        for cell in row.iter(MAIN + "c"):
            kind = cell.get("t", "n")
            value = cell.find(MAIN + "v")
            if kind == "s":
                yield row_index, column_index(cell.get("r")), "s", shared[int(value.text)]
            elif kind == "inlineStr":
                yield row_index, column_index(cell.get("r")), "s", string_text(cell.find(MAIN + "is"))
            elif kind == "str":
                yield row_index, column_index(cell.get("r")), "s", value.text or ""
            elif value is not None:
                yield row_index, column_index(cell.get("r")), kind, shown_number(value.text)


# The number formats a workbook may use without defining them, of those a spreadsheet shows
# otherwise than "General".
BUILT_IN_FORMATS = {"1": "0", "2": "0.00", "3": "#,##0", "4": "#,##0.00"}


def read_layout(path, sheet_number=1):
    with zipfile.ZipFile(path) as book:
        sheet = ET.fromstring(book.read(sheet_part(book, sheet_number)))
        styles = ET.fromstring(book.read("xl/styles.xml"))
    fonts = list(styles.iter(MAIN + "fonts"))[0].findall(MAIN + "font")
    cell_formats = list(styles.iter(MAIN + "cellXfs"))[0].findall(MAIN + "xf")
    codes = dict(BUILT_IN_FORMATS)
    codes.update((n.get("numFmtId"), n.get("formatCode")) for n in styles.iter(MAIN + "numFmt"))
    for col in sheet.iter(MAIN + "col"):
        for column in range(int(col.get("min")) - 1, int(col.get("max"))):
            # Whole characters: the file adds a fraction of a character for the cell's margins.
            yield f"width\t{column}\t{int(float(col.get('width')))}"
    for pane in sheet.iter(MAIN + "pane"):
        if pane.get("state") == "frozen":
            yield f"frozen\t{int(float(pane.get('ySplit', '0')))}"
    for row in sheet.iter(MAIN + "row"):
        for cell in row.iter(MAIN + "c"):
            font = fonts[int(cell_formats[int(cell.get("s", "0"))].get("fontId", "0"))]
            if font.find(MAIN + "b") is not None:
                yield f"bold\t{int(row.get('r')) - 1}\t{column_index(cell.get('r'))}"
    for row in sheet.iter(MAIN + "row"):
        for cell in row.iter(MAIN + "c"):
            number_format = cell_formats[int(cell.get("s", "0"))].get("numFmtId", "0")
            if number_format != "0":
                yield (f"format\t{int(row.get('r')) - 1}\t{column_index(cell.get('r'))}\t"
                       f"{codes.get(number_format, number_format)}")


def read_csv(path):
    with open(path, newline="", encoding="utf-8") as file:
        for row_index, row in enumerate(csv.reader(file, strict=True)):
            for column, text in enumerate(row):
                yield row_index, column, "s", text


def write_cells(path, out, sheet_number=1, layout=False):
    if layout:
        for line in read_layout(path, sheet_number):
            out.write(line + "\n")
        return
    cells = read_xlsx(path, sheet_number) if path.lower().endswith(".xlsx") else read_csv(path)
    for row, column, kind, text in cells:
        out.write(f"{row}\t{column}\t{kind}\t{escape(text)}\n")


def main():
    args = sys.argv[1:]
    layout = "--layout" in args
    if layout:
        args.remove("--layout")
    sheet_number = 1
    if len(args) >= 3 and args[1] == "--sheet":
        sheet_number = int(args[2])
        del args[1:3]
    path = args[0]
    if len(args) < 3 or args[1] != "--output":
        write_cells(path, sys.stdout, sheet_number, layout)
        return
    # For a caller that cannot wait for this process (a Windows test under Wine): the cells go to
    # the output file, which appears only once complete; a failure leaves OUTPUT.failed instead.
    output = args[2]
    try:
        with open(output + ".part", "w", encoding="utf-8", newline="") as out:
            write_cells(path, out, sheet_number, layout)
        os.replace(output + ".part", output)
    except Exception as error:
        with open(output + ".failed.part", "w", encoding="utf-8") as out:
            out.write(repr(error))
        os.replace(output + ".failed.part", output + ".failed")


if __name__ == "__main__":
    main()
