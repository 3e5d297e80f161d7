#pragma once

// The tests' look into a page of libewe.so: scripts run in it through libewe_probe.so,
// which is loaded after the engine, so that the test program maps Qt WebEngine only the
// way the client does.

#include <QWidget>
#include <optional>
#include <string>

namespace tessal::gui::test {

// The value of `script` in the page of `engine_view`, as JSON text; nothing when the page
// does not answer within `timeout_ms`.
std::optional<std::string> Evaluate(QWidget* engine_view, const std::string& script,
                                    int timeout_ms = 5000);
// Waits until `condition`, a script, gives true in the page.
bool WaitForPage(QWidget* engine_view, const std::string& condition, int timeout_ms = 20000);
// The number `script` gives; nothing when it gives no number.
std::optional<double> EvaluateNumber(QWidget* engine_view, const std::string& script);
// True when the page keeps nothing on disk.
bool OffTheRecord(QWidget* engine_view);

}  // namespace tessal::gui::test
