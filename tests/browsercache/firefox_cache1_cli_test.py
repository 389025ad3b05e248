#!/usr/bin/env python3
"""larkspool-cli on the real Firefox cache of the first format in the shared
test data: `caches` finds it, `entries` lists exactly the URLs read from its
bytes by hand (the newest of two answers under one URL, no empty 204s),
`export` writes a body byte for byte, and every write is refused.
Usage: firefox_cache1_cli_test.py LARKSPOOL-CLI TESTDATA-DIR"""
import os
import subprocess
import sys
import tempfile

SKIPPED = 77
URLS = sorted([
    "http://ocsp.digicert.com/",
    "http://www.google.com/search?q=plaso+log2timeline&ie=utf-8&oe=utf-8&aq=t&rls=org.mozilla:en-US:official"
    "&client=firefox-a",
    "http://www.google.com/xjs/_/js/k=xjs.hp.en.mpb1WB2NNYY.O/m=sb_he,d/rt=j/d=1/rs=ACT90oGih-7xKAMacGD5URLcVNRPtQs6JA",
    "http://www.google.com/images/nav_logo229.png",
    "http://ocsp.pki.goog/GTSGIAG3",
    "http://ocsp.pki.goog/gsr2",
    "http://www.google.com/images/branding/product/ico/googleg_lodp.ico",
    "http://ssl.gstatic.com/gb/js/sem_c87908b20b80e337d7767b3e66715ee0.js",
    "https://ssl.gstatic.com/gb/images/b_8d5afc09.png",
    "https://sb-ssl.google.com/safebrowsing/newkey?client=navclient-auto-ffox&appver=4.0&pver=2.2",
])


def cli(command, *args, environment=None):
    return subprocess.run([command] + list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120,
                          env=environment)


def main():
    command, testdata = sys.argv[1], sys.argv[2]
    cache = os.path.join(testdata, "firefox-cache1")
    if not os.path.isdir(cache):
        print("skipped: no " + cache)
        return SKIPPED
    problems = []
    with tempfile.TemporaryDirectory() as work:
        home = dict(os.environ, HOME=os.path.join(work, "home"), LARKSPOOL_CACHE=cache)
        home.pop("WINEPREFIX", None)
        found = cli(command, "caches", environment=home).stdout.decode("latin-1").splitlines()
        if found != ["%s\tfirefox-cache1\t%d" % (cache, len(URLS))]:
            problems.append("caches: %s" % found)

        entries = cli(command, "--cache", cache, "entries")
        listed = sorted(line.split("\t")[0] for line in entries.stdout.decode("latin-1").splitlines())
        if listed != URLS:
            problems.append("entries: exit %d, listed %s" % (entries.returncode, listed))

        exported = os.path.join(work, "export")
        export = cli(command, "--cache", cache, "export", "--to", exported)
        # The PNG lies in _CACHE_003_ from offset 1024, 12263 bytes.
        with open(os.path.join(cache, "_CACHE_003_"), "rb") as blocks:
            blocks.seek(1024)
            png = blocks.read(12263)
        written = os.path.join(exported, "www.google.com", "images", "nav_logo229.png")
        try:
            with open(written, "rb") as file:
                if file.read() != png:
                    problems.append("nav_logo229.png: exported bytes differ from the stored ones")
        except OSError as error:
            problems.append("export: exit %d, %s: %s" % (export.returncode, error, export.stderr[-300:]))

        for refused in (["remove", "http://ocsp.pki.goog/gsr2"],
                        ["export", "--to", os.path.join(work, "moved"), "--move", "--yes"]):
            run = cli(command, "--cache", cache, *refused)
            if run.returncode != 1 or b"this cache is read-only" not in run.stderr:
                problems.append("%s: exit %d, stderr %s" % (refused[0], run.returncode, run.stderr))

    for problem in problems:
        print("FAIL " + problem)
    print("%d problems" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
