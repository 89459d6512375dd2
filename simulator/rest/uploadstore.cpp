#include "simulator/rest/uploadstore.h"

namespace sim {

const Upload& UploadStore::add(Upload upload) {
  upload.pid = nextPid_++;
  uploads_.push_back(std::move(upload));
  return uploads_.back();
}

const Upload* UploadStore::find(int64_t pid) const {
  for (const Upload& u : uploads_)
    if (u.pid == pid) return &u;
  return nullptr;
}

}  // namespace sim
