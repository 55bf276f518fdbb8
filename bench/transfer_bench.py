#!/usr/bin/env python3
"""Speed of a full serial read of the controller's memory (vorelctl read).

Against vorel-sim unpaced: the CPU time (user + system) vorelctl spends on a whole
read, link-up included. Against vorel-sim paced at 115200 baud: the time of the read
itself (vorelctl's own figure, login check included) set against the floor its poll
cadence gives: every controller turn carries one reply, and the PC's answer to it the
next request, so 256 blocks need 256 turns (plus two for the login check).
Usage: bench/transfer_bench.py [build folder] [runs]
"""
import os
import re
import resource
import statistics
import subprocess
import sys
import tempfile

build = sys.argv[1] if len(sys.argv) > 1 else "build"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
vorelctl = os.path.join(build, "vorelctl")
simulator = os.path.join(build, "vorel-sim")
cadence_ms = 20
blocks = 32768 // 128


def read_once(device, folder):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    result = subprocess.run([vorelctl, "read", "--port", device, os.path.join(folder, "r.bin")],
                            capture_output=True, text=True, timeout=120,
                            env=dict(os.environ, VOREL_BACKUP_DIR=os.path.join(folder, "b")))
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if result.returncode != 0:
        sys.exit("read failed: " + result.stderr)
    seconds = float(re.search(r" in ([0-9.]+) s", result.stdout).group(1))
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return seconds, cpu


def bench(paced):
    args = [simulator, "--cadence-ms", str(cadence_ms)] + (["--paced"] if paced else [])
    sim = subprocess.Popen(args, stdout=subprocess.PIPE, text=True)
    device = sim.stdout.readline().split()[-1]
    try:
        with tempfile.TemporaryDirectory() as folder:
            return [read_once(device, folder) for _ in range(runs)]
    finally:
        sim.terminate()
        sim.wait()


unpaced = bench(False)
paced = bench(True)
floor = (blocks + 2) * cadence_ms / 1000.0
print(f"runs: {runs}, simulator cadence {cadence_ms} ms")
print(f"unpaced: CPU of vorelctl per read median {statistics.median(c for _, c in unpaced):.3f} s "
      f"(max {max(c for _, c in unpaced):.3f} s)")
median = statistics.median(s for s, _ in paced)
print(f"paced 115200 baud: read median {median:.2f} s, floor {floor:.2f} s "
      f"({blocks} blocks + 2 login turns x {cadence_ms} ms), {100.0 * (median / floor - 1):+.1f} %")
