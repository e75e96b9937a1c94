#!/usr/bin/env python3
"""A small update server for Halvern, for distributors and tests.

It answers POST /api/updates. The request body is a form "app_key=KEY&version=NUMBER" (a terminating
zero byte may follow). The answer is the JSON file KEY.json of the answers folder, unchanged, for example

    {"name": "MS", "version": "0104", "version_name": "V1.0.4",
     "path": "https://downloads.example.org/ms-0104.bin", "device_id": 1}

A key without a file is answered with {"name": ""}: nothing offered. The application compares "version"
with what it has installed, so the files only say what is on offer.

    halvern_update_server.py --answers DIR [--host 127.0.0.1] [--port 8080]
                             [--tls-cert FILE --tls-key FILE]

With --port 0 a free port is chosen. The first line written to standard output is the address served,
"listening on http://HOST:PORT", so that a script can wait for it.
"""

import argparse
import http.server
import json
import pathlib
import re
import ssl
import sys
import urllib.parse

MAX_BODY = 4096
MAX_ANSWER = 64 * 1024
KEY_PATTERN = re.compile(r"^[A-Za-z0-9_.-]{1,128}$")


def answer_for(folder: pathlib.Path, key: str) -> bytes:
    """The stored answer of a key, or the empty answer. Keys that are not plain file names get nothing."""
    if not KEY_PATTERN.match(key) or key.startswith("."):
        return json.dumps({"name": ""}).encode()
    path = folder / (key + ".json")
    try:
        data = path.read_bytes()[: MAX_ANSWER + 1]
    except OSError:
        return json.dumps({"name": ""}).encode()
    if len(data) > MAX_ANSWER:
        return json.dumps({"name": ""}).encode()
    return data


# How long a client may take over its TLS handshake and between the parts of its request.
CLIENT_TIMEOUT_S = 15


class Handler(http.server.BaseHTTPRequestHandler):
    server_version = "HalvernUpdateServer/1.0"
    timeout = CLIENT_TIMEOUT_S

    def do_POST(self):
        if urllib.parse.urlsplit(self.path).path != "/api/updates":
            self.send_error(404)
            return
        try:
            length = int(self.headers.get("Content-Length", "0"))
        except ValueError:
            length = -1
        if length < 0 or length > MAX_BODY:
            self.send_error(413)
            return
        body = self.rfile.read(length).split(b"\0", 1)[0].decode("utf-8", "replace")
        form = urllib.parse.parse_qs(body, keep_blank_values=True)
        key = form.get("app_key", [""])[0]
        data = answer_for(self.server.answers, key)
        self.send_response(200)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        sys.stderr.write("%s %s\n" % (self.address_string(), format % args))


class TlsServer(http.server.ThreadingHTTPServer):
    """Serves https. The handshake runs in each connection's own thread, bounded in time, so a client that
    connects and stays silent holds up only itself, not the accept loop."""

    daemon_threads = True

    def __init__(self, address, context):
        super().__init__(address, Handler)
        self.context = context

    def finish_request(self, request, client_address):
        request.settimeout(CLIENT_TIMEOUT_S)
        try:
            request = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError):
            return
        try:
            super().finish_request(request, client_address)
        finally:
            try:
                request.close()
            except OSError:
                pass


def main() -> int:
    parser = argparse.ArgumentParser(description="Answers Halvern's update checks from a folder of JSON files.")
    parser.add_argument("--answers", required=True, type=pathlib.Path, help="folder of KEY.json answers")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", default=8080, type=int)
    parser.add_argument("--tls-cert", help="certificate chain (PEM) for https")
    parser.add_argument("--tls-key", help="private key (PEM) for https")
    options = parser.parse_args()
    if not options.answers.is_dir():
        parser.error("%s is not a folder" % options.answers)

    scheme = "http"
    if options.tls_cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(options.tls_cert, options.tls_key)
        server = TlsServer((options.host, options.port), context)
        scheme = "https"
    else:
        server = http.server.ThreadingHTTPServer((options.host, options.port), Handler)
        server.daemon_threads = True
    server.answers = options.answers
    host, port = server.server_address[:2]
    print("listening on %s://%s:%d" % (scheme, host, port), flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
