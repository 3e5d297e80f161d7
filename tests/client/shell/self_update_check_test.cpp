// The client's own update check against the reference site: which files it replaces and
// how, the exact log lines of each failure, the lists it refuses and keeps, paths from
// the list that would lead out of the program folder, and an end of the client that
// stops the check without starting TessalUpdata.

#include "client/shell/self_update_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "common/files/md5.h"
#include "site/server/reference_site.h"
#include "tests/support/refused_port.h"
#include "tests/support/temp_folder.h"

namespace tessal::client::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

struct Item {
    std::string name, url, local, md5;
};

// A client list: "Progarm" children of the root, empty attributes left out.
std::string ListXml(const std::vector<Item>& items) {
    tinyxml2::XMLDocument document;
    document.InsertEndChild(document.NewDeclaration());
    auto* root = document.NewElement("TessalUpdata");
    document.InsertEndChild(root);
    for (const Item& item : items) {
        auto* element = root->InsertNewChildElement("Progarm");
        const auto set = [element](const char* key, const std::string& value) {
            if (!value.empty())
                element->SetAttribute(key, value.c_str());
        };
        set("name", item.name);
        set("url", item.url);
        set("local", item.local);
        set("md5", item.md5);
    }
    tinyxml2::XMLPrinter printer;
    document.Print(&printer);
    return printer.CStr();
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

fs::perms Mode(const fs::path& file) {
    return fs::status(file).permissions() & fs::perms::mask;
}

class SelfUpdateCheckTest : public ::testing::Test {
protected:
    static constexpr const char* kNewBytes = "the new client file\n";

    void SetUp() override {
        site::SiteOptions options = site::DefaultSiteOptions();
        options.base_port = 0;
        site_ = std::make_unique<site::ReferenceSite>(options);
        std::string error;
        ASSERT_TRUE(site_->Start(error)) << error;
        settings_ = SiteSettings::Load(folder_.Write("Site.ini", site_->SiteIniText()));
        fs::create_directories(Path("New"));
        fs::create_directories(Path("cache/technology"));
        log_ = std::make_unique<DailyLog>(Path("cache/technology"));
        new_url_ = ServeFile("client.bin", kNewBytes);
    }
    void TearDown() override {
        log_.reset();
        site_->Stop();
    }

    fs::path Path(const fs::path& relative) const { return folder_.path() / relative; }
    std::string Contents(const fs::path& relative) const { return FileContents(Path(relative)); }

    void Run(const std::atomic<bool>* abandon = nullptr) {
        RunSelfUpdateCheck({folder_.path(), settings_, log_.get(),
                            [this] {
                                ++updater_starts_;
                                return true;
                            },
                            abandon});
    }
    void Spoil(const std::string& path, site::FaultRule rule) {
        rule.host = "MainSite";
        rule.path = path;
        site_->faults().Add(std::move(rule));
    }
    void ServeList(const std::string& xml) {
        site::FaultRule rule;
        rule.body = xml;
        Spoil(kClientUpdateListPath, rule);
    }
    std::string ServeFile(const std::string& file, const std::string& bytes) {
        site::FaultRule rule;
        rule.body = bytes;
        Spoil(site::kUpdateFilePathPrefix + file, rule);
        return site_->urls().UpdateFileUrl(file);
    }
    // The item that brings `local` up to date with the served new file.
    Item NewFile(const std::string& local, const std::string& name = "client.new") const {
        return {name, new_url_, local, TextMd5(kNewBytes)};
    }
    std::string Log() {
        log_->Flush();
        std::string all;
        for (const auto& entry : fs::directory_iterator(Path("cache/technology")))
            all += FileContents(entry.path());
        return all;
    }
    std::vector<std::string> FetchedFiles() const {
        std::vector<std::string> files;
        for (const auto& request : site_->requests().All()) {
            if (request.path.starts_with(site::kUpdateFilePathPrefix))
                files.push_back(
                    request.path.substr(std::string(site::kUpdateFilePathPrefix).size()));
        }
        return files;
    }

    TempFolder folder_;
    std::unique_ptr<site::ReferenceSite> site_;
    SiteSettings settings_;
    std::unique_ptr<DailyLog> log_;
    std::string new_url_;
    int updater_starts_ = 0;
};

TEST_F(SelfUpdateCheckTest, AnUnreachableSiteLeavesNoCopyLogsNothingAndStartsTheUpdater) {
    tessal::test::RefusedPort refused;
    settings_ = SiteSettings::Load(folder_.Write(
        "Site.ini", "[Hosts]\nMainSite=127.0.0.1:" + std::to_string(refused.port()) + "\n"));
    Run();
    EXPECT_FALSE(fs::exists(Path(kClientUpdateListFile)));
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(updater_starts_, 1);
}

TEST_F(SelfUpdateCheckTest, TheDemoListIsKeptAndItsFileInstalled) {
    Run();
    EXPECT_THAT(Contents(kClientUpdateListFile), HasSubstr("<Progarm name=\"TessalNotice.txt\""));
    EXPECT_EQ(FileMd5(Path("TessalNotice.txt")),
              FileMd5(fs::path(site_->data().folder) / "updates" / "TessalNotice.txt"));
    EXPECT_EQ(updater_starts_, 1);
}

TEST_F(SelfUpdateCheckTest, AFileMatchingTheDigestInCapitalsIsNotDownloaded) {
    folder_.Write("client.bin", kNewBytes);
    ServeList(ListXml({{"client.new", new_url_, "client.bin", Upper(TextMd5(kNewBytes))}}));
    Run();
    EXPECT_THAT(FetchedFiles(), IsEmpty());
    EXPECT_EQ(updater_starts_, 1);
}

TEST_F(SelfUpdateCheckTest, AnItemWithoutUrlIsLoggedAndTheNextOneStillUpdated) {
    const std::string md5 = TextMd5(kNewBytes);
    ServeList(ListXml({{"a.new", "", "a.bin", md5}, NewFile("b.bin")}));
    Run();
    EXPECT_THAT(Log(), HasSubstr("xml解析失败name:a.new url: local:a.bin md5:" + md5));
    EXPECT_FALSE(fs::exists(Path("a.bin")));
    EXPECT_EQ(Contents("b.bin"), kNewBytes);
}

TEST_F(SelfUpdateCheckTest, TheParseFailureLineIsCutToItsBufferOnACharacterBoundary) {
    // The prefix takes 20 bytes and each "名" three, so the 259th byte falls inside one:
    // the line keeps 79 of them.
    std::string name;
    while (name.size() < 300)
        name += "名";
    ServeList(ListXml({{name, "", "a.bin", "x"}}));
    Run();
    EXPECT_THAT(Log(), HasSubstr("=xml解析失败name:" + name.substr(0, 79 * 3) + "\n"));
}

TEST_F(SelfUpdateCheckTest, ARootWithoutProgarmChildrenOnlyStartsTheUpdater) {
    ServeList("<TessalUpdata><Program name=\"a\" url=\"" + new_url_ +
              "\" local=\"a.bin\" md5=\"0\"/><layout><Progarm name=\"b\" url=\"" + new_url_ +
              "\" local=\"b.bin\" md5=\"0\"/></layout></TessalUpdata>");
    Run();
    EXPECT_THAT(FetchedFiles(), IsEmpty());
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(updater_starts_, 1);
}

TEST_F(SelfUpdateCheckTest, AnOutdatedFileIsReplacedKeepingItsMode) {
    struct Case {
        const char* local;
        std::optional<fs::perms> installed;
        fs::perms expected;
    };
    using fs::perms;
    const Case cases[] = {
        {"kept750", perms::owner_all | perms::group_read | perms::group_exec,
         perms::owner_all | perms::group_read | perms::group_exec},
        {"kept644", perms::owner_read | perms::owner_write | perms::group_read | perms::others_read,
         perms::owner_read | perms::owner_write | perms::group_read | perms::others_read},
        {"added", std::nullopt,
         perms::owner_all | perms::group_read | perms::group_exec | perms::others_read |
             perms::others_exec},
    };
    std::vector<Item> items;
    for (const Case& c : cases) {
        if (c.installed) {
            fs::permissions(folder_.Write(c.local, "old"), *c.installed);
        }
        items.push_back(NewFile(c.local, std::string(c.local) + ".new"));
    }
    ServeList(ListXml(items));
    Run();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.local);
        EXPECT_EQ(Contents(c.local), kNewBytes);
        EXPECT_EQ(Mode(Path(c.local)), c.expected);
    }
    EXPECT_TRUE(fs::is_empty(Path("New")));
}

TEST_F(SelfUpdateCheckTest, PathsLeadingOutOfTheProgramFolderAreRefused) {
    TempFolder outside;
    fs::create_directory_symlink(outside.path(), Path("out"));
    const std::string absolute = (outside.path() / "x").string();
    struct Case {
        std::string name, local, refused;
    };
    const Case cases[] = {
        {"a.new", "../x", "../x"}, {"b.new", absolute, absolute}, {"c.new", "out/x", "out/x"},
        {"../x", "d.bin", "../x"}, {"sub/x", "e.bin", "sub/x"},   {"..", "f.bin", ".."},
    };
    std::vector<Item> items;
    for (const Case& c : cases)
        items.push_back(NewFile(c.local, c.name));
    ServeList(ListXml(items));
    Run();
    const std::string log = Log();
    for (const Case& c : cases)
        EXPECT_THAT(log, HasSubstr("Refused path outside the program folder:" + c.refused + "\n"));
    EXPECT_THAT(FetchedFiles(), IsEmpty());
    EXPECT_THAT(outside.FileNames(), IsEmpty());
    EXPECT_TRUE(fs::is_empty(Path("New")));
    EXPECT_EQ(updater_starts_, 1);
}

TEST_F(SelfUpdateCheckTest, AFailedDownloadIsLoggedAndLeavesTheInstalledFile) {
    struct Case {
        const char* what;
        std::string url;
        bool staging_folder;
    };
    const Case cases[] = {
        {"missing on the site", site_->urls().UpdateFileUrl("no-such-file.bin"), true},
        {"no staging folder", new_url_, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.staging_folder)
            fs::remove_all(Path("New"));
        folder_.Write("client.bin", "old");
        ServeList(ListXml({{"client.new", c.url, "client.bin", TextMd5(kNewBytes)}}));
        Run();
        EXPECT_THAT(Log(), HasSubstr("DownLoad Fail  url:" + c.url + " local:./New/client.new\n"));
        EXPECT_EQ(Contents("client.bin"), "old");
        EXPECT_EQ(fs::exists(Path("New")), c.staging_folder);
    }
    EXPECT_EQ(updater_starts_, 2);
}

TEST_F(SelfUpdateCheckTest, ADownloadThatIsNotTheListedFileIsNotInstalled) {
    folder_.Write("client.bin", "old");
    ServeList(ListXml({{"client.new", new_url_, "client.bin", TextMd5("other bytes")}}));
    Run();
    EXPECT_EQ(Contents("client.bin"), "old");
    EXPECT_THAT(Log(), HasSubstr("md5 mismatch:./New/client.new url:" + new_url_));
}

TEST_F(SelfUpdateCheckTest, AFailedMoveIsLoggedWithTheListsPaths) {
    fs::create_directories(Path("Layout/client.bin/inner"));
    ServeList(ListXml({NewFile("Layout/client.bin")}));
    Run();
    EXPECT_THAT(Log(), HasSubstr("MoveFile:./New/client.newTo:Layout/client.bin  fail\n"));
    EXPECT_TRUE(fs::is_directory(Path("Layout/client.bin/inner")));
}

TEST_F(SelfUpdateCheckTest, AnUnreadableListLogsTheReadersErrorAndStartsTheUpdater) {
    const char* bodies[] = {"this is not XML <", "<?xml version=\"1.0\"?>\n<!-- nothing -->\n"};
    for (const char* body : bodies) {
        SCOPED_TRACE(body);
        ServeList(body);
        Run();
        tinyxml2::XMLDocument document;
        const bool loaded =
            document.LoadFile(Path(kClientUpdateListFile).c_str()) == tinyxml2::XML_SUCCESS;
        const std::string expected =
            loaded ? "Failed to load file: No root element" : document.ErrorStr();
        EXPECT_THAT(Log(), HasSubstr("=" + expected + "\n"));
    }
    EXPECT_EQ(updater_starts_, 2);
}

TEST_F(SelfUpdateCheckTest, ListsThatAreNotTakenLeaveTheEarlierCopyInUse) {
    struct Case {
        const char* what;
        std::string reply;
    };
    std::string padded = ListXml({NewFile("b.bin")});
    padded.insert(padded.find("<TessalUpdata"), kMaxClientUpdateListBytes, ' ');
    const Case cases[] = {{"empty", ""}, {"over the bound", padded}};
    const std::string earlier = ListXml({NewFile("a.bin")});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(Path("a.bin"));
        folder_.Write(kClientUpdateListFile, earlier);
        ServeList(c.reply);
        Run();
        EXPECT_EQ(Contents(kClientUpdateListFile), earlier);
        EXPECT_EQ(Contents("a.bin"), kNewBytes);
        EXPECT_FALSE(fs::exists(Path("b.bin")));
    }
}

TEST_F(SelfUpdateCheckTest, AListOfExactlyTheBoundIsTaken) {
    std::string list = ListXml({NewFile("b.bin")});
    list.insert(list.find("<TessalUpdata"), kMaxClientUpdateListBytes - list.size(), ' ');
    ServeList(list);
    Run();
    EXPECT_EQ(Contents("b.bin"), kNewBytes);
}

TEST_F(SelfUpdateCheckTest, AnEndingClientStopsTheCheckAtOnceWithoutTheUpdater) {
    struct Case {
        const char* what;
        std::string path;
        site::FaultRule rule;
    };
    site::FaultRule late_list;
    late_list.delay_ms = 20000;
    site::FaultRule slow_file;
    slow_file.rate_bytes_per_second = 1;
    const Case cases[] = {
        {"list request", kClientUpdateListPath, late_list},
        {"file download", std::string(site::kUpdateFilePathPrefix) + "TessalNotice.txt", slow_file},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        site_->faults().Clear();
        folder_.Write("TessalNotice.txt", "old");
        Spoil(c.path, c.rule);
        std::atomic<bool> abandon{false};
        std::thread raiser([&abandon] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            abandon = true;
        });
        const auto start = std::chrono::steady_clock::now();
        Run(&abandon);
        const auto took = std::chrono::steady_clock::now() - start;
        raiser.join();
        EXPECT_LT(took, std::chrono::seconds(4));
        EXPECT_EQ(Contents("TessalNotice.txt"), "old");
        EXPECT_THAT(Log(), Not(HasSubstr("DownLoad Fail")));
    }
    EXPECT_EQ(updater_starts_, 0);
}

}  // namespace
}  // namespace tessal::client::test
