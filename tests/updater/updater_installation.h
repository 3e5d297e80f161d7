#pragma once

// The real TessalUpdata in a temporary installation against its own reference site,
// with the helpers the updater's tests share: update lists written as text, the staged
// and installed files, the daily log and the site's record of what was fetched.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/installation/test_installation.h"

namespace tessal::updater::test {

struct ListItem {
    std::string name;
    std::string truename;
    std::string url;
    std::string local;
    std::string md5;
    std::string priority;
};

struct ListGroup {
    std::string group;
    std::vector<ListItem> items;
};

// "Updata.xml" text: a "version" element (with "id" unless `id` is empty), then the
// groups; empty attributes are left out.
std::string ListXml(std::optional<std::string> id, const std::vector<ListGroup>& groups);

class UpdaterTest : public ::testing::Test {
protected:
    void SetUp() override;

    tessal::test::TestInstallation& installation() { return installation_; }
    site::ReferenceSite& site() { return installation_.site(); }
    std::filesystem::path Path(const std::filesystem::path& relative) const {
        return installation_.folder() / relative;
    }

    // Both runs check that the program ended by itself with 0.
    tessal::test::ProcessResult RunDownload();
    tessal::test::ProcessResult RunInstall(const std::string& argument = "end##u##");

    // The list the site serves instead of the data set's.
    void ServeList(const std::string& xml);
    // `bytes` served as the update file `file` (a name the data set need not hold); its URL.
    std::string ServeUpdateFile(const std::string& file, const std::string& bytes);
    // The local copy the install phase reads.
    void WriteLocalList(const std::string& xml);
    void WriteInstalledVersion(const std::string& version);
    std::string InstalledVersionText() const;  // "<missing>" when there is no file

    // A demo update file's contents, served URL and digest.
    std::string DemoFile(const std::string& file);
    std::string DemoUrl(const std::string& file);
    std::string DemoMd5(const std::string& file);

    std::string Contents(const std::filesystem::path& relative) const;
    std::string Md5Of(const std::filesystem::path& relative) const;
    std::vector<std::string> StagedNames() const;  // entries of New/ but Version.ini
    std::string LogText() const;                   // every daily log of the updater
    // The update files the site was asked for, by file name.
    std::vector<std::string> FetchedUpdateFiles();

private:
    tessal::test::TestInstallation installation_;
};

}  // namespace tessal::updater::test
