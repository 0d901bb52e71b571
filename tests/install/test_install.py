"""The program installed like any Linux desktop program, and as a .deb."""
import filecmp
import glob
import gzip
import os
import re
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
MANUAL_PAGE = os.path.join(SOURCE, "data", "mochitama.6")
METAINFO_FILE = os.path.join(SOURCE, "data", APP_ID + ".metainfo.xml")
SVG_ICON = os.path.join(SOURCE, "data", "icons", APP_ID + ".svg")

# Every file an install puts down, relative to the prefix, but the program:
# bin/ for an install, games/ in the Debian package.
INSTALLED = {
    f"share/applications/{APP_ID}.desktop",
    f"share/metainfo/{APP_ID}.metainfo.xml",
    f"share/icons/hicolor/32x32/apps/{APP_ID}.png",
    f"share/icons/hicolor/48x48/apps/{APP_ID}.png",
    f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
    "share/man/man6/mochitama.6.gz",
    "share/doc/mochitama/copyright",
    "share/doc/mochitama/changelog.gz",
}
FONT_DEPENDENCY = "fonts-ipafont-gothic | fonts-japanese-gothic"


# What the program honours, as --help must list it.
ENVIRONMENT = ("XDG_DATA_HOME", "HOME", "XDG_RUNTIME_DIR", "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
               "QT_SCALE_FACTOR")


def released_version():
    """The version the AppStream metadata announces, which every other place must repeat."""
    return ET.parse(METAINFO_FILE).getroot().find("releases/release").get("version")


def no_display_env(**extra):
    """The environment of a login with no window system at all."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env.update(extra)
    return env


def dep5_paragraphs(path):
    """The paragraphs of a machine-readable copyright file, as field → value."""
    paragraphs, fields, last = [], {}, None
    with open(path, encoding="utf-8") as f:
        for line in f.read().splitlines() + [""]:
            if not line.strip():
                if fields:
                    paragraphs.append(fields)
                fields, last = {}, None
            elif line[0] in " \t":
                fields[last] += "\n" + line.strip()
            else:
                last, _, value = line.partition(":")
                fields[last] = value.strip()
    return paragraphs


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
    def assert_installed_layout(self, prefix, bindir="bin"):
        self.assertEqual(files_under(prefix), INSTALLED | {f"{bindir}/mochitama"})

        program = os.path.join(prefix, bindir, "mochitama")
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

        # The copyright file says what the metadata says, in Debian's format.
        paragraphs = dep5_paragraphs(os.path.join(prefix, "share/doc/mochitama/copyright"))
        self.assertTrue(paragraphs[0]["Format"].endswith("/copyright-format/1.0/"), paragraphs[0])
        everything = next(p for p in paragraphs if p.get("Files") == "*")
        self.assertEqual(everything["License"].split("\n")[0], meta.findtext("project_license"))
        self.assertRegex(everything["Copyright"], r"^\d{4} ")
        # The changelog's latest entry is the version released.
        with gzip.open(os.path.join(prefix, "share/doc/mochitama/changelog.gz"), "rt", encoding="utf-8") as f:
            self.assertRegex(f.readline(), rf"^mochitama \({re.escape(released_version())}\) ")
        with gzip.open(os.path.join(prefix, "share/man/man6/mochitama.6.gz"), "rb") as f, \
                open(MANUAL_PAGE, "rb") as source:
            self.assertEqual(f.read(), source.read())

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

    def test_the_manual_page_is_clean_and_shown_by_man_after_an_install(self):
        # What lintian asks of a manual page: no warning from groff in UTF-8.
        checked = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", MANUAL_PAGE], capture_output=True,
                                 text=True, timeout=60)
        self.assertEqual((checked.returncode, checked.stderr), (0, ""))

        prefix = os.path.join(self.scratch, "prefix")
        run([CMAKE, "--install", BUILD, "--prefix", prefix])
        env = dict(os.environ, LC_ALL="C.UTF-8", MANWIDTH="80", MANPAGER="cat", PAGER="cat",
                   MANPATH=os.path.join(prefix, "share", "man"))
        for args in (["man", "6", "mochitama"],
                     ["man", "-l", os.path.join(prefix, "share/man/man6/mochitama.6.gz")]):
            shown = subprocess.run(args, capture_output=True, text=True, env=env, timeout=60)
            self.assertEqual((shown.returncode, shown.stderr), (0, ""), args)
            self.assertRegex(shown.stdout, r"^MOCHITAMA\(6\) ", args)
            self.assertIn("mochitama - a Japanese joke game", shown.stdout, args)
            for section in ("RECORDS", "THE SINGLE RUNNING COPY", "WAYLAND", "EXIT STATUS", "ENVIRONMENT", "FILES"):
                self.assertRegex(shown.stdout, rf"(?m)^{section}$", args)
            for name in ENVIRONMENT:
                self.assertIn(name, shown.stdout, args)

    def test_the_installed_program_answers_its_command_line_without_a_display(self):
        prefix = os.path.join(self.scratch, "prefix")
        run([CMAKE, "--install", BUILD, "--prefix", prefix])
        program = os.path.join(prefix, "bin", "mochitama")
        env = no_display_env(HOME=os.path.join(self.scratch, "home"))

        def call(*args):
            done = subprocess.run([program, *args], capture_output=True, text=True, env=env, timeout=30)
            return done.returncode, done.stdout, done.stderr

        status, out, err = call("--help")
        self.assertEqual((status, err), (0, ""))
        self.assertTrue(out.startswith("Usage: mochitama "), out)
        for said in (*ENVIRONMENT, "--version", "-platform", "$XDG_DATA_HOME/mochitama/MT.INI", "mochitama(6)"):
            self.assertIn(said, out)

        self.assertEqual(call("--version"), (0, f"mochitama {released_version()}\n", ""))

        for wrong in ("--bogus", "-x", "extra"):
            status, out, err = call(wrong)
            self.assertEqual((status, out), (2, ""), wrong)
            self.assertEqual(len(err.splitlines()), 2, err)
            self.assertIn(f"'{wrong}'", err.splitlines()[0])
            self.assertIn("mochitama --help", err.splitlines()[1])

        # Qt's -platform and -display are the ones the window-system check
        # looks at: here they name what does not exist, and it says so.
        status, out, err = call("-platform", "no-such-platform")
        self.assertEqual(status, 1, err)
        self.assertIn('"no-such-platform" is not installed', err)
        status, out, err = call("-display", ":64999")
        self.assertEqual(status, 1, err)
        self.assertIn("cannot open the game window", err)
        self.assertNotIn("DISPLAY is not set", err)

    def test_lintian_accepts_the_debian_package(self):
        deb = self.build_deb()
        checked = subprocess.run(["lintian", deb], capture_output=True, text=True, timeout=170)
        # Every tag is a line "<letter>: <package>...". Its exit status
        # alone would let warnings through.
        tags = [line for line in checked.stdout.splitlines() if re.match(r"^[A-Z]: ", line)]
        self.assertEqual(tags, [], checked.stdout)
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)

    def test_the_debian_package_depends_on_qt_and_a_japanese_font_and_recommends_wayland(self):
        deb = self.build_deb()
        self.assertEqual(run(["dpkg-deb", "-f", deb, "Package"]).strip(), "mochitama")
        depends, clauses, by_package = depends_clauses(deb)
        self.assertIn(FONT_DEPENDENCY, clauses, depends)
        # Desktops without an X server start it through Qt's Wayland platform.
        self.assertEqual(run(["dpkg-deb", "-f", deb, "Recommends"]).strip(), "qt6-wayland")

        root = os.path.join(self.scratch, "root")
        run(["dpkg-deb", "-x", deb, root])
        libraries = qt_libraries(os.path.join(root, "usr", "games", "mochitama"))
        self.assertTrue({"libQt6Core.so.6", "libQt6Gui.so.6", "libQt6Widgets.so.6"} <= set(libraries), libraries)
        # Found by dpkg-shlibdeps: each with the least version that has its symbols.
        for soname in libraries:
            package = package_of(soname)
            self.assertIn(package, by_package, f"{soname} ({package}) is missing from Depends: {depends}")
            self.assertRegex(by_package[package], rf"^{package} \(>= [0-9]", depends)

    def test_the_packaged_program_starts_and_keeps_records_per_user(self):
        root = os.path.join(self.scratch, "root")
        run(["dpkg-deb", "-x", self.build_deb(), root])
        # Debian keeps games in /usr/games, and the game still finds its
        # metadata from there: /usr/games/../share/metainfo.
        self.assert_installed_layout(os.path.join(root, "usr"), bindir="games")

        home = os.path.join(self.scratch, "home")
        g = self.new_game(binary=os.path.join(root, "usr", "games", "mochitama"), copy=False, directory=self.scratch,
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
        self.assertFalse(os.path.exists(os.path.join(root, "usr", "games", "MT.INI")))
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
