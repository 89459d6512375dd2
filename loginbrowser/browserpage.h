#pragma once
// The web page of Orbisview's browser view. Chromium tells us of a navigation only through
// this override, so it reports each one before it starts; every navigation is allowed.
#include <QWebEnginePage>

namespace orbisview {

class BrowserPage : public QWebEnginePage {
  Q_OBJECT

 public:
  using QWebEnginePage::QWebEnginePage;

 signals:
  void navigationRequested(const QUrl& url, bool isMainFrame);

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};

}  // namespace orbisview
