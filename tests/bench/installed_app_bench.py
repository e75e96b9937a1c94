#!/usr/bin/env python3
"""The program as users start it, measured from outside.

Each state starts the installed `halvern` (HALVERN_EMULATE=<devices>) on the X display of $DISPLAY, with
a private home, runtime folder and session bus, waits until its window is mapped, lets it settle, and
reads the process's CPU time (utime + stime of /proc/PID/stat, with the main thread, Qt's pooled threads
and the emulator's threads apart) over a stretch of seconds, and its resident memory. Every state is run
several times and the medians are printed. Figures are printed, never judged.

    xsession start :97                      # Xvfb + openbox
    cmake --install build --prefix /tmp/halvern-inst
    DISPLAY=:97 tests/bench/installed_app_bench.py /tmp/halvern-inst/bin/halvern [--repeat 3]

States: the keyboard, mouse, mouse pad and headset pages (one device each, its page shown as the
program opens it), four devices (start to window shown, resident, then minimised), no device and two
devices (resident).
"""

import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

CLOCK_TICK = os.sysconf("SC_CLK_TCK")
PAGE_KB = os.sysconf("SC_PAGE_SIZE") // 1024


def read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except OSError:
        return ""


def stat_ticks(stat):
    """utime + stime in clock ticks of a /proc stat line."""
    fields = stat[stat.rfind(")") + 2:].split()
    return int(fields[11]) + int(fields[12]) if len(fields) > 12 else 0


def thread_ticks(pid):
    """CPU ticks by group: main, pooled (Qt's thread pool), emulator, other; and the process total."""
    groups = {"main": 0, "pooled": 0, "emulator": 0, "other": 0}
    for tid in os.listdir(f"/proc/{pid}/task"):
        stat = read(f"/proc/{pid}/task/{tid}/stat")
        if not stat:
            continue
        comm = read(f"/proc/{pid}/task/{tid}/comm").strip()
        if int(tid) == pid:
            group = "main"
        elif comm.startswith("Thread (pooled)"):
            group = "pooled"
        elif comm == "emulator":
            group = "emulator"
        else:
            group = "other"
        groups[group] += stat_ticks(stat)
    # Threads that ended in between count in the process's total only.
    return groups, stat_ticks(read(f"/proc/{pid}/stat"))


def resident_mb(pid):
    fields = read(f"/proc/{pid}/statm").split()
    return int(fields[1]) * PAGE_KB / 1024.0 if len(fields) > 1 else 0.0


def xdotool(*args, timeout=5):
    try:
        done = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return ""
    return done.stdout.strip()


def visible_window(pid):
    found = xdotool("search", "--onlyvisible", "--pid", str(pid))
    return found.split()[0] if found else None


class Session:
    """A private home, runtime folder and session bus for one start of the program."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="halvern-bench-")
        self.env = dict(os.environ)
        for name, sub in (("HOME", "home"), ("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data"),
                          ("XDG_RUNTIME_DIR", "run")):
            path = os.path.join(self.root, sub)
            os.makedirs(path, mode=0o700)
            self.env[name] = path
        for noisy in ("HALVERN_DEBUG", "QT_QPA_PLATFORM", "HALVERN_RESOURCES"):
            self.env.pop(noisy, None)
        self.bus = None
        if shutil.which("dbus-daemon"):
            self.bus = subprocess.Popen(
                ["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=subprocess.PIPE,
                text=True, env=self.env)
            self.env["DBUS_SESSION_BUS_ADDRESS"] = self.bus.stdout.readline().strip()

    def close(self):
        if self.bus:
            self.bus.terminate()
            self.bus.wait(5)
        shutil.rmtree(self.root, ignore_errors=True)


def run_state(binary, devices, warmup, seconds, minimise):
    session = Session()
    env = dict(session.env, HALVERN_EMULATE=devices) if devices else session.env
    started = time.monotonic()
    program = subprocess.Popen([binary], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    figures = {}
    try:
        window = None
        deadline = started + 20
        while window is None and time.monotonic() < deadline and program.poll() is None:
            window = visible_window(program.pid)
            if window is None:
                time.sleep(0.005)
        if window is None:
            raise RuntimeError(f"no window for HALVERN_EMULATE={devices!r}")
        figures["shown"] = time.monotonic() - started
        time.sleep(warmup)
        if minimise:
            xdotool("windowminimize", window)
            time.sleep(1.0)
        before, total_before = thread_ticks(program.pid)
        t0 = time.monotonic()
        time.sleep(seconds)
        after, total_after = thread_ticks(program.pid)
        elapsed = time.monotonic() - t0
        share = lambda ticks: 100.0 * ticks / CLOCK_TICK / elapsed
        figures["total"] = share(total_after - total_before)
        for group in before:
            figures[group] = share(after[group] - before[group])
        figures["program"] = figures["total"] - figures["emulator"]
        figures["rss"] = resident_mb(program.pid)
    finally:
        program.send_signal(signal.SIGTERM)
        try:
            program.wait(10)
        except subprocess.TimeoutExpired:
            program.kill()
            program.wait()
        session.close()
    return figures


STATES = [
    # name, HALVERN_EMULATE, minimised
    ("keyboard page", "keyboard", False),
    ("mouse page", "mouse", False),
    ("mouse pad page", "mousepad", False),
    ("headset page", "headset", False),
    ("four devices", "mouse,keyboard,mousepad,headset", False),
    ("minimised, four devices", "mouse,keyboard,mousepad,headset", True),
    ("no device", "", False),
    ("two devices", "mouse,keyboard", False),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    parser.add_argument("binary", help="the installed halvern (<prefix>/bin/halvern)")
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--warmup", type=float, default=4.0, help="seconds after the window shows")
    parser.add_argument("--seconds", type=float, default=15.0, help="seconds measured")
    parser.add_argument("--states", default="", help="comma-separated state names (default: all)")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        sys.exit("installed_app_bench: no DISPLAY (start Xvfb and a window manager first)")
    if not shutil.which("xdotool"):
        sys.exit("installed_app_bench: xdotool is needed")
    wanted = {s.strip() for s in args.states.split(",") if s.strip()}
    print(f"installed_app_bench: {args.binary}, {args.warmup:.0f} s settling, {args.seconds:.0f} s measured, "
          f"median of {args.repeat}; CPU in % of one core")
    print(f"  {'state':26} {'total':>6} {'program':>7} {'main':>6} {'pooled':>6} {'other':>6} "
          f"{'emul.':>6} {'RSS MB':>7} {'shown s':>7}", flush=True)
    for name, devices, minimise in STATES:
        if wanted and name not in wanted:
            continue
        runs = []
        for _ in range(args.repeat):
            try:
                runs.append(run_state(args.binary, devices, args.warmup, args.seconds, minimise))
            except RuntimeError as problem:
                print(f"  ({problem})", flush=True)
        if not runs:
            continue
        med = lambda key: statistics.median(r[key] for r in runs)
        spread = lambda key: f"{min(r[key] for r in runs):.2f}-{max(r[key] for r in runs):.2f}"
        print(f"  {name:26} {med('total'):6.2f} {med('program'):7.2f} {med('main'):6.2f} {med('pooled'):6.2f} "
              f"{med('other'):6.2f} {med('emulator'):6.2f} {med('rss'):7.1f} {med('shown'):7.3f}"
              f"   (total {spread('total')})", flush=True)


if __name__ == "__main__":
    main()
