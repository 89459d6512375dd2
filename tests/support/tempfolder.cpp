#include "tempfolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

namespace testsupport {

TempFolder::TempFolder() {
  const char* root = std::getenv("VELTRANA_TEST_ROOT");
  if (!root) root = std::getenv("TMPDIR");
  std::string pattern = std::string(root ? root : "/tmp") + "/datafolder.XXXXXX";
  if (::mkdtemp(pattern.data())) path_ = pattern + "/";
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeWhole(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

bool fileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

int occurrences(const std::string& haystack, const std::string& text) {
  int n = 0;
  for (std::size_t at = haystack.find(text); at != std::string::npos;
       at = haystack.find(text, at + text.size()))
    ++n;
  return n;
}

}  // namespace testsupport
