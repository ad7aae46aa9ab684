#!/usr/bin/env python3
"""Writes the C++ names of the message catalogue (platform/catalogue/*.msg).

    catalogue_names.py OUTPUT.h CATALOGUE.msg...

A line '@set NUMBER NAME' names a message set: KES_SET_NAME = NUMBER. A message line
'SET NUMBER KIND @NAME text' names its message: KES_MSG_NAME = NUMBER, the number
within its set (the set goes beside it in every call). A name given twice, a set
named twice, or a named message of a set without a name fails the build.
"""
import os
import re
import sys

NAME = re.compile(r'^[A-Z][A-Z0-9_]*$')


def fail(where, text):
    sys.stderr.write(f"{where}: {text}\n")
    sys.exit(1)


def main(argv):
    if len(argv) < 3:
        fail("catalogue_names.py", "usage: catalogue_names.py OUTPUT.h CATALOGUE.msg...")
    out, files = argv[1], sorted(argv[2:])
    sets = {}      # name -> (number, where)
    set_of = {}    # number -> name
    messages = {}  # name -> (set, number, where)
    for path in files:
        with open(path, encoding='utf-8') as f:
            for n, line in enumerate(f, 1):
                where = f"{os.path.basename(path)}:{n}"
                fields = line.split()
                if not fields or fields[0].startswith('#'):
                    continue
                if fields[0] == '@set':
                    if len(fields) != 3 or not fields[1].isdigit() or not NAME.match(fields[2]):
                        fail(where, "expected '@set NUMBER NAME'")
                    number, name = int(fields[1]), fields[2]
                    if name in sets or number in set_of:
                        fail(where, f"set {number} {name} is named twice")
                    sets[name] = (number, where)
                    set_of[number] = name
                    continue
                if len(fields) >= 4 and fields[3].startswith('@'):
                    name = fields[3][1:]
                    if not NAME.match(name):
                        fail(where, f"'{fields[3]}' is no message name (capitals, digits, '_')")
                    if name in messages:
                        fail(where, f"the message name {name} is given twice (first at {messages[name][2]})")
                    messages[name] = (int(fields[0]), int(fields[1]), where)
    for name, (s, number, where) in messages.items():
        if s not in set_of:
            fail(where, f"message {name} belongs to set {s}, which has no name")
    lines = ["// Generated from platform/catalogue/*.msg by src/host/tools/catalogue_names.py;",
             "// do not edit. Edit the catalogue instead.",
             "#pragma once", "", "// Message sets."]
    for name, (number, _) in sorted(sets.items(), key=lambda kv: kv[1][0]):
        lines.append(f"constexpr int KES_SET_{name} = {number};")
    lines += ["", "// Messages: each one's number within its set."]
    for name, (s, number, _) in sorted(messages.items(), key=lambda kv: (kv[1][0], kv[1][1])):
        lines.append(f"constexpr int KES_MSG_{name} = {number};  // set KES_SET_{set_of[s]}")
    text = "\n".join(lines) + "\n"
    # Rewrite only on a change, so that an edit of a message text rebuilds nothing.
    try:
        with open(out, encoding='utf-8') as f:
            if f.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(out, 'w', encoding='utf-8') as f:
        f.write(text)


if __name__ == '__main__':
    main(sys.argv)
