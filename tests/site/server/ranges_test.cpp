// Byte ranges as download engines ask for them, including the awkward ones: a resume of
// a file already complete, a block past the end, an empty file, ranges on replies that
// are not files.

#include <gtest/gtest.h>

#include "site/server/reply_writer.h"
#include "tests/site/server/site_fixture.h"
#include "tests/support/temp_folder.h"

namespace tessal::site::test {
namespace {

std::string Bytes(std::size_t count) {
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i)
        bytes += static_cast<char>('a' + i % 26);
    return bytes;
}

class RangesTest : public SiteTest {
protected:
    SiteOptions Options() const override {
        SiteOptions options = SiteTest::Options();
        options.extra_files["/lessons/bench/thousand.tessal"] =
            files_.Write("thousand", Bytes(1000));
        options.extra_files["/lessons/bench/empty.tessal"] = files_.Write("empty", "");
        options.extra_files["/lessons/bench/gone.tessal"] = files_.path() / "gone";
        return options;
    }
    Fetched Thousand(const std::string& range) {
        return Fetch(Url(SiteHost::kDownload1, "/lessons/bench/thousand.tessal"), range);
    }

    TempFolder files_;
};

TEST_F(RangesTest, PartsInsideTheFileAreServedAsAsked) {
    const Fetched middle = Thousand("100-199");
    EXPECT_EQ(middle.status, 206);
    EXPECT_EQ(middle.content_range, "bytes 100-199/1000");
    EXPECT_EQ(middle.body, Bytes(1000).substr(100, 100));
    const Fetched suffix = Thousand("-10");
    EXPECT_EQ(suffix.status, 206);
    EXPECT_EQ(suffix.body, Bytes(1000).substr(990));
    const Fetched whole = Thousand("");
    EXPECT_EQ(whole.status, 200);
    EXPECT_EQ(whole.body, Bytes(1000));
}

TEST_F(RangesTest, RangesAtOrPastTheEndAreClampedOrRefused) {
    const Fetched block = Thousand("0-1048575");  // a segment longer than the file
    EXPECT_EQ(block.status, 206);
    EXPECT_EQ(block.content_range, "bytes 0-999/1000");
    EXPECT_EQ(block.body.size(), 1000u);
    const Fetched complete = Thousand("1000-");  // resuming a finished download
    EXPECT_EQ(complete.status, 416);
    EXPECT_EQ(complete.content_range, "bytes */1000");
    EXPECT_TRUE(complete.body.empty());
    EXPECT_EQ(Thousand("2000-").status, 416);
    EXPECT_EQ(Thousand("0-1,5-9").status, 200);  // several ranges: the whole file
    // httplib refuses a malformed range before the site sees it; it is still recorded.
    EXPECT_EQ(Thousand("500-100").status, 416);
}

TEST_F(RangesTest, AnEmptyFileEndsItsReply) {
    const Fetched empty =
        Fetch(Url(SiteHost::kDownload1, "/lessons/bench/empty.tessal"), "", false, "", 3000);
    EXPECT_EQ(empty.curl_code, 0);
    EXPECT_EQ(empty.status, 200);
    EXPECT_TRUE(empty.body.empty());
}

TEST_F(RangesTest, OnlyFileRepliesHonourRanges) {
    const Fetched list =
        Fetch(Url(SiteHost::kMainSite, "/video_ftp/TessalClient/Updata.xml"), "0-9");
    EXPECT_EQ(list.status, 200);
    EXPECT_GT(list.body.size(), 10u);
    EXPECT_TRUE(list.content_range.empty());
    const Fetched missing = Fetch(Url(SiteHost::kMainSite, "/nothing"), "0-3");
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.body, "not found\n");
    const Fetched gone = Fetch(Url(SiteHost::kDownload1, "/lessons/bench/gone.tessal"), "0-3");
    EXPECT_EQ(gone.status, 404);  // a file the data names but the disk lacks
    EXPECT_EQ(gone.body, "not found\n");

    FaultRule broken;
    broken.host = "Download1";
    broken.status = 500;
    site_->faults().Add(broken);
    const Fetched failed = Thousand("0-9");
    EXPECT_EQ(failed.status, 500);
    EXPECT_TRUE(failed.content_range.empty());
}

TEST(ChooseRange, ReadsTheFormsEnginesSend) {
    ByteRange range;
    EXPECT_EQ(ChooseRange("bytes=0-0", 10, range), RangeAnswer::kPart);
    EXPECT_EQ(range.first, 0u);
    EXPECT_EQ(range.last, 0u);
    EXPECT_EQ(ChooseRange("bytes=-20", 10, range), RangeAnswer::kPart);
    EXPECT_EQ(range.first, 0u);
    EXPECT_EQ(range.last, 9u);
    EXPECT_EQ(ChooseRange("bytes=-0", 10, range), RangeAnswer::kUnsatisfiable);
    EXPECT_EQ(ChooseRange("bytes=0-", 0, range), RangeAnswer::kUnsatisfiable);
    EXPECT_EQ(ChooseRange("items=0-5", 10, range), RangeAnswer::kWhole);
    EXPECT_EQ(ChooseRange("bytes=x-5", 10, range), RangeAnswer::kWhole);
    EXPECT_EQ(ChooseRange("bytes=99999999999999999999999-", 10, range), RangeAnswer::kWhole);
}

}  // namespace
}  // namespace tessal::site::test
