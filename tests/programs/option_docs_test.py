"""Each program's options as its --help gives them (the usage lines and the
option lines under them) are exactly those of its man page's synopsis, of
its man page's option list and of its synopsis line in the README.

  option_docs_test.py MAN_DIR README PROGRAM...
"""

import os
import re
import subprocess
import sys

# An option starts a word: "--log", "-j"; not "N-1" or "UNIX-CONNECT".
OPTION = re.compile(r"(?<![\w-])(--?[a-zA-Z][\w-]*)")
# -h is the short form of --help that every program takes; the help shows the long one.
ALIASES = {"-h"}


def options(text):
    return set(OPTION.findall(text)) - ALIASES


def help_options(program):
    """The usage lines and the lines that start with an option."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    text = subprocess.run([program, "--help"], capture_output=True, text=True, env=env, check=True).stdout
    lines = text.splitlines()
    usage = [lines[0]]
    for line in lines[1:]:
        if not line.startswith(" "):
            break
        usage.append(line)
    table = [line for line in lines if re.match(r"\s+--?[a-zA-Z]", line)]
    return options("\n".join(usage + table))


def man_sections(path):
    """SYNOPSIS text and the OPTIONS section's tags (the line after each .TP), roff escapes undone."""
    sections, name, after_tp = {"SYNOPSIS": [], "OPTIONS": []}, None, False
    with open(path, encoding="utf-8") as page:
        for line in page:
            line = line.rstrip("\n").replace("\\-", "-")
            if line.startswith(".SH "):
                name = line[4:].strip()
                continue
            if name == "SYNOPSIS" or (name == "OPTIONS" and after_tp):
                sections[name].append(line)
            after_tp = line.startswith(".TP")
    return options("\n".join(sections["SYNOPSIS"])), options("\n".join(sections["OPTIONS"]))


def readme_synopsis(readme, name):
    """The README's indented synopsis lines for the program, '    qx40 [...]', with
    their continuation lines, indented further and starting with '['."""
    lines, inside = [], False
    with open(readme, encoding="utf-8") as text:
        for line in text:
            inside = bool(re.match(r"    %s \[" % re.escape(name), line) or (inside and re.match(r" {5,}\[", line)))
            if inside:
                lines.append(line)
    return options("".join(lines)) if lines else None


def compare(failures, name, where, documented, wanted):
    if documented is None:
        failures.append("%s: no synopsis of %s" % (where, name))
        return
    for option in sorted(wanted - documented):
        failures.append("%s lacks %s %s (in its --help)" % (where, name, option))
    for option in sorted(documented - wanted):
        failures.append("%s has %s %s, which its --help does not" % (where, name, option))


def main(argv):
    if len(argv) < 4:
        print(__doc__.strip())
        return 2
    man_dir, readme, programs = argv[1], argv[2], argv[3:]
    failures = []
    for program in programs:
        name = os.path.basename(program)
        wanted = help_options(program)
        page = os.path.join(man_dir, name + ".1")
        synopsis, listed = man_sections(page)
        compare(failures, name, page + " SYNOPSIS", synopsis, wanted)
        compare(failures, name, page + " OPTIONS", listed, wanted)
        compare(failures, name, readme, readme_synopsis(readme, name), wanted)
        print("%s: %s" % (name, " ".join(sorted(wanted))))
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
