#include "allfriendswindow.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

#include "allfriendsmodel.h"
#include "bestfriends.h"
#include "platform/messageboxes.h"
#include "ui/kit/accessibility.h"
#include "ui/kit/commandids.h"
#include "ui/kit/uistate.h"
#include "ui/kit/menutable.h"

namespace ui {
namespace {

const QColor kPickUpColour(152, 251, 152);
const QColor kRemoveColour(219, 147, 112);
constexpr const char* kCaption = "Veltrana";
constexpr const char* kNotSavedText =
    "Your best friends list could not be saved. Please try again.";

const char* finishQuestion(AllFriendsWindow::Mode mode) {
  return mode == AllFriendsWindow::Mode::PickUp ? "Did you finish picking your new best friends?"
                                                : "Did you finish removing best friends?";
}

}  // namespace

AllFriendsWindow::AllFriendsWindow(UiState& ui, BestFriends& bestFriends,
                                   platform::MessageBoxes& boxes, std::function<void()> openHelp,
                                   QWidget* owner)
    : PhoneDialog(QStringLiteral("All Friends"), ui.screen, owner),
      ui_(ui),
      bestFriends_(bestFriends),
      boxes_(boxes),
      openHelp_(std::move(openHelp)),
      model_(new AllFriendsModel(bestFriends.store().load(friends::CacheFile::AllFriends),
                                 bestFriends.store().load(friends::CacheFile::BestFriends), this)),
      list_(new QTableView(client())),
      pictureBox_(new QLabel(client())),
      info_(new QLabel(client())) {
  list_->setModel(model_);
  list_->setAccessibleName(windowTitle());  // the list fills the window under its title
  list_->horizontalHeader()->hide();
  list_->verticalHeader()->hide();
  list_->setShowGrid(false);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setTextElideMode(Qt::ElideRight);
  list_->setWordWrap(false);
  list_->verticalHeader()->setDefaultSectionSize(18);
  list_->installEventFilter(this);
  connect(list_, &QTableView::activated, this,
          [this](const QModelIndex& index) { activateRow(index.row()); });
  connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) selectRow(current.row());
          });
  pictureBox_->setObjectName(QStringLiteral("pictureBox"));
  pictureBox_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  info_->setObjectName(QStringLiteral("infoLabel"));
  info_->setWordWrap(true);
  info_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  info_->setTextFormat(Qt::PlainText);
  setSoftKeys(menu::kAllFriends);
  connect(this, &PhoneDialog::command, this, &AllFriendsWindow::runCommand);
  list_->setFocus();
}

AllFriendsWindow::~AllFriendsWindow() = default;

void AllFriendsWindow::resizeEvent(QResizeEvent* event) {
  PhoneDialog::resizeEvent(event);
  const int w = client()->width();
  const int h = client()->height();
  const int m = ui_.screen.sideMargin();
  const int top = h * 3 / 4;
  list_->setGeometry(m, 0, w - 2 * m, top - 5);
  pictureBox_->setGeometry(5, top, 55, h / 4);
  info_->setGeometry(60, top, w - 60, h / 4);
  const int scrollBar = list_->verticalScrollBar()->sizeHint().width();
  list_->setColumnWidth(1, 100);
  list_->setColumnWidth(0, std::max(list_->viewport()->width(), w - 2 * m - scrollBar) - 100);
  showPicture();
}

int AllFriendsWindow::ask(const char* question) {
  platform::MessageBoxRequest request;
  request.caption = kCaption;
  request.text = question;
  request.icon = platform::MbIcon::Question;
  request.buttons = platform::MbButtons::YesNo;
  return boxes_.show(request);
}

void AllFriendsWindow::tell(const std::string& text) {
  platform::MessageBoxRequest request;
  request.caption = kCaption;
  request.text = text;
  boxes_.show(request);
}

void AllFriendsWindow::tellNotSaved() {
  platform::MessageBoxRequest request;
  request.caption = "Problem";
  request.text = kNotSavedText;
  request.icon = platform::MbIcon::Exclamation;
  boxes_.show(request);
}

void AllFriendsWindow::setMode(Mode mode) {
  mode_ = mode;
  model_->setBackground(mode == Mode::PickUp   ? kPickUpColour
                        : mode == Mode::Remove ? kRemoveColour
                                               : QColor());
}

void AllFriendsWindow::enterMode(Mode mode) {
  setMode(mode);
  const bool pickUp = mode == Mode::PickUp;
  if (ask(pickUp ? "Do you want to pick new best friends?"
                 : "Do you want to remove some people from best friends?") == platform::kIdYes)
    setSoftKeys(pickUp ? menu::kPickMode : menu::kRemoveMode);
  else
    setMode(Mode::Browse);
}

// Asks whether the mode's work is finished; true when no mode is left set.
bool AllFriendsWindow::leaveMode() {
  if (mode_ == Mode::Browse) return true;
  if (ask(finishQuestion(mode_)) != platform::kIdYes) return false;
  setSoftKeys(menu::kAllFriends);
  setMode(Mode::Browse);
  emit modeLeft();
  return true;
}

void AllFriendsWindow::runCommand(int id) {
  switch (id) {
    case cmd::kChooseBestFriends:
      enterMode(Mode::PickUp);
      break;
    case cmd::kRemoveBestFriends:
      enterMode(Mode::Remove);
      break;
    case cmd::kAllFriends:
      leaveMode();
      break;
    case cmd::kDone:
      if (leaveMode()) done(cmd::kDone);
      break;
    case cmd::kHelp:
      if (openHelp_) openHelp_();
      break;
    default:
      break;
  }
}

void AllFriendsWindow::reject() { runCommand(cmd::kDone); }

bool AllFriendsWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && list_->currentIndex().isValid()) {
      activateRow(list_->currentIndex().row());
      return true;
    }
  }
  return PhoneDialog::eventFilter(watched, event);
}

void AllFriendsWindow::selectRow(int row) {
  const friends::AllFriendsEntry& r = model_->row(row).entry;
  a11y::setLabelText(
      info_, QString::fromStdString(r.name + ",    " + r.affiliationName + " " + r.affiliationType +
                                    ", " + r.affiliationStatus + ", " + r.affiliationYear));
  ui_.selectedFriend.uid = r.uid;
  ui_.selectedFriend.name = QString::fromStdString(r.name);
  ui_.selectedFriend.picturePath =
      QString::fromStdString(bestFriends_.store().paths().picSquare + r.uid + ".jpg");
  if (list_->currentIndex().row() != row) list_->selectRow(row);
  showPicture();
}

void AllFriendsWindow::showPicture() {
  // White first; the picture, when it loads, stretched to 55 x 50 beside the margin.
  QPixmap box(57, std::max(pictureBox_->height(), 50));
  box.fill(Qt::white);
  const std::string path = ui_.selectedFriend.picturePath.toStdString();
  if (!ui_.selectedFriend.uid.empty() && image_.load(path, 55, 50)) {
    const QImage picture(reinterpret_cast<const uchar*>(image_.pixels()), image_.width(),
                         image_.height(), image_.bytesPerLine(), QImage::Format_RGB32);
    QPainter painter(&box);
    painter.drawImage(QRect(5, 0, 55, 50), picture);
  }
  pictureBox_->setPixmap(box);
  a11y::setName(pictureBox_, ui_.selectedFriend.uid.empty()
                                 ? QString()
                                 : QStringLiteral("Picture of ") + ui_.selectedFriend.name);
}

void AllFriendsWindow::activateRow(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  const friends::AllFriendsEntry& r = model_->row(row).entry;
  const std::string uid = r.uid;
  const std::string name = r.name;
  if (mode_ == Mode::PickUp) {
    ui_.selectedFriend.name = QString::fromStdString(name);
    switch (bestFriends_.add(uid, name)) {
      case BestFriends::Result::Added:
        model_->setMark(row, "#1");
        tell(name + " was added to your best friends");
        break;
      case BestFriends::Result::Already:
        tell(name + " is already your best friend.");
        break;
      case BestFriends::Result::Limit: {
        platform::MessageBoxRequest request;
        request.caption = kCaption;
        request.text = "You have reached the maximum number of best friends!";
        request.icon = platform::MbIcon::Stop;
        boxes_.show(request);
        break;
      }
      case BestFriends::Result::WriteFailed:
        tellNotSaved();
        break;
      default:
        break;
    }
  } else if (mode_ == Mode::Remove) {
    switch (bestFriends_.remove(uid)) {
      case BestFriends::Result::Removed:
        model_->setMark(row, "#0");
        tell(name + " was removed from your best friends");
        break;
      case BestFriends::Result::NotBestFriend:
        tell(name + " was not your best friend.");
        break;
      case BestFriends::Result::WriteFailed:
        tellNotSaved();  // bf1.txt and the list stay as they were
        break;
      default:
        break;
    }
  } else {
    ui_.selectedFriend.uid = uid;
    ui_.selectedFriend.name = QString::fromStdString(name);
    if (openFriend_) openFriend_(uid, ui_.selectedFriend.name, this);
    showPicture();
  }
}

}  // namespace ui
