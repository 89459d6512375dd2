#include "simulator/http/wirefault.h"

namespace sim {
namespace {

// Each request is handled and answered on one thread, so a thread-local slot ties the fault to
// the answer it belongs to.
thread_local WireFault t_fault;

}  // namespace

void WireFault::request(WireFault fault) { t_fault = fault; }

const WireFault& WireFault::current() { return t_fault; }

WireFault WireFault::take() {
  WireFault fault = t_fault;
  t_fault = WireFault{};
  return fault;
}

}  // namespace sim
