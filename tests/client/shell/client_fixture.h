#pragma once

// A TessalClient built in this process on an installation of its own (the reference
// site, the databases, the layouts and images, the engine and TessalUpdata), driven
// through its real windows. Boxes, pages, the folder dialog and started programs are
// recorded instead of reaching the desktop.

#include <gtest/gtest.h>

#include <QString>
#include <QTest>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "client/shell/client_app.h"
#include "common/gui/elements.h"
#include "common/gui/message_boxes.h"
#include "tests/support/installation/test_installation.h"

namespace tessal::client::test {

struct RecordedBox {
    QString caption;
    QString text;
};

class RecordingBoxes : public gui::MessageBoxes {
public:
    void Show(QWidget*, const QString& text, const QString& caption) override {
        shown.push_back({caption, text});
        if (while_shown)
            while_shown(caption);
    }
    std::vector<RecordedBox> shown;
    // What happens while a box waits for the member (its own event loop runs then).
    std::function<void(const QString& caption)> while_shown;
};

struct StartedProgram {
    std::filesystem::path program;
    std::string argument;
};

class ClientTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the client on the installation as it is now and runs its start-up.
    bool StartClient();
    QWidget* Login() const { return client_->login_window()->window(); }
    QWidget* Main() const { return client_->main_window()->window(); }
    QWidget* LoginElement(int id) const { return gui::FindElement(Login(), id); }
    QString LoginText(int id) const { return gui::ElementText(LoginElement(id)); }
    void Click(QWidget* element);
    // Types into the login form and clicks the login button.
    void TypeAndLogin(const QString& account, const QString& password);
    bool WaitForMainWindow(int timeout_ms = 10000);
    bool WaitForFailure(int timeout_ms = 10000);
    std::string UserInfo(const char* key) const;
    std::string UserSet(const char* key) const;
    void SaveShot(QWidget* window, const std::string& name) const;
    // Each element is what a click at its centre reaches: nothing lies over it.
    static void ExpectReachable(QWidget* window, std::initializer_list<int> ids);

    std::unique_ptr<tessal::test::TestInstallation> installation_;
    RecordingBoxes boxes_;
    std::vector<QString> pages_;
    std::optional<QString> folder_choice_;
    std::vector<StartedProgram> started_;
    int updates_checked_ = 0;  // TessalUpdata started by the start-up's self-update check
    // The threads the machine identifier was read on.
    std::mutex identifier_mutex_;
    std::vector<std::thread::id> identifier_threads_;
    std::unique_ptr<ClientApp> client_;
};

}  // namespace tessal::client::test
