#pragma once

// A reference site of the test's own and a program folder whose Site.ini points at it,
// with the login service and the session reports wired as the client wires them.

#include <gtest/gtest.h>

#include <memory>

#include "client/shell/login_service.h"
#include "site/server/reference_site.h"
#include "tests/support/temp_folder.h"

namespace tessal::client::test {

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        site::SiteOptions options = site::DefaultSiteOptions();
        options.base_port = 0;
        site_ = std::make_unique<site::ReferenceSite>(options);
        std::string error;
        ASSERT_TRUE(site_->Start(error)) << error;
        const auto ini = folder_.Write("Site.ini", site_->SiteIniText());
        settings_ = SiteSettings::Load(ini);
        reporter_ = std::make_unique<SessionReporter>(settings_, session_);
    }
    void TearDown() override {
        reporter_.reset();
        site_->Stop();
    }

    LoginService Service(std::function<bool(const std::string&)> claim = {}) {
        LoginContext context{settings_,
                             folder_.path(),
                             [] { return std::string("MACHINE-ID-1"); },
                             "Debian GNU/Linux 12",
                             1080,
                             1920,
                             nullptr,
                             std::move(claim)};
        return LoginService(context, session_, *reporter_);
    }

    std::vector<site::RecordedRequest> ClientData() const {
        return site_->requests().To("ClientData", kClientDataPath);
    }

    TempFolder folder_;
    std::unique_ptr<site::ReferenceSite> site_;
    SiteSettings settings_;
    Session session_;
    std::unique_ptr<SessionReporter> reporter_;
};

}  // namespace tessal::client::test
