#pragma once
// The web page of Orbisview's browser view. Chromium tells us of a navigation only through
// this override, so it reports each one before it starts, then lets only the addresses
// Orbisview opens go ahead (see navigationpolicy.h).
#include <QUrl>
#include <QWebEnginePage>

namespace orbisview {

class BrowserPage : public QWebEnginePage {
  Q_OBJECT

 public:
  using QWebEnginePage::QWebEnginePage;

  // The local page that Veltrana handed over (its help page); the only file this page may
  // show from now on.
  void allowLocalPage(const QUrl& url) { localPage_ = url; }

 signals:
  void navigationRequested(const QUrl& url, bool isMainFrame);

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

 private:
  QUrl localPage_;
};

}  // namespace orbisview
