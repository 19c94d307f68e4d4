#include "platform/aphelp/jobs.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <QTimer>
#include <chrono>
#include <thread>
#include <unordered_map>

#include "platform/aphelp/handles.h"

namespace kav::aphelp {
namespace {

struct Job {
  long id = 0;
  AP_HANDLE owner = 0;
  std::unique_ptr<Transfer> transfer;
  Target target;
  JobDone onDone;
  long request = 0;  // the engine's number of the request in flight
  bool cancelled = false;
};

// Jobs by number.  Never destroyed, for the same reason as the registry of
// handles: the last apUninitSnmpLibrary may come from another library's
// exit hook.
std::unordered_map<long, std::shared_ptr<Job>>& gJobs = *new std::unordered_map<long, std::shared_ptr<Job>>;
long gNextJob = 1;

Target targetFor(const Job& job, int timeoutMs) {
  Target t = job.target;
  if (timeoutMs > 0) t.timeoutMs = timeoutMs;
  return t;
}

void forget(const Job& job) {
  gJobs.erase(job.id);
  if (FeatureHandle* f = Registry::get().feature(job.owner)) f->jobs.erase(job.id);
}

void finish(const std::shared_ptr<Job>& job, int status) {
  job->request = 0;
  SnmpEngine::instance()->defer([job, status] {
    if (job->cancelled) return;
    forget(*job);
    job->onDone(status, *job->transfer);
  });
}

constexpr int kStarted = 1;

// Sends the job's next request: kStarted, AP_OK when there is none left, or
// the error of a request that could not be sent.
int advance(const std::shared_ptr<Job>& job);

void onAnswer(const std::shared_ptr<Job>& job, int status, snmp_pdu* answer) {
  if (job->cancelled) return;
  if (status == AP_OK) status = job->transfer->take(answer);
  if (status == AP_OK) {
    status = advance(job);
    if (status == kStarted) return;
  }
  finish(job, status);
}

int advance(const std::shared_ptr<Job>& job) {
  if (int delay = job->transfer->takeDelay(); delay > 0) {
    QTimer::singleShot(delay, SnmpEngine::instance(), [job] {
      if (job->cancelled) return;
      int status = advance(job);
      if (status != kStarted) finish(job, status);
    });
    return kStarted;
  }
  bool write = false;
  int timeoutMs = 0;
  snmp_pdu* pdu = job->transfer->next(&write, &timeoutMs);
  if (!pdu) return AP_OK;
  const Target target = targetFor(*job, timeoutMs);
  long id = SnmpEngine::instance()->sendAsync(
      target, write ? target.writeCommunity : target.readCommunity, pdu,
      [job](int status, snmp_pdu* answer) { onAnswer(job, status, answer); });
  if (id <= 0) return static_cast<int>(id);
  job->request = id;
  return kStarted;
}

}  // namespace

int runSync(Transfer& transfer, const Target& base) {
  for (;;) {
    if (int delay = transfer.takeDelay(); delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    bool write = false;
    int timeoutMs = 0;
    snmp_pdu* pdu = transfer.next(&write, &timeoutMs);
    if (!pdu) return AP_OK;
    Target target = base;
    if (timeoutMs > 0) target.timeoutMs = timeoutMs;
    snmp_pdu* answer = nullptr;
    int rc = SnmpEngine::instance()->sendSync(target, write ? target.writeCommunity : target.readCommunity,
                                              pdu, &answer);
    if (rc == AP_OK) {
      rc = transfer.take(answer);
      snmp_free_pdu(answer);
    }
    if (rc != AP_OK) return rc;
  }
}

int startJob(AP_HANDLE owner, std::unique_ptr<Transfer> transfer, const Target& target, JobDone onDone) {
  auto job = std::make_shared<Job>();
  job->id = gNextJob++;
  job->owner = owner;
  job->transfer = std::move(transfer);
  job->target = target;
  job->onDone = std::move(onDone);
  int rc = advance(job);
  if (rc < 0) return rc;
  gJobs.emplace(job->id, job);
  if (FeatureHandle* f = Registry::get().feature(owner)) f->jobs.insert(job->id);
  if (rc == AP_OK) finish(job, AP_OK);  // nothing to send: done at once, reported later
  return AP_OK;
}

void cancelJob(long id) {
  auto it = gJobs.find(id);
  if (it == gJobs.end()) return;
  std::shared_ptr<Job> job = it->second;
  job->cancelled = true;
  if (job->request && SnmpEngine::instance()) SnmpEngine::instance()->cancel(job->request);
  gJobs.erase(it);
}

void cancelAllJobs() {
  while (!gJobs.empty()) cancelJob(gJobs.begin()->first);
}

}  // namespace kav::aphelp
