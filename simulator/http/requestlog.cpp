#include "simulator/http/requestlog.h"

namespace sim {

void RequestLog::add(LoggedRequest entry) {
  std::lock_guard<std::mutex> lock(mutex_);
  entry.sequence = nextSequence_++;
  entries_.push_back(std::move(entry));
  if (entries_.size() > kMaxEntries) entries_.pop_front();
}

void RequestLog::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.clear();
}

std::vector<LoggedRequest> RequestLog::entries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {entries_.begin(), entries_.end()};
}

Json RequestLog::toJson(uint64_t after) const {
  std::lock_guard<std::mutex> lock(mutex_);
  Json list = Json::array();
  for (const LoggedRequest& r : entries_) {
    if (r.sequence <= after) continue;
    Json params = Json::array();
    for (const FormField& f : r.params) params.push_back({{"name", f.name}, {"value", f.value}});
    Json files = Json::array();
    for (const LoggedFile& f : r.files) {
      files.push_back({{"name", f.name},
                       {"filename", f.filename},
                       {"content_type", f.contentType},
                       {"size", f.size},
                       {"md5", f.md5}});
    }
    list.push_back({
        {"seq", r.sequence},
        {"time", r.time},
        {"http_method", r.httpMethod},
        {"path", r.path},
        {"query", r.query},
        {"content_type", r.contentType},
        {"remote_addr", r.remoteAddr},
        {"method", r.restMethod},
        {"params", std::move(params)},
        {"files", std::move(files)},
        {"signature_valid", r.signatureValid ? Json(*r.signatureValid) : Json()},
        {"error_code", r.errorCode},
        {"detail", r.detail},
        {"body_size", r.bodySize},
        {"body", r.body},
        {"fault", r.fault},
        {"chaos", r.chaos},
        {"status", r.status},
    });
  }
  return list;
}

}  // namespace sim
