// The log's entries and handlers, shared by the logging code and its tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// One event as the handlers receive it.
struct log_entry {
    int32_t level;
    int32_t scope;
    double time;          // seconds since the runtime's clock started
    std::string file;     // source file, may be empty
    std::string function; // already in readable form for the compiled program's functions
    int32_t line;
    std::string message;    // at most 199 characters
    std::string stacktrace; // empty unless the level is ERROR
};

// Where entries go. Handlers are called one at a time, under the log's mutex.
class log_handler {
  public:
    virtual ~log_handler() = default;
    virtual void write(const log_entry &entry) = 0;
};

// Writes entries as text lines to a stream it holds; does nothing without one.
class fp_log_writer : public log_handler {
  public:
    void write(const log_entry &entry) override;

  protected:
    std::FILE *stream_ = nullptr;
};

// Writes to the standard error stream.
class console_log_handler : public fp_log_writer {
  public:
    console_log_handler();
};

// Appends to the file at a path. A file that cannot be opened is reported once on standard error,
// and every entry is then ignored.
class file_log_handler : public fp_log_writer {
  public:
    explicit file_log_handler(const char *path);
    ~file_log_handler() override;
    file_log_handler(const file_log_handler &) = delete;
    file_log_handler &operator=(const file_log_handler &) = delete;
};

// How many modules' symbol tables have been read from their files during this run (each is read
// once and kept).
int libtq_log_symbol_tables_read();
