#!/usr/bin/python3
"""Puts the web page's static folder together, as a host serves it.

    tools/web_site.py OUT_DIR --shell DIR --desktop DIR --contract DIR
                      --program DIR --fonts DIR --icons DIR

OUT_DIR is made afresh:

    index.html              the page; names the version folder in its <base>
    sw.js                   the service worker: keeps one whole version for offline play
    manifest.webmanifest    what a browser needs to install the page
    v/HASH/                 everything else: start.js, the program (mochitama.js,
                            mochitama.wasm), the desktop's modules and styles
                            (desktop/), the fonts, the icons

HASH is taken from the folder's contents, so a new version of any file is a
new folder: an old mochitama.js is never paired with a new mochitama.wasm,
whatever a cache or a half-finished upload holds, and the folder can be
cached for ever. Only the three files at the top change in place. Every
text file and the wasm get a .br and a .gz beside them, for a host that
serves them as they are.

Same inputs, byte-identical output.
"""

import argparse
import gzip
import hashlib
import json
import re
import shutil
import sys
from pathlib import Path

import brotli

# What gets a compressed copy: the rest (fonts, PNG) is compressed already.
COMPRESSED = {".html", ".js", ".css", ".wasm", ".svg", ".webmanifest", ".txt", ".json"}
# The page's own files that stay at the top, outside the version folder.
TOP = ("index.html", "sw.js", "manifest.webmanifest")


class SiteError(Exception):
    pass


def copy_tree(source, destination, pattern="*"):
    for path in sorted(Path(source).glob(pattern)):
        if path.is_file():
            target = Path(destination) / path.name
            target.parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(path, target)


def gather(version_dir, args):
    """The files of one version, in version_dir."""
    copy_tree(args.shell, version_dir, "start.js")
    copy_tree(args.desktop, version_dir / "desktop", "*.js")
    copy_tree(args.desktop, version_dir / "desktop", "*.css")
    copy_tree(args.contract, version_dir / "desktop")
    copy_tree(args.program, version_dir, "mochitama.*")
    copy_tree(args.fonts, version_dir / "fonts")
    copy_tree(args.icons, version_dir / "icons")
    for needed in ("start.js", "mochitama.js", "mochitama.wasm", "desktop/desktop.js", "fonts/fonts.css",
                   "icons/mochitama.svg", "icons/mochitama-192.png", "icons/mochitama-512.png"):
        if not (version_dir / needed).is_file():
            raise SiteError(f"the site has no {needed}")


def files_of(directory):
    return sorted(p.relative_to(directory).as_posix() for p in Path(directory).rglob("*") if p.is_file())


def version_of(directory):
    digest = hashlib.sha256()
    for name in files_of(directory):
        digest.update(name.encode() + b"\0" + (Path(directory) / name).read_bytes() + b"\0")
    return digest.hexdigest()[:12]


def fill(template, values):
    text = Path(template).read_text(encoding="utf-8")
    for key, value in values.items():
        text = text.replace("@" + key + "@", value)
    left = re.search(r"@[A-Z_]+@", text)
    if left:
        raise SiteError(f"{template}: nothing fills {left.group(0)}")
    return text


def checked_page(page, files):
    """index.html with its links checked against the version's files: a
    preload of a file this version lacks (the original fonts instead of the
    subsets) goes; any other link to a missing file stops the build."""
    kept = []
    for line in page.splitlines():
        if line.startswith("<base "):
            kept.append(line)
            continue
        for href in re.findall(r'(?:href|src)="([^"]*)"', line):
            if href.startswith(("../", "#", "http:", "https:", "data:")) or href in files or href == "":
                continue
            if 'rel="preload"' in line:
                break
            raise SiteError(f"index.html names {href}, which this version does not have")
        else:
            kept.append(line)
    return "\n".join(kept) + "\n"


def write_top(out, shell, version, files):
    base = f"v/{version}/"
    modules = [f for f in files if f.startswith("desktop/") and f.endswith(".js")]
    preloads = "\n".join(f'<link rel="modulepreload" href="{m}">' for m in modules)
    page = fill(shell / "index.html", {"BASE": base, "MODULE_PRELOADS": preloads})
    (out / "index.html").write_text(checked_page(page, files), encoding="utf-8")
    # The service worker keeps the page and every file of this version.
    cached = ["./"] + [base + f for f in files]
    (out / "sw.js").write_text(fill(shell / "sw.js", {
        "VERSION": version, "FILES": json.dumps(cached, ensure_ascii=False, indent=2)}), encoding="utf-8")
    (out / "manifest.webmanifest").write_text(fill(shell / "manifest.webmanifest", {"BASE": base}),
                                              encoding="utf-8")


def compress(out):
    for name in files_of(out):
        path = out / name
        if path.suffix not in COMPRESSED:
            continue
        data = path.read_bytes()
        path.with_name(path.name + ".br").write_bytes(brotli.compress(data, quality=11))
        # mtime 0: the same bytes every build.
        path.with_name(path.name + ".gz").write_bytes(gzip.compress(data, compresslevel=9, mtime=0))


def build(args):
    out = Path(args.out_dir)
    staging = out.with_name(out.name + ".new")
    shutil.rmtree(staging, ignore_errors=True)
    gathering = staging / "v" / "gathering"
    gather(gathering, args)
    version = version_of(gathering)
    files = files_of(gathering)
    gathering.rename(staging / "v" / version)
    write_top(staging, Path(args.shell), version, files)
    compress(staging)
    # The old site goes only once the new one is whole.
    shutil.rmtree(out, ignore_errors=True)
    staging.rename(out)
    return version


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.strip().splitlines()[0])
    parser.add_argument("out_dir")
    for name in ("shell", "desktop", "contract", "program", "fonts", "icons"):
        parser.add_argument("--" + name, required=True)
    args = parser.parse_args(argv)
    try:
        print(f"web_site: version {build(args)} in {args.out_dir}")
        return 0
    except (SiteError, OSError) as error:
        print(f"web_site: {error}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
