#!/usr/bin/python3
"""Writes the seed corpora from the test tables: each seed is the table's length (16 bits,
little-endian), the table, then its memo file if it has one.

Run from this folder: /usr/bin/python3 make_corpus.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "..", "tests", "db", "fixtures")


def seed(table_path):
    table = open(table_path, "rb").read()
    folder, name = os.path.split(table_path)
    stem = os.path.splitext(name)[0].lower()
    memo = b""
    for other in sorted(os.listdir(folder)):
        base, extension = os.path.splitext(other)
        if base.lower() == stem and extension.lower() in (".fpt", ".dbt"):
            memo = open(os.path.join(folder, other), "rb").read()
    return struct.pack("<H", len(table)) + table + memo


def main():
    seeds = {}
    for folder in sorted(os.listdir(FIXTURES)):
        for name in sorted(os.listdir(os.path.join(FIXTURES, folder))):
            if name.lower().endswith(".dbf"):
                seeds[folder] = seed(os.path.join(FIXTURES, folder, name))
    for corpus in ("dbf_reader", "provider"):
        out = os.path.join(HERE, "corpus", corpus)
        os.makedirs(out, exist_ok=True)
        for folder, data in seeds.items():
            with open(os.path.join(out, folder), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
