#!/usr/bin/env python3
"""A service worker of the test site on 127.0.0.1 puts pages, a stylesheet
and an image into two named caches of real Chromium's CacheStorage; then
larkspool-cli lists exactly what was put, each under its cache's name, and
exports every body byte for byte as it was before its Content-Encoding.

usage: service_worker_cache_test.py CLI [PROFILE]
With PROFILE the filled profile is kept there. Exits 0 when every check
passes, 1 otherwise, 77 (skipped) when Chromium or the encoders are absent."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "export"))
import test_site_server  # noqa: E402
from check_exported_site import Browser  # noqa: E402
from real_browser_cache_test import cli, rewritten_page  # noqa: E402

SKIPPED = 77
# cache name -> what the worker puts into it
CACHES = {"a": ["/index.html", "/style.css"], "b": ["/logo.png", "/gzip.html"]}
WORKER = ("self.addEventListener('install', event => event.waitUntil(Promise.all([%s])));\n" % ", ".join(
    "caches.open('%s').then(cache => cache.addAll(%s))" % (name, [path.lstrip("/") for path in paths])
    for name, paths in CACHES.items())).encode()
PAGE = b"""<html><head><title>registering</title></head><body><script>
navigator.serviceWorker.register('sw.js').then(() => navigator.serviceWorker.ready)
  .then(() => caches.keys()).then(names => { document.title = 'cached ' + names.sort().join(','); });
</script></body></html>
"""
CACHED_TITLE = "cached " + ",".join(sorted(CACHES))


def fill(profile, origin):
    browser = Browser(profile)
    try:
        browser.open(origin + "/sw.html")
        deadline = time.monotonic() + 60
        while browser.facts("JSON.stringify(document.title)") != CACHED_TITLE:
            if time.monotonic() > deadline:
                raise TimeoutError("the service worker did not fill its caches")
            time.sleep(0.2)
        # CacheStorage writes its index.txt a few seconds after a change.
        storage = os.path.join(profile, "Default", "Service Worker", "CacheStorage")
        deadline = time.monotonic() + 60
        while not any(os.path.exists(os.path.join(storage, origin_hash, "index.txt"))
                      for origin_hash in (os.listdir(storage) if os.path.isdir(storage) else [])):
            if time.monotonic() > deadline:
                raise TimeoutError("no index.txt was written")
            time.sleep(0.2)
        try:
            browser.call("Browser.close")
            browser.process.wait(timeout=30)
        except (RuntimeError, subprocess.TimeoutExpired):
            pass
    finally:
        browser.close()
    return storage


def main():
    command = sys.argv[1]
    missing = [tool for tool in ["chromium"] if shutil.which(tool) is None] + test_site_server.encoders_missing()
    if missing:
        print("skipped: not installed: " + " ".join(missing))
        return SKIPPED
    test_site_server.SITE["/sw.js"] = (200, "text/javascript", None, WORKER)
    test_site_server.SITE["/sw.html"] = (200, "text/html", None, PAGE)
    problems = []
    server, port = test_site_server.serve()
    origin = "http://127.0.0.1:%d" % port
    with tempfile.TemporaryDirectory(ignore_cleanup_errors=True) as work:
        profile = sys.argv[2] if len(sys.argv) > 2 else os.path.join(work, "profile")
        storage = fill(profile, origin)
        server.shutdown()

        entries = cli(command, storage, "entries")
        listed = sorted(line.split("\t")[0] for line in entries.stdout.decode("latin-1").splitlines())
        put = sorted(origin + path for paths in CACHES.values() for path in paths)
        if entries.returncode != 0 or listed != put:
            problems.append("entries: exit %d, listed %s, put %s, stderr %s"
                            % (entries.returncode, listed, put, entries.stderr.decode("latin-1")))

        exported = os.path.join(work, "export")
        export = cli(command, storage, "export", "--to", exported)
        if export.returncode != 0:
            problems.append("export: exit %d: %s" % (export.returncode, export.stderr.decode("latin-1")))
        host = "127.0.0.1%%3a%d" % port
        for path in (path for paths in CACHES.values() for path in paths):
            _status, kind, _encoding, body = test_site_server.SITE[path]
            expected = rewritten_page(command, work, body, host + "/") if kind == "text/html" else body
            try:
                with open(os.path.join(exported, host) + path, "rb") as written:
                    if written.read() != expected:
                        problems.append("%s: exported bytes differ from the bytes served" % path)
            except OSError as error:
                problems.append("%s: not exported: %s" % (path, error))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
