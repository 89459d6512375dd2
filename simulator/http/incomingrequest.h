#pragma once
// A request as the site's handlers see it: the path, the decoded query and body fields in
// their order, and the files of a multipart body.
#include <httplib.h>

#include <string>
#include <vector>

#include "simulator/http/formfield.h"
#include "simulator/http/multipartparser.h"

namespace sim {

struct IncomingRequest {
  std::string httpMethod;
  std::string path;
  std::string query;        // the raw query string
  std::string contentType;  // as the client sent it
  std::string remoteAddr;
  const std::string* body = nullptr;
  FormFields queryFields;
  FormFields bodyFields;  // a form body's fields, or a multipart body's parts without a file
  std::vector<MultipartPart> files;
  bool multipart = false;
  bool isJson = false;
  std::string malformed;  // why a multipart body could not be read; empty when it could

  static IncomingRequest from(const httplib::Request& req);
  // The body's fields when there are any, else the query's.
  const FormFields& fields() const { return bodyFields.empty() ? queryFields : bodyFields; }
};

}  // namespace sim
