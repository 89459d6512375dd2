#pragma once
// Diagnostic text made safe to print: standard output of a program started from the desktop
// ends in the journal, which outlives the session and other programs may read.
#include <string>
#include <string_view>

namespace platform {

// `text` with "[hidden]" in place of every secret value, everything else byte for byte:
// - the value of a `name=value` entry of an address or a form body whose name is a secret's
//   (session_key, secret, sig, token, password, also as the last part of a longer name such
//   as auth_token or session_secret, any case), also inside an address that is itself
//   percent-encoded in another one, at any depth (`auth_token%3D...`, `auth_token%253D...`);
//   a quoted value (`auth_token="..."`, JSON's `"session_key": "..."`) inside its quotes;
// - the text of an element with such a name (any prefix, CDATA included), up to the next end
//   tag or the end of a cut answer.
// An empty value stays empty.
std::string hideSecrets(std::string_view text);

}  // namespace platform
