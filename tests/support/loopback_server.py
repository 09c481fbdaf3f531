#!/usr/bin/env python3
"""A small HTTP server on 127.0.0.1 for tests.

Usage: loopback_server.py ROUTES_JSON LOG_DIR [--tls CERT KEY]
Prints the chosen port on its first output line, then serves until killed or
until its time limit (default 120 s) passes, so it always stops by itself.

ROUTES_JSON maps a request path (without query) to a route:
  {"status": 200, "body": "text", "body_file": "path", "headers": {...},
   "redirect": "url", "delay": seconds, "stall": true,
   "command": "shell command fed the request body on stdin; its stdout is the reply",
   "content_type": "..."}
Path "*" matches every other path. Every request is logged to LOG_DIR as
N.method, N.path and N.body files, numbered from 1.
"""
import http.server
import json
import os
import ssl
import subprocess
import sys
import threading
import time

routes = json.load(open(sys.argv[1]))
log_dir = sys.argv[2]
counter = [0]
lock = threading.Lock()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def handle_any(self, method):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        path = self.path.split("?")[0]
        with lock:
            counter[0] += 1
            n = counter[0]
        base = os.path.join(log_dir, str(n))
        open(base + ".method", "w").write(method)
        open(base + ".path", "w").write(self.path)
        open(base + ".body", "wb").write(body)
        open(base + ".headers", "w").write(str(self.headers))
        route = routes.get(path) or routes.get("*")
        if route is None:
            route = {"status": 404, "body": "not found"}
        if route.get("stall"):
            time.sleep(3600)
            return
        if route.get("delay"):
            time.sleep(route["delay"])
        status = route.get("status", 200)
        headers = dict(route.get("headers", {}))
        if "redirect" in route:
            status = route.get("status", 302)
            headers["Location"] = route["redirect"]
            data = b""
        elif "command" in route:
            proc = subprocess.run(route["command"], shell=True, input=body, capture_output=True)
            data = proc.stdout
            if proc.returncode != 0:
                status = 500
        elif "body_file" in route:
            data = open(route["body_file"], "rb").read()
        else:
            data = route.get("body", "").encode()
        self.send_response(status)
        headers.setdefault("Content-Type", route.get("content_type", "application/octet-stream"))
        for k, v in headers.items():
            self.send_header(k, v)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if method != "HEAD":
            self.wfile.write(data)

    def do_GET(self):
        self.handle_any("GET")

    def do_POST(self):
        self.handle_any("POST")

    def do_HEAD(self):
        self.handle_any("HEAD")


# LOOPBACK_SERVER_PORT asks for a given port (a test whose clients already
# know the address); by default the system picks a free one.
server = http.server.ThreadingHTTPServer(("127.0.0.1", int(os.environ.get("LOOPBACK_SERVER_PORT", "0"))), Handler)
server.daemon_threads = True
if len(sys.argv) > 5 and sys.argv[3] == "--tls":
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(sys.argv[4], sys.argv[5])
    server.socket = ctx.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
limit = float(os.environ.get("LOOPBACK_SERVER_LIMIT", "120"))
threading.Timer(limit, lambda: os._exit(0)).start()
server.serve_forever()
