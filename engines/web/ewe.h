#pragma once

// The binary interface of the web engine libewe.so (the counterpart of the system's
// "ewe.dll"): Qt WebEngine behind two entry points with C linkage. The XWeb element
// (common/gui/web/) loads the library by full path when its first page is loaded, so
// that a client that shows no page never maps Qt WebEngine, starts no engine process and
// creates no OpenGL context.
//
// Views are Qt widgets: the program and the library share the one Qt of the system, so a
// `void*` here is a `QWidget*`. Every call is made on the GUI thread.

extern "C" {

// Starts the engine on the first call and makes a web view with no page: a widget whose
// parent is `host` (a QWidget*), destroyed with it (or deleted by the caller). The caller
// lays it out. Null for a null host or when the engine cannot start.
typedef void* eweCreateWebView_t(void* host);

// Loads `url` (UTF-16, ending with a 0) into `view`, which eweCreateWebView made. Nothing
// for a null view or URL.
typedef void eweLoadURL_t(void* view, const char16_t* url);

}  // extern "C"

// The names the entry points are exported under.
inline constexpr const char* kEweCreateWebView = "eweCreateWebView";
inline constexpr const char* kEweLoadURL = "eweLoadURL";
