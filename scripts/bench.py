#!/usr/bin/python3
"""Prints Tovra's speed and memory figures beside a run without Tovra, on a private X server.

Usage: scripts/bench.py [--build DIR] [--samples N] [--idle SECONDS]

- latencies come from build/bench/tovra_x11_bench (the real X11 backends in one process; the
  floor is the same key with nothing grabbing it);
- idle CPU, wake-ups and memory come from the real binary under Xvfb + openbox, measured from
  /proc while nothing happens: after start with the queue on and off, and again after use (a
  copy, a paste into a GTK 3 entry, a burst, a paste nobody took, switching off);
- peak memory for large copies: xclip offers the text, Tovra captures it, /proc says how far
  resident memory rose above idle (VmHWM, reset before each copy).
Figures only: nothing here passes or fails.
"""

import argparse
import datetime
import os
import pathlib
import platform
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    return server, ":" + number


def start_session_bus(env):
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=env)
    return bus, bus.stdout.readline().strip()


def threads_of(pid):
    return list(pathlib.Path(f"/proc/{pid}/task").iterdir())


def cpu_seconds(pid):
    fields = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) / ticks  # utime + stime


def context_switches(pid):
    """Switches so far, by thread: a thread that ends takes its count with it."""
    counts = {}
    for task in threads_of(pid):
        try:
            status = (task / "status").read_text()
        except OSError:
            continue
        counts[task.name] = sum(
            int(re.search(rf"^{name}:\s+(\d+)", status, re.M).group(1))
            for name in ("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches"))
    return counts


def status_kib(pid, field):
    status = pathlib.Path(f"/proc/{pid}/status").read_text()
    return int(re.search(rf"^{field}:\s+(\d+) kB", status, re.M).group(1))


def pss_kib(pid):
    rollup = pathlib.Path(f"/proc/{pid}/smaps_rollup").read_text()
    return int(re.search(r"^Pss:\s+(\d+) kB", rollup, re.M).group(1))


def reset_peak(pid):
    # Writing 5 resets VmHWM to the current resident size.
    pathlib.Path(f"/proc/{pid}/clear_refs").write_text("5")


def idle_figures(pid, seconds):
    cpu, before = cpu_seconds(pid), context_switches(pid)
    start = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    after = context_switches(pid)
    switches = sum(count - before.get(tid, 0) for tid, count in after.items())
    return 100 * (cpu_seconds(pid) - cpu) / elapsed, switches / elapsed


def rest_after(label, pid, seconds):
    cpu, wakeups = idle_figures(pid, seconds)
    print(f"{'at rest after ' + label + ': CPU / wake-ups':52} {cpu:7.3f} %   {wakeups:6.2f} per s")


def rest_after_use(env, pid, seconds):
    """The events of a session, each followed by a look at what Tovra does while nothing happens."""
    target = subprocess.Popen(["/usr/bin/python3", str(ROOT / "tests/support/targets/gtk_target.py"),
                               "3", "entry"], env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    time.sleep(2)
    clip = offer_clipboard(env, b"one\ntwo\nthree\nfour\nfive")
    time.sleep(4)  # the overlay that shows after a copy has faded
    rest_after("a copy", pid, seconds)
    xdotool(env, "ctrl+v")
    time.sleep(1)
    rest_after("a paste", pid, seconds)
    xdotool(env, "ctrl+shift+v")
    time.sleep(1)
    rest_after("a burst", pid, seconds)
    target.terminate()
    target.wait()
    clip.terminate()
    clip.wait()
    clip = offer_clipboard(env, b"six\nseven")
    time.sleep(1)
    xdotool(env, "ctrl+v")  # no window takes it: the item comes back after 3 s
    time.sleep(4)
    rest_after("a paste nobody took", pid, seconds)
    xdotool(env, "ctrl+shift+s")
    time.sleep(4)
    rest_after("switching off", pid, seconds)
    xdotool(env, "ctrl+shift+s")
    time.sleep(1)
    clip.terminate()
    clip.wait()


def xdotool(env, *keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], env=env, check=False)


def offer_clipboard(env, data):
    """xclip serves `data` until someone else owns the clipboard."""
    clip = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard", "-i"], stdin=subprocess.PIPE,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    clip.stdin.write(data)
    clip.stdin.close()
    return clip


def run_latency_bench(build, samples):
    binary = build / "bench" / "tovra_x11_bench"
    if not binary.exists():
        return ["(no " + str(binary) + ": build with tests on)"]
    result = subprocess.run([str(binary), "--samples", str(samples), "--idle-seconds", "0"],
                            capture_output=True, text=True, check=False)
    return [line for line in result.stdout.splitlines() if line.strip()]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=str(ROOT / "build"))
    parser.add_argument("--samples", type=int, default=100)
    parser.add_argument("--idle", type=float, default=60)
    args = parser.parse_args()
    build = pathlib.Path(args.build)
    tovra_binary = build / "Tovra" / "tovra"

    print(f"machine: {platform.machine()}, {os.cpu_count()} cores, "
          f"{platform.release()}, {time.strftime('%Y-%m-%d')}")
    print("\n== latency (median / p90 / max; 'no grab' is the floor) ==")
    for line in run_latency_bench(build, args.samples):
        print(line)

    server, display = start_xvfb()
    env = dict(os.environ, DISPLAY=display)
    for name in ("WAYLAND_DISPLAY", "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS"):
        env.pop(name, None)
    config = tempfile.mkdtemp(prefix="tovra-bench-")
    (pathlib.Path(config) / "moxworks").mkdir()
    # Not a first run, and an update check just done: the measured run never reaches out.
    checked = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
    (pathlib.Path(config) / "moxworks" / "tovra.conf").write_text(
        "[General]\nmoxworks.tovra.firstRunCompleted=true\n"
        f"moxworks.tovra.lastUpdateCheck={checked}\n")
    env["XDG_CONFIG_HOME"] = config
    helpers = []
    try:
        bus, address = start_session_bus(env)
        helpers.append(bus)
        env["DBUS_SESSION_BUS_ADDRESS"] = address
        helpers.append(subprocess.Popen(["openbox", "--sm-disable"], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        time.sleep(1.5)

        print(f"\n== at rest, {args.idle:.0f} s each (no Tovra: 0 % and 0 wake-ups) ==")
        tovra = subprocess.Popen([str(tovra_binary)], env=env, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        helpers.append(tovra)
        time.sleep(4)
        pid = tovra.pid
        print(f"threads: {len(threads_of(pid))}")
        cpu, wakeups = idle_figures(pid, args.idle)
        print(f"{'idle, queue on: CPU / wake-ups':52} {cpu:7.3f} %   {wakeups:6.2f} per s")
        idle_pss = pss_kib(pid)
        print(f"{'idle PSS, queue on':52} {idle_pss / 1024:7.1f} MiB")
        xdotool(env, "ctrl+shift+s")  # off; the overlay that says so hides again first
        time.sleep(5)
        cpu, wakeups = idle_figures(pid, args.idle)
        print(f"{'idle, queue off: CPU / wake-ups':52} {cpu:7.3f} %   {wakeups:6.2f} per s")
        xdotool(env, "ctrl+shift+s")  # on again
        time.sleep(1)
        rest_after_use(env, pid, args.idle / 4)

        # One small copy first: the overlay's first showing allocates what it keeps for later.
        clip = offer_clipboard(env, b"warm-up")
        time.sleep(1)
        clip.terminate()
        clip.wait()
        xdotool(env, "ctrl+shift+s", "ctrl+shift+s")
        time.sleep(4)
        warm_pss = pss_kib(pid)
        print(f"{'PSS after one small copy, queue emptied':52} {warm_pss / 1024:7.1f} MiB")

        print("\n== peak memory for a large copy (growth of resident memory over idle) ==")
        copies = [
            ("4 MB: 2,000,000 two-byte lines", b"a\n" * 2_000_000),
            ("10 MiB: 10,485,760 one-byte lines", b"\n" * (10 * 1024 * 1024)),
            ("10 MiB: one line", b"x" * (10 * 1024 * 1024)),
            ("10 MiB: 1,000 lines of 10 KiB", (b"y" * 10239 + b"\n") * 1024),
        ]
        for label, data in copies:
            before = status_kib(pid, "VmRSS")
            reset_peak(pid)
            clip = offer_clipboard(env, data)
            time.sleep(6)  # read and split; Tovra keeps the newest items only
            peak = status_kib(pid, "VmHWM") - before
            print(f"{label:52} +{peak / 1024:6.1f} MB   ({peak * 1024 / len(data):.1f} x the copy)")
            clip.terminate()
            clip.wait()
            xdotool(env, "ctrl+shift+s", "ctrl+shift+s")  # off and on: the queue is emptied
            time.sleep(1.5)
        time.sleep(3)
        print(f"{'PSS after them, queue emptied (small copy: above)':52} "
              f"{pss_kib(pid) / 1024:7.1f} MiB")
    finally:
        for process in reversed(helpers):
            process.send_signal(signal.SIGTERM)
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
        server.terminate()
        server.wait()
        shutil.rmtree(config, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
