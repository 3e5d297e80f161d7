#include "client/shell/close_requests.h"

#include <QCloseEvent>
#include <QObject>

namespace tessal::client {
namespace {

class CloseRequestFilter : public QObject {
public:
    CloseRequestFilter(QWidget* window, std::function<void()> on_close)
        : QObject(window), on_close_(std::move(on_close)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Close || !event->spontaneous())
            return false;
        event->ignore();
        on_close_();
        return true;
    }

private:
    std::function<void()> on_close_;
};

}  // namespace

void RouteCloseRequests(QWidget* window, std::function<void()> on_close) {
    new CloseRequestFilter(window, std::move(on_close));
}

}  // namespace tessal::client
