#pragma once

// The private messages workers hand to windows (2024 to 2029). A window has one
// receiver; its handler runs on the GUI thread with the message and its two parameters.
// Send waits until the handler has run, so the sender may pass pointers to its own
// data; post returns at once and must pass values.

#include <QObject>
#include <cstdint>
#include <functional>

namespace tessal::gui {

inline constexpr int kProgressReportMessage = 2024;  // a download worker's progress
inline constexpr int kStartNextTaskMessage = 2025;   // start the next queued download
inline constexpr int kTextPopupMessage = 2026;       // show the pending text message
inline constexpr int kPicturePopupMessage = 2028;    // show the pending picture message
inline constexpr int kSecondPicturePopupMessage = 2029;
inline constexpr int kPlayHandedOffLessonMessage = 2028;  // the player's second instance

using MessageHandler = std::function<void(int message, std::uintptr_t first, std::intptr_t second)>;

class MessageReceiver : public QObject {
    Q_OBJECT
public:
    // Lives on the thread that makes it, the GUI thread; `window` owns it when given.
    explicit MessageReceiver(MessageHandler handler, QObject* window = nullptr);

    // From any thread. On the GUI thread itself the handler runs at once. When the
    // receiver is destroyed before it handled the message, Send returns without it.
    void Send(int message, std::uintptr_t first = 0, std::intptr_t second = 0);
    void Post(int message, std::uintptr_t first = 0, std::intptr_t second = 0);

private:
    void Handle(int message, std::uintptr_t first, std::intptr_t second);

    MessageHandler handler_;
};

}  // namespace tessal::gui
