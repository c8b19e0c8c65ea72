#!/usr/bin/env python3
"""Makes a benchmark folder of many files on the host, where creating them is fast.

    bench-data.py <folder> <count> [--seed N] [--bytes N] [--like <folder>]

Names mix letters of both cases, digits and extensions; sizes are sparse (nothing is written
unless --bytes asks for real contents); modification times spread over years with many files
sharing a minute. --like <folder> makes a second side for comparisons: the same names as that
folder for most files, some of them older or newer, plus names of its own.
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
    ap.add_argument("--like", help="a folder made earlier whose names this one mostly shares")
    a = ap.parse_args()

    marker = a.folder.rstrip("/") + ".complete"
    wanted = f"{a.count} seed={a.seed} bytes={a.bytes} like={a.like or ''}\n"
    if os.path.isdir(a.folder) and os.path.exists(marker) and open(marker).read() == wanted:
        return 0
    if os.path.exists(a.folder):
        shutil.rmtree(a.folder)
    os.makedirs(a.folder)

    rng = random.Random(a.seed)
    if a.like:
        # Most names shared with the other side (a quarter of those newer, a quarter older),
        # the rest our own.
        theirs = sorted(os.listdir(a.like))
        shared = theirs[: a.count * 3 // 4]
        for n in shared:
            st = os.stat(os.path.join(a.like, n))
            shift = rng.choice([0, 0, 86400 * rng.randint(1, 900), -86400 * rng.randint(1, 900)])
            make_file(os.path.join(a.folder, n), rng, a.bytes, int(st.st_mtime) + shift)
        own = names(random.Random(a.seed + 1000), a.count - len(shared))
        for n in own:
            make_file(os.path.join(a.folder, "x" + n), rng, a.bytes, BASE_TIME + rng.randrange(500_000) * 600)
    else:
        for n in names(rng, a.count):
            make_file(os.path.join(a.folder, n), rng, a.bytes, BASE_TIME + rng.randrange(500_000) * 600)

    with open(marker, "w") as f:
        f.write(wanted)
    return 0


if __name__ == "__main__":
    sys.exit(main())
