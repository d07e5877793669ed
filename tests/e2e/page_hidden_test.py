"""A hidden page is a minimised game: its song falls silent at once (the audio's clock stops,
so no note holds on) and goes on from there when the page is shown again, and the game's time
goes on meanwhile: a game started just before the page was hidden ends while it is hidden,
and its row is stored then."""

import time

import kf_e2e
import kf_page
from kf_audio import WINDOW_S, PageCapture, wait_for_capture, wait_for_music
from kf_e2e import check
from page_table_test import TABLE, minimise, player_lengths

# How long the hidden page is watched for its audio clock standing still.
HIDDEN_WATCH_S = 3.0


def audio(game):
    return game.browser.script("return window.kfAudio ? [window.kfAudio.state, "
                               "window.kfAudio.currentTime] : null")


def test():
    game = kf_page.PageGame()
    try:
        kf_e2e.write_scores(game.scores, TABLE)
        game.start()
        capture = PageCapture(game.browser)
        game.wait_for_picture()
        kf_e2e.press("Left")  # the gesture that starts the audio and the song
        onset = wait_for_music(game, capture)
        kf_e2e.press("Return")  # a game without presses, which enters the table
        minimise(game, "minimized")
        kf_e2e.wait_until(lambda: audio(game)[0] == "suspended", "the hidden page's audio "
                          "suspended")
        stopped_at = audio(game)[1]
        time.sleep(HIDDEN_WATCH_S)
        check(audio(game) == ["suspended", stopped_at],
              f"the hidden page's audio went on: {audio(game)}, stopped at {stopped_at}")
        kf_e2e.wait_until(lambda: len(player_lengths(game)) == 1,
                          "the game's row stored while the page was hidden", timeout=180)
        check(game.browser.script("return document.visibilityState") == "hidden",
              "the page was shown before its game ended")
        minimise(game, "normal")
        kf_e2e.wait_until(lambda: audio(game)[0] == "running", "the audio running again")
        resumed = audio(game)[1]
        check(resumed - stopped_at < 1.0, f"the song skipped from {stopped_at:.2f} s to "
              f"{resumed:.2f} s")
        wait_for_capture(game, capture, resumed + 3.0)
        after = [level for level in capture.levels(WINDOW_S, resumed) if level is not None]
        check(after and max(after) > 0.01, f"no music after the page was shown: {after}")
        print(f"music from {onset:.1f} s, stopped at {stopped_at:.2f} s while hidden, went on "
              f"from {resumed:.2f} s; the game's row {player_lengths(game)} stored hidden")
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
