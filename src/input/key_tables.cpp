// The keyboard's data: what each key of a US-layout PC keyboard puts into the BIOS keyboard
// buffer with each modifier, and code page 437 in Unicode.
#include "input/keyboard_internal.h"
#include "libtq.h"

namespace {

struct key_row {
    int32_t row;
    int32_t scan, plain, shift, ctrl, alt;
    int32_t numlock = 0, numlock_shift = 0; // keypad rows only
};

// One line per row; rows not listed are empty.
constexpr key_row key_rows[] = {
    // character rows: row, scan, plain, Shift, Ctrl, Alt
    {8, 14, 8, 8, 127, extended_key(14)},               // Backspace
    {9, 15, 9, extended_key(15), extended_key(148), 0}, // Tab
    {13, 28, 13, 13, 10, 0},                            // Enter
    {27, 1, 27, 27, 27, 0},                             // Esc
    {32, 57, 32, 32, 32, 0},                            // space
    {'!', 2, '!', '!', 0, extended_key(120)},
    {'"', 40, '"', '"', 0, extended_key(40)},
    {'#', 4, '#', '#', 0, extended_key(122)},
    {'$', 5, '$', '$', 0, extended_key(123)},
    {'%', 6, '%', '%', 0, extended_key(124)},
    {'&', 8, '&', '&', 0, extended_key(126)},
    {'\'', 40, '\'', '\'', 0, extended_key(40)},
    {'(', 10, '(', '(', 0, extended_key(128)},
    {')', 11, ')', ')', 0, extended_key(129)},
    {'*', 9, '*', '*', 0, extended_key(127)},
    {'+', 13, '+', '+', 0, extended_key(131)},
    {',', 51, ',', ',', 0, extended_key(51)},
    {'-', 12, '-', '-', 31, extended_key(130)},
    {'.', 52, '.', '.', 0, extended_key(52)},
    {'/', 53, '/', '/', 0, extended_key(53)},
    {'0', 11, '0', '0', 0, extended_key(129)},
    {'1', 2, '1', '1', 0, extended_key(120)},
    {'2', 3, '2', '2', extended_key(3), extended_key(121)},
    {'3', 4, '3', '3', 0, extended_key(122)},
    {'4', 5, '4', '4', 0, extended_key(123)},
    {'5', 6, '5', '5', 0, extended_key(124)},
    {'6', 7, '6', '6', 30, extended_key(125)},
    {'7', 8, '7', '7', 0, extended_key(126)},
    {'8', 9, '8', '8', 0, extended_key(127)},
    {'9', 10, '9', '9', 0, extended_key(128)},
    {':', 39, ':', ':', 0, extended_key(39)},
    {';', 39, ';', ';', 0, extended_key(39)},
    {'<', 51, '<', '<', 0, extended_key(51)},
    {'=', 13, '=', '=', 0, extended_key(131)},
    {'>', 52, '>', '>', 0, extended_key(52)},
    {'?', 53, '?', '?', 0, extended_key(53)},
    {'@', 3, '@', '@', extended_key(3), extended_key(121)},
    {'A', 30, 'A', 'A', 1, extended_key(30)},
    {'B', 48, 'B', 'B', 2, extended_key(48)},
    {'C', 46, 'C', 'C', 3, extended_key(46)},
    {'D', 32, 'D', 'D', 4, extended_key(32)},
    {'E', 18, 'E', 'E', 5, extended_key(18)},
    {'F', 33, 'F', 'F', 6, extended_key(33)},
    {'G', 34, 'G', 'G', 7, extended_key(34)},
    {'H', 35, 'H', 'H', 8, extended_key(35)},
    {'I', 23, 'I', 'I', 9, extended_key(23)},
    {'J', 36, 'J', 'J', 10, extended_key(36)},
    {'K', 37, 'K', 'K', 11, extended_key(37)},
    {'L', 38, 'L', 'L', 12, extended_key(38)},
    {'M', 50, 'M', 'M', 13, extended_key(50)},
    {'N', 49, 'N', 'N', 14, extended_key(49)},
    {'O', 24, 'O', 'O', 15, extended_key(24)},
    {'P', 25, 'P', 'P', 16, extended_key(25)},
    {'Q', 16, 'Q', 'Q', 17, extended_key(16)},
    {'R', 19, 'R', 'R', 18, extended_key(19)},
    {'S', 31, 'S', 'S', 19, extended_key(31)},
    {'T', 20, 'T', 'T', 20, extended_key(20)},
    {'U', 22, 'U', 'U', 21, extended_key(22)},
    {'V', 47, 'V', 'V', 22, extended_key(47)},
    {'W', 17, 'W', 'W', 23, extended_key(17)},
    {'X', 45, 'X', 'X', 24, extended_key(45)},
    {'Y', 21, 'Y', 'Y', 25, extended_key(21)},
    {'Z', 44, 'Z', 'Z', 26, extended_key(44)},
    {'[', 26, '[', '[', 27, extended_key(26)},
    {'\\', 43, '\\', '\\', 28, extended_key(43)},
    {']', 27, ']', ']', 29, extended_key(27)},
    {'^', 7, '^', '^', 30, extended_key(125)},
    {'_', 12, '_', '_', 31, extended_key(130)},
    {'`', 41, '`', '`', 0, extended_key(41)},
    {'a', 30, 'a', 'a', 1, extended_key(30)},
    {'b', 48, 'b', 'b', 2, extended_key(48)},
    {'c', 46, 'c', 'c', 3, extended_key(46)},
    {'d', 32, 'd', 'd', 4, extended_key(32)},
    {'e', 18, 'e', 'e', 5, extended_key(18)},
    {'f', 33, 'f', 'f', 6, extended_key(33)},
    {'g', 34, 'g', 'g', 7, extended_key(34)},
    {'h', 35, 'h', 'h', 8, extended_key(35)},
    {'i', 23, 'i', 'i', 9, extended_key(23)},
    {'j', 36, 'j', 'j', 10, extended_key(36)},
    {'k', 37, 'k', 'k', 11, extended_key(37)},
    {'l', 38, 'l', 'l', 12, extended_key(38)},
    {'m', 50, 'm', 'm', 13, extended_key(50)},
    {'n', 49, 'n', 'n', 14, extended_key(49)},
    {'o', 24, 'o', 'o', 15, extended_key(24)},
    {'p', 25, 'p', 'p', 16, extended_key(25)},
    {'q', 16, 'q', 'q', 17, extended_key(16)},
    {'r', 19, 'r', 'r', 18, extended_key(19)},
    {'s', 31, 's', 's', 19, extended_key(31)},
    {'t', 20, 't', 't', 20, extended_key(20)},
    {'u', 22, 'u', 'u', 21, extended_key(22)},
    {'v', 47, 'v', 'v', 22, extended_key(47)},
    {'w', 17, 'w', 'w', 23, extended_key(17)},
    {'x', 45, 'x', 'x', 24, extended_key(45)},
    {'y', 21, 'y', 'y', 25, extended_key(21)},
    {'z', 44, 'z', 'z', 26, extended_key(44)},
    {'{', 26, '{', '{', 27, extended_key(26)},
    {'|', 43, '|', '|', 28, extended_key(43)},
    {'}', 27, '}', '}', 29, extended_key(27)},
    {'~', 41, '~', '~', 0, extended_key(41)},

    // keypad rows: row, scan, plain, Shift, Ctrl, Alt, Num Lock, Num Lock + Shift
    {512, 82, extended_key(82), '0', extended_key(146), 0, '0', extended_key(82)}, // 0 / Ins
    {513, 79, extended_key(79), '1', extended_key(117), 0, '1', extended_key(79)}, // 1 / End
    {514, 80, extended_key(80), '2', extended_key(145), 0, '2', extended_key(80)}, // 2 / Down
    {515, 81, extended_key(81), '3', extended_key(118), 0, '3', extended_key(81)}, // 3 / PgDn
    {516, 75, extended_key(75), '4', extended_key(115), 0, '4', extended_key(75)}, // 4 / Left
    {517, 76, extended_key(76), '5', extended_key(143), 0, '5', extended_key(76)}, // 5
    {518, 77, extended_key(77), '6', extended_key(116), 0, '6', extended_key(77)}, // 6 / Right
    {519, 71, extended_key(71), '7', extended_key(119), 0, '7', extended_key(71)}, // 7 / Home
    {520, 72, extended_key(72), '8', extended_key(141), 0, '8', extended_key(72)}, // 8 / Up
    {521, 73, extended_key(73), '9', extended_key(132), 0, '9', extended_key(73)}, // 9 / PgUp
    {522, 83, extended_key(83), '.', extended_key(147), 0, '.', extended_key(83)}, // . / Del
    {523, 53, '/', '/', extended_key(149), extended_key(164), '/', '/'},           // /
    {524, 55, '*', '*', extended_key(150), extended_key(55), '*', '*'},            // *
    {525, 74, '-', '-', extended_key(142), extended_key(74), '-', '-'},            // -
    {526, 78, '+', '+', extended_key(144), extended_key(78), '+', '+'},            // +
    {527, 28, 13, 13, 10, extended_key(166), 13, 13},                              // Enter
};

// The extended keys' rows, each of whose columns produces an extended key: every number here is a
// scan code, the key's own (which picks the row, 256 + it) and those after CHR$(0) in the buffer.
struct extended_key_row {
    int32_t key, scan, plain, shift, ctrl, alt;
};

constexpr extended_key_row extended_key_rows[] = {
    // key, scan, plain, Shift, Ctrl, Alt
    {59, 59, 59, 84, 94, 104},     // F1
    {60, 60, 60, 85, 95, 105},     // F2
    {61, 61, 61, 86, 96, 106},     // F3
    {62, 62, 62, 87, 97, 107},     // F4
    {63, 63, 63, 88, 98, 108},     // F5
    {64, 64, 64, 89, 99, 109},     // F6
    {65, 65, 65, 90, 100, 110},    // F7
    {66, 66, 66, 91, 101, 111},    // F8
    {67, 67, 67, 92, 102, 112},    // F9
    {68, 68, 68, 93, 103, 113},    // F10
    {133, 87, 133, 133, 137, 139}, // F11
    {134, 88, 134, 134, 138, 140}, // F12
    {71, 71, 71, 71, 119, 151},    // Home
    {72, 72, 72, 72, 141, 152},    // Up
    {73, 73, 73, 73, 132, 153},    // PgUp
    {75, 75, 75, 75, 115, 155},    // Left
    {77, 77, 77, 77, 116, 157},    // Right
    {79, 79, 79, 79, 117, 159},    // End
    {80, 80, 80, 80, 145, 160},    // Down
    {81, 81, 81, 81, 118, 161},    // PgDn
    {82, 82, 82, 82, 146, 162},    // Insert
    {83, 83, 83, 83, 147, 163},    // Delete
};

struct table {
    int32_t cell[KEY_ROWS][9];
};

constexpr table build_table() {
    table t{};
    for (const key_row &r : key_rows) {
        int32_t *c = t.cell[r.row];
        c[COL_SCAN] = r.scan;
        c[COL_PLAIN] = r.plain;
        c[COL_SHIFT] = r.shift;
        c[COL_CTRL] = r.ctrl;
        c[COL_ALT] = r.alt;
        c[COL_NUMLOCK] = r.numlock;
        c[COL_NUMLOCK_SHIFT] = r.numlock_shift;
    }
    for (const extended_key_row &r : extended_key_rows) {
        int32_t *c = t.cell[KEY_ROW_EXTENDED + r.key];
        c[COL_SCAN] = r.scan;
        c[COL_PLAIN] = extended_key(r.plain);
        c[COL_SHIFT] = extended_key(r.shift);
        c[COL_CTRL] = extended_key(r.ctrl);
        c[COL_ALT] = extended_key(r.alt);
    }
    return t;
}

constexpr table built_table = build_table();

} // namespace

const int32_t (&key_translation_table)[KEY_ROWS][9] = built_table.cell;

int32_t table_row(int32_t code) {
    if (code >= 0 && code <= 255) return code;
    if (code >= 256 && code <= 65535) return KEY_ROW_EXTENDED + (code >> 8);
    if (code >= KEY_KEYPAD_CHAR_FIRST && code <= KEY_KEYPAD_CHAR_LAST)
        return KEY_ROW_KEYPAD + (code - KEY_KEYPAD_CHAR_FIRST);
    if (code >= KEY_KEYPAD_CURSOR_FIRST && code <= KEY_KEYPAD_CURSOR_LAST)
        return KEY_ROW_KEYPAD + (code - KEY_KEYPAD_CURSOR_FIRST);
    return -1;
}

// Code page 437 as Unicode: the glyphs the PC shows for each byte, control codes included.
uint16_t codepage437_to_unicode16[256] = {
    0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, // 00
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C, // 08
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8, // 10
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC, // 18
    0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026, 0x0027, // 20
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F, // 28
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, // 30
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, // 38
    0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047, // 40
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F, // 48
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057, // 50
    0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F, // 58
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067, // 60
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F, // 68
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077, // 70
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x2302, // 78
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, // 90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, // A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, // D8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, // E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, // E8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0, // F8
};
