"""The web page's fonts as built (site/fonts/ of the web tree).

MOCHITAMA_WEB_FONTS names the folder; by default build-web/site/fonts.
"""

import os
import re
import unicodedata
import unittest
from pathlib import Path

from fontTools.ttLib import TTFont

ROOT = Path(__file__).resolve().parents[2]
FONTS = Path(os.environ.get("MOCHITAMA_WEB_FONTS", ROOT / "build-web/site/fonts"))
ORIGINALS = Path("/usr/share/fonts/opentype/ipafont-gothic")
FACES = {"mochitama-gothic.woff2": "ipag.ttf", "mochitama-pgothic.woff2": "ipagp.ttf"}


def game_characters():
    """What the game's own texts can put on the page: its non-ASCII characters and printable ASCII."""
    chars = {chr(c) for c in range(0x20, 0x7F)}
    for path in (ROOT / "src/game").rglob("*"):
        if path.is_file():
            chars.update(c for c in path.read_text(encoding="utf-8")
                         if ord(c) > 0x7E and unicodedata.category(c)[0] != "C")
    return chars


class WebFontsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        missing = [name for name in FACES if not (FONTS / name).is_file()]
        if missing:
            raise AssertionError(f"{', '.join(missing)} not in {FONTS}: build the target mochitama_web_fonts")
        cls.fonts = {name: TTFont(FONTS / name) for name in FACES}

    @staticmethod
    def hinting(font, glyph):
        program = getattr(font["glyf"][glyph], "program", None)
        return program.getBytecode() if program else b""

    def test_every_character_of_the_game_has_a_glyph_with_the_original_metrics(self):
        chars = game_characters()
        self.assertIn("も", chars)  # the scan found the game's texts at all
        for name, original_name in FACES.items():
            with self.subTest(font=name):
                font = self.fonts[name]
                cmap = font.getBestCmap()
                missing = sorted(f"U+{ord(c):04X} {c}" for c in chars if ord(c) not in cmap)
                self.assertEqual(missing, [], f"{name} lacks glyphs")
                original = TTFont(ORIGINALS / original_name, lazy=True)
                original_cmap = original.getBestCmap()
                for c in sorted(chars):
                    glyph, original_glyph = cmap[ord(c)], original_cmap[ord(c)]
                    self.assertEqual(font["hmtx"][glyph], original["hmtx"][original_glyph], f"advance of {c}")
                    shape = font["glyf"][glyph].getCoordinates(font["glyf"])[0]
                    original_shape = original["glyf"][original_glyph].getCoordinates(original["glyf"])[0]
                    self.assertEqual(list(shape), list(original_shape), f"outline of {c}")
                    self.assertEqual(self.hinting(font, glyph), self.hinting(original, original_glyph),
                                     f"hinting of {c}")
                original.close()

    def test_nothing_is_named_like_the_original(self):
        # A derived font may not use the original's name, in the font or in a file name.
        for name, font in self.fonts.items():
            with self.subTest(font=name):
                records = [(r.nameID, r.toUnicode()) for r in font["name"].names]
                self.assertTrue(any(i == 1 for i, _ in records), "no family name")
                self.assertEqual([r for r in records if "ipa" in r[1].lower()], [])
        self.assertEqual([p.name for p in FONTS.iterdir() if "ipa" in p.name.lower()], [])

    def test_the_css_names_the_shipped_files_and_the_originals_real_names(self):
        css = (FONTS / "fonts.css").read_text(encoding="utf-8")
        urls = re.findall(r'url\("([^"]+)"\)', css)
        self.assertEqual(sorted(urls), sorted(FACES))
        # local() must name an installed original by its full or PostScript
        # name, or the player downloads the subset anyway.
        real_names = set()
        for original_name in FACES.values():
            with TTFont(ORIGINALS / original_name, lazy=True) as original:
                real_names.update(r.toUnicode() for r in original["name"].names if r.nameID in (4, 6))
        local_names = re.findall(r'local\("([^"]+)"\)', css)
        self.assertEqual(len(local_names), 4)
        self.assertLessEqual(set(local_names), real_names)

    def test_the_licence_is_shipped_whole(self):
        licence = (FONTS / "LICENSE.txt").read_text(encoding="utf-8")
        for part in ("IPAフォントライセンスv1.0", "本契約は、日本法に基づき解釈されます。",
                     "IPA Font License Agreement v1.0", "This Agreement shall be construed under the laws of Japan.",
                     "tools/web_fonts.py --original"):
            self.assertTrue(part in licence, f"{part!r} is not in LICENSE.txt")


if __name__ == "__main__":
    unittest.main()
