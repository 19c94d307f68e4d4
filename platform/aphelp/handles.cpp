#include "platform/aphelp/handles.h"

#include "platform/aphelp/jobs.h"

namespace kav::aphelp {

Registry& Registry::get() {
  // Never destroyed: the module's unload may close everything from its own
  // exit hook, which can run after this library's static objects are gone.
  static Registry* registry = new Registry;
  return *registry;
}

AP_HANDLE Registry::addSession() {
  AP_HANDLE h = next_++;
  Session s;
  s.target.readCommunity = "public";
  s.target.writeCommunity = "private";
  sessions_.emplace(h, std::move(s));
  return h;
}

AP_HANDLE Registry::addFeature(AP_HANDLE session, device::Feature feature, int monitorKind) {
  if (!sessions_.count(session)) return 0;
  AP_HANDLE h = next_++;
  auto f = std::make_unique<FeatureHandle>();
  f->feature = feature;
  f->session = session;
  f->monitorKind = monitorKind;
  features_.emplace(h, std::move(f));
  return h;
}

Session* Registry::session(AP_HANDLE h) {
  auto it = sessions_.find(h);
  return it == sessions_.end() ? nullptr : &it->second;
}

FeatureHandle* Registry::feature(AP_HANDLE h) {
  auto it = features_.find(h);
  return it == features_.end() ? nullptr : it->second.get();
}

FeatureHandle* Registry::feature(AP_HANDLE h, device::Feature kind) {
  FeatureHandle* f = feature(h);
  return f && f->feature == kind ? f : nullptr;
}

bool Registry::close(AP_HANDLE h) {
  if (sessions_.erase(h)) return true;
  auto it = features_.find(h);
  if (it == features_.end()) return false;
  // Cancel first: a job must never see its handle gone.
  auto jobs = it->second->jobs;
  for (long id : jobs) cancelJob(id);
  features_.erase(it);
  return true;
}

void Registry::clear() {
  cancelAllJobs();
  features_.clear();
  sessions_.clear();
}

}  // namespace kav::aphelp
