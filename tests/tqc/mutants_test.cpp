// Every program tqc accepts builds: the corpus and the examples, mutated at random (lines dropped,
// doubled and swapped, characters changed), go through the front end; it must never fail to
// answer, and each mutant it accepts must compile as C++ with the project's warnings as errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "compile.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> seed_programs() {
    std::vector<std::string> texts;
    for (const fs::path &dir : {fs::path(TQC_TEST_SOURCE_DIR) / "corpus", fs::path(TQC_EXAMPLES_DIR)})
        for (const auto &entry : fs::directory_iterator(dir))
            if (entry.path().extension() == ".bas") {
                std::ifstream in(entry.path(), std::ios::binary);
                std::ostringstream s;
                s << in.rdbuf();
                texts.push_back(s.str());
            }
    std::sort(texts.begin(), texts.end());
    return texts;
}

std::vector<std::string> split_lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string mutate(const std::string &text, std::mt19937 &random) {
    std::vector<std::string> lines = split_lines(text);
    auto pick = [&](size_t n) { return n ? static_cast<size_t>(random() % n) : 0; };
    const int changes = 1 + static_cast<int>(random() % 3);
    for (int c = 0; c < changes && !lines.empty(); c++) {
        const size_t at = pick(lines.size());
        std::string &line = lines[at];
        static const std::string alphabet = " ()+-*/\\^=<>,:;\"$%&!#0123456789ABXYZ_'.";
        switch (random() % 8) {
        case 0: lines.erase(lines.begin() + static_cast<long>(at)); break;
        case 1: lines.insert(lines.begin() + static_cast<long>(at), line); break;
        case 2: std::swap(line, lines[pick(lines.size())]); break;
        case 3:
            for (char &ch : line)
                if (ch >= '0' && ch <= '9' && random() % 2) ch = static_cast<char>('0' + random() % 10);
            break;
        case 4:
            if (!line.empty()) line.erase(pick(line.size()), 1);
            break;
        case 5: line.insert(pick(line.size() + 1), 1, alphabet[pick(alphabet.size())]); break;
        case 6:
            if (!line.empty()) line[pick(line.size())] = alphabet[pick(alphabet.size())];
            break;
        default: line = line.substr(0, pick(line.size() + 1)); break;
        }
    }
    std::string out;
    for (const std::string &l : lines) out += l + "\n";
    return out;
}

TEST(Mutants, EveryAcceptedMutantCompilesAsCpp) {
    const std::vector<std::string> seeds = seed_programs();
    ASSERT_GT(seeds.size(), 20u);
    std::mt19937 random(20251209);
    std::string bundle = "#include \"libtq.h\"\n#include \"libtq/compiled.h\"\n";
    int accepted = 0, refused = 0;
    for (int n = 0; n < 600 && accepted < 40; n++) {
        const std::string text = mutate(seeds[static_cast<size_t>(n) % seeds.size()], random);
        tqc::codegen_options options;
        options.namespace_name = "mutant_" + std::to_string(n);
        const tqc::compile_result r = tqc::compile_source("mutant.bas", text, options);
        if (!r.ok) {
            EXPECT_FALSE(r.diagnostics.empty());
            refused++;
            continue;
        }
        accepted++;
        bundle += "// ---- mutant " + std::to_string(n) + "\n" + r.module;
    }
    std::printf("%d mutants accepted, %d refused\n", accepted, refused);
    EXPECT_GT(accepted, 10);
    EXPECT_GT(refused, 10);
    const fs::path file = fs::temp_directory_path() / "tqc_mutants.cpp";
    std::ofstream(file) << bundle;
    const std::string command = std::string(TQC_TEST_CXX) + " -std=c++20 -fsyntax-only " + TQC_TEST_WARNINGS + " -I" +
                                TQC_TEST_INCLUDE_DIR + " " + file.string();
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    fs::remove(file);
}

} // namespace
