#include "player/window/single_instance.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

#include "player/core/hand_off.h"

namespace tessal::player {
namespace {

constexpr int kLineLimit = 64;

std::string LockKey(const std::filesystem::path& program_folder) {
    std::error_code error;
    const auto canonical = std::filesystem::weakly_canonical(program_folder, error);
    return "TessalPlayer:" + (error ? program_folder : canonical).string();
}

std::string Message(int flag) {
    return std::to_string(kHandOffMessage) + " " + std::to_string(flag) + "\n";
}

// The flag of a hand-off line "2028 <flag>"; -1 for anything else.
int FlagOf(const QByteArray& line) {
    const QList<QByteArray> parts = line.trimmed().split(' ');
    if (parts.size() != 2 || parts[0] != QByteArray::number(kHandOffMessage))
        return -1;
    bool ok = false;
    const int flag = parts[1].toInt(&ok);
    return ok ? flag : -1;
}

}  // namespace

SingleInstance::SingleInstance(const std::filesystem::path& program_folder)
    : hand_off_file_(program_folder / "codecs" / "Handle.dll"),
      key_(LockKey(program_folder)),
      lock_(key_, FileLock::Mode::kTry) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Listen(std::function<void(int flag)> on_message) {
    if (!first())
        return false;
    on_message_ = std::move(on_message);
    const QString name =
        QString::fromStdString(FileLock::PathFor(key_).replace_extension(".sock").string());
    QLocalServer::removeServer(name);  // left by a player that was killed; the lock is ours
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name))
        return false;
    connect(server_.get(), &QLocalServer::newConnection, this, [this] { Answer(); });
    return WriteHandOffName(hand_off_file_, server_->fullServerName().toStdString());
}

void SingleInstance::Answer() {
    while (QLocalSocket* socket = server_ ? server_->nextPendingConnection() : nullptr) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kLineLimit)
                    socket->abort();
                return;
            }
            const int flag = FlagOf(socket->readLine(kLineLimit));
            if ((flag == 0 || flag == 1) && on_message_)
                on_message_(flag);
            socket->write("ok\n");
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::HandOver(const std::string& argument, std::chrono::milliseconds limit) const {
    const int flag = argument.empty() ? 0 : 1;
    if (flag == 1)
        WriteHandOffData(hand_off_file_, argument);
    QElapsedTimer elapsed;
    elapsed.start();
    // The running player may still be starting: its name comes once its window exists.
    while (elapsed.elapsed() < limit.count()) {
        const std::string name = ReadHandOffName(hand_off_file_);
        QLocalSocket socket;
        if (!name.empty()) {
            socket.connectToServer(QString::fromStdString(name));
            if (socket.waitForConnected(500)) {
                socket.write(Message(flag).c_str());
                socket.waitForBytesWritten(1000);
                const int left = static_cast<int>(limit.count() - elapsed.elapsed());
                while (!socket.canReadLine() && socket.waitForReadyRead(std::max(left, 1))) {
                }
                return socket.canReadLine() && socket.readLine().trimmed() == "ok";
            }
        }
        QThread::msleep(100);
    }
    return false;
}

void SingleInstance::Stop() {
    if (server_) {
        server_->close();
        server_.reset();
    }
    if (first())
        ClearHandOff(hand_off_file_);
}

}  // namespace tessal::player
