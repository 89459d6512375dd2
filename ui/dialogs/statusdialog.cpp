#include "statusdialog.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "api/endpoints.h"
#include "api/statusoperations.h"
#include "dialogcontext.h"
#include "platform/connectionkeeper.h"
#include "platform/messageboxes.h"
#include "textcut.h"
#include "ui/kit/accessibility.h"
#include "ui/kit/commandids.h"
#include "ui/kit/dialogunits.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"
#include "ui/kit/menutable.h"
#include "ui/kit/softkeybar.h"
#include "ui/kit/waitcursor.h"

namespace ui {
namespace {

constexpr int kFetchedStatusChars = 199;
constexpr int kFirstNameChars = 300;
constexpr int kIconSide = 16;

// In the order they are added; the list shows them sorted.
constexpr const char* kPresets[] = {
    "has Facebook on his mobile",
    "is working",
    "is studying",
    "is out",
    "is working out",
    "is writing",
    "is busy",
    "is bored",
    "is tired",
    "is sick",
    "is energized",
    "is out of clever ideas",
    "is home",
    "is in class",
    "is on vacation",
    "is sitting around",
    "needs coffee",
    "needs sleep",
    "needs a break",
    "needs ideas",
    "needs more time",
    "needs a vacation",
    "is up to speed",
    "needs a new status message",
};

platform::MessageBoxRequest resultBox(std::string caption, std::string text,
                                      platform::MbIcon icon) {
  platform::MessageBoxRequest box;
  box.caption = std::move(caption);
  box.text = std::move(text);
  box.icon = icon;
  box.topmost = true;
  box.foreground = true;
  return box;
}

QLabel* makeLabel(QWidget* parent, const char* name, const char* text, const QRect& place) {
  auto* label = new QLabel(QString::fromLatin1(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setGeometry(place);
  return label;
}

}  // namespace

std::string StatusDialog::permissionText(const std::string& siteUrl) {
  return "You must give this application permission to change your status. \n\n Using your "
         "computer, go to " +
         siteUrl + " and click the Status Permission link.";
}

StatusDialog::StatusDialog(DialogContext& context, QWidget* owner)
    : PhoneDialog(QStringLiteral("Status"), context.ui.screen, owner), context_(context) {
  const DialogUnits units(font());
  heading_ = makeLabel(client(), "headingLabel", "Set status", units.rect(17, 5, 91, 10));
  name_ = makeLabel(client(), "nameLabel", "Your Name", units.rect(10, 20, 43, 13));
  edit_ = new QLineEdit(client());
  edit_->setObjectName(QStringLiteral("statusEdit"));
  edit_->setGeometry(units.rect(54, 18, 76, 14));
  edit_->setMaxLength(kMaxStatusChars);
  edit_->setAccessibleName(QStringLiteral("Status"));
  presetsHeading_ = makeLabel(client(), "presetsHeading", "Select a preset status to edit",
                              units.rect(8, 35, 123, 11));
  presets_ = new QListWidget(client());
  presets_->setObjectName(QStringLiteral("presetList"));
  presets_->setGeometry(units.rect(10, 48, 123, 43));
  presets_->setSelectionMode(QAbstractItemView::SingleSelection);
  presets_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  presets_->setSortingEnabled(true);
  presets_->setAccessibleName(presetsHeading_->text());
  icon_ = new QLabel(client());
  icon_->setObjectName(QStringLiteral("statusIcon"));
  // QIcon takes the "@2x" drawing on a denser screen.
  icon_->setPixmap(QIcon(QStringLiteral(":/icons/status.png"))
                       .pixmap(QSize(kIconSide, kIconSide), devicePixelRatioF()));

  load();

  connect(edit_, &QLineEdit::textEdited, this, [this] {
    setSoftKeys(menu::kStatusUpdate);
    presets_->clearSelection();
  });
  // The length limit cuts by UTF-16 units and can leave half a surrogate pair.
  connect(edit_, &QLineEdit::textChanged, this, [this](const QString& text) {
    const QString clean = withoutLoneSurrogates(text);
    if (clean.size() == text.size()) return;
    const int cursor = std::min<int>(edit_->cursorPosition(), static_cast<int>(clean.size()));
    edit_->setText(clean);
    edit_->setCursorPosition(cursor);
  });
  connect(presets_, &QListWidget::itemSelectionChanged, this, [this] {
    if (!presets_->selectedItems().isEmpty()) setSoftKeys(menu::kStatusPreset);
  });
  edit_->installEventFilter(this);
  presets_->installEventFilter(this);
  client()->installEventFilter(this);
  connect(this, &PhoneDialog::command, this, &StatusDialog::runCommand);
  edit_->setFocus();
  showIdleKeys();
}

void StatusDialog::load() {
  std::optional<WaitCursor> wait(std::in_place);
  context_.connection.ensure();
  const uint32_t uid = context_.userId ? context_.userId() : 0;
  api::OneFriend found;
  auto apiClient = context_.client ? context_.client() : nullptr;
  if (apiClient && uid != 0) found = api::statusWithFirstName(*apiClient, std::to_string(uid));
  if (found.result == api::OneFriendResult::TimedOut) {
    wait.reset();
    context_.boxes.show(
        resultBox("Problem",
                  "We couldn't retrieve your current Facebook status. Your connection may be down.",
                  platform::MbIcon::None));
  }
  if (found.hasStatus()) {
    const QString current = cutText(QString::fromStdString(found.status), kFetchedStatusChars);
    edit_->setText(cutText(current, kMaxStatusChars));
    fetched_ = edit_->text();
    context_.ui.hasStatus = HasStatus::kHas;
  }
  if (found.hasSecond()) {
    const QString first = cutText(QString::fromStdString(found.second), kFirstNameChars);
    const QFontMetrics metrics(name_->font());
    name_->resize(metrics.horizontalAdvance(first) + 15, name_->height());
    a11y::setLabelText(name_, first);
  }
  heading_->setFont(context_.fonts.bold);
  presetsHeading_->setFont(context_.fonts.bold);
  for (const char* preset : kPresets) presets_->addItem(QString::fromLatin1(preset));
}

int StatusDialog::softKeys() const {
  const SoftKeyBar* bar = chrome()->softKeyBar();
  return bar ? bar->menuId() : 0;
}

void StatusDialog::showIdleKeys() {
  setSoftKeys(context_.ui.hasStatus == HasStatus::kHas ? menu::kStatusIdle : menu::kDone);
}

void StatusDialog::runCommand(int id) {
  switch (id) {
    case cmd::kSelectPreset:
      selectPreset();
      break;
    case cmd::kCancelPreset:
      cancelPreset();
      break;
    case cmd::kCancelUpdate:
      edit_->clear();
      showIdleKeys();
      break;
    case cmd::kUpdateStatus:
      updateStatus();
      break;
    case cmd::kClearStatus:
      clearStatus();
      break;
    case cmd::kDone:
      done(cmd::kDone);
      break;
    default:
      break;
  }
}

void StatusDialog::reject() { runCommand(cmd::kDone); }

void StatusDialog::selectPreset() {
  const QList<QListWidgetItem*> selected = presets_->selectedItems();
  if (selected.isEmpty() || selected.first()->text().isEmpty()) return;
  edit_->setText(selected.first()->text());
  presets_->clearSelection();
  setSoftKeys(menu::kStatusUpdate);
  edit_->setCursorPosition(static_cast<int>(edit_->text().size()));
  edit_->setFocus();
}

void StatusDialog::cancelPreset() {
  presets_->clearSelection();
  edit_->setFocus();
  showIdleKeys();
}

void StatusDialog::updateStatus() {
  const std::string text = cutUtf8(edit_->text().toStdString(), kMaxStatusBytes);
  api::SetStatusResult result = api::SetStatusResult::Failed;
  {
    WaitCursor wait;
    if (auto apiClient = context_.client ? context_.client() : nullptr)
      result = api::usersSetStatus(*apiClient, text, false);
  }
  if (result == api::SetStatusResult::Done) {
    context_.connection.release();
    done(cmd::kUpdateStatus);
  }
  // A failed update keeps the dialog open with the text, so that it can be sent again.
  tell(result);
}

void StatusDialog::clearStatus() {
  api::SetStatusResult result = api::SetStatusResult::Failed;
  {
    WaitCursor wait;
    if (auto apiClient = context_.client ? context_.client() : nullptr)
      result = api::usersSetStatus(*apiClient, std::string(), true);
  }
  if (result != api::SetStatusResult::Done) {
    // The status is still there: say so, and leave the text and the keys as they are.
    tell(result);
    return;
  }
  context_.ui.hasStatus = HasStatus::kNone;
  fetched_.clear();
  edit_->clear();
  setSoftKeys(menu::kDone);
}

void StatusDialog::tell(api::SetStatusResult result) {
  switch (result) {
    case api::SetStatusResult::Done:
      context_.boxes.show(
          resultBox("Success", "Status Successfully Set!", platform::MbIcon::Information));
      break;
    case api::SetStatusResult::NoPermission:
      context_.boxes.show(
          resultBox("Problem", permissionText(api::siteUrl()), platform::MbIcon::None));
      break;
    case api::SetStatusResult::TimedOut:
      context_.boxes.show(resultBox("Problem",
                                    "Internet connection is too slow. Please try again later.",
                                    platform::MbIcon::None));
      break;
    default:
      context_.boxes.show(resultBox(
          "Problem",
          "An unexpected error occurred. Please check your connection and try again later.",
          platform::MbIcon::None));
      break;
  }
}

bool StatusDialog::handleKey(QObject* watched, int key) {
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    // The action key does what the state offers first: take the preset, send the text, or
    // leave.
    if (watched == presets_ && !presets_->selectedItems().isEmpty())
      runCommand(cmd::kSelectPreset);
    else if (softKeys() == menu::kStatusUpdate)
      runCommand(cmd::kUpdateStatus);
    else
      runCommand(cmd::kDone);
    return true;
  }
  if (watched == edit_ && key == Qt::Key_Down) {
    presets_->setFocus();
    if (presets_->selectedItems().isEmpty() && presets_->count() > 0) presets_->setCurrentRow(0);
    return true;
  }
  if (watched == presets_ && key == Qt::Key_Up && presets_->currentRow() <= 0) {
    edit_->setFocus();
    return true;
  }
  return false;
}

bool StatusDialog::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Resize:
      if (watched == client()) layOut();
      break;
    case QEvent::KeyPress:
      if ((watched == edit_ || watched == presets_) &&
          handleKey(watched, static_cast<QKeyEvent*>(event)->key()))
        return true;
      break;
    case QEvent::FocusIn:
      if (watched == edit_) {
        const QString text = edit_->text();
        if (!text.isEmpty() && text != fetched_) setSoftKeys(menu::kStatusUpdate);
      } else if (watched == presets_) {
        setSoftKeys(menu::kStatusPreset);
      }
      break;
    case QEvent::FocusOut:
      if (watched == presets_) showIdleKeys();
      break;
    default:
      break;
  }
  return PhoneDialog::eventFilter(watched, event);
}

void StatusDialog::layOut() {
  const DialogUnits units(font());
  const int margin = context_.ui.screen.sideMargin();
  const int width = client()->width();
  const int height = client()->height();
  const QRect list = units.rect(10, 48, 123, 43);
  // Down to the bottom, leaving the gap of its left offset; then out to the margins.
  presets_->setGeometry(margin, list.y(), width - 2 * margin,
                        std::max(0, height - list.y() - list.x()));
  const QRect edit = units.rect(54, 18, 76, 14);
  const int editLeft = margin + name_->width();
  edit_->setGeometry(editLeft, edit.y(), std::max(0, width - margin - editLeft), edit.height());
  const QFontMetrics metrics(font());
  // One line of the system font, as "Friend Requests: " measures.
  const int iconBottom = heading_->y() + metrics.height();
  icon_->setGeometry(heading_->x() - 19, iconBottom - kIconSide, kIconSide, kIconSide);
}

}  // namespace ui
