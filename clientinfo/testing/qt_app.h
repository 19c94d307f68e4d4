// The Qt application a test needs for the framework's event processor,
// and a wait that keeps the event loop running.
#pragma once

#include <functional>

namespace kav::clientinfo::testing {

// Creates the process's QCoreApplication once.
void EnsureCoreApp();
// Runs the event loop until done() or timeoutMs; returns done().
bool RunUntil(const std::function<bool()>& done, int timeoutMs = 10000);

}  // namespace kav::clientinfo::testing
