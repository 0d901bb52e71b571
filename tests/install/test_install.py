"""The program installed like any Linux desktop program, and as a .deb."""
import filecmp
import glob
import os
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ET

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, ".."))
from harness.player import SECOND_COPY_BOX  # noqa: E402
from harness.testcase import WindowTestCase  # noqa: E402

SOURCE = os.path.abspath(os.path.join(HERE, "..", ".."))
BUILD = os.environ.get("MOCHITAMA_BUILD_DIR", os.path.join(SOURCE, "build"))
APP_ID = os.environ.get("MOCHITAMA_APP_ID", "jp.mochitama.Mochitama")
CMAKE = os.environ.get("MOCHITAMA_CMAKE", "cmake")
CPACK = os.environ.get("MOCHITAMA_CPACK", "cpack")

DESKTOP_FILE = os.path.join(SOURCE, "data", APP_ID + ".desktop")
METAINFO_FILE = os.path.join(SOURCE, "data", APP_ID + ".metainfo.xml")
SVG_ICON = os.path.join(SOURCE, "data", "icons", APP_ID + ".svg")

# Every file an install puts down, relative to the prefix.
INSTALLED = {
    "bin/mochitama",
    f"share/applications/{APP_ID}.desktop",
    f"share/metainfo/{APP_ID}.metainfo.xml",
    f"share/icons/hicolor/32x32/apps/{APP_ID}.png",
    f"share/icons/hicolor/48x48/apps/{APP_ID}.png",
    f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
}
FONT_DEPENDENCY = "fonts-ipafont-gothic | fonts-japanese-gothic"


def run(args, **kwargs):
    done = subprocess.run(args, capture_output=True, text=True, timeout=120, **kwargs)
    if done.returncode != 0:
        raise AssertionError(f"{' '.join(args)} failed ({done.returncode}):\n{done.stdout}{done.stderr}")
    return done.stdout


def files_under(root):
    found = set()
    for directory, _, names in os.walk(root):
        for name in names:
            found.add(os.path.relpath(os.path.join(directory, name), root))
    return found


def desktop_entry(path):
    """The keys of the [Desktop Entry] group."""
    keys, group = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("["):
                group = line
            elif group == "[Desktop Entry]" and "=" in line and not line.startswith("#"):
                key, _, value = line.partition("=")
                keys[key.strip()] = value.strip()
    return keys


def depends_clauses(deb):
    """Depends of a .deb: each clause as written, and package → its clause."""
    depends = run(["dpkg-deb", "-f", deb, "Depends"]).strip()
    clauses = [c.strip() for c in depends.split(",") if c.strip()]
    by_package = {}
    for clause in clauses:
        for alternative in clause.split("|"):
            by_package[alternative.split("(")[0].strip()] = clause
    return depends, clauses, by_package


def qt_libraries(binary):
    """The Qt 6 libraries the program is linked against, by soname."""
    out = run(["objdump", "-p", binary])
    return sorted(line.split()[1] for line in out.splitlines()
                  if line.strip().startswith("NEEDED") and line.split()[1].startswith("libQt6"))


def package_of(soname):
    """The installed Debian package that holds a shared library."""
    out = run(["dpkg", "-S", "*/" + soname])
    packages = {line.split(":")[0] for line in out.splitlines() if line.strip()}
    if len(packages) != 1:
        raise AssertionError(f"{soname} belongs to {sorted(packages) or 'no package'}")
    return packages.pop()


class InstallTest(WindowTestCase):
    # Not beside the sources: the window tests here keep their artefacts in the build.
    default_artefacts = os.path.join(BUILD, "install-artefacts")

    def setUp(self):
        super().setUp()
        self.scratch = self.scratch_dir()

    # ---- checks shared by an install and the package's contents
    def assert_installed_layout(self, prefix):
        self.assertEqual(files_under(prefix), INSTALLED)

        program = os.path.join(prefix, "bin", "mochitama")
        self.assertTrue(os.access(program, os.X_OK), "the program is not executable")
        with open(program, "rb") as f:
            self.assertEqual(f.read(4), b"\x7fELF")
        # Qt comes from the system's library path, not from beside the program.
        self.assertNotRegex(run(["objdump", "-p", program]), r"\b(RPATH|RUNPATH)\b")

        for size in (32, 48):
            icon = os.path.join(prefix, f"share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png")
            self.assertEqual(run(["identify", "-format", "%m %w %h", icon]), f"PNG {size} {size}", icon)
        svg = os.path.join(prefix, f"share/icons/hicolor/scalable/apps/{APP_ID}.svg")
        self.assertEqual(ET.parse(svg).getroot().tag, "{http://www.w3.org/2000/svg}svg")

        for installed, source in ((f"share/applications/{APP_ID}.desktop", DESKTOP_FILE),
                                  (f"share/metainfo/{APP_ID}.metainfo.xml", METAINFO_FILE),
                                  (f"share/icons/hicolor/scalable/apps/{APP_ID}.svg", SVG_ICON)):
            self.assertTrue(filecmp.cmp(os.path.join(prefix, installed), source, shallow=False), installed)

        # The menu entry, the metadata and the files must name each other.
        entry = desktop_entry(os.path.join(prefix, f"share/applications/{APP_ID}.desktop"))
        self.assertEqual(entry["Exec"].split()[0], "mochitama")
        self.assertEqual(entry["Icon"], APP_ID)
        meta = ET.parse(os.path.join(prefix, f"share/metainfo/{APP_ID}.metainfo.xml")).getroot()
        self.assertEqual(meta.findtext("id"), APP_ID)
        self.assertEqual(meta.findtext("launchable[@type='desktop-id']"), APP_ID + ".desktop")
        self.assertEqual(meta.findtext("provides/binary"), "mochitama")

    def build_deb(self):
        out = os.path.join(self.scratch, "package")
        run([CPACK, "-G", "DEB", "-B", out], cwd=BUILD)
        debs = glob.glob(os.path.join(out, "*.deb"))
        self.assertEqual(len(debs), 1, debs)
        return debs[0]

    # ---- tests
    def test_install_puts_every_file_in_place(self):
        prefix = os.path.join(self.scratch, "prefix")
        run([CMAKE, "--install", BUILD, "--prefix", prefix])
        self.assert_installed_layout(prefix)

    def test_the_debian_package_depends_on_qt_and_a_japanese_font_and_recommends_wayland(self):
        deb = self.build_deb()
        self.assertEqual(run(["dpkg-deb", "-f", deb, "Package"]).strip(), "mochitama")
        depends, clauses, by_package = depends_clauses(deb)
        self.assertIn(FONT_DEPENDENCY, clauses, depends)
        # Desktops without an X server start it through Qt's Wayland platform.
        self.assertEqual(run(["dpkg-deb", "-f", deb, "Recommends"]).strip(), "qt6-wayland")

        root = os.path.join(self.scratch, "root")
        run(["dpkg-deb", "-x", deb, root])
        libraries = qt_libraries(os.path.join(root, "usr", "bin", "mochitama"))
        self.assertTrue({"libQt6Core.so.6", "libQt6Gui.so.6", "libQt6Widgets.so.6"} <= set(libraries), libraries)
        # Found by dpkg-shlibdeps: each with the least version that has its symbols.
        for soname in libraries:
            package = package_of(soname)
            self.assertIn(package, by_package, f"{soname} ({package}) is missing from Depends: {depends}")
            self.assertRegex(by_package[package], rf"^{package} \(>= [0-9]", depends)

    def test_the_packaged_program_starts_and_keeps_records_per_user(self):
        root = os.path.join(self.scratch, "root")
        run(["dpkg-deb", "-x", self.build_deb(), root])
        self.assert_installed_layout(os.path.join(root, "usr"))

        home = os.path.join(self.scratch, "home")
        g = self.new_game(binary=os.path.join(root, "usr", "bin", "mochitama"), copy=False, directory=self.scratch,
                          home=home)
        try:
            self.player(g).start(timeout=15)
        except AssertionError:
            print(g.output().decode("utf-8", errors="replace"), file=sys.stderr)
            raise
        records = os.path.join(g.env["XDG_DATA_HOME"], "mochitama", "MT.INI")
        self.assertTrue(os.path.isfile(records), f"no {records}")
        with open(records, "rb") as f:
            self.assertIn(b"[Kousan]\r\n", f.read())
        self.assertFalse(os.path.exists(os.path.join(root, "usr", "bin", "MT.INI")))
        self.assertFalse(os.path.exists(os.path.join(home, ".local", "share", "mochitama")))

    def test_two_installed_copies_that_share_the_records_run_one_at_a_time(self):
        # Say a system-wide copy and one under ~/.local: both keep the
        # player's records in the same file, so only one may run.
        programs = []
        for name in ("system", "own"):
            prefix = os.path.join(self.scratch, name)
            run([CMAKE, "--install", BUILD, "--prefix", prefix])
            programs.append(os.path.join(prefix, "bin", "mochitama"))
        home = os.path.join(self.scratch, "home")
        first, second = (self.new_game(binary=program, copy=False, directory=self.scratch, home=home)
                         for program in programs)
        self.player(first).start(timeout=15)
        second.start()
        second.answer(SECOND_COPY_BOX, timeout=15)
        self.assertEqual(second.wait_exit(10), 1)
        self.assertIsNone(first.proc.poll(), "the first copy ended")


if __name__ == "__main__":
    unittest.main()
