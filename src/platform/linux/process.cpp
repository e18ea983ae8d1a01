// Process-level services on Linux: exit, the executable's path, the working directory, the
// integer-division signal and the x87 control word.
#include <csignal>
#include <cstdio>
#include <fpu_control.h>
#include <unistd.h>
#include <vector>

#include "platform/platform.h"

namespace plat {

void exit_process(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(status);
}

std::string executable_path() {
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(n));
        if (buffer.size() >= 65536) return {};
        buffer.resize(buffer.size() * 2);
    }
}

bool change_directory(const std::string &path) { return chdir(path.c_str()) == 0; }

void install_division_handler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGFPE, &action, nullptr);
}

void set_fpu_control_word(uint16_t word) {
    fpu_control_t cw = word;
    _FPU_SETCW(cw);
}

} // namespace plat
