#pragma once
// "Status": the user's current status, a text to publish typed or taken from the presets,
// and clearing it. The soft keys follow what the user is doing: "Done" (and "Clear Status"
// when he has a status) while idle, "Select"/"Cancel" on a highlighted preset, "Update
// Status"/"Cancel" once there is a text to send.
#include <string>

#include "ui/kit/phonedialog.h"

class QLabel;
class QLineEdit;
class QListWidget;

namespace api {
enum class SetStatusResult;
}

namespace ui {

struct DialogContext;

class StatusDialog : public PhoneDialog {
  Q_OBJECT

 public:
  // The longest status the edit takes, in characters, and in bytes what is sent.
  static constexpr int kMaxStatusChars = 99;
  static constexpr std::size_t kMaxStatusBytes = 1024;

  // Fetches the user's status and first name.
  StatusDialog(DialogContext& context, QWidget* owner);

  void runCommand(int id);

  QLineEdit* edit() const { return edit_; }
  QListWidget* presets() const { return presets_; }
  QLabel* nameLabel() const { return name_; }
  QLabel* heading() const { return heading_; }
  QLabel* icon() const { return icon_; }
  int softKeys() const;

  // The permission message's text for the product site at `siteUrl`.
  static std::string permissionText(const std::string& siteUrl);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  void load();
  void showIdleKeys();
  void selectPreset();
  void cancelPreset();
  void updateStatus();
  void clearStatus();
  void tell(api::SetStatusResult result);
  bool handleKey(QObject* watched, int key);
  void layOut();

  DialogContext& context_;
  // The status as fetched, as the edit holds it.
  QString fetched_;
  QLabel* heading_;
  QLabel* name_;
  QLineEdit* edit_;
  QLabel* presetsHeading_;
  QListWidget* presets_;
  QLabel* icon_;
};

}  // namespace ui
