// Modal message boxes on Linux.
//
// A box is shown by the first dialog program the desktop has: zenity, kdialog or xmessage (the
// last comes with the X utilities). The program is started with fork and exec and an argument
// vector, never through a shell, so no text of a message can run as a command; xmessage gets its
// message on standard input so that a message starting with '-' is not taken for an option.
// Without a display the box becomes text on standard error, and a yes/no question is answered
// from the terminal if there is one, else with the first button.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/linux/x11_connection.h"
#include "platform/platform.h"

namespace plat {
namespace {

std::string find_program(const char *name) {
    const char *path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t stop = dirs.find(':', start);
        if (stop == std::string::npos) stop = dirs.size();
        std::string candidate = dirs.substr(start, stop - start);
        if (!candidate.empty()) {
            candidate += '/';
            candidate += name;
            if (access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        start = stop + 1;
    }
    return {};
}

constexpr int NOT_RUN = -1, NO_STATUS = -2, GIVEN_UP = -3;

// Waits for the dialog to end, asking `give_up` in between. True when it ended by itself, with its
// wait status in `status`; false when it was given up and ended here.
bool wait_for_dialog(pid_t child, bool (*give_up)(), int &status) {
    for (;;) {
        const pid_t done = waitpid(child, &status, give_up ? WNOHANG : 0);
        if (done == child) return true;
        if (done < 0 && errno != EINTR) {
            status = 0;
            return true;
        }
        if (give_up && give_up()) {
            kill(child, SIGTERM);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return false;
        }
        if (done == 0) usleep(5000);
    }
}

// Runs `argv` with `input` on its standard input; returns its exit status, NOT_RUN when it could
// not be run, NO_STATUS when it ended without one, GIVEN_UP when `give_up` ended it.
int run_dialog(const std::vector<std::string> &args, const std::string &input, bool (*give_up)()) {
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return -1;
    std::vector<char *> argv;
    for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t program = getpid();
    pid_t child = fork();
    if (child < 0) {
        close(pipe_fds[0]);
        close(pipe_fds[1]);
        return -1;
    }
    if (child == 0) {
        // A box never outlives its program, however the program ends.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != program) _exit(127);
        dup2(pipe_fds[0], STDIN_FILENO);
        close(pipe_fds[0]);
        close(pipe_fds[1]);
        // The dialog's own complaints (missing fonts, its display gone) are not the program's.
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            close(null);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipe_fds[0]);
    size_t written = 0;
    while (written < input.size()) {
        ssize_t n = write(pipe_fds[1], input.data() + written, input.size() - written);
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    close(pipe_fds[1]);
    int status = 0;
    if (!wait_for_dialog(child, give_up, status)) return GIVEN_UP;
    // A desktop whose display went away takes its dialogs with it: that is no answer.
    if (!display_reachable()) display_connection_lost();
    if (!WIFEXITED(status)) return NO_STATUS;
    if (WEXITSTATUS(status) == 127) return NOT_RUN;
    return WEXITSTATUS(status);
}

// Shows the box with a desktop dialog program. Returns 1 or 0 as the box answers, or -1 when no
// dialog program could show it.
int desktop_box(const char *title, const char *message, bool yesno, const char *icon, bool (*give_up)()) {
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display) return -1;
    guard_display_connections();
    std::string program;
    if (!(program = find_program("zenity")).empty()) {
        std::vector<std::string> args{program, "--no-markup", std::string("--title=") + title,
                                      std::string("--text=") + message};
        if (yesno) {
            args.insert(args.begin() + 1, "--question");
            args.push_back(std::string("--icon-name=dialog-") + icon);
            args.push_back("--ok-label=Yes");
            args.push_back("--cancel-label=No");
        } else {
            args.insert(args.begin() + 1, std::strcmp(icon, "error") == 0 ? "--error" : "--info");
        }
        int status = run_dialog(args, "", give_up);
        if (status == GIVEN_UP) return yesno ? 0 : 1;
        if (status >= 0) return yesno ? (status == 0 ? 1 : 0) : 1;
    }
    if (!(program = find_program("kdialog")).empty()) {
        std::vector<std::string> args{program, "--title", title, yesno ? "--warningyesno" : "--error", message};
        int status = run_dialog(args, "", give_up);
        if (status == GIVEN_UP) return yesno ? 0 : 1;
        if (status >= 0) return yesno ? (status == 0 ? 1 : 0) : 1;
    }
    if (!(program = find_program("xmessage")).empty()) {
        std::vector<std::string> args{program,    "-title",
                                      title,      "-center",
                                      "-buttons", yesno ? "Yes:11,No:10" : "OK:11",
                                      "-default", yesno ? "Yes" : "OK",
                                      "-file",    "-"};
        int status = run_dialog(args, message, give_up);
        if (status == GIVEN_UP) return yesno ? 0 : 1;
        if (status == 11) return 1;
        if (status == 10) return 0;
        if (status >= 0) return yesno ? 0 : 1; // closed without a button
    }
    return -1;
}

int terminal_box(const char *title, const char *message, bool yesno) {
    std::fprintf(stderr, "%s\n%s\n", title, message);
    if (!yesno) return 1;
    if (!isatty(STDIN_FILENO)) return 1; // nobody to ask: the first button
    for (;;) {
        std::fprintf(stderr, "[y/n] ");
        std::fflush(stderr);
        char line[64];
        if (!std::fgets(line, sizeof line, stdin)) return 1;
        if (line[0] == 'y' || line[0] == 'Y') return 1;
        if (line[0] == 'n' || line[0] == 'N') return 0;
    }
}

} // namespace

int message_box(const char *title, const char *message, const char *buttons, const char *icon, bool (*give_up)()) {
    bool yesno = buttons && std::strcmp(buttons, "yesno") == 0;
    std::fflush(stdout);
    int answer = desktop_box(title, message, yesno, icon ? icon : "error", give_up);
    if (answer >= 0) return answer;
    return terminal_box(title, message, yesno);
}

} // namespace plat
