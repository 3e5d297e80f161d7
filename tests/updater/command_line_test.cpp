#include "updater/command_line.h"

#include <gtest/gtest.h>

namespace tessal::updater {
namespace {

TEST(CommandLineTest, NoArgumentSelectsTheDownloadPhase) {
    EXPECT_EQ(ParseCommandLine({}).phase, UpdaterPhase::kDownload);
}

TEST(CommandLineTest, ClientArgumentGivesSignAndUid) {
    const UpdaterCommand command = ParseCommandLine({"end#sign1A2b#u#10086#"});
    EXPECT_EQ(command.phase, UpdaterPhase::kInstall);
    EXPECT_EQ(command.sign, "sign1A2b");
    EXPECT_EQ(command.uid, "10086");
}

TEST(CommandLineTest, ClientClosedBeforeLoginGivesEmptyValues) {
    const UpdaterCommand command = ParseCommandLine({"end##u##"});
    EXPECT_EQ(command.phase, UpdaterPhase::kInstall);
    EXPECT_EQ(command.sign, "");
    EXPECT_EQ(command.uid, "");
}

TEST(CommandLineTest, MissingMarkersLeaveTheValuesEmpty) {
    const UpdaterCommand bare = ParseCommandLine({"end"});
    EXPECT_EQ(bare.phase, UpdaterPhase::kInstall);
    EXPECT_EQ(bare.sign, "");
    EXPECT_EQ(bare.uid, "");
    // No "#" after the uid: the marker pair is incomplete.
    EXPECT_EQ(ParseCommandLine({"end#s#u#42"}).uid, "");
}

TEST(CommandLineTest, AnyArgumentContainingEndSelectsTheInstallPhase) {
    EXPECT_EQ(ParseCommandLine({"weekend"}).phase, UpdaterPhase::kInstall);
}

TEST(CommandLineTest, TheUidIsTakenAfterTheFirstUidMarker) {
    // A sign that itself holds "u#" shadows the uid marker, as the client's format allows.
    const UpdaterCommand command = ParseCommandLine({"end#abu#9#u#7#"});
    EXPECT_EQ(command.sign, "abu");
    EXPECT_EQ(command.uid, "9");
}

TEST(CommandLineTest, OtherArgumentsDoNothing) {
    EXPECT_EQ(ParseCommandLine({""}).phase, UpdaterPhase::kNone);
    EXPECT_EQ(ParseCommandLine({"End#s#u#1#"}).phase, UpdaterPhase::kNone);
    EXPECT_EQ(ParseCommandLine({"--help"}).phase, UpdaterPhase::kNone);
    EXPECT_EQ(ParseCommandLine({"end#s#u#1#", "extra"}).phase, UpdaterPhase::kNone);
}

}  // namespace
}  // namespace tessal::updater
