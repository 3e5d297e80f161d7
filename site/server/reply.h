#pragma once

// What an endpoint answers, before the fault rules and the wire get their say.

#include <filesystem>
#include <string>
#include <utility>

namespace tessal::site {

inline constexpr const char* kPlainText = "text/plain; charset=utf-8";
inline constexpr const char* kHtml = "text/html; charset=utf-8";
inline constexpr const char* kJson = "application/json; charset=utf-8";
inline constexpr const char* kXml = "text/xml; charset=utf-8";
inline constexpr const char* kOctets = "application/octet-stream";

struct Reply {
    int status = 200;
    std::string content_type = kPlainText;
    std::string body;
    // When set, the body is this file's bytes, read as they are sent (byte ranges honoured).
    std::filesystem::path file;

    static Reply Text(std::string body, std::string content_type = kPlainText) {
        Reply reply;
        reply.body = std::move(body);
        reply.content_type = std::move(content_type);
        return reply;
    }
    static Reply Status(int status, std::string body) {
        Reply reply = Text(std::move(body));
        reply.status = status;
        return reply;
    }
    static Reply File(std::filesystem::path file, std::string content_type) {
        Reply reply;
        reply.file = std::move(file);
        reply.content_type = std::move(content_type);
        return reply;
    }
};

}  // namespace tessal::site
