#include "veltranasandbox.h"

#include "support/simserver.h"

#include <QDeadlineTimer>
#include <QFile>

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

VeltranaSandbox::VeltranaSandbox() {
  const std::string runtime = root() + "/runtime";
  ownEnv_.set("VELTRANA_RUNTIME_DIR", runtime);
  fs::create_directories(configHome());
  env_ = {
      {"QT_QPA_PLATFORM", "offscreen"},
      {"VELTRANA_MESSAGEBOX", "log"},
      {"VELTRANA_MESSAGEBOX_ANSWERS", std::nullopt},
      {"VELTRANA_PROGRAM_FILES", programFiles()},
      {"VELTRANA_STORAGE_CARDS", std::nullopt},
      {"XDG_CONFIG_HOME", configHome()},
      {"VELTRANA_RUNTIME_DIR", runtime},
      {"VELTRANA_MOBILE_URL", "http://127.0.0.1:9"},
      {"VELTRANA_NO_CONNMGR", "1"},
      {"VELTRANA_TRACE", "1"},
      {"VELTRANA_QUIT_AFTER_FIRST_PAINT", std::nullopt},
      // Read by the address sanitizer's build only, which leak-checks the program's end.
      {"LSAN_OPTIONS", "suppressions=" VELTRANA_LSAN_SUPPRESSIONS},
  };
}

std::string VeltranaSandbox::install(const std::string& installRoot) {
  std::string folder = installRoot + "/Veltrana/";
  fs::create_directories(folder);
  fs::copy_file("/bin/true", folder + "orbisview", fs::copy_options::overwrite_existing);
  return folder;
}

std::string VeltranaSandbox::installStandIn() {
  std::string folder = install();
  std::ofstream(folder + "orbisview", std::ios::trunc)
      << "#!/bin/sh\nexec 3<>\"$VELTRANA_RUNTIME_DIR/event.IE_READY\" && printf x >&3\n";
  return folder;
}

void VeltranaSandbox::pointAt(const testsupport::SimServer& sim) {
  setEnv("VELTRANA_REST_URL", sim.restUrl());
  setEnv("VELTRANA_MOBILE_URL", sim.url());
  setEnv("VELTRANA_LOGIN_URL", sim.loginUrl());
  setEnv("VELTRANA_AD_URL", sim.url());
  setEnv("VELTRANA_SITE_URL", sim.url());
}

void VeltranaSandbox::setEnv(const std::string& name, const std::optional<std::string>& value) {
  env_[name] = value;
}

QProcessEnvironment VeltranaSandbox::environment() const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const auto& [name, value] : env_) {
    if (value)
      env.insert(QString::fromStdString(name), QString::fromStdString(*value));
    else
      env.remove(QString::fromStdString(name));
  }
  return env;
}

VeltranaProcess::VeltranaProcess(const VeltranaSandbox& sandbox, const QStringList& args,
                                 const std::map<std::string, std::string>& extraEnv, Binary binary,
                                 const std::string& stdoutFile)
    : stdoutFile_(stdoutFile) {
  QProcessEnvironment env = sandbox.environment();
  for (const auto& [name, value] : extraEnv)
    env.insert(QString::fromStdString(name), QString::fromStdString(value));
  process_.setProcessEnvironment(env);
  const QString startupOnly = QStringLiteral(VELTRANA_STARTUP_PROBE);
  const QString shutdownProbe = QStringLiteral(VELTRANA_SHUTDOWN_PROBE);
  if (!stdoutFile_.empty()) process_.setStandardOutputFile(QString::fromStdString(stdoutFile_));
  const QString program = sandbox.program().empty() ? QStringLiteral(VELTRANA_PROGRAM)
                                                    : QString::fromStdString(sandbox.program());
  process_.start(binary == Binary::Program       ? program
                 : binary == Binary::StartupOnly ? startupOnly
                                                 : shutdownProbe,
                 args);
  process_.waitForStarted(10000);
}

VeltranaProcess::~VeltranaProcess() {
  if (running()) {
    process_.kill();
    process_.waitForFinished(5000);
  }
}

void VeltranaProcess::signal(int signal) {
  if (running()) ::kill(static_cast<pid_t>(process_.processId()), signal);
}

void VeltranaProcess::collect(int waitMs) {
  if (running()) process_.waitForReadyRead(waitMs);
  if (stdoutFile_.empty()) {
    out_ += process_.readAllStandardOutput().toStdString();
  } else {
    QFile file(QString::fromStdString(stdoutFile_));
    if (file.open(QIODevice::ReadOnly)) out_ = file.readAll().toStdString();
  }
  err_ += process_.readAllStandardError().toStdString();
}

int VeltranaProcess::waitForExit(int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (running() && !deadline.hasExpired()) {
    collect(50);
    process_.waitForFinished(50);
  }
  collect(0);
  if (running()) return kTimedOut;
  return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : kTimedOut;
}

bool VeltranaProcess::waitForWindow(int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!deadline.hasExpired()) {
    if (platform::findWindow("Veltrana")) return true;
    if (!running()) return false;
    collect(20);
  }
  return false;
}

bool VeltranaProcess::waitForOutput(const std::string& text, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  for (;;) {
    collect(20);
    if (out_.find(text) != std::string::npos) return true;
    if (!running() || deadline.hasExpired()) return false;
  }
}

bool VeltranaProcess::waitForOutputAfter(const std::string& earlier, const std::string& text,
                                         int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  for (;;) {
    collect(20);
    const size_t at = out_.find(earlier);
    if (at != std::string::npos && out_.find(text, at + earlier.size()) != std::string::npos)
      return true;
    if (!running() || deadline.hasExpired()) return false;
  }
}

std::string VeltranaProcess::out() {
  collect(0);
  return out_;
}

std::string VeltranaProcess::err() {
  collect(0);
  return err_;
}

bool postCommand(int id) {
  return platform::postMessage(
      "Veltrana", platform::WindowMessage{platform::kMsgCommand, static_cast<uint64_t>(id), 0});
}
