#!/usr/bin/python3
"""The member summary and the day sheet of a range of BS days, worked out with Python's decimal
module over the records python3-dbfread reads (bench/dbfread_export.py), for the tests to hold
`kolvex-export --summary` to.

    period_summary.py DATABASE FROM TO members|days

Prints the summary as tab-separated text, lines joined by CR LF, as kolvex-export writes it.
"""
import os
import sys
from collections import OrderedDict
from decimal import ROUND_HALF_UP, Decimal

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
import dbfread_export  # noqa: E402


def number(text):
    return Decimal(text) if text.strip() else Decimal(0)


def shortest(value):
    return dbfread_export.number_text(value)


def two_decimals(value):
    # ROUND_HALF_UP rounds a half away from zero.
    text = str(value.quantize(Decimal("0.01"), rounding=ROUND_HALF_UP))
    return "0.00" if text == "-0.00" else text


class Totals:
    def __init__(self):
        self.records = 0
        self.volume = Decimal(0)
        self.fat = Decimal(0)
        self.snf = Decimal(0)
        self.commission = Decimal(0)
        self.amount = Decimal(0)
        self.untested = 0
        self.by_time = {}
        self.dates = set()
        self.members = set()
        self.keys = set()
        self.repeats = 0

    def add(self, row):
        member, date, time, volume, fat, snf, comm, rate = row[:8]
        volume, fat, snf = number(volume), number(fat), number(snf)
        self.records += 1
        self.volume += volume
        self.fat += volume * fat
        self.snf += volume * snf
        self.commission += volume * number(comm)
        self.amount += volume * number(rate)
        self.untested += fat == 0 or snf == 0
        label = time.rstrip(" ") or "(blank)"
        self.by_time[label] = self.by_time.get(label, Decimal(0)) + volume
        self.dates.add(date)
        self.members.add(member)
        key = (member, date, label)
        self.repeats += key in self.keys
        self.keys.add(key)

    def means(self):
        if self.volume == 0:
            mean = ["", ""]
            rate = ""
        else:
            mean = [two_decimals(self.fat / self.volume), two_decimals(self.snf / self.volume)]
            rate = two_decimals(self.amount / self.volume)
        return mean + [two_decimals(self.commission), two_decimals(self.amount), rate,
                       str(self.untested)]


def rows_of(database, first, last):
    text = dbfread_export.export_text(database, first, last)
    return [line.split("\t") for line in text.split("\r\n")[1:] if line]


def members(rows):
    times = sorted({row[2].rstrip(" ") or "(blank)" for row in rows}, key=lambda t: t.encode())
    by_member = {}
    total = Totals()
    for row in rows:
        by_member.setdefault(row[0], Totals()).add(row)
        total.add(row)
    lines = ["\t".join(["mem_code", "days", "records", "volume_lt"] +
                       ["volume_lt " + t for t in times] +
                       ["fat", "snf", "commission", "amount", "rate", "untested", "repeats"])]
    items = sorted(by_member.items(), key=lambda item: item[0].encode()) + [("Total", total)]
    for code, totals in items:
        lines.append("\t".join(
            [code, str(len(totals.dates)), str(totals.records), shortest(totals.volume)] +
            [shortest(totals.by_time.get(t, Decimal(0))) for t in times] + totals.means() +
            [str(totals.repeats)]))
    return lines


def days(rows):
    groups = OrderedDict()
    total = Totals()
    for row in rows:
        groups.setdefault(row[1], {}).setdefault(row[2], Totals()).add(row)
        total.add(row)
    lines = ["\t".join(["ne_date", "coll_time", "members", "records", "volume_lt", "fat", "snf",
                        "commission", "amount", "rate", "untested"])]
    for date, times in groups.items():
        for time in sorted(times, key=lambda t: t.encode()):
            totals = times[time]
            lines.append("\t".join([date, time, str(len(totals.members)), str(totals.records),
                                    shortest(totals.volume)] + totals.means()))
    lines.append("\t".join(["Total", "", str(len(total.members)), str(total.records),
                            shortest(total.volume)] + total.means()))
    return lines


def main():
    if len(sys.argv) != 5 or sys.argv[4] not in ("members", "days"):
        sys.exit(__doc__)
    rows = rows_of(sys.argv[1], sys.argv[2], sys.argv[3])
    lines = members(rows) if sys.argv[4] == "members" else days(rows)
    sys.stdout.buffer.write("\r\n".join(lines).encode("utf-8"))


if __name__ == "__main__":
    main()
