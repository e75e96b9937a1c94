#!/usr/bin/env python3
"""halvern-sound --wav --print on generated tones: a 100 Hz tone, a 4 kHz tone, then silence."""
import json
import math
import os
import select
import struct
import subprocess
import sys
import tempfile
import wave

RATE = 44100


def tone(hz, seconds, amplitude=0.5):
    return [amplitude * math.sin(2 * math.pi * hz * i / RATE) for i in range(int(RATE * seconds))]


def write_wav(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<hh", int(s * 32767), int(s * 32767)) for s in samples))


def loudest_group(raw):
    return max(range(25), key=lambda g: sum(abs(v) for v in raw[5 * g:5 * g + 4]))


SILENT_TAIL = 15  # blocks, a quarter of a second


# Starts the program it is given, says its process number and then waits to be killed.
LAUNCHER = "import signal, subprocess, sys; p = subprocess.Popen(sys.argv[1:]); print(p.pid, flush=True); signal.pause()"


def read_line(stream, seconds):
    """A line of an unbuffered pipe, or "" when none comes within `seconds`."""
    if not select.select([stream], [], [], seconds)[0]:
        return ""
    return stream.readline().decode(errors="replace").strip()


def ends_within(pid, seconds):
    """Whether process `pid` ends (a zombie nobody reaped counts) within `seconds`: its pidfd becomes
    readable when it does."""
    try:
        ended = os.pidfd_open(pid)
    except ProcessLookupError:
        return True
    with os.fdopen(ended) as watched:
        return bool(select.select([watched], [], [], seconds)[0])


def main():
    companion = sys.argv[1]
    failures = []
    with tempfile.NamedTemporaryFile(suffix=".wav") as f:
        write_wav(f.name, tone(100, 0.5) + tone(4000, 0.5) + [0.0] * RATE)
        out = subprocess.run([companion, "--wav", f.name, "--print", "--colour", "9,0,4"],
                             check=True, capture_output=True, text=True).stdout
    blocks = [json.loads(line) for line in out.splitlines()]

    def check(ok, text):
        if not ok:
            failures.append(text)

    sounding = [b for b in blocks if not b["silent"]]
    check(len(sounding) >= 30, f"{len(sounding)} blocks for one second of sound")
    check(all(len(b["raw"]) == 500 and len(b["six"]) == 6 for b in blocks), "block sizes")
    check(all(not any(b["raw"][125:]) for b in blocks), "positions past 124 are used")
    low = [loudest_group(b["raw"]) for b in sounding if 150 <= b["ms"] <= 450]
    high = [loudest_group(b["raw"]) for b in sounding if 700 <= b["ms"] <= 1000]
    check(low and max(low) <= 5, f"100 Hz lands in groups {low}")
    check(high and min(high) >= 17, f"4 kHz lands in groups {high}")
    check(all(max(map(abs, b["raw"][:50])) > 0 for b in sounding if 150 <= b["ms"] <= 450),
          "the mouse's positions miss the bass")
    check(all(b["six"][1] == 0 and b["six"][0] > b["six"][2] > 0 for b in sounding if b["ms"] >= 150),
          "six-value colour does not follow the style colour")
    signs = [b["raw"][15] for b in sounding if 150 <= b["ms"] <= 450]
    check(all(a * b < 0 for a, b in zip(signs, signs[1:])), "levels do not flip sign from block to block")
    # A second of silence: a quarter of a second of dark blocks (so the application's bands fade), then nothing.
    silent = [b for b in blocks if b["silent"]]
    check(len(silent) == SILENT_TAIL and blocks[-SILENT_TAIL:] == silent
          and not any(any(b["raw"]) or any(b["six"]) for b in silent),
          f"{len(silent)} silent blocks printed; expected {SILENT_TAIL} dark blocks at the end")

    # Files from elsewhere: a data chunk claiming more than the file holds, an odd fmt chunk, no WAV at all.
    header = b"RIFF\xff\xff\xff\xffWAVEfmt \x10\x00\x00\x00" + struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    hostile = {
        "cut-off data": header + b"data\xff\xff\xff\x7f" + b"\x01\x02" * 3000,
        "odd width": b"RIFF\x00\x00\x00\x00WAVEfmt \x10\x00\x00\x00" + struct.pack("<HHIIHH", 1, 1, RATE, 0, 0, 12),
        "no WAV": b"RIFX" + b"\x00" * 40,
        "fmt past the end": b"RIFF\x00\x00\x00\x00WAVEfmt \xff\xff\xff\xff\x01\x00",
    }
    for name, data in hostile.items():
        with tempfile.NamedTemporaryFile(suffix=".wav") as f:
            f.write(data)
            f.flush()
            result = subprocess.run([companion, "--wav", f.name, "--print"], capture_output=True, text=True)
        check(result.returncode in (0, 1), f"{name}: exit {result.returncode}")
        check(name == "cut-off data" or (result.returncode == 1 and result.stderr), f"{name} accepted")

    # Started by a program that ends before it ever connects, the companion ends too instead of waiting
    # for a connection for good.
    with tempfile.TemporaryDirectory() as runtime, tempfile.NamedTemporaryFile(suffix=".wav") as f:
        write_wav(f.name, tone(100, 0.2))
        launcher = subprocess.Popen(
            [sys.executable, "-c", LAUNCHER, companion, "--wav", f.name],
            stdout=subprocess.PIPE, bufsize=0, env={**os.environ, "XDG_RUNTIME_DIR": runtime})
        try:
            # The launcher's process number and the companion's "listening", in whichever order they come.
            lines = [read_line(launcher.stdout, 5.0) for _ in range(2)]
        finally:
            launcher.kill()
            launcher.wait()
        numbers = [int(line) for line in lines if line.isdigit()]
        check("listening" in lines and len(numbers) == 1, f"the launch said {lines}")
        check(not numbers or ends_within(numbers[0], 5.0), "the companion outlived the program that started it")
        launcher.stdout.close()

    for text in failures:
        print("FAIL:", text)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
