#!/usr/bin/env python3
"""Writes candidate seeds for every fuzz target from the recorded conversations.

    fuzz/seeds.py OUT

OUT/<target>/ receives one file per candidate: every distinct message that a recorded
client received (and, for the player and the coach, the messages of whole recorded
cycles), teammate says of every kind, the coach's freeform advice, offline logs of a few
recorded cycles and the shipped configuration files. fuzz/make-corpus.sh keeps of them
only those that add coverage, in fuzz/corpus/.
"""
import hashlib
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "tests", "data")

# The recorded player a player seed is meant for: the first byte of the input.
PLAYER_CHOICE = {
    ("left", "Tovren-2.txt"): 0,
    ("right", "Tovren-2.txt"): 1,
    ("left", "Tovren-1-goalie.txt"): 2,
    ("right", "Tovren-1-goalie.txt"): 3,
}
PLAYER_HEADERS = ("sense_body", "see", "hear", "change_player_type", "fullstate", "think",
                  "ok", "error", "clang", "init", "server_param", "player_param",
                  "player_type")
COACH_HEADERS = ("see_global", "hear", "change_player_type", "server_param", "player_param",
                 "player_type", "ok", "error", "clang", "init", "think")

# The say alphabet, and the length of each kind of teammate message after its kind.
SAY_ALPHABET = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-().+*/?<>_"
SAY_FIELDS = {"A": 7, "B": 7, "C": 7, "F": 1, "Y": 3, "Z": 9}


def received(side, name):
    """(ms, text) of what the recorded client received, in order."""
    lines = []
    with open(os.path.join(DATA, side, name), encoding="utf-8") as recording:
        for line in recording:
            ms, _, text = line.rstrip("\n").partition("\t")
            if text and not text.startswith("> "):
                lines.append((int(ms), text))
    return lines


def header(text):
    return text[1:].split(" ", 1)[0].split(")", 1)[0]


def write(directory, content):
    os.makedirs(directory, exist_ok=True)
    name = hashlib.sha1(content).hexdigest()
    with open(os.path.join(directory, name), "wb") as seed:
        seed.write(content)


def say(kind, seed):
    """A teammate message of the kind whose fields are alphabet characters; the last
    field is a uniform number (1 to 11) where the kind has one."""
    fields = [SAY_ALPHABET[(seed * 7 + 3 * i) % len(SAY_ALPHABET)]
              for i in range(SAY_FIELDS[kind])]
    if kind in "ABC":
        fields[6] = SAY_ALPHABET[1 + seed % 11]
    if kind == "B":
        fields[6] = SAY_ALPHABET[1 + seed % 22]
    if kind == "F":
        fields[0] = SAY_ALPHABET[1 + seed % 11]
    if kind == "Y":
        fields[0:3] = [SAY_ALPHABET[1 + seed % 11], SAY_ALPHABET[seed % 12],
                       SAY_ALPHABET[seed % 2]]
    return '"' + kind + "".join(fields) + '"'


def crafted_hears():
    """Hear messages the recordings lack: teammates' says of every kind, the own says,
    and both coaches' freeform advice of opponent types."""
    hears = []
    for kind in SAY_FIELDS:
        for seed in range(3):
            hears.append("(hear 42 %d our %d %s)" % (seed * 30 - 45, 2 + seed * 3, say(kind, seed)))
            hears.append("(hear 42 self %s)" % say(kind, seed))
    for side in ("left", "right"):
        hears.append('(hear 42 online_coach_%s (freeform "(T 01234567890)"))' % side)
        hears.append('(hear 42 online_coach_%s (freeform "(T 00000000017)(X 1)"))' % side)
    return hears


def player_seeds(out):
    directory = os.path.join(out, "player")
    extra = [text.encode() for text in crafted_hears()]
    for side in ("left", "right"):
        for name in sorted(os.listdir(os.path.join(DATA, side))):
            if name.startswith(("Tovren-coach", "trainer")):
                continue
            choice = PLAYER_CHOICE.get((side, name), 0 if side == "left" else 1)
            lines = received(side, name)
            for _, text in lines:
                if header(text) in PLAYER_HEADERS:
                    write(directory, bytes([choice]) + text.encode())
            # Whole cycles: a sense_body with the see and hear messages after it.
            cycle = []
            for _, text in lines:
                if header(text) == "sense_body" and cycle:
                    write(directory, bytes([choice]) + b"\0".join(t.encode() for t in cycle))
                    cycle = []
                if header(text) in ("sense_body", "see", "hear"):
                    cycle.append(text)
            # The crafted hears after a sense_body and a see, so the ball and the
            # teammates they speak of are known.
            seen = [i for i in range(len(lines) - 1) if header(lines[i][1]) == "sense_body"
                    and header(lines[i + 1][1]) == "see"]
            middle = seen[len(seen) // 2]
            cycle_start = lines[middle][1].encode() + b"\0" + lines[middle + 1][1].encode()
            for hear in extra:
                write(directory, bytes([choice]) + cycle_start + b"\0" + hear)


def coach_seeds(out):
    directory = os.path.join(out, "coach")
    for choice, side in enumerate(("left", "right")):
        lines = received(side, "Tovren-coach.txt")
        for _, text in lines:
            if header(text) in COACH_HEADERS:
                write(directory, bytes([choice]) + text.encode())
        globals_ = [text for _, text in lines if header(text) == "see_global"]
        for start in range(0, len(globals_), 40):
            write(directory, bytes([choice]) + b"\0".join(t.encode() for t in globals_[start:start + 6]))
        for hear in crafted_hears():
            write(directory, bytes([choice]) + globals_[0].encode() + b"\0" + hear.encode())


def sexpression_seeds(out):
    directory = os.path.join(out, "sexpression")
    for side in ("left", "right"):
        for name in sorted(os.listdir(os.path.join(DATA, side))):
            if name.endswith(".txt"):
                for _, text in received(side, name):
                    write(directory, text.encode())
    for text in crafted_hears():
        write(directory, text.encode())


def offline_log(lines, permissions="1111"):
    """The offline log a player writes for the received lines: each message in a RecStr
    record at its millisecond in the cycle, each cycle closed by an EndInf record."""
    log = []
    cycle_start = None
    for ms, text in lines:
        if header(text) == "sense_body":
            if cycle_start is not None:
                log.append("  %04d. EndInf: %s" % (ms - cycle_start, permissions))
            cycle_start = ms
        stamp = 0 if cycle_start is None else ms - cycle_start
        log.append("  %04d. RecStr: %s" % (stamp, text))
    return "\n".join(log) + "\n"


def replay_seeds(out):
    directory = os.path.join(out, "replay")
    with open(os.path.join(ROOT, "examples", "Tovren2.log.off.in"), encoding="utf-8") as example:
        example_lines = example.read().split("\n")
    for start in (0, 200, 400):
        write(directory, "\n".join(example_lines[start:start + 60]).encode())
    for side in ("left", "right"):
        lines = received(side, "Tovren-2.txt")
        startup = [line for line in lines if header(line[1]) != "sense_body"][:21]
        play = [line for line in lines if header(line[1]) in ("sense_body", "see", "hear")]
        for start, permissions in ((0, "1111"), (300, "1010"), (800, "0101")):
            log = offline_log(startup + play[start:start + 25], permissions)
            write(directory, (log + "  0095. EmgSend\n").encode())


def config_seeds(out):
    directory = os.path.join(out, "config")
    configs = os.path.join(ROOT, "Configs")
    for name in sorted(os.listdir(configs)):
        with open(os.path.join(configs, name), "rb") as conf:
            write(directory, conf.read())
    for text in ("[Server]\nPort = 6000 # the port\n", "[ G ]\nx=\n a = b = c\n",
                 "Key\n", "[Open\n", " = value\n", "k = 0x1f\t-2.5e3 true\r\n"):
        write(directory, text.encode())


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    player_seeds(out)
    coach_seeds(out)
    sexpression_seeds(out)
    replay_seeds(out)
    config_seeds(out)


if __name__ == "__main__":
    main()
