#!/usr/bin/python3
"""The member bills, the day sheet and the slips' text of a range of BS days, worked out with
Python's decimal module over the records python3-dbfread reads, for the tests to hold
`kolvex-export --summary` to.

    period_summary.py DATABASE FROM TO members|days|slips

Prints the member bills or the day sheet as tab-separated text, lines joined by CR LF, as
kolvex-export writes them; for slips, the words of each line of the slips' text, one blank
between them, lines joined by LF.

A record's amount (litres x rate) and commission (litres x ts_comm) are rounded to the paisa
each, half away from zero; a bill sums them, and its stored amount sums the table's own AMOUNT.
Every total row sums the rows above it.
"""
import os
import sys
from collections import OrderedDict
from decimal import ROUND_HALF_UP, Decimal

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
import dbfread  # noqa: E402
import dbfread_export  # noqa: E402

PAISA = Decimal("0.01")
SLIP_TITLE = "Milk payment slip"


def rounded(value):
    # ROUND_HALF_UP rounds a half away from zero.
    return value.quantize(PAISA, rounding=ROUND_HALF_UP)


def shortest(value):
    return dbfread_export.number_text(value)


def two_decimals(value):
    text = str(rounded(value))
    return "0.00" if text == "-0.00" else text


def figure(value):
    return two_decimals(value) if value == rounded(value) else shortest(value)


def mean(weighted, volume):
    return "" if volume == 0 else two_decimals(weighted / volume)


def label(time):
    return time.rstrip(" ") or "(blank)"


def day_order(time):
    trimmed = time.rstrip(" ")
    return ({"M": 0, "E": 1}.get(trimmed, 2), time.encode())


class Record:
    def __init__(self, fields):
        def number(name):
            raw = fields[name].strip()
            return Decimal(raw.decode("ascii")) if raw else Decimal(0)

        self.member = fields["MEM_CODE"].decode("cp1252")
        stored_date = fields["NE_DATE"].decode("cp1252")
        self.date = stored_date[-4:] + "/" + stored_date[3:5] + "/" + stored_date[:2]
        self.time = fields["COLL_TIME"].decode("cp1252")
        self.volume, self.fat, self.snf = number("VOLUME_LT"), number("FAT_PER"), number("SNF")
        self.rate = number("RATE")
        self.amount = rounded(self.volume * self.rate)
        self.commission = rounded(self.volume * number("TS_COMM"))
        self.stored = number("AMOUNT")


def records_of(database, first, last):
    if first > last:
        first, last = last, first
    table = dbfread.DBF(dbfread_export.table_path(database), raw=True, encoding="cp1252")
    records = [Record(fields) for fields in table]
    records = [r for r in records if first <= r.date <= last]
    # Day by day, then by the member code's bytes; equal keys keep the table's order.
    records.sort(key=lambda r: (r.date, r.member.encode()))
    return records


class Totals:
    def __init__(self):
        self.records = 0
        self.volume = self.fat = self.snf = Decimal(0)
        self.commission = self.amount = self.stored = Decimal(0)
        self.untested = 0
        self.by_time = {}
        self.dates = set()
        self.members = set()
        self.keys = set()
        self.repeats = 0

    def add(self, record):
        self.records += 1
        self.volume += record.volume
        self.fat += record.volume * record.fat
        self.snf += record.volume * record.snf
        self.commission += record.commission
        self.amount += record.amount
        self.stored += record.stored
        self.untested += record.fat == 0 or record.snf == 0
        time = label(record.time)
        self.by_time[time] = self.by_time.get(time, Decimal(0)) + record.volume
        self.dates.add(record.date)
        self.members.add(record.member)
        key = (record.member, record.date, time)
        self.repeats += key in self.keys
        self.keys.add(key)


def members(records):
    times = sorted({label(r.time) for r in records}, key=day_order)
    by_member = {}
    total = Totals()
    for record in records:
        by_member.setdefault(record.member, Totals()).add(record)
        total.add(record)
    lines = ["\t".join(["mem_code", "days", "records"] + ["volume_lt " + t for t in times] +
                       ["volume_lt", "fat", "snf", "rate", "amount", "stored_amount",
                        "difference", "commission", "untested", "repeats"])]
    rows = sorted(by_member.items(), key=lambda item: item[0].encode())
    sums = {"amount": Decimal(0), "stored": Decimal(0), "commission": Decimal(0)}
    for code, totals in rows + [("Total", total)]:
        if code == "Total":
            # The total row sums the figures of the rows above it.
            amount, stored, commission = sums["amount"], sums["stored"], sums["commission"]
            assert amount == total.amount and commission == total.commission
        else:
            amount, stored, commission = totals.amount, rounded(totals.stored), totals.commission
            sums["amount"] += amount
            sums["stored"] += stored
            sums["commission"] += commission
        lines.append("\t".join(
            [code, str(len(totals.dates)), str(totals.records)] +
            [shortest(totals.by_time.get(t, Decimal(0))) for t in times] +
            [shortest(totals.volume), mean(totals.fat, totals.volume),
             mean(totals.snf, totals.volume), mean(amount, totals.volume), two_decimals(amount),
             two_decimals(stored), two_decimals(amount - stored), two_decimals(commission),
             str(totals.untested), str(totals.repeats)]))
    return lines


def days(records):
    groups = OrderedDict()
    total = Totals()
    for record in records:
        groups.setdefault(record.date, {}).setdefault(record.time, Totals()).add(record)
        total.add(record)
    lines = ["\t".join(["ne_date", "coll_time", "members", "records", "volume_lt", "fat", "snf",
                        "commission", "amount", "rate", "untested"])]

    def row(date, time, totals):
        return "\t".join([date, time, str(len(totals.members)), str(totals.records),
                          shortest(totals.volume), mean(totals.fat, totals.volume),
                          mean(totals.snf, totals.volume), two_decimals(totals.commission),
                          two_decimals(totals.amount), mean(totals.amount, totals.volume),
                          str(totals.untested)])

    for date, times in groups.items():
        for time in sorted(times, key=day_order):
            lines.append(row(date, time, times[time]))
    lines.append(row("Total", "", total))
    return lines


def slips(records, first, last):
    if first > last:
        first, last = last, first
    by_member = {}
    for record in records:
        by_member.setdefault(record.member, []).append(record)
    lines = []
    for code in sorted(by_member, key=str.encode):
        collections = sorted(by_member[code], key=lambda r: (r.date, day_order(label(r.time))))
        totals = Totals()
        lines += [f"{SLIP_TITLE} {first} to {last}", f"Member {code}",
                  "Date Shift Litres Fat SNF Rate Amount"]
        for r in collections:
            totals.add(r)
            lines.append(" ".join([r.date, label(r.time), figure(r.volume), figure(r.fat),
                                   figure(r.snf), figure(r.rate), two_decimals(r.amount)]))
        lines.append(" ".join(["Total", figure(totals.volume), mean(totals.fat, totals.volume),
                               mean(totals.snf, totals.volume), two_decimals(totals.amount)]))
        commission = "Commission " + two_decimals(totals.commission)
        if rounded(totals.stored) != totals.amount:
            commission += " Stored amount " + two_decimals(totals.stored)
        lines.append(commission)
    return lines


def main():
    if len(sys.argv) != 5 or sys.argv[4] not in ("members", "days", "slips"):
        sys.exit(__doc__)
    first, last = sys.argv[2], sys.argv[3]
    records = records_of(sys.argv[1], first, last)
    if sys.argv[4] == "slips":
        text = "\n".join(line for line in slips(records, first, last)) + "\n"
    else:
        text = "\r\n".join(members(records) if sys.argv[4] == "members" else days(records))
    sys.stdout.buffer.write(text.encode("utf-8"))


if __name__ == "__main__":
    main()
