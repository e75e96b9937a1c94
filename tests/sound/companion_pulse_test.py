#!/usr/bin/env python3
"""halvern-sound recording a private PulseAudio server's null sink while paplay plays 100 Hz, then 4 kHz, and
pausing its recording once nothing plays."""
import json
import os
import select
import shutil
import socket
import subprocess
import sys
import tempfile
import time

from companion_wav_test import loudest_group, tone, write_wav

SKIP = 77


def wait_for(condition, seconds=10.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.05)
    return False


def server_ready(notify, pid, seconds):
    """Whether the server says "READY=1" on `notify` within `seconds` (false when it ends first)."""
    ended = os.pidfd_open(pid)
    try:
        deadline = time.monotonic() + seconds
        while (left := deadline - time.monotonic()) > 0:
            readable = select.select([notify, ended], [], [], left)[0]
            if ended in readable:
                return False
            if notify in readable and b"READY=1" in notify.recv(256):
                return True
        return False
    finally:
        os.close(ended)


def main():
    companion = sys.argv[1]
    if not (shutil.which("pulseaudio") and shutil.which("paplay") and shutil.which("pactl")):
        print("pulseaudio, paplay or pactl missing")
        return SKIP
    with tempfile.TemporaryDirectory(prefix="halvern-pulse-") as home:
        native = os.path.join(home, "native")
        env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=home, PULSE_RUNTIME_PATH=home,
                   PULSE_SERVER="unix:" + native)
        env.pop("DISPLAY", None)
        # The server says it is ready as a systemd service does: "READY=1" to the socket NOTIFY_SOCKET names.
        notify = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        notify.bind(os.path.join(home, "notify"))
        daemon = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "-L", "module-null-sink sink_name=halvern_test",
             "-L", f"module-native-protocol-unix auth-anonymous=1 socket={native}"],
            env=dict(env, NOTIFY_SOCKET=os.path.join(home, "notify")), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        recorder = None
        try:
            if not server_ready(notify, daemon.pid, 10.0):
                print("the private sound server did not start")
                return SKIP
            low, high = os.path.join(home, "low.wav"), os.path.join(home, "high.wav")
            write_wav(low, tone(100, 0.6))
            write_wav(high, tone(4000, 0.6))
            out_path = os.path.join(home, "blocks.jsonl")
            with open(out_path, "w") as out:
                recorder = subprocess.Popen([companion, "--print"], env=env, stdout=out, stderr=subprocess.PIPE)
            recording = lambda: subprocess.run(["pactl", "list", "short", "source-outputs"], env=env,
                                               capture_output=True, text=True).stdout.strip() != ""
            if not wait_for(recording):
                print("FAIL: the companion never started recording")
                return 1
            subprocess.run(["paplay", low], env=env, check=True)
            subprocess.run(["paplay", high], env=env, check=True)

            def blocks():
                with open(out_path) as f:
                    return [json.loads(line) for line in f if line.endswith("\n")]

            # After the music the companion goes quiet with dark blocks, and with nothing playing it pauses
            # (corks) its recording, so the server sends it nothing.
            if not wait_for(lambda: any(b["silent"] for b in blocks() if b["ms"] > 1000)):
                print("FAIL: no dark block after the sound stopped")
                return 1
            corked = lambda: "Corked: yes" in subprocess.run(["pactl", "list", "source-outputs"], env=env,
                                                            capture_output=True, text=True).stdout
            if not wait_for(corked):
                print("FAIL: the recording goes on while nothing plays")
                return 1
        finally:
            notify.close()
            if recorder:
                recorder.terminate()
                recorder.wait()
            daemon.terminate()
            daemon.wait()

        groups = [loudest_group(b["raw"]) for b in blocks() if not b["silent"] and max(map(abs, b["raw"])) > 500]
        lows = [i for i, g in enumerate(groups) if g <= 5]
        highs = [i for i, g in enumerate(groups) if g >= 17]
        print(f"{len(groups)} sounding blocks: {len(lows)} in the bass, {len(highs)} in the treble")
        if len(lows) < 10 or len(highs) < 10 or highs[0] < lows[-1]:
            print("FAIL: the loudest band did not move from the bass to the treble:", groups)
            return 1
        return 0


if __name__ == "__main__":
    sys.exit(main())
