// The menu: cursor movement, activation of each screen's lines and name entry.
#include "game_test_support.h"

#include "game/game_tick.h"

#include <string>
#include <utility>

namespace {

class MenuTest : public GameTest {};

TEST_F(MenuTest, CursorStopsAtTheEndsAndStillConsumesTheKey) {
    Tap(Key::Up);
    EXPECT_EQ(MenuCursor, 0u);
    EXPECT_FALSE(KeyTable[Key::Up]);
    for (int i = 0; i < 6; ++i) {
        Tap(Key::Down);
    }
    EXPECT_EQ(MenuCursor, 4u);
    KeyTable[Key::Down] = true;
    RunTicks(1);
    EXPECT_EQ(MenuCursor, 4u);
    EXPECT_FALSE(KeyTable[Key::Down]);
}

TEST_F(MenuTest, EachMainMenuLineLeadsToItsScreen) {
    const std::pair<uint32_t, int32_t> lineToScreen[] = {
        {1, Screen::NameEntry}, {2, Screen::Highscores}, {3, Screen::Controls}};
    for (const auto& [line, screen] : lineToScreen) {
        ScreenState = Screen::MainMenu;
        MenuCursor = line;
        Tap(Key::Return);
        EXPECT_EQ(ScreenState, screen) << "line " << line;
        EXPECT_EQ(MenuCursor, 0u);
    }
    EXPECT_EQ(CountSounds("flush"), 3);
    ScreenState = Screen::MainMenu;
    MenuCursor = 4;
    Tap(Key::Space);
    EXPECT_TRUE(QuitRequested);
}

TEST_F(MenuTest, BackLinesReturnToTheMainMenu) {
    ScreenState = Screen::NameEntry;
    MenuCursor = 1;
    Tap(Key::Return);
    EXPECT_EQ(ScreenState, Screen::MainMenu);
    for (int32_t screen : {Screen::Highscores, Screen::Controls}) {
        ScreenState = screen;
        MenuCursor = 0;
        Tap(Key::Space);
        EXPECT_EQ(ScreenState, Screen::MainMenu);
    }
}

TEST_F(MenuTest, CongratulationsLeadToHighscoresThenMainMenu) {
    ScreenState = Screen::Congratulations;
    Tap(Key::Return);
    EXPECT_EQ(ScreenState, Screen::Highscores);
    EXPECT_EQ(MenuCursor, 0u);
    Tap(Key::Return);
    EXPECT_EQ(ScreenState, Screen::MainMenu);
}

TEST_F(MenuTest, SpaceAndReturnTogetherActivateOnce) {
    ScreenState = Screen::MainMenu;
    MenuCursor = 2;
    KeyTable[Key::Space] = KeyTable[Key::Return] = true;
    RunTicks(2);
    EXPECT_EQ(ScreenState, Screen::Highscores);
    EXPECT_EQ(CountSounds("flush"), 1);
    EXPECT_FALSE(KeyTable[Key::Space] || KeyTable[Key::Return]);
}

TEST_F(MenuTest, CursorMovesBeforeTheActivation) {
    KeyTable[Key::Down] = KeyTable[Key::Return] = true;
    RunTicks(1);
    EXPECT_EQ(ScreenState, Screen::NameEntry) << "the activation took line 1";
}

TEST_F(MenuTest, StartingAGameKeepsScreenAndName) {
    Tap(Key::Return);
    EXPECT_TRUE(Player().inGame);
    EXPECT_EQ(ScreenState, Screen::MainMenu);
    EXPECT_EQ(MenuCursor, 0u);
    EXPECT_STREQ(Player().name, "VOV1ER0U");
}

TEST_F(MenuTest, MenuStepSinksThePistonAndClearsRelease) {
    Player().pistonHeight = 1.0f;
    ReleasePlayed = true;
    RunTicks(4);
    EXPECT_FLOAT_EQ(Player().pistonHeight, 0.9f);
    EXPECT_FALSE(ReleasePlayed);
}

class NameEntryTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        ScreenState = Screen::NameEntry;
        MenuCursor = 0;
        Player().name[0] = '\0';
    }
};

TEST_F(NameEntryTest, KeysHeldTogetherAppendInCodeOrder) {
    KeyTable['Z'] = KeyTable['3'] = KeyTable['B'] = true;
    RunTicks(1);
    EXPECT_STREQ(Player().name, "3BZ");
    EXPECT_FALSE(KeyTable['Z'] || KeyTable['3'] || KeyTable['B']);
}

TEST_F(NameEntryTest, OtherCodesAreNotTyped) {
    KeyTable[0x3A] = KeyTable[0x40] = KeyTable[0x5B] = true;
    RunTicks(1);
    EXPECT_STREQ(Player().name, "");
    EXPECT_TRUE(KeyTable[0x3A] && KeyTable[0x40] && KeyTable[0x5B]);
}

TEST_F(NameEntryTest, NameStopsAtThirtyOneCharacters) {
    for (int i = 0; i < 40; ++i) {
        Tap('A' + i % 26);
    }
    EXPECT_EQ(std::string(Player().name).size(), 31u);
    EXPECT_EQ(Player().name[31], '\0');
    KeyTable['Q'] = true;
    RunTicks(1);
    EXPECT_FALSE(KeyTable['Q']) << "consumed while the name is full";
    EXPECT_EQ(std::string(Player().name).size(), 31u);
}

TEST_F(NameEntryTest, DeleteComesAfterAppend) {
    Tap('K');
    KeyTable['F'] = KeyTable[Key::Backspace] = true;
    RunTicks(1);
    EXPECT_STREQ(Player().name, "K");
    KeyTable[Key::Delete] = KeyTable[Key::Backspace] = true;
    RunTicks(1);
    EXPECT_STREQ(Player().name, "");
    EXPECT_FALSE(KeyTable[Key::Delete] || KeyTable[Key::Backspace]);
    Tap(Key::Delete);
    EXPECT_STREQ(Player().name, "") << "deleting from an empty name does nothing";
}

TEST_F(NameEntryTest, FullNameLosesItsLastCharacterToADeleteWithALetter) {
    for (int i = 0; i < 31; ++i) {
        Tap('X');
    }
    KeyTable['Y'] = KeyTable[Key::Delete] = true;
    RunTicks(1);
    EXPECT_EQ(std::string(Player().name), std::string(30, 'X'));
}

TEST_F(NameEntryTest, TypingOnlyOnTheNameLine) {
    MenuCursor = 1;
    KeyTable['A'] = true;
    RunTicks(1);
    EXPECT_STREQ(Player().name, "");
    EXPECT_TRUE(KeyTable['A']) << "not consumed off the name line";
    KeyTable['A'] = false;
    ScreenState = Screen::MainMenu;
    MenuCursor = 0;
    KeyTable['7'] = true;
    RunTicks(1);
    EXPECT_TRUE(KeyTable['7']);
}

TEST_F(NameEntryTest, ActivatingTheNameLineOnlyFlushes) {
    Tap('N');
    Tap(Key::Space);
    EXPECT_EQ(ScreenState, Screen::NameEntry);
    EXPECT_STREQ(Player().name, "N");
    EXPECT_EQ(CountSounds("flush"), 1);
}

TEST_F(NameEntryTest, EmptyNameGoesIntoTheTable) {
    ScreenState = Screen::MainMenu;
    MenuCursor = 0;
    StartGameFromMenu();
    Player().length = 20.0f;
    Player().pressure = 0.0f;
    Player().pistonHeight = -5.0f;
    RunTicks(1);
    EXPECT_FLOAT_EQ(HighscoreTable[0].length, 20.0f);
    EXPECT_STREQ(HighscoreTable[0].name, "");
}

} // namespace
