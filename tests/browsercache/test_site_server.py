#!/usr/bin/env python3
"""A tiny site on 127.0.0.1 for the browser cache tests: one page that pulls
in every other resource (frames, style, script, image), each kept in the
cache for an hour, with bodies sent plain, gzip, deflate, br and zstd, a
cached 301 and a Shift-JIS page.

As a module: SITE (path -> (status, headers, body before encoding)) and
serve() -> (server, port). Run alone it serves until killed and prints its
port."""
import gzip
import http.server
import shutil
import subprocess
import threading
import zlib

SJIS_PAGE = ("<html><head><meta charset=\"Shift_JIS\"><title>日本語のページ</title></head>"
             "<body><p>ｷｬｯｼｭのﾃｽﾄ: 漢字とかな</p><a href=\"index.html\">戻る</a></body></html>\n").encode("shift_jis")

PNG_1X1 = bytes.fromhex(
    "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
    "1f15c4890000000d49444154789c6360f80f000001010100a5f6453b0000000049454e44ae426082")

INDEX_PAGE = b"""<!DOCTYPE html>
<html><head><title>Cache test site</title>
<link rel="stylesheet" href="style.css">
<script src="script.js"></script>
</head><body>
<h1>Cache test site</h1>
<img src="logo.png" alt="logo">
<p><a href="gzip.html">gzip</a> <a href="sjis.html">sjis</a> <a href="notes.txt">notes</a></p>
<iframe src="gzip.html"></iframe>
<iframe src="sjis.html"></iframe>
<iframe src="old.html"></iframe><!-- no link: Firefox keeps no 301 -->
<iframe src="notes.txt"></iframe>
</body></html>
"""

GZIP_PAGE = b"<html><head><title>gzip page</title></head><body>" + b"<p>compressed with gzip</p>" * 200 + \
    b"<a href=\"index.html\">home</a></body></html>\n"
TARGET_PAGE = b"<html><head><title>Moved here</title></head><body><a href=\"index.html\">home</a></body></html>\n"
STYLE = b"body { font-family: sans-serif; }\n" + b"p { margin: 0 0 1em 0; }\n" * 100
SCRIPT = b"document.addEventListener('DOMContentLoaded', () => { document.title += ''; });\n" + \
    b"// zstd filler line\n" * 100
NOTES = b"plain notes sent with deflate\n" * 100


def _tool(args, data):
    return subprocess.run(args, input=data, stdout=subprocess.PIPE, check=True).stdout


ENCODERS = {
    "gzip": lambda data: gzip.compress(data),
    "deflate": lambda data: zlib.compress(data),
    "br": lambda data: _tool(["brotli", "-c"], data),
    "zstd": lambda data: _tool(["zstd", "-q", "-c"], data),
}

HOUR = "public, max-age=3600"

# path -> (status, content type or redirect target, encoding, body before encoding)
SITE = {
    "/index.html": (200, "text/html", None, INDEX_PAGE),
    "/style.css": (200, "text/css", "br", STYLE),
    "/script.js": (200, "text/javascript", "zstd", SCRIPT),
    "/logo.png": (200, "image/png", None, PNG_1X1),
    "/gzip.html": (200, "text/html", "gzip", GZIP_PAGE),
    "/sjis.html": (200, "text/html; charset=Shift_JIS", None, SJIS_PAGE),
    "/notes.txt": (200, "text/plain", "deflate", NOTES),
    "/old.html": (301, "/target.html", None, b""),
    "/target.html": (200, "text/html", None, TARGET_PAGE),
}


def encoders_missing():
    return [tool for tool in ("brotli", "zstd") if shutil.which(tool) is None]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        path = self.path.split("?")[0]
        if path == "/":
            path = "/index.html"
        if path not in SITE:
            self.send_response(404)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        status, kind, encoding, body = SITE[path]
        self.send_response(status)
        self.send_header("Cache-Control", HOUR)
        self.send_header("Last-Modified", "Tue, 01 Dec 2026 10:20:30 GMT")
        if status == 301:
            note = b"<html><body>Moved to <a href=\"%s\">here</a></body></html>" % kind.encode()
            self.send_header("Location", kind)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(note)))
            self.end_headers()
            self.wfile.write(note)
            return
        sent = ENCODERS[encoding](body) if encoding else body
        self.send_header("Content-Type", kind)
        if encoding:
            self.send_header("Content-Encoding", encoding)
        self.send_header("Content-Length", str(len(sent)))
        self.end_headers()
        self.wfile.write(sent)

    def log_message(self, *args):
        pass


def serve():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, server.server_address[1]


if __name__ == "__main__":
    server, port = serve()
    print(port, flush=True)
    threading.Event().wait()
