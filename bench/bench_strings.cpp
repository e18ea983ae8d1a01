// The string work of the demo's PRINT statement for the frame counter: the literal into the
// statement's string variable, STR$ of the LONG counter joined with a space, the six spaces, the
// variable released and the statement's temporaries freed. Against it, the same work with
// std::string and std::to_chars. The printing itself is left out of both. A second pair does the
// string work of every PRINT statement of one frame of the demo.
#include <benchmark/benchmark.h>

#include <charconv>
#include <string>

#include "libtq.h"

namespace {

inline void consume(const void *p) { asm volatile("" : : "r"(p) : "memory"); }

// The counter statement, each way.
[[gnu::always_inline]] inline void counter_statement_runtime(int32_t frame, ptrszint base) {
    tqs *local = tqs_new(0, 0);
    tqs_set(local, tqs_new_txt_len("Frames Drawn:", 13));
    consume(local->data);
    tqs_set(local, tqs_add(tqs_str(frame), tqs_new_txt_len(" ", 1)));
    consume(local->data);
    tqs_set(local, tqs_new_txt_len("      ", 6));
    consume(local->data);
    tqs_free(local);
    tqs_release_tmp(base, 0);
}

[[gnu::always_inline]] inline void counter_statement_std(int32_t frame) {
    std::string local;
    local = "Frames Drawn:";
    consume(local.data());
    char digits[12];
    digits[0] = ' ';
    char *end = std::to_chars(frame < 0 ? digits : digits + 1, digits + sizeof digits, frame).ptr;
    std::string number(digits, end);
    local = number + " ";
    consume(local.data());
    local = "      ";
    consume(local.data());
}

void BM_PrintStringWork_Runtime(benchmark::State &state) {
    const ptrszint base = tqs_tmp_list_nexti;
    int32_t frame = 0;
    for (auto _ : state) counter_statement_runtime(++frame, base);
}

void BM_PrintStringWork_StdString(benchmark::State &state) {
    int32_t frame = 0;
    for (auto _ : state) counter_statement_std(++frame);
}

// All PRINT statements of one frame: the counter line, then the six lines of text, each built
// from its literal in the statement's variable.
const char *const frame_texts[] = {"if you do nothing, the program will",
                                   "redraw the cube once every second.",
                                   "Shift=Click",
                                   "Other=Exit",
                                   "coded by dzm/TeKoN^ZT^JW with Trellicode 4.5.",
                                   "made for the combined demo compo at Palmora 2025."};

void BM_FramePrintStringWork_Runtime(benchmark::State &state) {
    const ptrszint base = tqs_tmp_list_nexti;
    int32_t frame = 0;
    int32_t lengths[6];
    for (int i = 0; i < 6; i++) lengths[i] = static_cast<int32_t>(std::char_traits<char>::length(frame_texts[i]));
    for (auto _ : state) {
        counter_statement_runtime(++frame, base);
        for (int i = 0; i < 6; i++) {
            tqs *local = tqs_new(0, 0);
            tqs_set(local, tqs_new_txt_len(frame_texts[i], lengths[i]));
            consume(local->data);
            tqs_free(local);
            tqs_release_tmp(base, 0);
        }
    }
}

void BM_FramePrintStringWork_StdString(benchmark::State &state) {
    int32_t frame = 0;
    for (auto _ : state) {
        counter_statement_std(++frame);
        for (int i = 0; i < 6; i++) {
            std::string local;
            local = frame_texts[i];
            consume(local.data());
        }
    }
}

BENCHMARK(BM_PrintStringWork_Runtime);
BENCHMARK(BM_PrintStringWork_StdString);
BENCHMARK(BM_FramePrintStringWork_Runtime);
BENCHMARK(BM_FramePrintStringWork_StdString);

} // namespace
