#include "simserver.h"

#include <arpa/inet.h>
#include <linux/close_range.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "requestsigner.h"

extern char** environ;

namespace testsupport {
namespace {

constexpr const char* kPrefix = "socialsim listening on http://127.0.0.1:";
constexpr const char* kTokenPrefix = "control token: ";
// The address line comes after the token line; a few lines are plenty.
constexpr size_t kMaxAnnouncedLines = 4;

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The value of --control-token among `args`, or "".
std::string givenToken(const std::vector<std::string>& args) {
  const std::string option = "--control-token";
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == option && i + 1 < args.size()) return args[i + 1];
    if (startsWith(args[i], option + "=")) return args[i].substr(option.size() + 1);
  }
  return {};
}

// Reads one line from `fd`, waiting at most `timeoutMs` in all.
bool readLine(int fd, std::string& line, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(left.count()));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    char c;
    const ssize_t n = ::read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    if (c == '\n') return true;
    line += c;
  }
}

}  // namespace

ProgramRun runSocialsim(const std::string& arguments) {
  ProgramRun run;
  FILE* pipe =
      ::popen(("timeout 20 " + SimServer::binaryPath() + " " + arguments + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    run.output.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

SimServer::~SimServer() { stop(); }

std::string SimServer::binaryPath() {
#ifdef SOCIALSIM_PATH
  return SOCIALSIM_PATH;
#else
  return "socialsim";
#endif
}

std::string SimServer::url() const { return "http://127.0.0.1:" + std::to_string(port_); }

std::string SimServer::loginUrl() const {
  return url() + "/login.php?api_key=" + kApiKey + "&v=1.0&auth_token=";
}

void SimServer::exportEndpoints() const {
  exported_.set("VELTRANA_REST_URL", restUrl());
  exported_.set("VELTRANA_MOBILE_URL", url());
  exported_.set("VELTRANA_LOGIN_URL", loginUrl());
  exported_.set("VELTRANA_AD_URL", url());
  exported_.set("VELTRANA_SITE_URL", url());
}

bool SimServer::start(const std::vector<std::string>& args) {
  stop();
  error_.clear();
  announced_.clear();
  controlToken_ = givenToken(args);
  int out[2];
  if (::pipe(out) != 0) {
    error_ = "pipe failed";
    return false;
  }
  std::vector<std::string> words = {binaryPath(), "--port", "0"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  // fork + exec rather than posix_spawn, so that the server can be tied to this process:
  // a test that ends abruptly (a death test's child, a crash) takes its server with it.
  const pid_t parent = ::getpid();
  const pid_t child = ::fork();
  if (child == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(127);
    ::dup2(out[1], STDOUT_FILENO);
    // Nothing else of ours reaches the server: a death test's status pipe held open by it
    // would keep the test waiting until the server ends.
    ::close_range(3, ~0U, 0);
    ::execve(argv[0], argv.data(), environ);
    ::_exit(127);
  }
  ::close(out[1]);
  if (child < 0) {
    ::close(out[0]);
    error_ = "cannot start " + words[0];
    return false;
  }
  pid_ = child;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  std::string line;
  while (announced_.size() < kMaxAnnouncedLines && !startsWith(line, kPrefix)) {
    line.clear();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (!readLine(out[0], line, static_cast<int>(left.count()))) break;
    announced_.push_back(line);
    if (startsWith(line, kTokenPrefix))
      controlToken_ = line.substr(std::string(kTokenPrefix).size());
  }
  // socialsim writes nothing after its address line and ignores SIGPIPE, so the pipe can go.
  ::close(out[0]);
  if (!startsWith(line, kPrefix)) {
    std::string printed;
    for (const std::string& l : announced_) printed += "\"" + l + "\" ";
    error_ = "socialsim did not announce its port; it printed: " + printed;
    stop();
    return false;
  }
  port_ = std::atoi(line.c_str() + std::string(kPrefix).size());
  return port_ > 0;
}

int SimServer::stop() {
  if (pid_ <= 0) return -1;
  ::kill(pid_, SIGTERM);
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (;;) {
    const pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_ || (r < 0 && errno != EINTR)) break;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  pid_ = -1;
  return status;
}

HttpResult SimServer::request(const std::string& method, const std::string& path,
                              const std::string& body, const std::string& contentType) const {
  HttpResult result;
  const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
  if (sock < 0) return result;
  timeval timeout{10, 0};
  ::setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  ::setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port_));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(sock);
    return result;
  }
  std::string text = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port_) +
                     "\r\nConnection: close\r\n";
  if (startsWith(path, "/_sim/")) text += "X-Socialsim-Token: " + controlToken_ + "\r\n";
  if (!body.empty() || method == "POST") {
    text += "Content-Type: " + contentType + "\r\nContent-Length: " + std::to_string(body.size()) +
            "\r\n";
  }
  text += "\r\n" + body;
  size_t sent = 0;
  while (sent < text.size()) {
    const ssize_t n = ::send(sock, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
  }
  std::string answer;
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    answer.append(buffer, static_cast<size_t>(n));
  }
  ::close(sock);
  const size_t headerEnd = answer.find("\r\n\r\n");
  if (answer.compare(0, 9, "HTTP/1.1 ") != 0 || headerEnd == std::string::npos) return result;
  result.status = std::atoi(answer.c_str() + 9);
  result.headers = answer.substr(0, headerEnd);
  result.body = answer.substr(headerEnd + 4);
  return result;
}

}  // namespace testsupport
