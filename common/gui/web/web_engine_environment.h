#pragma once

// What the web engine needs of the process before any thread starts.

namespace tessal::gui {

// Chromium cannot sandbox its processes for the root user and then ends the whole
// program at the first page; when the program runs as root, the engine is told to run
// without its sandbox (QTWEBENGINE_DISABLE_SANDBOX, unless already set). Call at the
// start of main: it changes the environment, which no other thread may read meanwhile.
void PrepareWebEngineEnvironment();

}  // namespace tessal::gui
