// A web engine library that lacks eweCreateWebView, for the loader's test.

extern "C" __attribute__((visibility("default"))) void eweLoadURL(void*, const char16_t*) {}
