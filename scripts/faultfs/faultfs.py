#!/usr/bin/python3
"""A file system over a real folder that fails on purpose, for the reliability tests.

    faultfs.py <backing folder> <mount point> <control file>

Every call passes through to the backing folder, unless a line of the control file (read again
whenever it changes) names the path or a folder above it:

    list-eio  <path> <n>       its listing gives n names, then fails with EIO
    read-eio  <path> <offset>  a read that reaches offset fails with EIO
    read-block <path> <offset> a read that reaches offset waits until this line is gone
    vanish    <path>           gone: ENOENT for it and everything below
    enospc    <path> <offset>  a write that reaches offset fails with ENOSPC
    moving    <path>           grows by a block and gets a new date at the first read of each opening

Paths are relative to the root, with "/" ("" or "." is the root itself).
"""
import errno
import os
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations


class Faults:
    """The control file's lines, read again when its date or size changes."""

    def __init__(self, path):
        self.path = path
        self.seen = None
        self.lines = []
        self.lock = threading.Lock()

    def _load(self):
        try:
            st = os.stat(self.path)
            key = (st.st_mtime_ns, st.st_size)
        except FileNotFoundError:
            key = None
        if key == self.seen:
            return
        lines = []
        if key is not None:
            with open(self.path, encoding="utf-8") as f:
                for raw in f:
                    words = raw.split()
                    if len(words) >= 2:
                        lines.append((words[0], words[1].strip("/"), int(words[2]) if len(words) > 2 else 0))
        self.seen, self.lines = key, lines

    def find(self, kind, path):
        """The number of the first line of this kind naming path or a folder above it, or None."""
        path = path.strip("/")
        with self.lock:
            self._load()
            for k, where, n in self.lines:
                if k == kind and (where in ("", ".") or path == where or path.startswith(where + "/")):
                    return n
        return None


class FaultFs(Operations):
    def __init__(self, backing, control):
        self.backing = backing
        self.faults = Faults(control)
        self.offset = threading.local()  # where the listing under way asks to go on (FaultFuse)
        self.moved = set()  # the open files' handles that a "moving" fault grew once already

    def _real(self, path):
        if self.faults.find("vanish", path) is not None:
            raise FuseOSError(errno.ENOENT)
        return os.path.join(self.backing, path.lstrip("/"))

    def getattr(self, path, fh=None):
        st = os.lstat(self._real(path))
        return {k: getattr(st, k) for k in ("st_mode", "st_nlink", "st_size", "st_uid", "st_gid",
                                            "st_atime", "st_mtime", "st_ctime")}

    def readdir(self, path, fh):
        below = path.rstrip("/") + "/"
        names = [".", ".."] + sorted(n for n in os.listdir(self._real(path)) if self.faults.find("vanish", below + n) is None)
        cut = self.faults.find("list-eio", path)
        if cut is None:
            return names
        # Each name with its place: the kernel asks again from where the last reply ended (or
        # from the start, after a rewind), and a call that starts at the cut fails.
        start = self.offset.value
        if start >= cut:
            raise FuseOSError(errno.EIO)
        return [(name, None, i + 1) for i, name in enumerate(names[:cut]) if i >= start]

    def open(self, path, flags):
        return os.open(self._real(path), flags)

    def create(self, path, mode, fi=None):
        return os.open(self._real(path), os.O_WRONLY | os.O_CREAT | os.O_TRUNC, mode)

    def read(self, path, size, offset, fh):
        self._real(path)
        at = self.faults.find("read-eio", path)
        if at is not None and offset + size > at:
            raise FuseOSError(errno.EIO)
        while (at := self.faults.find("read-block", path)) is not None and offset + size > at:
            time.sleep(0.05)  # a share that stopped answering, until the test lets it go
        data = os.pread(fh, size, offset)
        if self.faults.find("moving", path) is not None and fh not in self.moved:
            self.moved.add(fh)
            real = self._real(path)
            with open(real, "ab") as f:
                f.write(b"m" * 4096)
            os.utime(real, None)
        return data

    def write(self, path, data, offset, fh):
        at = self.faults.find("enospc", path)
        if at is not None and offset + len(data) > at:
            raise FuseOSError(errno.ENOSPC)
        return os.pwrite(fh, data, offset)

    def truncate(self, path, length, fh=None):
        os.truncate(self._real(path), length)

    def flush(self, path, fh):
        return 0

    def fsync(self, path, datasync, fh):
        os.fsync(fh)
        return 0

    def release(self, path, fh):
        self.moved.discard(fh)
        os.close(fh)
        return 0

    def unlink(self, path):
        os.unlink(self._real(path))

    def mkdir(self, path, mode):
        os.mkdir(self._real(path), mode)

    def rmdir(self, path):
        os.rmdir(self._real(path))

    def rename(self, old, new):
        os.rename(self._real(old), self._real(new))

    def chmod(self, path, mode):
        os.chmod(self._real(path), mode)

    def chown(self, path, uid, gid):
        os.chown(self._real(path), uid, gid)

    def utimens(self, path, times=None):
        os.utime(self._real(path), ns=None if times is None else tuple(int(t * 1e9) for t in times))

    def statfs(self, path):
        st = os.statvfs(self._real(path))
        return {k: getattr(st, k) for k in ("f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail",
                                            "f_ffree", "f_files", "f_flag", "f_frsize", "f_namemax")}

    def readlink(self, path):
        return os.readlink(self._real(path))

    def symlink(self, target, source):
        os.symlink(source, self._real(target))


class FaultFuse(FUSE):
    """Tells the file system where a listing goes on from, which fusepy keeps to itself."""

    def readdir(self, path, buf, filler, offset, fip):
        self.operations.offset.value = offset
        return super().readdir(path, buf, filler, offset, fip)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    FaultFuse(FaultFs(os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[3])), sys.argv[2],
         foreground=True, nothreads=False, allow_other=True,
         # Every call reaches the faults: nothing is answered from the kernel's caches.
         direct_io=True, attr_timeout=0, entry_timeout=0, negative_timeout=0)
