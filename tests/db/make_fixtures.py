#!/usr/bin/python3
"""Writes the test tables in fixtures/ with Debian's python3-dbf, a writer independent of ours.

Run from this folder: /usr/bin/python3 make_fixtures.py
Each table is described in the comment above its function; tests/db/dbf_fixture_test.cpp
checks what is read back.
"""
import datetime
import decimal
import os
import shutil

import dbf

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "fixtures")

TRAN_FIELDS = ("MEM_CODE C(6); NE_DATE C(10); COLL_TIME C(1); VOLUME_LT N(8,2); FAT_PER N(6,2); "
               "SNF N(6,2); TS_COMM N(8,2); RATE N(8,2); AMOUNT N(10,2)")


def fresh(folder):
    path = os.path.join(OUT, folder)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def tran_vfp():
    """tran_vfp/TRAN.DBF: collection records of three days, written out of order; member codes
    whose byte order differs from their numeric order; one deleted record; a blank volume; the
    two products 12.35 * 38.25 and 7.25 * 65.10; a stored amount that differs from the product."""
    path = fresh("tran_vfp")
    table = dbf.Table(os.path.join(path, "TRAN.DBF"), TRAN_FIELDS, dbf_type="vfp",
                      codepage="cp1252")
    table.open(dbf.READ_WRITE)
    rows = [
        ("A12", "02/01/2081", "M", 12.35, 4.5, 8.5, 0.5, 38.25, 472.39),
        ("9", "01/01/2081", "M", 7.25, 4.1, 8.2, 0, 65.10, 471.97),
        ("B7", "01/01/2081", "E", 3.00, 3.9, 8.0, 0.25, 50.00, 999.00),
        ("10", "01/01/2081", "M", 1.5, 4.0, 8.1, 0, 40.0, 60.0),
        ("A1", "01/01/2081", "E", 2.0, 4.2, 8.3, 0, 45.5, 91.0),
        ("X99", "01/01/2081", "M", 9.0, 4.2, 8.3, 0, 45.5, 0),  # deleted below
        ("A1", "02/01/2081", "M", None, 4.2, 8.3, 0, 45.5, 0),
        ("A1", "03/01/2081", "M", 10.0, 4.4, 8.4, -0.5, 50.0, 500.0),
    ]
    for row in rows:
        table.append(row)
    with table[5] as record:
        dbf.delete(record)
    table.close()


def types_vfp():
    """types_vfp/AllTypes.dbf with its memo file named ALLTYPES.FPT: every field type
    python3-dbf writes for Visual FoxPro, nullable fields holding nulls in the second record. (python3-dbf writes None as a blank
    value and dbf.Null as a null. It numbers null bits by field position, where Visual FoxPro
    numbers only the nullable and varchar fields, so the nullable fields come first here, where
    both numberings agree.)"""
    path = fresh("types_vfp")
    table = dbf.Table(os.path.join(path, "AllTypes.dbf"),
                      "NAME C(10) NULL; NUM N(8,2) NULL; DAY D NULL; NOTE M NULL; FLT F(10,3); "
                      "FLAG L; CNT I; DBL B; PRICE Y; STAMP T; PIC G",
                      dbf_type="vfp", codepage="cp1252")
    table.open(dbf.READ_WRITE)
    table.append(("Café", 12.5, datetime.date(2024, 2, 29), "memo text\r\nline 2", -0.5, True,
                  -7, 1.25, decimal.Decimal("12.3456"), datetime.datetime(2024, 1, 2, 3, 4, 5), b"\x00\x01OLE"))
    table.append((dbf.Null, dbf.Null, dbf.Null, dbf.Null, 3, False, 0, 0.1, 0, None, b""))
    table.append(("last", 0, datetime.date(1999, 12, 31), "", 0, None, 2147483646, -2.5,
                  decimal.Decimal("-12345678.9012"), datetime.datetime(2000, 1, 1, 23, 59, 59), b""))
    table.close()
    os.rename(os.path.join(path, "AllTypes.fpt"), os.path.join(path, "ALLTYPES.FPT"))


def dbase3():
    """dbase3/PEOPLE.DBF with PEOPLE.DBT: a dBase III table with a memo field and a deleted
    record."""
    path = fresh("dbase3")
    table = dbf.Table(os.path.join(path, "PEOPLE.DBF"),
                      "NAME C(12); AGE N(3,0); BORN D; OK L; NOTES M", dbf_type="db3")
    table.open(dbf.READ_WRITE)
    table.append(("Ram", 42, datetime.date(1982, 5, 17), True, "first memo"))
    table.append(("Sita", 39, datetime.date(1985, 1, 2), False, "gone"))
    table.append(("Hari", 7, None, None, ""))
    with table[1] as record:
        dbf.delete(record)
    table.close()


def foxpro2():
    """foxpro2/tran.dbf with tran.fpt: a FoxPro 2 table (0xF5) in code page 866."""
    path = fresh("foxpro2")
    table = dbf.Table(os.path.join(path, "tran.dbf"), "MEM_CODE C(6); NE_DATE C(10); NOTE M",
                      dbf_type="fp", codepage="cp866")
    table.open(dbf.READ_WRITE)
    table.append(("Ж1", "01/01/2081", "Молоко"))
    table.append(("A1", "01/01/2081", ""))
    table.close()


def cp1251():
    """cp1251/TRAN.DBF: Visual FoxPro, code page 1251, Cyrillic member codes."""
    path = fresh("cp1251")
    table = dbf.Table(os.path.join(path, "TRAN.DBF"), TRAN_FIELDS, dbf_type="vfp",
                      codepage="cp1251")
    table.open(dbf.READ_WRITE)
    table.append(("Я1", "01/01/2081", "M", 1, 4, 8, 0, 40, 40))
    table.append(("Б2", "01/01/2081", "M", 2, 4, 8, 0, 40, 80))
    table.append(("A3", "01/01/2081", "M", 3, 4, 8, 0, 40, 120))
    table.close()


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    tran_vfp()
    types_vfp()
    dbase3()
    foxpro2()
    cp1251()
