#!/usr/bin/env python3
"""Keeps the layers apart: src/core stays plain C++ (no Qt, no windows, no io adapters,
no clock, files, threads, sockets or operating-system headers), src/io stays free of
widgets and src/ui of POSIX and Win32 headers (the windows reach the operating system
through Qt and io only, so they build on Windows as they are); the folders of src/core include one another in one direction only. Usage:
check_layers.py SRC_DIR. Prints file:line and why for every breach and
exits 1 when there is one; comments do not count."""

import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".hh", ".hpp", ".inl", ".ipp", ".c", ".cc", ".cpp", ".cxx")

# Standard headers that reach for the clock, files or threads.
CORE_FORBIDDEN_STD = {
    "chrono": "the clock",
    "ctime": "the clock",
    "time.h": "the clock",
    "fstream": "files",
    "filesystem": "files",
    "thread": "threads",
    "mutex": "threads",
    "shared_mutex": "threads",
    "future": "threads",
    "condition_variable": "threads",
    "stop_token": "threads",
    "semaphore": "threads",
    "latch": "threads",
    "barrier": "threads",
}

# POSIX and Win32 headers; a folder name ending in "/" covers everything under it.
CORE_FORBIDDEN_OS = (
    "unistd.h", "fcntl.h", "sys/", "windows.h", "winsock2.h", "ws2tcpip.h", "termios.h",
    "pthread.h", "dirent.h", "netinet/", "arpa/", "netdb.h", "poll.h",
)

# Calls that reach for the clock or files through headers the core may include.
CORE_FORBIDDEN_CALLS = (
    (re.compile(r"\bf(?:re)?open(?:_s)?\s*\("), "opens a file"),
    (re.compile(r"(?<![\w.>])time\s*\("), "reads the clock"),
    (re.compile(r"\b(?:localtime|gmtime)(?:_r|_s)?\s*\("), "reads the clock"),
    (re.compile(r"\b(?:system_clock|steady_clock|high_resolution_clock)\b"), "reads the clock"),
    (re.compile(r"\bsleep_(?:for|until)\b"), "sleeps"),
)

# Widget headers io must not include when the Qt Widgets headers are not installed to
# list them all; QValidator lives in QtGui but belongs to the windows all the same.
IO_FORBIDDEN_WIDGETS = {
    "QWidget", "QApplication", "QDialog", "QMessageBox", "QFileDialog", "QMainWindow",
    "QLabel", "QPushButton", "QLineEdit", "QComboBox", "QCheckBox", "QValidator",
}

QT_INCLUDE_ROOTS = ("/usr/include/x86_64-linux-gnu/qt6", "/usr/include/qt6")

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*([<"])([^>"\n]+)[>"]', re.M)


def widget_headers():
    """The explicit list, plus every header of the installed QtWidgets folder that is
    not also a QtCore or QtGui header (QtWidgets keeps a few of those for old code)."""
    names = set(IO_FORBIDDEN_WIDGETS)
    for root in QT_INCLUDE_ROOTS:
        widgets = os.path.join(root, "QtWidgets")
        if not os.path.isdir(widgets):
            continue
        shared = set()
        for other in ("QtCore", "QtGui"):
            if os.path.isdir(os.path.join(root, other)):
                shared.update(os.listdir(os.path.join(root, other)))
        names.update(n for n in os.listdir(widgets) if n not in shared)
        break
    return names


# One token the comment and literal scan must see whole: a number (so the ' of 1'000
# starts no character literal), a comment, a raw string, a string or character literal.
TOKEN = re.compile(
    r"(?P<number>\b\d[\w.']*)"
    r"|(?P<comment>//[^\n]*|/\*.*?(?:\*/|\Z))"
    r'|(?P<literal>\b(?:u8|[uUL])?R"(?P<delimiter>[^()\\\s]{0,16})\(.*?(?:\)(?P=delimiter)"|\Z)'
    r'|"(?:\\.|[^"\\\n])*"?'
    r"|'(?:\\.|[^'\\\n])*'?)",
    re.S,
)


def strip(text):
    """Returns (code, bare): `text` with comments blanked, and that again with string
    and character literals blanked. Newlines stay, so line numbers hold."""
    code, bare = [], []
    last = 0
    for m in TOKEN.finditer(text):
        code.append(text[last:m.start()])
        bare.append(text[last:m.start()])
        token = m.group(0)
        blank = re.sub(r"[^\n]", " ", token)
        code.append(blank if m.group("comment") else token)
        bare.append(token if m.group("number") else blank)
        last = m.end()
    code.append(text[last:])
    bare.append(text[last:])
    return "".join(code), "".join(bare)


def line_of(text, pos):
    return text.count("\n", 0, pos) + 1


def core_include_fault(name):
    first = name.split("/")[0]
    if first.startswith("Q"):
        return "the core holds no Qt"
    if first == "ui":
        return "the core knows no window"
    if first == "io":
        return "the core knows no io adapter, only the interfaces it declares"
    if name in CORE_FORBIDDEN_STD:
        return "the core does not reach for " + CORE_FORBIDDEN_STD[name]
    if os_header(name):
        return "the core makes no operating-system calls"
    return None


def os_header(name):
    lower = name.lower()
    return any(lower == h or (h.endswith("/") and lower.startswith(h)) for h in CORE_FORBIDDEN_OS)


def ui_include_fault(name):
    if os_header(name):
        return "the windows make no operating-system calls; io does that for them"
    return None


def io_include_fault(name, widgets):
    first = name.split("/")[0]
    if first == "ui":
        return "io knows no window"
    if first == "QtWidgets" or name in widgets:
        return "io holds no widgets"
    return None


CORE_INCLUDE = re.compile(r"^core/([^/]+)/")


def check_file(path, layer, widgets, folder_edges):
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    code, bare = strip(text)
    faults = []
    if layer == "core":
        parts = path.replace(os.sep, "/").split("/core/", 1)[-1].split("/")
        here = parts[0] if len(parts) > 1 else ""
        for m in INCLUDE.finditer(code):
            target = CORE_INCLUDE.match(m.group(2).strip())
            if target and here and target.group(1) != here:
                folder_edges.setdefault((here, target.group(1)), f"{path}:{line_of(code, m.start())}")
    for m in INCLUDE.finditer(code):
        bracket, name = m.group(1), m.group(2).strip()
        if layer == "core":
            why = core_include_fault(name)
        elif layer == "ui":
            why = ui_include_fault(name)
        else:
            why = io_include_fault(name, widgets)
        if why:
            close = ">" if bracket == "<" else '"'
            faults.append((line_of(code, m.start()), f"includes {bracket}{name}{close}: {why}"))
    if layer == "core":
        for pattern, why in CORE_FORBIDDEN_CALLS:
            for m in pattern.finditer(bare):
                call = m.group(0).rstrip("( \t")
                faults.append((line_of(bare, m.start()), f"{call}: the core {why}"))
    return [f"{path}:{line}: {why}" for line, why in sorted(faults)]


def folder_circles(edges):
    """Each circle of core folders that include one another, as "a -> b -> a" with the
    include that starts it."""
    graph = {}
    for (a, b) in edges:
        graph.setdefault(a, set()).add(b)
    circles, seen = [], set()

    def walk(node, path):
        for nxt in sorted(graph.get(node, ())):
            if nxt in path:
                circle = path[path.index(nxt):] + [nxt]
                key = frozenset(circle)
                if key not in seen:
                    seen.add(key)
                    circles.append(circle)
            elif len(path) < len(graph) + 1:
                walk(nxt, path + [nxt])

    for start in sorted(graph):
        walk(start, [start])
    return [f"{edges[(c[0], c[1])]}: core folders include one another in a circle: "
            + " -> ".join(c) for c in circles]


def sources(folder):
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.join(root, name)


def main(argv):
    if len(argv) != 2:
        print("usage: check_layers.py SRC_DIR", file=sys.stderr)
        return 2
    src = argv[1]
    if not os.path.isdir(os.path.join(src, "core")):
        print(f"{src}: no core folder here", file=sys.stderr)
        return 2
    widgets = widget_headers()
    faults = []
    checked = 0
    folder_edges = {}
    for layer in ("core", "io", "ui"):
        for path in sources(os.path.join(src, layer)):
            checked += 1
            faults += check_file(path, layer, widgets, folder_edges)
    faults += folder_circles(folder_edges)
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} layering fault(s) in {checked} files")
        return 1
    print(f"layers kept: {checked} files in core, io and ui")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
