#include "loginbrowser/sharedaddress.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/sharedblock.h"
#include "support/scopedenv.h"

using namespace orbisview;

namespace {

std::optional<std::string> readCapturingOutput(std::string* output) {
  testing::internal::CaptureStdout();
  auto address = readSharedAddress();
  *output = testing::internal::GetCapturedStdout();
  return address;
}

// A runtime folder of the test's own while it lives: the browser tests of this process
// leave their block in the usual one, and this test starts where none was made yet.
class OwnRuntimeFolder {
 public:
  OwnRuntimeFolder() {
    char pattern[] = "/tmp/orbisview-block.XXXXXX";
    if (::mkdtemp(pattern)) folder_ = pattern;
    env_.set("VELTRANA_RUNTIME_DIR", folder_ + "/runtime");
  }
  ~OwnRuntimeFolder() {
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
  }

 private:
  std::string folder_;
  testsupport::ScopedEnv env_;
};

}  // namespace

// One test: the block, once made, lives for the rest of this test as it does in Veltrana.
TEST(SharedAddress, ReadsTheBlockVeltranaMade) {
  OwnRuntimeFolder runtime;
  std::string output;
  EXPECT_FALSE(readCapturingOutput(&output));
  EXPECT_EQ(output, "Unexpectedly new MMF\n");

  // A block too small for the address: it exists, but its kilobyte cannot be mapped.
  {
    auto small = platform::SharedBlock::createOrOpen(kSharedBlockName, 16);
    ASSERT_TRUE(small);
    EXPECT_FALSE(readCapturingOutput(&output));
    EXPECT_EQ(output, "Can't map view.\n");
  }

  auto block = platform::SharedBlock::createOrOpen(kSharedBlockName, 4096);
  ASSERT_TRUE(block);
  unsigned char* bytes = block->data();

  struct Case {
    const char* what;
    std::string written;  // then zero bytes up to 1,024
    std::string expected;
    std::string printed;
  };
  const std::string longest(1023, 'u');
  const Case cases[] = {
      {"login address", "http://127.0.0.1:5/login.php?v=1.0&auth_token=ab12",
       "http://127.0.0.1:5/login.php?v=1.0&auth_token=ab12",
       "http://127.0.0.1:5/login.php?v=1.0&auth_token=[hidden]"},
      {"empty block", "", "", ""},
      {"1,023 bytes", longest, longest, longest},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::memset(bytes, 0, 4096);
    std::memcpy(bytes, c.written.data(), c.written.size());
    // Bytes past the first kilobyte are not the address.
    std::memset(bytes + 1024, 'x', 100);
    const auto address = readCapturingOutput(&output);
    ASSERT_TRUE(address);
    EXPECT_EQ(*address, c.expected);
    EXPECT_EQ(output, "Length of my_login_url = " + std::to_string(c.expected.size()) +
                          "\nmy_login_url = " + c.printed + "\n");
  }

  // A block without its terminating zero is cut at the buffer's end, never read past it.
  std::memset(bytes, 'v', 4096);
  const auto address = readCapturingOutput(&output);
  ASSERT_TRUE(address);
  EXPECT_EQ(*address, std::string(1024, 'v'));
}
