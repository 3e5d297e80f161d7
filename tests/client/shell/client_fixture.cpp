#include "tests/client/shell/client_fixture.h"

#include <QApplication>
#include <QLineEdit>

#include "common/settings/ini_file.h"

namespace tessal::client::test {
namespace {

void CopyInto(const std::filesystem::path& from, const std::filesystem::path& folder) {
    std::filesystem::copy(from, folder / from.filename(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
}

}  // namespace

void ClientTest::SetUp() {
    installation_ = std::make_unique<tessal::test::TestInstallation>();
    ASSERT_TRUE(installation_->ok()) << installation_->error();
    const auto folder = installation_->folder();
    const std::filesystem::path data = TESSAL_INSTALLATION_DATA_DIR;
    for (const char* item : {"Layout", "IMAGE", "ico1.ico", "ico2.ico", "TessalClient.png"})
        CopyInto(data / item, folder);
    ASSERT_TRUE(installation_->AddProgram(TESSAL_XLDL_LIBRARY));
    ASSERT_TRUE(installation_->AddProgram(TESSAL_UPDATER_PROGRAM));
    ASSERT_TRUE(installation_->AddProgram(TESSAL_APLAYER_LIBRARY));
    ASSERT_TRUE(installation_->AddProgram(TESSAL_APLAYER_ENGINE));
    ASSERT_TRUE(installation_->AddProgram(TESSAL_EWE_LIBRARY));
    // The demo's queued push messages would pop up in every test that logs in (a custom
    // one loads a page); tests of the messages queue their own.
    for (const char* uid : {"10001", "10002", "10003"})
        while (installation_->site().state().NextPush(uid)) {
        }
}

void ClientTest::TearDown() {
    client_.reset();
    if (installation_)
        installation_->site().Stop();
}

bool ClientTest::StartClient() {
    ClientEnvironment environment;
    environment.program_folder = installation_->folder();
    environment.boxes = &boxes_;
    environment.open_page = [this](const QString& url) { pages_.push_back(url); };
    environment.choose_folder = [this](QWidget*, const QString&) { return folder_choice_; };
    environment.start_program = [this](const std::filesystem::path& program,
                                       const std::string& argument) {
        // Every start-up's self-update check starts TessalUpdata without parameters once
        // it is done; counted apart, so tests of other starts see only theirs.
        if (program.filename() == "TessalUpdata" && argument.empty())
            ++updates_checked_;
        else
            started_.push_back({program, argument});
        return true;
    };
    environment.machine_identifier = [this] {
        const std::lock_guard lock(identifier_mutex_);
        identifier_threads_.push_back(std::this_thread::get_id());
        return std::string("TEST-MACHINE-1");
    };
    client_ = std::make_unique<ClientApp>(std::move(environment));
    return client_->Start();
}

void ClientTest::Click(QWidget* element) {
    ASSERT_NE(element, nullptr);
    QTest::mouseClick(element, Qt::LeftButton);
}

// Typed as an input method types: QTest's keys are ASCII only.
void ClientTest::TypeAndLogin(const QString& account, const QString& password) {
    qobject_cast<QLineEdit*>(LoginElement(3))->insert(account);
    qobject_cast<QLineEdit*>(LoginElement(4))->insert(password);
    Click(LoginElement(9));
}

bool ClientTest::WaitForMainWindow(int timeout_ms) {
    return QTest::qWaitFor([this] { return Main()->isVisible(); }, timeout_ms);
}

bool ClientTest::WaitForFailure(int timeout_ms) {
    return QTest::qWaitFor([this] { return LoginElement(13)->isVisible(); }, timeout_ms);
}

std::string ClientTest::UserInfo(const char* key) const {
    return ReadProfileString(installation_->folder() / "UserInfo.ini", "Login", key, "<none>");
}

std::string ClientTest::UserSet(const char* key) const {
    return ReadProfileString(installation_->folder() / "UserSet.ini", "Client", key, "<none>");
}

void ClientTest::SaveShot(QWidget* window, const std::string& name) const {
    QApplication::processEvents();
    const std::filesystem::path folder = TESSAL_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    window->grab().save(QString::fromStdString((folder / (name + ".png")).string()));
}

void ClientTest::ExpectReachable(QWidget* window, std::initializer_list<int> ids) {
    QApplication::processEvents();
    for (const int id : ids) {
        QWidget* element = gui::FindElement(window, id);
        ASSERT_NE(element, nullptr) << "element " << id;
        const QPoint centre = element->mapTo(window, element->rect().center());
        EXPECT_EQ(window->childAt(centre), element) << "element " << id;
    }
}

}  // namespace tessal::client::test
