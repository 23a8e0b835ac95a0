#!/usr/bin/env python3
"""Measures Tovra on GNOME Shell as a person drives it, keys typed through Mutter's remote-desktop
interface: a copy (Ctrl+C in a GTK 3 entry running natively) until Tovra counts it, and Ctrl+V
until the item is in the entry; then the same Ctrl+V with the queue off (the shell and the
application alone).

It switches the queue off and on between rounds (emptying it): run it in a session of its own, a
headless GNOME Shell with Tovra's extension and Tovra started there (the GNOME tests show how).

Usage: scripts/bench-gnome.py path/to/tovra [rounds]
"""
import json
import os
import statistics
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TOVRA = sys.argv[1]
ROUNDS = int(sys.argv[2]) if len(sys.argv) > 2 else 40


def items():
    status = subprocess.run([TOVRA, "status"], capture_output=True, text=True).stdout
    for line in status.splitlines():
        if line.startswith("items: "):
            return int(line[len("items: "):])
    return -1


def summary(values):
    ordered = sorted(values)
    return "median %.1f ms, p90 %.1f ms" % (statistics.median(ordered) * 1000,
                                           ordered[int(len(ordered) * 0.9)] * 1000)


class Keys:
    def __init__(self):
        self.process = subprocess.Popen(
            ["/usr/bin/python3", os.path.join(ROOT, "tests/support/targets/gnome_keys.py")],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        assert self.process.stdout.readline().strip() == "ready"

    def type(self, keys):
        self.process.stdin.write(keys + "\n")
        self.process.stdin.flush()
        assert self.process.stdout.readline().strip() == "typed"


def main():
    environment = dict(os.environ, TOVRA_TARGET_REPORT_CHANGES="1", GDK_BACKEND="wayland")
    target = subprocess.Popen(
        ["/usr/bin/python3", os.path.join(ROOT, "tests/support/targets/gtk_target.py"), "3",
         "entry"], stdout=subprocess.PIPE, text=True, env=environment)
    reports = []

    def read_reports():
        for line in target.stdout:
            reports.append((time.monotonic(), json.loads(line)))

    def wait_for(text, since):
        while not any(report == text for _, report in reports[since:]):
            time.sleep(0.0005)
        return next(at for at, report in reports[since:] if report == text)

    threading.Thread(target=read_reports, daemon=True).start()
    keys = Keys()
    while not reports:  # typed until the window has the focus
        keys.type("text k")
        time.sleep(0.1)
    captures, pastes, plain = [], [], []
    for round_number in range(ROUNDS):
        subprocess.run([TOVRA, "off"], check=True)
        subprocess.run([TOVRA, "on"], check=True)
        text = "item%03d" % round_number
        keys.type("ctrl a")
        keys.type("text " + text)
        keys.type("ctrl a")
        started = time.monotonic()
        keys.type("ctrl c")
        while items() != 1:
            pass
        captures.append(time.monotonic() - started)
        seen = len(reports)
        keys.type("ctrl a")
        keys.type("text x")
        wait_for("x", seen)
        keys.type("ctrl a")
        seen = len(reports)
        started = time.monotonic()
        keys.type("ctrl v")
        pastes.append(wait_for(text, seen) - started)
        time.sleep(0.3)  # the application stops reading before the next round
        # The same with the queue off (which wipes what it staged): the application's own paste.
        subprocess.run([TOVRA, "off"], check=True)
        text = "plain%03d" % round_number
        for chord in ("ctrl a", "text " + text, "ctrl a", "ctrl c", "ctrl a", "text x", "ctrl a"):
            keys.type(chord)
        seen = len(reports)
        started = time.monotonic()
        keys.type("ctrl v")
        plain.append(wait_for(text, seen) - started)
    target.kill()
    print("Ctrl+C typed -> counted, polling `tovra status`:", summary(captures))
    print("Ctrl+V typed -> item in the GTK 3 entry, Tovra on:", summary(pastes))
    print("Ctrl+V typed -> clipboard in the GTK 3 entry, Tovra off:", summary(plain))


main()
