#pragma once
// Orbisview's one window: the page fills it between a title strip and the "Exit" / "Menu"
// soft keys. It is registered as the window class Veltrana looks for, navigates on its
// navigate message and reports readiness, login and exit through the named events.
#include <QHash>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

#include "loginbrowser/browseroptions.h"
#include "platform/windowdirectory.h"

class QAction;
class QMenu;
class QWebEngineLoadingInfo;
class QWebEngineNewWindowRequest;
class QWebEngineProfile;
class QWebEngineView;
class QtWindowEndpoint;

namespace orbisview {

class BrowserPage;
class PageDialog;
class SoftKeyBar;
class TitleStrip;

class BrowserWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kBaseDpi = 96;
  explicit BrowserWindow(const BrowserOptions& options, QWidget* parent = nullptr);
  ~BrowserWindow() override;

  // False when the window class could not be registered (see registrationError()).
  bool isRegistered() const { return endpoint_ != nullptr; }
  const std::string& registrationError() const { return registrationError_; }

  // Runs a soft-key or menu command; false for an id that is none of ours.
  bool runCommand(int commandId);
  bool isCommandEnabled(int commandId) const;
  // Shows the window in front with the keyboard focus: at its first show and whenever
  // Veltrana hands it an address. Without a window manager nothing else would give it the
  // focus, and the soft keys would go to Veltrana's window below.
  void bringForward();
  // An address the user typed.
  void navigate(const QString& address);
  // The address Veltrana handed over in the shared block; the installation's help page is
  // the one local file that may then show.
  void openHandedAddress(const QString& address);

  QWebEngineView* view() const { return view_; }
  PageDialog* pageDialog() const { return pageDialog_; }
  QMenu* menu() const { return menu_; }
  TitleStrip* titleStrip() const { return titleStrip_; }
  SoftKeyBar* softKeys() const { return softKeys_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  int64_t handleMessage(const platform::WindowMessage& message);
  void buildMenu();
  void showMenu();
  void openUrl();
  void endProgram();
  // Every address Orbisview opens itself comes through here: top-frame rule, then loaded
  // once the page's scripts cannot hold the navigation up.
  void openChecked(const QUrl& url);
  void refuse(const QUrl& url);
  // A history or reload step, run once the page's scripts cannot hold it up.
  void runWhenPageFree(void (QWebEngineView::*step)());
  void setCommandEnabled(int commandId, bool enabled);

  void onNavigationRequested(const QUrl& url, bool isMainFrame);
  void onTitleChanged(const QString& title);
  void onUrlChanged(const QUrl& url);
  void onLoadingChanged(const QWebEngineLoadingInfo& info);
  void onNewWindowRequested(QWebEngineNewWindowRequest& request);
  void onDocumentComplete(const QUrl& url);
  void saveScreenshot();

  uint32_t frameId() const;
  // Pages are scaled as the phone's text is: its dpi over the platform's 96.
  qreal pageZoom() const;
  // Where Veltrana's phone is said to be, as long as a screen shows some of it.
  void moveOnDesktop(const QPoint& topLeft);

  BrowserOptions options_;
  QWebEngineProfile* profile_ = nullptr;
  BrowserPage* page_ = nullptr;
  PageDialog* pageDialog_ = nullptr;
  QWebEngineView* view_ = nullptr;
  TitleStrip* titleStrip_ = nullptr;
  SoftKeyBar* softKeys_ = nullptr;
  QMenu* menu_ = nullptr;
  QHash<int, QAction*> menuActions_;
  std::unique_ptr<QtWindowEndpoint> endpoint_;
  std::string registrationError_;
  bool screenshotPending_ = false;
};

}  // namespace orbisview
