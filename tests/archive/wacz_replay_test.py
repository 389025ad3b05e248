#!/usr/bin/env python3
"""A small site visited by real Chromium into a fresh cache, exported with
larkspool-cli export --wacz, and replayed by the replay tool in headless
Chromium with the site's own server gone: the page renders with its
stylesheet and image from the archive, and a link followed inside the replay
lands on the next page. A screenshot of the replay is kept beside the build.

usage: wacz_replay_test.py CLI REPLAY_PACKAGE_DIR SCREENSHOT
Exits 0 when every check passes, 1 otherwise, 77 (skipped) when Chromium or
the replay tool is not installed."""
import base64
import http.server
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "export"))
sys.path.insert(0, os.path.join(HERE, "..", "browsercache"))
from check_exported_site import Browser  # noqa: E402
from real_browser_cache_test import fill_chromium_cache  # noqa: E402

SKIPPED = 77


def png(width, height, rgb):
    """A plain PNG of one colour."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + bytes(rgb) * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


SITE = {
    "/index.html": ("text/html", b'<!doctype html><html><head><title>Lark index</title>'
                    b'<link rel="stylesheet" href="style.css"></head><body><h1>Larks</h1>'
                    b'<img id="lark" src="lark.png" width="40" height="30">'
                    b'<p><a id="next" href="next.html">next</a></p></body></html>'),
    "/next.html": ("text/html", b'<!doctype html><html><head><title>Lark next</title>'
                   b'<link rel="stylesheet" href="style.css"></head><body><h1>More larks</h1></body></html>'),
    "/style.css": ("text/css", b"h1 { color: rgb(12, 34, 56); }\n"),
    "/lark.png": ("image/png", png(40, 30, (200, 120, 40))),
}

# In the replayed page: its title, the stylesheet's colour on the heading,
# and whether the image loaded.
PAGE_FACTS = """JSON.stringify({
  location: location.href, title: document.title, ready: document.readyState === 'complete',
  color: document.querySelector('h1') ? getComputedStyle(document.querySelector('h1')).color : null,
  image: (i => i ? i.complete && i.naturalWidth === 40 : null)(document.getElementById('lark'))})"""


class SiteHandler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if self.path not in SITE:
            self.send_error(404)
            return
        kind, body = SITE[self.path]
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Cache-Control", "max-age=3600")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def replay_handler(files):
    """Serves the named files, answering Range requests as the replay tool
    reads the archive by ranges."""
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            path = self.path.split("?", 1)[0]
            if path not in files:
                self.send_error(404)
                return
            kind, data = files[path]
            if callable(data):
                data = data()
            start, end = 0, len(data) - 1
            ranged = self.headers.get("Range", "").startswith("bytes=")
            if ranged:
                first, _, last = self.headers["Range"][6:].partition("-")
                start = int(first) if first else max(0, len(data) - int(last))
                end = min(int(last), len(data) - 1) if first and last else len(data) - 1
            self.send_response(206 if ranged else 200)
            self.send_header("Content-Type", kind)
            self.send_header("Accept-Ranges", "bytes")
            if ranged:
                self.send_header("Content-Range", f"bytes {start}-{end}/{len(data)}")
            self.send_header("Content-Length", str(end - start + 1))
            if path.endswith("sw.js"):
                self.send_header("Service-Worker-Allowed", "/")
            self.end_headers()
            self.wfile.write(data[start:end + 1])

        def do_HEAD(self):
            self.do_GET()

        def log_message(self, *args):
            pass
    return Handler


def serve(handler):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def replayed_frames(browser):
    """The frames whose URL is a replayed page of the site, by page name."""
    frames, todo = {}, [browser.call("Page.getFrameTree", session=True)["frameTree"]]
    while todo:
        node = todo.pop()
        url = node["frame"]["url"]
        for page in ("index.html", "next.html"):
            if "mp_/" in url and url.endswith("/" + page):
                frames[page] = node["frame"]["id"]
        todo.extend(node.get("childFrames", []))
    return frames


def frame_facts(browser, frame):
    world = browser.call("Page.createIsolatedWorld", {"frameId": frame}, session=True)["executionContextId"]
    result = browser.call("Runtime.evaluate", {"expression": PAGE_FACTS, "returnByValue": True,
                                               "contextId": world}, session=True)
    return json.loads(result["result"]["value"])


def wait_for_page(browser, page, problems, timeout=60):
    """The facts of the replayed page once it has rendered whole; None, and a
    problem naming what was last seen, when it never did."""
    deadline = time.monotonic() + timeout
    facts = None
    while time.monotonic() < deadline:
        frame = replayed_frames(browser).get(page)
        if frame:
            try:
                facts = frame_facts(browser, frame)
                if facts["ready"] and facts["image"] is not False:
                    return facts
            except RuntimeError:
                pass  # the frame went while it was asked
        time.sleep(0.2)
    problems.append(f"the replay did not show {page} whole within {timeout} s: {facts}")
    return None


def main():
    cli, package, screenshot = sys.argv[1], sys.argv[2], sys.argv[3]
    tool = os.path.join(package, "node_modules", "replaywebpage")
    if not shutil.which("chromium"):
        print("chromium is not installed: skipped")
        return SKIPPED
    if not os.path.exists(os.path.join(tool, "sw.js")):
        print("the replay tool is not installed in the build folder (npm could not reach the registry?): skipped")
        return SKIPPED
    problems = []
    with tempfile.TemporaryDirectory() as work:
        site = serve(SiteHandler)
        origin = f"http://127.0.0.1:{site.server_address[1]}"
        cache = fill_chromium_cache(work, origin + "/index.html")
        fill_chromium_cache(work, origin + "/next.html")
        site.shutdown()  # the replay must come from the archive alone
        site.server_close()
        archive = os.path.join(work, "site.wacz")
        run = subprocess.run([cli, "--cache", cache, "export", "--wacz", archive], capture_output=True, text=True)
        if run.returncode != 0:
            print(f"export --wacz exited {run.returncode}: {run.stderr}")
            return 1

        embed = (f'<!doctype html><html><head><script src="/ui.js"></script></head><body style="margin:0">'
                 f'<replay-web-page style="height:600px;display:block" source="/site.wacz" '
                 f'url="{origin}/index.html" replaybase="/replay/" embed="replayonly"></replay-web-page>'
                 f'</body></html>').encode()
        read = lambda name: (lambda: open(os.path.join(tool, name), "rb").read())  # noqa: E731
        files = {"/": ("text/html", embed), "/ui.js": ("text/javascript", read("ui.js")),
                 "/replay/sw.js": ("text/javascript", read("sw.js")),
                 "/site.wacz": ("application/wacz", lambda: open(archive, "rb").read())}
        replay = serve(replay_handler(files))
        browser = Browser()
        try:
            browser.open(f"http://127.0.0.1:{replay.server_address[1]}/")
            facts = wait_for_page(browser, "index.html", problems)
            if facts:
                if facts["title"] != "Lark index":
                    problems.append(f"index.html replayed with title {facts['title']!r}")
                if facts["color"] != "rgb(12, 34, 56)":
                    problems.append(f"the stylesheet did not apply: heading colour {facts['color']}")
                if facts["image"] is not True:
                    problems.append("the image did not load in the replay")
                shot = browser.call("Page.captureScreenshot", {"format": "png"}, session=True)
                with open(screenshot, "wb") as file:
                    file.write(base64.b64decode(shot["data"]))
                frame = replayed_frames(browser)["index.html"]
                world = browser.call("Page.createIsolatedWorld", {"frameId": frame},
                                     session=True)["executionContextId"]
                browser.call("Runtime.evaluate", {"expression": "document.getElementById('next').click()",
                                                  "contextId": world}, session=True)
                landed = wait_for_page(browser, "next.html", problems)
                if landed and landed["title"] != "Lark next":
                    problems.append(f"the link inside the replay did not land on next.html: {landed}")
                elif landed and landed["color"] != "rgb(12, 34, 56)":
                    problems.append(f"next.html lost its stylesheet: {landed['color']}")
        finally:
            browser.close()
            replay.shutdown()
    for problem in problems:
        print("FAILED:", problem)
    if not problems:
        print("the archive replays: index.html with its stylesheet and image, and its link to next.html")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
