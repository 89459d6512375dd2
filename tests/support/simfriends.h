#pragma once
// The friends as socialsim's control API lists them; apart from simsession.h, so that only
// the tests that read them parse the JSON library.
#include "simulator/control/json.h"

namespace testsupport {

class SimServer;

// The friends as the control API lists them (a JSON array of objects).
sim::Json simFriends(const SimServer& sim);

}  // namespace testsupport
