#include "common/gui/web/ewe_library.h"

#include <dlfcn.h>

#include "common/base/trace.h"
#include "engines/video/loader/elf_exports.h"

namespace tessal::gui {

bool EweLibrary::Load() {
    if (loaded())
        return true;
    // The file is replaced by updates: a cut one would be mapped past its end and end the
    // whole program inside the dynamic loader, so only a whole library is loaded.
    if (!ReadElfDynamicInfo(library_)) {
        Trace("web engine not loaded: " + library_.string() + " is not a whole library");
        return false;
    }
    // Resolve everything now: a missing dependency must fail here, not inside a page.
    void* module = ::dlopen(library_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* reason = ::dlerror();
        Trace(std::string("web engine not loaded: ") + (reason ? reason : library_.c_str()));
        return false;
    }
    // Never closed: the engine cannot be taken down before the application ends.
    auto* create = reinterpret_cast<eweCreateWebView_t*>(::dlsym(module, kEweCreateWebView));
    auto* load_url = reinterpret_cast<eweLoadURL_t*>(::dlsym(module, kEweLoadURL));
    if (create == nullptr || load_url == nullptr) {
        Trace("web engine not loaded: " + library_.string() + " lacks " +
              (create == nullptr ? kEweCreateWebView : kEweLoadURL));
        return false;
    }
    create_ = create;
    load_url_ = load_url;
    Trace("web engine loaded: " + library_.string());
    return true;
}

QWidget* EweLibrary::CreateWebView(QWidget* host) {
    if (host == nullptr || !Load())
        return nullptr;
    return static_cast<QWidget*>(create_(host));
}

bool EweLibrary::LoadURL(QWidget* view, const QString& url) {
    if (view == nullptr || !loaded())
        return false;
    load_url_(view, reinterpret_cast<const char16_t*>(url.utf16()));
    return true;
}

}  // namespace tessal::gui
