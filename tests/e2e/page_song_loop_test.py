"""The page's song loops past its end as on the desktop, and "Quit game" ends it: the page is
asked to start the song a few seconds before its end (?songskip, a hook for the tests), its
music level stays steady across the end and well into the next pass, and once the game has
ended the page's audio is closed."""

import kf_e2e
from kf_audio import (WINDOW_S, PageCapture, heard, song_pass_seconds, wait_for_capture,
                      wait_for_music)
from kf_e2e import check

BEFORE_END_S = 5.0
AFTER_END_S = 8.0


def test():
    song_s = song_pass_seconds()
    game = kf_e2e.Game()
    game.server.url += f"?songskip={song_s - BEFORE_END_S:.3f}"
    try:
        game.start()
        capture = PageCapture(game.browser)
        game.wait_for_window()
        game.wait_for_picture()
        kf_e2e.press("Left")  # the gesture; Left does nothing in the menu
        onset = wait_for_music(game, capture)
        end_at = onset + BEFORE_END_S
        wait_for_capture(game, capture, end_at + AFTER_END_S)
        first = int(onset / WINDOW_S) + 1
        levels = capture.levels(WINDOW_S)[first:int((end_at + AFTER_END_S) / WINDOW_S)]
        music = sorted(heard(levels))
        check(len(music) > 0.7 * len(levels), f"too few readings: {len(music)} of {len(levels)}")
        median = music[len(music) // 2]
        print(f"the song ends about {end_at:.1f} s into the page's audio; levels (0.5 s from "
              f"{(first * WINDOW_S):.1f} s): {' '.join(f'{l:.3f}' if l else '-' for l in levels)}")
        check(median > 0.01, f"no music (median level {median:.4f})")
        for at, level in enumerate(levels):
            check(level is None or 0.4 * median < level < 2.5 * median,
                  f"level {level:.4f} at {(first + at) * WINDOW_S:.1f} s strays from "
                  f"{median:.4f}: the song does not loop on steadily")
        kf_e2e.quit_game(game)
        check(game.browser.script("return window.kfAudio.state") == "closed",
              "the page's audio still runs after Quit game")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
