#include "common/files/file_type_association.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace tessal {
namespace {

namespace fs = std::filesystem;

bool OnPath(const std::string& program) {
    std::istringstream folders(getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (access((fs::path(folder) / program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

// Runs a program to its end and gives its standard output, its last line break removed.
std::string OutputOf(std::vector<std::string> arguments) {
    int out[2];
    if (pipe(out) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string output;
    char block[4096];
    for (ssize_t count; (count = read(out[0], block, sizeof block)) > 0;) {
        output.append(block, static_cast<std::size_t>(count));
    }
    close(out[0]);
    if (spawned == 0) {
        waitpid(pid, nullptr, 0);
    }
    if (output.ends_with('\n')) {
        output.pop_back();
    }
    return output;
}

// A stand-in for TessalPlayer: records the arguments it was started with.
fs::path WriteRecordingPlayer(const fs::path& file, const fs::path& record) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << record.string() << "'\n";
    fs::permissions(file, fs::perms::owner_all);
    return file;
}

class FileTypeAssociationTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment_.Set("XDG_DATA_HOME", (home_.path() / "data").string());
        environment_.Set("XDG_CONFIG_HOME", (home_.path() / "config").string());
        environment_.Set("XDG_RUNTIME_DIR", home_.path().string());  // for the INI lock file
        environment_.Set("GIO_USE_VFS", "local");                    // no session bus needed
        registration_ = {".tessal", "TessalClient.tessal.1.0", "TessalClient Interpretation Files",
                         home_.path() / "opt/tessal/Tessal.png",
                         WriteRecordingPlayer(home_.path() / "opt/tessal/TessalPlayer", record())};
    }

    fs::path data() const { return home_.path() / "data"; }
    fs::path config() const { return home_.path() / "config"; }
    fs::path record() const { return home_.path() / "record"; }

    TempFolder home_;
    ScopedEnvironment environment_;
    FileTypeRegistration registration_;
};

TEST_F(FileTypeAssociationTest, WritesTypeEntryAndDefault) {
    ASSERT_TRUE(RegisterFileType(registration_));
    const std::string package = FileContents(data() / "mime/packages/TessalClient.tessal.1.0.xml");
    EXPECT_NE(package.find("<mime-type type=\"application/x-tessal\">\n"
                           "    <comment>TessalClient Interpretation Files</comment>\n"
                           "    <glob pattern=\"*.tessal\"/>"),
              std::string::npos);
    const std::string entry = FileContents(data() / "applications/TessalClient.tessal.1.0.desktop");
    const std::string player = (home_.path() / "opt/tessal/TessalPlayer").string();
    for (const std::string& line : {"\nExec=" + player + " %f\n", std::string("\nNoDisplay=true\n"),
                                    std::string("\nMimeType=application/x-tessal;\n")}) {
        EXPECT_NE(entry.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(FileContents(config() / "mimeapps.list"),
              "[Default Applications]\napplication/x-tessal=TessalClient.tessal.1.0.desktop\n");
}

TEST_F(FileTypeAssociationTest, DesktopFindsTypeAndDefaultApplication) {
    if (!OnPath("xdg-mime") || !OnPath("gio") || !OnPath("update-mime-database")) {
        GTEST_SKIP() << "xdg-mime, gio or update-mime-database is not installed";
    }
    ASSERT_TRUE(RegisterFileType(registration_));
    const fs::path lesson = home_.path() / "Lesson 1.TESSAL";
    std::ofstream(lesson) << "lesson";
    environment_.Set("XDG_CURRENT_DESKTOP", "GNOME");  // xdg-mime asks gio, which reads XDG
    EXPECT_EQ(OutputOf({"xdg-mime", "query", "filetype", lesson.string()}), "application/x-tessal");
    environment_.Set("XDG_CURRENT_DESKTOP", "X-Generic");
    EXPECT_EQ(OutputOf({"xdg-mime", "query", "default", "application/x-tessal"}),
              "TessalClient.tessal.1.0.desktop");
}

TEST_F(FileTypeAssociationTest, KeepsTheUsersOtherAssociations) {
    fs::create_directories(config());
    std::ofstream(config() / "mimeapps.list")
        << "[Default Applications]\ntext/plain=gedit.desktop\n"
           "application/x-tessal=old.desktop\n[Added Associations]\nimage/png=gimp.desktop;\n";
    ASSERT_TRUE(RegisterFileType(registration_));
    EXPECT_EQ(FileContents(config() / "mimeapps.list"),
              "[Default Applications]\ntext/plain=gedit.desktop\n"
              "application/x-tessal=TessalClient.tessal.1.0.desktop\n"
              "[Added Associations]\nimage/png=gimp.desktop;\n");
}

// A list kept elsewhere and linked in stays linked; a start that finds the default in
// place leaves the file as it is.
TEST_F(FileTypeAssociationTest, ALinkedListStaysALinkAndAnUnchangedDefaultIsNotRewritten) {
    const fs::path own = home_.path() / "dotfiles/mimeapps.list";
    fs::create_directories(own.parent_path());
    fs::create_directories(config());
    std::ofstream(own) << "[Default Applications]\ntext/plain=gedit.desktop\n";
    fs::permissions(own, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(own, config() / "mimeapps.list");
    ASSERT_TRUE(RegisterFileType(registration_));
    EXPECT_TRUE(fs::is_symlink(config() / "mimeapps.list"));
    EXPECT_EQ(FileContents(own),
              "[Default Applications]\ntext/plain=gedit.desktop\n"
              "application/x-tessal=TessalClient.tessal.1.0.desktop\n");
    EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    struct stat before {};
    ASSERT_EQ(stat(own.c_str(), &before), 0);
    ASSERT_TRUE(RegisterFileType(registration_));
    struct stat after {};
    ASSERT_EQ(stat(own.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

// A link whose file is not made yet gets it where it points, folders and all.
TEST_F(FileTypeAssociationTest, ADanglingLinkGetsItsFileWhereItPoints) {
    fs::create_directories(config());
    fs::create_symlink("../dotfiles/new/mimeapps.list", config() / "mimeapps.list");
    ASSERT_TRUE(RegisterFileType(registration_));
    EXPECT_TRUE(fs::is_symlink(config() / "mimeapps.list"));
    EXPECT_EQ(FileContents(home_.path() / "dotfiles/new/mimeapps.list"),
              "[Default Applications]\napplication/x-tessal=TessalClient.tessal.1.0.desktop\n");
}

// A list that cannot be written (a loop, a link below a plain file) stays as it is, and
// the type and its entry are still known to the desktop.
TEST_F(FileTypeAssociationTest, AListThatCannotBeWrittenStillLeavesTheTypeKnown) {
    const fs::path plain = home_.path() / "plain";
    std::ofstream(plain) << "x";
    // A FIFO would block the read for good, and with it the client's end.
    const fs::path fifo = home_.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<const char*, fs::path> links[] = {
        {"loop", "mimeapps.list"}, {"below a file", plain / "mimeapps.list"}, {"a FIFO", fifo}};
    for (const auto& [name, target] : links) {
        fs::remove_all(data());
        fs::remove_all(config());
        fs::create_directories(config());
        fs::create_symlink(target, config() / "mimeapps.list");
        EXPECT_FALSE(RegisterFileType(registration_)) << name;
        EXPECT_EQ(fs::read_symlink(config() / "mimeapps.list"), target) << name;
        EXPECT_TRUE(fs::exists(data() / "applications/TessalClient.tessal.1.0.desktop")) << name;
        if (OnPath("update-mime-database")) {
            EXPECT_NE(FileContents(data() / "mime/globs2").find("application/x-tessal:*.tessal"),
                      std::string::npos)
                << name;
        }
    }
}

TEST_F(FileTypeAssociationTest, EntryStartsPlayerInAFolderWithSpecialCharacters) {
    if (!OnPath("gio")) {
        GTEST_SKIP() << "gio is not installed";
    }
    registration_.command_path =
        WriteRecordingPlayer(home_.path() / "Tessal Desktop $HOME (1)/Tessal\"Play\\er", record());
    ASSERT_TRUE(RegisterFileType(registration_));
    const fs::path lesson = home_.path() / "第1课 it's.tessal";
    OutputOf({"gio", "launch", (data() / "applications/TessalClient.tessal.1.0.desktop").string(),
              lesson.string()});
    // gio starts the player without waiting for it.
    for (int i = 0; i < 500 && FileContents(record()).empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(FileContents(record()), lesson.string() + "\n");
}

TEST_F(FileTypeAssociationTest, UnusableRegistrationWritesNothing) {
    registration_.extension = ".";
    EXPECT_FALSE(RegisterFileType(registration_));
    registration_.extension = ".tessal";
    registration_.prog_id = "../TessalClient";
    EXPECT_FALSE(RegisterFileType(registration_));
    EXPECT_FALSE(fs::exists(data()));
    EXPECT_FALSE(fs::exists(config()));
}

TEST(MimeTypeOfExtension, DerivesTypeFromExtension) {
    EXPECT_EQ(MimeTypeOfExtension(".TESSAL"), "application/x-tessal");
    EXPECT_EQ(MimeTypeOfExtension("."), "");
    EXPECT_EQ(MimeTypeOfExtension(".a/b"), "");
}

TEST(DesktopExecValue, DoublesPercentSoItIsNoFieldCode) {
    EXPECT_EQ(DesktopExecValue("/opt/100%/TessalPlayer"), "/opt/100%%/TessalPlayer %f");
}

}  // namespace
}  // namespace tessal
