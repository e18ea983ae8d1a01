// The operating-system side of the driver: starting the C++ compiler, finding tqc's own folder and
// temporary files.
#include "run_compiler.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace tqc {

int run_program(const std::vector<std::string> &argv) {
    std::vector<char *> args;
    for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string executable_folder() {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return self.parent_path().string();
}

std::string make_temp_folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tqc-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return {};
    return pattern;
}

void remove_temp_folder(const std::string &folder) {
    std::error_code ec;
    if (!folder.empty()) std::filesystem::remove_all(folder, ec);
}

} // namespace tqc
