// Cost of text output on the demo's 640 x 480 mode 12 page, against a baseline in the same run:
//   - the demo's seven text lines (LOCATE, COLOR and PRINT as the compiled program calls them every
//     frame),
//     reported per character printed;
//   - memset of the same characters' cells, 16 rows of 8 pixels each, also per character.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "libtq.h"

namespace {

struct text_line {
    int32_t row, column;
    uint32_t colour;
    std::vector<std::string> items;
};

// The demo's texts, the counter as it reads in frame 1: " 1" and the space the program appends.
const std::vector<text_line> demo_lines = {
    {2, 2, 11, {"Frames Drawn:", " 1 ", "      "}},
    {25, 4, 8, {"if you do nothing, the program will"}},
    {26, 4, 8, {"redraw the cube once every second."}},
    {28, 4, 9, {"Shift=Click"}},
    {28, 20, 4, {"Other=Exit"}},
    {2, 35, 15, {"coded by dzm/TeKoN^ZT^JW with Trellicode 4.5."}},
    {3, 31, 15, {"made for the combined demo compo at Palmora 2025."}},
};

int64_t characters() {
    int64_t n = 0;
    for (const auto &line : demo_lines)
        for (const auto &item : line.items) n += static_cast<int64_t>(item.size());
    return n;
}

void select_mode_12() {
    tqg_screen(12, 0, 0, 0, 0, 1);
    std::memset(write_page->pixels, 0, 640 * 480);
}

void BM_DemoTextPerCharacter(benchmark::State &state) {
    select_mode_12();
    // The items as string records over the literal text, made once: only the printing is timed.
    std::vector<std::vector<tqs *>> items;
    for (const auto &line : demo_lines) {
        items.emplace_back();
        for (const auto &item : line.items)
            items.back().push_back(tqs_new_txt_len(item.data(), static_cast<int32_t>(item.size())));
    }
    for (auto _ : state) {
        for (size_t l = 0; l < demo_lines.size(); l++) {
            tqg_sub_locate(demo_lines[l].row, demo_lines[l].column, 0, 0, 0, 3);
            tqg_sub_color(demo_lines[l].colour, 0, 0, 1);
            for (tqs *item : items[l]) {
                makefit(item);
                tqs_print(item, 0);
            }
            tqs_print(nothingstring, 1);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * characters());
}

void BM_DemoTextMemsetBaselinePerCharacter(benchmark::State &state) {
    select_mode_12();
    uint8_t colour = 1;
    for (auto _ : state) {
        for (const auto &line : demo_lines) {
            int32_t column = line.column;
            for (const auto &item : line.items) {
                for (size_t i = 0; i < item.size(); i++, column++) {
                    uint8_t *cell = write_page->pixels + (line.row - 1) * 16 * 640 + (column - 1) * 8;
                    for (int32_t y = 0; y < 16; y++) std::memset(cell + y * 640, colour, 8);
                }
            }
        }
        colour = (colour + 1) & 15;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * characters());
}

BENCHMARK(BM_DemoTextPerCharacter);
BENCHMARK(BM_DemoTextMemsetBaselinePerCharacter);

} // namespace
