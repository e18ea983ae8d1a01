// Diagnostic logging: settings from the environment, the filter, and the handlers that write
// entries as lines of text.
//
// Logging is off until ZORVEX_LOG_HANDLERS names a handler; while it is off, a log call costs one
// test. An event passes the filter when it is an ERROR (errors pass in every scope) or when its
// scope is switched on and its level is at least the minimum level. Its message is formatted into
// a 200-byte buffer, so it is cut to 199 characters; an ERROR entry also carries a stack trace.
// Handlers are called in the order the environment named them, one entry at a time under one
// mutex, so that lines written by different threads never interleave.
#include <cctype>
#include <cstdarg>
#include <cstdlib>
#include <memory>
#include <vector>

#include "frame/logging_internal.h"
#include "libtq.h"

namespace {

constexpr int scope_count = 5;

// Written only by libtq_log_init, before the runtime's other threads start.
struct log_settings {
    bool enabled = false;
    int32_t minimum_level = LOGLEVEL_INFO;
    bool scope_enabled[scope_count] = {true, true, false, false, false};
} settings;

std::vector<std::unique_ptr<log_handler>> handlers;
libtq_mutex *handlers_lock = nullptr;

bool same_name(const std::string &a, const char *b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; i++)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

// The non-empty names of a comma-separated list.
std::vector<std::string> names_of(const char *list) {
    std::vector<std::string> names;
    std::string name;
    for (const char *p = list;; p++) {
        if (*p == ',' || !*p) {
            if (!name.empty()) names.push_back(name);
            name.clear();
            if (!*p) break;
        } else {
            name.push_back(*p);
        }
    }
    return names;
}

bool passes_filter(int32_t level, int32_t scope) {
    if (level == LOGLEVEL_ERROR) return true;
    return scope >= 0 && scope < scope_count && settings.scope_enabled[scope] && level >= settings.minimum_level;
}

} // namespace

// Named for the log so that stack traces leave it out.
__attribute__((format(printf, 7, 0))) static void libtq_vlog(int32_t level, int32_t scope, const char *file,
                                                             const char *function, int32_t line, bool program_only,
                                                             const char *format, va_list args) {
    if (!passes_filter(level, scope)) return;
    log_entry entry;
    entry.level = level;
    entry.scope = scope;
    entry.time = static_cast<double>(GetTicks()) / 1000.0;
    entry.file = file ? file : "";
    entry.function = function ? function : "";
    std::string readable;
    if (libtq_log_resolve_zorv_symbol(entry.function.c_str(), readable)) entry.function = readable;
    entry.line = line;
    char message[200];
    message[0] = '\0';
    if (format && std::vsnprintf(message, sizeof message, format, args) < 0) message[0] = '\0';
    entry.message = message;
    if (level == LOGLEVEL_ERROR) entry.stacktrace = libtq_log_get_stacktrace(program_only);

    libtq_mutex_lock(handlers_lock);
    for (const auto &handler : handlers) handler->write(entry);
    libtq_mutex_unlock(handlers_lock);
}

void libtq_log(int32_t level, int32_t scope, const char *file, const char *function, int32_t line, const char *format,
               ...) {
    if (!settings.enabled) return;
    va_list args;
    va_start(args, format);
    libtq_vlog(level, scope, file, function, line, false, format, args);
    va_end(args);
}

void libtq_log_zorv(int32_t level, int32_t scope, const char *file, const char *function, int32_t line,
                    const char *format, ...) {
    if (!settings.enabled) return;
    va_list args;
    va_start(args, format);
    libtq_vlog(level, scope, file, function, line, true, format, args);
    va_end(args);
}

void libtq_log_tqs(int32_t level, int32_t scope, const char *file, const char *function, int32_t line,
                   const tqs *text) {
    if (!settings.enabled) return;
    int length = text && text->length > 0 ? text->length : 0;
    const char *bytes = length ? reinterpret_cast<const char *>(text->data) : "";
    libtq_log_zorv(level, scope, file, function, line, "%.*s", length, bytes);
}

int32_t func__logminlevel() { return settings.enabled ? settings.minimum_level + 1 : 5; }

const char *logLevelName(int32_t level) {
    switch (level) {
    case LOGLEVEL_TRACE: return "TRACE";
    case LOGLEVEL_INFO: return "INFO";
    case LOGLEVEL_WARN: return "WARN";
    case LOGLEVEL_ERROR: return "ERROR";
    default: return "UNKNOWN";
    }
}

const char *logScopeName(int32_t scope) {
    switch (scope) {
    case LOGSCOPE_RUNTIME: return "runtime";
    case LOGSCOPE_ZORV: return "ZORV";
    case LOGSCOPE_LIBTQ: return "libtq";
    case LOGSCOPE_LIBTQ_AUDIO: return "libtq-audio";
    case LOGSCOPE_LIBTQ_IMAGE: return "libtq-image";
    default: return "";
    }
}

void libtq_log_init() {
    if (!handlers_lock) handlers_lock = libtq_mutex_new();
    libtq_mutex_lock(handlers_lock);
    handlers.clear();
    libtq_mutex_unlock(handlers_lock);
    settings = log_settings{};

    if (const char *list = std::getenv("ZORVEX_LOG_HANDLERS")) {
        for (const std::string &name : names_of(list)) {
            if (same_name(name, "console")) {
                handlers.push_back(std::make_unique<console_log_handler>());
            } else if (same_name(name, "file")) {
                handlers.push_back(std::make_unique<file_log_handler>(std::getenv("ZORVEX_LOG_FILE_PATH")));
            }
        }
    }
    settings.enabled = !handlers.empty();

    // Names that are not understood are logged as they were written, never read as a format.
    std::vector<std::string> unknown;
    if (const char *list = std::getenv("ZORVEX_LOG_SCOPES")) {
        for (int s = 1; s < scope_count; s++) settings.scope_enabled[s] = false;
        for (const std::string &name : names_of(list)) {
            if (same_name(name, "zorv")) {
                settings.scope_enabled[LOGSCOPE_ZORV] = true;
            } else if (same_name(name, "libtq")) {
                settings.scope_enabled[LOGSCOPE_LIBTQ] = true;
            } else if (same_name(name, "libtq-audio")) {
                settings.scope_enabled[LOGSCOPE_LIBTQ_AUDIO] = true;
            } else if (same_name(name, "libtq-image")) {
                settings.scope_enabled[LOGSCOPE_LIBTQ_IMAGE] = true;
            } else if (same_name(name, "all")) {
                for (bool &on : settings.scope_enabled) on = true;
            } else {
                libtq_log(LOGLEVEL_WARN, LOGSCOPE_RUNTIME, __FILE__, __func__, __LINE__, "%s", name.c_str());
            }
        }
    }
    if (const char *level = std::getenv("ZORVEX_LOG_LEVEL")) {
        std::string name = level;
        if (same_name(name, "trace")) {
            settings.minimum_level = LOGLEVEL_TRACE;
        } else if (same_name(name, "info") || same_name(name, "information")) {
            settings.minimum_level = LOGLEVEL_INFO;
        } else if (same_name(name, "warn") || same_name(name, "warning")) {
            settings.minimum_level = LOGLEVEL_WARN;
        } else if (same_name(name, "error")) {
            settings.minimum_level = LOGLEVEL_ERROR;
        } else {
            libtq_log(LOGLEVEL_WARN, LOGSCOPE_RUNTIME, __FILE__, __func__, __LINE__, "%s", level);
        }
    }
}

// ---- handlers ----

void fp_log_writer::write(const log_entry &entry) {
    if (!stream_) return;
    if (!entry.file.empty()) {
        std::fprintf(stream_, "[%0.5lf] %s %s %s: %s: %d: %s\n", entry.time, logLevelName(entry.level),
                     logScopeName(entry.scope), entry.file.c_str(), entry.function.c_str(), entry.line,
                     entry.message.c_str());
    } else {
        std::fprintf(stream_, "[%0.5lf] %s %s %s: %d: %s\n", entry.time, logLevelName(entry.level),
                     logScopeName(entry.scope), entry.function.c_str(), entry.line, entry.message.c_str());
    }
    if (!entry.stacktrace.empty()) std::fputs(entry.stacktrace.c_str(), stream_);
    std::fflush(stream_);
}

console_log_handler::console_log_handler() { stream_ = stderr; }

file_log_handler::file_log_handler(const char *path) {
    stream_ = path && *path ? std::fopen(path, "a") : nullptr;
    if (!stream_) std::fprintf(stderr, "Unable to open file '%s' for logging!\n", path ? path : "");
}

file_log_handler::~file_log_handler() {
    if (stream_) std::fclose(stream_);
}
