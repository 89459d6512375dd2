#pragma once
// Qt's messages in Orbisview, its own warnings and the pages' console lines ("js: ..."), may
// quote a page's address with its login token: they are printed with the secrets hidden,
// and with control characters as \xNN.
namespace orbisview {

// Replaces Qt's message handler for the rest of the process.
void hideSecretsInQtMessages();

}  // namespace orbisview
