#pragma once

// Each file of endpoints registers what one part of the site answers.

#include <chrono>
#include <functional>
#include <string>

#include "site/server/fault_rules.h"
#include "site/server/request_log.h"
#include "site/server/routes.h"
#include "site/server/site_context.h"

namespace tessal::site {

// The three login channels and the client data interface (report, heartbeat, logout).
void AddLoginEndpoints(Routes& routes, SiteContext& site);
// Push messages and posted questions on the client data host.
void AddPushEndpoint(Routes& routes, SiteContext& site);
void AddQuestionEndpoint(Routes& routes, SiteContext& site);
// User information and the server timestamp of the app API host.
void AddAppApiEndpoints(Routes& routes, SiteContext& site);
// The online lesson page of the course host and the media it plays.
void AddMiniplayerEndpoints(Routes& routes, SiteContext& site);
// Both update lists and the files they name.
void AddUpdateListEndpoints(Routes& routes, SiteContext& site);
// Lesson files on the three download hosts, pictures, codec files.
void AddFileEndpoints(Routes& routes, SiteContext& site);
// The public IP lookup pages.
void AddIpLookupEndpoints(Routes& routes, SiteContext& site);
// Plain pages: registration, forgotten password, news and custom push pages.
void AddPageEndpoints(Routes& routes, SiteContext& site);
// The control port: request log, fault rules, host outages, pushes, list version,
// sessions, questions.
using StartOutageFunction = std::function<bool(const std::string& host, std::chrono::milliseconds)>;
void AddControlEndpoints(Routes& routes, SiteContext& site, RequestLog& log, FaultRules& faults,
                         StartOutageFunction start_outage);

}  // namespace tessal::site
