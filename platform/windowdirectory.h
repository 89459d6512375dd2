#pragma once
// The window directory: each registered window class listens on a Unix-domain socket named
// after the class in the runtime folder. Find = connect; send = a frame and wait for the
// reply; post = a frame without waiting. Frames carry (message id, wParam, lParam).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

struct WindowMessage {
  uint32_t id = 0;
  uint64_t wParam = 0;
  int64_t lParam = 0;
  // A short text that travels with the message (an activation token); at most kMaxMessageText
  // bytes, a longer one is not sent.
  std::string text = {};
};

inline constexpr std::size_t kMaxMessageText = 4096;

// Message ids that cross between the programs.
inline constexpr uint32_t kMsgDestroy = 2;              // WM_DESTROY
inline constexpr uint32_t kMsgActivate = 6;             // bring to the foreground
inline constexpr uint32_t kMsgClose = 0x10;             // WM_CLOSE
inline constexpr uint32_t kMsgQuit = 0x12;              // WM_QUIT
inline constexpr uint32_t kMsgCommand = 0x111;          // WM_COMMAND, wParam = command id
inline constexpr uint32_t kMsgUser = 0x400;             // WM_USER
inline constexpr uint32_t kMsgNavigate = kMsgUser + 1;  // 1,025

// A registered window class: owns the listening socket. Serve it from the owner's event loop
// (poll or QSocketNotifier on fd()), calling dispatchPending() when it is readable.
class WindowEndpoint {
 public:
  using Handler = std::function<int64_t(const WindowMessage&)>;
  // nullptr when the class is already registered by a live process or the socket fails.
  static std::unique_ptr<WindowEndpoint> registerClass(const std::string& className,
                                                       std::string* error = nullptr);
  ~WindowEndpoint();  // unregisters (removes the socket)
  WindowEndpoint(const WindowEndpoint&) = delete;
  WindowEndpoint& operator=(const WindowEndpoint&) = delete;

  int fd() const { return listenFd_; }
  // Accepts pending connections, reads their frames, calls `handler` for each and, for a
  // sent message, writes the handler's result back. Never blocks for long.
  void dispatchPending(const Handler& handler);

 private:
  WindowEndpoint(std::string path, int fd) : path_(std::move(path)), listenFd_(fd) {}
  std::string path_;
  int listenFd_ = -1;
};

// True when a live window of this class is registered.
bool findWindow(const std::string& className);
// Sends and waits for the reply (at most timeoutMs); nullopt when no window or no reply.
std::optional<int64_t> sendMessage(const std::string& className, const WindowMessage& message,
                                   int timeoutMs = 30000);
// Posts without waiting; false when no window of this class exists.
bool postMessage(const std::string& className, const WindowMessage& message);
// `text` when it can be an activation token: at most kMaxMessageText bytes of printable
// ASCII without spaces; anything else (control characters, bytes beyond ASCII) is no token.
std::string activationTokenOf(const std::string& text);
// Brings the window to the foreground (posts kMsgActivate), with the desktop's activation
// token of this start when there is one (Wayland's compositor lets only that raise a window).
bool activateWindow(const std::string& className, const std::string& activationToken = {});

}  // namespace platform
