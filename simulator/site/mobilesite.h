#pragma once
// The mobile site: small pages whose titles say what they show, for the addresses the client
// opens in its browser (home, inbox, profile, wall, poke, photos, albums, notes, add friend,
// event, group) and the page a login ends on.
#include <optional>
#include <string>

#include "simulator/http/formfield.h"
#include "simulator/http/pagereply.h"
#include "simulator/simstate.h"

namespace sim {

class MobileSite {
 public:
  explicit MobileSite(SimState& state) : state_(state) {}

  // The page for `path`, or nullopt when the path is none of the site's pages.
  std::optional<PageReply> page(const std::string& path, const FormFields& query);

 private:
  PageReply home();
  PageReply personPage(const std::string& path, const Person& person);

  SimState& state_;
};

}  // namespace sim
