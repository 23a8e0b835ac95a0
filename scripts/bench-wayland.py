#!/usr/bin/env python3
"""Measures Tovra on a Wayland compositor as a key binding drives it: a copy by wl-copy until
Tovra counts it, and `tovra paste-next` until the text is in a GTK 3 entry running natively.

It switches the queue off and on between rounds (emptying it): run it in a session of its own,
a headless sway or KWin with Tovra started there (the end-to-end tests show how).

Usage: scripts/bench-wayland.py path/to/tovra [rounds]
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


def main():
    environment = dict(os.environ, TOVRA_TARGET_REPORT_CHANGES="1", GDK_BACKEND="wayland")
    target = subprocess.Popen(
        ["/usr/bin/python3", os.path.join(ROOT, "tests/support/targets/gtk_target.py"), "3",
         "entry"], stdout=subprocess.PIPE, text=True, env=environment)
    reports = []

    def read_reports():
        for line in target.stdout:
            reports.append((time.monotonic(), json.loads(line)))

    threading.Thread(target=read_reports, daemon=True).start()
    time.sleep(2)  # the window maps and takes the focus
    captures, pastes, typed = [], [], ""
    for round_number in range(ROUNDS):
        subprocess.run([TOVRA, "off"], check=True)
        subprocess.run([TOVRA, "on"], check=True)
        text = "item%03d" % round_number
        started = time.monotonic()
        subprocess.run(["wl-copy", "--", text], check=True)
        while items() != 1:
            pass
        captures.append(time.monotonic() - started)
        typed += text
        seen = len(reports)
        started = time.monotonic()
        subprocess.run([TOVRA, "paste-next"], check=True)
        while not any(report == typed for _, report in reports[seen:]):
            time.sleep(0.0005)
        pastes.append(next(at for at, report in reports[seen:] if report == typed) - started)
        time.sleep(0.3)  # the application stops reading before the next round
    command = []
    for _ in range(20):
        started = time.monotonic()
        items()
        command.append(time.monotonic() - started)
    target.kill()
    print("copy (wl-copy started) -> counted, polling `tovra status`:", summary(captures))
    print("one `tovra status` alone:", summary(command))
    print("`tovra paste-next` started -> text in the GTK 3 entry:", summary(pastes))


main()
