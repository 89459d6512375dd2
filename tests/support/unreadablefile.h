#pragma once
// Makes a file unreadable to the calling thread, root included: its mode goes to 0 and the
// thread sets aside the capabilities that read past a mode; both come back at the end.
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <string>

namespace testsupport {

class UnreadableFile {
 public:
  explicit UnreadableFile(std::string path) : path_(std::move(path)) {
    ::chmod(path_.c_str(), 0);
    ::syscall(SYS_capget, &header_, saved_);
    __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
    lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    ::syscall(SYS_capset, &header_, lowered);
  }
  ~UnreadableFile() {
    ::syscall(SYS_capset, &header_, saved_);
    ::chmod(path_.c_str(), 0644);
  }
  UnreadableFile(const UnreadableFile&) = delete;
  UnreadableFile& operator=(const UnreadableFile&) = delete;

 private:
  std::string path_;
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
};

}  // namespace testsupport
