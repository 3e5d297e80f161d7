#include "client/catalogue/online_play.h"

#include <json/json.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <memory>

#include "common/files/md5.h"

namespace tessal::client {
namespace {

constexpr const char* kTokenKey = "qorvanel";
constexpr double kTenThousandLimit = 100000;
constexpr double kLargestCount = 1e15;

// The time goes into the page's address as it is: anything but these characters would
// change what the address asks for.
bool IsAddressSafe(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == ':';
    });
}

}  // namespace

std::optional<std::string> TimestampOf(std::string_view reply) {
    Json::CharReaderBuilder builder;
    builder["failIfExtra"] = true;  // a reply with more after its object is no reply
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (reply.empty() || !reader->parse(reply.data(), reply.data() + reply.size(), &root, &errors))
        return std::nullopt;
    const Json::Value timestamp =
        root.isObject() ? root.get("timestamp", Json::Value()) : Json::Value();
    if (!timestamp.isString() || timestamp.asString().empty() ||
        !IsAddressSafe(timestamp.asString()))
        return std::nullopt;
    return timestamp.asString();
}

std::string OnlinePlayToken(std::string_view uid, std::string_view timestamp) {
    return TextMd5(std::string(uid) + std::string(timestamp) + kTokenKey);
}

std::string MiniplayerUrl(const SiteSettings& site, const OnlineLesson& lesson) {
    return site.HostUrl(SiteHost::kCourse) +
           "/p/miniplayer?token=" + OnlinePlayToken(lesson.uid, lesson.timestamp) +
           "&uid=" + lesson.uid + "&courseid=" + lesson.course_id +
           "&lessonid=" + lesson.lesson_id + "&time=" + lesson.timestamp;
}

std::string CounterText(double value) {
    // Beyond these a count is no count: shown as none.
    if (!std::isfinite(value) || value < -kLargestCount || value > kLargestCount)
        return "0";
    if (value <= kTenThousandLimit)
        return std::to_string(static_cast<long long>(std::trunc(value)));
    // One decimal with a point, whatever the desktop's locale says.
    char text[64];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value / 10000, std::chars_format::fixed, 1);
    if (error != std::errc())
        return "0";
    return std::string(text, end) + "万";
}

bool IsDecimalId(std::string_view id) {
    return !id.empty() && id.size() <= 18 &&
           std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace tessal::client
