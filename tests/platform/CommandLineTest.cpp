#include "platform/Opener.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace lh::platform;

namespace {

using Words = std::vector<std::string>;

TEST(SplitParameters, splitsAtBlanksAndKeepsQuotedRunsTogether) {
    EXPECT_EQ(SplitParameters("-a -b"), (Words{"-a", "-b"}));
    EXPECT_EQ(SplitParameters("  -r\t\"list one.txt\" x"), (Words{"-r", "list one.txt", "x"}));
    EXPECT_EQ(SplitParameters("\"\""), (Words{""}));
    EXPECT_EQ(SplitParameters(""), Words{});
}

// What a program's start-up code (CommandLineToArgvW and the C runtime) reads back from the
// joined text must be exactly the arguments given.
TEST(JoinWindowsArguments, quotesByTheWindowsRules) {
    struct Case {
        Words arguments;
        std::string line;
    };
    const Case cases[] = {
        {{"-a", "-b"}, "-a -b"},
        {{"list one.txt"}, "\"list one.txt\""},
        {{""}, "\"\""},
        {{"C:\\dir\\"}, "C:\\dir\\"},                 // no quoting, nothing to double
        {{"C:\\my dir\\"}, "\"C:\\my dir\\\\\""},     // a closing quote after "\" needs "\\"
        {{"say \"hi\""}, "\"say \\\"hi\\\"\""},       // quotes inside
        {{"a\\\"b"}, "\"a\\\\\\\"b\""},               // a backslash before a quote
        {{"\\\\server\\share"}, "\\\\server\\share"}, // backslashes elsewhere stay
        {{"資料 1", "メモ"}, "\"資料 1\" メモ"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JoinWindowsArguments(c.arguments), c.line) << c.line;
}

} // namespace
