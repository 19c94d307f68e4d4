// Test helpers for code that answers through the Qt event loop.
#pragma once

#include <chrono>
#include <functional>

namespace kav::testing {

// The process's QApplication (offscreen in tests), made on first use.
void ensureApp();
// Runs the event loop until pred() holds or timeout passes; returns pred().
bool waitUntil(const std::function<bool()>& pred,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));
// Runs the event loop for a while.
void spin(std::chrono::milliseconds time);

}  // namespace kav::testing
