#include "exitcodes.h"

#include "platform/endprocess.h"

namespace app {

void endProcess(int code) { platform::endProcess(code); }

}  // namespace app
