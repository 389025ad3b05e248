#!/usr/bin/env python3
"""Headless Chromium plays two sounds from a local server that answers Range
requests, so that it caches them by byte ranges: one read through at once,
whole; one sent slowly and sought far into, so that its middle is never
fetched. larkspool-cli then reports the first "ok" and exports it byte for
byte, and reports the second "partial: N of M bytes", exported at its full
length with the bytes served where the cache holds them and zeros between.

usage: real_media_cache_test.py CLI chromium|chromium-blockfile
Exits 0 when every check passes, 1 otherwise, 77 (skipped) when chromium is
not installed."""
import hashlib
import http.server
import io
import json
import os
import re
import shutil
import sys
import tempfile
import threading
import time
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from real_browser_cache_test import SKIPPED, cli, fill_chromium_cache  # noqa: E402

BLOCKFILE = ["--enable-features=DiskCacheBackendExperiment:backend/blockfile"]
RATE = 8000  # 16-bit mono: 16000 bytes a second


def sound(seconds):
    """A WAV file whose samples hold no zero byte, so that a zero in an
    export is a byte the cache does not hold."""
    out = io.BytesIO()
    with wave.open(out, "wb") as file:
        file.setnchannels(1)
        file.setsampwidth(2)
        file.setframerate(RATE)
        length = seconds * RATE * 2
        file.writeframes((bytes(range(1, 256)) * (length // 255 + 1))[:length])
    return out.getvalue()


WHOLE = sound(10)
# Long enough that a seek near its end is a request of its own, not a wait
# for the first one to get there.
SOUGHT = sound(500)
PAGE = (b'<html><head><link rel="icon" href="data:,"></head><body>'
        b'<audio src="whole.wav" preload="auto"></audio>'
        b'<audio id="far" src="sought.wav" preload="auto" autoplay></audio>'
        b'<script>far.addEventListener("loadedmetadata", () => { far.currentTime = 400; });</script>'
        b'</body></html>')
SOUNDS = {"/whole.wav": (WHOLE, 0), "/sought.wav": (SOUGHT, 0.25)}  # path -> (bytes, seconds per 16 KiB sent)


class Handler(http.server.BaseHTTPRequestHandler):
    # Chromium keeps ranges only of an HTTP/1.1 answer with a strong validator.
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        if self.path not in SOUNDS:
            self.answer(200, {"Content-Type": "text/html"}, PAGE)
            return
        body, pause = SOUNDS[self.path]
        headers = {"Content-Type": "audio/wav", "Accept-Ranges": "bytes", "ETag": '"%d"' % len(body),
                   "Cache-Control": "public, max-age=3600", "Last-Modified": "Tue, 01 Dec 2026 10:20:30 GMT"}
        asked = re.fullmatch(r"bytes=(\d+)-(\d*)", self.headers.get("Range", ""))
        if not asked:
            self.answer(200, headers, body, pause)
            return
        first = int(asked.group(1))
        last = min(int(asked.group(2) or len(body) - 1), len(body) - 1)
        headers["Content-Range"] = "bytes %d-%d/%d" % (first, last, len(body))
        self.answer(206, headers, body[first:last + 1], pause)

    def answer(self, status, headers, body, pause=0):
        self.send_response(status)
        for name, value in dict(headers, **{"Content-Length": str(len(body))}).items():
            self.send_header(name, value)
        self.end_headers()
        try:
            for at in range(0, len(body), 16384):
                self.wfile.write(body[at:at + 16384])
                self.wfile.flush()
                time.sleep(pause)
        except OSError:
            pass  # the player moved on

    def log_message(self, *args):
        pass


def report_rows(command, cache):
    run = cli(command, cache, "report", "--format", "jsonl")
    return run.returncode, {row["url"]: row for row in map(json.loads, run.stdout.decode().splitlines())}


def main():
    command, browser = sys.argv[1], sys.argv[2]
    if shutil.which("chromium") is None:
        print("skipped: not installed: chromium")
        return SKIPPED
    # The player fetches in its own time, which a loaded machine stretches
    # past the browser's run now and then: a failed try is made once more,
    # and both tries' problems are printed.
    for attempt in (1, 2):
        problems = play_and_check(command, browser)
        for problem in problems:
            print("FAIL " + problem)
        print("%s media, try %d: %d problems" % (browser, attempt, len(problems)))
        if not problems:
            return 0
    return 1


def play_and_check(command, browser):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    origin = "http://127.0.0.1:%d" % server.server_address[1]
    problems = []
    with tempfile.TemporaryDirectory() as work:
        # The page's load does not wait for the sounds: the run lasts long
        # enough for the player to fetch some of each.
        cache = fill_chromium_cache(work, origin + "/index.html", (BLOCKFILE if browser == "chromium-blockfile" else [])
                                    + ["--autoplay-policy=no-user-gesture-required", "--timeout=8000"])
        server.shutdown()

        status, rows = report_rows(command, cache)
        held = None
        whole, sought = rows.get(origin + "/whole.wav"), rows.get(origin + "/sought.wav")
        if status != 0 or not whole or not sought:
            problems.append("report: exit %d, urls %s" % (status, sorted(rows)))
        else:
            if (whole["state"], whole["sha256"]) != ("ok", hashlib.sha256(WHOLE).hexdigest()):
                problems.append("whole.wav: %s, sha256 %s" % (whole["state"], whole["sha256"]))
            held = re.fullmatch(r"partial: (\d+) of %d bytes" % len(SOUGHT), sought["state"])
            if not held or int(held.group(1)) >= len(SOUGHT) or sought["stored_size"] != int(held.group(1)):
                problems.append("sought.wav: %s, stored size %s" % (sought["state"], sought["stored_size"]))

        exported = os.path.join(work, "export")
        export = cli(command, cache, "export", "--to", exported)
        if export.returncode != 0:
            problems.append("export: exit %d: %s" % (export.returncode, export.stderr.decode("latin-1")))
        site = os.path.join(exported, "127.0.0.1%%3a%d" % server.server_address[1])
        try:
            with open(os.path.join(site, "whole.wav"), "rb") as file:
                if file.read() != WHOLE:
                    problems.append("whole.wav: exported bytes differ from the bytes served")
            with open(os.path.join(site, "sought.wav"), "rb") as file:
                written = file.read()
            same = sum(1 for mine, theirs in zip(written, SOUGHT) if mine == theirs)
            others = sum(1 for mine, theirs in zip(written, SOUGHT) if mine not in (theirs, 0))
            if len(written) != len(SOUGHT) or others or not held or same != int(held.group(1)):
                problems.append("sought.wav: %d bytes exported, %d as served, %d neither served nor zero"
                                % (len(written), same, others))
        except OSError as error:
            problems.append("not exported: %s" % error)

    return problems


if __name__ == "__main__":
    sys.exit(main())
