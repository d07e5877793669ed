"""Without any display the window cannot be made: the game says so in an "ERROR" message on
stderr (no box can be shown) rather than failing later on a display that shows nothing, ends
with exit code 0 and leaves scores.dat alone."""

import os
import subprocess
import sys
import tempfile

MESSAGE = "ERROR: No Display Could Be Opened."


def main():
    binary = sys.argv[1]
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.setdefault("ASAN_OPTIONS", "detect_leaks=0")
    with tempfile.TemporaryDirectory(prefix="kf_e2e_") as folder:
        done = subprocess.run([binary], cwd=folder, env=env, capture_output=True, text=True,
                              timeout=120)
        failures = []
        if done.returncode != 0:
            failures.append(f"exit code {done.returncode}")
        if MESSAGE not in done.stderr.splitlines():
            failures.append(f"not {MESSAGE!r} on stderr:\n{done.stderr}")
        if os.path.exists(os.path.join(folder, "scores.dat")):
            failures.append("scores.dat was written")
    if failures:
        print("FAIL: " + "; ".join(failures))
        sys.exit(1)
    print(f"PASS (reported: {MESSAGE})")


if __name__ == "__main__":
    main()
