#pragma once

// Small text helpers the site's pages and JSON replies share.

#include <json/json.h>

#include <string>

namespace tessal::site {

// For text placed inside HTML elements and attribute values.
std::string EscapeHtml(const std::string& text);

// Well-formed UTF-8 (lead and continuation bytes; overlong forms are not looked for).
bool IsUtf8(const std::string& text);

// One line of JSON, UTF-8 left as it is.
std::string CompactJson(const Json::Value& value);

}  // namespace tessal::site
