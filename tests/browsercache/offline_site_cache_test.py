#!/usr/bin/env python3
"""The offline test site (tests/export/make_offline_site.py) served from
127.0.0.1 under its two host names and visited page by page by a real browser
into a fresh cache; larkspool-cli exports that cache, and the export is
opened via file:// with the network off and checked request by request
(check_exported_site.py --expect).

usage: offline_site_cache_test.py CLI chromium|chromium-blockfile|firefox|webkit
Exits 0 when every check passes, 1 otherwise, 77 (skipped) when the browser
is not installed."""
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading

HERE = os.path.dirname(os.path.abspath(__file__))
EXPORT_TESTS = os.path.join(HERE, "..", "export")
sys.path.insert(0, EXPORT_TESTS)
sys.path.insert(0, HERE)
import make_offline_site  # noqa: E402
from real_browser_cache_test import CHROMIUM_FLAGS, FIREFOX_PREFS, fill_webkit_cache, webkit_missing  # noqa: E402

SKIPPED = 77
TYPES = {".html": "text/html", ".htm": "text/html", ".css": "text/css", ".svg": "image/svg+xml",
         ".gif": "image/gif", ".woff2": "font/woff2", ".js": "text/javascript", ".json": "application/json"}


class Handler(http.server.BaseHTTPRequestHandler):
    """Answers for both host names, asked directly (Chromium maps the names to
    this server) or as a proxy (Firefox sends the whole URL)."""

    def do_GET(self):
        url = self.path if self.path.startswith("http://") else "http://" + self.headers["Host"] + self.path
        url = url.replace("http://a.test:80/", "http://a.test/")
        if url not in make_offline_site.SITE:
            self.send_response(404)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        name, body = make_offline_site.SITE[url]
        self.send_response(200)
        self.send_header("Content-Type", TYPES[os.path.splitext(name)[1]])
        self.send_header("Cache-Control", "max-age=3600")
        self.send_header("Last-Modified", "Tue, 01 Dec 2026 10:20:30 GMT")
        self.send_header("Access-Control-Allow-Origin", "*")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def visit_with_chromium(work, port, urls, backend_flags=()):
    cache = os.path.join(work, "home", ".cache", "chromium")
    rules = f"MAP a.test:80 127.0.0.1:{port}, MAP b.test:8771 127.0.0.1:{port}"
    for url in urls:
        subprocess.run([shutil.which("chromium")] + CHROMIUM_FLAGS + list(backend_flags) +
                       ["--user-data-dir=" + os.path.join(work, "profile"), "--disk-cache-dir=" + cache,
                        "--host-resolver-rules=" + rules, "--virtual-time-budget=3000", "--dump-dom", url],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120, check=True)
    return cache


def visit_with_firefox(work, port, urls):
    profile = os.path.join(work, "home", ".cache", "mozilla", "firefox", "test.default-esr")
    os.makedirs(profile)
    with open(os.path.join(profile, "user.js"), "w") as prefs:
        prefs.write(FIREFOX_PREFS + f"""user_pref("network.proxy.type", 1);
user_pref("network.proxy.http", "127.0.0.1");
user_pref("network.proxy.http_port", {port});
user_pref("network.proxy.no_proxies_on", "");
user_pref("network.proxy.allow_hijacking_localhost", true);
""")
    environment = dict(os.environ, HOME=os.path.join(work, "home"))
    for url in urls:
        subprocess.run([shutil.which("firefox-esr"), "--headless", "--no-remote", "--profile", profile,
                        "--screenshot", os.path.join(work, "shot.png"), url],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180, check=True,
                       env=environment)
    return profile


# The blockfile cache of Chromium on Windows, which Chromium writes on Linux too when asked.
def visit_with_chromium_blockfile(work, port, urls):
    return visit_with_chromium(work, port, urls, ["--enable-features=DiskCacheBackendExperiment:backend/blockfile"])


# WebKitGTK asks the server as its proxy, for both host names.
def visit_with_webkit(work, port, urls):
    return fill_webkit_cache(work, urls, proxy="http://127.0.0.1:%d" % port)


BROWSERS = {"chromium": ("chromium", visit_with_chromium),
            "chromium-blockfile": ("chromium", visit_with_chromium_blockfile),
            "firefox": ("firefox-esr", visit_with_firefox),
            "webkit": ("xvfb-run", visit_with_webkit)}


def main():
    command, browser = sys.argv[1], sys.argv[2]
    program, visit = BROWSERS[browser]
    missing = [program] if shutil.which(program) is None else []
    if browser == "webkit":
        missing += webkit_missing()
    if missing:
        print("skipped: not installed: " + " ".join(missing))
        return SKIPPED
    make_offline_site.build()
    # A browser fetches one srcset candidate; the others never reach its cache.
    make_offline_site.EXPECT[make_offline_site.A + "/"]["excluded"][make_offline_site.A + "/img/large.svg"] = (
        "the 2x candidate is not fetched at device pixel ratio 1, so the browser's cache does not hold it")
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    with tempfile.TemporaryDirectory() as work:
        try:
            cache = visit(work, server.server_address[1], sorted(make_offline_site.EXPECT))
        finally:
            server.shutdown()
        exported = os.path.join(work, "export")
        export = subprocess.run([command, "--cache", cache, "export", "--to", exported], stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, timeout=120)
        if export.returncode != 0:
            print("FAIL export: " + export.stdout.decode("latin-1"))
            return 1
        expect = os.path.join(work, "expect.json")
        with open(expect, "w") as file:
            json.dump(make_offline_site.EXPECT, file)
        browse = subprocess.run([sys.executable, os.path.join(EXPORT_TESTS, "check_exported_site.py"), exported,
                                 "--expect", expect], timeout=300)
        print(f"{browser}: {'passed' if browse.returncode == 0 else 'FAILED'}")
        return 0 if browse.returncode == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
