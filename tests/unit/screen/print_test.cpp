#include <gtest/gtest.h>

#include <random>

#include "text_test_support.h"

namespace {

// Every pixel of the mode 12 page set to `value`.
void paint_page(uint8_t value) { std::memset(write_page->pixels, value, 640 * 480); }

TEST(Print, TheDemoCounterLineInModeTwelve) {
    fresh_screen(12);
    paint_page(5);
    locate(2, 2);
    tqg_sub_color(11, 0, 0, 1);
    print_item("Frames Drawn:");
    print_item(" 1 "); // the counter's text, with the space the program appends
    print_item("      ");
    print_end();
    ASSERT_EQ(new_error, 0u);
    const std::string expected = "Frames Drawn: 1       ";
    ASSERT_EQ(expected.size(), 22u);
    for (size_t i = 0; i < expected.size(); i++)
        EXPECT_EQ(
            wrong_cell_pixels(write_page, 2, static_cast<int32_t>(i) + 2, static_cast<uint8_t>(expected[i]), 11, 0), 0)
            << "column " << i + 2;
    // Nothing around the 22 cells is touched: column 1 and column 24 of row 2, rows 1 and 3.
    const uint8_t *p = write_page->pixels;
    for (int32_t y = 16; y < 32; y++) {
        for (int32_t x = 0; x < 8; x++) EXPECT_EQ(p[y * 640 + x], 5);
        for (int32_t x = 23 * 8; x < 640; x++) ASSERT_EQ(p[y * 640 + x], 5) << x << "," << y;
    }
    for (int32_t x = 0; x < 640; x++) {
        ASSERT_EQ(p[15 * 640 + x], 5);
        ASSERT_EQ(p[32 * 640 + x], 5);
    }
    EXPECT_EQ(write_page->cursor_y, 3);
    EXPECT_EQ(write_page->cursor_x, 1);
    EXPECT_EQ(write_page->cursor_held, 0);
}

TEST(Print, TheLastColumnOwesTheLineBreak) {
    fresh_screen(12);
    locate(5, 80);
    print_semicolon("x");
    EXPECT_EQ(write_page->cursor_x, 80);
    EXPECT_EQ(write_page->cursor_y, 5);
    EXPECT_EQ(write_page->cursor_held, 1);
    EXPECT_EQ(func_pos(0), 1);
    EXPECT_EQ(wrong_cell_pixels(write_page, 5, 80, 'x', 15, 0), 0);
    print_line("y");
    EXPECT_EQ(wrong_cell_pixels(write_page, 6, 1, 'y', 15, 0), 0);
    EXPECT_EQ(write_page->cursor_y, 7);
    EXPECT_EQ(write_page->cursor_x, 1);
    EXPECT_EQ(write_page->cursor_held, 0);

    // A PRINT that ends the statement pays the owed break once.
    locate(5, 80);
    print_semicolon("x");
    print_end();
    EXPECT_EQ(write_page->cursor_y, 6);
    EXPECT_EQ(write_page->cursor_x, 1);
    // An empty item without a line break leaves it owed.
    locate(5, 80);
    print_semicolon("x");
    print_semicolon("");
    EXPECT_EQ(write_page->cursor_held, 1);
    EXPECT_EQ(write_page->cursor_y, 5);
}

TEST(Print, AFullRowBreaksTheLineOnce) {
    fresh_screen(12);
    const std::string row(80, '#');
    locate(4, 1);
    print_line(row);
    EXPECT_EQ(write_page->cursor_y, 5);
    EXPECT_EQ(write_page->cursor_x, 1);
    // The same text printed with its line break in one call.
    locate(4, 1);
    print_bytes(reinterpret_cast<const uint8_t *>(row.data()), 80, 1);
    EXPECT_EQ(write_page->cursor_y, 5);
    EXPECT_EQ(write_page->cursor_x, 1);
    EXPECT_EQ(write_page->cursor_held, 0);
}

TEST(Print, ItemsThatDoNotFitStartANewLine) {
    fresh_screen(12);
    locate(3, 75);
    print_semicolon("0123456789");
    EXPECT_EQ(wrong_cell_pixels(write_page, 4, 1, '0', 15, 0), 0);
    EXPECT_EQ(write_page->cursor_y, 4);
    EXPECT_EQ(write_page->cursor_x, 11);
    // Exactly fitting at column 71: no new line, and the break is owed.
    locate(3, 71);
    print_semicolon("0123456789");
    EXPECT_EQ(write_page->cursor_y, 3);
    EXPECT_EQ(write_page->cursor_held, 1);
    // Longer than a line: from column 1, wrapping inside.
    locate(3, 1);
    print_semicolon(std::string(100, 'w'));
    EXPECT_EQ(write_page->cursor_y, 4);
    EXPECT_EQ(write_page->cursor_x, 21);
    EXPECT_EQ(wrong_cell_pixels(write_page, 4, 20, 'w', 15, 0), 0);
}

TEST(Print, ALineBreakOnTheLastViewRowScrollsPixelRowsOfTheView) {
    fresh_screen(12);
    uint8_t *p = write_page->pixels;
    for (int32_t y = 0; y < 480; y++)
        for (int32_t x = 0; x < 640; x++) p[y * 640 + x] = static_cast<uint8_t>((x + 3 * y) % 15);
    tqg_sub_color(0, 9, 0, 2);
    locate(29, 40);
    print_end();
    EXPECT_EQ(write_page->cursor_y, 29);
    EXPECT_EQ(write_page->cursor_x, 1);
    int wrong = 0;
    for (int32_t y = 0; y < 448; y++) // text rows 2..29 moved up one row
        for (int32_t x = 0; x < 640; x++) wrong += p[y * 640 + x] != (x + 3 * (y + 16)) % 15;
    for (int32_t y = 448; y < 464; y++) // row 29 cleared to the background
        for (int32_t x = 0; x < 640; x++) wrong += p[y * 640 + x] != 9;
    for (int32_t y = 464; y < 480; y++) // row 30 lies outside the view
        for (int32_t x = 0; x < 640; x++) wrong += p[y * 640 + x] != (x + 3 * y) % 15;
    EXPECT_EQ(wrong, 0);

    // From row 30, below the view, a line break scrolls the view and stays on its last row.
    locate(30, 5);
    print_semicolon("z");
    EXPECT_EQ(wrong_cell_pixels(write_page, 30, 5, 'z', 15, 9), 0);
    print_end();
    EXPECT_EQ(write_page->cursor_y, 29);
    EXPECT_EQ(wrong_cell_pixels(write_page, 30, 5, 'z', 15, 9), 0);
}

TEST(Print, TextPagesScrollTheirViewInCells) {
    fresh_screen(0);
    img_struct *s = write_page;
    for (int32_t row = 1; row <= 25; row++)
        for (int32_t col = 1; col <= 80; col++) {
            s->pixels[((row - 1) * 80 + col - 1) * 2] = static_cast<uint8_t>('A' + row);
            s->pixels[((row - 1) * 80 + col - 1) * 2 + 1] = static_cast<uint8_t>(row);
        }
    tqg_sub_view_print(5, 10, 1);
    tqg_sub_color(14, 1, 0, 3);
    locate(10, 1);
    print_end();
    EXPECT_EQ(s->cursor_y, 10);
    for (int32_t row = 1; row <= 25; row++) {
        int32_t from = row;
        if (row >= 5 && row <= 9) from = row + 1;
        if (row == 10) {
            EXPECT_EQ(cell_code(s, row, 7), 32);
            EXPECT_EQ(cell_attribute(s, row, 80), 0x1E);
            continue;
        }
        EXPECT_EQ(cell_code(s, row, 1), 'A' + from) << row;
        EXPECT_EQ(cell_attribute(s, row, 80), from) << row;
    }
}

TEST(Print, TextLandsInTextMemoryAsCharacterAndAttribute) {
    fresh_screen(0);
    locate(3, 5);
    tqg_sub_color(14, 1, 0, 3);
    print_semicolon("Hi");
    EXPECT_EQ(cmem[0xB8000 + (2 * 80 + 4) * 2], 'H');
    EXPECT_EQ(cmem[0xB8000 + (2 * 80 + 4) * 2 + 1], 0x1E);
    EXPECT_EQ(cmem[0xB8000 + (2 * 80 + 5) * 2], 'i');
    tqg_sub_color(30, 0, 0, 1); // 16 + 14: blinking yellow
    print_semicolon("!");
    EXPECT_EQ(cmem[0xB8000 + (2 * 80 + 6) * 2 + 1], 0x9E);
    // The owed break works by cells as well.
    locate(25, 80);
    print_semicolon("e");
    EXPECT_EQ(cmem[0xB8000 + (24 * 80 + 79) * 2], 'e');
    EXPECT_EQ(write_page->cursor_held, 1);
    EXPECT_EQ(func_pos(0), 1);
}

TEST(Print, TabCharacterMovesToTheNextEighthColumn) {
    fresh_screen(12);
    const uint8_t tab_code = 9;
    for (auto [from, to] : {std::pair{1, 9}, {8, 9}, {9, 17}, {70, 73}}) {
        locate(6, from);
        print_bytes(&tab_code, 1, 0);
        EXPECT_EQ(write_page->cursor_x, to) << from;
        EXPECT_EQ(write_page->cursor_y, 6);
    }
    // At the right edge the tab stops with the break owed.
    locate(6, 79);
    print_bytes(&tab_code, 1, 0);
    EXPECT_EQ(write_page->cursor_x, 80);
    EXPECT_EQ(write_page->cursor_held, 1);
    // A text page whose width is no multiple of 8 cannot run the tab past its edge.
    const int32_t text = imgnew(37, 5, 0);
    sub__dest(-text);
    locate(2, 35);
    print_bytes(&tab_code, 1, 0);
    EXPECT_EQ(write_page->cursor_x, 37);
    EXPECT_EQ(write_page->cursor_held, 1);
    // Inside a text the tab wraps to column 1 of the next row and ends there.
    locate(2, 35);
    const uint8_t tab_then_x[] = {9, 'x'};
    print_bytes(tab_then_x, 2, 0);
    EXPECT_EQ(write_page->cursor_y, 3);
    EXPECT_EQ(cell_code(write_page, 3, 1), 'x');
    EXPECT_EQ(write_page->cursor_x, 2);
    sub__dest(0);
    sub__freeimage(-text, 1);
    EXPECT_EQ(new_error, 0u);
}

TEST(Print, CommaMovesToTheNextPrintZone) {
    fresh_screen(12);
    for (auto [from, to] : {std::pair{1, 15}, {2, 15}, {15, 29}, {50, 57}, {60, 80}}) {
        locate(7, from);
        tab();
        EXPECT_EQ(write_page->cursor_x, to) << from;
        EXPECT_EQ(write_page->cursor_y, 7);
        EXPECT_EQ(write_page->cursor_held, 0);
    }
    EXPECT_EQ(wrong_cell_pixels(write_page, 7, 79, ' ', 15, 0), 0);
    // An owed break is paid by the comma and nothing more.
    locate(7, 80);
    print_semicolon("x");
    tab();
    EXPECT_EQ(write_page->cursor_y, 8);
    EXPECT_EQ(write_page->cursor_x, 1);
    EXPECT_EQ(write_page->cursor_held, 0);
}

TEST(Print, CursorControlCodesStayInTheView) {
    fresh_screen(12);
    tqg_sub_view_print(3, 10, 1);
    auto code = [](uint8_t c) { print_bytes(&c, 1, 0); };
    locate(5, 80);
    code(28); // right from the last column: next row
    EXPECT_EQ(write_page->cursor_y, 6);
    EXPECT_EQ(write_page->cursor_x, 1);
    code(29); // left from column 1: the previous row's end
    EXPECT_EQ(write_page->cursor_y, 5);
    EXPECT_EQ(write_page->cursor_x, 80);
    locate(3, 1);
    code(29); // not above the view
    code(30);
    EXPECT_EQ(write_page->cursor_y, 3);
    EXPECT_EQ(write_page->cursor_x, 1);
    locate(10, 80);
    code(28); // not past the view's last cell
    code(31);
    EXPECT_EQ(write_page->cursor_y, 10);
    EXPECT_EQ(write_page->cursor_x, 80);
    locate(7, 9);
    code(11); // home: the view's first row
    EXPECT_EQ(write_page->cursor_y, 3);
    EXPECT_EQ(write_page->cursor_x, 1);
    locate(7, 9);
    code(13);
    EXPECT_EQ(write_page->cursor_y, 8);
    EXPECT_EQ(write_page->cursor_x, 1);
    code(10);
    EXPECT_EQ(write_page->cursor_y, 9);
    code(7); // the bell prints nothing
    EXPECT_EQ(write_page->cursor_x, 1);
    // Form feed clears the page.
    paint_page(4);
    locate(7, 9);
    code(12);
    EXPECT_EQ(write_page->cursor_y, 3);
    EXPECT_EQ(write_page->pixels[479 * 640 + 639], 0);
    EXPECT_EQ(new_error, 0u);
}

TEST(Print, WithControlCharactersOffEveryCodeIsAGlyph) {
    fresh_screen(12);
    sub__controlchr(2);
    EXPECT_EQ(func__controlchr(), -1);
    locate(4, 1);
    const uint8_t codes[] = {13, 10, 9, 12, 7, 28};
    print_bytes(codes, 6, 0);
    EXPECT_EQ(write_page->cursor_y, 4);
    EXPECT_EQ(write_page->cursor_x, 7);
    for (int32_t i = 0; i < 6; i++) EXPECT_EQ(wrong_cell_pixels(write_page, 4, i + 1, codes[i], 15, 0), 0) << i;
    sub__controlchr(0);
    EXPECT_EQ(func__controlchr(), 0);
    EXPECT_EQ(no_control_characters2, 0);
}

TEST(Print, PrintModesKeepTheOtherPixels) {
    fresh_screen(12);
    paint_page(5);
    tqg_sub_color(12, 2, 0, 3);
    write_page->print_mode = 1;
    locate(1, 1);
    print_semicolon("A");
    EXPECT_EQ(wrong_cell_pixels(write_page, 1, 1, 'A', 12, 5), 0);
    write_page->print_mode = 2;
    print_semicolon("A");
    EXPECT_EQ(wrong_cell_pixels(write_page, 1, 2, 'A', 5, 2), 0);
}

TEST(Print, SmallerFontsOnPixelPages) {
    fresh_screen(12);
    sub__font(8, 0, 0);
    paint_page(5);
    locate(60, 80); // 8 x 8 cells: 60 rows
    print_semicolon("Q");
    int wrong = 0;
    for (int32_t y = 0; y < 8; y++)
        for (int32_t x = 0; x < 8; x++)
            wrong += write_page->pixels[(472 + y) * 640 + 632 + x] != (glyph8_bit('Q', x, y) ? 15 : 0);
    EXPECT_EQ(wrong, 0);
    // Font 14 draws the middle 14 rows of the 8 x 16 glyphs.
    fresh_screen(9);
    locate(2, 1);
    print_semicolon("g");
    for (int32_t y = 0; y < 14; y++)
        for (int32_t x = 0; x < 8; x++)
            wrong += write_page->pixels[(14 + y) * 640 + x] != (glyph16_bit('g', x, y + 1) ? 15 : 0);
    EXPECT_EQ(wrong, 0);
}

TEST(Print, ThirtyTwoBitPagesTakeColoursWhole) {
    drawing_image im(16, 16, 32);
    im->color = 0xFF123456;
    im->background_color = 0xFF000010;
    print_semicolon("B");
    int wrong = 0;
    for (int32_t y = 0; y < 16; y++)
        for (int32_t x = 0; x < 8; x++) wrong += im.at(x, y) != (glyph16_bit('B', x, y) ? 0xFF123456u : 0xFF000010u);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(im.at(8, 0), 0u);
    print_end();
    print_end(); // scrolls the one-row view
    EXPECT_EQ(im.at(0, 0), 0xFF000010u);
    EXPECT_TRUE(im.margins_intact());
}

// Any bytes on any page: the page's buffer is never left, whatever the page's size and font.
TEST(Print, AnyBytesOnAnyPageStayOnThePage) {
    std::mt19937 random(7);
    const int32_t sizes[][2] = {{1, 1}, {4, 4}, {7, 15}, {8, 16}, {9, 17}, {33, 20}, {640, 30}};
    for (int32_t mode : {256, 32, 12, 2}) {
        for (const auto &size : sizes) {
            drawing_image im(size[0], size[1], mode);
            for (int round = 0; round < 200; round++) {
                uint8_t bytes[40];
                const int32_t n = static_cast<int32_t>(random() % 40);
                for (int32_t i = 0; i < n; i++) bytes[i] = static_cast<uint8_t>(random());
                switch (random() % 6) {
                case 0: print_bytes(bytes, n, static_cast<int32_t>(random() % 2)); break;
                case 1: tab(); break;
                case 2: makefit_length(n); break;
                case 3:
                    tqg_sub_locate(static_cast<int32_t>(random() % 6) - 1, static_cast<int32_t>(random() % 90) - 2, 0,
                                   0, 0, 3);
                    break;
                case 4:
                    tqg_sub_view_print(static_cast<int32_t>(random() % 4), static_cast<int32_t>(random() % 4),
                                       static_cast<int32_t>(random() % 2));
                    break;
                default: sub__font(static_cast<int32_t>(random() % 18), 0, 0); break;
                }
                reset_error_state();
            }
            EXPECT_TRUE(im.margins_intact()) << mode << " " << size[0] << "x" << size[1];
        }
    }
}

TEST(Print, AnyBytesOnTextPages) {
    // Under AddressSanitizer any stray cell write is caught at once.
    std::mt19937 random(11);
    for (auto size : {std::pair{1, 1}, {3, 2}, {37, 5}, {80, 25}}) {
        const int32_t index = imgnew(size.first, size.second, 0);
        sub__dest(-index);
        for (int round = 0; round < 300; round++) {
            uint8_t bytes[30];
            const int32_t n = static_cast<int32_t>(random() % 30);
            for (int32_t i = 0; i < n; i++) bytes[i] = static_cast<uint8_t>(random() % 40);
            print_bytes(bytes, n, static_cast<int32_t>(random() % 2));
            if (random() % 4 == 0) tab();
            if (random() % 5 == 0)
                tqg_sub_view_print(static_cast<int32_t>(random() % 3) + 1, static_cast<int32_t>(random() % 26), 1);
            reset_error_state();
            ASSERT_GE(write_page->cursor_x, 1);
            ASSERT_LE(write_page->cursor_x, size.first);
            ASSERT_GE(write_page->cursor_y, 1);
            ASSERT_LE(write_page->cursor_y, size.second);
        }
        sub__dest(0);
        sub__freeimage(-index, 1);
        ASSERT_EQ(new_error, 0u);
    }
}

} // namespace
