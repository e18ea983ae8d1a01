// RANDOMIZE without a seed: the prompt at the cursor and the number typed after it.
#include <gtest/gtest.h>

#include <string>

#include "input/keyboard_test_support.h"

namespace {

class RandomizePrompt : public testing::Test {
  protected:
    void SetUp() override {
        reset_keyboard();
        tqg_screen(0, 0, 0, 0, 0, 1);
        tqsub_width(0, 80, 25, 0, 0, 3);
        sub_cls(0, 0, 0);
        tqg_sub_locate(1, 1, 0, 0, 0, 3);
        rnd_seed = 0x1234AB;
    }
    void TearDown() override {
        reset_keyboard();
        rnd_seed = rnd_seed_first = 0x50000;
    }

    // Puts the keys into the keyboard buffer before RANDOMIZE reads them.
    static void type(const std::vector<int32_t> &keys) {
        for (int32_t k : keys) {
            keydown(k);
            keyup(k);
        }
    }

    // The text of a row of the screen, without trailing blanks.
    static std::string row_text(int32_t row) {
        std::string s;
        for (int32_t column = 0; column < write_page->width; column++)
            s += static_cast<char>(write_page->pixels[(static_cast<size_t>(row - 1) * write_page->width + column) * 2]);
        return s.substr(0, s.find_last_not_of(' ') + 1);
    }
};

const std::string prompt = "Random-number seed (-32768 to 32767)? ";

TEST_F(RandomizePrompt, TheTypedNumberBecomesTheSeedAboveTheLowByte) {
    type({'1', '2', '3', 13});
    sub_randomize(0, 0);
    EXPECT_EQ(rnd_seed, (123u << 8) | 0xABu);
    EXPECT_EQ(row_text(1), prompt + "123");
    EXPECT_EQ(write_page->cursor_y, 2);
    EXPECT_EQ(write_page->cursor_x, 1);
}

TEST_F(RandomizePrompt, BackspaceTakesBackTheLastCharacterOnTheScreenToo) {
    type({'1', '2', 8, '3', 13});
    sub_randomize(0, 0);
    EXPECT_EQ(rnd_seed, (13u << 8) | 0xABu);
    EXPECT_EQ(row_text(1), prompt + "13");
}

TEST_F(RandomizePrompt, OutOfRangeOrNoNumberAsksAgainOnTheNextLine) {
    type({'3', '2', '7', '6', '8', 13, '-', 13, '-', '5', 13});
    sub_randomize(0, 0);
    EXPECT_EQ(rnd_seed, (0xFFFBu << 8) | 0xABu); // -5 as 16 bits
    EXPECT_EQ(row_text(1), prompt + "32768");
    EXPECT_EQ(row_text(2), prompt + "-");
    EXPECT_EQ(row_text(3), prompt + "-5");
}

TEST_F(RandomizePrompt, OtherKeysAreIgnoredAndAnEmptyLineIsZero) {
    type({'a', extended_key(72), '+', 13});
    sub_randomize(0, 0);
    EXPECT_EQ(rnd_seed, 0xABu);
    EXPECT_EQ(row_text(1) + " ", prompt);
}

// On a 40-column screen the prompt leaves one column: the number goes on over the line's end, and
// Backspace follows it back.
TEST_F(RandomizePrompt, BackspaceFollowsTheNumberBackOverTheLineEnd) {
    tqsub_width(0, 40, 0, 0, 0, 1);
    tqg_sub_locate(1, 1, 0, 0, 0, 3);
    type({'1', '2', 8, 8, '7', 13});
    sub_randomize(0, 0);
    EXPECT_EQ(rnd_seed, (7u << 8) | 0xABu);
    EXPECT_EQ(row_text(1), prompt + "7");
    EXPECT_EQ(row_text(2), "");
    EXPECT_EQ(write_page->cursor_y, 2);
}

TEST_F(RandomizePrompt, TheLowestSeedAndAMinusSignOnlyFirst) {
    type({'-', '3', '-', '2', '7', '6', '8', '9', 13});
    sub_randomize(0, 0);
    EXPECT_EQ(rnd_seed, (0x8000u << 8) | 0xABu);
    EXPECT_EQ(row_text(1), prompt + "-32768");
}

} // namespace
