// Runs the C++ compiler on a generated module.
#pragma once

#include <string>
#include <vector>

namespace tqc {

// Runs `argv` (the program first) and waits for it. Returns its exit status, or -1 when it could not
// be started or ended by a signal.
int run_program(const std::vector<std::string> &argv);
// The folder of the running executable, empty when unknown.
std::string executable_folder();
// A new private folder for temporary files.
std::string make_temp_folder();
void remove_temp_folder(const std::string &folder);

} // namespace tqc
