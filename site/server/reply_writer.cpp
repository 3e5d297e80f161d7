#include "site/server/reply_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <memory>

namespace tessal::site {
namespace {

constexpr std::size_t kChunkBytes = 256 * 1024;
constexpr auto kThrottleTick = std::chrono::milliseconds(50);

// The bytes of a reply body, read piece by piece from memory or from a file.
class BodySource {
public:
    virtual ~BodySource() = default;
    virtual std::size_t size() const = 0;
    virtual bool Read(std::size_t offset, std::size_t length, std::string& out) = 0;
};

class TextSource : public BodySource {
public:
    explicit TextSource(std::string text) : text_(std::move(text)) {}
    std::size_t size() const override { return text_.size(); }
    bool Read(std::size_t offset, std::size_t length, std::string& out) override {
        out.assign(text_, offset, length);
        return true;
    }

private:
    std::string text_;
};

class FileSource : public BodySource {
public:
    explicit FileSource(const std::filesystem::path& file)
        : fd_(::open(file.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat info {};
        if (fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) {
            size_ = static_cast<std::size_t>(info.st_size);
        } else if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~FileSource() override {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool is_open() const { return fd_ >= 0; }
    std::size_t size() const override { return size_; }
    bool Read(std::size_t offset, std::size_t length, std::string& out) override {
        out.resize(length);
        std::size_t done = 0;
        while (done < length) {
            const ssize_t got =
                ::pread(fd_, out.data() + done, length - done, static_cast<off_t>(offset + done));
            if (got <= 0)
                return false;
            done += static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int fd_;
    std::size_t size_ = 0;
};

// Feeds httplib one chunk per call; cut-off and throttling live here so that they work
// the same for every body, byte ranges included.
struct Feeder {
    std::shared_ptr<BodySource> source;
    std::size_t first_byte = 0;  // where the range sent starts in the source
    std::int64_t cut_after_bytes = -1;
    std::int64_t rate_bytes_per_second = 0;
    StopSignal* stop = nullptr;
    CutSignal cut;
    std::int64_t sent = 0;
    std::string buffer;

    std::size_t ChunkFor(std::size_t wanted) const {
        std::size_t chunk = std::min(wanted, kChunkBytes);
        if (rate_bytes_per_second > 0) {
            const auto per_tick = std::max<std::int64_t>(1, rate_bytes_per_second / 20);
            chunk = std::min(chunk, static_cast<std::size_t>(per_tick));
        }
        if (cut_after_bytes >= 0) {
            chunk = std::min(chunk, static_cast<std::size_t>(cut_after_bytes - sent));
        }
        return chunk;
    }

    bool operator()(std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        if (cut_after_bytes >= 0 && sent >= cut_after_bytes)
            return false;
        if (rate_bytes_per_second > 0 && !stop->WaitFor(kThrottleTick))
            return false;
        if (stop->raised() || cut.raised())
            return false;
        const std::size_t chunk = ChunkFor(length);
        if (!source->Read(first_byte + offset, chunk, buffer) ||
            !sink.write(buffer.data(), chunk)) {
            return false;
        }
        sent += static_cast<std::int64_t>(chunk);
        return true;
    }
};

void ApplyFault(Reply& reply, const FaultRule& fault) {
    if (fault.status != 0)
        reply.status = fault.status;
    if (fault.body) {
        reply.body = *fault.body;
        reply.file.clear();
    }
}

std::shared_ptr<BodySource> SourceOf(Reply& reply) {
    if (reply.file.empty())
        return std::make_shared<TextSource>(std::move(reply.body));
    auto file = std::make_shared<FileSource>(reply.file);
    if (file->is_open())
        return file;
    reply = Reply::Status(404, "not found\n");
    return std::make_shared<TextSource>(std::move(reply.body));
}

bool ParseNumber(std::string_view text, std::size_t& number) {
    if (text.empty())
        return false;
    const auto* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, number);
    return stop == end && failure == std::errc();
}

}  // namespace

RangeAnswer ChooseRange(std::string_view header, std::size_t size, ByteRange& range) {
    constexpr std::string_view kUnit = "bytes=";
    if (!header.starts_with(kUnit) || header.find(',') != std::string_view::npos) {
        return RangeAnswer::kWhole;
    }
    header.remove_prefix(kUnit.size());
    const std::size_t dash = header.find('-');
    if (dash == std::string_view::npos)
        return RangeAnswer::kWhole;
    const std::string_view first = header.substr(0, dash);
    const std::string_view last = header.substr(dash + 1);
    std::size_t a = 0;
    std::size_t b = 0;
    if (first.empty()) {  // the last b bytes
        if (!ParseNumber(last, b))
            return RangeAnswer::kWhole;
        if (b == 0 || size == 0)
            return RangeAnswer::kUnsatisfiable;
        range = {size - std::min(b, size), size - 1};
        return RangeAnswer::kPart;
    }
    if (!ParseNumber(first, a) || (!last.empty() && (!ParseNumber(last, b) || b < a))) {
        return RangeAnswer::kWhole;
    }
    if (a >= size)
        return RangeAnswer::kUnsatisfiable;
    range = {a, last.empty() ? size - 1 : std::min(b, size - 1)};
    return RangeAnswer::kPart;
}

void WriteReply(Reply reply, const std::optional<FaultRule>& fault, StopSignal& stop, CutSignal cut,
                std::string_view range_header, httplib::Response& response) {
    if (fault)
        ApplyFault(reply, *fault);
    const bool spoiled = fault && (fault->cut_after_bytes >= 0 || fault->rate_bytes_per_second > 0);
    std::shared_ptr<BodySource> source = SourceOf(reply);  // a missing file becomes a 404
    const bool file_found = !reply.file.empty() && reply.status == 200;
    response.status = reply.status;
    ByteRange range{0, source->size() == 0 ? 0 : source->size() - 1};
    if (file_found) {
        response.set_header("Accept-Ranges", "bytes");
        const bool ranges = !(fault && fault->ignore_range);
        const RangeAnswer answer =
            ranges ? ChooseRange(range_header, source->size(), range) : RangeAnswer::kWhole;
        if (answer == RangeAnswer::kUnsatisfiable) {
            response.status = 416;
            response.set_header("Content-Range", "bytes */" + std::to_string(source->size()));
            response.set_content("", reply.content_type);
            return;
        }
        if (answer == RangeAnswer::kPart) {
            response.status = 206;
            response.set_header("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                                     std::to_string(range.last) + "/" +
                                                     std::to_string(source->size()));
        }
    }
    // httplib takes an empty provider for one of unknown length: an empty body goes plain.
    if (source->size() == 0 || (!spoiled && reply.file.empty())) {
        std::string body;
        source->Read(0, source->size(), body);
        response.set_content(body, reply.content_type);
        return;
    }
    Feeder feeder;
    feeder.source = source;
    feeder.first_byte = range.first;
    feeder.cut_after_bytes = fault ? fault->cut_after_bytes : -1;
    feeder.rate_bytes_per_second = fault ? fault->rate_bytes_per_second : 0;
    feeder.stop = &stop;
    feeder.cut = cut;
    response.set_content_provider(range.last - range.first + 1, reply.content_type,
                                  std::move(feeder));
}

}  // namespace tessal::site
