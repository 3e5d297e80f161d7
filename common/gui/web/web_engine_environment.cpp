#include "common/gui/web/web_engine_environment.h"

#include <unistd.h>

#include <cstdlib>

#include "common/base/trace.h"

namespace tessal::gui {

void PrepareWebEngineEnvironment() {
    if (::geteuid() != 0)
        return;
    ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    Trace("web engine: running as root, so without its sandbox");
}

}  // namespace tessal::gui
