#include "loginbrowser/hiddenmessages.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/secrettext.h"
#include "platform/terminaltext.h"

namespace orbisview {
namespace {

// A page's console line is its text: it stays one line, and sends the terminal no control.
// Qt's own messages keep their line breaks, each line escaped the same way.
std::string printableMessage(const std::string& text, bool pageText) {
  if (pageText) return platform::printable(text);
  std::string out;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find('\n', start);
    out += platform::printable(std::string_view(text).substr(start, end - start));
    if (end == std::string::npos) return out;
    out += '\n';
    start = end + 1;
  }
}

void printHidden(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  // The pattern (QT_MESSAGE_PATTERN) may add the page's address as the message's file.
  const std::string line = qFormatLogMessage(type, context, message).toStdString();
  const bool pageText = context.category && std::strcmp(context.category, "js") == 0;
  std::fprintf(stderr, "%s\n", printableMessage(platform::hideSecrets(line), pageText).c_str());
  if (type == QtFatalMsg) std::abort();
}

}  // namespace

void hideSecretsInQtMessages() { qInstallMessageHandler(printHidden); }

}  // namespace orbisview
