// tqc: compiles a program in the classic PC BASIC dialect into a program that runs on libtq.
//
//   tqc PROGRAM.bas -o PROGRAM             an executable
//   tqc --emit-cpp PROGRAM.bas -o OUT.cpp  the C++ main module only
//
// Diagnostics go to standard error as FILE:LINE:COLUMN: error: message, with the line and a caret.
// The exit status is 0 on success and 1 on any error.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "compile.h"
#include "run_compiler.h"
#include "tqc_config.h"

namespace {

void usage() {
    std::cerr << "usage: tqc [--emit-cpp] [--namespace NAME] [--cxx COMPILER] PROGRAM.bas [-o OUTPUT]\n"
                 "  compiles PROGRAM.bas into an executable (or, with --emit-cpp, into its C++ module)\n"
                 "       tqc --show-runtime\n"
                 "  names the runtime's header folder and libraries that programs are built with\n";
}

// The runtime next to an installed tqc (PREFIX/bin/tqc with PREFIX/lib and PREFIX/include), else the
// build tree tqc was built in.
struct runtime_paths {
    std::string include_dir, libtq, libtq_main;
};

runtime_paths find_runtime() {
    namespace fs = std::filesystem;
    const std::string folder = tqc::executable_folder();
    if (!folder.empty()) {
        const fs::path prefix = fs::path(folder).parent_path();
        for (const char *lib : {"lib", "lib64", "lib/x86_64-linux-gnu"}) {
            const fs::path libs = prefix / lib;
            std::error_code ec;
            if (fs::exists(libs / "libtq.a", ec) && fs::exists(prefix / "include" / "libtq.h", ec))
                return {(prefix / "include").string(), (libs / "libtq.a").string(), (libs / "libtq_main.a").string()};
        }
    }
    return {TQC_BUILD_INCLUDE_DIR, TQC_BUILD_LIBTQ, TQC_BUILD_LIBTQ_MAIN};
}

std::vector<std::string> split_words(const std::string &text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

bool write_file(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char **argv) {
    std::string input, output, namespace_name, cxx = TQC_CXX;
    bool emit_cpp = false;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "--emit-cpp")
            emit_cpp = true;
        else if (a == "--show-runtime") {
            const runtime_paths r = find_runtime();
            std::cout << r.include_dir << "\n" << r.libtq << "\n" << r.libtq_main << "\n";
            return 0;
        } else if ((a == "-o" || a == "--namespace" || a == "--cxx") && i + 1 < argc) {
            (a == "-o" ? output : a == "--namespace" ? namespace_name : cxx) = argv[++i];
        } else if (a == "-h" || a == "--help") {
            usage();
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            std::cerr << "tqc: unknown option " << a << "\n";
            usage();
            return 1;
        } else if (input.empty()) {
            input = a;
        } else {
            std::cerr << "tqc: more than one program given\n";
            return 1;
        }
    }
    if (input.empty()) {
        usage();
        return 1;
    }
    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::cerr << "tqc: cannot read " << input << "\n";
        return 1;
    }
    std::string text;
    {
        std::ostringstream buffer;
        buffer << in.rdbuf();
        text = buffer.str();
    }
    if (output.empty()) {
        std::filesystem::path p(input);
        output = (p.parent_path() / p.stem()).string() + (emit_cpp ? ".cpp" : "");
    }
    tqc::codegen_options options;
    options.namespace_name = namespace_name;
    options.source_name = std::filesystem::path(input).filename().string();
    tqc::compile_result result = tqc::compile_source(input, text, options);
    if (!result.ok) {
        std::cerr << result.diagnostics;
        return 1;
    }
    if (emit_cpp) {
        if (!write_file(output, result.module)) {
            std::cerr << "tqc: cannot write " << output << "\n";
            return 1;
        }
        return 0;
    }
    const std::string folder = tqc::make_temp_folder();
    if (folder.empty()) {
        std::cerr << "tqc: cannot make a temporary folder\n";
        return 1;
    }
    const std::string module = folder + "/" + std::filesystem::path(input).stem().string() + ".cpp";
    if (!write_file(module, result.module)) {
        std::cerr << "tqc: cannot write " << module << "\n";
        tqc::remove_temp_folder(folder);
        return 1;
    }
    const runtime_paths runtime = find_runtime();
    std::vector<std::string> command = {cxx};
    for (const std::string &f : split_words(TQC_CXX_FLAGS)) command.push_back(f);
    command.insert(command.end(),
                   {"-I" + runtime.include_dir, module, "-o", output, runtime.libtq_main, runtime.libtq});
    for (const std::string &f : split_words(TQC_LINK_FLAGS)) command.push_back(f);
    const int status = tqc::run_program(command);
    tqc::remove_temp_folder(folder);
    if (status != 0) {
        std::cerr << "tqc: the C++ compiler failed on the module of " << input
                  << " (this is a fault of tqc; tqc --emit-cpp shows the module)\n";
        return 1;
    }
    return 0;
}
