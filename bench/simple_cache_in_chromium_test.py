#!/usr/bin/env python3
"""The benchmark's simple-cache generator writes what Chromium reads: a
small sample is made in a fresh --disk-cache-dir, and headless Chromium,
with every host name unresolvable (so nothing can come from a network),
shows the pages from that cache. The same sample with one entry's key hash
spoiled is refused, so a pass is Chromium reading our bytes.

usage: simple_cache_in_chromium_test.py MAKE_SIMPLE_CACHE
Exits 0 on success, 1 on failure, 77 (skipped) without chromium."""
import os
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--host-resolver-rules=MAP * ~NOTFOUND"]
# Entries 0 and 7 of a 10-entry sample (two hosts): gzip-encoded pages.
PAGES = {"http://host0.example.test/page0.html": "<title>Page 0 of host0.example.test</title>",
         "http://host1.example.test/cgi-bin/search.cgi?q=3": "<title>Page 3 of host1.example.test</title>"}


def shown(work, cache_root, url):
    profile = tempfile.mkdtemp(dir=work)
    result = subprocess.run([shutil.which("chromium")] + FLAGS +
                            ["--user-data-dir=" + profile, "--disk-cache-dir=" + cache_root, "--dump-dom", url],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=120)
    return result.stdout.decode("utf-8", "replace")


def make_sample(generator, cache_root):
    # Where Chromium keeps its HTTP cache below --disk-cache-dir.
    subprocess.run([generator, "10", os.path.join(cache_root, "Default", "Cache", "Cache_Data")], check=True)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    if not shutil.which("chromium"):
        print("chromium is not installed")
        return SKIPPED
    failures = []
    with tempfile.TemporaryDirectory() as work:
        good = os.path.join(work, "good")
        make_sample(sys.argv[1], good)
        for url, title in PAGES.items():
            if title not in shown(work, good, url):
                failures.append("Chromium did not serve %s from the generated cache" % url)

        spoiled = os.path.join(work, "spoiled")
        make_sample(sys.argv[1], spoiled)
        data = os.path.join(spoiled, "Default", "Cache", "Cache_Data")
        url, title = next(iter(PAGES.items()))
        for name in os.listdir(data):
            path = os.path.join(data, name)
            if name.endswith("_0") and url.encode() in open(path, "rb").read():
                with open(path, "r+b") as entry:  # the key's SHA-256 ends 24 bytes before the end
                    entry.seek(-25, os.SEEK_END)
                    byte = entry.read(1)
                    entry.seek(-25, os.SEEK_END)
                    entry.write(bytes([byte[0] ^ 0xff]))
        if title in shown(work, spoiled, url):
            failures.append("Chromium served %s although its key hash was spoiled: the check proves nothing" % url)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
