#include "loginbrowser/browserpage.h"

namespace orbisview {

bool BrowserPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) {
  emit navigationRequested(url, isMainFrame);
  return true;
}

}  // namespace orbisview
