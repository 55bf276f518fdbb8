#!/usr/bin/env python3
"""Feeds vorelctl thousands of damaged system files and images: each run must end
with a documented exit code (check: 0, 1 or 3; convert: 0 or 1) inside its time
limit and print no sanitizer report. Run it against a build made with
-DVOREL_SANITIZE=ON:

    python3 fuzz/vorelctl_mutations.py build-asan/vorelctl [COUNT] [SEED]

Deterministic for a given seed; prints how many files went through each verb."""

import os
import random
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

HERE = os.path.dirname(os.path.abspath(__file__))
SEEDS = [os.path.join(HERE, "..", "tests", "data", "golden_small.xml"),
         os.path.join(HERE, "..", "examples", "laundry-demo.xml")]
TIME_LIMIT = 20  # seconds a run may take under the sanitizers
EXPECTED = {"check": {0, 1, 3}, "convert": {0, 1}}
JUNK = [b"<", b">", b"&", b"&#0;", b"&#x110000;", b"]]>", b"<![CDATA[", b"\x00", b"\xff",
        b"\xc3", b"<!DOCTYPE x [<!ENTITY e SYSTEM 'file:///etc/passwd'>]>", b"&e;",
        b"<Machine11>", b"<Program>", b"<L><I>Pump</I><D>", b"99999999999", b"-1", b"?15",
        b"\xef\xbb\xbf", b"\xff\xfe", b'encoding="UTF-8"']


def mutate(data, rng):
    data = bytearray(data)
    for _ in range(rng.randint(1, 6)):
        kind = rng.randrange(6)
        at = rng.randrange(len(data) + 1)
        if kind == 0 and data:
            data[min(at, len(data) - 1)] = rng.randrange(256)
        elif kind == 1:
            data[at:at] = rng.choice(JUNK)
        elif kind == 2:
            del data[at:at + rng.randint(1, 200)]
        elif kind == 3:
            size = rng.randint(1, 400)
            start = rng.randrange(max(1, len(data) - size))
            data[at:at] = data[start:start + size]
        elif kind == 4:
            data = data[:at]
        else:
            data[at:at] = str(rng.choice([256, -1, 65536, 2**31, 7, 300])).encode()
    return bytes(data)


def image_mutant(rng, base):
    data = bytearray(base)
    for _ in range(rng.randint(1, 40)):
        data[rng.randrange(len(data))] = rng.randrange(256)
    return bytes(data)


def run(vorelctl, verb, path, folder):
    args = [vorelctl, verb, path] + ([os.path.join(folder, "out.xml")] if verb == "convert" else [])
    try:
        done = subprocess.run(args, capture_output=True, timeout=TIME_LIMIT)
    except subprocess.TimeoutExpired:
        return f"{verb} {path}: no end within {TIME_LIMIT} s"
    report = done.stderr.decode(errors="replace")
    if done.returncode not in EXPECTED[verb] or "Sanitizer" in report or "runtime error" in report:
        return f"{verb} {path}: exit {done.returncode}\n{report[-2000:]}"
    return None


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    vorelctl = argv[1]
    count = int(argv[2]) if len(argv) > 2 else 2000
    rng = random.Random(int(argv[3]) if len(argv) > 3 else 1)
    seeds = [open(p, "rb").read() for p in SEEDS]
    with tempfile.TemporaryDirectory() as folder:
        image = os.path.join(folder, "seed.bin")
        subprocess.run([vorelctl, "convert", SEEDS[0], image, "--clock", "2026-12-08 09:30:00"],
                       check=True, capture_output=True)
        base_image = open(image, "rb").read()
        files = []
        for n in range(count):
            data = image_mutant(rng, base_image) if n % 10 == 9 else mutate(rng.choice(seeds), rng)
            sub = os.path.join(folder, str(n))
            os.mkdir(sub)
            path = os.path.join(sub, "in.xml")
            with open(path, "wb") as f:
                f.write(data)
            files.append((path, sub))
        jobs = [(verb, path, sub) for path, sub in files for verb in ("check", "convert")]
        with ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
            faults = [f for f in pool.map(lambda j: run(vorelctl, *j), jobs) if f]
    for fault in faults[:10]:
        print(fault)
    print(f"{count} damaged files through check and convert: {len(jobs)} runs, "
          f"{len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
