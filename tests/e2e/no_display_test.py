"""Without any display the window cannot be made: the game reports it as an "ERROR" message
on stderr (no box can be shown), ends with exit code 0 and leaves scores.dat alone."""

import os
import subprocess
import sys
import tempfile

CREATION_MESSAGES = [
    "Failed To Register The Window Class.", "Window Creation Error.",
    "Can't Find A Suitable PixelFormat.", "Can't Set The PixelFormat.",
    "Can't Create A GL Rendering Context.", "Can't Activate The GL Rendering Context.",
    "Initialization Failed.",
]


def main():
    binary = sys.argv[1]
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.setdefault("ASAN_OPTIONS", "detect_leaks=0")
    with tempfile.TemporaryDirectory(prefix="kf_e2e_") as folder:
        done = subprocess.run([binary], cwd=folder, env=env, capture_output=True, text=True,
                              timeout=120)
        reported = [m for m in CREATION_MESSAGES if f"ERROR: {m}" in done.stderr]
        failures = []
        if done.returncode != 0:
            failures.append(f"exit code {done.returncode}")
        if not reported:
            failures.append(f"no creation error on stderr:\n{done.stderr}")
        if os.path.exists(os.path.join(folder, "scores.dat")):
            failures.append("scores.dat was written")
    if failures:
        print("FAIL: " + "; ".join(failures))
        sys.exit(1)
    print(f"PASS (reported: {reported[0]})")


if __name__ == "__main__":
    main()
