"""Without any SoundFont the game runs silently as designed: no music and not a line on
stderr about the SoundFonts it looked for. The SoundFont folders are hidden from the game
in a mount namespace of its own (needs unshare and the right to mount; skipped without)."""

import os
import subprocess
import sys

import kf_e2e
from kf_e2e import check

SKIPPED = 77  # CTest's SKIP_RETURN_CODE for this test
SOUNDFONT_FOLDERS = ["/usr/share/sounds/sf2", "/usr/share/soundfonts"]


def hiding_command():
    """The shell line that covers each SoundFont folder with an empty file system."""
    folders = [f for f in SOUNDFONT_FOLDERS if os.path.isdir(f)]
    return " && ".join(f"mount -t tmpfs none {f}" for f in folders) or "true"


def can_hide_soundfonts():
    probe = subprocess.run(["unshare", "-m", "sh", "-c", hiding_command()],
                           capture_output=True, text=True)
    return probe.returncode == 0


def test():
    if not can_hide_soundfonts():
        print("SKIP: cannot hide the SoundFont folders (unshare -m and mount need root)")
        sys.exit(SKIPPED)
    # The music needs an audio device to start at all; the disk driver is one everywhere.
    game = kf_e2e.Game(env={"SDL_AUDIODRIVER": "disk"})
    try:
        game.env["SDL_DISKAUDIOFILE"] = game.path("capture.raw")
        wrapper = game.path("without_soundfonts.sh")
        with open(wrapper, "w") as f:
            f.write(f'#!/bin/sh\nexec unshare -m sh -c \'{hiding_command()} && exec "$0"\' '
                    f'"{game.command[0]}"\n')
        os.chmod(wrapper, 0o755)
        game.command = [wrapper]
        game.start()
        window = game.wait_for_window()
        game.wait_for_picture()
        # Closing the window is one event, which no busy frame can lose, and ends the game
        # through the same shutdown with its save as "Quit game".
        kf_e2e.close_window(window)
        game.wait_for_clean_exit()
        noise = [line for line in game.log().splitlines() if "fluidsynth" in line.lower()]
        check(not noise, "FluidSynth spoke on stderr:\n" + "\n".join(noise))
    finally:
        game.cleanup()


if __name__ == "__main__":
    kf_e2e.main(test)
