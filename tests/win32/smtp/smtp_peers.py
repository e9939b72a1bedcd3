#!/usr/bin/python3
"""The SMTP peers of the Win32 SMTP tests, on loopback only.

A real SMTP server (aiosmtpd) on 127.0.0.1:25 writes what each delivery
brought into DIR/delivered/, and a scripted server on 127.0.0.1:2525
misbehaves as DIR/scenario says at each connection ("reject MAIL QUIT"
answers those verbs with 554 and goes on), recording the raw bytes
it received into DIR/raw.bin. The scripted server also listens on
127.0.0.2:25, for programs that always use the SMTP port. Runs until it is
sent SIGTERM.

    smtp_peers.py DIR
"""
import os
import signal
import socket
import sys
import threading
import time

from aiosmtpd.controller import Controller

DIR = sys.argv[1]
DELIVERED = os.path.join(DIR, "delivered")


def write(name, data):
    os.makedirs(DELIVERED, exist_ok=True)
    path = os.path.join(DELIVERED, name)
    with open(path + ".tmp", "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))
    os.replace(path + ".tmp", path)


class Recorder:
    async def handle_HELO(self, server, session, envelope, hostname):
        session.host_name = hostname
        write("helo", hostname)
        return "250 {}".format(server.hostname)

    async def handle_DATA(self, server, session, envelope):
        write("mail_from", envelope.mail_from)
        write("rcpt_tos", "\n".join(envelope.rcpt_tos))
        write("content", envelope.original_content)
        # The offset from UTC in force here and now, for the Date header.
        write("day", "{}, {} {}".format(time.strftime("%a"), time.localtime().tm_mday,
                                        time.strftime("%b %Y")))
        write("zone", time.strftime("%z"))
        return "250 Message accepted for delivery"


REPLIES = {"HELO": b"250 hello\r\n", "MAIL": b"250 ok\r\n", "RCPT": b"250 ok\r\n",
           "DATA": b"354 go ahead\r\n", "QUIT": b"221 bye\r\n"}


def scripted(conn):
    """One connection of the misbehaving server."""
    try:
        with open(os.path.join(DIR, "scenario")) as f:
            kind, _, arg = f.read().strip().partition(" ")
    except OSError:
        kind, arg = "normal", ""
    rejected = arg.split() if kind == "reject" else []
    record = open(os.path.join(DIR, "raw.bin"), "wb")
    try:
        if kind == "greeting":
            conn.sendall(arg.encode() + b"\r\n")
        elif kind == "overlong":
            conn.sendall(b"2" * 5000)
        elif kind != "silent":
            conn.sendall(b"220 scripted ready\r\n")
        pending, in_data, body_lines = b"", False, 0
        while True:
            data = conn.recv(65536)
            if not data:
                return
            record.write(data)
            record.flush()
            if kind in ("silent", "greeting", "overlong"):
                continue
            pending += data
            while b"\r\n" in pending:
                line, pending = pending.split(b"\r\n", 1)
                if in_data:
                    if line == b".":
                        in_data = False
                        refused = "." in rejected
                        conn.sendall(b"552 too big\r\n" if refused else b"250 queued\r\n")
                    else:
                        body_lines += 1
                        if kind == "close-in-data" and body_lines == 2:
                            return
                    continue
                verb = line.split(b" ")[0].split(b":")[0].decode("latin-1").upper()
                if verb in rejected:
                    conn.sendall(b"554 refused\r\n")
                    continue
                conn.sendall(REPLIES.get(verb, b"500 unknown command\r\n"))
                in_data = verb == "DATA"
                if verb == "QUIT":
                    return
    except OSError:
        pass
    finally:
        record.close()
        conn.close()


def serve_scripted(listener):
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=scripted, args=(conn,), daemon=True).start()


def main():
    controller = Controller(Recorder(), hostname="127.0.0.1", port=25, server_hostname="peer.test")
    controller.start()
    listeners = []
    for address in (("127.0.0.1", 2525), ("127.0.0.2", 25)):
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(address)
        listener.listen(8)
        listeners.append(listener)
        threading.Thread(target=serve_scripted, args=(listener,), daemon=True).start()
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    open(os.path.join(DIR, "ready"), "w").close()
    stop.wait()
    controller.stop()
    for listener in listeners:
        listener.close()


if __name__ == "__main__":
    main()
