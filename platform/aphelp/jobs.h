// Running transfers: synchronously, or as jobs whose requests go out one
// after another as the answers come back through the event loop.
#pragma once

#include <functional>
#include <memory>

#include "platform/aphelp/engine.h"
#include "platform/aphelp/include/KAV7420apHelp.h"
#include "platform/aphelp/transfer.h"

namespace kav::aphelp {

// Runs transfer to its end; returns AP_OK or the error that ended it.
int runSync(Transfer& transfer, const Target& target);

// Starts transfer for feature handle owner.  onDone(status, transfer) runs
// later from the event loop when the transfer has ended, unless the job was
// cancelled (its handle closed).  Returns AP_OK, or the error code of a first
// request that could not be sent; onDone is then never called.
using JobDone = std::function<void(int status, Transfer& transfer)>;
int startJob(AP_HANDLE owner, std::unique_ptr<Transfer> transfer, const Target& target, JobDone onDone);

// Stops a job: its request in flight is forgotten and onDone never runs.
void cancelJob(long id);
void cancelAllJobs();

}  // namespace kav::aphelp
