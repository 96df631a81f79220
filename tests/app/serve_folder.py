#!/usr/bin/env python3
"""Serves a folder over HTTP, or HTTPS with the given certificate, on 127.0.0.1 alone, at a port
the system picks; prints the port once it listens.

    serve_folder.py FOLDER [CERTIFICATE KEY]"""
import functools
import http.server
import ssl
import sys


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *arguments):
        pass


def main():
    folder = sys.argv[1]
    handler = functools.partial(QuietHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    if len(sys.argv) == 4:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(sys.argv[2], sys.argv[3])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
