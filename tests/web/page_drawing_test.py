"""The page executes the windows' drawing operations and knows no controls:
its table of executors holds exactly the operations windows/drawing.h
names, and no function or string of page.js names a kind of control.

  page_drawing_test.py SOURCE_ROOT
"""

import os
import re
import sys


def operations(header):
    """The DrawKind enumerators, lower case, as the page names them."""
    body = re.search(r"enum class DrawKind \{(.*?)\};", header, re.S).group(1)
    return {name.lower() for name in re.findall(r"^\s*(\w+),", body, re.M)}


def control_kinds(root):
    """Every control class of the windows, without its T: Label, CheckBox, ImageSelector ..."""
    kinds = set()
    for folder, _, files in os.walk(os.path.join(root, "windows")):
        for name in files:
            if name.endswith(".h"):
                with open(os.path.join(folder, name), encoding="utf-8") as source:
                    kinds.update(re.findall(r"class T(\w+) : public T\w+", source.read()))
    return kinds


def executors(page):
    """The names in the page's table of executors; none without one."""
    table = re.search(r"const EXECUTE = \{(.*?)\};", page, re.S)
    return {entry.split(":")[0].strip() for entry in table.group(1).split(",") if entry.strip()} if table else set()


def main(argv):
    if len(argv) != 2 or argv[1] in ("--help", "-h"):
        print(__doc__.strip())
        return 0 if len(argv) == 2 else 2
    root = argv[1]
    with open(os.path.join(root, "windows", "drawing.h"), encoding="utf-8") as header:
        wanted = operations(header.read())
    with open(os.path.join(root, "web", "page", "page.js"), encoding="utf-8") as source:
        page = source.read()
    failures = []
    if executors(page) != wanted:
        failures.append("page.js executes %s, the windows draw with %s" % (sorted(executors(page)), sorted(wanted)))
    # The window itself is drawn whole by its operations.
    kinds = control_kinds(root) - {"Form"}
    functions = re.findall(r"function (\w+)", page)
    for kind in sorted(kinds):
        # ImageSelector may be called a selector, GroupBox a group; the names of operations name those.
        names = ({kind.lower()} | {part.lower() for part in re.findall(r"[A-Z][a-z]+", kind)}) - wanted
        for name in sorted(names):
            # A table of painters by kind, or a choice of one.
            chosen = re.search(r"(\b%s\s*:\s*\w|[=!]==\s*[\"'`]%s[\"'`])" % (name, name), page, re.I)
            if chosen:
                failures.append("page.js chooses by the control kind %s: %s" % (kind, chosen.group(0)))
            failures += ["page.js has a painter of its own for %s: %s()" % (kind, f) for f in functions
                         if re.fullmatch(r"(draw|paint)%s" % name, f, re.I)]
    if not kinds:
        failures.append("no control classes found under %s/windows" % root)
    print("page.js executes %s and names none of %d control kinds" % (sorted(wanted), len(kinds))
          if not failures else "\n".join(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
