#pragma once
// The server's side of one connection. While a wire fault is asked for, the bytes of the
// answer are held back instead of sent, so that the fault can decide what reaches the client.
#include <httplib.h>

#include <string>

namespace sim {

class PlainSocketStream : public httplib::Stream {
 public:
  PlainSocketStream(int sock, int readTimeoutMs, int writeTimeoutMs)
      : sock_(sock), readTimeoutMs_(readTimeoutMs), writeTimeoutMs_(writeTimeoutMs) {}

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* ptr, size_t size) override;
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  int socket() const override { return sock_; }

  // Sends what the fault lets through of the held-back answer: nothing for a closed
  // connection, the headers and the first bytes of the body for a cut one (without
  // Content-Length for a body ended early).
  void finishFault();

 private:
  bool sendAll(const char* data, size_t size);

  int sock_;
  int readTimeoutMs_;
  int writeTimeoutMs_;
  std::string held_;
};

}  // namespace sim
