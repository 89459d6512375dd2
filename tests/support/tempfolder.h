#pragma once
// A throw-away folder under the test's root, and whole-file and text helpers around it.
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the test's root; removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // Ends with "/".
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string readWhole(const std::string& path);
void writeWhole(const std::string& path, const std::string& text);
bool fileExists(const std::string& path);
std::vector<std::string> splitLines(const std::string& text);
// How often `text` occurs in `haystack`.
int occurrences(const std::string& haystack, const std::string& text);

}  // namespace testsupport
