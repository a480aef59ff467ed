#!/usr/bin/env python3
"""keep_going_and_totals.py QUILLET_LIST [WINE_RUN]

--keep-going past a folder that cannot be opened (natively one without permissions, listed
as a normal user; under Wine one whose Linux name Windows cannot open), and --totals on a tree
of known sizes, in the text, CSV and JSON formats. With WINE_RUN the tool is the Windows
build, run under Wine.
"""
import csv
import io
import json
import os
import subprocess
import sys
import tempfile

tool = sys.argv[1]
wine_run = sys.argv[2] if len(sys.argv) > 2 else None
sep = "\\" if wine_run else "/"
# Root can open any folder: the tool then runs as nobody.
as_user = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] \
    if not wine_run and os.geteuid() == 0 else []


def tool_path(path):
    return "Z:" + path.replace("/", "\\") if wine_run else path


def run(*args, status=0):
    command = (["bash", wine_run, tool] if wine_run else as_user + [tool]) + list(args)
    result = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, check=False)
    if result.returncode != status:
        sys.exit(f"{command}: exit {result.returncode}, wanted {status}: {result.stderr!r}")
    return result.stdout, result.stderr.decode("utf-8")


def expect(condition, what):
    if not condition:
        sys.exit("FAILED: " + what)


def make(path, size=0):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.truncate(size)


with tempfile.TemporaryDirectory(prefix="quillet-keep-going.") as work:
    os.chmod(work, 0o755)
    src = os.path.join(work, "src")
    for name, size in [("a/b/three", 3), ("a/hundred", 100), ("a/twenty", 20), ("top", 4000),
                       ("z.big", 50000)]:
        make(os.path.join(src, name), size)
    os.makedirs(os.path.join(src, "c"))
    # Sorted between a and c: the walk goes on after it.
    closed = os.path.join(src, "b?closed" if wine_run else "b-closed")
    make(os.path.join(closed, "inside"), 7)
    if not wine_run:
        os.chmod(closed, 0)

    run(tool_path(src), "-", status=1)  # without the option the run ends there, as it did
    text, err = run("--keep-going", "--style", "0", tool_path(src), "-", status=1)
    lines = text.decode("utf-8").split("\r\n")
    expect(lines == ["   a", "      b", "         three", "      hundred", "      twenty",
                     "   " + os.path.basename(closed), "   c", "   top", "   z.big", ""],
           f"--keep-going text: {lines}")
    expect(err.count("\n") == 1 and err.startswith("quillet-list: ") and
           tool_path(closed) in err, f"--keep-going message: {err!r}")
    reason = err[len("quillet-list: "):err.index(" (")]

    data, _ = run("--keep-going", "--format", "json", tool_path(src), "-", status=1)
    root = json.loads(data)
    skipped = root["children"][1]
    expect(skipped == {"name": os.path.basename(closed), "kind": "folder",
                       "modified": skipped["modified"], "error": reason},
           f"JSON folder not read: {skipped} ({reason!r})")
    expect(all("error" not in entry for entry in root["children"] if entry is not skipped),
           "JSON error only on the folder not read")

    data, _ = run("--keep-going", "--format", "csv", tool_path(src), "-", status=1)
    rows = list(csv.DictReader(io.StringIO(data[3:].decode("utf-8"), newline="")))
    expect({row["name"]: row["error"] for row in rows if row["error"]} ==
           {os.path.basename(closed): reason}, f"CSV error column: {rows}")

    if not wine_run:
        os.chmod(closed, 0o755)
    else:
        os.rename(closed, os.path.join(src, "b-open"))
    run("--keep-going", tool_path(src), "-")  # nothing skipped: exit 0

    # Totals: b-* holds 7 bytes; a 123 in 3 files and 1 folder; everything 54130.
    text, _ = run("--totals", "--style", "0", tool_path(src), "-")
    expect(text.endswith(b"   z.big\r\n4 folders, 6 files, 54130 bytes\r\n"),
           f"text totals: {text!r}")
    text, _ = run("--totals", "--exclude", "*.big", "--type", "1", tool_path(src), "-")
    expect(text.endswith(b"0 folders, 1 files, 4000 bytes\r\n"), f"filtered totals: {text!r}")

    data, _ = run("--totals", "--format", "json", tool_path(src), "-")
    root = json.loads(data)

    def check(folder):
        """Sums the listed children and compares them with the folder's own totals."""
        files = folders = size = 0
        for entry in folder.get("children", []):
            if entry["kind"] == "file":
                files, size = files + 1, size + entry["size"]
            else:
                sub = check(entry)
                files, folders, size = files + sub[0], folders + 1 + sub[1], size + sub[2]
        expect(list(folder)[-3:] == ["files", "folders", "bytes"] and
               (folder["files"], folder["folders"], folder["bytes"]) == (files, folders, size),
               f"JSON totals of {folder['name']}: {folder}")
        return files, folders, size

    expect(check(root) == (6, 4, 54130), f"JSON root totals: {root}")
    expect((root["children"][0]["files"], root["children"][0]["bytes"]) == (3, 123), "JSON a")

    data, _ = run("--totals", "--format", "csv", tool_path(src), "-")
    rows = list(csv.DictReader(io.StringIO(data[3:].decode("utf-8"), newline="")))
    expect(list(rows[0]) == ["path", "name", "level", "kind", "size", "modified", "files",
                             "folders", "bytes"], f"CSV totals header: {list(rows[0])}")
    for at, row in enumerate(rows):
        if row["kind"] != "folder":
            expect(row["files"] == row["folders"] == row["bytes"] == "", f"CSV file: {row}")
            continue
        inside = [r for r in rows if r["path"].startswith(row["path"] + sep)]
        expect(all(rows.index(r) < at for r in inside), f"CSV folder after contents: {row}")
        expect(int(row["bytes"]) == sum(int(r["size"]) for r in inside if r["kind"] == "file") and
               int(row["files"]) == sum(r["kind"] == "file" for r in inside) and
               int(row["folders"]) == sum(r["kind"] == "folder" for r in inside),
               f"CSV totals: {row}")
    expect([r["bytes"] for r in rows if r["name"] == "a"] == ["123"], "CSV a")
print("--keep-going and --totals checked")
