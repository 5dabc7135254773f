// The command-line splitter that starts the keystroke target without a shell: words, the three
// kinds of quoting, and the unclosed quotes it refuses. Nothing is expanded, so no expansion cases.

#include "platform/x11/CommandLineSplit.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

struct SplitCase {
    const char* Line;
    std::vector<std::string> Words;
};

class CommandLineSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(CommandLineSplit, GivesTheWordsAShellWould) {
    const auto words = splitCommandLine(GetParam().Line);
    ASSERT_TRUE(words.has_value());
    EXPECT_EQ(*words, GetParam().Words);
}

INSTANTIATE_TEST_SUITE_P(
    Quoting, CommandLineSplit,
    testing::Values(SplitCase{"xterm", {"xterm"}},
                    SplitCase{"  xterm \t -T  Title\n", {"xterm", "-T", "Title"}}, SplitCase{"", {}},
                    SplitCase{"   ", {}},
                    SplitCase{"xterm -T 'Target Window' -e sh -c 'cat > out.txt'",
                              {"xterm", "-T", "Target Window", "-e", "sh", "-c", "cat > out.txt"}},
                    SplitCase{R"('a "b" \c')", {R"(a "b" \c)"}},
                    SplitCase{R"("a 'b' \"c\" \\ \$HOME \x")", {R"(a 'b' "c" \ $HOME \x)"}},
                    SplitCase{R"(one\ word two\\three \'x)", {"one word", R"(two\three)", "'x"}},
                    SplitCase{R"(pre'quoted'"joined"post)", {"prequotedjoinedpost"}},
                    SplitCase{R"(empty '' "" words)", {"empty", "", "", "words"}},
                    SplitCase{"line\\\ncontinued", {"linecontinued"}},
                    SplitCase{"ends with\\", {"ends", "with\\"}},
                    SplitCase{"$HOME ~ *.txt", {"$HOME", "~", "*.txt"}},
                    SplitCase{"caf\xE9 \"\xE9t\xE9\"", {"caf\xE9", "\xE9t\xE9"}}));

TEST(CommandLineSplitRefuses, QuotesThatAreNotClosed) {
    EXPECT_FALSE(splitCommandLine("xterm -T 'Target").has_value());
    EXPECT_FALSE(splitCommandLine("xterm -T \"Target").has_value());
    EXPECT_FALSE(splitCommandLine("xterm \"a\\\"").has_value());
}

} // namespace
} // namespace quorvane
