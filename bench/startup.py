#!/usr/bin/env python3
"""Start-up time and peak memory of Vorel on the offscreen platform.

Starts the built program N times with VOREL_STARTUP_PROBE set; the program prints
the monotonic clock once its first activation is done and ends. The time from
just before the process is started until that moment is the start-up time.
Usage: bench/startup.py [path/to/vorel] [runs]
"""
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

program = sys.argv[1] if len(sys.argv) > 1 else "build/vorel"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 20

times = []
peaks = []
with tempfile.TemporaryDirectory() as home:
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", VOREL_STARTUP_PROBE="1",
               HOME=home, XDG_CONFIG_HOME=home, XDG_RUNTIME_DIR=home)
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
        start_ms = time.monotonic() * 1000.0
        result = subprocess.run([program], env=env, capture_output=True, text=True, timeout=30)
        stamp = [line for line in result.stdout.splitlines() if line.startswith("first-activation-ms")]
        if result.returncode != 0 or not stamp:
            sys.exit("no start-up stamp: " + result.stdout + result.stderr)
        times.append(float(stamp[0].split()[1]) - start_ms)
        # ru_maxrss of the children is the largest so far, in KiB.
        peaks.append(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)

print(f"runs: {runs}")
print(f"start-up to first activation: median {statistics.median(times):.1f} ms, "
      f"min {min(times):.1f} ms, max {max(times):.1f} ms")
print(f"peak resident memory: {max(peaks) / 1024:.1f} MB")
