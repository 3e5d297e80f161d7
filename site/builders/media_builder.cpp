#include "site/builders/media_builder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/base/atomic_write.h"
#include "common/files/file_helpers.h"
#include "site/builders/run_program.h"

namespace tessal::site {
namespace fs = std::filesystem;
namespace {

constexpr const char* kFfmpeg = "ffmpeg";
constexpr int kClipWidth = 320;
constexpr int kClipHeight = 180;
constexpr int kClipRate = 25;
constexpr int kPictureWidth = 240;
constexpr int kPictureHeight = 135;
constexpr int kHeadPictureSide = 96;
constexpr const char* kLabelFont = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";

// These sources draw at a fixed size and refuse a size option; the scale filter brings
// them to the clip size instead.
constexpr std::array<std::string_view, 4> kFixedSizeSources = {"allrgb", "allyuv", "haldclutsrc",
                                                               "mptestsrc"};

std::vector<std::string> CommonArguments() {
    return {"-loglevel", "error", "-nostdin", "-y"};
}

// "life" becomes "life=s=320x180:r=25"; options already in the pattern are kept.
std::string VideoSource(const std::string& pattern) {
    const std::size_t equals = pattern.find('=');
    const std::string name = pattern.substr(0, equals);
    std::string options = equals == std::string::npos ? "" : pattern.substr(equals + 1);
    const auto add = [&options](const std::string& option) {
        if (!options.empty()) {
            options += ':';
        }
        options += option;
    };
    if (std::find(kFixedSizeSources.begin(), kFixedSizeSources.end(), name) ==
        kFixedSizeSources.end()) {
        add("s=" + std::to_string(kClipWidth) + "x" + std::to_string(kClipHeight));
    }
    add("r=" + std::to_string(kClipRate));
    return name + "=" + options;
}

std::vector<std::string> ClipArguments(const MediaClip& clip) {
    std::vector<std::string> arguments = CommonArguments();
    const std::string size = std::to_string(kClipWidth) + ":" + std::to_string(kClipHeight);
    const std::vector<std::string> rest = {
        "-f",        "lavfi",
        "-i",        VideoSource(clip.pattern),
        "-f",        "lavfi",
        "-i",        "sine=frequency=" + std::to_string(clip.tone_hz) + ":sample_rate=44100",
        "-map",      "0:v",
        "-map",      "1:a",
        "-t",        std::to_string(clip.seconds),
        "-vf",       "scale=" + size + ",setsar=1",
        "-r",        std::to_string(kClipRate),
        "-pix_fmt",  "yuv420p",
        "-threads",  "1",
        "-c:v",      "libvpx",
        "-deadline", "realtime",
        "-cpu-used", "8",
        "-b:v",      "400k",
        "-c:a",      "libvorbis",
        "-q:a",      "2",
        "-f",        "webm"};
    arguments.insert(arguments.end(), rest.begin(), rest.end());
    return arguments;
}

std::uint32_t NameHash(std::string_view name) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

std::string ColourText(std::uint32_t rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06x", static_cast<unsigned>(rgb & 0xffffffu));
    return text;
}

std::string LowerExtension(const std::string& name) {
    std::string extension = fs::path(name).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// The label drawn over a picture; characters that the filter syntax would take for its
// own are left out, since the label only decorates the picture.
std::string LabelFilter(const std::string& label, int height) {
    std::error_code ignored;
    if (label.empty() || !fs::exists(kLabelFont, ignored))
        return {};
    std::string text;
    for (char c : label) {
        if (std::string_view("\\':,;[]%=").find(c) == std::string_view::npos)
            text += c;
    }
    const int size = text.size() <= 4 ? height / 2 : height / 7;
    return "drawtext=fontfile=" + std::string(kLabelFont) + ":expansion=none:text=" + text +
           ":fontsize=" + std::to_string(size) +
           ":fontcolor=white:borderw=2:bordercolor=black@0.5:x=(w-text_w)/2:y=(h-text_h)/2";
}

// A two-colour gradient whose colours come from the name, so that every picture differs,
// with its label written across it.
bool PictureArguments(const std::string& name, const std::string& label,
                      std::vector<std::string>& arguments, std::string& error) {
    const std::string extension = LowerExtension(name);
    std::vector<std::string> codec;
    if (extension == ".png") {
        codec = {"-pix_fmt", "rgb24", "-c:v", "png"};
    } else if (extension == ".jpg" || extension == ".jpeg") {
        codec = {"-pix_fmt", "yuvj420p", "-c:v", "mjpeg", "-q:v", "3"};
    } else {
        error = "picture " + name + ": only .png, .jpg and .jpeg pictures can be made";
        return false;
    }
    const bool head = name.rfind("head-", 0) == 0;
    const int width = head ? kHeadPictureSide : kPictureWidth;
    const int height = head ? kHeadPictureSide : kPictureHeight;
    const std::uint32_t colour = NameHash(name);
    const std::string source = "gradients=s=" + std::to_string(width) + "x" +
                               std::to_string(height) + ":c0=" + ColourText(colour) +
                               ":c1=" + ColourText(~colour) +
                               ":x0=0:y0=0:x1=" + std::to_string(width - 1) +
                               ":y1=" + std::to_string(height - 1) + ":n=2:seed=1";
    arguments = CommonArguments();
    const std::vector<std::string> rest = {"-f",        "lavfi", "-i",       source,
                                           "-frames:v", "1",     "-threads", "1"};
    arguments.insert(arguments.end(), rest.begin(), rest.end());
    if (const std::string filter = LabelFilter(label, height); !filter.empty()) {
        arguments.insert(arguments.end(), {"-vf", filter});
    }
    arguments.insert(arguments.end(), codec.begin(), codec.end());
    const std::vector<std::string> format = {"-f", "image2", "-update", "1"};
    arguments.insert(arguments.end(), format.begin(), format.end());
    return true;
}

std::string FailureText(const std::vector<std::string>& command, const ProgramResult& result) {
    if (!result.started) {
        return "ffmpeg is needed to make the demo media (" + result.failure + ")";
    }
    std::string text = "ffmpeg failed";
    text += result.exit_status >= 0 ? " with exit status " + std::to_string(result.exit_status)
                                    : " (" + result.failure + ")";
    text += ": " + CommandText(command);
    if (!result.errors.empty()) {
        text += "\n" + result.errors;
    }
    return text;
}

// Runs ffmpeg into a temporary file beside `target` and renames it over the target only
// when ffmpeg succeeded; skipped when the target was made from the same arguments.
bool MakeFile(const fs::path& target, const std::vector<std::string>& arguments,
              std::string& error) {
    const std::string made_from = CommandText(arguments) + "\n";
    const fs::path record = target.string() + kMadeFromSuffix;
    std::error_code ignored;
    if (fs::is_regular_file(target, ignored) && ReadWholeFile(record) == made_from) {
        return true;
    }

    AtomicFile output(target);
    if (!output.is_open()) {
        error =
            target.string() + ": cannot create a temporary file beside it: " + std::strerror(errno);
        return false;
    }
    std::vector<std::string> command = {kFfmpeg};
    command.insert(command.end(), arguments.begin(), arguments.end());
    // "file:" keeps ffmpeg from taking a ":" in the name for a protocol.
    command.push_back("file:" + fs::absolute(output.temporary_path()).string());
    const ProgramResult result = RunProgram(command);
    if (!result.Succeeded()) {
        error = target.string() + ": " + FailureText(command, result);
        return false;
    }
    if (!output.Commit() || !WriteFileAtomically(record, made_from)) {
        error = target.string() + ": cannot be written: " + std::strerror(errno);
        return false;
    }
    return true;
}

bool CheckMediaData(const DemoData& data, std::string& error) {
    for (const MediaClip& clip : data.clips) {
        if (!IsPlainFileName(clip.name) || clip.seconds <= 0 || clip.tone_hz <= 0 ||
            clip.pattern.empty()) {
            error = "clip \"" + clip.name +
                    "\": needs a plain file name, a pattern and positive seconds and tone_hz";
            return false;
        }
    }
    for (const auto& [picture, label] : data.PictureLabels()) {
        std::vector<std::string> arguments;
        if (!IsPlainFileName(picture)) {
            error = "picture \"" + picture + "\": not a plain file name";
            return false;
        }
        if (!PictureArguments(picture, label, arguments, error)) {
            return false;
        }
    }
    return true;
}

bool CreateFolder(const fs::path& folder, std::string& error) {
    std::error_code failure;
    fs::create_directories(folder, failure);
    if (failure) {
        error = folder.string() + ": cannot be created: " + failure.message();
        return false;
    }
    return true;
}

}  // namespace

bool BuildMedia(const DemoData& data, const fs::path& folder, std::string& error) {
    if (!CheckMediaData(data, error) || !CreateFolder(folder / kClipsFolder, error) ||
        !CreateFolder(folder / kPicturesFolder, error)) {
        return false;
    }
    for (const MediaClip& clip : data.clips) {
        if (!MakeFile(ClipFile(folder, clip.name), ClipArguments(clip), error)) {
            return false;
        }
    }
    for (const auto& [picture, label] : data.PictureLabels()) {
        std::vector<std::string> arguments;
        if (!PictureArguments(picture, label, arguments, error) ||
            !MakeFile(PictureFile(folder, picture), arguments, error)) {
            return false;
        }
    }
    return true;
}

}  // namespace tessal::site
