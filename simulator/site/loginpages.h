#pragma once
// The login pages: the login address shows a form for a login token; submitting the form (or,
// in auto-login mode, opening the address) marks the token as logged in and redirects to
// "/desktopapp.php", the page the client watches for.
#include "simulator/http/formfield.h"
#include "simulator/http/pagereply.h"
#include "simulator/simstate.h"

namespace sim {

class LoginPages {
 public:
  explicit LoginPages(SimState& state) : state_(state) {}

  PageReply get(const FormFields& query);
  PageReply post(const FormFields& form);

 private:
  PageReply refuse(std::string_view why);
  PageReply loggedIn(const std::string& token);

  SimState& state_;
};

}  // namespace sim
