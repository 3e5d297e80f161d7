#include "updater/logout_notice.h"

namespace tessal::updater {

std::string LogoutBody(const std::string& uid, const std::string& sign) {
    return "Client=1&type=LoginOut&uid=" + uid + "&m=&sign=" + sign;
}

LogoutNotice::LogoutNotice(const std::string& client_data_url, const std::string& uid,
                           const std::string& sign, HttpTimeouts timeouts)
    : thread_([url = client_data_url + kClientDataPath, body = LogoutBody(uid, sign), timeouts] {
          SendRequest(url, body, "", HttpMethod::kPost, timeouts);
      }) {}

LogoutNotice::~LogoutNotice() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace tessal::updater
