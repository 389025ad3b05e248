#!/usr/bin/env python3
"""Each file and folder of a sound browser cache replaced in turn by a link
out of the cache (into a copy whose bodies carry a marker), a link loop, a
FIFO, a folder, nothing and, where one can be made, a device node; then
files of crafted bytes (cut short, lengths past the end) put in place of
one file each: `list` and `export` must end in time with exit 0, 1 or 2 and
no signal, no marker byte may appear in any output, the bodies the replaced
file did not hold are still exported, and a crafted file is named with what
is wrong with it.

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
    elif how == "missing":
        pass
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


def check_case(cli, name, cache, target, failures):
    """Lists and exports cache: the command's outputs, the export's bytes."""
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
    return listed, written


def check_kept(name, bodies, lost, written, failures):
    for body in bodies:
        if body not in lost.split(" ") and body.encode() not in written:
            failures.append("%s: the sound entry %s was not exported" % (name, body))


def copy_of(work, kind):
    case = tempfile.mkdtemp(dir=work)
    cache = os.path.join(case, os.path.basename(CACHE_FOLDERS[kind]))
    shutil.copytree(os.path.join(work, "sound", CACHE_FOLDERS[kind]), cache)
    return case, cache


def main():
    cli, maker = sys.argv[1], sys.argv[2]
    failures = []
    cases = 0
    skipped = set()
    with tempfile.TemporaryDirectory() as work:
        subprocess.run([maker, work], check=True)
        rows = [line.split("\t") for line in open(os.path.join(work, "manifest.tsv")).read().splitlines()]
        bodies = {kind: sorted({body for k, _, lost in rows if k == kind and lost != "*" for body in lost.split(" ")})
                  for kind in CACHE_FOLDERS}
        for kind, relative, lost in rows:
            for how in ("link out", "link loop", "fifo", "folder", "missing", "device"):
                case, cache = copy_of(work, kind)
                outside = os.path.join(work, "outside", CACHE_FOLDERS[kind], relative)
                if not replace(os.path.join(cache, relative), how, outside):
                    skipped.add("device nodes cannot be made here")
                    continue
                cases += 1
                name = "%s %s as %s" % (kind, relative, how)
                listed, written = check_case(cli, name, cache, os.path.join(case, "export"), failures)
                if lost != "*":
                    if how == "link out" and b"symbolic link" not in listed[1]:
                        failures.append("%s: list does not say the entry is behind a link" % name)
                    check_kept(name, bodies[kind], lost, written, failures)
        crafted = [line.split("\t") for line in open(os.path.join(work, "crafted.tsv")).read().splitlines()]
        for crafted_name, kind, relative, lost, said in crafted:
            case, cache = copy_of(work, kind)
            shutil.copyfile(os.path.join(work, "crafted", crafted_name), os.path.join(cache, relative))
            cases += 1
            name = "%s %s as %s" % (kind, relative, crafted_name)
            listed, written = check_case(cli, name, cache, os.path.join(case, "export"), failures)
            if said.encode() not in listed[1]:
                failures.append("%s: list does not say \"%s\": %s" % (name, said, listed[1][-300:]))
            if lost != "*":
                check_kept(name, bodies[kind], lost, written, failures)
    for reason in sorted(skipped):
        print("skipped: " + reason)
    for failure in failures:
        print("FAIL: " + failure)
    print("%d passed, %d failed" % (cases - len({f.split(":")[0] for f in failures}), len({f.split(":")[0] for f in failures})))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
