#include <gtest/gtest.h>

#include <string>

#include "libtq.h"
#include "test_support.h"

namespace {

// Puts an entry into the BIOS keyboard buffer the way the keyboard does: write it at the tail,
// then move the tail on.
void type_entry(uint8_t character, uint8_t scan) {
    uint16_t tail = static_cast<uint16_t>(cmem[BIOS_KEYBOARD_TAIL] | cmem[BIOS_KEYBOARD_TAIL + 1] << 8);
    cmem[0x400 + tail] = character;
    cmem[0x400 + tail + 1] = scan;
    tail = tail >= 60 ? 30 : static_cast<uint16_t>(tail + 2);
    cmem[BIOS_KEYBOARD_TAIL] = static_cast<uint8_t>(tail);
    cmem[BIOS_KEYBOARD_TAIL + 1] = static_cast<uint8_t>(tail >> 8);
}

std::string inkey() {
    tqs *s = tqs_inkey();
    std::string out(reinterpret_cast<const char *>(s->data), static_cast<size_t>(s->length));
    tqs_free(s);
    return out;
}

TEST(Inkey, ReadsCharactersAndExtendedKeysInOrderAndWrapsAround) {
    reset_error_state();
    keyboard_buffer_init();
    EXPECT_EQ(inkey(), "");
    for (int round = 0; round < 3; round++) { // 3 x 7 entries pass the end of the 16-entry ring
        type_entry('a', 30);
        type_entry(0, 72); // Up
        type_entry(0, 0);  // a NUL character
        for (int i = 0; i < 4; i++) type_entry(static_cast<uint8_t>('1' + i), 0);
        EXPECT_EQ(inkey(), "a");
        EXPECT_EQ(inkey(), std::string("\0\x48", 2));
        EXPECT_EQ(inkey(), std::string("\0", 1));
        EXPECT_EQ(inkey(), "1");
        EXPECT_EQ(inkey(), "2");
        EXPECT_EQ(inkey(), "3");
        EXPECT_EQ(inkey(), "4");
        EXPECT_EQ(inkey(), "");
    }
}

TEST(Inkey, NothingIsReadWhileAnErrorIsPending) {
    reset_error_state();
    keyboard_buffer_init();
    type_entry('x', 45);
    error(5);
    EXPECT_EQ(inkey(), "");
    reset_error_state();
    EXPECT_EQ(inkey(), "x");
}

} // namespace
