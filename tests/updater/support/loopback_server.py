"""A file server on 127.0.0.1 for the updater tests.

    loopback_server.py http|ftp ROOT BYTES_PER_SECOND

Serves the files under ROOT on a free port, prints the port on one line and
then serves until it is ended. BYTES_PER_SECOND > 0 slows every download to
about that rate. The HTTP server also answers:
    /redirect/NAME       302 to /NAME (or to NAME itself when it holds "://")
    /unsized/NAME        NAME without a Content-Length (ended by closing)
FTP logs in anonymously, read-only.
"""

import functools
import http.server
import os
import sys
import time
import urllib.parse


def throttled_copy(source, output, rate):
    chunk = max(1, min(16384, rate // 20))
    while True:
        data = source.read(chunk)
        if not data:
            return
        output.write(data)
        time.sleep(len(data) / rate)


def http_server(root, rate):
    class Handler(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def do_GET(self):
            path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
            if path.startswith("/redirect/"):
                target = path[len("/redirect/"):]
                if "://" not in target:
                    target = "/" + urllib.parse.quote(target)
                self.send_response(302)
                self.send_header("Location", target)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            if path.startswith("/unsized/"):
                name = os.path.join(root, path[len("/unsized/"):])
                if not os.path.isfile(name):
                    self.send_error(404)
                    return
                self.send_response(200)
                self.send_header("Content-Type", "application/octet-stream")
                self.send_header("Connection", "close")
                self.end_headers()
                with open(name, "rb") as source:
                    self.copyfile(source, self.wfile)
                return
            super().do_GET()

        def copyfile(self, source, output):
            if rate > 0:
                throttled_copy(source, output, rate)
            else:
                super().copyfile(source, output)

    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(Handler, directory=root))
    server.daemon_threads = True
    return server.server_address[1], server.serve_forever


def ftp_server(root, rate):
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
    from pyftpdlib.servers import FTPServer

    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(root)

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    if rate > 0:
        class Throttled(ThrottledDTPHandler):
            write_limit = rate
        Handler.dtp_handler = Throttled
    server = FTPServer(("127.0.0.1", 0), Handler)
    return server.address[1], server.serve_forever


def main():
    kind, root, rate = sys.argv[1], os.path.abspath(sys.argv[2]), int(sys.argv[3])
    start = http_server if kind == "http" else ftp_server
    port, serve = start(root, rate)
    print(port, flush=True)
    # Nobody reads the error pipe while the tests run: a full pipe would stop
    # the server.
    sys.stderr = open(os.devnull, "w")
    serve()


if __name__ == "__main__":
    main()
