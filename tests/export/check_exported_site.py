#!/usr/bin/env python3
"""Opens every page of an exported site in headless Chromium and checks that
it browses offline: every link and image points at a file of the exported
tree, every image loads, and every redirect page lands on its default page.

usage: check_exported_site.py EXPORT_DIR [--redirect NAME ...] [--expect FILE]
With --expect (as make_offline_site.py writes it) the network is switched off
and every request a page makes is recorded: each subresource the page loads
on the web must load from the tree, and be the right file (the mark in its
bytes names its URL), and every link must land on the right page with its
fragment. Requests file:// cannot make are named in FILE with their reasons.
Chromium is driven over its DevTools pipe (fd 3 and 4), so nothing beyond the
standard library is needed. Exits 0 when every page passes, 1 otherwise.
"""
import json
import os
import re
import select
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse

CHROMIUM = os.environ.get("CHROMIUM", "/usr/bin/chromium")
SKIPPED_SCHEMES = ("mailto:", "ftp:", "javascript:")

# Collected in the page: where its links and images point, and which images loaded.
PAGE_FACTS = """(() => {
  const links = [...document.querySelectorAll('a[href]')].map(a => a.href);
  const styles = [...document.querySelectorAll('link[href]')].map(l => l.href);
  const images = [...document.images].map(i => ({src: i.src, loaded: i.complete && i.naturalWidth > 0}));
  const settled = document.readyState === 'complete' && [...document.images].every(i => i.complete);
  return JSON.stringify({location: location.href, settled, links, styles, images});
})()"""


def _move_pipe_ends(reading, writing):
    """In the child: the DevTools pipe ends become fds 3 and 4, inheritable
    (copied away first, so that neither is overwritten or keeps close-on-exec)."""
    reading, writing = os.dup(reading), os.dup(writing)
    os.dup2(reading, 3)
    os.dup2(writing, 4)


class Browser:
    def __init__(self, profile=None):
        # Chromium's helper processes may still write into the profile as it
        # goes; a profile given is the caller's, kept after the browser.
        self.profile = None if profile else tempfile.TemporaryDirectory(ignore_cleanup_errors=True)
        profile = profile or self.profile.name
        to_browser_r, self.to_browser = os.pipe()
        self.from_browser, from_browser_w = os.pipe()
        self.process = subprocess.Popen(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--allow-file-access-from-files", "--remote-debugging-pipe",
             "--user-data-dir=" + profile, "about:blank"],
            close_fds=False,  # the pipe ends are moved to fds 3 and 4 below
            preexec_fn=lambda: _move_pipe_ends(to_browser_r, from_browser_w),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.buffer = b""
        self.next_id = 0
        self.events = []
        self.network = []  # Network.* events, kept apart from what waits clear
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        self.call("Page.enable", session=True)

    def close(self):
        try:
            os.killpg(self.process.pid, signal.SIGKILL)  # the browser and its helpers
        except ProcessLookupError:
            pass
        self.process.wait()
        if self.profile:
            self.profile.cleanup()

    def send(self, method, params, session):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = self.session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        return self.next_id

    def receive(self, deadline):
        while b"\0" not in self.buffer:
            remaining = deadline - time.monotonic()
            if remaining <= 0 or not select.select([self.from_browser], [], [], remaining)[0]:
                raise TimeoutError("no answer from Chromium")
            chunk = os.read(self.from_browser, 65536)
            if not chunk:
                raise RuntimeError("Chromium closed its pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        message = json.loads(message)
        if message.get("method", "").startswith("Network."):
            self.network.append(message)
        return message

    def call(self, method, params=None, session=False, timeout=30):
        wanted = self.send(method, params, session)
        deadline = time.monotonic() + timeout
        while True:
            message = self.receive(deadline)
            if message.get("id") == wanted:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})
            self.events.append(message)

    def wait_for_load(self, timeout=30):
        deadline = time.monotonic() + timeout
        while True:
            for event in self.events:
                if event.get("method") == "Page.loadEventFired":
                    self.events.clear()
                    return
            self.events.clear()
            self.events.append(self.receive(deadline))

    def open(self, url):
        self.events.clear()
        self.call("Page.navigate", {"url": url}, session=True)
        self.wait_for_load()

    def facts(self, expression=PAGE_FACTS, timeout=15):
        # An evaluation that meets a navigation (a redirect landing) is asked again.
        deadline = time.monotonic() + timeout
        while True:
            try:
                result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True},
                                   session=True)
                return json.loads(result["result"]["value"])
            except RuntimeError as error:
                if "navigated" not in str(error) or time.monotonic() > deadline:
                    raise
                time.sleep(0.05)


def local_target(url, root):
    """The file a file:// URL names, or None when it leaves the tree."""
    parsed = urllib.parse.urlparse(url)
    if parsed.scheme != "file":
        return None
    path = urllib.parse.unquote_to_bytes(parsed.path)
    real = os.path.realpath(path)
    if not real.startswith(os.path.realpath(root).encode() + b"/"):
        return None
    return real


def settled_facts(browser, url, expression=PAGE_FACTS, timeout=15):
    """The facts of the page at url once it has loaded: a late load event of
    the page before (a redirect landing) must not pass for this one's."""
    deadline = time.monotonic() + timeout
    while True:
        facts = browser.facts(expression)
        if (facts["location"] == url and facts["settled"]) or time.monotonic() > deadline:
            return facts
        time.sleep(0.05)


def check_page(browser, root, page, problems):
    url = "file://" + urllib.parse.quote(page)
    browser.open(url)
    facts = settled_facts(browser, url)
    for url in facts["links"] + facts["styles"] + [image["src"] for image in facts["images"]]:
        if url.startswith(SKIPPED_SCHEMES):
            continue
        target = local_target(url, root)
        if target is None or not os.path.isfile(target):
            problems.append(f"{page}: {url} is not a file of the exported tree")
    for image in facts["images"]:
        if not image["loaded"]:
            problems.append(f"{page}: image {image['src']} did not load")


# Collected with --expect: the page's mark, what its links and srcset
# candidates point at, and what each must land on.
OFFLINE_FACTS = """(() => {
  const mark = document.querySelector('meta[name=mark]');
  const links = [...document.querySelectorAll('a[data-expect]')].map(a => ({url: a.href, expect: a.dataset.expect}));
  for (const m of document.querySelectorAll('meta[http-equiv=refresh][data-expect]')) {
    const target = m.content.split(/url=/i)[1] || '';
    links.push({url: new URL(target, document.baseURI).href, expect: m.dataset.expect});
  }
  const candidates = [...document.querySelectorAll('[srcset]')].flatMap(e =>
    e.getAttribute('srcset').split(',').map(c => new URL(c.trim().split(/\\s+/)[0], document.baseURI).href));
  return JSON.stringify({location: location.href, settled: document.readyState === 'complete',
                         mark: mark ? mark.content : null, links, candidates});
})()"""
MARK = re.compile(rb"mark:([^;]*);")


def mark_of(path):
    """The URL the file's mark names, or None."""
    with open(path, "rb") as file:
        found = MARK.search(file.read())
    return found.group(1).decode() if found else None


def page_mark_of(path):
    with open(path, "rb") as file:
        found = re.search(rb'<meta name="mark" content="([^"]*)">', file.read())
    return found.group(1).decode() if found else None


def requests_after_load(browser, quiet=0.5, timeout=15):
    """Every request of the page, once none has been made or ended for a while:
    requestId -> {url, type, finished, error}."""
    deadline = time.monotonic() + timeout
    last = time.monotonic()
    seen = 0
    while time.monotonic() < deadline:
        try:
            browser.receive(min(deadline, time.monotonic() + quiet))
        except TimeoutError:
            pass
        if len(browser.network) != seen:
            seen = len(browser.network)
            last = time.monotonic()
        elif time.monotonic() - last >= quiet:
            break
    requests = {}
    for event in browser.network:
        params = event["params"]
        if event["method"] == "Network.requestWillBeSent":
            requests[params["requestId"]] = {"url": params["request"]["url"], "type": params.get("type", ""),
                                             "finished": False, "error": None}
        elif params.get("requestId") in requests:
            if event["method"] == "Network.loadingFinished":
                requests[params["requestId"]]["finished"] = True
            elif event["method"] == "Network.loadingFailed":
                requests[params["requestId"]]["error"] = params.get("errorText", "failed")
    return requests


def is_excluded(request, excluded):
    """A request file:// cannot make (a script's fetch() of a file the site
    holds), or a srcset candidate the export cannot hold."""
    if request["type"] not in ("Fetch", "XHR", "candidate"):
        return None
    name = os.path.basename(urllib.parse.urlparse(request["url"]).path)
    for url, reason in excluded.items():
        if os.path.basename(urllib.parse.urlparse(url).path) == name:
            return reason
    return None


def check_offline_page(browser, root, page, expect, tally, problems):
    url = "file://" + urllib.parse.quote(page)
    browser.network.clear()
    browser.open(url)
    facts = settled_facts(browser, url, OFFLINE_FACTS)
    requests = requests_after_load(browser)
    wanted = expect.get(facts["mark"])
    if wanted is None:
        problems.append(f"{page}: no page of the site has the mark {facts['mark']}")
        return
    loaded = set()
    for request in requests.values():
        if request["url"].startswith("data:") or request["url"] == facts["location"]:
            continue
        if request["url"].startswith(("http:", "https:")):
            problems.append(f"{page}: {request['url']} leaves the export")
            continue
        reason = is_excluded(request, wanted["excluded"])
        if reason:
            tally["excluded"].add(f"{request['url']}: {reason}")
            continue
        target = local_target(request["url"], root)
        if not request["finished"] or target is None or not os.path.isfile(target):
            problems.append(f"{page}: {request['url']} did not load ({request['error']})")
            continue
        loaded.add(mark_of(target))
    for resource in wanted["loads"]:
        tally["loads"] += 1
        if resource in loaded:
            tally["loaded"] += 1
        else:
            problems.append(f"{page}: {resource} was not loaded from the export")
    for link in facts["links"]:
        tally["links"] += 1
        expected_page, _, fragment = link["expect"].partition("#")
        parsed = urllib.parse.urlparse(link["url"])
        target = local_target(link["url"], root)
        landed = target is not None and os.path.isfile(target) and page_mark_of(target) == expected_page
        if landed and parsed.fragment == fragment:
            tally["landed"] += 1
        else:
            problems.append(f"{page}: link {link['url']} does not land on {link['expect']}")
    for candidate in facts["candidates"]:
        target = local_target(candidate, root)
        if target is not None and os.path.isfile(target) and mark_of(target) is not None:
            continue
        reason = is_excluded({"type": "candidate", "url": candidate}, wanted["excluded"])
        if reason:
            tally["excluded"].add(f"{candidate}: {reason}")
        else:
            problems.append(f"{page}: srcset candidate {candidate} is not a file of the site")


def percent(part, whole):
    return f"{part}/{whole} ({100.0 * part / whole if whole else 100.0:.0f} %)"


def check_redirect(browser, page, problems):
    start = "file://" + urllib.parse.quote(page)
    browser.open(start)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        location = browser.facts()["location"]
        if location != start:
            if not os.path.isfile(urllib.parse.unquote(urllib.parse.urlparse(location).path)):
                problems.append(f"{page}: redirects to {location}, which is not there")
            return
        time.sleep(0.1)
    problems.append(f"{page}: redirect page did not move on")


def main():
    args = sys.argv[1:]
    if not args:
        print(__doc__, file=sys.stderr)
        return 2
    root = os.path.abspath(args[0])
    redirects = {args[i + 1].lower() for i in range(1, len(args) - 1) if args[i] == "--redirect"}
    expect_files = [args[i + 1] for i in range(1, len(args) - 1) if args[i] == "--expect"]
    expect = None
    if expect_files:
        with open(expect_files[0]) as file:
            expect = json.load(file)
    tally = {"loads": 0, "loaded": 0, "links": 0, "landed": 0, "excluded": set()}
    problems = []
    pages = 0
    browser = Browser()
    if expect is not None:
        browser.call("Network.enable", session=True)
        browser.call("Network.emulateNetworkConditions",
                     {"offline": True, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1}, session=True)
    try:
        for folder, _, files in sorted(os.walk(root)):
            for name in sorted(files):
                path = os.path.join(folder, name)
                if name.lower() in redirects:
                    check_redirect(browser, path, problems)
                elif name.lower().endswith((".htm", ".html")) and expect is not None:
                    check_offline_page(browser, root, path, expect, tally, problems)
                elif name.lower().endswith((".htm", ".html")):
                    check_page(browser, root, path, problems)
                else:
                    continue
                pages += 1
    finally:
        browser.close()
    for problem in problems:
        print(problem)
    if expect is not None:
        print(f"subresources loaded offline: {percent(tally['loaded'], tally['loads'])}")
        print(f"links landing on the right page: {percent(tally['landed'], tally['links'])}")
        for excluded in sorted(tally["excluded"]):
            print(f"excluded: {excluded}")
    print(f"{pages} pages checked, {len(problems)} problems")
    return 1 if problems or pages == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
