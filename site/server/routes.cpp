#include "site/server/routes.h"

namespace tessal::site {
namespace {

bool MethodMatches(Method method, const std::string& name) {
    switch (method) {
        case Method::kGet:
            return name == "GET" || name == "HEAD";
        case Method::kPost:
            return name == "POST";
        case Method::kPut:
            return name == "PUT";
        case Method::kDelete:
            return name == "DELETE";
        case Method::kAny:
            return true;
    }
    return false;
}

}  // namespace

std::string SlotName(int slot) {
    if (slot == kControlSlot)
        return "Control";
    return std::string(SiteSettings::KeyOf(static_cast<SiteHost>(slot)));
}

void Routes::Add(int slot, Method method, std::string path, Handler handler) {
    routes_.push_back({slot, method, std::move(path), false, std::move(handler)});
}

void Routes::AddPrefix(SiteHost host, Method method, std::string prefix, Handler handler) {
    routes_.push_back(
        {static_cast<int>(host), method, std::move(prefix), true, std::move(handler)});
}

const Handler* Routes::Find(int slot, const std::string& method, const std::string& path) const {
    const Route* best = nullptr;
    for (const Route& route : routes_) {
        if (route.slot != slot || !MethodMatches(route.method, method))
            continue;
        if (!route.prefix && route.path == path)
            return &route.handler;
        if (route.prefix && path.starts_with(route.path) &&
            (best == nullptr || route.path.size() > best->path.size())) {
            best = &route;
        }
    }
    return best == nullptr ? nullptr : &best->handler;
}

}  // namespace tessal::site
