#include "site/builders/media_builder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "common/base/atomic_write.h"
#include "site/builders/run_program.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace tessal::site {
namespace {

namespace fs = std::filesystem;

// Small and quick: the special-cased "life" source and an ordinary one, and one picture
// of each kind.
DemoData TinyData() {
    DemoData data;
    data.clips = {{"clip-a", 2, "testsrc2", 440}, {"clip-b", 3, "life", 550}};
    data.courses.push_back(Course{});
    data.courses[0].picture = "course-1.png";
    data.courses.push_back(Course{});
    data.courses[1].picture = "course-2.jpg";
    data.members.push_back(Member{});
    data.members[0].head_picture = "head-1.JPEG";
    data.pushes.push_back(PushMessage{});
    data.pushes[0].picture = "push-1.png";
    return data;
}

// "key=value" lines of ffprobe for the first video and audio streams and the format.
std::map<std::string, std::string> Probe(const fs::path& file) {
    const ProgramResult result =
        RunProgram({"ffprobe", "-v", "error", "-show_entries",
                    "stream=codec_type,codec_name,width,height:format=duration,format_name", "-of",
                    "flat=s=_", file.string()});
    std::map<std::string, std::string> values;
    std::size_t start = 0;
    while (start < result.output.size()) {
        std::size_t end = result.output.find('\n', start);
        if (end == std::string::npos) {
            end = result.output.size();
        }
        const std::string line = result.output.substr(start, end - start);
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) {
            std::string value = line.substr(equals + 1);
            if (value.size() >= 2 && value.front() == '"') {
                value = value.substr(1, value.size() - 2);
            }
            values[line.substr(0, equals)] = value;
        }
        start = end + 1;
    }
    return values;
}

std::vector<std::string> NamesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct Identity {
    ino_t inode = 0;
    fs::file_time_type modified;
    bool operator==(const Identity& other) const {
        return inode == other.inode && modified == other.modified;
    }
};

Identity IdentityOf(const fs::path& file) {
    struct stat status {};
    ::stat(file.c_str(), &status);
    return {status.st_ino, fs::last_write_time(file)};
}

class MediaBuilder : public ::testing::Test {
protected:
    void Build() {
        std::string error;
        ASSERT_TRUE(BuildMedia(data_, folder_.path(), error)) << error;
    }
    fs::path Clip(std::size_t index) const {
        return ClipFile(folder_.path(), data_.clips[index].name);
    }
    fs::path Picture(const std::string& name) const { return PictureFile(folder_.path(), name); }

    DemoData data_ = TinyData();
    TempFolder folder_;
};

TEST_F(MediaBuilder, ClipsAreVp8AndVorbisWebmOfTheirLength) {
    Build();
    for (std::size_t i = 0; i < data_.clips.size(); ++i) {
        SCOPED_TRACE(data_.clips[i].name);
        EXPECT_EQ(Clip(i), folder_.path() / "clips" / (data_.clips[i].name + ".webm"));
        auto probe = Probe(Clip(i));
        EXPECT_EQ(probe["streams_stream_0_codec_name"], "vp8");
        EXPECT_EQ(probe["streams_stream_0_width"], "320");
        EXPECT_EQ(probe["streams_stream_0_height"], "180");
        EXPECT_EQ(probe["streams_stream_1_codec_name"], "vorbis");
        EXPECT_NE(probe["format_format_name"].find("webm"), std::string::npos);
        EXPECT_NEAR(std::atof(probe["format_duration"].c_str()), data_.clips[i].seconds, 0.5);
    }
}

TEST_F(MediaBuilder, PicturesHaveTheFormatTheirExtensionNames) {
    Build();
    const std::string png_magic = "\x89PNG\r\n\x1a\n";
    const std::string jpeg_magic = "\xff\xd8\xff";
    EXPECT_EQ(FileContents(Picture("course-1.png")).substr(0, 8), png_magic);
    EXPECT_EQ(FileContents(Picture("push-1.png")).substr(0, 8), png_magic);
    EXPECT_EQ(FileContents(Picture("course-2.jpg")).substr(0, 3), jpeg_magic);
    EXPECT_EQ(FileContents(Picture("head-1.JPEG")).substr(0, 3), jpeg_magic);

    auto course = Probe(Picture("course-2.jpg"));
    EXPECT_EQ(course["streams_stream_0_codec_name"], "mjpeg");
    EXPECT_EQ(course["streams_stream_0_width"], "240");
    EXPECT_EQ(course["streams_stream_0_height"], "135");
    auto head = Probe(Picture("head-1.JPEG"));
    EXPECT_EQ(head["streams_stream_0_width"], head["streams_stream_0_height"]);
    // Colours come from the name, so two pictures of one kind still differ.
    EXPECT_NE(FileContents(Picture("course-1.png")), FileContents(Picture("push-1.png")));
}

TEST_F(MediaBuilder, RemakesOnlyWhatIsMissingOrMadeFromOtherArguments) {
    Build();
    const Identity clip_a = IdentityOf(Clip(0));
    const Identity clip_b = IdentityOf(Clip(1));
    const Identity picture = IdentityOf(Picture("course-1.png"));
    {
        // With no ffmpeg to be found, a rebuild can only succeed by running none.
        TempFolder empty;
        ScopedEnvironment path("PATH", empty.path().string());
        Build();
    }
    EXPECT_EQ(IdentityOf(Clip(0)), clip_a);
    EXPECT_EQ(IdentityOf(Picture("course-1.png")), picture);

    data_.clips[0].tone_hz = 880;
    fs::remove(Picture("course-1.png"));
    Build();
    EXPECT_FALSE(IdentityOf(Clip(0)) == clip_a);
    EXPECT_EQ(IdentityOf(Clip(1)), clip_b);
    EXPECT_TRUE(fs::is_regular_file(Picture("course-1.png")));

    // A file whose record of what made it is gone is not trusted either.
    fs::remove(Clip(1).string() + kMadeFromSuffix);
    Build();
    EXPECT_FALSE(IdentityOf(Clip(1)) == clip_b);
}

TEST_F(MediaBuilder, AFailedFfmpegKeepsTheOldFileAndLeavesNoPart) {
    data_.clips.resize(1);
    fs::create_directories(folder_.path() / "clips");
    ASSERT_TRUE(WriteFileAtomically(Clip(0), "old clip"));
    // Writes part of its output, then fails, as an ffmpeg that runs out of disk would.
    TempFolder programs;
    const fs::path fake = programs.Write("ffmpeg",
                                         "#!/bin/sh\n"
                                         "for last; do :; done\n"
                                         "printf partial > \"${last#file:}\"\n"
                                         "echo 'disk full' >&2\n"
                                         "exit 3\n");
    fs::permissions(fake, fs::perms::owner_all);
    ScopedEnvironment path("PATH", programs.path().string() + ":/usr/bin:/bin");

    std::string error;
    EXPECT_FALSE(BuildMedia(data_, folder_.path(), error));
    EXPECT_NE(error.find("exit status 3"), std::string::npos) << error;
    EXPECT_NE(error.find("ffmpeg -loglevel error"), std::string::npos) << error;
    EXPECT_NE(error.find("disk full"), std::string::npos) << error;
    EXPECT_EQ(FileContents(Clip(0)), "old clip");
    EXPECT_EQ(NamesIn(folder_.path() / "clips"), std::vector<std::string>{"clip-a.webm"});
}

TEST_F(MediaBuilder, AnUnknownSourceFailsWithFfmpegsMessage) {
    data_.clips = {{"clip-x", 1, "nosuchsource", 440}};
    std::string error;
    EXPECT_FALSE(BuildMedia(data_, folder_.path(), error));
    EXPECT_NE(error.find("nosuchsource"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_empty(folder_.path() / "clips"));
}

TEST_F(MediaBuilder, SaysSoWhenFfmpegIsMissing) {
    TempFolder empty;
    ScopedEnvironment path("PATH", empty.path().string());
    std::string error;
    EXPECT_FALSE(BuildMedia(data_, folder_.path(), error));
    EXPECT_NE(error.find("ffmpeg is needed"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_empty(folder_.path() / "clips"));
}

TEST_F(MediaBuilder, RefusesNamesThatLeaveTheirFolderOrHaveNoKnownFormat) {
    const fs::path media = folder_.path() / "media";
    for (const auto& [clip, picture] :
         std::vector<std::pair<std::string, std::string>>{{"../clip", "a.png"},
                                                          {"..", "a.png"},
                                                          {"clip", "../a.png"},
                                                          {"clip", "sub/a.jpg"},
                                                          {"clip", "a.gif"},
                                                          {"clip", "a"}}) {
        SCOPED_TRACE(clip + " " + picture);
        DemoData data;
        data.clips = {{clip, 1, "testsrc2", 440}};
        data.courses.push_back(Course{});
        data.courses[0].picture = picture;
        std::string error;
        EXPECT_FALSE(BuildMedia(data, media, error));
        EXPECT_FALSE(error.empty());
    }
    // Names are checked before anything is made.
    EXPECT_EQ(folder_.FileNames(), std::vector<std::string>{});
}

}  // namespace
}  // namespace tessal::site
