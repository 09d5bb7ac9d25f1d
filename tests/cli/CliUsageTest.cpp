#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

TEST(CliUsage, help_exitsZero) {
    const std::string cmd = std::string(LINKHIVE_CLI_PATH) + " --help >/dev/null";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
