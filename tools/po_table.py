#!/usr/bin/python3
"""Reads the game's translation catalogue (a gettext PO file whose msgids are
the Japanese texts) and writes it as what the programs compile in:

    tools/po_table.py --cpp po/en.po OUT.h     a sorted C++ table, platform::translations
    tools/po_table.py --json po/en.po OUT.json  {japanese: english}
    tools/po_table.py --js po/en.po OUT.js      the same as a module of the web page, `english`
    tools/po_table.py --missing po/en.po FILE...  the Japanese texts in FILEs the catalogue lacks

Entries marked fuzzy and entries with an empty msgstr are not translations:
the Japanese stands for them. Same input, byte-identical output.
"""

import json
import re
import sys
from pathlib import Path

ESCAPES = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}
JAPANESE = re.compile(r"[\u3000-\u30ff\u3400-\u9fff\uff00-\uffef]")


class PoError(Exception):
    pass


def unquote(text, where):
    if not (text.startswith('"') and text.endswith('"')):
        raise PoError(f"{where}: not a quoted string: {text}")
    out, i, body = [], 0, text[1:-1]
    while i < len(body):
        c = body[i]
        if c == "\\":
            if i + 1 >= len(body) or body[i + 1] not in ESCAPES:
                raise PoError(f"{where}: unknown escape in {text}")
            out.append(ESCAPES[body[i + 1]])
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def read_po(path):
    """[(msgid, msgstr, fuzzy)] in the file's order, the header left out."""
    entries, current, field, fuzzy = [], None, None, False

    def finish():
        nonlocal current
        if current is not None and current.get("msgid", "") != "":
            entries.append((current["msgid"], current.get("msgstr", ""), current["fuzzy"]))
        current = None

    for number, raw in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), 1):
        line = raw.strip()
        where = f"{path}:{number}"
        if not line:
            finish()
            fuzzy = False
            continue
        if line.startswith("#,"):
            fuzzy = fuzzy or "fuzzy" in line
            continue
        if line.startswith("#"):
            continue
        keyword, _, rest = line.partition(" ")
        if keyword in ("msgid", "msgstr"):
            if keyword == "msgid":
                finish()
                current = {"fuzzy": fuzzy}
            elif current is None:
                raise PoError(f"{where}: msgstr without msgid")
            field = keyword
            current[field] = unquote(rest, where)
        elif line.startswith('"') and current is not None and field:
            current[field] += unquote(line, where)
        else:
            raise PoError(f"{where}: cannot read: {raw}")
    finish()
    return entries


def translations(path):
    table = {}
    for msgid, msgstr, fuzzy in read_po(path):
        if msgid in table:
            raise PoError(f"{path}: {msgid!r} twice")
        if msgstr and not fuzzy:
            table[msgid] = msgstr
    return table


def cpp_string(text):
    out = []
    for byte in text.encode("utf-8"):
        c = chr(byte)
        if c in '"\\':
            out.append("\\" + c)
        elif 0x20 <= byte < 0x7F:
            out.append(c)
        else:
            out.append(f"\\{byte:03o}")
    return '"' + "".join(out) + '"'


def cpp_table(table):
    lines = ["// Written by the build from po/en.po (tools/po_table.py). Change the catalogue, not this file.",
             "#pragma once", "#include <string_view>", "", "namespace platform::translations {", "",
             "struct Entry {", "    std::string_view japanese, english;", "};", "",
             "// Sorted by the Japanese, byte by byte.", "inline constexpr Entry kEnglish[] = {"]
    for ja in sorted(table, key=lambda k: k.encode("utf-8")):
        lines.append(f"    {{{cpp_string(ja)}, {cpp_string(table[ja])}}},")
    lines += ["};", "", "}  // namespace platform::translations", ""]
    return "\n".join(lines)


def json_table(table):
    return json.dumps(table, ensure_ascii=False, sort_keys=True, indent=1)


def js_module(table):
    return ("// Written by the build from po/en.po (tools/po_table.py). Change the catalogue, not this file.\n"
            f"export const english = Object.freeze({json_table(table)});\n")


# Japanese in the sources that no player reads: the font faces the design
# names, which the backends map to fonts.
NOT_TEXTS = {"ＭＳ ゴシック", "ＭＳ Ｐゴシック"}

# A Japanese text in a source file: a string literal holding Japanese.
LITERAL = re.compile(r"""(?:"((?:[^"\\\n]|\\.)*)"|'((?:[^'\\\n]|\\.)*)')""")


def source_texts(path):
    texts = set()
    for match in LITERAL.finditer(Path(path).read_text(encoding="utf-8")):
        text = match.group(1) if match.group(1) is not None else match.group(2)
        if JAPANESE.search(text) and text not in NOT_TEXTS:
            texts.add(re.sub(r"\\(.)", lambda m: ESCAPES.get(m.group(1), m.group(1)), text))
    return texts


def write_if_changed(path, text):
    path = Path(path)
    if not path.exists() or path.read_text(encoding="utf-8") != text:
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text, encoding="utf-8")


def main(argv):
    try:
        if len(argv) == 3 and argv[0] == "--cpp":
            write_if_changed(argv[2], cpp_table(translations(argv[1])))
            return 0
        if len(argv) == 3 and argv[0] == "--json":
            write_if_changed(argv[2], json_table(translations(argv[1])))
            return 0
        if len(argv) == 3 and argv[0] == "--js":
            write_if_changed(argv[2], js_module(translations(argv[1])))
            return 0
        if len(argv) >= 2 and argv[0] == "--missing":
            table = translations(argv[1])
            missing = sorted({t for f in argv[2:] for t in source_texts(f)} - set(table))
            for text in missing:
                print(json.dumps(text, ensure_ascii=False))
            return 1 if missing else 0
    except (PoError, OSError) as error:
        print(f"po_table: {error}", file=sys.stderr)
        return 1
    print(__doc__.strip(), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
