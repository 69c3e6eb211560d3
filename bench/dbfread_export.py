#!/usr/bin/python3
"""The export job done with Debian's python3-dbfread, as a yardstick for kolvex-export.

    dbfread_export.py DATABASE FROM TO [OUTPUT]

Writes the same export text as `kolvex-export DATABASE FROM TO`: the header line, "\\r\\n", then
one tab-separated line per live record of TRAN whose BS date lies from FROM to TO (in either
order), day by day and by member code within a day, the amount computed as volume times rate in
exact decimals. The tests also use it as an independent reading of the sample table.
"""
import os
import sys
from decimal import Decimal

import dbfread

HEADERS = ["mem_code", "ne_date", "coll_time", "volume_lt", "fat", "snf", "ts_comm", "rate",
           "amount"]


def number_text(value):
    if value is None:
        return ""
    text = format(value, "f")
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def decimal_of(raw):
    raw = raw.strip()
    return Decimal(raw.decode("ascii")) if raw else None


def table_path(database):
    if os.path.isdir(database):
        folder = database
    else:
        folder = os.path.dirname(database) or "."
    for name in os.listdir(folder):
        if name.lower() == "tran.dbf":
            return os.path.join(folder, name)
    raise FileNotFoundError(f"no table TRAN in {folder}")


def export_text(database, first, last):
    if first > last:
        first, last = last, first
    rows = []
    table = dbfread.DBF(table_path(database), raw=True, encoding="cp1252")
    for record in table:
        stored = record["NE_DATE"].decode("cp1252")
        date = stored[-4:] + "/" + stored[3:5] + "/" + stored[:2]
        if not first <= date <= last:
            continue
        volume = decimal_of(record["VOLUME_LT"])
        rate = decimal_of(record["RATE"])
        amount = volume * rate if volume is not None and rate is not None else None
        rows.append((date, record["MEM_CODE"], [
            record["MEM_CODE"].decode("cp1252"), date, record["COLL_TIME"].decode("cp1252"),
            number_text(volume), number_text(decimal_of(record["FAT_PER"])),
            number_text(decimal_of(record["SNF"])), number_text(decimal_of(record["TS_COMM"])),
            number_text(rate), number_text(amount)]))
    # Day by day, then by the member code's bytes; equal keys keep the table's order.
    rows.sort(key=lambda row: (row[0], row[1]))
    return "\t".join(HEADERS) + "\r\n" + "\r\n".join("\t".join(row[2]) for row in rows)


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    text = export_text(sys.argv[1], sys.argv[2], sys.argv[3]).encode("utf-8")
    if len(sys.argv) == 5:
        with open(sys.argv[4], "wb") as out:
            out.write(text)
    else:
        sys.stdout.buffer.write(text)


if __name__ == "__main__":
    main()
