#include "player/desktop/file_manager.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFileInfo>
#include <QStringList>
#include <utility>

#include "common/base/trace.h"

namespace tessal::player {
namespace {

// A file manager started by the bus for this call may take a few seconds to come up;
// beyond this the folder opens instead.
constexpr int kShowItemsTimeoutMs = 10000;

QDBusMessage ShowItemsCall(const QString& absolute_path) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    const QStringList uris{QUrl::fromLocalFile(absolute_path).toString(QUrl::FullyEncoded)};
    call << uris << QString();  // no start-up notification id
    return call;
}

}  // namespace

void ShowInFileManager(const QString& path, QDBusConnection bus,
                       std::function<void(const QUrl&)> open_url) {
    const QFileInfo file(path);
    const QUrl folder = QUrl::fromLocalFile(file.absolutePath());
    if (!bus.isConnected()) {
        Trace("FileManager1: no session bus, opening the folder");
        if (open_url) {
            open_url(folder);
        }
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(ShowItemsCall(file.absoluteFilePath()), kShowItemsTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, folder, open_url = std::move(open_url)] {
                         watcher->deleteLater();
                         if (!watcher->isError()) {
                             return;
                         }
                         Trace("FileManager1 ShowItems: " + watcher->error().name().toStdString() +
                               ", opening the folder");
                         if (open_url) {
                             open_url(folder);
                         }
                     });
}

}  // namespace tessal::player
