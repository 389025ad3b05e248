#!/usr/bin/python3
"""Loads pages one after the other in WebKitGTK (through PyGObject) with a
fresh cache of its own, then waits until the cache's files stop changing:
WebKit writes a record about a second after its load.

usage: webkit_fill_cache.py CACHE-BASE [--proxy URL] URL...
The records land in CACHE-BASE/WebKitCache. Run under an X server (xvfb-run).
Exits 0 when every page loaded, 1 when one failed or the cache never settled."""
import os
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("WebKit2", "4.1")
from gi.repository import GLib, Gtk, WebKit2  # noqa: E402

SETTLE_CHECKS = 6     # this many looks half a second apart find the same files
TIMEOUT_MS = 120_000


def files_state(folder):
    state = []
    for parent, _folders, files in os.walk(folder):
        for name in files:
            try:
                status = os.stat(os.path.join(parent, name))
            except OSError:
                continue
            state.append((parent, name, status.st_size, status.st_mtime_ns))
    return sorted(state)


def main():
    arguments = sys.argv[1:]
    base, proxy = arguments.pop(0), None
    if arguments[:1] == ["--proxy"]:
        proxy = arguments[1]
        arguments = arguments[2:]
    pending = list(arguments)

    manager = WebKit2.WebsiteDataManager(base_cache_directory=base, base_data_directory=base + "-data")
    if proxy:
        manager.set_network_proxy_settings(WebKit2.NetworkProxyMode.CUSTOM,
                                           WebKit2.NetworkProxySettings.new(proxy, []))
    context = WebKit2.WebContext.new_with_website_data_manager(manager)
    context.set_cache_model(WebKit2.CacheModel.WEB_BROWSER)
    view = WebKit2.WebView.new_with_context(context)
    window = Gtk.OffscreenWindow()
    window.add(view)
    window.show_all()
    loop = GLib.MainLoop()
    outcome = {"failed": [], "settled": False}

    def settle(last):
        state = files_state(base)
        if state and state == last[0]:
            last[1] += 1
            if last[1] >= SETTLE_CHECKS:
                outcome["settled"] = True
                loop.quit()
                return False
        else:
            last[0], last[1] = state, 0
        GLib.timeout_add(500, settle, last)
        return False

    def load_next():
        if pending:
            view.load_uri(pending.pop(0))
        else:
            settle([None, 0])
        return False

    def changed(_view, event):
        if event == WebKit2.LoadEvent.FINISHED:
            GLib.timeout_add(300, load_next)

    def failed(_view, _event, uri, error):
        outcome["failed"].append("%s: %s" % (uri, error.message))
        return False

    view.connect("load-changed", changed)
    view.connect("load-failed", failed)
    GLib.timeout_add(TIMEOUT_MS, loop.quit)
    load_next()
    loop.run()
    for failure in outcome["failed"]:
        print("load failed: " + failure, file=sys.stderr)
    if not outcome["settled"]:
        print("the cache did not settle", file=sys.stderr)
    return 0 if outcome["settled"] and not outcome["failed"] else 1


if __name__ == "__main__":
    sys.exit(main())
