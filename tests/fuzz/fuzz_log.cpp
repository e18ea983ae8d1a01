// The log's environment with any text: ZORVEX_LOG_HANDLERS, ZORVEX_LOG_SCOPES, ZORVEX_LOG_LEVEL
// and ZORVEX_LOG_FILE_PATH read by libtq_log_init, then entries of any level, scope, function
// name and message. The settings must be the ones the variables name, and the log file must
// receive exactly the entries that pass the filter. The file handler writes into a folder of
// its own; the console handler into a stream that goes nowhere, so that the fuzzer's own report
// stays readable.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "platform/platform.h"

namespace {

std::string folder;
std::FILE *nowhere = nullptr;

const char *const VARIABLES[] = {"ZORVEX_LOG_HANDLERS", "ZORVEX_LOG_SCOPES", "ZORVEX_LOG_LEVEL",
                                 "ZORVEX_LOG_FILE_PATH"};

std::string lower(std::string s) {
    for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> names_in(const std::string &list) {
    std::vector<std::string> names;
    std::string name;
    for (char c : list + ",") {
        if (c == ',') {
            if (!name.empty()) names.push_back(lower(name));
            name.clear();
        } else {
            name.push_back(c);
        }
    }
    return names;
}

// A variable's text: names the log knows and some it does not, or any text.
std::string list_text(fuzz_args &a, FuzzedDataProvider &in, const std::vector<std::string> &words) {
    if (a.flag()) return in.ConsumeRandomLengthString(40);
    std::string text;
    for (int n = a.in_range(0, 4); n > 0; n--) {
        text += a.pick(words);
        if (n > 1) text += a.flag() ? "," : ",,";
    }
    return text;
}

// The settings the variables ask for, worked out here from their text.
struct expected_settings {
    bool enabled = false, file = false;
    int level = 1;
    bool scope[5] = {true, true, false, false, false};
    int warnings = 0; // names it does not know, logged as warnings while it reads them
};

expected_settings expect(const std::string *values) {
    expected_settings e;
    if (values[0].size()) {
        for (const std::string &n : names_in(values[0])) {
            if (n == "console") e.enabled = true;
            if (n == "file") e.enabled = e.file = true;
        }
    }
    if (!values[1].empty() || getenv(VARIABLES[1])) {
        for (int s = 1; s < 5; s++) e.scope[s] = false;
        for (const std::string &n : names_in(values[1])) {
            if (n == "zorv")
                e.scope[1] = true;
            else if (n == "libtq")
                e.scope[2] = true;
            else if (n == "libtq-audio")
                e.scope[3] = true;
            else if (n == "libtq-image")
                e.scope[4] = true;
            else if (n == "all")
                for (bool &on : e.scope) on = true;
            else
                e.warnings++;
        }
    }
    if (getenv(VARIABLES[2])) {
        const std::string n = lower(values[2]);
        if (n == "trace")
            e.level = 0;
        else if (n == "info" || n == "information")
            e.level = 1;
        else if (n == "warn" || n == "warning")
            e.level = 2;
        else if (n == "error")
            e.level = 3;
        else
            e.warnings++;
    }
    if (!e.enabled) e.warnings = 0;
    return e;
}

bool passes(const expected_settings &e, int32_t level, int32_t scope) {
    if (!e.enabled) return false;
    if (level == LOGLEVEL_ERROR) return true;
    return scope >= 0 && scope < 5 && e.scope[scope] && level >= e.level;
}

// A file name inside the folder made of the input's bytes, or the folder itself (which cannot be
// opened for writing), or a name in a folder that does not exist.
std::string file_path(fuzz_args &a, FuzzedDataProvider &in, bool &openable) {
    openable = false;
    switch (a.in_range(0, 3)) {
    case 0: return folder;
    case 1: return folder + "/missing/log.txt";
    default: {
        std::string name;
        for (char c : in.ConsumeRandomLengthString(24))
            if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-') name.push_back(c);
        if (name.empty()) name = "log";
        openable = true;
        return folder + "/" + name + ".txt";
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_prepare();
    if (folder.empty()) {
        char pattern[] = "/tmp/libtq_fuzz_log_XXXXXX";
        FUZZ_CHECK(mkdtemp(pattern), "no temporary folder");
        folder = pattern;
        nowhere = std::fopen("/dev/null", "w");
    }
    FuzzedDataProvider in(data, size);
    fuzz_args a(in);
    std::string values[4];
    const bool given[4] = {a.flag(), a.flag(), a.flag(), a.flag()};
    values[0] = list_text(a, in, {"console", "file", "Console", "FILE", "files", " console", ""});
    values[1] = list_text(a, in, {"zorv", "libtq", "LIBTQ-AUDIO", "libtq-image", "all", "runtime", "%s%n", "Zorv"});
    values[2] = list_text(a, in, {"TRACE", "info", "Information", "warn", "WARNING", "error", "%s", "debug"});
    bool openable = false;
    values[3] = file_path(a, in, openable);
    for (int v = 0; v < 4; v++) {
        if (given[v])
            setenv(VARIABLES[v], values[v].c_str(), 1);
        else
            unsetenv(VARIABLES[v]);
        // The environment holds text up to its first zero byte.
        values[v] = given[v] ? std::string(values[v].c_str()) : std::string();
    }
    const expected_settings e = expect(values);
    if (given[3]) unlink(values[3].c_str());

    // The console handler holds the standard error stream it finds; it finds one that goes nowhere.
    std::FILE *const standard_error = stderr;
    stderr = nowhere;
    libtq_log_init();
    stderr = standard_error;
    const int32_t reported = func__logminlevel();
    FUZZ_CHECK(reported == (e.enabled ? e.level + 1 : 5), "_LOGMINLEVEL is %d, the variables ask for %d", reported,
               e.enabled ? e.level + 1 : 5);

    int written = e.warnings;
    static const std::vector<int32_t> levels = {0, 1, 2, 3, -1, 4, INT32_MIN};
    static const std::vector<int32_t> scopes = {0, 1, 2, 3, 4, -1, 5, INT32_MAX};
    static const std::vector<std::string> functions = {"TQMAIN(void*)", "SUB_DRAW", "FUNC_X", "main", "SUB_", ""};
    for (int n = a.in_range(0, 6); n > 0 && !a.done(); n--) {
        const int32_t level = a.pick(levels), scope = a.pick(scopes);
        const std::string function = a.flag() ? a.pick(functions) : in.ConsumeRandomLengthString(20);
        const std::string message = in.ConsumeRandomLengthString(300);
        switch (a.in_range(0, 2)) {
        case 0:
            libtq_log(level, scope, a.flag() ? "src/x.cpp" : nullptr, function.c_str(), 1, "%s", message.c_str());
            break;
        case 1: libtq_log_zorv(level, scope, "", function.c_str(), a.integer(), "%s", message.c_str()); break;
        default: {
            tqs *text = tqs_new_txt_len(message.data(), static_cast<int32_t>(message.size()));
            libtq_log_tqs(level, scope, "x.bas", function.c_str(), 0, text);
            tqs_free(text);
            break;
        }
        }
        written += passes(e, level, scope) ? 1 : 0;
    }
    std::string readable;
    const std::string name = in.ConsumeRandomLengthString(30);
    if (libtq_log_resolve_zorv_symbol(name.c_str(), readable))
        FUZZ_CHECK(!readable.empty(), "\"%s\" has an empty readable name", name.c_str());

    // The file handlers close their file when the log is set up again without them.
    for (const char *variable : VARIABLES) unsetenv(variable);
    libtq_log_init();
    if (given[3] && e.file && openable) {
        struct stat info {};
        const bool exists = stat(values[3].c_str(), &info) == 0;
        FUZZ_CHECK(exists && (info.st_size > 0) == (written > 0), "the log file holds %lld bytes after %d entries",
                   exists ? static_cast<long long>(info.st_size) : -1LL, written);
    }
    if (given[3]) unlink(values[3].c_str());
    return 0;
}
