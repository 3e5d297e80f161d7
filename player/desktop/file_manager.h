#pragma once

// "Show in folder": the desktop's file manager opens the file's folder with the file
// selected (org.freedesktop.FileManager1 ShowItems on the session bus). Where there is
// no session bus, or the file manager does not answer (no such service, an error, no
// answer in time), `open_url` opens the folder instead: at once without a bus, else from
// the event loop of the calling thread once the answer is in. Never waits on the bus.

#include <QDBusConnection>
#include <QString>
#include <QUrl>
#include <functional>

namespace tessal::player {

// A relative `path` is taken from the current folder.
void ShowInFileManager(const QString& path, QDBusConnection bus,
                       std::function<void(const QUrl&)> open_url);

}  // namespace tessal::player
