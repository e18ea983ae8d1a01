// The tqc program: its exit status, its diagnostics on standard error, the module it writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct run_result {
    int status = -1;
    std::string err;
};

class Driver : public ::testing::Test {
  protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tqc_driver_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path write(const std::string &name, const std::string &text) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    static std::string read(const fs::path &p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Runs tqc with `args`, standard error into a file.
    run_result tqc(const std::string &args) {
        const fs::path err = dir / "stderr.txt";
        const std::string command = std::string(TQC_PATH) + " " + args + " 2>" + err.string();
        const int raw = std::system(command.c_str());
        run_result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.err = read(err);
        return r;
    }
};

TEST_F(Driver, ErrorsGoToStandardErrorWithLineColumnAndCaretAndExitOne) {
    const fs::path source = write("bad.bas", "PRINT 1\nX = (2 +\nINPUT A\n");
    const run_result r = tqc("--emit-cpp " + source.string() + " -o " + (dir / "bad.cpp").string());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, source.string() +
                         ":2:9: error: expected a value at the end of the line\n"
                         " X = (2 +\n"
                         "         ^\n" +
                         source.string() +
                         ":3:1: error: INPUT is not supported\n"
                         " INPUT A\n"
                         " ^\n");
    EXPECT_FALSE(fs::exists(dir / "bad.cpp"));
}

TEST_F(Driver, EmitCppWritesTheModuleWithTheStatementFramesOfEachLine) {
    const fs::path source = write("good.bas", "PRINT \"hi\"\n\nX = 2\n");
    const run_result r = tqc("--emit-cpp " + source.string() + " -o " + (dir / "good.cpp").string());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string module = read(dir / "good.cpp");
    EXPECT_NE(module.find("void TQMAIN(void *) {"), std::string::npos);
    EXPECT_NE(module.find("} while (tq_statement_frame(1));"), std::string::npos);
    EXPECT_NE(module.find("} while (tq_statement_frame(3));"), std::string::npos);
    EXPECT_EQ(module.find("tq_statement_frame(2)"), std::string::npos);
}

TEST_F(Driver, BadCommandLinesExitOne) {
    EXPECT_EQ(tqc("").status, 1);
    EXPECT_EQ(tqc("--no-such-option x.bas").status, 1);
    const run_result missing = tqc((dir / "missing.bas").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
    EXPECT_EQ(tqc("a.bas b.bas").status, 1);
}

TEST_F(Driver, BuildsAnExecutableWithTheRuntimeItWasBuiltWith) {
    const fs::path source = write("hello.bas", "PRINT \"hello\"\n");
    const run_result r = tqc(source.string() + " -o " + (dir / "hello").string());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir / "hello"));
    EXPECT_NE(fs::status(dir / "hello").permissions() & fs::perms::owner_exec, fs::perms::none);
}

} // namespace
