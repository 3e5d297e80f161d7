#pragma once

// Tells the site that the member's session ended, on a thread of its own so that the
// wait before the programs are ended overlaps the request.

#include <string>
#include <thread>

#include "common/net/http_client.h"

namespace tessal::updater {

inline constexpr const char* kClientDataPath = "/ClientDataInterFace.php";

// "Client=1&type=LoginOut&uid=" + uid + "&m=&sign=" + sign.
std::string LogoutBody(const std::string& uid, const std::string& sign);

class LogoutNotice {
public:
    // Starts the POST to `client_data_url` + "/ClientDataInterFace.php".
    LogoutNotice(const std::string& client_data_url, const std::string& uid,
                 const std::string& sign, HttpTimeouts timeouts);
    // Waits until the notice has been answered or has timed out: ending the process
    // earlier would drop it.
    ~LogoutNotice();
    LogoutNotice(const LogoutNotice&) = delete;
    LogoutNotice& operator=(const LogoutNotice&) = delete;

private:
    std::thread thread_;
};

}  // namespace tessal::updater
