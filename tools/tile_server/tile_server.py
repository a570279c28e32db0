#!/usr/bin/env python3
"""A map tile server on 127.0.0.1 for tests and the demo.

It answers the address scheme of both map layers (/kh/... satellite, /vt/... overlay), the
service page that carries the satellite layer version, and files. A first path segment picks a
fault instead: /404/, /short/, /html/, /wrongtype/ (a JPEG where a PNG is due and the reverse),
/stall/ (answers after STALL_SECONDS), /endless/ (streams until ENDLESS_BYTES are sent),
/redirect/ (to the same address without the segment) and /goto/ (to the address that follows,
such as /goto/ftp://127.0.0.1:21/x). Three faults hit only one tile in every 3 x 3 block, those
whose x and y are both multiples of 3, and answer the others as usual: /slow/ (a satellite tile
that is a valid progressive JPEG of 20000 scans, seconds of decoding), /broken/ (tiles of both
layers that carry their mark but do not decode) and /lost/ (the connection closes unanswered).
A first segment /vN/ makes the service page carry version N instead of VERSION.

Satellite tiles are the JPEG files sat_0.jpg ... of TILE_FOLDER (the build's tiles/ folder),
picked by tile, and slow.jpg there is the /slow/ tile; without a folder they are stubs that
carry the JFIF mark but do not decode.

usage: tile_server.py [PORT [TILE_FOLDER]]   (PORT 0: any free port; the port is printed first)
"""

import http.server
import os
import re
import struct
import sys
import time
import zlib

VERSION_DOMAIN = "sat.tiles.local"
VERSION = 151
STALL_SECONDS = 20
ENDLESS_BYTES = 256 << 20
FAULTS = ("404", "short", "html", "wrongtype", "stall", "endless", "redirect", "goto", "slow",
          "broken", "lost")


def png_tile(seed):
    """A 256 x 256 RGBA PNG: transparent, with a see-through white tile edge and a yellow road
    whose place depends on the tile."""
    rows = []
    for y in range(256):
        row = bytearray(256 * 4)
        if y == 0:
            row[:] = b"\xff\xff\xff\x60" * 256
        row[0:4] = b"\xff\xff\xff\x60"
        for x in ((y + seed) % 256, (y + seed + 1) % 256):
            row[x * 4:x * 4 + 4] = b"\xf0\xd0\x40\xff"
        rows.append(b"\x00" + bytes(row))
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", 256, 256, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(b"".join(rows))) + chunk(b"IEND", b""))


def jfif_tile(seed):
    """Bytes that carry the JFIF mark of a satellite tile (not a decodable picture)."""
    app0 = b"\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"
    return b"\xff\xd8" + app0 + bytes((seed + i) % 251 for i in range(600)) + b"\xff\xd9"


def key_of(path):
    """The (x, y, z) of a tile address."""
    key = re.search(r"x=(\d+)(?:&s=)?&y=(\d+)&z=(\d+)", path)
    return tuple(int(v) for v in key.groups()) if key else (0, 0, 0)


def seed_of(path):
    """A number for the tile of a tile address, the same on every request."""
    x, y, z = key_of(path)
    return (x * 7 + y * 13 + z * 3) % 65536


def one_in_nine(path):
    """Whether a tile is the one of its 3 x 3 block that the one-tile faults hit."""
    x, y, _ = key_of(path)
    return (path.startswith("/kh/") or path.startswith("/vt/")) and x % 3 == 0 and y % 3 == 0


SATELLITE = []  # the pictures of the tile folder, when one was given
SLOW = []  # the /slow/ tile of the tile folder


def satellite_tile(seed):
    return SATELLITE[seed % len(SATELLITE)] if SATELLITE else jfif_tile(seed)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send(self, status, body, kind="application/octet-stream"):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        segments = self.path.split("/")
        version = VERSION
        if len(segments) > 1 and re.fullmatch(r"v\d+", segments[1]):
            version = int(segments[1][1:])
            segments = segments[:1] + segments[2:]
        fault = segments[1] if len(segments) > 2 and segments[1] in FAULTS else None
        path = "/" + "/".join(segments[2:]) if fault else "/".join(segments)
        if fault in ("slow", "broken", "lost") and not one_in_nine(path):
            fault = None
        if fault == "slow" and not path.startswith("/kh/"):
            fault = None  # the overlay of the slow tile is as usual
        if fault == "lost":
            self.close_connection = True
            return
        if fault == "broken":
            stub = jfif_tile(seed_of(path)) if path.startswith("/kh/") else b"\x89PNG" + b"\x07" * 300
            return self.send(200, stub)
        if fault == "slow":
            return self.send(200, SLOW[0] if SLOW else jfif_tile(seed_of(path)), "image/jpeg")
        if fault == "goto":
            self.send_response(302)
            self.send_header("Location", path[1:])
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if fault == "404":
            return self.send(404, b"<html><body>Not found" + b" " * 200 + b"</body></html>", "text/html")
        if fault == "short":
            return self.send(200, b"\x89PNG" + b"\x00" * 40)
        if fault == "html":
            return self.send(200, b"<html><body>" + b"Service unavailable " * 20 + b"</body></html>",
                             "text/html")
        if fault == "redirect":
            self.send_response(302)
            self.send_header("Location", path)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if fault == "stall":
            time.sleep(STALL_SECONDS)
        if fault == "endless":
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.end_headers()
            block = b"\x00" * 65536
            try:
                for _ in range(ENDLESS_BYTES // len(block)):
                    self.wfile.write(block)
            except (BrokenPipeError, ConnectionResetError):
                pass
            self.close_connection = True
            return
        wrong = fault == "wrongtype"
        if path.startswith("/kh/"):
            return self.send(200, png_tile(seed_of(path)) if wrong else satellite_tile(seed_of(path)),
                             "image/jpeg")
        if path.startswith("/vt/"):
            return self.send(200, jfif_tile(seed_of(path)) if wrong else png_tile(seed_of(path)), "image/png")
        if path.startswith("/file/"):
            return self.send(200, bytes(i % 256 for i in range(4096)))
        page = ('<html><head><script src="http://%s/kh?v=%d&amp;hl=en"></script></head></html>'
                % (VERSION_DOMAIN, version))
        return self.send(200, page.encode(), "text/html")


def main():
    port = int(sys.argv[1]) if len(sys.argv) > 1 else 0
    if len(sys.argv) > 2:
        names = sorted(n for n in os.listdir(sys.argv[2]) if re.fullmatch(r"sat_\d+\.jpg", n))
        for name in names:
            with open(os.path.join(sys.argv[2], name), "rb") as picture:
                SATELLITE.append(picture.read())
        slow = os.path.join(sys.argv[2], "slow.jpg")
        if os.path.exists(slow):
            with open(slow, "rb") as picture:
                SLOW.append(picture.read())
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
