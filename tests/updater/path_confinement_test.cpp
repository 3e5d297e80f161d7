#include "updater/path_confinement.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_folder.h"

namespace tessal::updater {
namespace {

namespace fs = std::filesystem;

class PathConfinementTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(program_.path() / "app" / "New");
        fs::create_directories(outside_.path() / "elsewhere");
    }
    fs::path Folder() const { return program_.path() / "app"; }

    TempFolder program_;
    TempFolder outside_;
};

TEST_F(PathConfinementTest, AllowsPathsBelowTheFolder) {
    const PathConfinement paths(Folder());
    EXPECT_TRUE(paths.Allows("TessalClient"));
    EXPECT_TRUE(paths.Allows("./New/TessalClient.new"));
    EXPECT_TRUE(paths.Allows("Layout/not-yet-there/file.xml"));
}

TEST_F(PathConfinementTest, RefusesAbsolutePathsAndParentSteps) {
    const PathConfinement paths(Folder());
    EXPECT_FALSE(paths.Allows((Folder() / "TessalClient").string()));
    EXPECT_FALSE(paths.Allows("/etc/passwd"));
    EXPECT_FALSE(paths.Allows("../outside"));
    // Stays inside once normalised, yet still names a parent step.
    EXPECT_FALSE(paths.Allows("New/../TessalClient"));
}

TEST_F(PathConfinementTest, RefusesTheFolderItself) {
    const PathConfinement paths(Folder());
    EXPECT_FALSE(paths.Allows("."));
    EXPECT_FALSE(paths.Allows("./"));
}

TEST_F(PathConfinementTest, RefusesASiblingFolderSharingTheNamePrefix) {
    fs::create_directories(program_.path() / "app2");
    fs::create_symlink(program_.path() / "app2", Folder() / "link");
    const PathConfinement paths(Folder());
    EXPECT_FALSE(paths.Allows("link/file"));
}

TEST_F(PathConfinementTest, RefusesSymbolicLinksLeadingOutside) {
    fs::create_symlink(outside_.path() / "elsewhere", Folder() / "Linked");
    fs::create_symlink(outside_.path() / "victim", Folder() / "victim-link");
    const PathConfinement paths(Folder());
    EXPECT_FALSE(paths.Allows("Linked/file"));
    EXPECT_FALSE(paths.Allows("Linked/deeper/not-there"));
    // A dangling link still leads outside when written through.
    EXPECT_FALSE(paths.Allows("victim-link"));
}

TEST_F(PathConfinementTest, AllowsSymbolicLinksThatStayInside) {
    fs::create_symlink(Folder() / "New", Folder() / "Staging");
    const PathConfinement paths(Folder());
    EXPECT_TRUE(paths.Allows("Staging/file"));
}

TEST_F(PathConfinementTest, HoldsWhenTheFolderIsReachedThroughALink) {
    fs::create_symlink(Folder(), outside_.path() / "app-link");
    const PathConfinement paths(outside_.path() / "app-link");
    EXPECT_TRUE(paths.Allows("New/file"));
    EXPECT_FALSE(paths.Allows("../app-link/New/file"));
}

}  // namespace
}  // namespace tessal::updater
