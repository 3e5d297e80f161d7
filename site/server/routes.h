#pragma once

// The site's own routing: each host (and the control port) has its table of exact
// paths and path prefixes, so that one catch-all handler per port can record every
// request, unknown paths included, before it is answered.

#include <httplib.h>

#include <functional>
#include <string>
#include <vector>

#include "common/settings/site_settings.h"
#include "site/server/form_fields.h"
#include "site/server/reply.h"

namespace tessal::site {

// Host slots: the SiteHost values, then the control port.
inline constexpr int kControlSlot = static_cast<int>(kSiteHostCount);
std::string SlotName(int slot);  // "MainSite", ..., "Control"

struct SiteRequest {
    int slot = 0;
    const httplib::Request& http;
    std::string path;   // decoded
    std::string query;  // raw text after "?"
    FormFields form;    // the body taken as a form

    std::string Param(const std::string& name) const { return http.get_param_value(name); }
};

using Handler = std::function<Reply(const SiteRequest&)>;

enum class Method { kGet, kPost, kPut, kDelete, kAny };

class Routes {
public:
    void Add(int slot, Method method, std::string path, Handler handler);
    void Add(SiteHost host, Method method, std::string path, Handler handler) {
        Add(static_cast<int>(host), method, std::move(path), std::move(handler));
    }
    // Every path that starts with `prefix`; exact paths win over prefixes, and a longer
    // prefix over a shorter one.
    void AddPrefix(SiteHost host, Method method, std::string prefix, Handler handler);

    const Handler* Find(int slot, const std::string& method, const std::string& path) const;

private:
    struct Route {
        int slot;
        Method method;
        std::string path;
        bool prefix;
        Handler handler;
    };
    std::vector<Route> routes_;
};

}  // namespace tessal::site
