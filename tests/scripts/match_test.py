"""The parts of scripts/match.py that need no server: the log reading and the statistics."""
import importlib.util
import os
import socket
import subprocess
import sys
import tempfile
import unittest

# No bytecode cache left in the source tree.
sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
SPEC = importlib.util.spec_from_file_location(
    "match_script", os.path.join(HERE, "..", "..", "scripts", "match.py"))
match = importlib.util.module_from_spec(SPEC)
SPEC.loader.exec_module(match)


def cycle_lines(cycle, team, body="(dash 50.00)", odd=None):
    """Every player of the team sends the body command in the cycle; odd maps a uniform
    number to its own datagram instead."""
    odd = odd or {}
    return [f"{cycle},0\tRecv {team}_{n}: {odd.get(n, body + '(turn_neck 10.00)')}"
            for n in range(1, 12)]


class ServerLog(unittest.TestCase):
    def test_score_and_cycles_with_every_body_command(self):
        lines = ["0,3\t(referee kick_off_l)", "0,4\tRecv Blue_Coach: (change_player_type 2 3)",
                 "1,0\t(referee play_on)", "not a log line", "1,0\tSend Blue_1: (see 1)"]
        lines += cycle_lines(1, "Blue") + cycle_lines(1, "Red")
        # No body command: turn_neck and say only, a say text that holds brackets.
        lines += cycle_lines(2, "Blue", odd={7: '(turn_neck 10.00)(say "a(b)")'})
        lines += cycle_lines(2, "Red", odd={7: '(say "Z(k")(dash 20.00)'})
        # A kick-in: cycle 3 is not played on, whatever is sent.
        lines += ["3,0\t(referee kick_in_r)", "4,0\t(referee play_on)"]
        lines += cycle_lines(3, "Red", body="(turn 10.00)")
        # Sent while the clock stands, the body command does not count for the cycle.
        lines += cycle_lines(4, "Blue", odd={5: "(turn_neck 1.00)"})
        lines += ["4,1\tRecv Blue_5: (kick 20.00 0.00)"]
        lines += cycle_lines(4, "Red", body="(catch 10.00)", odd={11: "(tackle 50.00)"})
        # Red 11's tackle in cycle 4 holds him, and counts for him, to cycle 13, not 14.
        lines += cycle_lines(5, "Blue", body="(kick 30.00 0.00)")
        lines += cycle_lines(5, "Red", odd={11: "(turn_neck 5.00)"})
        lines += ["6,0\t(referee goal_l_1)", "6,20\t(referee kick_off_r)", "7,0\t(referee play_on)"]
        for held in (13, 14):
            lines += cycle_lines(held, "Red", odd={11: "(turn_neck 5.00)"})
        lines += ["40,0\t(referee goal_r_1)", "60,0\t(referee goal_r_2)",
                  "80,0\t(referee time_over)"]

        figures = match.match_figures(lines, "Blue", "Red")

        self.assertEqual(figures["goals"], {"Blue": 1, "Red": 2})
        # Cycles 1, 2, 4, 5 and 7 to 39.
        self.assertEqual(figures["play_on"], 4 + 33)
        self.assertEqual(figures["full_body"], {"Blue": 2, "Red": 5})

    def test_command_names(self):
        for text, names in [("(dash 80)(turn_neck 10)", ["dash", "turn_neck"]),
                            ('(say "(x")(attentionto our 3)', ["say", "attentionto"]),
                            ("(change_view (narrow) high)", ["change_view"]), ("", [])]:
            with self.subTest(text=text):
                self.assertEqual(match.command_names(text), names)


    def test_bye_awaited_from_every_client_heard(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "match.rcl")
            watch = match.LogWatch(path)
            steps = [
                (["0,4\tRecv Blue_1: (init Blue (version 9.4))", "0,4\tRecv Blue_Coach: (eye on)"],
                 False),
                # A bye that is not the client's last datagram still counts: the server
                # takes nothing after it.
                (["200,1\tRecv Blue_1: (bye)", "200,1\tRecv Blue_Coach: (change_view"], False),
                # The rest of a line written in two pieces.
                ([" normal)", "200,1\tRecv Blue_Coach: (bye)"], True),
            ]
            for lines, expected in steps:
                with open(path, "a", encoding="utf-8") as log:
                    log.write("\n".join(lines) + "\n")
                watch.update()
                with self.subTest(lines=lines):
                    self.assertEqual(watch.all_said_bye(), expected)


class Ports(unittest.TestCase):
    def test_held_ports_are_told_by_process(self):
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as held, \
                socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
            held.bind(("127.0.0.1", 0))
            probe.bind(("127.0.0.1", 0))
            port, free = held.getsockname()[1], probe.getsockname()[1]
            probe.close()
            self.assertTrue(match.holds_udp_ports(os.getpid(), [port]))
            self.assertFalse(match.holds_udp_ports(os.getpid(), [port, free]))
            # A process below another counts for it, not the other way round.
            child = subprocess.Popen(["sleep", "60"])
            try:
                self.assertTrue(match.holds_udp_ports(os.getppid(), [port]))
                self.assertFalse(match.holds_udp_ports(child.pid, [port]))
            finally:
                child.kill()
                child.wait()


class Statistics(unittest.TestCase):
    def test_interval_of_the_mean_uses_student_t(self):
        # s = sqrt(5/3), t(3) = 3.182: half width 3.182 * 1.29099 / 2.
        mean, low, high = match.mean_interval([1, -1, 2, 0])
        self.assertAlmostEqual(mean, 0.5)
        self.assertAlmostEqual(low, -1.554, places=3)
        self.assertAlmostEqual(high, 2.554, places=3)
        self.assertEqual(match.mean_interval([3]), (3, None, None))

    def test_t_quantile_past_the_table(self):
        for degrees, quantile in [(30, 2.042), (31, 2.040), (60, 2.000), (120, 1.980)]:
            with self.subTest(degrees=degrees):
                self.assertAlmostEqual(match.t_975(degrees), quantile, delta=0.0015)

    def test_summary_counts_from_the_variants_side(self):
        results = [{"goals": {"Variant": g, "Baseline": b}, "play_on": 100,
                    "full_body": {"Variant": 99, "Baseline": 97}}
                   for g, b in [(2, 0), (1, 1), (0, 3)]]
        text = "\n".join(match.summary(results, 1000))
        self.assertIn("goals: Variant 3, Baseline 4", text)
        self.assertIn("mean -0.33", text)
        self.assertIn("Variant won 1, drew 1, lost 1", text)
        self.assertIn("Variant 99.0%, Baseline 97.0% (of 300)", text)


class Options(unittest.TestCase):
    def test_logs_only_when_kept(self):
        conf = "[AgentLog]\nLogToFile = True\nOffLogToFile = True\nOutputLogAddress = .\n"
        self.assertEqual(
            match.log_settings(conf, None),
            "[AgentLog]\nLogToFile = False\nOffLogToFile = False\nOutputLogAddress = .\n")
        self.assertIn("OutputLogAddress = /m/logs\n", match.log_settings(conf, "/m/logs"))
        with self.assertRaises(match.UserError):
            match.log_settings("[AgentLog]\nLogToFile = True\n", None)

    def test_a_half_is_whole_seconds(self):
        for cycles in ["305", "0"]:
            with self.subTest(cycles=cycles), self.assertRaises(match.UserError):
                match.parse_arguments(["--cycles", cycles])


if __name__ == "__main__":
    unittest.main()
