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
// own context on the GUI thread then finds them loaded.
void LoadOpenGlDriver() {
    QOpenGLContext context;
    context.create();
}

}  // namespace

StartupLoads::StartupLoads(std::function<void()> load_engine, std::function<void()> engine_loaded,
                           bool opengl)
    // Asked on the GUI thread, before the thread starts: Qt sets up its OpenGL support on
    // the first question, and not for two threads at once.
    : opengl_(opengl && QOpenGLContext::supportsThreadedOpenGL()),
      thread_([load_engine = std::move(load_engine), engine_loaded = std::move(engine_loaded),
               opengl = opengl_] {
          LoadImagePlugins();
          if (load_engine)
              load_engine();
          engine_loaded();
          if (opengl)
              LoadOpenGlDriver();
      }) {}

StartupLoads::~StartupLoads() {
    thread_.join();
}

}  // namespace tessal::player
