// The address block between this test (Veltrana's side) and ipcpeer (Orbisview's side).
#include "platform/sharedblock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "ipcpeerprotocol.h"
#include "peerprocess.h"

using platform::SharedBlock;

namespace {

struct PeerRead {
  std::optional<int> exitCode;
  std::string header;  // "len=N tail=zero|dirty" or "missing"
  std::string address;
};

PeerRead readInPeer(const std::string& name) {
  PeerProcess reader({"read-block", name});
  PeerRead read;
  read.header = reader.readLine().value_or("<no answer>");
  if (read.header != "missing") read.address = reader.readLine().value_or("");
  read.exitCode = reader.waitExit();
  return read;
}

bool allZero(const SharedBlock& block, std::size_t from = 0) {
  const unsigned char* data = const_cast<SharedBlock&>(block).data();
  return std::all_of(data + from, data + block.size(), [](unsigned char c) { return c == 0; });
}

std::string addressOfLength(std::size_t length) {
  std::string address = "http://127.0.0.1:8080/login.php?auth_token=";
  while (address.size() < length) address += static_cast<char>('a' + address.size() % 26);
  return address.substr(0, length);
}

}  // namespace

// Each hand-off of one run creates-or-opens the block again and overwrites the address, as
// Veltrana does; another process reads what Orbisview reads.
TEST(SharedBlockTest, EveryHandOffArrivesWholeInTheOtherProcess) {
  struct Case {
    const char* title;
    std::string address;
  };
  const std::vector<Case> cases = {
      {"the longest address, 1,023 bytes, arrives whole and terminated", addressOfLength(1023)},
      {"a shorter one leaves no byte of the longer one", "http://127.0.0.1:8080/profile.php?id=7"},
      {"a local help page", "file:///home/user/.local/share/Veltrana/help.html"},
      {"an empty address reads as empty", ""},
  };
  std::vector<std::unique_ptr<SharedBlock>> keptForTheRun;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].title);
    bool existed = false;
    auto block = SharedBlock::createOrOpen(ipcpeer::kBlockName, ipcpeer::kBlockSize, &existed);
    ASSERT_TRUE(block);
    EXPECT_EQ(existed, i > 0);
    if (i == 0) {
      EXPECT_TRUE(allZero(*block));
      // Whatever sat in the block must not shine through a hand-off.
      std::fill(block->data(), block->data() + block->size(), 'Z');
    }
    ipcpeer::writeAddress(*block, cases[i].address);
    const PeerRead read = readInPeer(ipcpeer::kBlockName);
    EXPECT_EQ(read.exitCode, 0);
    EXPECT_EQ(read.header, "len=" + std::to_string(cases[i].address.size()) + " tail=zero");
    EXPECT_EQ(read.address, cases[i].address);
    keptForTheRun.push_back(std::move(block));
  }
}

TEST(SharedBlockTest, AnAddressWrittenByAnotherProcessIsReadHere) {
  PeerProcess writer({"block", "HANDOFF", "4096"});
  ASSERT_EQ(writer.readLine(), "ready existed=0");
  ASSERT_TRUE(writer.writeLine("write " + addressOfLength(1023)));
  ASSERT_EQ(writer.readLine(), "ok");
  auto block = SharedBlock::open("HANDOFF", ipcpeer::kAddressArea);
  ASSERT_TRUE(block);
  const auto read = ipcpeer::readAddress(*block);
  EXPECT_EQ(read.address, addressOfLength(1023));
  EXPECT_TRUE(read.tailZero);

  // And the creator sees what an opener writes: one block, not two copies.
  bool existed = false;
  auto second = SharedBlock::createOrOpen("HANDOFF", 4096, &existed);
  ASSERT_TRUE(second);
  EXPECT_TRUE(existed);
  ipcpeer::writeAddress(*second, "http://127.0.0.1/second");
  EXPECT_EQ(ipcpeer::readAddress(*block).address, "http://127.0.0.1/second");
}

TEST(SharedBlockTest, ABlockLeftByACrashedRunIsMadeAfresh) {
  {
    PeerProcess crashed({"block", "CRASHED", "4096"});
    ASSERT_EQ(crashed.readLine(), "ready existed=0");
    ASSERT_TRUE(crashed.writeLine("fill Q"));
    ASSERT_EQ(crashed.readLine(), "ok");
    ASSERT_TRUE(crashed.writeLine("write http://127.0.0.1/old-run"));
    ASSERT_EQ(crashed.readLine(), "ok");
    crashed.kill();
  }
  // Nobody holds it now: to an opener it does not exist.
  EXPECT_EQ(readInPeer("CRASHED").header, "missing");
  EXPECT_FALSE(SharedBlock::open("CRASHED", ipcpeer::kAddressArea));

  bool existed = true;
  auto block = SharedBlock::createOrOpen("CRASHED", 4096, &existed);
  ASSERT_TRUE(block);
  EXPECT_FALSE(existed);
  EXPECT_TRUE(allZero(*block));
  EXPECT_EQ(readInPeer("CRASHED").header, "len=0 tail=zero");
}

TEST(SharedBlockTest, AlreadyExistsForTheRestOfTheRun) {
  bool existed = true;
  auto first = SharedBlock::createOrOpen("RUN", 4096, &existed);
  ASSERT_TRUE(first);
  EXPECT_FALSE(existed);
  ipcpeer::writeAddress(*first, "http://127.0.0.1/first");

  auto second = SharedBlock::createOrOpen("RUN", 4096, &existed);
  ASSERT_TRUE(second);
  EXPECT_TRUE(existed);

  // Another process creating it opens ours.
  PeerProcess other({"block", "RUN", "4096"});
  EXPECT_EQ(other.readLine(), "ready existed=1");
  other.writeLine("quit");
  EXPECT_EQ(other.waitExit(), 0);

  // A caller that dropped every handle in between still finds the block of this run.
  first.reset();
  second.reset();
  auto third = SharedBlock::createOrOpen("RUN", 4096, &existed);
  ASSERT_TRUE(third);
  EXPECT_TRUE(existed);
  EXPECT_EQ(ipcpeer::readAddress(*third).address, "http://127.0.0.1/first");
}

TEST(SharedBlockTest, OpeningNeedsABlockOfAtLeastTheAskedSize) {
  struct Case {
    const char* title;
    std::size_t created;  // 0: not created at all
    std::size_t opened;
    bool opens;
  };
  const std::vector<Case> cases = {
      {"no block", 0, 1024, false},
      {"Orbisview's 1,024 bytes of Veltrana's 4,096", 4096, 1024, true},
      {"exactly the size", 1024, 1024, true},
      {"more than was made", 512, 1024, false},
      {"zero bytes", 4096, 0, false},
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    const std::string name = "SIZE" + std::to_string(index++);
    std::unique_ptr<SharedBlock> creator;
    if (c.created) {
      creator = SharedBlock::createOrOpen(name, c.created);
      ASSERT_TRUE(creator);
    }
    auto opened = SharedBlock::open(name, c.opened);
    EXPECT_EQ(static_cast<bool>(opened), c.opens);
    if (opened) {
      EXPECT_EQ(opened->size(), c.opened);
    }
  }
  EXPECT_FALSE(SharedBlock::createOrOpen("bad/name", 4096));
}

TEST(SharedBlockTest, ThreadsCreatingTheSameBlockShareOneCreation) {
  constexpr int kThreads = 4;
  std::vector<std::unique_ptr<SharedBlock>> blocks(kThreads);
  std::vector<int> existed(kThreads, -1);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      bool e = false;
      blocks[i] = SharedBlock::createOrOpen("THREADS", 4096, &e);
      existed[i] = e ? 1 : 0;
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(std::count(existed.begin(), existed.end(), 0), 1);
  for (const auto& block : blocks) ASSERT_TRUE(block);
  blocks[0]->data()[0] = 'x';
  for (const auto& block : blocks) EXPECT_EQ(block->data()[0], 'x');
}
