#pragma once

// The private messages workers hand to windows (2024 to 2029). A window has one
// receiver; its handler runs on the GUI thread with the message and its two parameters.
// Workers reach it through the receiver's link, which outlives the receiver. Send waits
// until the handler has run, so the sender may pass pointers to its own data; Post
// returns at once and must pass values. Once the receiver is gone or closed (the client
// closes its receivers when its shutdown begins, before it joins the workers), Send and
// Post return false at once, a Send already waiting returns false too, and no handler
// runs for them: a worker can never hang on a GUI thread that waits for it.

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace tessal::gui {

inline constexpr int kProgressReportMessage = 2024;  // a download worker's progress
inline constexpr int kStartNextTaskMessage = 2025;   // start the next queued download
inline constexpr int kTextPopupMessage = 2026;       // show the pending text message
inline constexpr int kPicturePopupMessage = 2028;    // show the pending picture message
inline constexpr int kSecondPicturePopupMessage = 2029;
inline constexpr int kPlayHandedOffLessonMessage = 2028;  // the player's second instance

using MessageHandler = std::function<void(int message, std::uintptr_t first, std::intptr_t second)>;

class MessageReceiver;

class MessageLink : public std::enable_shared_from_this<MessageLink> {
public:
    // From any thread; on the receiver's own thread the handler runs at once. True when
    // the handler ran (Send) or will run (Post).
    bool Send(int message, std::uintptr_t first = 0, std::intptr_t second = 0);
    bool Post(int message, std::uintptr_t first = 0, std::intptr_t second = 0);
    // Ends delivery for good; from any thread.
    void Close();

private:
    friend class MessageReceiver;
    struct Call;
    MessageLink(MessageReceiver* receiver, MessageHandler handler);
    bool Queue(const std::shared_ptr<Call>& call);
    void Deliver(Call& call);

    std::mutex mutex_;
    std::condition_variable changed_;
    MessageReceiver* receiver_;  // null once closed
    const MessageHandler handler_;
};

class MessageReceiver : public QObject {
    Q_OBJECT
public:
    // Lives on the thread that makes it, the GUI thread; `window` owns it when given.
    explicit MessageReceiver(MessageHandler handler, QObject* window = nullptr);
    ~MessageReceiver() override;

    // What workers keep to reach this receiver.
    std::shared_ptr<MessageLink> link() const { return link_; }
    bool Send(int message, std::uintptr_t first = 0, std::intptr_t second = 0) {
        return link_->Send(message, first, second);
    }
    bool Post(int message, std::uintptr_t first = 0, std::intptr_t second = 0) {
        return link_->Post(message, first, second);
    }
    void Close() { link_->Close(); }

private:
    std::shared_ptr<MessageLink> link_;
};

}  // namespace tessal::gui
