// Key presses and releases driven directly, as the window thread reports them. Expected codes
// come from the PC keyboard's layout: scan codes, the control codes of Ctrl, the extended codes
// of Alt and of the function and cursor keys.
#include <gtest/gtest.h>

#include <climits>

#include "input/keyboard_internal.h"
#include "keyboard_test_support.h"

namespace {

using codes = std::vector<int32_t>;
using texts = std::vector<std::string>;

class Keyboard : public testing::Test {
  protected:
    void SetUp() override { reset_keyboard(); }
    void TearDown() override { reset_keyboard(); }
};

TEST_F(Keyboard, ShiftAloneIsHeldQueuedAndFlaggedButBuffersNothing) {
    keydown(KEY_LSHIFT);
    EXPECT_EQ(keyheld(KEY_LSHIFT), 1);
    EXPECT_EQ(func__keydown(KEY_LSHIFT), -1);
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS1), 0x02);
    EXPECT_EQ(sleep_break.load(), 1);
    sleep_break = 0;
    keyup(KEY_LSHIFT);
    EXPECT_EQ(sleep_break.load(), 0) << "a release never wakes SLEEP";
    EXPECT_EQ(keyheld(KEY_LSHIFT), 0);
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS1), 0x00);
    EXPECT_EQ(keyhits(), (codes{100304, -100304}));
    EXPECT_EQ(scan_codes(), (codes{42, 42 + 128}));
    EXPECT_EQ(inkey(), "");
}

TEST_F(Keyboard, CharacterKeysTakeTheColumnOfTheHeldModifier) {
    press({'a'});
    release({'a'});
    EXPECT_EQ(inkey_all(), (texts{"a"}));
    EXPECT_EQ(keyhits(), (codes{97, -97}));
    EXPECT_EQ(scan_codes(), (codes{30, 30 + 128}));

    // The window system has already applied Shift.
    press({KEY_LSHIFT, 'A'});
    release({'A', KEY_LSHIFT});
    EXPECT_EQ(inkey_all(), (texts{"A"}));
    EXPECT_EQ(keyhits(), (codes{100304, 65, -65, -100304}));

    // Ctrl: control codes, and Ctrl+2 is the extended code 3. Alt: the key's scan code as an
    // extended code, the digit row 120 on.
    press({KEY_LCTRL});
    press({'a', '[', '2', '!'});
    release({KEY_LCTRL});
    press({KEY_RALT});
    press({'a', '1', '=', ' '});
    release({KEY_RALT});
    EXPECT_EQ(inkey_all(), (texts{"\x01", "\x1B", std::string("\0\x03", 2), std::string("\0\x1E", 2),
                                  std::string("\0\x78", 2), std::string("\0\x83", 2)}));
    // Ctrl+! and Alt+space produce nothing, but are pressed all the same.
    EXPECT_EQ(keyhits(), (codes{100306, 97, 91, 50, 33, -100306, 100307, 97, 49, 61, 32, -100307}));

    // Ctrl and Alt together: Alt decides.
    press({KEY_LCTRL, KEY_LALT, 'a'});
    EXPECT_EQ(inkey_all(), (texts{std::string("\0\x1E", 2)}));
}

TEST_F(Keyboard, AltGrTypesTheCharacterOfTheUnicodeEvent) {
    press({KEY_LCTRL, KEY_RALT});
    keydown_unicode('@');
    keydown('@'); // the same key from the plain character path is Alt+2
    EXPECT_EQ(inkey_all(), (texts{"@", std::string("\0\x79", 2)}));
}

TEST_F(Keyboard, ExtendedKeysGiveZeroAndTheirCode) {
    press({extended_key(72)});
    EXPECT_EQ(inkey_all(), (texts{std::string("\0\x48", 2)}));
    release({extended_key(72)});
    EXPECT_EQ(keyhits(), (codes{18432, -18432}));
    EXPECT_EQ(scan_codes(), (codes{72, 72 + 128}));

    press({KEY_RSHIFT, extended_key(133)}); // F11's Shift column equals its plain one
    release({KEY_RSHIFT});
    press({KEY_RCTRL, extended_key(72)}); // Ctrl+Up
    release({KEY_RCTRL});
    press({KEY_LALT, extended_key(59)}); // Alt+F1
    release({KEY_LALT});
    press({extended_key(76), extended_key(255)}); // extended codes without a row of their own
    EXPECT_EQ(inkey_all(), (texts{std::string("\0\x85", 2), std::string("\0\x8D", 2), std::string("\0\x68", 2),
                                  std::string("\0\x4C", 2), std::string("\0\xFF", 2)}));
}

TEST_F(Keyboard, KeypadKeysReportTheKeysTheyStandForAndCountAsTheirTwins) {
    const int32_t first = keyhit_nextfree;
    keydown(100257); // keypad 1, Num Lock on
    EXPECT_EQ(keyhit[first].code, '1');
    EXPECT_EQ(keyhit[first].keypad, 1);
    EXPECT_EQ(func__keydown('1'), -1);
    keydown(200008); // keypad 8, Num Lock off
    EXPECT_EQ(func__keydown(extended_key(72)), -1);
    EXPECT_EQ(func__keydown(extended_key(74)), 0) << "grey minus has no Num-Lock-off twin";
    keydown(100267); // keypad /
    keydown(100271); // keypad Enter
    press({KEY_LSHIFT, 100257});
    release({KEY_LSHIFT});
    press({KEY_LCTRL, 100271});
    EXPECT_EQ(inkey_all(), (texts{"1", std::string("\0\x48", 2), "/", "\r", std::string("\0\x4F", 2), "\n"}));
    EXPECT_EQ(keyhits(), (codes{'1', 18432, '/', 13, 100304, '1', -100304, 100306, 13}));
    release({100257, 200008});
    EXPECT_EQ(func__keydown('1'), 0);
    EXPECT_EQ(func__keydown(extended_key(72)), 0);
}

TEST_F(Keyboard, AFullBufferDropsTheSixteenthKeySilently) {
    for (int32_t c = 'a'; c < 'a' + 16; c++) keydown(c);
    texts typed;
    for (char c = 'a'; c < 'a' + 15; c++) typed.push_back(std::string(1, c));
    EXPECT_EQ(inkey_all(), typed);
    EXPECT_EQ(keyhits().size(), 16u) << "the _KEYHIT queue keeps every press";
    keydown('z');
    EXPECT_EQ(inkey_all(), (texts{"z"})) << "room again once read";
}

// The _KEYHIT queue holds 8,191 records and the scan-code queue 256 bytes; both make room by
// dropping their oldest.
TEST_F(Keyboard, FullQueuesDropTheirOldestEntries) {
    constexpr int32_t strokes = 4100; // 8,200 records, nine more than the queue holds
    for (int32_t i = 0; i < strokes; i++) {
        keydown(KEY_UNICODE + i);
        keyup(KEY_UNICODE + i);
    }
    const codes hits = keyhits();
    ASSERT_EQ(hits.size(), 8191u);
    EXPECT_EQ(hits.front(), -(KEY_UNICODE + 4)) << "the press and release of keys 0-3 and the press of key 4 went";
    EXPECT_EQ(hits.back(), -(KEY_UNICODE + strokes - 1));

    // Space and Enter alternate, so that no byte repeats the one before it: 57 28 185 156 ...
    for (int i = 0; i < 70; i++) press({' ', 13}), release({' ', 13});
    const codes scans = scan_codes();
    ASSERT_EQ(scans.size(), 256u);
    EXPECT_EQ(scans.front(), 57) << "the first 24 bytes, six strokes of the pair, went";
    EXPECT_EQ((codes{scans.end() - 4, scans.end()}), (codes{57, 28, 57 + 128, 28 + 128}));
}

TEST_F(Keyboard, AutoRepeatBuffersEachPressButHoldsTheKeyOnce) {
    press({'x', 'x', 'x'});
    EXPECT_EQ(keyheld_n, 1);
    release({'x'});
    EXPECT_EQ(inkey_all(), (texts{"x", "x", "x"}));
    EXPECT_EQ(keyhits(), (codes{'x', 'x', 'x', -'x'}));
    EXPECT_EQ(scan_codes(), (codes{45, 45 + 128})) << "a repeated scan code is not queued again";
}

TEST_F(Keyboard, FlagBytesFollowTheModifiersLocksAndInsert) {
    press({KEY_LCTRL, KEY_RALT});
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS1), 0x0C);
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS2), 0x01);
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_STATUS3), 0x12);
    release({KEY_LCTRL, KEY_RALT});
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_STATUS3), 0x10);

    keydown_bound(KEY_CAPSLOCK, 301);
    keydown_bound(KEY_NUMLOCK, 300);
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS1), 0x60);
    keyheld_unbind(301);
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS1), 0x20);

    // Insert toggles insert mode on a fresh press only; the key itself shows while held.
    keydown(extended_key(82));
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS1), 0xA0);
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS2), 0x80);
    keydown(extended_key(82));
    keyup(extended_key(82));
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS1), 0xA0);
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS2), 0x00);
    press({KEY_LSHIFT, extended_key(82)}); // not with Shift
    release({extended_key(82), KEY_LSHIFT});
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS1), 0xA0);
    press({extended_key(82)});
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS1), 0x20);

    // Scroll Lock toggles its state on a fresh press and shows as held.
    keydown(KEY_SCROLLLOCK);
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS1), 0x30);
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS2), 0x90);
    keyup(KEY_SCROLLLOCK);
    EXPECT_EQ(bios_byte(BIOS_KEYBOARD_FLAGS2), 0x80);
    EXPECT_EQ(inkey_all(), (texts{std::string("\0\x52", 2), std::string("\0\x52", 2), std::string("\0\x52", 2),
                                  std::string("\0\x52", 2)}));
}

TEST_F(Keyboard, CodesOfAnyValueAreRecordedButBufferNothingOutsideTheTable) {
    const int32_t odd[] = {INT_MIN, -1,     -256,   65536,   99999,       100255,
                           100272,  199999, 200014, INT_MAX, KEY_UNICODE, KEY_UNICODE + 0x10FFFF};
    for (int32_t code : odd) {
        keydown(code);
        EXPECT_EQ(keyheld(code), 1) << code;
        keyup(code);
        EXPECT_EQ(keyheld(code), 0) << code;
        EXPECT_EQ(func__keyhit(), code);
        EXPECT_EQ(func__keyhit(), code == INT_MIN ? INT_MIN : -code);
    }
    EXPECT_EQ(inkey(), "");
    EXPECT_TRUE(scan_codes().empty());
    // Code points that are no characters are dropped; one without a code page 437 byte is kept.
    keydown_unicode(-5);
    keydown_unicode(0x110000);
    keydown_unicode(INT_MAX);
    keydown_unicode(0x1F600);
    EXPECT_EQ(keyhits(), (codes{KEY_UNICODE + 0x1F600}));
    EXPECT_EQ(inkey(), "");
    // A tail that a program moved off the buffer drops keys instead of writing elsewhere.
    cmem[BIOS_KEYBOARD_TAIL] = 200;
    const uint8_t beyond = cmem[0x400 + 200];
    keydown('q');
    EXPECT_EQ(cmem[0x400 + 200], beyond);
    keyboard_buffer_init();
}

TEST_F(Keyboard, NulTravelsAsItsOwnCode) {
    keydown(0);
    EXPECT_EQ(func__keydown(KEY_NUL), -1);
    keyup(0);
    EXPECT_EQ(inkey_all(), (texts{std::string("\0", 1)}));
    EXPECT_EQ(keyhits(), (codes{KEY_NUL, -KEY_NUL}));
}

TEST_F(Keyboard, UnicodeCharactersBecomeCodePage437Bytes) {
    keydown_unicode(0xE9);   // é
    keydown_unicode(0xFF21); // full-width A
    keydown_unicode(0x3000); // ideographic space
    keydown_unicode(0x2591); // light shade
    EXPECT_EQ(inkey_all(), (texts{"\x82", "A", " ", "\xB0"}));
    // _MAPUNICODE changes what a byte stands for, for key input too.
    const int32_t saved = func__mapunicode(0x82);
    EXPECT_EQ(saved, 0xE9);
    sub__mapunicode(0x1234, 0x82);
    keydown_unicode(0x1234);
    EXPECT_EQ(inkey_all(), (texts{"\x82"}));
    sub__mapunicode(saved, 0x82);
}

TEST_F(Keyboard, BadArgumentsRaiseIllegalFunctionCallAndChangeNothing) {
    keydown('k');
    EXPECT_EQ(func__keydown(0), 0);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    EXPECT_EQ(func__keydown(-1), 0);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    sub__keyclear(4, 1);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    sub__keyclear(0, 1);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    EXPECT_EQ(func__mapunicode(256), 0);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    sub__mapunicode(65536, 1);
    sub__mapunicode('x', -1);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    EXPECT_EQ(func__mapunicode(1), 0x263A);
    EXPECT_EQ(inkey(), "k") << "nothing was cleared";
    EXPECT_EQ(func__keyhit(), 'k');
    // While an error is pending the readers return nothing and leave the queues alone.
    keydown('m');
    error(5);
    EXPECT_EQ(inkey(), "");
    EXPECT_EQ(func__keyhit(), 0);
    EXPECT_EQ(func__keydown('m'), 0);
    reset_error_state();
    EXPECT_EQ(inkey(), "m");
    EXPECT_EQ(func__keydown('m'), -1);
}

TEST_F(Keyboard, KeyclearEmptiesOnlyTheChosenQueue) {
    keydown('a');
    sub__keyclear(2, 1);
    EXPECT_EQ(func__keyhit(), 0);
    EXPECT_EQ(port60h_events, 1);
    sub__keyclear(3, 1);
    EXPECT_EQ(port60h_events, 0);
    EXPECT_EQ(inkey(), "a");
    keydown('b');
    sub__keyclear(1, 1);
    EXPECT_EQ(inkey(), "");
    EXPECT_EQ(func__keyhit(), 'b');
}

class KeyboardProgramControl : public Keyboard {
  protected:
    // The state the keys change, made as a program starts before each test (tests of the window's
    // statements in the same process may have left it otherwise) and again after it.
    void SetUp() override {
        reset_program_control();
        Keyboard::SetUp();
    }
    void TearDown() override {
        reset_program_control();
        Keyboard::TearDown();
    }
    static void reset_program_control() {
        close_program = 0;
        exit_value = 0;
        exit_blocked = 0;
        suspend_program = 0;
        full_screen = 0;
        full_screen_set = -1;
        fullscreen_smooth = 0;
        fullscreen_allowedmode = 0;
        fullscreen_allowedsmooth = 0;
        force_display_update = 0;
    }
};

TEST_F(KeyboardProgramControl, AltF4AndBreakEndTheProgramOrTellIt) {
    press({KEY_LALT, extended_key(62)});
    EXPECT_EQ(close_program.load(), 1);
    EXPECT_EQ(keyhits(), (codes{KEY_LALT}));
    close_program = 0;
    exit_blocked = 1;
    press({extended_key(62)});
    EXPECT_EQ(close_program.load(), 0);
    EXPECT_EQ(exit_value.load(), 1);
    release({KEY_LALT});
    keydown(KEY_BREAK);
    EXPECT_EQ(exit_value.load(), 3);
    exit_blocked = 0;
    press({KEY_RCTRL, KEY_SCROLLLOCK});
    EXPECT_EQ(close_program.load(), 1);
    EXPECT_EQ(inkey(), "");
}

TEST_F(KeyboardProgramControl, PauseHoldsTheProgramUntilAnotherKeyWhichIsConsumed) {
    keydown(KEY_PAUSE);
    EXPECT_EQ(suspend_program.load() & 1, 1);
    EXPECT_EQ(tqevent.load(), 1);
    keydown('x');
    EXPECT_EQ(suspend_program.load(), 0);
    EXPECT_EQ(inkey(), "");
    EXPECT_EQ(keyhits(), codes{});
}

TEST_F(KeyboardProgramControl, AltEnterCyclesThroughTheAllowedFullScreenStates) {
    press({KEY_LALT});
    struct step {
        int32_t mode, smooth;
    };
    std::vector<step> seen;
    for (int i = 0; i < 5; i++) {
        keydown(13);
        seen.push_back({func__fullscreen(), fullscreen_smooth.load()});
        EXPECT_EQ(force_display_update.load(), 1);
    }
    // Back to windowed even though the window never left it: the pending request is replaced.
    const std::vector<std::pair<int32_t, int32_t>> expected{{1, 0}, {1, 1}, {2, 0}, {2, 1}, {0, 0}};
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ(seen[i].mode, expected[i].first) << i;
        EXPECT_EQ(seen[i].smooth, expected[i].second) << i;
    }
    // Only mode 2, only smoothed: windowed and mode 2 smoothed alternate.
    sub__allowfullscreen(2, 1);
    keydown(13);
    EXPECT_EQ(func__fullscreen(), 2);
    EXPECT_EQ(fullscreen_smooth.load(), 1);
    keydown(13);
    EXPECT_EQ(func__fullscreen(), 0);
    EXPECT_EQ(inkey(), "");
    // Only mode 1, never smoothed: windowed and mode 1 alternate.
    sub__allowfullscreen(1, 2);
    keydown(13);
    EXPECT_EQ(func__fullscreen(), 1);
    EXPECT_EQ(fullscreen_smooth.load(), 0);
    keydown(13);
    EXPECT_EQ(func__fullscreen(), 0);
    // With no request pending, the cycle starts from what the window shows: after square pixels
    // and smoothed comes windowed, which is a change to request.
    sub__allowfullscreen(0, 0);
    full_screen_set = -1;
    full_screen = 2;
    fullscreen_smooth = 1;
    keydown(13);
    full_screen = 0;
    EXPECT_EQ(full_screen_set.load(), 0);
    EXPECT_EQ(fullscreen_smooth.load(), 0);
    // With full screen not allowed, Alt+Enter is an ordinary key (whose Alt column is empty).
    fullscreen_allowedmode = -1;
    keydown(13);
    EXPECT_EQ(keyhits(), (codes{KEY_LALT, 13}));
    EXPECT_EQ(inkey(), "");
}

TEST_F(Keyboard, AnArmedOnKeyTrapTakesThePressAndItsRelease) {
    onkey[1].armed = 1, onkey[1].state = 1; // F1, preset at start-up
    press({extended_key(59), extended_key(59)});
    EXPECT_EQ(onkey[1].counter, 2);
    EXPECT_EQ(tqevent.load(), 1);
    release({extended_key(59)});
    EXPECT_EQ(keyhits(), codes{});
    EXPECT_EQ(inkey(), "");
    EXPECT_EQ(keyup_mask_last, -1) << "the release freed its mask slot";
    // A stopped trap remembers one event.
    onkey[1].state = 2;
    onkey[1].counter = 0;
    press({extended_key(59), extended_key(59)});
    EXPECT_EQ(onkey[1].counter, 1);
    release({extended_key(59)});
    // A user-defined key: Ctrl+A by scan code 30 and flag 4.
    onkey[15].armed = 1, onkey[15].state = 1, onkey[15].key_scancode = 30, onkey[15].key_flags = 4;
    press({'a'});
    EXPECT_EQ(onkey[15].counter, 0);
    press({KEY_LCTRL, 'a'});
    EXPECT_EQ(onkey[15].counter, 1);
    EXPECT_EQ(inkey_all(), (texts{"a"}));
    onkey[15] = {};
}

TEST_F(Keyboard, AKeyTextIsTypedInPlaceOfItsKey) {
    tqs *text = tqs_new_txt("hi");
    onkey[2].text = text; // F2
    press({extended_key(60)});
    release({extended_key(60)});
    onkey[2].text = nullptr;
    tqs_free(text);
    EXPECT_EQ(inkey_all(), (texts{"h", "i"}));
    EXPECT_EQ(keyhits(), (codes{'h', -'h', 'i', -'i'}));
}

// The table's character rows are typed in by hand; these are the rules they follow.
TEST(KeyTranslationTable, CharacterRowsFollowTheUSLayoutRules) {
    const std::string digit_row = "1!2@3#4$5%6^7&8*9(0)-_=+";
    for (int32_t c = 33; c <= 126; c++) {
        const int32_t *row = key_translation_table[c];
        EXPECT_EQ(row[COL_PLAIN], c);
        EXPECT_EQ(row[COL_SHIFT], c);
        const size_t d = digit_row.find(static_cast<char>(c));
        EXPECT_EQ(row[COL_ALT],
                  d == std::string::npos ? row[COL_SCAN] * 256 : (120 + static_cast<int32_t>(d / 2)) * 256)
            << static_cast<char>(c);
        if (d != std::string::npos) {
            EXPECT_EQ(row[COL_SCAN], static_cast<int32_t>(d / 2) + 2) << static_cast<char>(c);
        }
        if (c >= 'A' && c <= 'Z') {
            EXPECT_EQ(row[COL_CTRL], c - 'A' + 1);
            EXPECT_EQ(key_translation_table[c + 32][COL_SCAN], row[COL_SCAN]) << "both cases share a key";
        }
    }
}

} // namespace
