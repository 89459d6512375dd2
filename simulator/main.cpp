// socialsim: the local social network server of the Veltrana demo and tests.
#include <pthread.h>
#include <csignal>
#include <cstdio>

#include "simulator/commandline.h"
#include "simulator/simulator.h"

int main(int argc, char** argv) {
  const sim::CommandLine command = sim::CommandLine::parse(argc, argv);
  switch (command.action) {
    case sim::CommandLine::Action::Help:
      std::fputs(sim::CommandLine::usage().c_str(), stdout);
      return 0;
    case sim::CommandLine::Action::Version:
      std::printf("socialsim %s\n", SOCIALSIM_VERSION);
      return 0;
    case sim::CommandLine::Action::Error:
      std::fprintf(stderr, "socialsim: %s\n%s", command.error.c_str(),
                   sim::CommandLine::usage().c_str());
      return 2;
    case sim::CommandLine::Action::Run:
      break;
  }

  // Blocked before any thread starts, so that every thread inherits the mask and the signals
  // wait for sigwait below.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  // A reader that went away must not end the server.
  std::signal(SIGPIPE, SIG_IGN);

  sim::Simulator simulator(command.options);
  if (!simulator.start()) {
    std::fprintf(stderr, "socialsim: %s\n", simulator.error().c_str());
    return 1;
  }
  // The token first: whoever waits for the address has it by then.
  if (command.options.controlToken.empty())
    std::printf("control token: %s\n", simulator.controlToken().c_str());
  std::printf("socialsim listening on http://127.0.0.1:%d\n", simulator.port());
  std::fflush(stdout);

  int received = 0;
  sigwait(&stopSignals, &received);
  simulator.stop();
  return 0;
}
