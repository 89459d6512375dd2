#include "platform/connectionkeeper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "platform/linuxconnectionbackend.h"
#include "support/scopedenv.h"

using platform::ConnectionKeeper;
using platform::ConnectionPriority;

namespace {

// Records every call in order; answers as its scenario says.
class FakeBackend : public platform::ConnectionBackend {
 public:
  FakeBackend(std::vector<std::string> destinations, std::shared_ptr<std::vector<std::string>> log)
      : destinations_(std::move(destinations)), log_(std::move(log)) {}

  std::vector<std::string> destinations() override {
    log_->push_back("destinations");
    return destinations_;
  }
  bool connected() override {
    log_->push_back("connected");
    return isConnected;
  }
  bool establish(int timeoutMs) override {
    log_->push_back("establish " + std::to_string(timeoutMs));
    isConnected = establishWorks;
    return establishWorks;
  }
  void setPriority(ConnectionPriority priority) override {
    log_->push_back(priority == ConnectionPriority::UserIdle ? "idle" : "interactive");
  }
  void release() override { log_->push_back("release"); }

  bool isConnected = false;
  bool establishWorks = true;

 private:
  std::vector<std::string> destinations_;
  std::shared_ptr<std::vector<std::string>> log_;
};

using Log = std::vector<std::string>;

struct KeeperCase {
  const char* name;
  std::vector<std::string> destinations;
  bool establishWorks;
  bool connectedBeforeEnsure;
  bool managed;
  const char* startOutput;
  Log startCalls;
  const char* ensureOutput;
  Log laterCalls;  // ensure, setIdle, release
};

const KeeperCase kKeeperCases[] = {
    {"InternetDestinationIsManaged",
     {"Work", "The Internet"},
     true,
     true,
     true,
     "Success\n",
     {"destinations", "establish 20000"},
     "",
     {"connected", "interactive", "idle", "release"}},
    {"DroppedConnectionIsEstablishedAgain",
     {"The Internet"},
     true,
     false,
     true,
     "Success\n",
     {"destinations", "establish 20000"},
     "Success\n",
     {"connected", "establish 15000", "interactive", "idle", "release"}},
    {"FailedEstablishStillManaged",
     {"The Internet"},
     false,
     false,
     true,
     "Failure\n",
     {"destinations", "establish 20000"},
     "Failure\n",
     {"connected", "establish 15000", "interactive", "idle", "release"}},
    {"NoInternetDestinationTouchesNothing",
     {"Work", "WAP Network"},
     true,
     false,
     false,
     "Failure\n",
     {"destinations"},
     "",
     {}},
    {"DestinationMatchIsCaseSensitive",
     {"the internet"},
     true,
     false,
     false,
     "Failure\n",
     {"destinations"},
     "",
     {}},
    {"NoDestinationsAtAll", {}, true, false, false, "Failure\n", {"destinations"}, "", {}},
};

class Keeper : public testing::TestWithParam<KeeperCase> {};

TEST_P(Keeper, CallsTheBackendInOrder) {
  const auto& c = GetParam();
  auto log = std::make_shared<Log>();
  auto backend = std::make_unique<FakeBackend>(c.destinations, log);
  FakeBackend* fake = backend.get();
  fake->establishWorks = c.establishWorks;
  ConnectionKeeper keeper(std::move(backend));

  testing::internal::CaptureStdout();
  keeper.start();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), c.startOutput);
  EXPECT_EQ(*log, c.startCalls);
  EXPECT_EQ(keeper.managed(), c.managed);

  log->clear();
  fake->isConnected = c.connectedBeforeEnsure;
  testing::internal::CaptureStdout();
  keeper.ensure();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), c.ensureOutput);
  EXPECT_EQ(keeper.priority(), ConnectionPriority::UserInteractive);
  keeper.setIdle();
  EXPECT_EQ(keeper.priority(),
            c.managed ? ConnectionPriority::UserIdle : ConnectionPriority::UserInteractive);
  keeper.release();
  EXPECT_EQ(*log, c.laterCalls);
}

INSTANTIATE_TEST_SUITE_P(Table, Keeper, testing::ValuesIn(kKeeperCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Keeper, NothingHappensBeforeStart) {
  auto log = std::make_shared<Log>();
  ConnectionKeeper keeper(std::make_unique<FakeBackend>(Log{"The Internet"}, log));
  keeper.ensure();
  keeper.setIdle();
  keeper.release();
  EXPECT_TRUE(log->empty());
  EXPECT_FALSE(keeper.managed());
}

std::string fixture(const char* name) { return std::string(VELTRANA_TEST_DATA_DIR) + "/" + name; }

struct RouteCase {
  const char* file;
  bool ipv6;
  bool hasDefault;
};

const RouteCase kRouteTables[] = {
    {"proc_net_route_default_via_eth0.txt", false, true},
    {"proc_net_route_no_default.txt", false, false},
    {"proc_net_route_default_down.txt", false, false},
    {"proc_net_ipv6_route_default_via_eth0.txt", true, true},
    {"proc_net_ipv6_route_lo_unreachable_only.txt", true, false},
};

class RouteTable : public testing::TestWithParam<RouteCase> {};

TEST_P(RouteTable, DefaultRouteFound) {
  std::ifstream table(fixture(GetParam().file));
  ASSERT_TRUE(table) << GetParam().file;
  const bool found =
      GetParam().ipv6 ? platform::hasIpv6DefaultRoute(table) : platform::hasIpv4DefaultRoute(table);
  EXPECT_EQ(found, GetParam().hasDefault) << GetParam().file;
}

INSTANTIATE_TEST_SUITE_P(Table, RouteTable, testing::ValuesIn(kRouteTables));

TEST(LinuxBackend, OffersTheInternetOnlyWithADefaultRoute) {
  testsupport::ScopedEnv env;
  env.set("VELTRANA_NO_CONNMGR", std::nullopt);
  platform::LinuxConnectionBackend routed(fixture("proc_net_route_no_default.txt"),
                                          fixture("proc_net_ipv6_route_default_via_eth0.txt"));
  EXPECT_EQ(routed.destinations(), std::vector<std::string>{"The Internet"});
  EXPECT_TRUE(routed.connected());
  EXPECT_TRUE(routed.establish(0));
  routed.setPriority(ConnectionPriority::UserIdle);
  EXPECT_EQ(routed.priority(), ConnectionPriority::UserIdle);

  env.set("VELTRANA_NO_CONNMGR", "1");
  EXPECT_TRUE(routed.destinations().empty());
  env.set("VELTRANA_NO_CONNMGR", std::nullopt);

  platform::LinuxConnectionBackend isolated(fixture("proc_net_route_no_default.txt"),
                                            fixture("proc_net_ipv6_route_lo_unreachable_only.txt"));
  EXPECT_TRUE(isolated.destinations().empty());
  EXPECT_FALSE(isolated.connected());
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_FALSE(isolated.establish(300));
  const auto waited = std::chrono::steady_clock::now() - begin;
  EXPECT_GE(waited, std::chrono::milliseconds(300));
  EXPECT_LT(waited, std::chrono::milliseconds(2000));

  platform::LinuxConnectionBackend missing("/nonexistent/route", "/nonexistent/ipv6_route");
  EXPECT_TRUE(missing.destinations().empty());
}

TEST(LinuxBackend, KeeperWithoutConnectionManagerManagesNothing) {
  testsupport::ScopedEnv env;
  env.set("VELTRANA_NO_CONNMGR", "1");
  ConnectionKeeper keeper;
  testing::internal::CaptureStdout();
  keeper.start();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Failure\n");
  EXPECT_FALSE(keeper.managed());
}

}  // namespace
