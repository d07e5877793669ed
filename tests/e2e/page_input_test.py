"""What a page meets that a desktop window does not, each case in one visit: a Russian
keyboard's keys type by their place (key "ф" at code "KeyA" is A); a finger held on the A half
while the page loses the focus is let go (a held A would otherwise keep every later press of
the game from counting, A and L held together press nothing, and the pressure would only leak),
so that thumbs pumping after it make the pressure rise; a lost WebGL context comes back with the
picture and the game goes on; once "Quit game" has ended the game, Enter presses "Play again".
In a second visit the audio that the first gesture could not start (the browser suspended it
again, as Safari may) runs after the next gesture."""

import kf_e2e
import kf_page
import kf_screen
import kf_touch
from kf_e2e import check
from kf_screen import menu_line_before

# The browser keeps the page's audio from running until the test allows it.
HOLD_AUDIO_BACK = """(function () {
    window.kfResumeAllowed = false;
    const resume = AudioContext.prototype.resume;
    AudioContext.prototype.resume = function () {
        return window.kfResumeAllowed ? resume.call(this) : this.suspend();
    };
})();"""

# Windows virtual-key codes of the keys' places, as a keyboard reports them with the event.
RUSSIAN = [("ф", "KeyA", 0x41), ("д", "KeyL", 0x4C)] * 2


def type_russian(game):
    for key, code, virtual_key in RUSSIAN:
        game.browser.key_event(True, key, code, virtual_key)
        kf_e2e.wait_for_frames(kf_e2e.KEY_HOLD_FRAMES)
        game.browser.key_event(False, key, code, virtual_key)
        kf_e2e.wait_for_frames(1)


def russian_layout_types_by_place(screens, game):
    kf_e2e.type_keys(["Down", "Return"] + ["BackSpace"] * 8)
    type_russian(game)
    screens.wait_for(game, lambda t: kf_screen.likeness(
        menu_line_before(t, "Back to main menu") or "", "ALAL") > 0.7,
        "the name ALAL typed on a Russian layout", "russian_name")
    kf_e2e.type_keys(["Down", "Return"])
    screens.wait_for(game, kf_screen.main_menu, "the main menu", "menu_after_name")


def pressure_read(screens, shots):
    """The pressure readout of the first of `shots` in which it could be read."""
    return next((p for p, _ in map(kf_screen.readouts, map(screens.read, shots))
                 if p is not None), None)


def lost_focus_lets_go_of_a_held_finger(screens, game):
    game.browser.emulate_device(1024, 768, 1)
    fingers = kf_touch.Fingers(game.browser, 1024, 768)
    fingers.tap_line(0)  # "Start new game"
    held = fingers.put(*fingers.half("a"))
    fingers.hold()
    game.browser.script("window.dispatchEvent(new Event('blur'))")
    kf_e2e.wait_for_frames(2)
    # Pumped by the page itself and read afterwards: on a busy machine a round trip for each
    # thumb lets the leak outrun the presses. Without a press after the blur the pressure can
    # only have fallen from the 10 mbar a game starts with and the held finger's one press.
    kf_touch.pump_in_page(fingers, 8, "l")
    after = pressure_read(screens, [screens.shoot("after_pump") for _ in range(2)])
    print(f"pressure read after pumping: {after} mbar")
    check(after is not None and after > 11.0,
          f"the pressure never rose after the lost focus: {after} mbar")
    fingers.lift(held)
    seen = screens.wait_for(game, lambda t: "menu" if kf_screen.main_menu(t) else
                            "congratulations" if kf_screen.congratulations(t) else None,
                            "the end of the game", "game_over", timeout=120)
    if seen == "congratulations":
        fingers.tap_line(0)  # "Go to highscores"
        screens.wait_for(game, lambda t: kf_screen.has_line(t, "Highscores"),
                         "the highscores", "highscores")
        fingers.tap_line(0)  # "Back to main menu"
        screens.wait_for(game, kf_screen.main_menu, "the main menu", "menu_after_game")


def lost_context_comes_back(screens, game):
    game.browser.script("""
        const canvas = document.getElementById('canvas');
        canvas.dataset.old = '1';
        window.kfLoseContext = canvas.getContext('webgl').getExtension('WEBGL_lose_context');
        window.kfLoseContext.loseContext();""")
    kf_e2e.wait_until(lambda: game.browser.mark("contextLost") is not None,
                      "the page heard no lost context", timeout=30)
    kf_e2e.wait_for_frames(4)
    game.browser.script("window.kfLoseContext.restoreContext()")
    kf_e2e.wait_until(lambda: game.browser.script(
        "const c = document.getElementById('canvas'); return c !== null && !c.dataset.old"),
        "no new canvas after the context came back", timeout=60)
    screens.wait_for(game, kf_screen.main_menu, "the main menu after the restored context",
                     "menu_restored")


def enter_plays_again(screens, game):
    kf_e2e.quit_game(game)
    kf_e2e.wait_until(lambda: game.browser.script(
        "return document.activeElement && document.activeElement.id === 'play-again'"),
        "the Play again button has no focus", timeout=30)
    kf_e2e.send_key("Return", True)
    kf_e2e.send_key("Return", False)
    kf_e2e.wait_until(lambda: game.browser.mark("ended") is None,
                      "Enter did not press Play again", timeout=60)
    game.browser.wait_for_mark("drawn", what="the page played again")


def audio_state(game):
    return game.browser.script("return window.kfAudio ? window.kfAudio.state : null")


def a_later_gesture_starts_the_audio(screens):
    game = kf_page.PageGame(scripts=[HOLD_AUDIO_BACK])
    try:
        kf_screen.open_at_menu(screens, game, "audio_held_back")
        kf_e2e.press("Down")
        kf_e2e.wait_until(lambda: audio_state(game) == "suspended",
                          "the first gesture's audio was not held back", timeout=30)
        game.browser.script("window.kfResumeAllowed = true")
        kf_e2e.press("Up")
        kf_e2e.wait_until(lambda: audio_state(game) == "running",
                          f"the audio is {audio_state(game)} after a second gesture", timeout=30)
    finally:
        game.cleanup()


def test():
    screens = kf_screen.Screens()
    game = kf_page.PageGame()
    try:
        kf_screen.open_at_menu(screens, game)
        russian_layout_types_by_place(screens, game)
        lost_focus_lets_go_of_a_held_finger(screens, game)
        lost_context_comes_back(screens, game)
        enter_plays_again(screens, game)
    finally:
        game.cleanup()
    a_later_gesture_starts_the_audio(screens)
    print(f"screenshots in {screens.folder}")


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
