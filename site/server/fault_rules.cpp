#include "site/server/fault_rules.h"

#include <json/json.h>

namespace tessal::site {
namespace {

bool Matches(const FaultRule& rule, const std::string& host, const std::string& path) {
    return (rule.host.empty() || rule.host == host) && (rule.path.empty() || rule.path == path);
}

}  // namespace

bool FaultRuleFromJson(const std::string& json, FaultRule& rule, std::string& error) {
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    if (!reader->parse(json.data(), json.data() + json.size(), &value, &error) ||
        !value.isObject()) {
        error = "a fault rule is a JSON object: " + error;
        return false;
    }
    try {
        rule.host = value.get("host", "").asString();
        rule.path = value.get("path", "").asString();
        rule.delay_ms = value.get("delay_ms", 0).asInt();
        rule.status = value.get("status", 0).asInt();
        rule.cut_after_bytes = value.get("cut_after_bytes", -1).asInt64();
        if (value.isMember("body"))
            rule.body = value["body"].asString();
        rule.rate_bytes_per_second = value.get("rate_bytes_per_second", 0).asInt64();
        rule.ignore_range = value.get("ignore_range", false).asBool();
        rule.times = value.get("times", -1).asInt();
    } catch (const Json::Exception& e) {
        error = std::string("a fault rule member has the wrong type: ") + e.what();
        return false;
    }
    return true;
}

void FaultRules::Add(FaultRule rule) {
    std::lock_guard lock(mutex_);
    rules_.push_back(std::move(rule));
}

void FaultRules::Clear() {
    std::lock_guard lock(mutex_);
    rules_.clear();
}

std::optional<FaultRule> FaultRules::Take(const std::string& host, const std::string& path) {
    std::lock_guard lock(mutex_);
    for (auto rule = rules_.rbegin(); rule != rules_.rend(); ++rule) {
        if (rule->times == 0 || !Matches(*rule, host, path))
            continue;
        if (rule->times > 0)
            --rule->times;
        return *rule;
    }
    return std::nullopt;
}

}  // namespace tessal::site
