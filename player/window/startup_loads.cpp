#include "player/window/startup_loads.h"

#include <QImageReader>
#include <QOpenGLContext>

namespace tessal::player {
namespace {

// Asking which formats can be read makes Qt load every image plugin once.
void LoadImagePlugins() {
    QImageReader::supportedImageFormats();
}

// A context made and dropped on this thread loads the driver's libraries; the engine's
// own context on the GUI thread then finds them loaded. Qt sets up its OpenGL support at
// the first question, here, and not for two threads at once: the GUI thread asks
// nothing of OpenGL before the engine is reported loaded, after this.
void LoadOpenGlDriver() {
    if (!QOpenGLContext::supportsThreadedOpenGL())
        return;
    QOpenGLContext context;
    context.create();
}

}  // namespace

StartupLoads::StartupLoads(std::function<void()> load_engine, std::function<void()> engine_loaded,
                           bool opengl)
    : thread_(
          [load_engine = std::move(load_engine), engine_loaded = std::move(engine_loaded), opengl] {
              LoadImagePlugins();
              if (load_engine)
                  load_engine();
              if (opengl)
                  LoadOpenGlDriver();
              engine_loaded();
          }) {}

StartupLoads::~StartupLoads() {
    thread_.join();
}

}  // namespace tessal::player
