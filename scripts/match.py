#!/usr/bin/env python3
"""Plays matches between two teams of this program on the real simulation server.

Each team runs from its own copy of a Configs/ folder: the variant under test
(--variant) and the baseline it is measured against (--baseline); both default to
the repository's Configs/. Every match is one half of --cycles cycles on a server of
its own, with both teams started by scripts/start-team.sh; the variant plays on the
left in the first match and the sides swap every other match. --jobs matches run at
once, each on its own ports.

The result of each match is read from the server's text log: the referee's goal
messages ("goal_l_N", "goal_r_N") and, for each team, the share of play_on cycles in
which all eleven of its players sent a body command (dash, kick, turn, tackle, catch
or move; the cycles a tackle holds a player count as his). One line per match, then a summary: goals for and against, the mean goal
difference (variant minus baseline) with its 95% interval, wins, draws and losses.

The players write no log files unless --logdir keeps every match's logs (the server's
text and game logs, each process's output, the players' readable logs) for reading.

Example: changed deciding weights against the shipped ones, 20 halves of 1000 cycles,
two at a time:

    cp -r Configs /tmp/variant && $EDITOR /tmp/variant/DecidingWeights.conf
    scripts/match.py --variant /tmp/variant --matches 20 --cycles 1000 --jobs 2

The shipped weights against the neutral ones they replaced (Alpha 0 in [Pass] and
[QuickPass]), the measurement that kept them, ten at a time:

    cp -r Configs /tmp/neutral && $EDITOR /tmp/neutral/DecidingWeights.conf
    scripts/match.py --baseline /tmp/neutral --matches 160 --cycles 1000 --jobs 10

Exit status 0 when every match was played, 1 when a team did not connect, a process
died or an option was wrong (the outputs of the failed match are kept and named),
130 after Ctrl-C. Every process started is stopped on the way out.
"""
import argparse
import concurrent.futures
import math
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_SERVER = os.path.normpath(os.path.join(ROOT, "../shared/tools/simulation-server/run"))
DEFAULT_CONFIGS = os.path.join(ROOT, "Configs")
DEFAULT_BINARY = os.path.join(ROOT, "build", "tovren")
START_TEAM = os.path.join(ROOT, "scripts", "start-team.sh")

VARIANT = "Variant"
BASELINE = "Baseline"
BODY_COMMANDS = {"dash", "kick", "turn", "tackle", "catch", "move"}
# The server's "tackle_cycles": a tackle holds the player for the rest of them.
TACKLE_CYCLES = 10
PLAYERS = 11

# The kick-off waits 5 s after the last player, so that each coach's type changes come
# before it, as in a match where the coaches are there early.
KICK_OFF_WAIT_STEPS = 50
# The harness fails a team that does not connect long before the server would kick off
# without it.
CONNECT_WAIT_STEPS = 3000
# A server left behind by a harness that was killed outright ends by itself.
GAME_OVER_WAIT_STEPS = 100

SERVER_START_SECONDS = 30
# Ports free when chosen can be taken before the server binds them: each start that
# fails is tried again on ports chosen anew.
SERVER_START_ATTEMPTS = 5
TEAM_START_SECONDS = 60
STOP_SECONDS = 20
# Every "(bye)" has reached the server once the teams have stopped; this only bounds the
# wait for one that never comes.
BYE_SECONDS = 20
POLL_SECONDS = 0.2
# A half in real time, with room for a loaded machine.
HALF_SLACK = 1.5
HALF_EXTRA_SECONDS = 30
SHOWN_OUTPUT_LINES = 5

# t quantiles (0.975) for 1 to 30 degrees of freedom.
T_975 = [12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306, 2.262, 2.228,
         2.201, 2.179, 2.160, 2.145, 2.131, 2.120, 2.110, 2.101, 2.093, 2.086,
         2.080, 2.074, 2.069, 2.064, 2.060, 2.056, 2.052, 2.048, 2.045, 2.042]
Z_975 = 1.959964


class UserError(Exception):
    """A wrong option or a missing file: one line, status 1."""


class MatchError(Exception):
    """A match that could not be played: a team did not connect, a process died."""


class Stopped(Exception):
    """The run is being stopped (Ctrl-C, or another match failed)."""


# Reading the server's text log.

LOG_LINE = re.compile(r"^(\d+),(\d+)\t(?:Recv ([^:]+): (.*)|(\(referee [^)]*\)))\s*$")
GOAL = re.compile(r"^\(referee goal_([lr])_(\d+)\)$")


def read_server_log(lines):
    """(cycle, stop_cycle, sender, text) for what a client sent and for each referee
    call (sender ""); other lines are left out."""
    entries = []
    for line in lines:
        found = LOG_LINE.match(line)
        if not found:
            continue
        cycle, stop = int(found.group(1)), int(found.group(2))
        if found.group(3) is not None:
            entries.append((cycle, stop, found.group(3), found.group(4)))
        else:
            entries.append((cycle, stop, "", found.group(5)))
    return entries


def command_names(text):
    """The names of a datagram's top-level commands: "(dash 80)(turn_neck 10)" gives
    dash and turn_neck."""
    names = []
    depth = 0
    quoted = False
    for index, char in enumerate(text):
        # A say message's text may hold brackets.
        if char == '"':
            quoted = not quoted
        elif quoted:
            continue
        elif char == "(":
            if depth == 0:
                names.append(re.match(r"[^\s()]*", text[index + 1:]).group(0))
            depth += 1
        elif char == ")" and depth > 0:
            depth -= 1
    return names


def referee_mode(text):
    return text[len("(referee "):-1]


def play_on_cycles(entries):
    """The cycles played in play_on: a referee's call holds from its cycle on (the last
    call of a cycle wins); the log starts before kick-off."""
    mode_from = {}
    last = 0
    for cycle, _, sender, text in entries:
        if not sender:
            mode_from[cycle] = referee_mode(text)
        last = max(last, cycle)
    cycles = set()
    mode = "before_kick_off"
    for cycle in range(last + 1):
        mode = mode_from.get(cycle, mode)
        if mode == "play_on":
            cycles.add(cycle)
    return cycles


def goals(entries):
    """{"l": N, "r": N}: the score of the referee's last goal message for each side."""
    score = {"l": 0, "r": 0}
    for _, _, sender, text in entries:
        found = GOAL.match(text) if not sender else None
        if found:
            score[found.group(1)] = max(score[found.group(1)], int(found.group(2)))
    return score


def full_body_cycles(entries, team, play_on):
    """How many play_on cycles saw a body command from every player of the team. The
    cycles after a player's tackle, in which the server lets him do nothing, count as
    his."""
    everyone = {f"{team}_{number}" for number in range(1, PLAYERS + 1)}
    senders = {}
    for cycle, stop, sender, text in entries:
        if stop != 0 or sender not in everyone:
            continue
        names = command_names(text)
        if BODY_COMMANDS.intersection(names):
            senders.setdefault(cycle, set()).add(sender)
        if "tackle" in names:
            for held in range(cycle + 1, cycle + TACKLE_CYCLES):
                senders.setdefault(held, set()).add(sender)
    return sum(1 for cycle in play_on if everyone <= senders.get(cycle, set()))


def match_figures(lines, left, right):
    """The score and the body-command cycles of a match from its text log's lines."""
    entries = read_server_log(lines)
    play_on = play_on_cycles(entries)
    score = goals(entries)
    return {"goals": {left: score["l"], right: score["r"]},
            "play_on": len(play_on),
            "full_body": {team: full_body_cycles(entries, team, play_on)
                          for team in (left, right)}}


# Statistics.

def t_975(degrees):
    """The 0.975 quantile of Student's t; past the table, its expansion about the normal."""
    if degrees <= len(T_975):
        return T_975[degrees - 1]
    z = Z_975
    return (z + (z ** 3 + z) / (4 * degrees)
            + (5 * z ** 5 + 16 * z ** 3 + 3 * z) / (96 * degrees ** 2))


def mean_interval(values):
    """The mean and its 95% interval (None, None with fewer than two values)."""
    count = len(values)
    mean = sum(values) / count
    if count < 2:
        return mean, None, None
    deviation = math.sqrt(sum((v - mean) ** 2 for v in values) / (count - 1))
    half = t_975(count - 1) * deviation / math.sqrt(count)
    return mean, mean - half, mean + half


def percent(part, whole):
    return f"{100.0 * part / whole:.1f}%" if whole else "n/a"


def summary(results, cycles):
    """The summary's lines over the matches' results (variant's view)."""
    diffs = [r["goals"][VARIANT] - r["goals"][BASELINE] for r in results]
    mean, low, high = mean_interval(diffs)
    interval = (f"95% interval [{low:+.2f}, {high:+.2f}]" if low is not None
                else "no interval from one match")
    play_on = sum(r["play_on"] for r in results)
    body = {team: sum(r["full_body"][team] for r in results) for team in (VARIANT, BASELINE)}
    return [
        f"{len(results)} matches of one half of {cycles} cycles, sides swapped every other match",
        f"goals: {VARIANT} {sum(r['goals'][VARIANT] for r in results)}, "
        f"{BASELINE} {sum(r['goals'][BASELINE] for r in results)}",
        f"goal difference ({VARIANT} - {BASELINE}) per match: mean {mean:+.2f}, {interval}",
        f"{VARIANT} won {sum(d > 0 for d in diffs)}, drew {sum(d == 0 for d in diffs)}, "
        f"lost {sum(d < 0 for d in diffs)}",
        f"play_on cycles with a body command from every player: {VARIANT} "
        f"{percent(body[VARIANT], play_on)}, {BASELINE} {percent(body[BASELINE], play_on)} "
        f"(of {play_on})",
    ]


def match_line(result, number, count, totals):
    left, right = result["left"], result["right"]
    diff = result["goals"][VARIANT] - result["goals"][BASELINE]
    return (f"match {number:>{len(str(count))}} of {count}: {left} {result['goals'][left]} : "
            f"{result['goals'][right]} {right}   {VARIANT} {diff:+d}   body commands "
            f"{VARIANT} {percent(result['full_body'][VARIANT], result['play_on'])} "
            f"{BASELINE} {percent(result['full_body'][BASELINE], result['play_on'])}   "
            f"total {VARIANT} {totals[VARIANT]} : {totals[BASELINE]} {BASELINE}")


def log_settings(agent_conf, logs):
    """The text of an Agent.conf whose players write their readable logs into the folder
    logs, or no log at all for None."""
    values = {"LogToFile": "True" if logs else "False", "OffLogToFile": "False"}
    if logs:
        values["OutputLogAddress"] = logs
    for key, value in values.items():
        agent_conf, found = re.subn(rf"^{key}\s*=.*$", f"{key} = {value}", agent_conf,
                                    flags=re.M)
        if not found:
            raise UserError(f"Agent.conf has no {key} line")
    return agent_conf


# Processes.

def alive(pid):
    """Whether the process exists and has not ended (a zombie has ended)."""
    try:
        with open(f"/proc/{pid}/stat", encoding="ascii", errors="replace") as stat:
            return stat.read().rpartition(")")[2].split()[0] not in ("Z", "X")
    except (OSError, IndexError):
        return False


def last_lines(path, count=SHOWN_OUTPUT_LINES):
    try:
        with open(path, encoding="utf-8", errors="replace") as text:
            lines = text.read().splitlines()[-count:]
    except OSError:
        return f"\n  ({path} cannot be read)"
    return "".join(f"\n  {line}" for line in lines) or f"\n  ({path} is empty)"


def udp_port_free(port):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        try:
            probe.bind(("", port))
        except OSError:
            return False
    return True


def udp_socket_inodes(ports):
    """The inodes of the sockets bound to each of the UDP ports, from one read of the
    kernel's socket tables."""
    wanted = {f":{port:04X}": port for port in ports}
    inodes = {port: set() for port in ports}
    for table in ("/proc/net/udp", "/proc/net/udp6"):
        try:
            with open(table, encoding="ascii") as lines:
                for line in lines:
                    # "sl local_address rem_address st tx:rx tr:when retrnsmt uid timeout inode"
                    fields = line.split()
                    if len(fields) <= 9:
                        continue
                    port = wanted.get(fields[1][fields[1].rfind(":"):])
                    if port is not None:
                        inodes[port].add(fields[9])
        except OSError:
            continue
    return inodes


def process_tree(pid):
    """The process and every process below it."""
    found, todo = [], [pid]
    while todo:
        current = todo.pop()
        found.append(current)
        for task in os.listdir(f"/proc/{current}/task") if alive(current) else []:
            try:
                with open(f"/proc/{current}/task/{task}/children", encoding="ascii") as kids:
                    todo.extend(int(kid) for kid in kids.read().split())
            except OSError:
                continue
    return found


def holds_udp_ports(pid, ports):
    """Whether the process, or one below it, has a socket bound to each of the ports."""
    sockets = set()
    for each in process_tree(pid):
        folder = f"/proc/{each}/fd"
        try:
            entries = os.listdir(folder)
        except OSError:
            continue
        for entry in entries:
            try:
                target = os.readlink(os.path.join(folder, entry))
            except OSError:
                continue
            if target.startswith("socket:[") and target.endswith("]"):
                sockets.add(target[8:-1])
    return all(inodes & sockets for inodes in udp_socket_inodes(ports).values())


class Ports:
    """Three ports in a row for each server (players, trainer, online coach), free a
    moment ago and not handed to another running match."""

    def __init__(self):
        self.lock = threading.Lock()
        self.taken = set()

    def take(self):
        with self.lock:
            for _ in range(100):
                with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
                    probe.bind(("", 0))
                    port = probe.getsockname()[1]
                wanted = {port, port + 1, port + 2}
                if (port + 2 <= 65535 and not wanted & self.taken
                        and udp_port_free(port + 1) and udp_port_free(port + 2)):
                    self.taken |= wanted
                    return port
        raise MatchError("no three free UDP ports in a row")

    def give_back(self, port):
        with self.lock:
            self.taken -= {port, port + 1, port + 2}


class LogWatch:
    """Follows the server's growing text log: the last cycle and the end of the half."""

    def __init__(self, path):
        self.path = path
        self.offset = 0
        self.partial = ""
        self.cycle = 0
        self.over = False
        self.senders = set()
        self.byes = set()

    def update(self):
        try:
            with open(self.path, "rb") as log:
                log.seek(self.offset)
                fresh = log.read()
        except OSError:
            return
        self.offset += len(fresh)
        lines = (self.partial + fresh.decode("utf-8", "replace")).split("\n")
        self.partial = lines.pop()
        for cycle, _, sender, text in read_server_log(lines):
            self.cycle = max(self.cycle, cycle)
            self.over = self.over or (not sender and text == "(referee time_over)")
            if sender:
                self.senders.add(sender)
                if text == "(bye)":
                    self.byes.add(sender)

    def all_said_bye(self):
        """Whether every client the server heard from has said "(bye)"."""
        return self.senders <= self.byes


class Team:
    """One team started by start-team.sh in a folder of its own: Configs/ copied there,
    the processes' outputs, ids and statuses in out/, readable logs (if any) in logs/."""

    def __init__(self, name, configs, folder, keep_logs):
        self.name = name
        self.folder = folder
        self.script = None
        os.makedirs(os.path.join(folder, "logs"))
        shutil.copytree(configs, os.path.join(folder, "Configs"))
        agent = os.path.join(folder, "Configs", "Agent.conf")
        with open(agent, encoding="utf-8") as conf:
            text = log_settings(conf.read(), os.path.join(folder, "logs") if keep_logs else None)
        with open(agent, "w", encoding="utf-8") as conf:
            conf.write(text)

    def out(self, name):
        return os.path.join(self.folder, "out", name)

    def start(self, binary, port):
        with open(os.path.join(self.folder, "script.out"), "w") as out, \
                open(os.path.join(self.folder, "script.err"), "w") as err:
            self.script = subprocess.Popen(
                [START_TEAM, "--host", "127.0.0.1", "--port", str(port), "--team", self.name,
                 "--logdir", os.path.join(self.folder, "out"), "--workdir", self.folder,
                 "--binary", binary],
                cwd=self.folder, stdout=out, stderr=err, stdin=subprocess.DEVNULL,
                start_new_session=True)

    def started(self):
        """True once the coach has connected; a MatchError when the team cannot play."""
        with open(os.path.join(self.folder, "script.out"), encoding="utf-8",
                  errors="replace") as out:
            said = out.read()
        if "coach started" in said:
            return True
        if "without its coach" in said:
            raise MatchError(f"{self.name}'s coach did not connect:"
                             + last_lines(self.out("coach.out")))
        if self.script.poll() is not None:
            raise MatchError(f"{self.name} did not connect:"
                             + last_lines(os.path.join(self.folder, "script.err")))
        return False

    def processes(self):
        """(name, pid) of each process the script has launched."""
        found = []
        folder = os.path.join(self.folder, "out")
        for entry in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
            if entry.endswith(".pid"):
                try:
                    with open(os.path.join(folder, entry), encoding="ascii") as pid:
                        found.append((entry[:-4], int(pid.read())))
                except (OSError, ValueError):
                    continue
        return found

    def check_alive(self):
        for name, pid in self.processes():
            if not alive(pid):
                raise MatchError(f"{self.name} {name} (process {pid}) died during the match:"
                                 + last_lines(self.out(name + ".out")))
        if self.script.poll() is not None:
            raise MatchError(f"{self.name}'s start-team.sh ended during the match:"
                             + last_lines(os.path.join(self.folder, "script.err")))

    def signal_stop(self):
        if self.script is not None and self.script.poll() is None:
            self.script.send_signal(signal.SIGTERM)

    def finish(self, deadline):
        """Waits for the script until the deadline, then kills whatever is left."""
        if self.script is None:
            return
        try:
            self.script.wait(max(0.0, deadline - time.monotonic()))
        except subprocess.TimeoutExpired:
            pass
        for _, pid in self.processes():
            if alive(pid) and self.owns(pid):
                os.kill(pid, signal.SIGKILL)
        if self.script.poll() is None:
            os.killpg(self.script.pid, signal.SIGKILL)
            self.script.wait()

    def owns(self, pid):
        """Whether the process still runs in this team's folder (its id not reused)."""
        try:
            return os.readlink(f"/proc/{pid}/cwd") == os.path.realpath(self.folder)
        except OSError:
            return False


class Match:
    """One half between the variant and the baseline on a server of its own."""

    def __init__(self, number, args, folder, ports, stop):
        self.number = number
        self.args = args
        self.folder = folder
        self.ports = ports
        self.stop = stop
        # The variant plays on the left in the first match, then every other one.
        self.left, self.right = (VARIANT, BASELINE) if number % 2 == 1 else (BASELINE, VARIANT)
        self.port = None
        self.server = None
        self.teams = []
        self.watch = None

    def status(self):
        cycle = self.watch.cycle if self.watch else 0
        return f"match {self.number} " + (f"at cycle {cycle}" if cycle else "starting")

    def wait_for(self, condition, seconds, failure):
        """Polls the condition until it holds; failure() tells why when time is up."""
        deadline = time.monotonic() + seconds
        while not condition():
            if self.stop.is_set():
                raise Stopped()
            if time.monotonic() > deadline:
                raise MatchError(failure())
            time.sleep(POLL_SECONDS)

    def start_server(self):
        """Starts the server, on ports chosen anew after each start that ends or does not
        hold its three ports in time."""
        folder = os.path.join(self.folder, "server")
        os.makedirs(folder)
        self.watch = LogWatch(os.path.join(folder, "match.rcl"))
        failures = []
        for _ in range(SERVER_START_ATTEMPTS):
            self.port = self.ports.take()
            ports = (self.port, self.port + 1, self.port + 2)
            self.server = self.launch_server(folder)
            try:
                self.wait_for(
                    lambda: self.server.poll() is not None
                    or holds_udp_ports(self.server.pid, ports), SERVER_START_SECONDS,
                    lambda: f"held none of them after {SERVER_START_SECONDS} s")
                status = self.server.poll()
                if status is None:
                    return
                failure = f"ended with status {status}"
            except MatchError as error:
                failure = str(error)
            failures.append(f"ports {self.port}-{self.port + 2}: {failure}"
                            + last_lines(os.path.join(folder, "server.err"), 1))
            self.stop_server()
        raise MatchError("the server did not start:" + "".join(f"\n  {f}" for f in failures))

    def launch_server(self, folder):
        cycles = self.args.cycles
        options = {
            "port": self.port, "coach_port": self.port + 1, "olcoach_port": self.port + 2,
            "auto_mode": "true", "kick_off_wait": KICK_OFF_WAIT_STEPS,
            "connect_wait": CONNECT_WAIT_STEPS, "game_over_wait": GAME_OVER_WAIT_STEPS,
            "half_time": cycles // 10, "nr_normal_halfs": 1, "nr_extra_halfs": 0,
            "penalty_shoot_outs": "false", "text_logging": "true", "text_log_dir": folder,
            "text_log_fixed": "true", "text_log_fixed_name": "match",
            "game_logging": "true" if self.args.logdir else "false", "game_log_dir": folder,
            "game_log_fixed": "true", "game_log_fixed_name": "match"}
        # The server writes its settings under a folder literally named "~" in its
        # working directory.
        with open(os.path.join(folder, "server.out"), "w") as out, \
                open(os.path.join(folder, "server.err"), "w") as err:
            return subprocess.Popen(
                [self.args.server] + [f"server::{key}={value}" for key, value in options.items()],
                cwd=folder, stdout=out, stderr=err, stdin=subprocess.DEVNULL,
                start_new_session=True)

    def play(self):
        self.port = self.ports.take()
        self.start_server()
        # The first team to connect plays on the left.
        for name in (self.left, self.right):
            configs = self.args.variant if name == VARIANT else self.args.baseline
            team = Team(name, configs, os.path.join(self.folder, name), bool(self.args.logdir))
            self.teams.append(team)
            team.start(self.args.binary, self.port)
            self.wait_for(team.started, TEAM_START_SECONDS,
                          lambda: f"{team.name} was not connected after {TEAM_START_SECONDS} s:"
                          + last_lines(os.path.join(team.folder, "script.out")))

        half = KICK_OFF_WAIT_STEPS / 10 + self.args.cycles / 10 * HALF_SLACK + HALF_EXTRA_SECONDS

        def over():
            if self.server.poll() is not None:
                raise MatchError("the server ended during the match:" + last_lines(
                    os.path.join(self.folder, "server", "server.err")))
            for team in self.teams:
                team.check_alive()
            self.watch.update()
            return self.watch.over

        self.wait_for(over, half, lambda: f"no (referee time_over) within {half:.0f} s")
        self.end(played=True)
        with open(self.watch.path, encoding="utf-8", errors="replace") as log:
            figures = match_figures(log, self.left, self.right)
        figures.update(number=self.number, left=self.left, right=self.right)
        return figures

    def end(self, played=False):
        """Stops the teams (each player says "(bye)"), then the server, once it has taken
        every "(bye)" of a match played to its end; kills what is left."""
        stopped_at = time.monotonic()
        for team in self.teams:
            team.signal_stop()
        for team in self.teams:
            team.finish(stopped_at + STOP_SECONDS)
        if played and self.server is not None and self.server.poll() is None:
            deadline = time.monotonic() + BYE_SECONDS
            while not self.watch.all_said_bye() and time.monotonic() < deadline:
                time.sleep(POLL_SECONDS)
                self.watch.update()
        self.stop_server()

    def stop_server(self):
        """Stops the server, killing it if it does not end, and gives its ports back."""
        if self.server is not None and self.server.poll() is None:
            self.server.send_signal(signal.SIGINT)
            try:
                self.server.wait(STOP_SECONDS)
            except subprocess.TimeoutExpired:
                os.killpg(self.server.pid, signal.SIGKILL)
                self.server.wait()
        if self.port is not None:
            self.ports.give_back(self.port)
            self.port = None

    def run(self):
        if self.stop.is_set():
            raise Stopped()
        try:
            return self.play()
        finally:
            self.end()


# The command line.

class Parser(argparse.ArgumentParser):
    def error(self, message):
        self.print_usage(sys.stderr)
        sys.stderr.write(f"match.py: {message}\n")
        sys.exit(1)


def parse_arguments(argv):
    parser = Parser(prog="match.py", description=__doc__.split("\n\n")[0],
                    epilog="\n\n".join(__doc__.split("\n\n")[1:]),
                    formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--variant", default=DEFAULT_CONFIGS, metavar="DIR",
                        help="Configs folder of the team under test (default: %(default)s)")
    parser.add_argument("--baseline", default=DEFAULT_CONFIGS, metavar="DIR",
                        help="Configs folder of the team it plays (default: %(default)s)")
    parser.add_argument("--matches", type=int, default=10, metavar="N",
                        help="matches to play, each one half (default: %(default)s)")
    parser.add_argument("--cycles", type=int, default=1000, metavar="C",
                        help="cycles of a half, a multiple of 10 (default: %(default)s)")
    parser.add_argument("--jobs", type=int, default=1, metavar="J",
                        help="matches at once, each on its own ports; a match uses a quarter of "
                             "a core, but its 25 processes must keep pace with the server in "
                             "real time (default: %(default)s)")
    parser.add_argument("--server", default=DEFAULT_SERVER, metavar="RUN",
                        help="the simulation server's start command (default: %(default)s)")
    parser.add_argument("--binary", default=DEFAULT_BINARY, metavar="FILE",
                        help="the program both teams run (default: %(default)s)")
    parser.add_argument("--logdir", metavar="DIR",
                        help="keep every match's logs in DIR/match-N (players then write "
                             "their readable logs, which slows them)")
    args = parser.parse_args(argv)
    if args.matches < 1 or args.jobs < 1:
        raise UserError("--matches and --jobs must be at least 1")
    if args.cycles < 10 or args.cycles % 10 != 0:
        raise UserError(f"--cycles {args.cycles}: a half is a whole number of seconds of 10 "
                        "cycles, so give a positive multiple of 10")
    for option, path in (("--variant", args.variant), ("--baseline", args.baseline)):
        agent = os.path.join(path, "Agent.conf")
        if not os.path.isfile(agent):
            raise UserError(f"{option} {path}: no Agent.conf there; give a Configs folder")
        with open(agent, encoding="utf-8") as conf:
            try:
                log_settings(conf.read(), path)
            except UserError as error:
                raise UserError(f"{option} {path}: {error}") from None
    for option, path in (("--server", args.server), ("--binary", args.binary)):
        if not os.access(path, os.X_OK):
            raise UserError(f"{option} {path}: not found or not executable"
                            + ("; build it first (see README.md)" if option == "--binary" else ""))
    args.variant, args.baseline, args.server, args.binary = (
        os.path.abspath(p) for p in (args.variant, args.baseline, args.server, args.binary))
    if args.logdir:
        args.logdir = os.path.abspath(args.logdir)
    return args


class Progress:
    """The line on a terminal's standard error that tells how far the run has come."""

    def __init__(self):
        self.shown = sys.stderr.isatty()

    def show(self, text):
        if self.shown:
            sys.stderr.write("\r\033[K" + text)
            sys.stderr.flush()

    def clear(self):
        self.show("")


def play_all(args, root):
    """Plays the matches, printing each one's line; the results and the first failure."""
    stop = threading.Event()
    ports = Ports()
    matches = [Match(n, args, os.path.join(root, f"match-{n}"), ports, stop)
               for n in range(1, args.matches + 1)]
    results = []
    totals = {VARIANT: 0, BASELINE: 0}
    progress = Progress()
    failure = None
    pool = concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs)
    pending = {pool.submit(match.run): match for match in matches}
    try:
        while pending:
            done, _ = concurrent.futures.wait(pending, timeout=0.5,
                                              return_when=concurrent.futures.FIRST_COMPLETED)
            # wait() never counts a match cancelled before it started as done.
            done |= {future for future in pending if future.cancelled()}
            for future in done:
                match = pending.pop(future)
                try:
                    result = future.result()
                except (Stopped, concurrent.futures.CancelledError):
                    continue
                except (MatchError, UserError, OSError) as error:
                    failure = failure or (match, error)
                    stop.set()
                    pool.shutdown(wait=False, cancel_futures=True)
                    continue
                results.append(result)
                for team in totals:
                    totals[team] += result["goals"][team]
                progress.clear()
                print(match_line(result, match.number, args.matches, totals), flush=True)
                if not args.logdir:
                    shutil.rmtree(match.folder, ignore_errors=True)
            playing = [m for f, m in sorted(pending.items(), key=lambda i: i[1].number)
                       if f.running()]
            progress.show(f"{len(results)} of {args.matches} matches played; "
                          + "".join(m.status() + "; " for m in playing)
                          + f"total {VARIANT} {totals[VARIANT]} : {totals[BASELINE]} {BASELINE}")
    except BaseException:
        # Ctrl-C (or a fault here): every match stops and cleans up before the run ends.
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        progress.clear()
        print("match.py: stopping every match and its processes ...", file=sys.stderr, flush=True)
        stop.set()
        pool.shutdown(wait=True, cancel_futures=True)
        raise
    pool.shutdown(wait=True)
    progress.clear()
    return results, failure


def main(argv=None):
    try:
        args = parse_arguments(sys.argv[1:] if argv is None else argv)
    except UserError as error:
        print(f"match.py: {error}", file=sys.stderr)
        return 1
    # SIGTERM stops the run as Ctrl-C does, with the same cleanup.
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    root = args.logdir or tempfile.mkdtemp(prefix="tovren-match-")
    os.makedirs(root, exist_ok=True)
    print(f"{VARIANT}: {args.variant}\n{BASELINE}: {args.baseline}", flush=True)
    try:
        results, failure = play_all(args, root)
    except KeyboardInterrupt:
        print("match.py: stopped", file=sys.stderr)
        if not args.logdir:
            shutil.rmtree(root, ignore_errors=True)
        return 130
    except UserError as error:
        print(f"match.py: {error}", file=sys.stderr)
        return 1
    if failure:
        match, error = failure
        print(f"match.py: match {match.number} failed: {error}\n"
              f"match.py: its outputs are in {match.folder}", file=sys.stderr)
        return 1
    if not args.logdir:
        shutil.rmtree(root, ignore_errors=True)
    print("\n".join(summary(results, args.cycles)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
