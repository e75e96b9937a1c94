#!/usr/bin/env python3
"""Answers the HTTP client tests: what a request looked like, error pages, long bodies, redirects."""

import http.server
import json
import sys


class Handler(http.server.BaseHTTPRequestHandler):
    def answer(self, status, body, extra=()):
        self.send_response(status)
        for name, value in extra:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def handle_any(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        if self.path == "/echo":
            seen = {"method": self.command, "content_length": self.headers.get("Content-Length"),
                    "content_type": self.headers.get("Content-Type"), "accept": self.headers.get("Accept"),
                    "body": body.decode("latin-1")}
            self.answer(200, json.dumps(seen).encode())
        elif self.path == "/missing":
            self.answer(404, b"no such page here")
        elif self.path == "/big":
            self.answer(200, b"x" * 200000)
        elif self.path == "/loop":
            self.answer(302, b"", [("Location", "/loop")])
        elif self.path == "/hop":
            self.answer(302, b"", [("Location", "/echo")])
        else:
            self.answer(404, b"")

    do_GET = handle_any
    do_POST = handle_any

    def log_message(self, format, *args):  # noqa: A002
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print("listening on http://127.0.0.1:%d" % server.server_address[1], flush=True)
server.serve_forever()
