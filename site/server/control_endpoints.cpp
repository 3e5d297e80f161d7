// The control port, for tests and maintainers that drive a site running as its own
// process: read or clear the request log, add or clear fault rules, queue a push
// message, raise the update list version, and see sessions and questions; and take a
// host off the line for a while.

#include <json/json.h>

#include <cstdlib>

#include "site/server/endpoints.h"
#include "site/server/site_text.h"

namespace tessal::site {
namespace {

Reply Requests(const RequestLog& log, const SiteRequest& request) {
    const auto since = std::strtoull(request.Param("since").c_str(), nullptr, 10);
    return Reply::Text(RequestsToJson(log.Since(since)), kJson);
}

Reply AddFault(FaultRules& faults, const SiteRequest& request) {
    FaultRule rule;
    std::string error;
    if (!FaultRuleFromJson(request.http.body, rule, error))
        return Reply::Status(400, error + "\n");
    faults.Add(std::move(rule));
    return Reply::Text("ok\n");
}

// The request body as a JSON object; false with `error` otherwise.
bool JsonObjectOf(const SiteRequest& request, Json::Value& value, std::string& error) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    const std::string& body = request.http.body;
    return reader->parse(body.data(), body.data() + body.size(), &value, &error) &&
           value.isObject();
}

// {"host":"Download1","ms":10000}: the host refuses connections for that long.
Reply StartOutage(const StartOutageFunction& start_outage, const SiteRequest& request) {
    Json::Value value;
    std::string error;
    if (!JsonObjectOf(request, value, error) || !value["host"].isString() || !value["ms"].isInt()) {
        return Reply::Status(400, "an outage is {\"host\": \"Download1\", \"ms\": 10000}\n");
    }
    if (!start_outage(value["host"].asString(), std::chrono::milliseconds(value["ms"].asInt())))
        return Reply::Status(409, "no such host, or it is down already\n");
    return Reply::Text("ok\n");
}

Reply QueuePush(SiteContext& site, const SiteRequest& request) {
    Json::Value value;
    std::string error;
    if (!JsonObjectOf(request, value, error)) {
        return Reply::Status(400, "a push message is a JSON object: " + error + "\n");
    }
    const auto text = [&](const char* name) { return value.get(name, "").asString(); };
    site.state.QueuePush({text("uid"), text("mode"), text("url"), text("title"), text("content"),
                          text("picture"), text("custom_url")});
    return Reply::Text("ok\n");
}

Reply Sessions(const SiteContext& site) {
    Json::Value list(Json::arrayValue);
    for (const Session& session : site.state.Sessions()) {
        Json::Value item;
        item["uid"] = session.uid;
        item["sign"] = session.sign;
        item["ip"] = session.ip;
        item["heartbeats"] = session.heartbeats;
        item["logged_out"] = session.logged_out;
        list.append(item);
    }
    return Reply::Text(CompactJson(list), kJson);
}

Reply Questions(const SiteContext& site) {
    Json::Value list(Json::arrayValue);
    for (const Question& question : site.state.Questions()) {
        Json::Value item;
        item["acc"] = question.account;
        item["pwd"] = question.password;
        item["tit"] = question.title;
        item["con"] = question.content;
        item["course"] = question.course;
        list.append(item);
    }
    return Reply::Text(CompactJson(list), kJson);
}

}  // namespace

void AddControlEndpoints(Routes& routes, SiteContext& site, RequestLog& log, FaultRules& faults,
                         StartOutageFunction start_outage) {
    routes.Add(kControlSlot, Method::kGet, "/requests",
               [&log](const SiteRequest& request) { return Requests(log, request); });
    routes.Add(kControlSlot, Method::kDelete, "/requests", [&log](const SiteRequest&) {
        log.Clear();
        return Reply::Text("ok\n");
    });
    routes.Add(kControlSlot, Method::kPost, "/faults",
               [&faults](const SiteRequest& request) { return AddFault(faults, request); });
    routes.Add(kControlSlot, Method::kDelete, "/faults", [&faults](const SiteRequest&) {
        faults.Clear();
        return Reply::Text("ok\n");
    });
    routes.Add(kControlSlot, Method::kPost, "/outage",
               [start_outage = std::move(start_outage)](const SiteRequest& request) {
                   return StartOutage(start_outage, request);
               });
    routes.Add(kControlSlot, Method::kPost, "/pushes",
               [&site](const SiteRequest& request) { return QueuePush(site, request); });
    routes.Add(kControlSlot, Method::kPut, "/list-version", [&site](const SiteRequest& request) {
        site.state.SetListVersion(request.http.body);
        return Reply::Text("ok\n");
    });
    routes.Add(kControlSlot, Method::kGet, "/sessions",
               [&site](const SiteRequest&) { return Sessions(site); });
    routes.Add(kControlSlot, Method::kGet, "/questions",
               [&site](const SiteRequest&) { return Questions(site); });
}

}  // namespace tessal::site
