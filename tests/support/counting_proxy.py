#!/usr/bin/env python3
"""Stands between a CalDAV client and its server on 127.0.0.1, to count what the client asks:
passes each request (any method, with its headers and body) on to the server at TARGET_PORT and
its answer back as it came, and adds "METHOD PATH STATUS" to LOG_FILE for each, at once.
Listens on LISTEN_PORT, or a port the system picks when it is 0, and prints "ready PORT" then.

    counting_proxy.py LISTEN_PORT TARGET_PORT LOG_FILE"""
import http.client
import http.server
import sys
import threading

# Headers about one connection, which this proxy's two connections set for themselves.
CONNECTION_HEADERS = {"connection", "keep-alive", "transfer-encoding"}


class ForwardingHandler(http.server.BaseHTTPRequestHandler):
    # Keeps the client's connection open between requests, as Qt's network access reuses it.
    protocol_version = "HTTP/1.1"
    target_port = 0
    log_file = ""
    log_lock = threading.Lock()

    def __getattr__(self, name):
        # Every method, WebDAV's and CalDAV's too, is passed on alike.
        if name.startswith("do_"):
            return self.forward
        raise AttributeError(name)

    def forward(self):
        # The clients say the length of every body they send.
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        server = http.client.HTTPConnection("127.0.0.1", self.target_port)
        try:
            server.putrequest(self.command, self.path, skip_host=True, skip_accept_encoding=True)
            for name, value in self.headers.items():
                server.putheader(name, value)
            server.endheaders(body)
            answer = server.getresponse()
            answer_body = answer.read()
        except OSError as error:
            self.send_error(502, str(error))
            self.count(502)
            return
        finally:
            server.close()
        self.send_response_only(answer.status, answer.reason)
        for name, value in answer.getheaders():
            if name.lower() not in CONNECTION_HEADERS:
                self.send_header(name, value)
        # A body the server sent in chunks goes on whole, with its length.
        if answer.getheader("Content-Length") is None:
            self.send_header("Content-Length", str(len(answer_body)))
        self.end_headers()
        self.wfile.write(answer_body)
        self.count(answer.status)

    def count(self, status):
        with self.log_lock, open(self.log_file, "a", encoding="utf-8") as log:
            log.write(f"{self.command} {self.path} {status}\n")

    def log_message(self, *arguments):
        pass


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: counting_proxy.py LISTEN_PORT TARGET_PORT LOG_FILE")
    ForwardingHandler.target_port = int(sys.argv[2])
    ForwardingHandler.log_file = sys.argv[3]
    proxy = http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), ForwardingHandler)
    print("ready", proxy.server_address[1], flush=True)
    proxy.serve_forever()


if __name__ == "__main__":
    main()
