#include "site/server/reference_site.h"

#include <sys/socket.h>

#include <algorithm>
#include <random>

#include "site/server/endpoints.h"
#include "site/server/reply_writer.h"
#include "site/server/routes.h"
#include "site/server/site_context.h"

namespace tessal::site {
namespace {

constexpr int kFirstRandomPort = 20000;
constexpr int kLastRandomPort = 60000;
constexpr int kBindAttempts = 40;
constexpr std::size_t kThreadsPerHost = 6;
constexpr std::size_t kMaxBodyBytes = 8 * 1024 * 1024;

// httplib's default also sets SO_REUSEPORT, with which a second site (a parallel test,
// a second demo) binds the same port and the kernel shares the connections between the
// two. A port must belong to one site, so only quick reuse after a stop is allowed.
void ExclusivePortOptions(socket_t sock) {
    int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

// Waits as a delayed reply does; false when the site stops or the host goes down first.
bool WaitUnlessCut(StopSignal& stop, const CutSignal& cut, std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    for (;;) {
        // Rounded up: a fraction of a millisecond left is still a wait, not the end.
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (cut.raised())
            return false;
        if (left.count() <= 0)
            return true;
        if (!stop.WaitFor(std::min(left, std::chrono::milliseconds(50))))
            return false;
    }
}

// Whether the request this worker thread is answering reached the site's own handler.
thread_local bool served_on_this_thread = false;

std::string QueryOf(const std::string& target) {
    const std::size_t mark = target.find('?');
    return mark == std::string::npos ? std::string() : target.substr(mark + 1);
}

// httplib files the connection's addresses among the headers; no client sent them.
bool IsAddedByHttplib(const std::string& name) {
    return name == "LOCAL_ADDR" || name == "LOCAL_PORT" || name == "REMOTE_ADDR" ||
           name == "REMOTE_PORT";
}

RecordedRequest Record(int slot, int port, const httplib::Request& request) {
    RecordedRequest record;
    record.host = SlotName(slot);
    record.port = port;
    record.method = request.method;
    record.path = request.path;
    record.target = request.target;
    record.query = QueryOf(request.target);
    for (const auto& [name, value] : request.headers) {
        if (!IsAddedByHttplib(name))
            record.headers.emplace_back(name, value);
    }
    record.body = request.body;
    record.remote_address = request.remote_addr;
    return record;
}

}  // namespace

SiteOptions DefaultSiteOptions() {
    SiteOptions options;
    options.data_folder = TESSAL_DEMO_DATA_DIR;
    options.media_folder = TESSAL_DEMO_MEDIA_DIR;
    return options;
}

ReferenceSite::ReferenceSite(SiteOptions options) : options_(std::move(options)) {}

ReferenceSite::~ReferenceSite() {
    Stop();
}

bool ReferenceSite::Start(std::string& error) {
    if (!servers_.empty()) {
        error = "the site is running already";
        return false;
    }
    if (!LoadDemoData(options_.data_folder.string(), data_, error))
        return false;
    if (!options_.request_log_file.empty() &&
        !requests_.MirrorTo(options_.request_log_file.string())) {
        error = options_.request_log_file.string() + ": cannot be written";
        return false;
    }
    stop_.Reset();
    const bool bound = options_.base_port == 0 ? BindFreeRange() : BindAll(options_.base_port);
    if (!bound) {
        error = options_.base_port == 0
                    ? "no free range of " + std::to_string(kPortCount) + " loopback ports found"
                    : "ports " + std::to_string(options_.base_port) + " to " +
                          std::to_string(options_.base_port + kPortCount - 1) +
                          " of 127.0.0.1 are not all free";
        return false;
    }
    urls_ = std::make_unique<SiteUrls>(addresses_);
    state_ = std::make_unique<SiteState>(data_);
    RegisterEndpoints();
    down_.assign(servers_.size(), false);
    outage_threads_.resize(servers_.size());
    for (auto& server : servers_) {
        threads_.emplace_back([raw = server.get()] { raw->listen_after_bind(); });
    }
    if (!AllListening()) {
        Stop();
        error = "the site's listeners did not start";
        return false;
    }
    return true;
}

// httplib forgets a stop that comes before its listener runs, so Start waits for all.
bool ReferenceSite::AllListening() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (auto& server : servers_) {
        while (!server->is_running()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return true;
}

// The listeners are stopped and joined outside the lock: a control request that waits
// for it (an outage asked for just now) must be able to finish first.
void ReferenceSite::Stop() {
    stop_.Raise();
    EndOutages();
    std::vector<std::unique_ptr<httplib::Server>> servers;
    std::vector<std::thread> threads;
    {
        const std::lock_guard lock(servers_mutex_);
        servers.swap(servers_);
        threads.swap(threads_);
    }
    for (auto& server : servers) {
        if (server)
            server->stop();
    }
    for (auto& thread : threads) {
        if (thread.joinable())
            thread.join();
    }
    requests_.StopMirror();
}

std::string ReferenceSite::SiteIniText() const {
    return addresses_.SiteIniText(options_.code_page, options_.hotline);
}

bool ReferenceSite::BindAll(int base_port) {
    servers_.clear();
    for (int slot = 0; slot < kPortCount; ++slot) {
        auto server = std::make_unique<httplib::Server>();
        server->set_socket_options(ExclusivePortOptions);
        if (!server->bind_to_port(options_.listen_address, base_port + slot)) {
            servers_.clear();
            return false;
        }
        servers_.push_back(std::move(server));
    }
    addresses_ = SiteAddresses(base_port, options_.listen_address);
    return true;
}

bool ReferenceSite::BindFreeRange() {
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> pick(kFirstRandomPort, kLastRandomPort);
    for (int attempt = 0; attempt < kBindAttempts; ++attempt) {
        if (BindAll(pick(random)))
            return true;
    }
    return false;
}

void ReferenceSite::RegisterEndpoints() {
    context_.reset(new SiteContext{data_, *state_, *urls_, options_.code_page,
                                   options_.media_folder, options_.extra_files,
                                   options_.engine_file});
    routes_ = std::make_unique<Routes>();
    AddLoginEndpoints(*routes_, *context_);
    AddPushEndpoint(*routes_, *context_);
    AddQuestionEndpoint(*routes_, *context_);
    AddAppApiEndpoints(*routes_, *context_);
    AddMiniplayerEndpoints(*routes_, *context_);
    AddUpdateListEndpoints(*routes_, *context_);
    AddFileEndpoints(*routes_, *context_);
    AddIpLookupEndpoints(*routes_, *context_);
    AddPageEndpoints(*routes_, *context_);
    AddControlEndpoints(*routes_, *context_, requests_, faults_,
                        [this](const std::string& host, std::chrono::milliseconds duration) {
                            return StartOutage(host, duration);
                        });
    for (int slot = 0; slot < kPortCount; ++slot)
        ConfigureServer(slot, *servers_[static_cast<std::size_t>(slot)]);
}

void ReferenceSite::ConfigureServer(int slot, httplib::Server& server) {
    const auto serve = [this, slot](const httplib::Request& request, httplib::Response& response) {
        Serve(slot, request, response);
    };
    server.Get(".*", serve).Post(".*", serve).Put(".*", serve).Delete(".*", serve);
    server.set_keep_alive_timeout(1);
    server.set_payload_max_length(kMaxBodyBytes);
    // httplib refuses some requests before routing (a form over its 8 KiB, a body over
    // the limit, a malformed Range); they are recorded once answered.
    server.set_logger([this, slot](const httplib::Request& request, const httplib::Response&) {
        if (!served_on_this_thread && slot != kControlSlot) {
            requests_.Add(Record(slot, addresses_.base_port() + slot, request));
        }
        served_on_this_thread = false;
    });
    server.new_task_queue = [] { return new httplib::ThreadPool(kThreadsPerHost); };
}

void ReferenceSite::Serve(int slot, const httplib::Request& request, httplib::Response& response) {
    const std::string host = SlotName(slot);
    std::optional<FaultRule> fault;
    const CutSignal cut = outages_.Signal(slot);
    served_on_this_thread = true;
    if (slot != kControlSlot) {
        requests_.Add(Record(slot, addresses_.base_port() + slot, request));
        fault = faults_.Take(host, request.path);
    }
    if (fault && fault->delay_ms > 0 &&
        !WaitUnlessCut(stop_, cut, std::chrono::milliseconds(fault->delay_ms))) {
        response.status = 503;
        return;
    }
    Reply reply = Reply::Status(404, "not found\n");
    const SiteRequest site_request{slot, request, request.path, QueryOf(request.target),
                                   FormFields::Parse(request.body)};
    if (const Handler* handler = routes_->Find(slot, request.method, request.path)) {
        try {
            reply = (*handler)(site_request);
        } catch (const std::exception& e) {
            reply = Reply::Status(500, std::string("site error: ") + e.what() + "\n");
        }
    }
    // The site answers byte ranges itself (httplib would apply them to any reply and
    // past the end of a file); httplib hands over a request it owns, so this is sound.
    const_cast<httplib::Request&>(request).ranges.clear();
    WriteReply(std::move(reply), fault, stop_, cut, request.get_header_value("Range"), response);
}

}  // namespace tessal::site

namespace tessal::site {
namespace {

// The slot of a Site.ini host key; -1 for the control port or an unknown name.
int HostSlot(const std::string& host) {
    for (int slot = 0; slot < kControlSlot; ++slot) {
        if (SlotName(slot) == host)
            return slot;
    }
    return -1;
}

}  // namespace

bool ReferenceSite::StartOutage(const std::string& host, std::chrono::milliseconds duration) {
    const int slot = HostSlot(host);
    const std::lock_guard lock(servers_mutex_);
    const auto index = static_cast<std::size_t>(slot);
    if (slot < 0 || duration.count() < 0 || servers_.empty() || stop_.raised() || down_[index])
        return false;
    down_[index] = true;
    outages_.Begin(slot);     // the replies in progress give up at their next piece
    servers_[index]->stop();  // the port refuses from now on
    if (outage_threads_[index].joinable())
        outage_threads_[index].join();  // the last outage of this host, over already
    const auto back_at = std::chrono::steady_clock::now() + duration;
    outage_threads_[index] =
        std::thread([this, slot, back_at, listener = std::move(threads_[index])]() mutable {
            listener.join();
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                back_at - std::chrono::steady_clock::now());
            if (stop_.WaitFor(std::max(left, std::chrono::milliseconds(0))))
                Relisten(slot);
        });
    return true;
}

// The host back on its old port, with a new listener; false when the site stopped first.
bool ReferenceSite::Relisten(int slot) {
    auto server = std::make_unique<httplib::Server>();
    server->set_socket_options(ExclusivePortOptions);
    ConfigureServer(slot, *server);
    const int port = addresses_.base_port() + slot;
    while (!server->bind_to_port(options_.listen_address, port)) {
        if (!stop_.WaitFor(std::chrono::milliseconds(100)))
            return false;
    }
    const std::lock_guard lock(servers_mutex_);
    if (stop_.raised())
        return false;
    const auto index = static_cast<std::size_t>(slot);
    httplib::Server* raw = server.get();
    threads_[index] = std::thread([raw] { raw->listen_after_bind(); });
    servers_[index] = std::move(server);
    // A stop that came before the listener ran would be forgotten (see AllListening).
    while (!raw->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    down_[index] = false;
    return true;
}

void ReferenceSite::EndOutages() {
    std::vector<std::thread> ending;
    {
        const std::lock_guard lock(servers_mutex_);
        ending.swap(outage_threads_);
    }
    for (auto& thread : ending) {
        if (thread.joinable())
            thread.join();
    }
}

}  // namespace tessal::site
