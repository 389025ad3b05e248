#!/usr/bin/env python3
"""Each file and folder of a sound browser cache replaced in turn by a link
out of the cache (into a copy whose bodies carry a marker), a link loop, a
FIFO, a folder and, where one can be made, a device node: `list` and
`export` must end in time with exit 0, 1 or 2 and no signal, no marker byte
may appear in any output, and the bodies the replaced file did not hold are
still exported.

Usage: hostile_cache_corpus_test.py LARKSPOOL_CLI MAKE_SOUND_CACHES
"""
import os
import shutil
import stat
import subprocess
import sys
import tempfile

CACHE_FOLDERS = {"simple": "simple", "firefox": "firefox/cache2", "blockfile": "blockfile", "firefox1": "firefox1",
                 "webkit": "webkit/WebKitCache", "cachestorage": "cachestorage/Service Worker/CacheStorage"}
MARKER = b"MARKER-"
TIMEOUT = 30


def replace(path, how, outside):
    """Puts `how` where path was; False when this machine cannot make it."""
    if os.path.isdir(path) and not os.path.islink(path):
        shutil.rmtree(path)
    else:
        os.remove(path)
    if how == "link out":
        os.symlink(outside, path)
    elif how == "link loop":
        os.symlink(os.path.basename(path), path)
    elif how == "fifo":
        os.mkfifo(path)
    elif how == "folder":
        os.mkdir(path)
    elif how == "device":
        try:
            os.mknod(path, 0o600 | stat.S_IFCHR, os.makedev(1, 5))  # /dev/zero
        except OSError:
            return False
    return True


def run(cli, args):
    """The command's exit status and everything it wrote; a hang or a
    signal fails the test."""
    try:
        done = subprocess.run([cli] + args, stdin=subprocess.DEVNULL, capture_output=True, timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        return None, b"timed out after %d s" % TIMEOUT
    return done.returncode, done.stdout + done.stderr


def exported_bytes(folder):
    data = b""
    for parent, _, files in os.walk(folder):
        for name in files:
            with open(os.path.join(parent, name), "rb") as file:
                data += file.read()
    return data


def main():
    cli, maker = sys.argv[1], sys.argv[2]
    failures = []
    cases = 0
    skipped = set()
    with tempfile.TemporaryDirectory() as work:
        subprocess.run([maker, work], check=True)
        rows = [line.split("\t") for line in open(os.path.join(work, "manifest.tsv")).read().splitlines()]
        bodies = {kind: [body for k, _, body in rows if k == kind and body != "*"] for kind in CACHE_FOLDERS}
        for kind, relative, lost in rows:
            for how in ("link out", "link loop", "fifo", "folder", "device"):
                case = tempfile.mkdtemp(dir=work)
                cache = os.path.join(case, os.path.basename(CACHE_FOLDERS[kind]))
                shutil.copytree(os.path.join(work, "sound", CACHE_FOLDERS[kind]), cache)
                outside = os.path.join(work, "outside", CACHE_FOLDERS[kind], relative)
                if not replace(os.path.join(cache, relative), how, outside):
                    skipped.add("device nodes cannot be made here")
                    continue
                cases += 1
                target = os.path.join(case, "export")
                name = "%s %s as %s" % (kind, relative, how)
                listed = run(cli, ["--cache", cache, "list"])
                export = run(cli, ["--cache", cache, "export", "--to", target, "--overwrite", "all"])
                for command, (status, output) in (("list", listed), ("export", export)):
                    if status not in (0, 1, 2):
                        failures.append("%s: %s ended with %s: %s" % (name, command, status, output[-300:]))
                    if MARKER in output:
                        failures.append("%s: %s printed bytes from outside the cache" % (name, command))
                written = exported_bytes(target)
                if MARKER in written:
                    failures.append("%s: the export holds bytes from outside the cache" % name)
                if lost != "*":
                    if how == "link out" and b"symbolic link" not in listed[1]:
                        failures.append("%s: list does not say the entry is behind a link" % name)
                    for body in bodies[kind]:
                        if body != lost and body.encode() not in written:
                            failures.append("%s: the sound entry %s was not exported" % (name, body))
    for reason in sorted(skipped):
        print("skipped: " + reason)
    for failure in failures:
        print("FAIL: " + failure)
    print("%d passed, %d failed" % (cases - len({f.split(":")[0] for f in failures}), len({f.split(":")[0] for f in failures})))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
