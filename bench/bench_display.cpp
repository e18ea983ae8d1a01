// Frame composition against its physical floors: a changed 640 x 480 indexed page against a
// memcpy of the 1.2 MB frame it becomes; an unchanged page against a memcmp of its 307,200 bytes;
// and a full redraw of the 80 x 25 text screen.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "libtq.h"

namespace {

void give_frames_back() {
    for (auto &f : display_frame) f.state = FRAME_FREE;
}

void BM_MemcpyFrame(benchmark::State &state) {
    std::vector<uint32_t> from(640 * 480, 0xFF123456u), to(640 * 480);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::ClobberMemory();
    }
}

void BM_ComposeChangedIndexedPage(benchmark::State &state) {
    tqg_screen(0, 0, 0, 0, 0, 1);
    tqg_screen(12, 0, 0, 0, 0, 1);
    uint8_t *pixels = write_page->pixels;
    for (int i = 0; i < 640 * 480; i++) pixels[i] = static_cast<uint8_t>(i % 16);
    for (auto _ : state) {
        pixels[240 * 640 + 320] ^= 1; // one pixel in the middle changes every frame
        display();
        give_frames_back();
    }
}

void BM_MemcmpPage(benchmark::State &state) {
    std::vector<uint8_t> a(640 * 480, 7), b(640 * 480, 7);
    for (auto _ : state) benchmark::DoNotOptimize(std::memcmp(a.data(), b.data(), a.size()));
}

void BM_DetectUnchangedIndexedPage(benchmark::State &state) {
    tqg_screen(0, 0, 0, 0, 0, 1);
    tqg_screen(12, 0, 0, 0, 0, 1);
    display();
    give_frames_back();
    for (auto _ : state) {
        display();
        give_frames_back();
    }
}

void BM_RedrawTextPage(benchmark::State &state) {
    tqg_screen(0, 0, 0, 0, 0, 1);
    img_struct *page = display_page.load();
    for (int i = 0; i < 80 * 25; i++) {
        page->pixels[2 * i] = static_cast<uint8_t>('A' + i % 26);
        page->pixels[2 * i + 1] = static_cast<uint8_t>(i % 128);
    }
    for (auto _ : state) {
        screen_last_valid = 0; // compose every cell
        display();
        give_frames_back();
    }
    state.SetItemsProcessed(state.iterations() * 80 * 25);
}

BENCHMARK(BM_MemcpyFrame);
BENCHMARK(BM_ComposeChangedIndexedPage);
BENCHMARK(BM_MemcmpPage);
BENCHMARK(BM_DetectUnchangedIndexedPage);
BENCHMARK(BM_RedrawTextPage);

} // namespace
