#include "player/desktop/file_manager.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QList>

#include "tests/player/desktop/fake_desktop_services.h"
#include "tests/player/desktop/private_bus.h"

namespace tessal::player {
namespace {

using test::Settle;
using test::WaitFor;

class FileManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus_.started());
        player_ = bus_.Connect();
        desktop_ = bus_.Connect();
    }

    void Show(const QString& path) {
        ShowInFileManager(path, player_, [this](const QUrl& url) { opened_.append(url); });
    }

    test::PrivateBus bus_;
    QDBusConnection player_{QString()};
    QDBusConnection desktop_{QString()};
    test::FakeFileManager file_manager_;
    QList<QUrl> opened_;
};

TEST_F(FileManagerTest, TheFileManagerShowsTheFile) {
    ASSERT_TRUE(file_manager_.Serve(desktop_));
    const QString relative = QStringLiteral("下载的课程/第 1 课.tessal");
    const struct {
        QString given;
        QString shown;
    } cases[] = {
        {QStringLiteral("/tmp/下载的课程/第 1 课.tessal"),
         QStringLiteral("/tmp/下载的课程/第 1 课.tessal")},
        {relative, QDir::current().absoluteFilePath(relative)},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.given.toStdString());
        file_manager_.shown.clear();
        file_manager_.startup_ids.clear();
        Show(each.given);
        ASSERT_TRUE(WaitFor([&] { return !file_manager_.shown.isEmpty(); }));
        ASSERT_EQ(file_manager_.shown[0].size(), 1);
        const QString uri = file_manager_.shown[0][0];
        EXPECT_TRUE(uri.startsWith(QStringLiteral("file:///")));
        EXPECT_FALSE(uri.contains(QLatin1Char(' ')));  // a URI, escaped
        EXPECT_EQ(QUrl(uri).toLocalFile(), each.shown);
        EXPECT_EQ(file_manager_.startup_ids, QStringList{QString()});
    }
    Settle();  // the answers are in
    EXPECT_TRUE(opened_.isEmpty());
}

TEST_F(FileManagerTest, TheFolderOpensWhenTheFileManagerCannotShowTheFile) {
    for (const bool service : {false, true}) {
        SCOPED_TRACE(service ? "file manager fails" : "no file manager");
        if (service) {
            file_manager_.fail = true;
            ASSERT_TRUE(file_manager_.Serve(desktop_));
        }
        opened_.clear();
        Show(QStringLiteral("/tmp/下载的课程/第 1 课.tessal"));
        EXPECT_TRUE(opened_.isEmpty());  // never from inside the call while a bus is there
        ASSERT_TRUE(WaitFor([&] { return !opened_.isEmpty(); }));
        EXPECT_EQ(opened_, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/下载的课程"))});
    }
}

TEST(FileManagerWithoutBusTest, TheFolderOpensAtOnce) {
    QList<QUrl> opened;
    ShowInFileManager(QStringLiteral("/tmp/下载的课程/第 1 课.tessal"),
                      QDBusConnection(QStringLiteral("tessal-no-bus")),
                      [&](const QUrl& url) { opened.append(url); });
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/下载的课程"))});
}

}  // namespace
}  // namespace tessal::player
