#pragma once
// The web page of Orbisview's browser view. Chromium tells us of a navigation only through
// this override, so it reports each one before it starts, then lets only the addresses
// Orbisview opens go ahead (see navigationpolicy.h).
//
// The page's dialogs (alert, confirm, prompt) show in the window's PageDialog, one at a
// time and at most kShownDialogs per page; the page's script waits for the answer, the
// window does not. Past that they are dropped, and a page that goes on asking (a script
// that loops on alert()) has its scripts stopped.
#include <QUrl>
#include <functional>
#include <QWebEnginePage>

namespace orbisview {

class PageDialog;

class BrowserPage : public QWebEnginePage {
  Q_OBJECT

 public:
  // Dialogs of one page that show; later ones are dropped.
  static constexpr int kShownDialogs = 3;
  // Dropped dialogs after which the page is taken to loop on them, and stopped.
  static constexpr int kLoopingDialogs = 100;

  explicit BrowserPage(QWebEngineProfile* profile, QObject* parent = nullptr);

  // The local page that Veltrana handed over (its help page); the only file this page may
  // show from now on.
  void allowLocalPage(const QUrl& url) { localPage_ = url; }
  const QUrl& localPage() const { return localPage_; }

  // Where the page's dialogs show; without one they are all dropped.
  void setDialog(PageDialog* dialog) { dialog_ = dialog; }
  // The window is going: an open dialog is cancelled and no other shows.
  void endDialogs();

  // Runs `action` (a navigation of Orbisview's own) once the page's script can no longer
  // hold it up: at once for a page that never asked for a dialog; otherwise its scripts are
  // stopped first (it is being left), since one waiting on its dialog, or looping on
  // dropped ones, would never let the new page in.
  void whenFree(std::function<void()> action);

 signals:
  void navigationRequested(const QUrl& url, bool isMainFrame);

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
  void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
  bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
  bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                        QString* result) override;

 private:
  bool ask(int kind, const QUrl& origin, const QString& message, const QString& value,
           QString* answer);
  bool admit(const QUrl& origin);
  void stopScripts(const char* why);
  void onRendererGone();
  void finishStop(int serial);
  void startNewPage();

  QUrl localPage_;
  PageDialog* dialog_ = nullptr;
  bool dialogOpen_ = false;
  bool ending_ = false;
  int shown_ = 0;
  int dropped_ = 0;
  bool stopping_ = false;
  int stopSerial_ = 0;
  std::function<void()> afterStop_;
};

}  // namespace orbisview
