#pragma once

// The web engine libewe.so, loaded by full path the first time a page is loaded into a
// web view element, and never unloaded (Chromium keeps threads and process-wide state
// until the application ends). Until then nothing of Qt WebEngine is mapped, no engine
// process runs and no OpenGL context exists. GUI thread only.

#include <QString>
#include <QWidget>
#include <filesystem>
#include <string_view>

#include "engines/web/ewe.h"

namespace tessal::gui {

class EweLibrary final {
public:
    static constexpr std::string_view kLibraryName = "libewe.so";

    // Nothing is loaded yet.
    explicit EweLibrary(std::filesystem::path library) : library_(std::move(library)) {}
    EweLibrary(const EweLibrary&) = delete;
    EweLibrary& operator=(const EweLibrary&) = delete;

    const std::filesystem::path& library() const { return library_; }
    // True once the library is mapped with both entry points.
    bool loaded() const { return create_ != nullptr && load_url_ != nullptr; }

    // Loads the library when it is not yet loaded (a failed load is tried again next
    // time, traced each time). False when it cannot be loaded or lacks an entry point.
    bool Load();
    // A view with no page, child of `host`; null when the library or the engine fails.
    QWidget* CreateWebView(QWidget* host);
    // False when the library is not loaded.
    bool LoadURL(QWidget* view, const QString& url);

private:
    std::filesystem::path library_;
    eweCreateWebView_t* create_ = nullptr;
    eweLoadURL_t* load_url_ = nullptr;
};

}  // namespace tessal::gui
