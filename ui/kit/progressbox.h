#pragma once
// The "Preparing Veltrana" progress box: a box with the phase text and an OK button only. It
// stays until the program closes it; OK makes it reappear while the keep-showing flag is
// set. Made on the UI thread; show() and close() may be called from any thread (the
// start-up synchronisation calls them from its worker).
#include <atomic>

#include <QObject>
#include <QPointer>
#include <QString>

class QMessageBox;
class QWidget;

namespace ui {

class ProgressBox : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Preparing Veltrana";
  enum class CloseWait {
    HalfSecond,  // after the close, wait 500 ms (the main window's creation)
    UntilEnded,  // return once the box has gone (before a second phase is shown)
  };

  explicit ProgressBox(QWidget* owner);
  ~ProgressBox() override;

  // Sets the keep-showing flag and shows the box with `text` (a box already up takes the
  // new text).
  void show(const QString& text);
  // Clears the flag and presses the box's OK; nothing to press when no box is up.
  void close(CloseWait wait);

  bool keepShowing() const { return keepShowing_; }
  // The box while it is up (UI thread), for the tests.
  QMessageBox* box() const;

 private:
  void showHere(const QString& text);
  void closeHere();

  QWidget* owner_;
  std::atomic<bool> keepShowing_{false};
  QPointer<QMessageBox> box_;
};

}  // namespace ui
