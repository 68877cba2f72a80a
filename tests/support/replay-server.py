#!/usr/bin/env python3
"""Stands in for the simulation server in end-to-end tests.

Waits on 127.0.0.1:PORT for a client's init (PORT 0: any free port), printing "port N"
on a line of its own once it holds the port, then plays the server's side of a recorded
conversation (tests/data/README.md) to that client with the recorded timing, from a
socket of its own as the real server does, and writes every datagram the client sends to
the record file as "<ms since the init>\t<text>". It stops once the recording has been
played and the client has been silent for the tail time.
"""
import argparse
import select
import socket
import sys
import time


def server_lines(path):
    """(ms, datagram) of what the server sent after the client's init."""
    lines = []
    after_init = False
    with open(path, "rb") as capture:
        for line in capture:
            stamp, tab, text = line.rstrip(b"\r\n").partition(b"\t")
            if not tab:
                continue
            if text.startswith(b"> "):
                after_init = after_init or text.startswith(b"> (init")
            elif after_init:
                lines.append((int(stamp), text))
    return lines


def arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, required=True,
                        help="port the init comes to; 0 for any free one")
    parser.add_argument("--capture", required=True, help="recorded conversation to play")
    parser.add_argument("--record", help="file for what the client sends")
    parser.add_argument("--tail", type=float, default=1.0,
                        help="seconds of client silence that end the run after the recording")
    parser.add_argument("--timeout", type=float, default=20.0,
                        help="seconds to wait for the init (exit status 2 without one)")
    return parser.parse_args()


class Recorder:
    def __init__(self, path):
        self.out = open(path, "w", encoding="utf-8") if path else None
        self.start = None

    def note(self, datagram):
        if self.out is None:
            return
        ms = int((time.monotonic() - self.start) * 1000)
        text = datagram.rstrip(b"\0").decode("utf-8", errors="replace")
        self.out.write(f"{ms}\t{text}\n")
        # Flushed at once: tests read the record while the run goes on.
        self.out.flush()


def main():
    args = arguments()
    script = server_lines(args.capture)
    if not script:
        sys.exit(f"replay-server: {args.capture} has no server line after an init")

    entry = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    entry.bind(("127.0.0.1", args.port))
    # Whoever started the server learns the port from it: a port chosen elsewhere could
    # be taken before the bind.
    print(f"port {entry.getsockname()[1]}", flush=True)
    # The conversation goes on from another port, so the client must follow the reply.
    talk = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    talk.bind(("127.0.0.1", 0))
    # Made only once the port is bound: tests wait for the file to appear.
    recorder = Recorder(args.record)

    client = None
    deadline = time.monotonic() + args.timeout
    while client is None:
        left = deadline - time.monotonic()
        if left <= 0:
            print("replay-server: no init arrived", file=sys.stderr)
            return 2
        if select.select([entry], [], [], left)[0]:
            datagram, sender = entry.recvfrom(65536)
            if datagram.startswith(b"(init"):
                client = sender
                recorder.start = time.monotonic()
                recorder.note(datagram)

    def due(line):
        return recorder.start + (line[0] - script[0][0]) / 1000.0

    next_line = 0
    last_heard = recorder.start
    while True:
        now = time.monotonic()
        if next_line < len(script):
            if due(script[next_line]) <= now:
                talk.sendto(script[next_line][1] + b"\0", client)
                next_line += 1
                continue
            wait = due(script[next_line]) - now
        else:
            wait = max(last_heard, due(script[-1])) + args.tail - now
            if wait <= 0:
                return 0
        for sock in select.select([entry, talk], [], [], wait)[0]:
            datagram, sender = sock.recvfrom(65536)
            # The client may answer from a new port; the real server would reply there.
            if sender[0] == client[0]:
                client = sender
            last_heard = time.monotonic()
            recorder.note(datagram)


if __name__ == "__main__":
    sys.exit(main())
