// The diagnostic log as its four environment variables configure it: handlers, scopes, levels,
// the line formats, and stack traces named from the executable's symbols.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "frame/logging_internal.h"
#include "libtq.h"
#include "test_support.h"

// A small compiled program: the main module calls a SUB, which calls a FUNCTION, which logs an
// error. They have the names and linkage the compiler gives them; none may be inlined or end in a
// jump, so that each keeps its own frame.
void (*program_action)() = nullptr;
__attribute__((noinline)) void FUNC_INNER() {
    program_action();
    asm volatile("" ::: "memory");
}
__attribute__((noinline)) void SUB_OUTER() {
    FUNC_INNER();
    asm volatile("" ::: "memory");
}
__attribute__((noinline)) void TQMAIN(void *) {
    SUB_OUTER();
    asm volatile("" ::: "memory");
}
std::string program_result;

namespace {

std::string temp_path(const char *name) {
    return (std::filesystem::temp_directory_path() / (std::string(name) + "_" + std::to_string(getpid()))).string();
}

std::string read_file(const std::string &path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> lines_of(const std::string &text) {
    std::vector<std::string> lines;
    std::stringstream s(text);
    for (std::string line; std::getline(s, line);) lines.push_back(line);
    return lines;
}

// Sets the log's environment (null leaves a variable unset), reads it, and switches logging off
// again afterwards.
class LogTest : public testing::Test {
  protected:
    std::string file = temp_path("libtq_log");
    void configure(const char *handlers, const char *scopes = nullptr, const char *level = nullptr,
                   const char *path = nullptr) {
        set("ZORVEX_LOG_HANDLERS", handlers);
        set("ZORVEX_LOG_SCOPES", scopes);
        set("ZORVEX_LOG_LEVEL", level);
        set("ZORVEX_LOG_FILE_PATH", path);
        libtq_log_init();
    }
    void SetUp() override {
        std::filesystem::remove(file);
        reset_error_state();
    }
    void TearDown() override {
        configure(nullptr);
        std::filesystem::remove(file);
        reset_error_state();
    }
    static void set(const char *name, const char *value) {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    // What one call writes to standard error.
    template <typename F> static std::string stderr_of(F &&call) {
        testing::internal::CaptureStderr();
        call();
        return testing::internal::GetCapturedStderr();
    }
};

const std::regex entry_line(R"(\[\d+\.\d{5}\] (TRACE|INFO|WARN|ERROR) \S* .*: \d+: .*)");

TEST_F(LogTest, WithoutHandlersNothingIsWritten) {
    configure(nullptr, "all", "trace");
    EXPECT_EQ(func__logminlevel(), 5);
    std::string out = stderr_of([&] {
        libtq_log(LOGLEVEL_ERROR, LOGSCOPE_RUNTIME, "f.cpp", "f", 1, "lost");
        libtq_log_info("lost too");
    });
    EXPECT_EQ(out, "");
}

TEST_F(LogTest, DefaultsDropRuntimeLibraryInfoButWriteErrorsWithATrace) {
    configure("console");
    EXPECT_EQ(func__logminlevel(), 2);
    std::string out = stderr_of([&] {
        libtq_log(LOGLEVEL_INFO, LOGSCOPE_LIBTQ, "start.cpp", "main", 7, "Program starting.");
        libtq_log(LOGLEVEL_TRACE, LOGSCOPE_ZORV, "a.bas", "TQMAIN", 3, "too fine");
        libtq_log(LOGLEVEL_INFO, LOGSCOPE_ZORV, "a.bas", "TQMAIN", 4, "kept");
        libtq_log(LOGLEVEL_ERROR, LOGSCOPE_LIBTQ, "start.cpp", "main", 9, "broken");
    });
    std::vector<std::string> lines = lines_of(out);
    ASSERT_GE(lines.size(), 3u) << out;
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\[\d+\.\d{5}\] INFO ZORV a\.bas: TQMAIN: 4: kept)")))
        << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(\[\d+\.\d{5}\] ERROR libtq start\.cpp: main: 9: broken)")))
        << lines[1];
    // The trace follows, numbered from 0, naming this test's own function first.
    EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(#0  \[0x[0-9a-f]+\] in .*LogTest.*)"))) << out;
    EXPECT_EQ(out.find("libtq_log"), std::string::npos);
}

TEST_F(LogTest, LineFormatsWithAndWithoutAFileName) {
    configure("console", nullptr, "trace");
    std::string out = stderr_of([&] {
        libtq_log(LOGLEVEL_WARN, LOGSCOPE_RUNTIME, "", "evnt", 12, "no file");
        libtq_log(5, LOGSCOPE_ZORV, nullptr, "SUB_DRAW", 3, "odd level");
        libtq_log(LOGLEVEL_INFO, 9, "x.cpp", "f", 1, "unknown scope is off");
    });
    std::vector<std::string> lines = lines_of(out);
    ASSERT_EQ(lines.size(), 2u) << out;
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\[\d+\.\d{5}\] WARN runtime evnt: 12: no file)"))) << out;
    // A compiled program's function is named in readable form.
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(\[\d+\.\d{5}\] UNKNOWN ZORV DRAW \(ZORV\): 3: odd level)")))
        << out;
}

TEST_F(LogTest, ConsoleAndFileHandlersBothWrite) {
    std::string out = stderr_of([&] {
        configure("Console,FILE,printer", nullptr, nullptr, file.c_str());
        libtq_log(LOGLEVEL_WARN, LOGSCOPE_RUNTIME, "a.cpp", "f", 2, "to both");
    });
    EXPECT_NE(out.find("WARN runtime a.cpp: f: 2: to both\n"), std::string::npos) << out;
    EXPECT_NE(read_file(file).find("WARN runtime a.cpp: f: 2: to both\n"), std::string::npos);
}

TEST_F(LogTest, FileHandlerAppendsAcrossRuns) {
    for (const char *message : {"first run", "second run"}) {
        configure("file", nullptr, nullptr, file.c_str());
        libtq_log(LOGLEVEL_WARN, LOGSCOPE_RUNTIME, "a.cpp", "f", 1, "%s", message);
    }
    std::vector<std::string> lines = lines_of(read_file(file));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("first run"), std::string::npos);
    EXPECT_NE(lines[1].find("second run"), std::string::npos);
}

TEST_F(LogTest, AFileThatCannotBeOpenedIsReportedOnceAndIgnored) {
    std::string out = stderr_of([&] {
        configure("file", nullptr, nullptr, "/nonexistent-folder/log.txt");
        libtq_log(LOGLEVEL_ERROR, LOGSCOPE_RUNTIME, "a.cpp", "f", 1, "nowhere");
    });
    EXPECT_EQ(out, "Unable to open file '/nonexistent-folder/log.txt' for logging!\n");
    out = stderr_of([&] {
        configure("file");
        libtq_log(LOGLEVEL_ERROR, LOGSCOPE_RUNTIME, "a.cpp", "f", 1, "nowhere");
    });
    EXPECT_EQ(out, "Unable to open file '' for logging!\n");
    // A handler was named, so logging is on even though it writes nowhere.
    EXPECT_EQ(func__logminlevel(), 2);
}

TEST_F(LogTest, ScopesSwitchOnByName) {
    auto written = [](int32_t scope) {
        return !stderr_of([&] { libtq_log(LOGLEVEL_INFO, scope, "a.cpp", "f", 1, "x"); }).empty();
    };
    configure("console", "LIBTQ");
    EXPECT_TRUE(written(LOGSCOPE_RUNTIME));
    EXPECT_FALSE(written(LOGSCOPE_ZORV));
    EXPECT_TRUE(written(LOGSCOPE_LIBTQ));
    EXPECT_FALSE(written(LOGSCOPE_LIBTQ_AUDIO));
    configure("console", "zorv,libtq-image");
    EXPECT_TRUE(written(LOGSCOPE_ZORV));
    EXPECT_FALSE(written(LOGSCOPE_LIBTQ));
    EXPECT_TRUE(written(LOGSCOPE_LIBTQ_IMAGE));
    configure("console", "all");
    for (int32_t scope = 0; scope < 5; scope++) EXPECT_TRUE(written(scope)) << scope;
    EXPECT_FALSE(written(5));
}

TEST_F(LogTest, UnknownNamesAreLoggedAsLiteralText) {
    std::string out = stderr_of([&] { configure("console", "zorv,%s%n%s", "%n%s loud"); });
    std::vector<std::string> lines = lines_of(out);
    ASSERT_EQ(lines.size(), 2u) << out;
    EXPECT_TRUE(std::regex_match(lines[0], entry_line));
    EXPECT_NE(lines[0].find(" WARN runtime "), std::string::npos);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 8), ": %s%n%s");
    EXPECT_EQ(lines[1].substr(lines[1].size() - 11), ": %n%s loud");
    // The level stays INFO.
    EXPECT_EQ(func__logminlevel(), 2);
}

TEST_F(LogTest, LevelsByName) {
    const std::pair<const char *, int> levels[] = {{"trace", 1}, {"Information", 2}, {"WARNING", 3},
                                                   {"warn", 3},  {"error", 4},       {"info", 2}};
    for (auto [name, expected] : levels) {
        configure("console", nullptr, name);
        EXPECT_EQ(func__logminlevel(), expected) << name;
    }
    configure("console", "all", "error");
    EXPECT_EQ(stderr_of([] { libtq_log(LOGLEVEL_WARN, LOGSCOPE_ZORV, "a", "f", 1, "quiet"); }), "");
}

TEST_F(LogTest, LongMessagesAreCutTo199Characters) {
    configure("console");
    std::string long_text(300, 'x');
    std::string out =
        stderr_of([&] { libtq_log(LOGLEVEL_WARN, LOGSCOPE_RUNTIME, "a", "f", 1, "%s", long_text.c_str()); });
    EXPECT_NE(out.find(": " + std::string(199, 'x') + "\n"), std::string::npos);
    EXPECT_EQ(out.find(std::string(200, 'x')), std::string::npos);
}

TEST_F(LogTest, StringMessages) {
    configure("console", "zorv");
    tqs *text = tqs_new_txt_len("with\0zero", 9);
    std::string out = stderr_of([&] { libtq_log_tqs(LOGLEVEL_INFO, LOGSCOPE_ZORV, "p.bas", "TQMAIN", 5, text); });
    EXPECT_NE(out.find("TQMAIN: 5: with"), std::string::npos) << out;
    tqs_free(text);
}

TEST_F(LogTest, ThreadedEntriesNeverInterleave) {
    configure("file", nullptr, nullptr, file.c_str());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; i++)
                libtq_log(LOGLEVEL_WARN, LOGSCOPE_RUNTIME, "thread.cpp", "worker", t, "thread %d entry %d %s", t, i,
                          "padding padding padding padding padding padding");
        });
    for (std::thread &thread : threads) thread.join();
    std::vector<std::string> lines = lines_of(read_file(file));
    ASSERT_EQ(lines.size(), 800u);
    const std::regex whole(
        R"(\[\d+\.\d{5}\] WARN runtime thread\.cpp: worker: (\d): thread \1 entry \d+ (padding ?){6})");
    for (const std::string &line : lines) ASSERT_TRUE(std::regex_match(line, whole)) << line;
}

// ---- stack traces ----

TEST_F(LogTest, CompiledProgramNames) {
    std::string readable;
    EXPECT_TRUE(libtq_log_resolve_zorv_symbol("TQMAIN(void*)", readable));
    EXPECT_EQ(readable, "Main ZORV code");
    EXPECT_TRUE(libtq_log_resolve_zorv_symbol("SUB_DRAWCUBE(float*)", readable));
    EXPECT_EQ(readable, "DRAWCUBE(float*) (ZORV)");
    EXPECT_TRUE(libtq_log_resolve_zorv_symbol("FUNC_AREA", readable));
    EXPECT_EQ(readable, "AREA (ZORV)");
    readable = "unchanged";
    EXPECT_FALSE(libtq_log_resolve_zorv_symbol("TQMAIN", readable));
    EXPECT_FALSE(libtq_log_resolve_zorv_symbol("sub_line(float, float)", readable));
    EXPECT_FALSE(libtq_log_resolve_zorv_symbol(nullptr, readable));
    EXPECT_EQ(readable, "unchanged");
}

TEST_F(LogTest, SymbolsOfTheExecutableAndOfSharedLibraries) {
    EXPECT_EQ(libtq_log_resolve_symbol(reinterpret_cast<const void *>(&SUB_OUTER)), "SUB_OUTER()");
    EXPECT_EQ(libtq_log_resolve_symbol(reinterpret_cast<const void *>(&libtq_log_init)), "libtq_log_init()");
    // A function of the C library, named from its dynamic symbols.
    EXPECT_EQ(libtq_log_resolve_symbol(reinterpret_cast<const void *>(&std::abort)), "abort");
    EXPECT_EQ(libtq_log_resolve_symbol(nullptr), "");
}

TEST_F(LogTest, TraceThroughAProgramsFunctionsInOrder) {
    configure("console", "all");
    // Every frame, the logging ones left out and the others numbered from 0: the test's own
    // function that takes the trace, the FUNCTION, the SUB, the main module, then the test that
    // ran it.
    program_action = [] { program_result = libtq_log_get_stacktrace(false); };
    TQMAIN(nullptr);
    const std::string full = program_result;
    std::vector<std::string> frames = lines_of(full);
    const std::regex frame(R"(#(\d+) +\[0x[0-9a-f]+\] in (.*))");
    std::vector<std::string> names;
    for (size_t i = 0; i < frames.size(); i++) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(frames[i], m, frame)) << frames[i];
        EXPECT_EQ(std::stoi(m[1]), static_cast<int>(i));
        names.push_back(m[2]);
    }
    auto inner = std::find(names.begin(), names.end(), "INNER() (ZORV)");
    ASSERT_NE(inner, names.end()) << full;
    ASSERT_GE(names.end() - inner, 4) << full;
    EXPECT_NE(inner, names.begin());
    for (auto n = names.begin(); n != inner; ++n)
        EXPECT_NE(n->find("LogTest_TraceThroughAProgramsFunctionsInOrder"), std::string::npos) << full;
    EXPECT_EQ(inner[1], "OUTER() (ZORV)") << full;
    EXPECT_EQ(inner[2], "Main ZORV code") << full;
    EXPECT_NE(inner[3].find("LogTest_TraceThroughAProgramsFunctionsInOrder"), std::string::npos) << full;

    // Only the program's own frames: the same three lines, with the numbers they had.
    program_action = [] { program_result = libtq_log_get_stacktrace(true); };
    TQMAIN(nullptr);
    const size_t at = static_cast<size_t>(inner - names.begin());
    EXPECT_EQ(program_result, frames[at] + "\n" + frames[at + 1] + "\n" + frames[at + 2] + "\n") << full;
}

TEST_F(LogTest, ARuntimeErrorIsLoggedWithItsTrace) {
    configure("console");
    program_action = [] { program_result = stderr_of([] { error(9); }); };
    TQMAIN(nullptr);
    reset_error_state();
    std::vector<std::string> lines = lines_of(program_result);
    ASSERT_GE(lines.size(), 5u) << program_result;
    EXPECT_TRUE(std::regex_match(
        lines[0],
        std::regex(
            R"(\[\d+\.\d{5}\] ERROR libtq .*error\.cpp: error: \d+: ZORV Error 9 reported: Subscript out of range)")))
        << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(#0  \[0x[0-9a-f]+\] in error\(int\))"))) << program_result;
    EXPECT_NE(program_result.find("in Main ZORV code\n"), std::string::npos);
}

TEST_F(LogTest, EachModulesSymbolsAreReadOnce) {
    configure("console");
    stderr_of([] { libtq_log(LOGLEVEL_ERROR, LOGSCOPE_RUNTIME, "a", "f", 1, "first"); });
    int read = libtq_log_symbol_tables_read();
    EXPECT_GE(read, 1);
    std::string again = stderr_of([] { libtq_log(LOGLEVEL_ERROR, LOGSCOPE_RUNTIME, "a", "f", 1, "second"); });
    EXPECT_EQ(libtq_log_symbol_tables_read(), read);
    EXPECT_NE(again.find("#0 "), std::string::npos);
}

// What a program writes to standard error when run with console logging.
std::string logged_by(const std::string &path) {
    std::string command =
        "env -u ZORVEX_LOG_SCOPES -u ZORVEX_LOG_LEVEL ZORVEX_LOG_HANDLERS=console '" + path + "' 2>&1";
    std::FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) return {};
    std::string out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
    return out;
}

TEST(LogTrace, AProgramsErrorNamesItsFunctionsAndAStrippedOneItsFile) {
    std::string out = logged_by(LOG_PROBE_PATH);
    EXPECT_TRUE(
        std::regex_search(out, std::regex(R"(ERROR libtq .*: error: \d+: ZORV Error 9 reported: Subscript out of range
#0  \[0x[0-9a-f]+\] in error\(int\)
#1  \[0x[0-9a-f]+\] in FAIL\(\) \(ZORV\)
#2  \[0x[0-9a-f]+\] in Main ZORV code
#3  \[0x[0-9a-f]+\] in main
)"))) << out;

    // Without its symbol tables, the program's frames are named by its file, and the logging
    // functions can no longer be told apart from the others.
    const std::string stripped = std::string(LOG_PROBE_PATH) + "_stripped";
    out = logged_by(stripped);
    EXPECT_NE(out.find("ZORV Error 9 reported: Subscript out of range\n#0  [0x"), std::string::npos) << out;
    EXPECT_EQ(out.find("ZORV code"), std::string::npos) << out;
    EXPECT_EQ(out.find("error(int)"), std::string::npos) << out;
    EXPECT_GE(std::count(out.begin(), out.end(), '\n'), 5) << out;
    EXPECT_NE(out.find("] in " + stripped + "\n"), std::string::npos) << out;
}

} // namespace
