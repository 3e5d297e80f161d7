#include "engines/video/engine_values.h"

namespace tessal::aplayer {

std::string ConfigText(const EngineSnapshot& values, int item) {
    switch (item) {
        case kAPlayerConfigCloseReason:
            return values.close_reason;
        case kAPlayerConfigSpeed:
            return std::to_string(values.speed_percent);
        case kAPlayerConfigRenderMode:
            return std::to_string(values.render_mode);
        default:
            return {};
    }
}

}  // namespace tessal::aplayer
