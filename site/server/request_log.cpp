#include "site/server/request_log.h"

#include <json/json.h>
#include <strings.h>

#include "site/server/site_text.h"

namespace tessal::site {
namespace {

std::string Base64(const std::string& bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned value = (static_cast<unsigned char>(bytes[i]) << 16) |
                               (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                               static_cast<unsigned char>(bytes[i + 2]);
        for (int shift = 18; shift >= 0; shift -= 6)
            out += kAlphabet[(value >> shift) & 0x3F];
    }
    if (i < bytes.size()) {
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kAlphabet[(value >> 18) & 0x3F];
        out += kAlphabet[(value >> 12) & 0x3F];
        out += i + 1 < bytes.size() ? kAlphabet[(value >> 6) & 0x3F] : '=';
        out += '=';
    }
    return out;
}

Json::Value ToValue(const RecordedRequest& request) {
    Json::Value value;
    value["sequence"] = Json::UInt64(request.sequence);
    value["host"] = request.host;
    value["port"] = request.port;
    value["method"] = request.method;
    // Text that is not UTF-8 goes as base64 under its own name.
    if (IsUtf8(request.path)) {
        value["path"] = request.path;
    } else {
        value["path_base64"] = Base64(request.path);
    }
    value["target"] = request.target;
    value["query"] = request.query;
    value["remote_address"] = request.remote_address;
    Json::Value headers(Json::arrayValue);
    for (const auto& [name, text] : request.headers) {
        Json::Value header(Json::arrayValue);
        header.append(name);
        header.append(IsUtf8(text) ? text : Base64(text));
        if (!IsUtf8(text))
            header.append("base64");
        headers.append(header);
    }
    value["headers"] = headers;
    if (IsUtf8(request.body))
        value["body"] = request.body;
    value["body_base64"] = Base64(request.body);
    return value;
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
    for (const auto& [key, text] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0)
            return text;
    }
    return {};
}

bool RequestLog::MirrorTo(const std::string& file) {
    std::lock_guard lock(mutex_);
    mirror_.close();
    mirror_.clear();
    mirror_.open(file, std::ios::app | std::ios::binary);
    return mirror_.is_open();
}

void RequestLog::StopMirror() {
    std::lock_guard lock(mutex_);
    mirror_.close();
    mirror_.clear();
}

std::uint64_t RequestLog::Add(RecordedRequest request) {
    std::lock_guard lock(mutex_);
    request.sequence = next_sequence_++;
    if (mirror_.is_open())
        mirror_ << RequestToJson(request) << '\n' << std::flush;
    requests_.push_back(std::move(request));
    return requests_.back().sequence;
}

std::vector<RecordedRequest> RequestLog::Since(std::uint64_t sequence) const {
    std::lock_guard lock(mutex_);
    std::vector<RecordedRequest> found;
    for (const RecordedRequest& request : requests_) {
        if (request.sequence > sequence)
            found.push_back(request);
    }
    return found;
}

std::vector<RecordedRequest> RequestLog::To(const std::string& host,
                                            const std::string& path) const {
    std::lock_guard lock(mutex_);
    std::vector<RecordedRequest> found;
    for (const RecordedRequest& request : requests_) {
        if (request.host == host && request.path == path)
            found.push_back(request);
    }
    return found;
}

void RequestLog::Clear() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

std::string RequestToJson(const RecordedRequest& request) {
    return CompactJson(ToValue(request));
}

std::string RequestsToJson(const std::vector<RecordedRequest>& requests) {
    Json::Value list(Json::arrayValue);
    for (const RecordedRequest& request : requests)
        list.append(ToValue(request));
    return CompactJson(list);
}

}  // namespace tessal::site
