#pragma once
// socialsim as one object: the world, the REST server, the mobile site with its login pages,
// the pictures, the ad server and the product site's address service, the control API, the
// request log and the fault injection, served on 127.0.0.1. Tests run it in-process; the
// socialsim program runs it until a signal arrives.
#include <memory>
#include <string>
#include <thread>

#include "simulator/simoptions.h"
#include "simulator/world/simclock.h"

namespace sim {

class Simulator {
 public:
  explicit Simulator(const SimOptions& options, Clock clock = unixNow);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Binds 127.0.0.1 on the options' port (0: any free port) and serves on a thread of its
  // own. False, with the reason in error(), when the port cannot be bound or the state file
  // cannot be read or written.
  bool start();
  const std::string& error() const;
  void stop();

  int port() const { return port_; }
  // What control calls must send as X-Socialsim-Token: the options' token, or a random one.
  const std::string& controlToken() const;
  // "http://127.0.0.1:PORT"
  std::string baseUrl() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
  std::thread thread_;
  int port_ = 0;
};

}  // namespace sim
