"""The game starts fullscreen on the 1024x768 display, is driven with the keyboard, and
"Quit game" (Down four times, Return) ends it with exit code 0 and a saved table: the default
table where there was none. The Windows game and the web page (in a 1024x768 browser window)
show the main menu with its text where the Linux build puts it, and an existing table (with
0x0A and 0x1A bytes in its lengths, leftovers after its names and bytes past its end) is saved
over the old file (in the page: over the table stored by an earlier visit) with the bytes the
Linux build writes for it; the ended page then offers to play again. Also run by
scripts/fresh-check.sh on the built and the installed game."""

import os
import struct

import kf_e2e
import kf_screen
from kf_e2e import check

# Where the Linux build draws the menu lines (1024x768, text rows of the main menu): the
# cursor and the first letters of each line lie within these boxes (x, y, width, height).
MENU_LINE_BOXES = [(130, 210, 230, 35), (155, 260, 260, 35), (155, 310, 210, 35),
                   (155, 360, 185, 35), (155, 410, 135, 35)]
# Beside the lines, where the Linux build draws no text.
EMPTY_BOX = (600, 300, 200, 35)
# Lengths whose float bytes hold 0x0A and 0x1A: the text-stream pairs and the byte that ends
# a text stream on Windows must both survive the round trip.
LINE_FEED_LENGTH = struct.unpack("<f", bytes([0x0A, 0x00, 0x30, 0x41]))[0]
EOF_BYTE_LENGTH = struct.unpack("<f", bytes([0x1A, 0x00, 0x20, 0x41]))[0]
OLD_TABLE = ([(LINE_FEED_LENGTH, b"ZEILENVORSCHUB"), (EOF_BYTE_LENGTH, b"DATEIENDE")] +
             kf_e2e.DEFAULT_TABLE[2:])


def write_old_file(path, rows):
    """The table as an older save might have left it: leftovers after each name's terminator
    and bytes past the tenth row, which the game ignores and the next save drops."""
    image = b"".join(struct.pack("<f", length) + (name + b"\0").ljust(32, b"#")
                     for length, name in rows)
    with open(path, "wb") as f:
        f.write(image.replace(b"\n", b"\r\n") + b"LEFTOVER BYTES")


def expected_bytes(rows):
    """The file the Linux build writes for `rows`: names zero-filled after their terminator,
    every 0x0A stored as 0x0D 0x0A."""
    image = b"".join(struct.pack("<f", length) + name.ljust(32, b"\0") for length, name in rows)
    return image.replace(b"\n", b"\r\n")


def share_of(shot, box, pixels):
    """The share of the box's pixels that `pixels` (ImageMagick operators turning the three
    channels into a mask) picks out."""
    x, y, w, h = box
    out = kf_e2e.run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "-channel", "RGB",
                      "-separate"] + pixels + ["-format", "%[fx:mean]", "info:"]).stdout
    return float(out or 0)


WHITE = ["-evaluate-sequence", "min", "-threshold", kf_screen.TEXT_LEVEL]
BLACK = ["-evaluate-sequence", "max", "-negate", "-threshold", "85%"]  # each channel below 15%


def text_in_boxes(shot, boxes):
    """Per box: whether it holds the game's text: white pixels and the black of their shadow.
    The lit wall behind the menu turns as white in some places of the camera's drift, but
    never black."""
    return [share_of(shot, box, WHITE) > 0.02 and share_of(shot, box, BLACK) > 0.02
            for box in boxes]


def check_menu_lines(game):
    screens = kf_screen.Screens()
    screens.wait_for(game, kf_screen.main_menu, "the main menu", "start")
    shot = screens.shoot("menu_lines")
    boxes = text_in_boxes(shot, MENU_LINE_BOXES)
    check(all(boxes), f"menu lines not where the Linux build draws them: {boxes} ({shot})")
    check(text_in_boxes(shot, [EMPTY_BOX]) == [False], f"text beside the menu ({shot})")
    text = screens.read(shot)
    for line in ("Change player name", "View highscores", "Show controls", "Quit game"):
        check(kf_screen.has_line(text, line), f"no {line!r} read on the menu:\n{text}")


def check_play_again():
    """A page cannot close itself: it offers to play again, and that starts the game anew."""
    page = kf_e2e.PAGE.browser
    check(page.script("return !document.getElementById('ended').hidden"),
          "the ended page offers no new game")
    page.script("document.getElementById('play-again').click()")
    kf_e2e.wait_until(lambda: page.mark("ended") is None, "the page was not loaded again")
    page.wait_for_mark("drawn", what="the menu of the new game")


def test():
    game = kf_e2e.Game()
    try:
        old_table = kf_e2e.WINE or kf_e2e.BROWSER
        if old_table:
            write_old_file(game.scores, OLD_TABLE)
        else:
            check(not os.path.exists(game.scores), f"{game.scores} exists before the game ran")
        game.start()
        window = game.wait_for_window()
        game.wait_for_picture()
        if old_table:
            check_menu_lines(game)
        if not kf_e2e.BROWSER:
            check(kf_e2e.cursor_hidden(), "the cursor shows over the fullscreen window")
            check(kf_e2e.window_geometry(window) == (0, 0, 1024, 768),
                  f"fullscreen window at {kf_e2e.window_geometry(window)}")
            check(kf_e2e.screen_size() == (1024, 768), "the display is not at 1024x768")
        kf_e2e.quit_game(game)
        check(os.path.exists(game.scores), f"no table saved at {game.scores}")
        if old_table:
            with open(game.scores, "rb") as f:
                saved = f.read()
            check(saved == expected_bytes(OLD_TABLE),
                  f"scores.dat after the save:\n{saved!r}\nexpected:\n"
                  f"{expected_bytes(OLD_TABLE)!r}")
        else:
            rows = kf_e2e.read_scores(game.scores)
            check(rows == kf_e2e.DEFAULT_TABLE, f"scores.dat is not the default table: {rows}")
        if kf_e2e.BROWSER:
            check_play_again()
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test, wine=True, browser=True)
