"""The host's FTP server for devices, on Debian's pyftpdlib.

Reads one JSON line on standard input (so the password never shows in a
process list): {"home": DIR, "user": NAME, "password": TEXT, "address": ADDR,
"port": N}.  Prints "ready PORT" once it listens, then serves until killed.
The account may read and write (devices store backups, fetch images).
"""
import json
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    cfg = json.loads(sys.stdin.readline())
    authorizer = DummyAuthorizer()
    authorizer.add_user(cfg["user"], cfg["password"], cfg["home"], perm="elradfmwMT")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.banner = "Orvane FTP server ready."
    # Commands are not logged: a log of them would hold the account.
    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    server = FTPServer((cfg.get("address", "0.0.0.0"), int(cfg.get("port", 2121))), Handler)
    server.max_cons = 512
    print("ready", server.socket.getsockname()[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
