#!/usr/bin/env python3
"""Makes a benchmark folder of many files on the host, where creating them is fast.

    bench-data.py <folder> <count> [--seed N] [--bytes N] [--folders N]

Names mix letters of both cases, digits and extensions; sizes are sparse (nothing is written
unless --bytes asks for real contents); modification times spread over years with many files
sharing a minute.
With --folders the files are spread evenly over that many subfolders (a tree, for folder sizes).
A marker <folder>.complete beside it records what was made, so a later run reuses the folder.
"""
import argparse
import os
import random
import shutil
import sys

EXTS = [".txt", ".doc", ".exe", ".c", ".h", ".zip", ".bmp", ".dat", ".ini", ""]
LETTERS = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
BASE_TIME = 946684800  # 2000-01-01


def names(rng, count):
    for i in range(count):
        stem = "".join(rng.choice(LETTERS) for _ in range(rng.randint(3, 12)))
        yield f"{stem}{i}{rng.choice(EXTS)}"


def make_file(path, rng, size_bytes, mtime):
    with open(path, "wb") as f:
        if size_bytes:
            f.write(os.urandom(size_bytes))
        else:
            f.truncate(rng.randrange(2_000_000))
    os.utime(path, (mtime, mtime))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("folder")
    ap.add_argument("count", type=int)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--bytes", type=int, default=0, help="real contents of this many bytes per file")
    ap.add_argument("--folders", type=int, default=0, help="spread the files over this many subfolders")
    a = ap.parse_args()

    marker = a.folder.rstrip("/") + ".complete"
    wanted = f"{a.count} seed={a.seed} bytes={a.bytes}" + (f" folders={a.folders}" if a.folders else "") + "\n"
    if os.path.isdir(a.folder) and os.path.exists(marker) and open(marker).read() == wanted:
        return 0
    if os.path.exists(a.folder):
        shutil.rmtree(a.folder)
    os.makedirs(a.folder)

    rng = random.Random(a.seed)
    for i, n in enumerate(names(rng, a.count)):
        where = a.folder
        if a.folders:
            where = os.path.join(a.folder, f"dir{i % a.folders:04d}")
            os.makedirs(where, exist_ok=True)
        make_file(os.path.join(where, n), rng, a.bytes, BASE_TIME + rng.randrange(500_000) * 600)

    with open(marker, "w") as f:
        f.write(wanted)
    return 0


if __name__ == "__main__":
    sys.exit(main())
