#include "loginbrowser/browserpage.h"

#include "loginbrowser/navigationpolicy.h"

namespace orbisview {

bool BrowserPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) {
  emit navigationRequested(url, isMainFrame);
  return isOpenableAddress(url, isMainFrame, localPage_);
}

}  // namespace orbisview
