#!/usr/bin/python3
"""Writes what the program and the page share, from the program's side.

page.h (src/backends/web/include/web/page.h) holds, between its two "===="
lines, every value both sides use: enums, the layout of the event the page
writes into the program's memory, frame sizes and font names. This script
reads that part and writes it for the page:

    contract.js    the same names as ES module exports
    contract.css   the sizes and fonts as CSS custom properties on :root

It also checks the calls: every Module.desktop.NAME in page.cpp must be
exported by the page's desktop (desktop.js), so a renamed function fails the
build and not a player's click.

    tools/web_contract.py PAGE_H PAGE_CPP DESKTOP_JS OUT_DIR
    tools/web_contract.py --print PAGE_H     the values as JSON

Anything in the shared part that is not an enum, an event-like struct of
32-bit fields or an int or string constant stops the build: a value the
page cannot see must not sit there looking shared.
"""

import json
import re
import sys
from pathlib import Path

BEGIN = re.compile(r"^// ==== Shared with the page\b.*$", re.M)
END = re.compile(r"^// ==== End of what the page shares\.$", re.M)
ENUM = re.compile(r"enum class (\w+) : int32_t \{([^}]*)\};")
ENUMERATOR = re.compile(r"^(\w+) = (-?\d+)$")
STRUCT = re.compile(r"struct (\w+) \{([^}]*)\};")
FIELD = re.compile(r"^(?:int32_t|Id|\w+) (\w+)(?: = [^;]+)?$")
INT = re.compile(r"inline constexpr int (k\w+) = (-?\d+);")
TEXT = re.compile(r'inline constexpr const char\* (k\w+) = "([^"\\]*)";')
COMMENT = re.compile(r"//[^\n]*")


class ContractError(Exception):
    pass


def shared_part(header_text):
    begin, end = BEGIN.search(header_text), END.search(header_text)
    if not begin or not end or end.start() < begin.end():
        raise ContractError("page.h has no shared part between its '// ==== Shared with the page' and "
                            "'// ==== End of what the page shares.' lines")
    # The opening comment runs on to the first blank line.
    body = header_text[begin.end():end.start()]
    return COMMENT.sub("", body)


def read_contract(header_path):
    """{name: value}: enums as {member: number}, structs as [field, ...],
    constants as numbers or strings, in the order page.h declares them."""
    text = shared_part(Path(header_path).read_text(encoding="utf-8"))
    found = {}
    rest = text
    for pattern, read in ((ENUM, read_enum), (STRUCT, read_struct), (INT, read_int), (TEXT, read_text)):
        for match in pattern.finditer(rest):
            name, value = read(match)
            if name in found:
                raise ContractError(f"page.h shares {name} twice")
            found[name] = (match.start(), value)
        rest = pattern.sub(lambda m: " " * len(m.group(0)), rest)
    leftover = rest.strip()
    if leftover:
        raise ContractError(f"page.h's shared part holds something the page cannot read: {leftover[:80]!r}")
    return {name: value for name, (_, value) in sorted(found.items(), key=lambda item: item[1][0])}


def read_enum(match):
    members = {}
    for entry in filter(None, (e.strip() for e in match.group(2).split(","))):
        m = ENUMERATOR.match(entry)
        if not m:
            raise ContractError(f"enum {match.group(1)}: every member needs its number: {entry!r}")
        members[m.group(1)] = int(m.group(2))
    return match.group(1), members


def read_struct(match):
    fields = []
    for entry in filter(None, (e.strip() for e in match.group(2).split(";"))):
        m = FIELD.match(entry)
        if not m:
            raise ContractError(f"struct {match.group(1)}: cannot read the field {entry!r}")
        fields.append(m.group(1))
    return match.group(1) + "Fields", fields


def read_int(match):
    return match.group(1), int(match.group(2))


def read_text(match):
    return match.group(1), match.group(2)


def css_name(constant):
    """kTitleBarHeight -> --title-bar-height."""
    words = re.findall(r"[A-Z][a-z]*|[a-z]+|\d+", constant[1:])
    return "--" + "-".join(w.lower() for w in words)


def contract_js(contract):
    lines = ["// Written by the build from page.h (tools/web_contract.py): what the program",
             "// and the page share. Change page.h, not this file.", ""]
    for name, value in contract.items():
        if isinstance(value, dict):
            members = ", ".join(f"{k}: {v}" for k, v in value.items())
            lines.append(f"export const {name} = Object.freeze({{ {members} }});")
        elif isinstance(value, list):
            lines.append(f"export const {name} = Object.freeze({json.dumps(value)});")
        else:
            lines.append(f"export const {name} = {json.dumps(value, ensure_ascii=False)};")
    return "\n".join(lines) + "\n"


# What the style sheets use: the frame's sizes and the fonts' names.
CSS_NAMES = re.compile(r"^k(\w*(Height|Width)|Border|\w*Family)$")


def contract_css(contract):
    lines = ["/* Written by the build from page.h (tools/web_contract.py). */", ":root {"]
    for name, value in contract.items():
        if not CSS_NAMES.match(name) or isinstance(value, (dict, list)):
            continue
        text = f"{value}px" if isinstance(value, int) else json.dumps(value, ensure_ascii=False)
        lines.append(f"  {css_name(name)}: {text};")
    return "\n".join(lines + ["}"]) + "\n"


def called_names(page_cpp_text):
    return sorted(set(re.findall(r"\bModule\.desktop\.(\w+)\(", page_cpp_text)))


def exported_names(desktop_js_text):
    match = re.search(r"export const desktop = Object\.freeze\(\{([^}]*)\}\);", desktop_js_text)
    if not match:
        raise ContractError("desktop.js exports no 'export const desktop = Object.freeze({ ... });'")
    return set(re.findall(r"[A-Za-z_$][\w$]*", COMMENT.sub("", match.group(1))))


def check_calls(page_cpp, desktop_js):
    missing = [n for n in called_names(Path(page_cpp).read_text(encoding="utf-8"))
               if n not in exported_names(Path(desktop_js).read_text(encoding="utf-8"))]
    if missing:
        raise ContractError(f"page.cpp calls what desktop.js does not export: {', '.join(missing)}")


def write_if_changed(path, text):
    if not path.exists() or path.read_text(encoding="utf-8") != text:
        path.write_text(text, encoding="utf-8")


def main(argv):
    try:
        if len(argv) == 2 and argv[0] == "--print":
            print(json.dumps(read_contract(argv[1]), ensure_ascii=False, indent=2))
            return 0
        if len(argv) != 4:
            print(__doc__.strip().splitlines()[0], file=sys.stderr)
            print("usage: web_contract.py PAGE_H PAGE_CPP DESKTOP_JS OUT_DIR | --print PAGE_H", file=sys.stderr)
            return 2
        page_h, page_cpp, desktop_js, out_dir = argv
        contract = read_contract(page_h)
        check_calls(page_cpp, desktop_js)
        out = Path(out_dir)
        out.mkdir(parents=True, exist_ok=True)
        write_if_changed(out / "contract.js", contract_js(contract))
        write_if_changed(out / "contract.css", contract_css(contract))
        return 0
    except (ContractError, OSError) as error:
        print(f"web_contract: {error}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
