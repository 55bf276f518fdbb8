#!/usr/bin/env python3
"""The serial soak through the real programs: vorelctl against vorel-sim on a
pseudo-terminal whose line loses, damages and doubles bytes (--line-faults). Each
round writes a different configuration with --verify, then reads the memory back;
whatever vorelctl reports as done must hold the right bytes. Slow (seconds per
operation, the line's own time): the thousands of rounds run in bench/serial_soak.

Usage: bench/sim_soak.py [build folder] [rounds] [ppm]
"""
import os
import random
import re
import subprocess
import sys
import tempfile

build = sys.argv[1] if len(sys.argv) > 1 else "build"
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 10
ppm = sys.argv[3] if len(sys.argv) > 3 else "50"
here = os.path.dirname(os.path.abspath(__file__))
example = os.path.join(here, "..", "examples", "laundry-demo.xml")
vorelctl = os.path.join(build, "vorelctl")
clock = "2026-12-08 09:30:00"
written_range = (32, 15648)  # what a write of the configuration covers at most


def vary(text, rng):
    name = "Soak " + "".join(rng.choice("ABCDEFGHJKLMNPQRSTUVWXYZ0123456789") for _ in range(10))
    return re.sub(r"<SystemName>[^<]*</SystemName>", "<SystemName>%s</SystemName>" % name, text, 1)


def main():
    rng = random.Random(1)
    figures = {"writes ok": 0, "writes ended": 0, "reads ok": 0, "reads ended": 0, "wrong": 0}
    sim = subprocess.Popen([os.path.join(build, "vorel-sim"), "--cadence-ms", "5",
                            "--line-faults", ppm, "--seed", "5"], stdout=subprocess.PIPE, text=True)
    device = sim.stdout.readline().split()[-1]
    try:
        with tempfile.TemporaryDirectory() as folder:
            env = dict(os.environ, VOREL_BACKUP_DIR=os.path.join(folder, "b"))
            source = open(example, encoding="utf-8").read()
            for i in range(rounds):
                xml = os.path.join(folder, "c%d.xml" % i)
                with open(xml, "w", encoding="utf-8") as f:
                    f.write(vary(source, rng))
                packed = os.path.join(folder, "c%d.bin" % i)
                subprocess.run([vorelctl, "convert", xml, packed, "--clock", clock],
                               check=True, capture_output=True)
                wrote = subprocess.run([vorelctl, "write", "--port", device, xml, "--clock", clock,
                                        "--verify", "--drop-texts"],
                                       capture_output=True, text=True, timeout=300, env=env)
                figures["writes ok" if wrote.returncode == 0 else "writes ended"] += 1
                got = os.path.join(folder, "r%d.bin" % i)
                read = subprocess.run([vorelctl, "read", "--port", device, got],
                                      capture_output=True, text=True, timeout=300, env=env)
                if read.returncode != 0:
                    figures["reads ended"] += 1
                    continue
                figures["reads ok"] += 1
                if wrote.returncode == 0:
                    a, b = written_range
                    if open(got, "rb").read()[a:b] != open(packed, "rb").read()[a:b]:
                        figures["wrong"] += 1
                        print("round %d: a verified write read back different" % i)
                print("round %d: write %d, read %d" % (i, wrote.returncode, read.returncode),
                      file=sys.stderr)
    finally:
        sim.terminate()
        sim.wait()
    print(", ".join("%s %d" % item for item in figures.items()))
    return 1 if figures["wrong"] else 0


if __name__ == "__main__":
    sys.exit(main())
