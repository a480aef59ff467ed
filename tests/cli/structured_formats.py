#!/usr/bin/env python3
"""structured_formats.py QUILLET_LIST [WINE_RUN]

Lists a small tree with --format csv (to standard output) and --format json (to a file) and
reads both back with Python's own csv and json parsers; then --format html, whose data blocks
are JSON too. Names hold a comma and a quote
(natively; Windows names cannot hold a quote) and, natively, a backslash and a tab, which
JSON must escape. The text format with --encoding utf-8 is read back too. With WINE_RUN the tool is the Windows build, run under Wine.
"""
import csv
import datetime
import io
import json
import os
import re
import subprocess
import sys
import tempfile

tool = sys.argv[1]
wine_run = sys.argv[2] if len(sys.argv) > 2 else None
odd = 'a, "b".txt' if not wine_run else "a, b's.txt"
odd_folder = ("c\\d\te" if not wine_run else "c d") + " \u0436"  # not in Western ANSI


def tool_path(path):
    return "Z:" + path.replace("/", "\\") if wine_run else path


def run(*args):
    command = (["bash", wine_run, tool] if wine_run else [tool]) + list(args)
    result = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, check=False)
    if result.returncode != 0:
        sys.exit(f"{command} failed ({result.returncode}): {result.stderr!r}")
    return result.stdout


def expect(condition, what):
    if not condition:
        sys.exit("FAILED: " + what)


with tempfile.TemporaryDirectory(prefix="quillet-formats.") as work:
    src = os.path.join(work, "src")
    os.makedirs(os.path.join(src, odd_folder))
    with open(os.path.join(src, odd_folder, odd), "wb") as f:
        f.write(b"x" * 1234)
    with open(os.path.join(src, "top.txt"), "wb") as f:
        f.write(b"")

    # CSV, written to standard output.
    data = run("--format", "csv", tool_path(src), "-")
    expect(data.startswith(b"\xef\xbb\xbf"), "CSV begins with a UTF-8 byte-order mark")
    rows = list(csv.DictReader(io.StringIO(data[3:].decode("utf-8"), newline="")))
    expect(rows and list(rows[0].keys()) == ["path", "name", "level", "kind", "size", "modified"],
           f"CSV header: {rows[:1]}")
    by_name = {row["name"]: row for row in rows}
    expect(sorted(by_name) == sorted([odd_folder, odd, "top.txt"]), f"CSV names: {list(by_name)}")
    file_row = by_name[odd]
    expect(file_row["level"] == "2" and file_row["kind"] == "file" and file_row["size"] == "1234",
           f"CSV file row: {file_row}")
    sep = "\\" if wine_run else "/"
    expect(file_row["path"].endswith(sep + odd_folder + sep + odd), f"CSV path: {file_row['path']}")
    expect(by_name[odd_folder]["kind"] == "folder" and by_name[odd_folder]["size"] == "",
           f"CSV folder row: {by_name[odd_folder]}")
    for row in rows:
        stamp = datetime.datetime.fromisoformat(row["modified"])
        expect(stamp.tzinfo is not None, f"time with a UTC offset: {row['modified']}")

    # JSON, written to a file; json.loads refuses a byte-order mark.
    out = os.path.join(work, "out.json")
    run("--format", "json", tool_path(src), tool_path(out))
    with open(out, "rb") as f:
        tree = json.loads(f.read())
    expect(tree["kind"] == "folder" and len(tree["children"]) == 2, f"JSON root: {tree}")
    folder, top = tree["children"]
    expect(folder["name"] == odd_folder and folder["kind"] == "folder", f"JSON folder: {folder}")
    expect(folder["children"] == [{"name": odd, "kind": "file", "size": 1234,
                                   "modified": folder["children"][0]["modified"]}],
           f"JSON file: {folder['children']}")
    expect(top["name"] == "top.txt" and top["size"] == 0 and "children" not in top,
           f"JSON top file: {top}")
    datetime.datetime.fromisoformat(top["modified"])

    # The text format in UTF-8 keeps the letter that the ANSI code page lacks.
    text = run("--encoding", "utf-8", tool_path(src), "-")
    expect(text.startswith(b"\xef\xbb\xbf"), "UTF-8 text begins with a byte-order mark")
    expect(" \u0436\r\n" in text[3:].decode("utf-8"), f"UTF-8 text: {text!r}")

    # Text cells a spreadsheet would take for a formula start with an apostrophe in CSV only.
    guard = os.path.join(work, "guard")
    formulas = ["=HYPERLINK(1).txt", "+1.txt", "-2.txt", "@SUM(A1).txt"]
    if not wine_run:
        formulas += ['=HYPERLINK("x","y").txt', "\tTAB.txt"]
    for name in formulas + ["plain=.txt"]:
        os.makedirs(guard, exist_ok=True)
        open(os.path.join(guard, name), "wb").close()
    data = run("--format", "csv", tool_path(guard), "-")
    names = sorted(row["name"] for row in csv.DictReader(io.StringIO(data[3:].decode("utf-8"),
                                                                      newline="")))
    expect(names == sorted(["'" + name for name in formulas] + ["plain=.txt"]),
           f"CSV formula guard: {names}")
    run("--format", "json", tool_path(guard), tool_path(out))
    with open(out, "rb") as f:
        names = sorted(entry["name"] for entry in json.loads(f.read())["children"])
    expect(names == sorted(formulas + ["plain=.txt"]), f"JSON names unguarded: {names}")

    # HTML: the page's data blocks hold the tree as records (see listing/html_writer.h).
    page = run("--format", "html", tool_path(src), "-").decode("utf-8")
    info = re.search(r'<script type="application/json" id="listing-info">(.*?)</script>', page)
    expect(info and json.loads(info.group(1))["root"].endswith("src"), "HTML root")
    names, records = [], []
    for block in re.findall(r'<script type="application/json" class="listing-data">(.*?)</script>',
                            page, re.S):
        data = json.loads(block)
        names += data["n"].split("/")
        records += data["r"]
    expect(names == [odd_folder, odd, "top.txt"], f"HTML names: {names}")
    expect(records[:2] == [1, records[1]] and records[2:4] == [0, 1234] and
           records[5:7] == [3, 0] and records[7] == 0 and len(records) == 9,
           f"HTML records: {records}")
    expect(abs(records[1] - os.stat(os.path.join(src, odd_folder)).st_mtime) < 2,
           "HTML times are seconds since 1970")
print("CSV, JSON and HTML parsed")
