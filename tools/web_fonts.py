#!/usr/bin/python3
"""Makes the web page's two Japanese fonts from Debian's IPA Gothic fonts.

The game names its faces by their Windows names; on Linux they are
IPAGothic (monospaced) and IPAPGothic (proportional). Served whole they
cost about 8.5 MB, so the page gets subsets holding only the characters it
can show: every non-ASCII character in the sources of the game and of the
page, printable ASCII and the page's own few words.

The subsets are derived fonts under the original's licence, which forbids
them the original's names: they are "Mochitama Gothic" and "Mochitama
PGothic". The licence text goes beside them, and --original writes the
unchanged originals instead (the way back to the original fonts).

    tools/web_fonts.py OUT_DIR              the subsets, fonts.css, LICENSE.txt
    tools/web_fonts.py --original OUT_DIR   the same with the original fonts
    tools/web_fonts.py --chars              the characters the subsets keep

Same input, byte-identical output: nothing depends on the clock or on the
order a directory lists its files in.
"""

import argparse
import io
import os
import re
import shutil
import subprocess
import sys
import unicodedata
from pathlib import Path

from web_contract import read_contract

ROOT = Path(__file__).resolve().parent.parent

# Where the texts the page can show are written. The last two belong to the
# web build and may not exist yet.
SOURCE_DIRS = ("src/game", "src/app/web", "src/backends/web")

# What the page itself writes around the game's windows: the close box's
# label, the message box buttons, the blank menu captions (ideographic
# spaces, as on the desktop), the end-of-game screen.
PAGE_TEXT = "閉じる はい いいえ 空白のメニュー 空白の項目 もちたまは終了しました もう一度はじめる （）()\u3000"

FONT_PACKAGE = "fonts-ipafont-gothic"
FONT_DIR = Path("/usr/share/fonts/opentype/ipafont-gothic")
COPYRIGHT_FILE = Path("/usr/share/doc/fonts-ipafont-gothic/copyright")
LICENSE_ID = "IPA-1"


class Face:
    def __init__(self, original, family, postscript, file_name, local_names):
        self.original = original  # file name under FONT_DIR
        self.family = family
        self.postscript = postscript
        self.file_name = file_name
        # The original's full and PostScript names, for CSS local(): a player
        # who has the font installed downloads nothing.
        self.local_names = local_names


# The families' names are the program's (page.h), which the page's styles use too.
_CONTRACT = read_contract(ROOT / "src/backends/web/include/web/page.h")
FACES = (
    Face("ipag.ttf", _CONTRACT["kGothicFamily"], "MochitamaGothic", "mochitama-gothic.woff2",
         ("IPAGothic", "IPAゴシック")),
    Face("ipagp.ttf", _CONTRACT["kPGothicFamily"], "MochitamaPGothic", "mochitama-pgothic.woff2",
         ("IPAPGothic", "IPA Pゴシック")),
)


class Failure(Exception):
    pass


# Escapes that stand for a character in C++ and JavaScript ("\u3000",
# "\u{3000}", "\U00003000"), in CSS ("\3000 ") and in HTML ("&#x3000;").
CODE_ESCAPES = re.compile(r"\\u\{([0-9a-fA-F]{1,6})\}|\\u([0-9a-fA-F]{4})|\\U([0-9a-fA-F]{8})")
CSS_ESCAPES = re.compile(r"\\([0-9a-fA-F]{1,6})")
HTML_REFS = re.compile(r"&#[xX]([0-9a-fA-F]+);|&#([0-9]+);")


def escaped_characters(path, text):
    if path.suffix == ".css":
        found = (int(m.group(1), 16) for m in CSS_ESCAPES.finditer(text))
    else:
        found = (int(next(g for g in m.groups() if g), 16) for m in CODE_ESCAPES.finditer(text))
    if path.suffix in (".html", ".htm", ".svg"):
        refs = (int(m.group(1), 16) if m.group(1) else int(m.group(2)) for m in HTML_REFS.finditer(text))
        found = list(found) + list(refs)
    return [chr(c) for c in found if c <= sys.maxunicode]


def shown(c):
    """A character that takes a glyph: not a control, format or private code."""
    return ord(c) > 0x7E and unicodedata.category(c) not in ("Cc", "Cf", "Cs", "Co", "Cn", "Zl", "Zp")


def source_characters(root):
    """Every shown non-ASCII character of the sources, with where it was first found."""
    where = {}
    for name in SOURCE_DIRS:
        top = root / name
        if not top.is_dir():
            continue
        for path in sorted(p for p in top.rglob("*") if p.is_file()):
            try:
                text = path.read_text(encoding="utf-8")
            except UnicodeDecodeError:
                continue  # an image or other binary file: no text in it
            for c in list(text) + escaped_characters(path, text):
                if shown(c) and c not in where:
                    where[c] = path.relative_to(root)
    return where


def page_characters(root):
    chars = {chr(c): "printable ASCII" for c in range(0x20, 0x7F)}
    for c in PAGE_TEXT:
        chars.setdefault(c, "the page's own words")
    for c, path in source_characters(root).items():
        chars.setdefault(c, str(path))
    return chars


def package_version():
    try:
        out = subprocess.run(["dpkg-query", "-W", "-f=${Version}", FONT_PACKAGE],
                             check=True, capture_output=True, text=True)
    except (OSError, subprocess.CalledProcessError):
        raise Failure(f"the package {FONT_PACKAGE} is not installed (scripts/setup.sh web installs it)")
    return out.stdout.strip()


def license_text():
    """The licence paragraph of the package's machine-readable copyright file, as plain text."""
    try:
        lines = COPYRIGHT_FILE.read_text(encoding="utf-8").splitlines()
    except OSError as e:
        raise Failure(f"cannot read the fonts' licence: {e}")
    # The licence's own paragraph, not the "License:" line of a Files
    # paragraph that only names it.
    body = None
    for line in lines:
        if body is not None and line.startswith((" ", "\t")):
            body.append("" if line.strip() == "." else line[1:].rstrip())
            continue
        if body:
            break
        body = [] if line.strip() == f"License: {LICENSE_ID}" else None
    if not body:
        raise Failure(f"no '{LICENSE_ID}' licence text in {COPYRIGHT_FILE}")
    return "\n".join(body).strip("\n") + "\n"


def read_name(font, name_id):
    record = font["name"].getName(name_id, 3, 1, 0x409)
    return record.toUnicode() if record else ""


def rename(font, face, original_version):
    """Gives the subset names of its own; none may be the original's."""
    table = font["name"]
    table.names = []
    names = {
        0: "Copyright(c) Information-technology Promotion Agency, Japan, 2003-2011. "
           "Subset made for the web page of もちたま.",
        1: face.family,
        2: "Regular",
        3: f"{face.family} {original_version} subset",
        4: face.family,
        5: f"Version {original_version}",
        6: face.postscript,
        13: "Licensed under the same font licence agreement v1.0 as the fonts it was derived "
            "from; its full text is in LICENSE.txt, shipped with this font.",
    }
    for name_id, text in names.items():
        table.setName(text, name_id, 3, 1, 0x409)
    # The vendor tag is the original maker's; this file is not theirs.
    font["OS/2"].achVendID = "NONE"


def make_subset(face, chars, out_dir):
    # Imported here so that --help and --chars work without the packages.
    from fontTools import subset
    from fontTools.ttLib import TTFont

    source = FONT_DIR / face.original
    try:
        original = TTFont(source, lazy=True)
    except OSError as e:
        raise Failure(f"cannot read {source}: {e} ({FONT_PACKAGE} installs it)")
    cmap = original.getBestCmap()
    missing = sorted((c for c in chars if ord(c) not in cmap), key=ord)
    if missing:
        listed = ", ".join(f"U+{ord(c):04X} {c!r} ({chars[c]})" for c in missing)
        raise Failure(f"{face.original} has no glyph for {listed}")
    version = read_name(original, 5).removeprefix("Version ").strip()
    original.close()

    options = subset.Options()
    options.flavor = "woff2"
    # Outlines, metrics and hinting stay as they are; the default options
    # keep the hinting programs and leave the timestamps alone.
    options.name_IDs = ["*"]
    # The page writes only across: the vertical forms (a hundred more glyphs
    # in the proportional face) would never be drawn.
    options.layout_features = [f for f in options.layout_features
                               if f not in ("vert", "vrt2", "vkrn", "vpal", "valt")]
    options.notdef_outline = True
    font = subset.load_font(str(source), options, lazy=False)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=sorted(ord(c) for c in chars))
    subsetter.subset(font)
    rename(font, face, version)
    data = io.BytesIO()
    subset.save_font(font, data, options)
    write(out_dir / face.file_name, data.getvalue())
    return version


def write(path, data):
    # Through a temporary file, so that an interrupted run leaves no half file.
    if isinstance(data, str):
        data = data.encode("utf-8")
    partial = path.with_name(path.name + ".part")
    partial.write_bytes(data)
    os.replace(partial, path)


def css(file_names):
    rules = ['@charset "UTF-8";\n',
             "/* The game's two faces. A player who has the original fonts installed uses them;\n"
             "   everyone else gets the files beside this one. No text is drawn until the font\n"
             "   is there, so none shows in a wrong face. Licence: LICENSE.txt. */\n"]
    for face, file_name in zip(FACES, file_names):
        local = ", ".join(f'local("{n}")' for n in face.local_names)
        kind = "woff2" if file_name.endswith(".woff2") else "truetype"
        rules.append(f"\n@font-face {{\n"
                     f'  font-family: "{face.family}";\n'
                     f'  src: {local},\n'
                     f'       url("{file_name}") format("{kind}");\n'
                     f"  font-display: block;\n"
                     f"}}\n")
    return "".join(rules)


def license_file(original, font_version, deb_version, licence):
    originals = " and ".join(f"{f.local_names[0]} ({f.original})" for f in FACES)
    if original:
        about = (f"The fonts in this folder, {originals}, are the Licensed Program itself,\n"
                 f"version {font_version}, unchanged, as shipped in Debian's package\n"
                 f"{FONT_PACKAGE} {deb_version}. The page calls them \"{FACES[0].family}\" and\n"
                 f"\"{FACES[1].family}\".\n")
    else:
        subsets = " and ".join(f"{f.family} ({f.file_name})" for f in FACES)
        about = (f"The fonts in this folder, {subsets},\n"
                 f"are Derived Programs of {originals},\n"
                 f"version {font_version}, as shipped in Debian's package {FONT_PACKAGE} {deb_version}.\n"
                 f"tools/web_fonts.py in the source of もちたま made them: it kept only the glyphs\n"
                 f"of the characters the game's web page can show, renamed the fonts and\n"
                 f"stored them as WOFF2. Outlines, metrics and hinting are unchanged.\n"
                 f"\n"
                 f"To replace them by the original fonts, run  tools/web_fonts.py --original DIR\n"
                 f"(DIR being this folder) on a Debian system with {FONT_PACKAGE} installed:\n"
                 f"it puts the unchanged ipag.ttf and ipagp.ttf here and points fonts.css at them.\n"
                 f"A player who has the original fonts installed already sees them instead.\n")
    return (f"{about}\n"
            f"They are licensed under the IPA Font License Agreement v1.0, whose full text\n"
            f"(Japanese, then English) follows.\n"
            f"\n"
            f"Copyright of the original fonts: 2003-2011 Information-technology Promotion\n"
            f"Agency, Japan; 2020-2021 Japanese Character Information Technology Promotion\n"
            f"Council (CITPC).\n"
            f"\n"
            f"{'-' * 72}\n"
            f"\n"
            f"{licence}")


def build(out_dir, original):
    chars = page_characters(ROOT)
    deb_version = package_version()
    licence = license_text()  # read first: without it nothing may be shipped
    out_dir.mkdir(parents=True, exist_ok=True)
    if original:
        from fontTools.ttLib import TTFont
        for face in FACES:
            shutil.copyfile(FONT_DIR / face.original, out_dir / face.original)
            (out_dir / face.file_name).unlink(missing_ok=True)
        with TTFont(FONT_DIR / FACES[0].original, lazy=True) as font:
            version = read_name(font, 5).removeprefix("Version ").strip()
        file_names = [f.original for f in FACES]
    else:
        version = ""
        for face in FACES:
            version = make_subset(face, chars, out_dir)
        file_names = [f.file_name for f in FACES]
    write(out_dir / "fonts.css", css(file_names))
    write(out_dir / "LICENSE.txt", license_file(original, version, deb_version, licence))


def main():
    parser = argparse.ArgumentParser(
        description="Makes the web page's fonts: subsets of IPAGothic and IPAPGothic "
                    "holding what the page can show, fonts.css and LICENSE.txt.")
    parser.add_argument("out_dir", nargs="?", type=Path, help="where to write them")
    parser.add_argument("--original", action="store_true",
                        help="write the unchanged original fonts instead of the subsets")
    parser.add_argument("--chars", action="store_true",
                        help="print the characters the subsets keep, and where each was found")
    args = parser.parse_args()
    try:
        if args.chars:
            for c, where in sorted(page_characters(ROOT).items(), key=lambda item: ord(item[0])):
                print(f"U+{ord(c):04X} {c} {where}")
            return 0
        if args.out_dir is None:
            parser.error("name the folder to write the fonts to")
        build(args.out_dir, args.original)
    except Failure as e:
        print(f"web_fonts: {e}", file=sys.stderr)
        return 1
    except ImportError as e:
        print(f"web_fonts: {e} (python3-fonttools and python3-brotli; scripts/setup.sh web installs them)",
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
