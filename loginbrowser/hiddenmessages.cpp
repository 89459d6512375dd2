#include "loginbrowser/hiddenmessages.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

#include "platform/secrettext.h"

namespace orbisview {
namespace {

void printHidden(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  // The pattern (QT_MESSAGE_PATTERN) may add the page's address as the message's file.
  const std::string line = qFormatLogMessage(type, context, message).toStdString();
  std::fprintf(stderr, "%s\n", platform::hideSecrets(line).c_str());
  if (type == QtFatalMsg) std::abort();
}

}  // namespace

void hideSecretsInQtMessages() { qInstallMessageHandler(printHidden); }

}  // namespace orbisview
