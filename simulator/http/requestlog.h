#pragma once
// The requests the server received, so that tests can assert exactly what the client sent.
// The control API's own requests are not logged. The oldest entries go beyond a fixed number.
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "simulator/control/json.h"
#include "simulator/http/formfield.h"

namespace sim {

struct LoggedFile {
  std::string name, filename, contentType;
  size_t size = 0;
  std::string md5;
};

struct LoggedRequest {
  uint64_t sequence = 0;
  int64_t time = 0;
  std::string httpMethod, path, query, contentType, remoteAddr;
  std::string restMethod;  // for the REST endpoint
  FormFields params;       // decoded, in their order: the body's fields, else the query's
  std::vector<LoggedFile> files;
  std::optional<bool> signatureValid;
  int errorCode = 0;
  std::string detail;
  size_t bodySize = 0;
  std::string body;  // form bodies only, as received (still percent-encoded)
  std::string fault;
  bool chaos = false;  // the fault was drawn at random
  int status = 0;
};

class RequestLog {
 public:
  void add(LoggedRequest entry);
  void clear();
  // Entries with a sequence number above `after`, oldest first.
  Json toJson(uint64_t after = 0) const;
  std::vector<LoggedRequest> entries() const;

 private:
  static constexpr size_t kMaxEntries = 20000;
  mutable std::mutex mutex_;
  std::deque<LoggedRequest> entries_;
  uint64_t nextSequence_ = 1;
};

}  // namespace sim
