#include "tests/support/http_wire.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace tessal::test {
namespace {

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view ReasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

}  // namespace

std::string CapturedRequest::Method() const {
    return request_line.substr(0, request_line.find(' '));
}

std::string CapturedRequest::Target() const {
    std::size_t start = request_line.find(' ');
    if (start == std::string::npos) {
        return {};
    }
    std::size_t end = request_line.find(' ', start + 1);
    return request_line.substr(start + 1, end == std::string::npos ? end : end - start - 1);
}

std::string CapturedRequest::HeaderValue(std::string_view name) const {
    for (const std::string& line : header_lines) {
        std::size_t colon = line.find(':');
        if (colon != std::string::npos &&
            EqualIgnoringCase(std::string_view(line).substr(0, colon), name)) {
            return std::string(TrimBlanks(std::string_view(line).substr(colon + 1)));
        }
    }
    return {};
}

CapturedRequest ParseRequestHead(std::string_view head) {
    CapturedRequest request;
    request.head = std::string(head);
    std::size_t start = 0;
    while (start < head.size()) {
        std::size_t end = head.find("\r\n", start);
        if (end == std::string_view::npos || end == start) {
            break;
        }
        std::string line(head.substr(start, end - start));
        if (request.request_line.empty()) {
            request.request_line = std::move(line);
        } else {
            request.header_lines.push_back(std::move(line));
        }
        start = end + 2;
    }
    return request;
}

std::size_t AnnouncedBodyLength(const CapturedRequest& request) {
    std::string text = request.HeaderValue("Content-Length");
    std::size_t length = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
    return error == std::errc() && end == text.data() + text.size() ? length : 0;
}

std::string ReplyHead(const ScriptedReply& reply) {
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " +
                       std::string(ReasonPhrase(reply.status)) + "\r\n";
    head += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    head += "Connection: close\r\n";
    for (const std::string& line : reply.extra_header_lines) {
        head += line + "\r\n";
    }
    return head + "\r\n";
}

ScriptedReply ScriptedReply::Ok(std::string body) {
    return WithStatus(200, std::move(body));
}

ScriptedReply ScriptedReply::WithStatus(int status, std::string body) {
    ScriptedReply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

ScriptedReply ScriptedReply::Redirect(int status, std::string location) {
    ScriptedReply reply = WithStatus(status, {});
    reply.extra_header_lines.push_back("Location: " + location);
    return reply;
}

ScriptedReply ScriptedReply::CutOff(std::string body, std::size_t body_bytes_sent) {
    ScriptedReply reply = Ok(std::move(body));
    reply.kind = Kind::kCutOff;
    reply.body_bytes_sent = body_bytes_sent;
    return reply;
}

ScriptedReply ScriptedReply::Stall(std::string body, std::size_t body_bytes_sent) {
    ScriptedReply reply = CutOff(std::move(body), body_bytes_sent);
    reply.kind = Kind::kStall;
    return reply;
}

ScriptedReply ScriptedReply::Silent() {
    ScriptedReply reply;
    reply.kind = Kind::kSilent;
    return reply;
}

ScriptedReply ScriptedReply::Throttled(std::string body, std::size_t chunk_bytes,
                                       std::chrono::milliseconds chunk_interval) {
    ScriptedReply reply = Ok(std::move(body));
    reply.kind = Kind::kThrottled;
    reply.chunk_bytes = std::max<std::size_t>(chunk_bytes, 1);
    reply.chunk_interval = chunk_interval;
    return reply;
}

}  // namespace tessal::test
