#pragma once
// The REST server: checks each call as the real server did (API key, version, session,
// signature) and answers the methods the client uses.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulator/http/formfield.h"
#include "simulator/http/multipartparser.h"
#include "simulator/simstate.h"

namespace sim {

struct RestCall {
  FormFields params;                 // text fields in the order they arrived
  std::vector<MultipartPart> files;  // parts of a multipart call that carry a file name
};

struct RestReply {
  std::optional<bool> signatureValid;  // nullopt when the call failed before the check
  int errorCode = 0;                   // 0 for a normal answer
  std::string detail;                  // why an FQL query was refused
};

class RestService {
 public:
  explicit RestService(SimState& state) : state_(state) {}

  // Writes the answer document into `out`, replacing what it held but keeping its capacity:
  // the server hands in a buffer of its own per thread, since a fresh multi-megabyte string
  // for every all-friends answer costs more in page faults than building the answer.
  RestReply handle(const RestCall& call, int64_t now, std::string& out);

 private:
  struct Context;
  // Each method writes its answer into `out`; false with the error code when it fails.
  void createToken(std::string& out);
  bool getSession(const Context& c, std::string& out, int& error);
  bool fqlQuery(const Context& c, std::string& out, int& error, std::string& detail);
  bool setStatus(const Context& c, std::string& out, int& error);
  void notifications(std::string& out);
  bool uploadPhoto(const Context& c, std::string& out, int& error);

  SimState& state_;
};

}  // namespace sim
