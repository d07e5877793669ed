"""What players load holds no test mode: the strings of the shot and frame-time modes are in
the test page's kesselfass3d.wasm and .js, which proves them the right ones to look for, and
in neither file of the shipped page.
    test_modes_check.py PAGE_DIR TEST_PAGE_DIR"""

import os
import sys

# The shot mode's message and one of its shots' names (compiled into the .wasm), and the
# frame-time measure's result field (in its JavaScript).
MARKERS = [b"no shot named", b"wave_blue", b"drawMedianMs"]


def contents(folder):
    data = b""
    for name in ("kesselfass3d.wasm", "kesselfass3d.js"):
        with open(os.path.join(folder, name), "rb") as f:
            data += f.read()
    return data


def main():
    shipped, test_page = (contents(folder) for folder in sys.argv[1:3])
    missing = [m.decode() for m in MARKERS if m not in test_page]
    if missing:
        print(f"FAIL: the test page lacks {missing}: look for other strings")
        return 1
    shipped_markers = [m.decode() for m in MARKERS if m in shipped]
    if shipped_markers:
        print(f"FAIL: the shipped page holds test code: {shipped_markers}")
        return 1
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
