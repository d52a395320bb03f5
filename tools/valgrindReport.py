#!/usr/bin/env python3
"""Sums up a valgrind memcheck XML report and tells the game's own errors from the libraries'.

An error belongs to the game when the first frame of its stack outside the allocator and the C
and C++ runtimes (where the bad access or the lost allocation really happened) lies in one of
the game's source directories. Errors that happen inside the GL driver, X11, SDL, the sound
stack or the dynamic loader are counted and listed briefly, but do not fail the check.

usage: valgrindReport.py REPORT.xml SOURCE_ROOT
Exit status 1 when any error belongs to the game, 2 when the report cannot be read.
"""
import sys
import xml.etree.ElementTree as ET

RUNTIME_OBJECTS = ("vgpreload", "libc.so", "libstdc++.so", "libm.so", "ld-linux")
OWN_DIRECTORIES = ("src", "tests")


def frames_of(error):
    stack = error.find("stack")
    return [] if stack is None else stack.findall("frame")


def text(node, tag):
    child = node.find(tag)
    return child.text if child is not None and child.text else ""


def owner_frame(error):
    """The first frame outside the runtimes: where the game or a library did the thing."""
    for frame in frames_of(error):
        obj = text(frame, "obj")
        if any(part in obj for part in RUNTIME_OBJECTS):
            continue
        return frame
    return None


def is_ours(error, root):
    frame = owner_frame(error)
    if frame is None:
        return False
    directory = text(frame, "dir")
    return any(directory.startswith(root + "/" + own) for own in OWN_DIRECTORIES)


def describe(error):
    what = error.find("what")
    if what is None:
        what = error.find("xwhat/text")
    frame = owner_frame(error)
    where = "?"
    if frame is not None:
        where = text(frame, "fn") or "?"
        obj = text(frame, "obj").rsplit("/", 1)[-1]
        source = text(frame, "file")
        where += " (" + (source + ":" + text(frame, "line") if source else obj) + ")"
    return "%s: %s at %s" % (text(error, "kind"), what.text if what is not None else "", where)


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    try:
        errors = list(ET.parse(sys.argv[1]).getroot().iter("error"))
    except (OSError, ET.ParseError) as problem:
        print("memcheck: cannot read the report:", problem)
        return 2
    root = sys.argv[2].rstrip("/")
    ours = [e for e in errors if is_ours(e, root)]
    theirs = [e for e in errors if not is_ours(e, root)]
    counts = {}
    for e in errors:
        kind = text(e, "kind")
        mine = e in ours
        counts.setdefault(kind, [0, 0])[0 if mine else 1] += 1
    print("memcheck: %-26s %6s %10s" % ("kind", "game's", "libraries'"))
    for kind in sorted(counts):
        print("memcheck: %-26s %6d %10d" % (kind, counts[kind][0], counts[kind][1]))
    for e in theirs:
        print("memcheck: library:", describe(e))
    for e in ours:
        print("memcheck: GAME:", describe(e))
    print("memcheck: %d errors in the game's code, %d in libraries" % (len(ours), len(theirs)))
    return 1 if ours else 0


if __name__ == "__main__":
    sys.exit(main())
