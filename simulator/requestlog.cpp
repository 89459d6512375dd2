#include "requestlog.h"

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

JsonValue RequestLog::toJson(uint64_t after) const {
  std::lock_guard<std::mutex> lock(mutex_);
  JsonValue list = JsonValue::array();
  for (const LoggedRequest& r : entries_) {
    if (r.sequence <= after) continue;
    JsonValue e = JsonValue::object();
    e.set("seq", r.sequence);
    e.set("time", r.time);
    e.set("http_method", r.httpMethod);
    e.set("path", r.path);
    e.set("query", r.query);
    e.set("content_type", r.contentType);
    e.set("remote_addr", r.remoteAddr);
    e.set("method", r.restMethod);
    JsonValue params = JsonValue::array();
    for (const FormField& f : r.params) {
      JsonValue p = JsonValue::object();
      p.set("name", f.name);
      p.set("value", f.value);
      params.push(std::move(p));
    }
    e.set("params", std::move(params));
    JsonValue files = JsonValue::array();
    for (const LoggedFile& f : r.files) {
      JsonValue file = JsonValue::object();
      file.set("name", f.name);
      file.set("filename", f.filename);
      file.set("content_type", f.contentType);
      file.set("size", static_cast<int64_t>(f.size));
      file.set("md5", f.md5);
      files.push(std::move(file));
    }
    e.set("files", std::move(files));
    e.set("signature_valid", r.signatureValid ? JsonValue(*r.signatureValid) : JsonValue());
    e.set("error_code", r.errorCode);
    e.set("detail", r.detail);
    e.set("body_size", static_cast<int64_t>(r.bodySize));
    e.set("body", r.body);
    e.set("fault", r.fault);
    e.set("status", r.status);
    list.push(std::move(e));
  }
  return list;
}

}  // namespace sim
