#!/usr/bin/env python3
"""A real browser loads the test site from 127.0.0.1 into a fresh cache of
its own; then larkspool-cli lists exactly the URLs the site served, exports
every body byte for byte as it was before its Content-Encoding (pages as the
rewriter makes them of the bytes served), turns the
cached 301 into a redirect page, refuses every write, and the exported site
browses offline in headless Chromium.

usage: real_browser_cache_test.py CLI chromium|chromium-blockfile|firefox|webkit
Exits 0 when every check passes, 1 otherwise, 77 (skipped) when the browser
or the encoders are not installed."""
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import test_site_server  # noqa: E402

SKIPPED = 77
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync"]
FIREFOX_PREFS = """user_pref("browser.cache.disk.enable", true);
user_pref("browser.cache.disk.smart_size.enabled", false);
user_pref("browser.cache.disk.capacity", 1048576);
user_pref("network.http.accept-encoding", "gzip, deflate, br, zstd");
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("app.update.enabled", false);
"""
REDIRECT_PAGE = (b'<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 3.2//EN">\r\n<HTML>\r\n<HEAD>\r\n'
                 b'<META HTTP-EQUIV="Refresh" CONTENT="0; URL=%s">\r\n'
                 b'<TITLE>Made by Larkspool</TITLE>\r\n</HEAD>\r\n</HTML>\r\n')


# Each browser writes where `caches` looks: below ~/.cache of a home of the test's own.
def fill_chromium_cache(work, url, backend_flags=()):
    cache = os.path.join(work, "home", ".cache", "chromium")
    subprocess.run([shutil.which("chromium")] + CHROMIUM_FLAGS + list(backend_flags) +
                   ["--user-data-dir=" + os.path.join(work, "profile"), "--disk-cache-dir=" + cache,
                    "--dump-dom", url],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120, check=True)
    return cache


def fill_firefox_cache(work, url):
    profile = os.path.join(work, "home", ".cache", "mozilla", "firefox", "test.default-esr")
    os.makedirs(profile)
    with open(os.path.join(profile, "user.js"), "w") as prefs:
        prefs.write(FIREFOX_PREFS)
    environment = dict(os.environ, HOME=os.path.join(work, "home"))
    subprocess.run([shutil.which("firefox-esr"), "--headless", "--no-remote", "--profile", profile,
                    "--screenshot", os.path.join(work, "shot.png"), url],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180, check=True, env=environment)
    return profile  # a profile folder: the cache below it is found by its files


# Chromium on Linux writes the simple cache unless told to write the
# blockfile cache of Chromium on Windows (index version 3.0).
def fill_chromium_blockfile_cache(work, url):
    return fill_chromium_cache(work, url, ["--enable-features=DiskCacheBackendExperiment:backend/blockfile"])


# WebKitGTK through PyGObject, which the system's own Python has.
SYSTEM_PYTHON = "/usr/bin/python3"


def webkit_missing():
    probe = subprocess.run([SYSTEM_PYTHON, "-c", "import gi; gi.require_version('WebKit2', '4.1'); "
                            "from gi.repository import WebKit2"], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL) if os.path.exists(SYSTEM_PYTHON) else None
    return [] if probe and probe.returncode == 0 else ["gir1.2-webkit2-4.1"]


def fill_webkit_cache(work, url, proxy=None):
    base = os.path.join(work, "home", ".cache", "webkit-test")
    subprocess.run([shutil.which("xvfb-run"), "-a", SYSTEM_PYTHON, os.path.join(HERE, "webkit_fill_cache.py"), base] +
                   (["--proxy", proxy] if proxy else []) + (url if isinstance(url, list) else [url]),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300, check=True,
                   env=dict(os.environ, HOME=os.path.join(work, "home")))
    return os.path.join(base, "WebKitCache")


# browser -> (program, fill, the format `caches` must name)
BROWSERS = {"chromium": ("chromium", fill_chromium_cache, "chromium-simple"),
            "chromium-blockfile": ("chromium", fill_chromium_blockfile_cache, "chromium-blockfile"),
            "firefox": ("firefox-esr", fill_firefox_cache, "firefox-cache2"),
            "webkit": ("xvfb-run", fill_webkit_cache, "webkit")}


# The codings WebKitGTK's network layer (libsoup 3) undoes, whatever it said
# it accepts; WebKit keeps a body as that layer handed it on.
WEBKIT_DECODED = ("gzip", "deflate", "br")


def stored_as_decoded(browser, encoding):
    """Whether the cache gives the body back as it was before its encoding."""
    return browser != "webkit" or encoding is None or encoding in WEBKIT_DECODED


def cli(command, cache, *args, environment=None):
    return subprocess.run([command, "--cache", cache] + list(args), stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=120, env=environment)


def rewritten_page(command, work, body, location):
    """What the export makes of a page: the body served, through the rewriter."""
    served, rewritten = os.path.join(work, "served.html"), os.path.join(work, "rewritten.html")
    with open(served, "wb") as page:
        page.write(body)
    subprocess.run([command, "rewrite", "--export", location, served, rewritten], check=True, timeout=60)
    with open(rewritten, "rb") as page:
        return page.read()


def main():
    command, browser = sys.argv[1], sys.argv[2]
    program, fill, expected_format = BROWSERS[browser]
    missing = [tool for tool in [program] if shutil.which(tool) is None] + test_site_server.encoders_missing()
    if browser == "webkit":
        missing += webkit_missing()
    if missing:
        print("skipped: not installed: " + " ".join(missing))
        return SKIPPED

    problems = []
    server, port = test_site_server.serve()
    origin = "http://127.0.0.1:%d" % port
    with tempfile.TemporaryDirectory() as work:
        cache = fill(work, origin + "/index.html")
        server.shutdown()

        # Exactly the URLs served with a body or a redirect; the browser's
        # 404 for the favicon is no page.
        entries = cli(command, cache, "entries")
        listed = sorted(line.split("\t")[0] for line in entries.stdout.decode("latin-1").splitlines())
        # Firefox keeps no entry for a 301 it followed; Chromium does.
        kept = {path: answer for path, answer in test_site_server.SITE.items()
                if answer[0] != 301 or browser != "firefox"}
        served = sorted(origin + path for path in kept)
        if entries.returncode != 0 or listed != served:
            problems.append("entries: exit %d, listed %s, served %s, stderr %s"
                            % (entries.returncode, listed, served, entries.stderr.decode("latin-1")))

        # A blockfile cache copied without its index still lists every entry.
        if browser == "chromium-blockfile":
            copied = os.path.join(work, "without-index")
            shutil.copytree(cache, copied)
            for folder, _folders, files in os.walk(copied):
                if "data_0" in files:
                    os.remove(os.path.join(folder, "index"))
            unindexed = cli(command, copied, "entries")
            found = sorted(line.split("\t")[0] for line in unindexed.stdout.decode("latin-1").splitlines())
            if unindexed.returncode != 0 or found != listed:
                problems.append("entries without the index: exit %d, listed %s" % (unindexed.returncode, found))

        exported = os.path.join(work, "export")
        export = cli(command, cache, "export", "--to", exported)
        if export.returncode != 0:
            problems.append("export: exit %d: %s" % (export.returncode, export.stderr.decode("latin-1")))
        host = "127.0.0.1%%3a%d" % port
        site = os.path.join(exported, host)
        for path, (status, target, encoding, body) in kept.items():
            if not stored_as_decoded(browser, encoding):
                body = test_site_server.ENCODERS[encoding](body)
            if status == 301:
                expected = REDIRECT_PAGE % target.lstrip("/").encode()
            elif target.startswith("text/html"):
                expected = rewritten_page(command, work, body, host + "/")
            else:
                expected = body
            try:
                with open(site + path, "rb") as written:
                    if written.read() != expected:
                        problems.append("%s: exported bytes differ from the bytes served" % path)
            except OSError as error:
                problems.append("%s: not exported: %s" % (path, error))

        for refused in (["remove", origin + "/index.html"],
                        ["add", origin + "/x.html", os.path.join(HERE, "test_site_server.py")],
                        ["import", "--from", exported],
                        ["export", "--to", os.path.join(work, "moved"), "--move", "--yes"]):
            run = cli(command, cache, *refused)
            if run.returncode != 1 or b"this cache is read-only" not in run.stderr:
                problems.append("%s: exit %d, stderr %s" % (refused[0], run.returncode, run.stderr))

        home = dict(os.environ, HOME=os.path.join(work, "home"))
        home.pop("LARKSPOOL_CACHE", None)
        home.pop("WINEPREFIX", None)
        found = cli(command, cache, "caches", environment=home).stdout.decode("latin-1").splitlines()
        fields = found[0].split("\t") if len(found) == 1 else []
        if fields[1:] != [expected_format, str(len(kept))] or not fields[0].startswith(home["HOME"]):
            problems.append("caches: %s" % found)

        browse = subprocess.run([sys.executable, os.path.join(HERE, "..", "export", "check_exported_site.py"),
                                 exported], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
        if browse.returncode != 0:
            problems.append("offline browsing: " + browse.stdout.decode("latin-1"))

    for problem in problems:
        print("FAIL " + problem)
    print("%s: %d problems" % (browser, len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
