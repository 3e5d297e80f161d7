#include "tests/common/gui/web/web_probe.h"

#include <dlfcn.h>

#include <QTest>
#include <cstdlib>

namespace tessal::gui::test {
namespace {

using Evaluate_t = bool(void*, const char*, char*, int, int);
using OffTheRecord_t = bool(void*);

void* Probe() {
    static void* module = ::dlopen(TESSAL_EWE_PROBE, RTLD_NOW | RTLD_LOCAL);
    return module;
}

template <typename Function>
Function* Entry(const char* name) {
    return Probe() != nullptr ? reinterpret_cast<Function*>(::dlsym(Probe(), name)) : nullptr;
}

}  // namespace

std::optional<std::string> Evaluate(QWidget* engine_view, const std::string& script,
                                    int timeout_ms) {
    auto* evaluate = Entry<Evaluate_t>("eweProbeEvaluate");
    char result[4096];
    if (evaluate == nullptr ||
        !evaluate(engine_view, script.c_str(), result, sizeof result, timeout_ms))
        return std::nullopt;
    return std::string(result);
}

bool WaitForPage(QWidget* engine_view, const std::string& condition, int timeout_ms) {
    return QTest::qWaitFor(
        [&] { return Evaluate(engine_view, "!!(" + condition + ")", 1000) == "true"; }, timeout_ms);
}

std::optional<double> EvaluateNumber(QWidget* engine_view, const std::string& script) {
    const auto text = Evaluate(engine_view, script);
    if (!text || text->empty() || text->find_first_not_of("-.0123456789e") != std::string::npos)
        return std::nullopt;
    return std::strtod(text->c_str(), nullptr);
}

bool OffTheRecord(QWidget* engine_view) {
    auto* off_the_record = Entry<OffTheRecord_t>("eweProbeOffTheRecord");
    return off_the_record != nullptr && off_the_record(engine_view);
}

}  // namespace tessal::gui::test
