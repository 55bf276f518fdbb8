#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora, fuzz/corpus/<target>/, from the vectors the
unit tests work out by hand (tests/core/*_test.cpp), tests/data and the example system.
Deterministic: running it again rewrites the same files. The fuzzers never write
here; fuzz/run.sh fuzzes a scratch copy.

    python3 fuzz/make_seeds.py
"""

import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..")
CORPUS = os.path.join(HERE, "corpus")

STX, ETX, DLE = 0x02, 0x03, 0x10
SPECIAL = {0x02, 0x03, 0x10, 0x15, 0x16}


def escaped(data):
    out = bytearray()
    for b in data:
        out += bytes([DLE, b ^ 0x20]) if b in SPECIAL else bytes([b])
    return out


def fnv1a(data):
    h = 2166136261
    for b in data:
        h = ((h ^ b) * 16777619) & 0xFFFFFFFF
    return h


def sampled(make, one_in=64):
    """The first of make(0), make(1), ... that the targets' hash samples for their
    system file check (one input in 64), so that a replay runs that check too."""
    n = 0
    while fnv1a(make(n)) % one_in != 0:
        n += 1
    return make(n)


def complement(data):
    return (sum(data) & 0xFF) ^ 0xFF


# ---- the controller's serial line ------------------------------------------------

def setup(options=0, trigger=1, window=False, ticks=1, messages=False):
    """The frame target's two set-up bytes; `ticks` in threes after each frame."""
    return bytes([options, (trigger & 7) | (0x08 if window else 0) | (0x10 if messages else 0) |
                  (ticks << 5)])


class Record(bytes):
    """A message for the frame target's messages mode: the target seals and frames it."""


def record(m, in_sequence=True, sealed=True):
    return Record(bytes([(1 if in_sequence else 0) | (0 if sealed else 2), len(m)]) + bytes(m))


def unsealed(command, payload=b"", destination=2, source=1):
    return bytes([command, 0, 0, destination, source, 0]) + bytes(payload)


def status_long():
    m = bytearray(unsealed(0x33, bytes(58)))
    m[6], m[7], m[8], m[9] = 0x45, 0x99, 0xFF, 0x0F
    for k in range(10):
        m[14 + 5 * k: 19 + 5 * k] = bytes([k + 3, (k % 7) + 1, 0x05, 0x2A, 40 + k])
    return bytes(m)


def status_short():
    # The report the live message tests widen by hand (its length byte already 44).
    m = bytearray(unsealed(0x33, bytes(38)))
    m[6], m[7], m[8], m[9], m[10] = 0x45, 0x99, 0xFF, 0xFF, 0x12
    m[14:17] = bytes([0xC5, 0xFF, 0xFF])
    m[14 + 27:14 + 30] = bytes([24, 3, 0x04])
    return bytes(m)


def trigger_frame(code, machine, inputs, weight, unit=0, version=0, program=None):
    payload = bytes([inputs, 0, weight, unit, version]) + (bytes([program]) if program is not None else b"")
    return unsealed(code, payload, destination=1, source=3 + machine)


def frame_seeds():
    poll = unsealed(0x30)
    login_reply = unsealed(0x35, bytes([10, 0x26, 0x02]) + b"Password\0\0")
    monitor = bytes([0x13, 0x00, 0x01, 0xE2, 0x40, 0x00, 0x00, 0x00, 0x2A, 1, 2, 3, 4, 0x55])
    seeds = {}

    def messages(name, *records, **options):
        seeds[name] = setup(messages=True, **options) + b"".join(
            r if isinstance(r, Record) else record(r) for r in records)

    # The first frame is out of step (the link synchronises); the rest are in step.
    messages("poll_answered_with_the_login_read_and_its_reply",
             record(poll, False), poll, login_reply, poll, poll)
    messages("status_reports_long_and_short", record(poll, False), status_long(), status_short(), poll,
             trigger=7, window=True)
    messages("status_reports_miele_pulse", record(poll, False), status_long(), status_long(),
             trigger=6, window=True)
    messages("trigger_frames_weight",
             trigger_frame(0x0A, 0, 0x06, 15), trigger_frame(0x0A, 1, 0x00, 99),
             trigger_frame(0x0A, 2, 0x10, 4), trigger_frame(0x0A, 9, 0x21, 4),
             trigger_frame(0x0B, 4, 0, 0, 0x32, 0x21), trigger_frame(0x0B, 5, 0, 0, 0x02, 0x21, 17),
             trigger=2)
    messages("trigger_frames_electrolux", trigger_frame(0x0A, 0, 0x20, 12),
             trigger_frame(0x0A, 3, 0x00, 150), trigger=5)
    messages("trigger_frames_miele_logic", trigger_frame(0x0A, 6, 0x01, 150),
             trigger_frame(0x0B, 7, 0x3F, 201, 0x30, 0x11), trigger=4)
    messages("ethernet_monitor", record(poll, False), poll, poll, unsealed(0x3F, monitor),
             unsealed(0x3F, b"\x03" + monitor[1:]), options=0x08)
    messages("machine_reset_waits_for_poll", record(poll, False), poll, poll, poll,
             options=0x04 | (3 << 4))
    messages("machine_reset_none_chosen", record(poll, False), poll, poll, options=0x04 | (15 << 4))
    messages("log_confirmations", record(poll, False), unsealed(0x3A), unsealed(0x3C),
             unsealed(0x37, bytes([0x80, 0x10, 0x00])))
    messages("refused_memory_replies", record(poll, False), poll,
             unsealed(0x35, bytes([3, 0, 0x10, 0xDE])), unsealed(0x37, bytes([0, 0, 0x10])),
             unsealed(0x37, bytes([0x81, 0, 0x10])), unsealed(0x35), login_reply)
    messages("unsealed_and_out_of_step", record(poll, False), record(poll, True, False),
             record(poll, False), poll, record(unsealed(0x30, b"", 1, 3), True, False))
    messages("link_drops_after_silence", record(poll, False), poll, record(poll, True, False),
             record(poll, True, False), poll, ticks=7)
    # The unacknowledged request goes out again after a resynchronisation.
    messages("retransmit_after_resync", record(poll, False), poll, record(poll, False), poll, poll)

    # Bytes as they are: the frames the frame tests work out by hand.
    poll_frame = bytes([0x02, 0x30, 0x06, 0x05, 0x10, 0x22, 0x01, 0xC1, 0x03])
    specials = bytes([0x02, 0x32, 0x0B, 0x01, 0x01, 0x10, 0x22, 0x7E, 0x10, 0x22,
                      0x10, 0x23, 0x10, 0x30, 0x10, 0x35, 0x10, 0x36, 0x03])
    edges = bytes([0x02, 0x01, 0x10, 0x23, 0x04, 0x03, 0x02, 0x10, 0x22, 0x07, 0x03,
                   0x02, 0x09, 0x09, 0x02, 0x05, 0x06, 0x03, 0x02, 0x05, 0x03, 0x03, 0x02, 0x01, 0x04, 0x03])
    seeds["receiver_edges"] = setup() + poll_frame + edges + specials
    seeds["boot_loader_bytes"] = setup(options=0x01) + bytes([0x55, 0xAA]) + poll_frame + bytes([0x06])
    seeds["programming_ignores_frames"] = setup(options=0x03) + bytes([0x06]) + poll_frame + poll_frame
    seeds["longest_frame_and_one_more"] = setup() + bytes([STX]) + b"A" * 1000 + bytes([ETX, STX]) + \
        b"A" * 1001 + bytes([ETX]) + bytes([STX]) + b"A" * 1000 + bytes([DLE, 0x23, ETX]) + poll_frame
    return seeds


# ---- the gateway socket ----------------------------------------------------------

def gframe(m):
    m = bytes(m)
    return bytes([STX]) + escaped(m + bytes([complement(m)])) + bytes([ETX])


def gline(*messages):
    return b"".join(gframe(m) for m in messages)


def entry(serial, name, in_use, address):
    return b"BD" + b"".join(t.encode() + b"\0" for t in (serial, name, in_use, address))


END_OF_LIST = b"BD\0"
LOGIN = [entry("7", "L", "-", "x"), END_OF_LIST, b"BE\0" + b"7\0A\0", b"BF1\0"]


def block(address, data):
    return b"BH" + struct.pack("<HH", address, len(data)) + bytes(data)


def gateway_status():
    m = bytearray(b"CX") + bytearray(114)
    m[2], m[4], m[5] = 0x45, 0xFF, 0x0F
    for k in range(10):
        r = 16 + 10 * k
        m[r:r + 4] = bytes([k + 3, (k % 7) + 1, [0x0F, 0x01, 0x00, 0x05][k % 4], 0x2A])
    return bytes(m)


def gmessages(options, *messages):
    """The gateway target's messages mode: length-prefixed messages it frames itself."""
    out = bytes([options | 0x20])
    for m in messages:
        assert len(m) <= 255
        out += bytes([len(m)]) + bytes(m)
    return out


def gateway_seeds():
    image_start = b"MQ350\x01\x01\x03\x02\x0e" + struct.pack("<I", 20117) + bytes(18)
    seeds = {}
    # As the bytes arrive: a login and the start of a read, every checksum worked out here.
    seeds["login_then_read_bytes"] = bytes([0x09]) + gline(
        *LOGIN, block(0, image_start), block(32, b"Harbour\0" + bytes(192)), block(232, bytes(1800)))
    seeds["login_then_read"] = gmessages(
        0x09, *LOGIN, block(0, image_start), block(32, b"Harbour\0" + bytes(192)), block(232, bytes(200)))
    seeds["login_then_status_and_confirmations"] = gmessages(
        0x01, *LOGIN, gateway_status(), b"C%\0\0", b"C&\0\0", b"C!\0\0", b"C#\0\0", gateway_status()[:100])
    seeds["login_then_write_checksums"] = gmessages(0x11, *LOGIN, b"CS\x34\x12", b"CS\x00\x00", b"CS\x01")
    seeds["read_only_access"] = gmessages(0x09, *LOGIN[:2], b"BE\0007\0B\0", b"BFOffline\0")
    seeds["several_systems_first_picked"] = gmessages(
        0x0B, entry("7", "North", "-", "10.0.0.7"), entry("8", "South", "tech2", "10.0.0.8"),
        entry("9", "West", "-", "Offline"), END_OF_LIST, b"BE\x02", b"BE\x01", b"BE\0" + b"07\0A\0",
        b"BF10.0.0.7\0")
    seeds["login_rejected_and_retried"] = gmessages(0x04, b"BI", b"BI\0", *LOGIN)
    seeds["selection_texts_past_their_limits"] = gmessages(
        0x02, entry("7", "L", "-", "x"), END_OF_LIST, b"BE\0" + b"1" * 20 + b"\0A\0",
        b"BE\0" + b"7\0" + b"A" * 10 + b"\0", b"BE\0" + b"7", b"BD" + b"9" * 101 + b"\0")
    # A block that claims more than it carries is ignored; one at the wrong address
    # ends the read.
    seeds["short_and_out_of_order_blocks"] = gmessages(
        0x08, *LOGIN, block(0, b"\x01\x02\x03")[:-1], bytes([0x42, 0x48, 0x10, 0, 1, 0, 0xAA]))
    # The parser's edges, as the gateway tests work them out: noise before STX, an
    # escaped byte that would restart the frame, a wrong checksum, the full buffer.
    noise = bytes([0xFF, 0x41, 0x03, 0x02, 0x42, 0x46, 0x10, 0x02, 0x00, 0x55,
                   0x03, 0x77, 0x02, 0x42, 0x46, 0x22, 0x00, 0x56, 0x03])
    full = bytes([STX, 0x42, 0x46]) + b"A" * 1997 + bytes([0x6A, ETX])
    over = bytes([STX, 0x42, 0x46]) + b"A" * 1998 + bytes([0x29, ETX])
    seeds["receiver_edges_and_full_buffer"] = bytes([0x00]) + noise + full + over + gline(b"BF2\0")
    return seeds


# ---- system files ----------------------------------------------------------------

def system_file(body, declaration=True):
    head = '<?xml version="1.0" encoding="windows-1252"?>\r\n' if declaration else ""
    return (head + "<TL4200system>" + body + "</TL4200system>").encode("latin-1")


def machine(number, body):
    return "<MachineData><Machine%d>%s</Machine%d></MachineData>" % (number, body, number)


def system_file_seeds():
    with open(os.path.join(ROOT, "tests", "data", "golden_small.xml"), "rb") as f:
        golden = f.read().decode("latin-1").split("\n")
    seeds = {}
    # The golden file up to its first program, closed there.
    first_program_end = next(i for i, l in enumerate(golden) if "</Program>" in l)
    seeds["golden_first_program"] = ("\n".join(golden[:first_program_end + 1]) +
                                     "\n    </Machine1>\n  </MachineData>\n</TL4200system>\n").encode("latin-1")

    def section(start_marker, end_marker, start_at=0):
        start = next(i for i in range(start_at, len(golden)) if start_marker in golden[i])
        end = next(i for i in range(start, len(golden)) if end_marker in golden[i])
        return "\n".join(golden[start:end + 1]), start

    m3_trigger, _ = section("<Trigger>", "</Trigger>", next(i for i, l in enumerate(golden) if "<Machine3>" in l))
    m5_trigger, _ = section("<Trigger>", "</Trigger>", next(i for i, l in enumerate(golden) if "<Machine5>" in l))
    seeds["golden_miele_and_ethernet_triggers"] = system_file(machine(3, m3_trigger) + machine(5, m5_trigger))
    logs = "\n".join(l for l in golden if "<AlarmLog>" in l or "<DataLog>" in l)
    seeds["golden_logs"] = system_file(logs)
    seeds["settings_and_fallbacks"] = system_file(
        "<MainSetup><SystemName>Wash &amp; Dry &#233;&#x20AC;&#x4E2D;</SystemName>"
        "<VersionMajor>300</VersionMajor><VersionMinor>-1</VersionMinor></MainSetup>"
        "<PCsettings><DefaultInputFilter>9</DefaultInputFilter></PCsettings>" +
        machine(4, "<DefaultProgram>7</DefaultProgram><SoftnerPump> 3</SoftnerPump>"
                   "<Calibration1>7</Calibration1><Calibration2>fast</Calibration2>"
                   "<ShortFlushTime>300</ShortFlushTime><Enabled>Yes</Enabled>"))
    seeds["trigger_areas"] = system_file(
        machine(7, "<Trigger><Type>Miele Logic</Type><MieleLogic><Text11>12345678</Text11>"
                   "<Header2>ABCDEFGHIJKLMNOPQ</Header2></MieleLogic></Trigger>") +
        machine(8, "<Trigger><Type>Electrolux Compass Pro</Type><ElectroluxCompassPro>"
                   "<ProgramMap1>1</ProgramMap1><ProgramMap5>16</ProgramMap5><ProgramMap6>-1</ProgramMap6>"
                   "<ProgramMap31>1</ProgramMap31></ElectroluxCompassPro></Trigger>") +
        machine(9, "<Trigger><Type>Ethernet, Miele Logic</Type><MieleLogicEthernet>"
                   "<MachineSerialNumber>-2</MachineSerialNumber><MachineID>4294967295</MachineID>"
                   "</MieleLogicEthernet></Trigger>"))
    seeds["program_lines"] = system_file(machine(
        1, "<Program><Name>Towels</Name><Active>True</Active><DefaultLevel>4</DefaultLevel>"
           "<L><I>Pump</I><D>03 05 00 0A 14</D><C>Main wash</C></L><L><I>jump</I><D>01</D></L>"
           "<L><I>?13</I><D>FF FF FF FF FF FF FF</D></L><L><I>Wait</I><D>1</D></L></Program>"
           "<Program><Name/></Program>"))
    seeds["markup_variants"] = (
        '<?xml version="1.0"?><!DOCTYPE TL4200system [<!ENTITY e SYSTEM "file:///etc/passwd">]>'
        '<!-- c --><TL4200system><MainSetup><SystemName>a<!-- c -->b<![CDATA[<&#65;>]]>&e;'
        '</SystemName></MainSetup><?pi data?></TL4200system>').encode()
    utf8 = ('<?xml version="1.0" encoding="UTF-8"?><TL4200system><MainSetup>'
            '<SystemName>W\u00e4sche \u20ac5 \u6c34</SystemName></MainSetup></TL4200system>')
    seeds["utf8_declared"] = utf8.encode("utf-8")
    seeds["utf16_with_mark"] = b"\xff\xfe" + utf8.replace("UTF-8", "UTF-16").encode("utf-16-le")
    seeds["golden_first_program_saved_and_loaded_again"] = sampled(
        lambda n: seeds["golden_first_program"] + b"<!-- %d -->\r\n" % n)
    seeds["trigger_areas_saved_and_loaded_again"] = sampled(
        lambda n: seeds["trigger_areas"] + b"\r\n<!-- %d -->" % n)
    seeds["unreadable_boolean_ends_the_load"] = system_file(
        "<Alarm><Group0><Level>maybe</Level></Group0><Recipient1>x</Recipient1></Alarm>")
    return seeds


# ---- memory images: patches over the busy system ---------------------------------

def patch(offset, data):
    data = bytes(data)
    assert len(data) <= 255
    return struct.pack("<HB", offset, len(data)) + data


TEXT_AREA, TEXT_AREA_SIZE = 15616, 9600
ALARM_LOG, DATA_LOG = 25216, 25472


def machine_block(m):
    return 1024 + 1456 * m


def program_block(m, s):
    return machine_block(m) + 256 + 200 * s


def image_seeds():
    seeds = {}
    seeds["busy_system_as_is"] = b""
    seeds["foreign_format_version"] = patch(5, [2, 0])
    seeds["firmware_one_keeps_logs_lower"] = patch(8, [1])
    seeds["texts_without_terminators"] = patch(TEXT_AREA + TEXT_AREA_SIZE - 200, b"A" * 200) + \
        patch(program_block(0, 0) + 1, struct.pack("<H", TEXT_AREA_SIZE - 10)) + \
        patch(program_block(1, 2) + 3, struct.pack("<H", 0xFFFF))
    seeds["century_of_months"] = patch(DATA_LOG, [99, 12]) + patch(DATA_LOG + 302 * 5, [0, 1]) + \
        patch(DATA_LOG + 302 * 7, [100, 1]) + patch(DATA_LOG + 302 * 8, [255, 255])
    seeds["no_used_month"] = b"".join(patch(DATA_LOG + 302 * r, [100, 0]) for r in range(24))
    slots = bytearray()
    for s in range(16):
        stamp = 1 | (31 << 6) | (s << 11) | (15 << 16) | (63 << 20) | (63 << 26)
        slots += bytes([(s << 4) | s]) + struct.pack("<I", stamp)
    seeds["alarm_kinds_and_stamps_at_their_limits"] = patch(ALARM_LOG, [0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF]) + \
        patch(ALARM_LOG + 16, slots)
    seeds["machine_fields_at_their_limits"] = patch(machine_block(2), [0xFF, 0xFF, 0xFF, 0x0F, 255, 255, 255] +
                                                   [0] * 7) + patch(machine_block(2) + 32, [0xFF] * 16)
    seeds["every_machine_enabled"] = patch(100, [0xFF, 0xFF, 0])
    seeds["unnamed_instructions"] = patch(program_block(5, 5) + 8, [0x0C, 1, 2, 3, 4, 5, 0, 0, 0x0F, 0xFF,
                                                                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF])
    seeds["clock_and_login_code_unreadable"] = patch(104, [0xFF] * 13) + patch(550, b"ABCDEFGHIJ")
    seeds["system_name_without_terminator"] = patch(32, b"N" * 41)
    # A trailing piece shorter than a patch is no patch: it only steers the hash.
    for name in ["busy_system_as_is", "machine_fields_at_their_limits", "unnamed_instructions"]:
        seeds[name + "_as_a_system_file"] = sampled(lambda n, base=seeds[name]: base + struct.pack("<H", n))
    return seeds


# ---- firmware files --------------------------------------------------------------

def hex_seeds():
    folder = os.path.join(ROOT, "tests", "data", "firmware")
    seeds = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            seeds[name[:-4]] = f.read()
    with open(os.path.join(folder, "trigger_objcopy.hex"), "rb") as f:
        good = f.read()
    seeds["crlf_blank_and_start_records"] = b"\n\n   \n:0000000\r\n:0400000500000100F6\r\n" \
        b":0400000300000100F8\r\n" + good.replace(b"\n", b"\r\n")
    seeds["unknown_type"] = b":00000006FA\n" + good
    seeds["lower_case_digit"] = b":0401000001020304f1\n" + good
    seeds["beyond_the_image"] = good + b":020000040002F8\n:0100000055AA\n"
    seeds["line_too_long"] = b":7B020000" + b"1" * 246 + b"58\n" + good
    seeds["short_line"] = good + b":040100000102"
    seeds["bad_base_record"] = b":0100000400FB\n" + good
    seeds["only_above_the_memory"] = b":01380000AA1D\n"
    return seeds


def trace_seeds():
    """Trace files as the overview saves them: magic, format 1, when the trace began,
    the 81 signals' start state (values, then known flags), the count, then the
    changes (time in ms, signal, value)."""
    signals = 81

    def trace(start_known, changes):
        data = b"VORELTRC" + struct.pack("<H", 1)
        data += struct.pack("<H", 2026) + bytes([12, 9, 10, 15, 3, 2])
        data += struct.pack("<H", signals)
        values = bytearray(signals)
        known = bytearray(signals)
        for signal, value in start_known:
            values[signal] = value
            known[signal] = 1
        data += bytes(values) + bytes(known)
        data += struct.pack("<I", len(changes))
        for time_ms, signal, value in changes:
            data += struct.pack("<IHB", time_ms, signal, value)
        return data

    seeds = {}
    seeds["empty"] = trace([], [])
    seeds["one_load"] = trace([], [(0x01020304, 80, 0x63)])
    # A busy minute: pump 3 on and off, machine 1's line stepping, the connection.
    busy = [(0, 10, 1)]
    for second in range(60):
        busy.append((second * 1000, 2, second % 2))
        busy.append((second * 1000 + 500, 11 + 2, second % 24 + 1))
    seeds["busy_minute"] = trace([(0, 1), (7, 0)], busy)
    seeds["wrapped_start_state"] = trace([(s, s % 2) for s in range(signals)], [(5, 3, 1)])
    return seeds


TARGETS = {
    "frame_fuzz": frame_seeds,
    "gateway_fuzz": gateway_seeds,
    "system_file_fuzz": system_file_seeds,
    "image_fuzz": image_seeds,
    "hex_fuzz": hex_seeds,
    "trace_fuzz": trace_seeds,
}


def main():
    for target, make in TARGETS.items():
        folder = os.path.join(CORPUS, target)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        seeds = make()
        for name, data in seeds.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
        print("%s: %d seeds, %d bytes" % (target, len(seeds), sum(len(d) for d in seeds.values())))


if __name__ == "__main__":
    main()
