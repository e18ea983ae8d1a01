#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "libtq.h"
#include "platform/platform.h"

namespace {

TEST(CommandLine, ArgumentsAreJoinedBySingleSpacesUnquoted) {
    const char *saved_text = command_line_text;
    int saved_count = func_command_count;
    char **saved_array = func_command_array;
    char prog[] = "prog", a[] = "a", bc[] = "b c";
    char *one[] = {prog, nullptr};
    command_initialize(1, one);
    EXPECT_STREQ(command_line_text, "");
    char *three[] = {prog, a, bc, nullptr};
    command_initialize(3, three);
    EXPECT_STREQ(command_line_text, "a b c");
    EXPECT_EQ(func_command_count, 3);
    func_command_count = saved_count;
    func_command_array = saved_array;
    command_line_text = saved_text;
}

TEST(StartUp, WorkingDirectoryIsTheExecutablesFolder) {
    std::string exe = plat::executable_path();
    ASSERT_FALSE(exe.empty());
    std::string folder = exe.substr(0, exe.find_last_of('/'));
    EXPECT_EQ(std::filesystem::current_path().string(), folder);
}

TEST(StartUp, HandleListsExist) {
    EXPECT_NE(special_handles, nullptr);
    EXPECT_NE(stream_handles, nullptr);
    EXPECT_NE(connection_handles, nullptr);
    EXPECT_NE(hardware_img_handles, nullptr);
    EXPECT_NE(hardware_graphics_command_handles, nullptr);
}

TEST(Clock, StartsNearZeroAndFollowsSleeps) {
    int64_t a = GetTicks();
    EXPECT_GE(a, 0);
    libtq_sleep_ms(30);
    int64_t b = GetTicks();
    EXPECT_GE(b - a, 29);
    for (int i = 0; i < 1000; i++) {
        int64_t c = GetTicks();
        ASSERT_GE(c, b);
        b = c;
    }
}

} // namespace
