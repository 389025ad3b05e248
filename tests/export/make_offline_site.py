#!/usr/bin/env python3
"""Writes the offline test site: two host names (one with a port), query
assets that share a file name, srcset, stylesheets with url(), @font-face and
@import, a <base>, fragments, style blocks and attributes. Every file carries
a mark (mark:URL;) so that a wrong file cannot pass for the right one.

usage: make_offline_site.py DIR
Writes DIR/files/..., DIR/urls.tsv (URL, file: what a cache holds) and
DIR/expect.json (per page URL: the subresources a browser loads, the links
and where each must land, the requests file:// cannot make and why).
"""
import json
import os
import sys

A = "http://a.test"
B = "http://b.test:8771"
GIF = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00\x00,"
       b"\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")


def svg(url):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="4" height="4"><rect width="4" height="4"/>'
            f'<!-- mark:{url}; --></svg>').encode()


def mark(url):
    return f"mark:{url};"


def page(url, head, body):
    return (f'<!DOCTYPE html>\n<html><head><meta charset="utf-8"><meta name="mark" content="{url}">\n'
            f"<title>{url}</title>\n{head}</head>\n<body>{body}</body></html>\n").encode()


def link(href, expect):
    return f'<a href="{href}" data-expect="{expect}">{href}</a> '


# URL -> (file name, bytes). The file's extension is the type a server gives.
SITE = {}
# page URL -> {"loads": [...], "excluded": {url: reason}}
EXPECT = {}


def image(url, name=None):
    if name is None:
        name = url.rsplit("/", 1)[1].split("?")[0]
    if name.endswith(".gif"):
        SITE[url] = (name, GIF + mark(url).encode())
    else:
        SITE[url] = (name, svg(url))
    return url


def add_page(url, name, head, body, loads, excluded=None):
    SITE[url] = (name, page(url, head, body))
    EXPECT[url] = {"loads": loads, "excluded": excluded or {}}


def build():
    # Stylesheets: root-relative, relative, absolute and protocol-relative
    # url()s, a font, both @import forms, a query on the sheet itself.
    main_css = A + "/css/main.css?v=3"
    SITE[main_css] = ("main.css", (
        f'@import "/css/more.css";\n@import url(//b.test:8771/css/import-url.css);\n'
        f'@font-face {{ font-family: Mark; src: url(/fonts/mark.woff2?v=1) format("woff2"); }}\n'
        f'body {{ font-family: Mark, sans-serif; }}\n'
        f'.bg {{ background: url(../img/bg.svg); }}\n'
        f'.abs {{ background: url("http://a.test/img/abs.svg"); }}\n'
        f".proto {{ background: url('//b.test:8771/img/proto.svg'); }}\n"
        f'.q {{ background: url(/img/q.php?id=9); }}\n'
        f'/* url(/img/commented-out.svg) {mark(main_css)} */\n').encode())
    SITE[A + "/css/more.css"] = ("more.css", f".more {{ background: url(/img/more.svg) }} /* {mark(A + '/css/more.css')} */".encode())
    SITE[B + "/css/import-url.css"] = ("import-url.css", f".iu {{ background: url(/img/iu.svg) }} /* {mark(B + '/css/import-url.css')} */".encode())
    SITE[B + "/css/b.css"] = ("b.css", f".b {{ background: url(port-bg.svg) }} /* {mark(B + '/css/b.css')} */".encode())
    SITE[A + "/fonts/mark.woff2?v=1"] = ("mark.woff2", b"wOF2" + mark(A + "/fonts/mark.woff2?v=1").encode())
    SITE[A + "/js/app.js"] = ("app.js", (
        f"// {mark(A + '/js/app.js')}\nfetch('/data/items.json').catch(() => {{}});\n").encode())
    SITE[A + "/data/items.json"] = ("items.json", f'{{"mark": "{mark(A + "/data/items.json")}"}}'.encode())
    for url in ["/img/bg.svg", "/img/abs.svg", "/img/more.svg", "/img/style-block.svg", "/img/style-attr.svg",
                "/img/small.svg", "/img/large.svg", "/img/pic.svg", "/img/poster.svg", "/img/object.svg",
                "/img/svg-image.svg", "/img/xlink.svg", "/docs/diagram.svg"]:
        image(A + url)
    for url in ["/img/proto.svg", "/img/iu.svg", "/img/port.svg", "/css/port-bg.svg"]:
        image(B + url)
    # Three query assets that the catalogue stores as thumb.gif, thumb(1).gif, thumb(2).gif.
    for n in (1, 2, 3):
        image(f"{A}/img/thumb.php?id={n}", f"thumb{n}.gif")
    image(A + "/img/q.php?id=9", "q.gif")

    index_loads = [
        main_css, A + "/css/more.css", B + "/css/import-url.css", B + "/css/b.css", A + "/fonts/mark.woff2?v=1",
        A + "/js/app.js", A + "/img/bg.svg", A + "/img/abs.svg", B + "/img/proto.svg", A + "/img/q.php?id=9",
        A + "/img/more.svg", B + "/img/iu.svg", B + "/css/port-bg.svg", A + "/img/style-block.svg",
        A + "/img/style-attr.svg", A + "/img/thumb.php?id=1", A + "/img/thumb.php?id=2", A + "/img/thumb.php?id=3",
        A + "/img/small.svg", A + "/img/pic.svg", B + "/img/port.svg", A + "/img/poster.svg", A + "/img/object.svg",
        A + "/img/svg-image.svg", A + "/img/xlink.svg",
    ]
    add_page(A + "/", "index.html",
             '<link rel="stylesheet" href="/css/main.css?v=3">\n'
             '<link rel="stylesheet" href="//b.test:8771/css/b.css">\n'
             '<style>.sb { background: url("/img/style-block.svg"); }</style>\n'
             '<script src="/js/app.js"></script>\n',
             '<h1 id="top">a.test</h1>\n'
             '<div class="bg">.</div> <div class="abs">.</div> <div class="proto">.</div> <div class="q">.</div>'
             '<div class="more">.</div> <div class="iu">.</div> <div class="b">.</div> <div class="sb">.</div>\n'
             "<div style=\"background-image: url('/img/style-attr.svg')\">.</div>\n"
             '<img src="/img/thumb.php?id=1"> <img src="/img/thumb.php?id=2"> <img src="/img/thumb.php?id=3">\n'
             '<img srcset="/img/small.svg 1x, /img/large.svg 2x" src="/img/small.svg" alt="s">\n'
             '<picture><source srcset="/img/pic.svg" type="image/svg+xml"><img src="/img/thumb.php?id=1"></picture>\n'
             '<img src="http://b.test:8771/img/port.svg"> <video poster="/img/poster.svg" width="4" height="4"></video>\n'
             '<object data="/img/object.svg" type="image/svg+xml" width="4" height="4"></object>\n'
             '<svg width="8" height="8" xmlns:xlink="http://www.w3.org/1999/xlink">'
             '<image href="/img/svg-image.svg" width="4" height="4"/>'
             '<image xlink:href="/img/xlink.svg" x="4" width="4" height="4"/></svg>\n<p>'
             + link("/shop/item.php?id=7", A + "/shop/item.php?id=7")
             + link("shop/item.php?id=8", A + "/shop/item.php?id=8")
             + link("http://b.test:8771/", B + "/")
             + link("/news/#latest", A + "/news/#latest")
             + link("docs/guide.html", A + "/docs/guide.html")
             + link("based.html", A + "/based.html")
             + link("#top", A + "/#top")
             + "</p>\n<p>page 2</p> <p>other host</p>\n",
             index_loads,
             {A + "/data/items.json": "a script's fetch() is refused by the browser for file:// pages"})
    add_page(A + "/shop/item.php?id=7", "item7.htm", "", link("/", A + "/") + link("item.php?id=8", A + "/shop/item.php?id=8"), [])
    add_page(A + "/shop/item.php?id=8", "item8.htm", "", link("../", A + "/") + link("?id=7", A + "/shop/item.php?id=7"), [])
    add_page(A + "/news/", "news.htm", "", '<h2 id="latest">latest</h2>' + link("#latest", A + "/news/#latest")
             + link("/", A + "/"), [])
    add_page(A + "/docs/guide.html", "guide.html", "", link("../", A + "/") + link("/news/", A + "/news/"), [])
    # A <base> on another host: its relative links resolve there.
    add_page(A + "/based.html", "based.html", '<base href="http://a.test/docs/">\n',
             '<img src="diagram.svg">' + link("guide.html", A + "/docs/guide.html") + link("/", A + "/"),
             [A + "/docs/diagram.svg"])
    add_page(B + "/", "b-index.html",
             '<meta http-equiv="refresh" content="3600; url=http://a.test/news/" data-expect="http://a.test/news/">\n',
             '<img src="/img/port.svg">' + link("http://a.test/", A + "/") + link("//a.test/#top", A + "/#top"),
             [B + "/img/port.svg"])


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    out = sys.argv[1]
    build()
    os.makedirs(os.path.join(out, "files"), exist_ok=True)
    with open(os.path.join(out, "urls.tsv"), "w") as urls:
        for n, (url, (name, data)) in enumerate(sorted(SITE.items())):
            path = os.path.join(out, "files", f"{n:02d}-{name}")
            with open(path, "wb") as file:
                file.write(data)
            urls.write(f"{url}\t{path}\n")
    with open(os.path.join(out, "expect.json"), "w") as expect:
        json.dump(EXPECT, expect, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
