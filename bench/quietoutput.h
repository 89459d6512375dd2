// Standard output to /dev/null for the lifetime of the object: the diagnostic lines of the
// code under measure stay out of the timings and of the benchmark's report.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

class QuietOutput {
 public:
  QuietOutput() {
    std::fflush(stdout);
    saved_ = ::dup(STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::close(null);
  }
  ~QuietOutput() {
    std::fflush(stdout);
    ::dup2(saved_, STDOUT_FILENO);
    ::close(saved_);
  }
  QuietOutput(const QuietOutput&) = delete;
  QuietOutput& operator=(const QuietOutput&) = delete;

 private:
  int saved_ = -1;
};
