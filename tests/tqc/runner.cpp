// The headless runner of the corpus: runs one compiled program on the prepared machine without a
// window (END and the timed waits return at once), then checks the program's expectations, which
// the program's source states in comments of the form
//
//   '> text ROW: TEXT          the text of a row of the visible text page, right-trimmed
//   '> attr ROW,COLUMN: N      the colour attribute of a text cell
//   '> pixel X,Y: N            a pixel of the visible page (a palette index, or 0xAARRGGBB)
//   '> error N line L          the next runtime error reported, with its source line
//   '> palette N: V            an entry of the visible page's palette
//
// Any runtime error not listed fails the program. Exit status 0 when every expectation holds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "libtq.h"
#include "libtq/compiled.h"

struct corpus_entry {
    const char *name;
    void (*main)(void *);
};
extern const corpus_entry corpus_programs[];
extern const size_t corpus_program_count;

namespace {

struct program_ended {};
struct reported_error {
    long number, line;
};
std::vector<reported_error> reported;
std::vector<std::string> source_lines; // read before start-up moves into the executable's folder
bool sleeps_counted = false;

[[noreturn]] void end_hook() { throw program_ended{}; }
void sleep_hook(int32_t, int32_t) { sleeps_counted = true; }
void delay_hook(double) {}
void limit_hook(double) {}

std::string row_text(const img_struct *page, int row) {
    std::string text;
    if (!page->text || row < 1 || row > page->height) return text;
    for (int c = 0; c < page->width; c++)
        text += static_cast<char>(page->pixels[(static_cast<size_t>(row - 1) * page->width + c) * 2]);
    while (!text.empty() && (text.back() == ' ' || text.back() == 0)) text.pop_back();
    return text;
}

std::string trim_right(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
    return s;
}

int check() {
    int failures = 0;
    size_t next_error = 0;
    const img_struct *page = display_page.load();
    auto fail = [&](const std::string &what) {
        std::printf("FAIL %s\n", what.c_str());
        failures++;
    };
    for (const std::string &line : source_lines) {
        const size_t mark = line.find("'> ");
        if (mark == std::string::npos) continue;
        const std::string d = trim_right(line.substr(mark + 3));
        long a = 0, b = 0;
        unsigned long long v = 0;
        char word[16] = {};
        if (std::sscanf(d.c_str(), "text %ld:", &a) == 1) {
            const size_t colon = d.find(':');
            std::string want = colon + 2 <= d.size() ? d.substr(colon + 2) : "";
            const std::string got = row_text(page, static_cast<int>(a));
            if (got != want) fail("text " + std::to_string(a) + ": got [" + got + "] want [" + want + "]");
        } else if (std::sscanf(d.c_str(), "attr %ld,%ld: %llu", &a, &b, &v) == 3) {
            const long got = page->text && a >= 1 && a <= page->height && b >= 1 && b <= page->width
                                 ? page->pixels[(static_cast<size_t>(a - 1) * page->width + (b - 1)) * 2 + 1]
                                 : -1;
            if (got != static_cast<long>(v)) fail(d + " got " + std::to_string(got));
        } else if (std::sscanf(d.c_str(), "pixel %ld,%ld: %lli", &a, &b, reinterpret_cast<long long *>(&v)) == 3) {
            long long got = -1;
            if (!page->text && a >= 0 && b >= 0 && a < page->width && b < page->height) {
                const size_t at = static_cast<size_t>(b) * page->width + static_cast<size_t>(a);
                got = page->bytes_per_pixel == 4 ? reinterpret_cast<const uint32_t *>(page->pixels)[at]
                                                 : page->pixels[at];
            }
            if (got != static_cast<long long>(v)) fail(d + " got " + std::to_string(got));
        } else if (std::sscanf(d.c_str(), "palette %ld: %lli", &a, reinterpret_cast<long long *>(&v)) == 2) {
            const long long got = page->pal && a >= 0 && a < 256 ? page->pal[a] : -1;
            if (got != static_cast<long long>(v)) fail(d + " got " + std::to_string(got));
        } else if (std::sscanf(d.c_str(), "error %ld line %ld", &a, &b) == 2) {
            if (next_error >= reported.size())
                fail(d + ": not reported");
            else if (reported[next_error].number != a || reported[next_error].line != b)
                fail(d + ": got error " + std::to_string(reported[next_error].number) + " line " +
                     std::to_string(reported[next_error].line));
            next_error++;
        } else if (std::sscanf(d.c_str(), "%15s", word) == 1 && std::strcmp(word, "slept") == 0) {
            if (!sleeps_counted) fail("the program never slept");
        } else {
            fail("unknown expectation: " + d);
        }
    }
    for (; next_error < reported.size(); next_error++)
        fail("unexpected error " + std::to_string(reported[next_error].number) + " line " +
             std::to_string(reported[next_error].line));
    return failures;
}

// Error boxes: "Unhandled Error #N - program" with "Line: L (in main module)". The program goes on.
int responder(const char *message, const char *title, const char *) {
    long number = -1, line = -1;
    const char *hash = std::strchr(title, '#');
    if (hash) number = std::strtol(hash + 1, nullptr, 10);
    std::sscanf(message, "Line: %ld", &line);
    reported.push_back({number, line});
    if (std::strncmp(title, "Critical", 8) == 0) {
        // A fatal error ends the process inside the runtime: check what there is now.
        std::printf("fatal: %s: %s\n", title, message);
        std::fflush(stdout);
        std::_Exit(check() == 0 ? 0 : 1);
    }
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PROGRAM SOURCE.bas\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[2]);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 2;
    }
    for (std::string line; std::getline(in, line);) source_lines.push_back(line);
    const corpus_entry *entry = nullptr;
    for (size_t k = 0; k < corpus_program_count; k++)
        if (std::strcmp(corpus_programs[k].name, argv[1]) == 0) entry = &corpus_programs[k];
    if (!entry) {
        std::fprintf(stderr, "no program %s\n", argv[1]);
        return 2;
    }
    libtq_prepare(argc, argv);
    gui_alert_set_responder(responder);
    tqc::hooks.end = end_hook;
    tqc::hooks.sleep = sleep_hook;
    tqc::hooks.delay = delay_hook;
    tqc::hooks.limit = limit_hook;
    try {
        entry->main(nullptr);
    } catch (const program_ended &) {
    }
    const int failures = check();
    std::printf("%s: %s\n", argv[1], failures ? "FAIL" : "ok");
    return failures ? 1 : 0;
}
