#include "simulator/http/incomingrequest.h"

#include "simulator/http/formdecoder.h"
#include "simulator/http/simhttpserver.h"
#include "simulator/http/textcase.h"

namespace sim {

IncomingRequest IncomingRequest::from(const httplib::Request& req) {
  IncomingRequest in;
  in.httpMethod = req.method;
  in.path = req.path;
  in.remoteAddr = req.remote_addr;
  in.body = &req.body;
  if (const size_t q = req.target.find('?'); q != std::string::npos) {
    in.query = req.target.substr(q + 1);
    in.queryFields = FormDecoder::decode(in.query);
  }
  if (req.has_header(SimHttpServer::kMultipartTypeHeader)) {
    in.contentType = req.get_header_value(SimHttpServer::kMultipartTypeHeader);
    in.multipart = true;
    std::string error;
    const auto parts =
        MultipartParser::parse(req.body, MultipartParser::boundaryOf(in.contentType), error);
    if (!parts) {
      in.malformed = error.empty() ? "malformed multipart body" : error;
      return in;
    }
    for (const MultipartPart& part : *parts) {
      if (part.hasFilename) {
        in.files.push_back(part);
      } else {
        in.bodyFields.push_back(FormField{part.name, part.data});
      }
    }
    return in;
  }
  in.contentType = req.get_header_value("Content-Type");
  std::string lowered = in.contentType;
  for (char& c : lowered) c = asciiLower(c);
  in.isJson =
      startsWith(lowered, "application/json") || (!req.body.empty() && req.body.front() == '{');
  if (!in.isJson && !req.body.empty()) in.bodyFields = FormDecoder::decode(req.body);
  return in;
}

}  // namespace sim
