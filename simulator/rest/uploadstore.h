#pragma once
// The photos received by photos.upload, kept in memory so that tests can compare the bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct Upload {
  int64_t pid = 0;
  int64_t aid = 0;
  int64_t owner = 0;
  std::string filename;
  std::string contentType;
  std::string bytes;
  int64_t created = 0;
};

class UploadStore {
 public:
  const Upload& add(Upload upload);
  const Upload* find(int64_t pid) const;
  const std::vector<Upload>& all() const { return uploads_; }
  void clear() { uploads_.clear(); }

 private:
  std::vector<Upload> uploads_;
  int64_t nextPid_ = 4200000000001;
};

}  // namespace sim
