"""The page on a phone, played with taps alone. Upright and sideways, every line of the main
menu and of the highscores is inside the canvas and readable (no text at its edges). Then, by
taps: the name screen, a tap on the name brings up the page's text input, where the device's
keyboard types; back to the menu; a game pumped with two thumbs whose touches overlap (the left
half is A, the right half L); the congratulations; the highscores with the typed name. The
stored table's last row is 1.5 cm, which a game without presses (about 1.33 cm) never reaches,
so the entry proves that the taps pressed. The canvas's pixels stay near a 1920 x 1080 screen's
however dense the phone's display."""

import kf_e2e
import kf_page
import kf_screen
import kf_touch
from kf_e2e import check
from kf_screen import menu_line_before

TYPED = "TAPPER"
NAME = "VOV1ER0U" + TYPED
TABLE = kf_e2e.DEFAULT_TABLE[:9] + [(1.5, b"KNAPP")]
MAIN_MENU = ["Start new game", "Change player name", "View highscores", "Show controls",
             "Quit game"]
MOST_PIXELS = 1920 * 1080 * 1.02


def check_in_view(screens, game, label, lines):
    path = screens.shoot(label)
    text = screens.read(path)
    missing = [line for line in lines if not kf_screen.has_line(text, line, 0.8)]
    check(not missing, f"{label}: {missing} not read on the screen:\n{text}")
    check(not kf_touch.text_at_sides(path), f"{label}: text reaches the canvas's edge ({path})")
    width, height = game.browser.canvas_size()
    check(width * height <= MOST_PIXELS, f"{label}: a canvas of {width} x {height} pixels")


def view_screens(screens, game, device):
    width, height, scale = device
    game.browser.emulate_device(width, height, scale)
    fingers = kf_touch.Fingers(game.browser, width, height)
    label = f"{width}x{height}"
    screens.wait_for(game, kf_screen.main_menu, "the main menu", f"menu_{label}")
    check_in_view(screens, game, f"menu_{label}", MAIN_MENU)
    fingers.tap_line(2)  # "View highscores"
    screens.wait_for(game, lambda t: kf_screen.has_line(t, "Highscores"), "the highscores",
                     f"highscores_{label}")
    check_in_view(screens, game, f"highscores_{label}", ["Back to main menu", "Highscores"])
    fingers.tap_line(0)  # "Back to main menu"
    return fingers


def enter_name(screens, game, fingers):
    fingers.tap_line(1)  # "Change player name"
    screens.wait_for(game, lambda t: menu_line_before(t, "Back to main menu") is not None,
                     "the name screen", "name_screen")
    fingers.tap_line(0)  # the name: the device's keyboard comes up
    kf_e2e.wait_until(lambda: game.browser.script(
        "return document.activeElement && document.activeElement.id === 'name-input'"),
        "the text input was not focused by the tap on the name", timeout=30)
    for letter in TYPED.lower():
        game.browser.insert_text(letter)
        kf_e2e.wait_for_frames(kf_e2e.KEY_HOLD_FRAMES)
    screens.wait_for(game, lambda t: kf_screen.likeness(
        menu_line_before(t, "Back to main menu") or "", NAME) > 0.85,
        f"the name {NAME}", "name_typed")
    fingers.tap_line(1)  # "Back to main menu"
    screens.wait_for(game, kf_screen.main_menu, "the main menu", "menu_again")
    check(not game.browser.script("return document.activeElement.id === 'name-input'"),
          "the text input kept the focus after the name screen")


def test():
    screens = kf_screen.Screens()
    game = kf_page.PageGame()
    try:
        kf_e2e.write_scores(game.scores, TABLE)
        kf_screen.open_at_menu(screens, game)
        view_screens(screens, game, kf_touch.PHONE_SIDEWAYS)
        view_screens(screens, game, kf_touch.TABLET_UPRIGHT)
        fingers = view_screens(screens, game, kf_touch.PHONE_UPRIGHT)
        enter_name(screens, game, fingers)
        fingers.tap_line(0)  # "Start new game"
        kf_touch.pump(fingers, lambda: kf_screen.congratulations(
            screens.read(screens.shoot("pump"))))
        screens.wait_for(game, kf_screen.congratulations, "the congratulations",
                         "congratulations", timeout=120)
        fingers.tap_line(0)  # "Go to highscores"
        screens.wait_for(game, lambda t: kf_screen.table_lengths(t, NAME[:16]),
                         f"the row of {NAME} in the highscores", "highscores_row")
        kf_e2e.close_window("canvas")
        game.wait_for_clean_exit()
        rows = kf_e2e.read_scores(game.scores)
        mine = kf_e2e.lengths_of(rows, NAME.encode())
        check(len(mine) == 1 and mine[0] > 1.5, f"no row of {NAME} in {rows}")
        print(f"played by taps: {mine[0]:.2f} cm")
    finally:
        game.cleanup()
    print(f"screenshots in {screens.folder}")


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
