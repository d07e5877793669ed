"""The page's table beyond a plain save and load:
- A write the browser refuses (the origin's quota set to almost nothing) shows the notice that
  the table will not be kept, and the game plays on.
- Two tabs of one browser each finish a game into the table: both rows are stored, and the
  tab that was minimised meanwhile holds the stored table in its folder once shown again.
- The table leaves the page as the very scores.dat the desktop writes, and a desktop-made
  scores.dat loaded into the page merges with its table; a damaged one is refused with a
  message and changes nothing.
- A table another tab stored whose message has not come yet (stored here without one) is
  merged, not overwritten, by the tab's next save."""

import os
import shutil
import struct
import tempfile

import kf_e2e
import kf_page
from kf_e2e import check

NOTICE = "the highscore table will not be kept"
PLAYER = b"VOV1ER0U"
# A game without presses (about 1.33 cm) enters this table, and two such games both stay.
TABLE = kf_e2e.DEFAULT_TABLE[:8] + [(1.0, b"VORLETZTE"), (0.5, b"LETZTE")]
LOADED = [(95.5, b"VOM DESKTOP"), (4.25, b"AUCH")]
# A table as another machine's game wrote it, in falling order.
OTHER_TABLE = sorted(LOADED + kf_e2e.DEFAULT_TABLE[:8], key=lambda row: -row[0])
READ_DATABASE = """window.kfDatabase = undefined;
    const open = indexedDB.open("kesselfass3d");
    open.onsuccess = () => {
        const get = open.result.transaction("files").objectStore("files").get("scores.dat");
        get.onsuccess = () => { window.kfDatabase = get.result ? Array.from(get.result) : null;
                                open.result.close(); };
    };"""


def stored(game):
    """The bytes in the page's database, or None."""
    game.browser.script(READ_DATABASE)
    kf_e2e.wait_until(lambda: game.browser.script("return window.kfDatabase !== undefined"),
                      "the page's database read")
    data = game.browser.script("return window.kfDatabase")
    return None if data is None else bytes(data)


def rows_of(data):
    image = data.replace(b"\r\n", b"\n")
    check(len(image) == 360, f"the stored table is {len(image)} bytes")
    return [(struct.unpack("<f", image[36 * i:36 * i + 4])[0],
             image[36 * i + 4:36 * i + 36].split(b"\0")[0]) for i in range(10)]


def player_lengths(game):
    data = stored(game)
    return [] if data is None else kf_e2e.lengths_of(rows_of(data), PLAYER)


def play_a_game(game, presses_s=0.0):
    """Starts a game from the main menu and plays it to its end; the row it adds is saved."""
    before = len(player_lengths(game))
    kf_e2e.press("Return")  # "Start new game"
    if presses_s:
        with kf_e2e.Rhythm(duration=presses_s):
            pass
    kf_e2e.wait_until(lambda: len(player_lengths(game)) > before, "the game's row stored",
                      timeout=180)
    kf_e2e.press("Return")  # back to the menu


def open_with_table(game, rows=TABLE):
    kf_e2e.write_scores(game.scores, rows)
    game.start()
    game.wait_for_picture()


def refused_write_shows_notice():
    """The quota is set before the page's first visit: a browser takes a new quota for an
    origin whose storage it has opened already only later."""
    game = kf_page.PageGame()
    folder = tempfile.mkdtemp(prefix="kf_table_files_")
    try:
        game.open_browser()
        game.browser.open("about:blank")
        game.browser.driver.execute_cdp_cmd("Storage.overrideQuotaForOrigin",
                                            {"origin": game.server.url.rstrip("/"),
                                             "quotaSize": 1})
        game.start()
        game.wait_for_picture()
        check(game.browser.notice() is None, f"a notice before the write: {game.browser.notice()}")
        # A table brought in changes the table, which the page saves and writes through.
        other = os.path.join(folder, "other.dat")
        kf_e2e.write_scores(other, OTHER_TABLE)
        choose_file(game, other)
        kf_e2e.wait_until(lambda: NOTICE in (game.browser.notice() or ""),
                          "the notice of the refused write")
        frames = kf_e2e.drawn_frames()
        kf_e2e.wait_until(lambda: kf_e2e.drawn_frames() > frames + 10, "frames after the notice")
        game.check_running("after the refused write")
        check(stored(game) is None, "the refused write stored a table")
        print("a refused write: the notice shows, the game plays on")
    finally:
        game.cleanup()
        shutil.rmtree(folder, ignore_errors=True)


def minimise(game, state):
    driver = game.browser.driver
    window = driver.execute_cdp_cmd("Browser.getWindowForTarget", {})["windowId"]
    driver.execute_cdp_cmd("Browser.setWindowBounds",
                           {"windowId": window, "bounds": {"windowState": state}})


def two_tabs_keep_both_rows():
    game = kf_page.PageGame()
    try:
        open_with_table(game)
        driver = game.browser.driver
        first = driver.current_window_handle
        driver.switch_to.new_window("window")
        second = driver.current_window_handle
        game.browser.open(game.server.url)
        game.wait_for_picture()
        driver.switch_to.window(first)
        play_a_game(game)
        mine = player_lengths(game)
        minimise(game, "minimized")
        driver.switch_to.window(second)
        play_a_game(game, presses_s=3.0)
        both = player_lengths(game)
        check(len(both) == 2 and mine[0] in both, f"rows after both games: {both}, first {mine}")
        driver.switch_to.window(first)
        minimise(game, "normal")
        kf_e2e.wait_until(lambda: game.browser.read_stored("scores.dat") == stored(game),
                          "the first tab holding the stored table once shown again")
        print(f"two tabs: both rows stored {both}")
    finally:
        game.cleanup()


def choose_file(game, path):
    chooser = game.browser.driver.find_element("id", "table-file")
    loads = int(game.browser.mark("tableLoads") or 0)
    chooser.send_keys(path)
    kf_e2e.wait_until(lambda: int(game.browser.mark("tableLoads") or 0) > loads,
                      "the page to read the chosen file")


def download_and_load():
    game = kf_page.PageGame()
    folder = tempfile.mkdtemp(prefix="kf_table_files_")
    try:
        open_with_table(game)
        with open(game.scores, "rb") as f:
            desktop_made = f.read()
        game.browser.driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                                            {"behavior": "allow", "downloadPath": folder})
        game.browser.script("document.getElementById('table-download').click()")
        downloaded = os.path.join(folder, "scores.dat")
        kf_e2e.wait_until(lambda: os.path.exists(downloaded) and
                          os.path.getsize(downloaded) == len(desktop_made), "the download")
        with open(downloaded, "rb") as f:
            check(f.read() == desktop_made, "the download differs from the desktop's file")

        other = os.path.join(folder, "other.dat")
        kf_e2e.write_scores(other, OTHER_TABLE)
        choose_file(game, other)
        expected = sorted(set(TABLE + LOADED), key=lambda row: -row[0])[:10]
        kf_e2e.wait_until(lambda: (stored(game) or b"") and rows_of(stored(game)) == expected,
                          f"the loaded table merged as {expected}")
        merged = stored(game)

        damaged = os.path.join(folder, "damaged.dat")
        with open(damaged, "wb") as f:
            f.write(desktop_made[:100])
        choose_file(game, damaged)
        boxes = game.browser.boxes()
        check(any("not a Kesselfass 3D highscore table" in text for _, text in boxes),
              f"no message for the damaged file: {boxes}")
        frames = kf_e2e.drawn_frames()
        kf_e2e.wait_until(lambda: kf_e2e.drawn_frames() > frames + 10, "frames after the load")
        check(stored(game) == merged, "the damaged file changed the stored table")
        game.check_running("after the loads")
        an_unheard_write_is_kept(game, folder, rows_of(merged))
        print("the table downloaded as the desktop's file; a desktop file merged, a damaged "
              "one refused")
    finally:
        game.cleanup()
        shutil.rmtree(folder, ignore_errors=True)


def table_file(folder, name, rows):
    path = os.path.join(folder, name)
    kf_e2e.write_scores(path, rows)
    with open(path, "rb") as f:
        return path, f.read()


def an_unheard_write_is_kept(game, folder, rows):
    def ranked(table):
        return sorted(set(table), key=lambda row: -row[0])[:10]

    elsewhere = ranked(rows + [(50.0, b"ANDERER TAB")])
    _, data = table_file(folder, "elsewhere.dat", elsewhere)
    game.browser.script("return KesselfassStorage.store(new Uint8Array(arguments[0]))",
                        list(data))
    check(rows_of(stored(game)) == elsewhere, "the other tab's table was not stored")
    brought, _ = table_file(folder, "brought.dat", ranked(rows + [(40.0, b"NOCH EINER")]))
    choose_file(game, brought)
    expected = ranked(elsewhere + [(40.0, b"NOCH EINER")])
    kf_e2e.wait_until(lambda: rows_of(stored(game)) == expected,
                      f"the next save keeping the other tab's row: {expected}")
    print("a table stored by another tab unheard of is merged by the next save")


def test():
    refused_write_shows_notice()
    two_tabs_keep_both_rows()
    download_and_load()


if __name__ == "__main__":
    kf_e2e.main(test, browser=True)
