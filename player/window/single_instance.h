#pragma once

// One player per installation. The first instance holds the player's lock and listens
// on a local socket whose name it writes as "h" of the hand-off file
// ("./codecs/Handle.dll"); a second start writes its path as "data", sends the hand-off
// message's flag (1: a path waits, 0: only bring the window forward) and ends once the
// first instance handled it, as a sent window message would.

#include <QLocalServer>
#include <QObject>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "common/base/file_lock.h"

namespace tessal::player {

inline constexpr int kHandOffMessage = 2028;

class SingleInstance : public QObject {
public:
    explicit SingleInstance(const std::filesystem::path& program_folder);
    ~SingleInstance() override;

    // True when no other player of this installation runs; this one then holds the lock.
    bool first() const { return lock_.held(); }
    // First instance: listens and writes "h"; `on_message` gets each flag on the GUI
    // thread, before the second start is answered.
    bool Listen(std::function<void(int flag)> on_message);
    // Second instance: hands `argument` over (empty: none); false when no running
    // instance answered within `limit`.
    bool HandOver(const std::string& argument,
                  std::chrono::milliseconds limit = std::chrono::seconds(5)) const;
    // Shutdown: "h" and "data" emptied, no more hand-offs taken.
    void Stop();

    const std::filesystem::path& hand_off_file() const { return hand_off_file_; }

private:
    void Answer();

    std::filesystem::path hand_off_file_;
    std::string key_;
    FileLock lock_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void(int)> on_message_;
};

}  // namespace tessal::player
