#include "platform/windowdirectory.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/exitwait.h"
#include "platform/runtimedir.h"
#include "platform/runtimedirlock.h"
#include "platform/uniquefd.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// Frame: u32 magic, u32 id, u64 wParam, i64 lParam, u32 flags, all little-endian; with
// kFlagText a u32 length and that many bytes of text follow.
// The magic carries the version, so a peer of another layout is refused, not misread.
constexpr uint32_t kFrameMagic = 0x31574D56;  // "VMW1"
constexpr uint32_t kFlagSend = 1;             // the sender waits for an i64 reply
constexpr uint32_t kFlagPost = 2;
constexpr uint32_t kFlagText = 4;
constexpr std::size_t kFrameSize = 28;
constexpr std::size_t kReplySize = 8;

// A client writes its frame right after connecting, so it is normally there already; these
// bounds keep a silent or slow peer from holding up the owner's event loop.
constexpr int kFrameWaitMs = 20;
constexpr int kDispatchBudgetMs = 50;
constexpr int kMaxConnectionsPerDispatch = 32;
constexpr int kPostConnectTimeoutMs = 1000;

// Class names become file names: letters, digits, '.' and '-' stay, every other byte is
// written as _XX, so two different classes never share a socket.
std::string sanitisedClass(const std::string& className) {
  std::string out;
  for (const unsigned char c : className) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
        c == '-') {
      out += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "_%02X", c);
      out += escaped;
    }
  }
  return out;
}

bool socketAddress(const std::string& className, sockaddr_un* addr, std::string* path,
                   std::string* error) {
  std::string dirError;
  if (className.empty()) {
    if (error) *error = "empty window class name";
    return false;
  }
  const auto dir = runtimeDir(&dirError);
  if (!dir) {
    if (error) *error = dirError;
    return false;
  }
  *path = *dir + "/win." + sanitisedClass(className) + ".sock";
  *addr = {};
  addr->sun_family = AF_UNIX;
  if (path->size() >= sizeof addr->sun_path) {
    if (error) *error = "socket path too long: " + *path;
    return false;
  }
  std::memcpy(addr->sun_path, path->c_str(), path->size() + 1);
  return true;
}

void putLe(unsigned char* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint64_t getLe(const unsigned char* in, int bytes) {
  uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<uint64_t>(in[i]) << (8 * i);
  return value;
}

void encodeFrame(const WindowMessage& message, uint32_t flags, unsigned char* out) {
  putLe(out, kFrameMagic, 4);
  putLe(out + 4, message.id, 4);
  putLe(out + 8, message.wParam, 8);
  putLe(out + 16, static_cast<uint64_t>(message.lParam), 8);
  putLe(out + 24, flags, 4);
}

bool decodeFrame(const unsigned char* in, WindowMessage* message, uint32_t* flags) {
  if (getLe(in, 4) != kFrameMagic) return false;
  *flags = static_cast<uint32_t>(getLe(in + 24, 4));
  const uint32_t kind = *flags & ~kFlagText;
  if (kind != kFlagSend && kind != kFlagPost) return false;
  message->id = static_cast<uint32_t>(getLe(in + 4, 4));
  message->wParam = getLe(in + 8, 8);
  message->lParam = static_cast<int64_t>(getLe(in + 16, 8));
  return true;
}

int msLeft(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Reads exactly `size` bytes from a non-blocking socket by `deadline` (none: wait forever).
bool readExact(int fd, unsigned char* out, std::size_t size,
               const std::optional<Clock::time_point>& deadline) {
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::recv(fd, out + got, size - got, MSG_DONTWAIT);
    if (n > 0) {
      got += static_cast<std::size_t>(n);
      continue;
    }
    if (n == 0) return false;  // the peer closed early
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
    pollfd pfd{fd, POLLIN, 0};
    // A sent message may wait 30 s for its reply: an exit signal does not.
    const int ready = pollUnlessExit(&pfd, 1, deadline ? msLeft(*deadline) : -1);
    if (ready == 0) return false;
    if (ready < 0 && errno != EINTR) return false;
  }
  return true;
}

bool sendAll(int fd, const unsigned char* data, std::size_t size) {
  std::size_t sent = 0;
  while (sent < size) {
    const ssize_t n = ::send(fd, data + sent, size - sent, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

void setSendTimeout(int fd, int timeoutMs) {
  // Zero would mean "forever"; a negative time-out asks for exactly that.
  timeval tv{};
  if (timeoutMs >= 0) {
    const int ms = timeoutMs == 0 ? 1 : timeoutMs;
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
  }
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

enum class Reach { Listening, NoListener, Failed };

// Connects to the class's socket. A listener whose backlog is full still lives (EAGAIN on a
// non-blocking connect), but yields no connection.
UniqueFd connectToClass(const std::string& className, bool blocking, int timeoutMs, Reach* reach) {
  *reach = Reach::Failed;
  sockaddr_un addr;
  std::string path;
  if (!socketAddress(className, &addr, &path, nullptr)) return UniqueFd();
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (blocking ? 0 : SOCK_NONBLOCK), 0));
  if (!fd.valid()) return UniqueFd();
  if (blocking) setSendTimeout(fd.get(), timeoutMs);
  int rc;
  do {
    rc = ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  } while (rc != 0 && errno == EINTR);
  if (rc == 0) {
    *reach = Reach::Listening;
    return fd;
  }
  if (errno == ECONNREFUSED || errno == ENOENT || errno == ENOTSOCK) {
    *reach = Reach::NoListener;
  } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
    *reach = Reach::Listening;
  }
  return UniqueFd();
}

// Connects and writes one frame; the connection stays open for a reply.
UniqueFd deliver(const std::string& className, const WindowMessage& message, uint32_t flags,
                 int connectTimeoutMs) {
  Reach reach;
  UniqueFd fd = connectToClass(className, true, connectTimeoutMs, &reach);
  if (!fd.valid()) return fd;
  if (message.text.size() > kMaxMessageText) return UniqueFd();
  const bool withText = !message.text.empty();
  std::vector<unsigned char> bytes(kFrameSize + (withText ? 4 + message.text.size() : 0));
  encodeFrame(message, flags | (withText ? kFlagText : 0), bytes.data());
  if (withText) {
    putLe(bytes.data() + kFrameSize, message.text.size(), 4);
    std::memcpy(bytes.data() + kFrameSize + 4, message.text.data(), message.text.size());
  }
  if (!sendAll(fd.get(), bytes.data(), bytes.size())) return UniqueFd();
  return fd;
}

}  // namespace

std::unique_ptr<WindowEndpoint> WindowEndpoint::registerClass(const std::string& className,
                                                              std::string* error) {
  sockaddr_un addr;
  std::string path;
  if (!socketAddress(className, &addr, &path, error)) return nullptr;
  RuntimeDirLock lock(path.substr(0, path.rfind('/')));

  Reach reach;
  connectToClass(className, false, 0, &reach);
  if (reach == Reach::Listening) {
    if (error) *error = "window class \"" + className + "\" is already registered";
    return nullptr;
  }
  // A socket file that nobody listens on was left by a process that ended without
  // unregistering; it would make bind fail.
  if (reach == Reach::NoListener && ::unlink(path.c_str()) != 0 && errno != ENOENT) {
    if (error) *error = "cannot remove stale socket " + path + ": " + std::strerror(errno);
    return nullptr;
  }

  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(fd.get(), SOMAXCONN) != 0) {
    if (error) *error = "cannot listen on " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<WindowEndpoint>(new WindowEndpoint(path, fd.release()));
}

WindowEndpoint::~WindowEndpoint() {
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    ::unlink(path_.c_str());
  }
}

void WindowEndpoint::dispatchPending(const Handler& handler) {
  const auto budgetEnd = Clock::now() + std::chrono::milliseconds(kDispatchBudgetMs);
  for (int i = 0; i < kMaxConnectionsPerDispatch && Clock::now() < budgetEnd; ++i) {
    UniqueFd conn(::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!conn.valid()) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;  // EAGAIN: nothing more waiting
    }
    // A probe (findWindow) connects and closes; a broken peer sends garbage or too little.
    // Either way its connection is dropped without a call.
    unsigned char frame[kFrameSize];
    const auto frameDeadline = Clock::now() + std::chrono::milliseconds(kFrameWaitMs);
    WindowMessage message;
    uint32_t flags = 0;
    if (!readExact(conn.get(), frame, sizeof frame, frameDeadline) ||
        !decodeFrame(frame, &message, &flags))
      continue;
    if (flags & kFlagText) {
      unsigned char length[4];
      if (!readExact(conn.get(), length, sizeof length, frameDeadline)) continue;
      const std::size_t size = getLe(length, 4);
      if (size > kMaxMessageText) continue;
      message.text.resize(size);
      if (!readExact(conn.get(), reinterpret_cast<unsigned char*>(message.text.data()), size,
                     frameDeadline))
        continue;
    }
    const int64_t result = handler ? handler(message) : 0;
    if ((flags & ~kFlagText) == kFlagSend) {
      unsigned char reply[kReplySize];
      putLe(reply, static_cast<uint64_t>(result), 8);
      // Eight bytes always fit a fresh socket's buffer; a sender that gave up is ignored.
      ::send(conn.get(), reply, sizeof reply, MSG_NOSIGNAL | MSG_DONTWAIT);
    }
  }
}

bool findWindow(const std::string& className) {
  Reach reach;
  connectToClass(className, false, 0, &reach);
  return reach == Reach::Listening;
}

std::optional<int64_t> sendMessage(const std::string& className, const WindowMessage& message,
                                   int timeoutMs) {
  std::optional<Clock::time_point> deadline;
  if (timeoutMs >= 0) deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  UniqueFd fd = deliver(className, message, kFlagSend, timeoutMs);
  if (!fd.valid()) return std::nullopt;
  unsigned char reply[kReplySize];
  if (!readExact(fd.get(), reply, sizeof reply, deadline)) return std::nullopt;
  return static_cast<int64_t>(getLe(reply, 8));
}

bool postMessage(const std::string& className, const WindowMessage& message) {
  // The frame stays readable in the socket after we close it.
  return deliver(className, message, kFlagPost, kPostConnectTimeoutMs).valid();
}

std::string activationTokenOf(const std::string& text) {
  if (text.size() > kMaxMessageText) return {};
  for (const char c : text) {
    if (c < 0x21 || c > 0x7e) return {};
  }
  return text;
}

bool activateWindow(const std::string& className, const std::string& activationToken) {
  // A token too long to send or not one at all is no token: the window is still raised as
  // without one.
  return postMessage(className,
                     WindowMessage{kMsgActivate, 0, 0, activationTokenOf(activationToken)});
}

}  // namespace platform
