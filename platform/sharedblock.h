#pragma once
// A named shared block: a file of fixed size in the runtime folder, mapped with mmap.
#include <cstddef>
#include <memory>
#include <string>

namespace platform {

class SharedBlock {
 public:
  // Creates the block with `size` zero bytes, or opens it when this process or another
  // already made it in this run (then *alreadyExisted is true). nullptr on failure.
  static std::unique_ptr<SharedBlock> createOrOpen(const std::string& name, std::size_t size,
                                                   bool* alreadyExisted = nullptr);
  enum class OpenFailure { None, Missing, Unmappable };
  // Opens an existing block and maps its first `size` bytes; nullptr when it does not exist
  // (Missing) or exists but its first `size` bytes cannot be mapped (Unmappable).
  static std::unique_ptr<SharedBlock> open(const std::string& name, std::size_t size,
                                           OpenFailure* failure = nullptr);

  ~SharedBlock();
  SharedBlock(const SharedBlock&) = delete;
  SharedBlock& operator=(const SharedBlock&) = delete;

  unsigned char* data() { return data_; }
  std::size_t size() const { return size_; }

 private:
  SharedBlock(unsigned char* data, std::size_t size, int fd) : data_(data), size_(size), fd_(fd) {}
  unsigned char* data_ = nullptr;
  std::size_t size_ = 0;
  // Holds a shared lock on the file while the block lives: a file nobody holds is stale.
  int fd_ = -1;
};

}  // namespace platform
