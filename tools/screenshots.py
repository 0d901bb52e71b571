#!/usr/bin/env python3
"""Takes the README's screenshots from the real program.

Each screen is reached as a player would reach it (the steps of the
real-window tests), on a throwaway Xvfb + openbox desktop of its own, with a
copy of the built program in a temporary directory. Each shot is the window
with its frame (and an open menu, if any) and a small margin of desktop.

    tools/screenshots.py [--binary build/mochitama] [--out docs/screenshots] [NAME ...]
"""
import argparse
import os
import shutil
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True  # no __pycache__ left in the source tree
sys.path.insert(0, os.path.join(ROOT, "tests"))
from harness.desktop import SCREEN_H, SCREEN_W, Desktop  # noqa: E402
from harness.game import Game  # noqa: E402
from harness.player import Player  # noqa: E402
from harness.waiting import wait_until  # noqa: E402

MARGIN = 8  # pixels of desktop kept around the window
SETTLE = 0.5  # seconds for the program to finish painting before a shot


# ---------------------------------------------------------------- the shot


def shoot(desktop, rects, path):
    """Saves the part of the screen that holds all `rects`, with the margin."""
    left = max(0, min(r[0] for r in rects) - MARGIN)
    top = max(0, min(r[1] for r in rects) - MARGIN)
    right = min(SCREEN_W, max(r[0] + r[2] for r in rects) + MARGIN)
    bottom = min(SCREEN_H, max(r[1] + r[3] for r in rects) + MARGIN)
    whole = path + ".screen.png"
    desktop.screenshot(whole)
    try:
        desktop.run(["convert", whole, "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                     "-strip", path])
    finally:
        os.remove(whole)
    print(f"{os.path.relpath(path)}: {right - left} × {bottom - top} px", file=sys.stderr)


# ---------------------------------------------------------------- the screens
# Each takes a desktop, a player and the target path, and leaves the program
# running; the caller ends it.


def title(desktop, player, path):
    window = player.start()
    time.sleep(SETTLE)  # the title window stays for two seconds
    shoot(desktop, [desktop.frame(window)], path)


def opening_question(desktop, player, path):
    main = player.to_opening_question()
    time.sleep(SETTLE)
    shoot(desktop, [desktop.frame(main)], path)


def opening_question_time_attack(desktop, player, path):
    main = player.to_opening_question(time_attack=True)
    time.sleep(SETTLE)
    shoot(desktop, [desktop.frame(main)], path)


def help_menu(desktop, player, path):
    main = player.to_opening_question()
    player.answer_no(main)
    desktop.key(main, "alt+h")
    pid = player.game.proc.pid
    menus = wait_until(lambda: desktop.popup_menus(pid), 5, "the ﾍﾙﾌﾟ menu")
    time.sleep(SETTLE)
    shoot(desktop, [desktop.frame(main), *menus], path)


def surrender_hint(desktop, player, path):
    main = player.to_opening_question()
    player.answer_no(main)
    player.surrender_early(main)  # the hint stays for three seconds
    time.sleep(SETTLE)
    shoot(desktop, [desktop.frame(main)], path)


def congratulation(desktop, player, path):
    main, _ = player.time_attack_to_congratulation()  # three seconds before the last prompt
    time.sleep(SETTLE)
    shoot(desktop, [desktop.frame(main)], path)


# name: (how to reach it, Qt's scale factor, the game's language)
SHOTS = {
    "title": (title, None, "ja"),
    "opening-question": (opening_question, None, "ja"),
    "opening-question-time-attack": (opening_question_time_attack, None, "ja"),
    "help-menu": (help_menu, None, "ja"),
    "surrender-hint": (surrender_hint, None, "ja"),
    "congratulation": (congratulation, None, "ja"),
    "opening-question-scale-2": (opening_question, 2, "ja"),
    "surrender-hint-scale-2": (surrender_hint, 2, "ja"),
    "surrender-hint-english": (surrender_hint, None, "en"),
}


def take(name, binary, out):
    reach, scale, language = SHOTS[name]
    desktop = Desktop(scale_factor=scale)
    game = Game(desktop, binary)
    if language == "en":
        game.env.update(LANGUAGE="en", LANG="en_US.UTF-8")
    try:
        reach(desktop, Player(desktop, game, language), os.path.join(out, name + ".png"))
    finally:
        game.kill()
        desktop.close()
        shutil.rmtree(game.dir, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--binary", default=os.path.join(ROOT, "build", "mochitama"))
    parser.add_argument("--out", default=os.path.join(ROOT, "docs", "screenshots"))
    parser.add_argument("names", nargs="*", metavar="NAME",
                        help="which shots to take (all by default): " + ", ".join(SHOTS))
    args = parser.parse_args()
    unknown = [n for n in args.names if n not in SHOTS]
    if unknown:
        parser.error(f"no such shot: {', '.join(unknown)}")
    if not os.access(args.binary, os.X_OK):
        parser.error(f"{args.binary} is not a program; build it first")
    os.makedirs(args.out, exist_ok=True)
    for name in args.names or SHOTS:
        take(name, os.path.abspath(args.binary), args.out)


if __name__ == "__main__":
    main()
