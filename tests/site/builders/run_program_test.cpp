#include "site/builders/run_program.h"

#include <gtest/gtest.h>

namespace tessal::site {
namespace {

TEST(RunProgram, GivesExitStatusOutputAndErrors) {
    const ProgramResult result =
        RunProgram({"sh", "-c", "printf 'out put'; printf oops >&2; exit 7"});
    EXPECT_TRUE(result.started);
    EXPECT_FALSE(result.Succeeded());
    EXPECT_EQ(result.exit_status, 7);
    EXPECT_EQ(result.output, "out put");
    EXPECT_EQ(result.errors, "oops");
}

TEST(RunProgram, PassesArgumentsWithoutAShell) {
    const ProgramResult result = RunProgram({"printf", "%s|", "a b", "$HOME", "*", "'q'"});
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(result.output, "a b|$HOME|*|'q'|");
}

TEST(RunProgram, GivesTheChildNoInputToWaitFor) {
    const ProgramResult result = RunProgram({"cat"});
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(result.output, "");
}

TEST(RunProgram, ReadsBothStreamsSoALoudChildCannotBlock) {
    // Far more than a pipe holds on either stream; only the tail of the errors is kept.
    const ProgramResult result =
        RunProgram({"sh", "-c",
                    "head -c 300000 /dev/zero | tr '\\0' e >&2; head -c 300000 /dev/zero; "
                    "echo last >&2"});
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(result.output.size(), 300000u);
    EXPECT_LE(result.errors.size(), 4096u);
    EXPECT_GE(result.errors.size(), 1000u);
    EXPECT_EQ(result.errors.substr(result.errors.size() - 5), "last\n");
}

TEST(RunProgram, ReportsAMissingProgramAndADeathBySignal) {
    const ProgramResult missing = RunProgram({"tessal-no-such-program"});
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.exit_status, -1);
    EXPECT_NE(missing.failure.find("tessal-no-such-program"), std::string::npos);

    const ProgramResult killed = RunProgram({"sh", "-c", "kill -KILL $$"});
    EXPECT_TRUE(killed.started);
    EXPECT_FALSE(killed.Succeeded());
    EXPECT_EQ(killed.exit_status, -1);
    EXPECT_NE(killed.failure.find("signal"), std::string::npos);

    EXPECT_FALSE(RunProgram({}).started);
}

TEST(CommandText, QuotesOnlyWhatAShellWouldSplit) {
    EXPECT_EQ(CommandText({"ffmpeg", "-i", "a b.webm", "it's", "", "plain"}),
              "ffmpeg -i 'a b.webm' 'it'\\''s' '' plain");
}

}  // namespace
}  // namespace tessal::site
