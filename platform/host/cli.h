// The host's command line: one sub-command per export, for scripts, tests
// and benchmarks.
#pragma once

#include <QStringList>

namespace kav::host {

// Runs `orvane COMMAND ...` (arguments without the program name); returns
// the exit status: 0 when every device answered, 1 when some did not, 2
// for a usage error.  A QApplication must exist.
int runCli(const QStringList& arguments);

// True when the arguments name a command-line sub-command (anything but
// the GUI).
bool isCliCommand(const QStringList& arguments);

// True when the sub-command opens a window of the module (configure): it
// wants the session's display rather than the offscreen platform.
bool needsDisplay(const QStringList& arguments);

}  // namespace kav::host
