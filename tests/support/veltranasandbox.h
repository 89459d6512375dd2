#pragma once
// A world of its own for one run of the real veltrana program: program-files folder,
// settings, runtime folder and storage cards under one temporary folder, the message-box
// log mode, offscreen Qt and a "network path" to 127.0.0.1. While it exists, this test
// process uses the same runtime folder, so the window directory reaches the program.
#include <map>
#include <optional>
#include <string>

#include <QProcess>
#include <QTemporaryDir>

#include "platform/windowdirectory.h"
#include "scopedenv.h"

namespace testsupport {
class SimServer;
}

class VeltranaSandbox {
 public:
  VeltranaSandbox();

  std::string root() const { return dir_.path().toStdString(); }
  std::string programFiles() const { return root() + "/pf"; }
  std::string dataFolder() const { return programFiles() + "/Veltrana/"; }
  std::string configHome() const { return root() + "/config"; }
  std::string settingsPath() const { return configHome() + "/Veltrana/registry.db"; }

  // Makes installRoot + "/Veltrana/" holding an executable "orbisview"; returns that folder.
  static std::string install(const std::string& installRoot);
  std::string install() { return install(programFiles()); }

  // install() with a companion browser that only says it is ready and shows no window: for
  // runs on a stored session, which never log in.
  std::string installStandIn();
  // Points the program at `sim`: its REST, login, mobile, ad and site addresses.
  void pointAt(const testsupport::SimServer& sim);

  // Runs `program` (a copy of veltrana placed in an installation) in place of the built one.
  void useProgram(const std::string& program) { program_ = program; }
  const std::string& program() const { return program_; }

  // Overrides a variable of the program's environment; nullopt removes it.
  void setEnv(const std::string& name, const std::optional<std::string>& value);
  QProcessEnvironment environment() const;

 private:
  QTemporaryDir dir_;
  std::map<std::string, std::optional<std::string>> env_;
  testsupport::ScopedEnv ownEnv_;  // this process's runtime folder, while the sandbox lives
  std::string program_;
};

class VeltranaProcess {
 public:
  static constexpr int kTimedOut = -1000;
  enum class Binary {
    Program,        // the real veltrana
    StartupOnly,    // the start-up path without the program's hooks (no login, no sync)
    ShutdownProbe,  // the same with a worker that outlives the loop
  };

  // With `stdoutFile` standard output goes to that file, as `veltrana > file` sends it, and
  // out() reads the file.
  explicit VeltranaProcess(const VeltranaSandbox& sandbox, const QStringList& args = {},
                           const std::map<std::string, std::string>& extraEnv = {},
                           Binary binary = Binary::Program, const std::string& stdoutFile = {});
  ~VeltranaProcess();  // kills it when still running

  // The exit code (255 for -1), or kTimedOut.
  int waitForExit(int timeoutMs = 20000);
  // Until the window class "Veltrana" answers.
  bool waitForWindow(int timeoutMs = 20000);
  // Until standard output holds `text`.
  bool waitForOutput(const std::string& text, int timeoutMs = 10000);
  // Until standard output holds `text` somewhere after the first `earlier`: other trace
  // lines (the first paint ...) may come between the two.
  bool waitForOutputAfter(const std::string& earlier, const std::string& text,
                          int timeoutMs = 10000);
  bool running() const { return process_.state() != QProcess::NotRunning; }
  // Sends `signal` (SIGTERM ...) to the program.
  void signal(int signal);

  std::string out();
  std::string err();

 private:
  void collect(int waitMs);

  QProcess process_;
  std::string stdoutFile_;
  std::string out_;
  std::string err_;
};

inline constexpr auto kProgram = VeltranaProcess::Binary::Program;
inline constexpr auto kStartupOnly = VeltranaProcess::Binary::StartupOnly;
inline constexpr auto kShutdownProbe = VeltranaProcess::Binary::ShutdownProbe;

// Posts WM_COMMAND with `id` to the window class "Veltrana".
bool postCommand(int id);
