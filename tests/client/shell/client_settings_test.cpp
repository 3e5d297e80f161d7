// The client's settings file: defaults for what is missing, the texts each key accepts,
// and the login channel written back.

#include "client/shell/client_settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/settings/ini_file.h"
#include "tests/support/temp_folder.h"

namespace tessal::client {
namespace {

TEST(ClientSettingsTest, WithoutAFileTheDefaultsHold) {
    TempFolder folder;
    const ClientSettings settings = LoadClientSettings(folder.path());
    EXPECT_EQ(settings.download_root, (folder.path() / "TessalDownload").string() + "/");
    EXPECT_EQ(settings.download_channel, 1);
    EXPECT_EQ(settings.login_channel, 1);
    EXPECT_FALSE(std::filesystem::exists(settings.user_set_file()));
}

TEST(ClientSettingsTest, StoredValuesAreReadAsTheClientReadsThem) {
    TempFolder folder;
    folder.Write("UserSet.ini",
                 "[Client]\nDownLoadFile=/home/学员/课程/\nDownLoadChannel=7\nLoginChannel=3\n");
    const ClientSettings settings = LoadClientSettings(folder.path());
    EXPECT_EQ(settings.download_root, "/home/学员/课程/");
    EXPECT_EQ(settings.download_channel, 7);  // kept as it is until the settings window opens
    EXPECT_EQ(settings.login_channel, 3);

    EXPECT_TRUE(WriteLoginChannel(settings, 2));
    EXPECT_EQ(LoadClientSettings(folder.path()).login_channel, 2);
    EXPECT_EQ(ReadProfileString(settings.user_set_file(), "Client", "DownLoadFile", ""),
              "/home/学员/课程/");
}

TEST(ClientSettingsTest, ChannelTexts) {
    EXPECT_EQ(DownloadChannelOf(""), 1);
    EXPECT_EQ(DownloadChannelOf("2"), 2);
    EXPECT_EQ(DownloadChannelOf("12abc"), 12);
    EXPECT_EQ(DownloadChannelOf("abc"), 0);
    EXPECT_EQ(DownloadChannelOf(" "), 0);
    EXPECT_EQ(LoginChannelOf("1"), 1);
    EXPECT_EQ(LoginChannelOf("2"), 2);
    EXPECT_EQ(LoginChannelOf("3"), 3);
    EXPECT_EQ(LoginChannelOf("4"), 1);
    EXPECT_EQ(LoginChannelOf(" 2"), 1);
    EXPECT_EQ(LoginChannelOf(""), 1);
}

// Workers read the settings while the settings window changes them: every snapshot is
// one whole state (root and channel changed together), never a torn or freed one.
TEST(SettingsStoreTest, SnapshotsTakenDuringChangesAreWholeStates) {
    SettingsStore store(ClientSettings{{}, "x", 1, 1});
    std::atomic<bool> done = false;
    std::atomic<int> torn = 0;
    std::thread reader([&] {
        while (!done) {
            const ClientSettings seen = store.Snapshot();
            if (seen.download_root.size() != static_cast<std::size_t>(seen.download_channel))
                ++torn;
        }
    });
    for (int i = 0; i < 20000; ++i) {
        const int length = 1 + i % 300;  // grows and shrinks the text's storage
        store.Change([length](ClientSettings& settings) {
            settings.download_root.assign(static_cast<std::size_t>(length), 'x');
            settings.download_channel = length;
        });
    }
    done = true;
    reader.join();
    EXPECT_EQ(torn, 0);
}

}  // namespace
}  // namespace tessal::client
