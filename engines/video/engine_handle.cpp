#include "engines/video/engine_handle.h"

namespace tessal::aplayer {

EngineHandle::EngineHandle(APlayerStateCallback on_state)
    : states_(std::make_shared<StateQueue>(on_state)), thread_(QThread::currentThread()) {}

std::shared_ptr<EngineHandle> EngineHandle::Create(QWidget* parent, QRect geometry,
                                                   APlayerMessageCallback on_message,
                                                   APlayerStateCallback on_state,
                                                   std::string& error) {
    std::shared_ptr<EngineHandle> handle(new EngineHandle(on_state));
    handle->engine_ =
        Engine::Create(parent, geometry, on_message, handle->values_, *handle->states_, error);
    if (!handle->engine_)
        return nullptr;
    QWidget* window = handle->engine_->window();
    handle->window_ = window;
    // The parent may delete the video window with itself; from then on there is no
    // window to answer. The engine, which the handle outlives, ends the connection.
    QObject::connect(window, &QObject::destroyed, handle->engine_.get(),
                     [raw = handle.get()] { raw->window_ = nullptr; });
    return handle;
}

bool EngineHandle::Destroy() {
    if (!engine_)
        return false;
    engine_->FinishAsClose();
    window_ = nullptr;
    engine_.reset();
    states_->DeliverAllAndClose();
    return true;
}

}  // namespace tessal::aplayer
