#include "frienddetailsdialog.h"

#include <unistd.h>

#include <algorithm>

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "api/statusoperations.h"
#include "detailslayout.h"
#include "dialogcontext.h"
#include "friendclock.h"
#include "friends/cacheentries.h"
#include "friends/friendstore.h"
#include "friends/recordtext.h"
#include "pictures/image.h"
#include "pictures/picturecache.h"
#include "pictures/picturefile.h"
#include "platform/connectionkeeper.h"
#include "platform/messageboxes.h"
#include "textcut.h"
#include "ui/kit/accessibility.h"
#include "ui/kit/backgroundwork.h"
#include "ui/kit/commandids.h"
#include "ui/kit/dialogunits.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"
#include "ui/kit/menutable.h"
#include "ui/kit/waitcursor.h"

namespace ui {
namespace {

constexpr int kStatusBufferChars = 199;
constexpr int kPictureSide = 50;

struct PageButton {
  const char* name;
  const char* text;
  const char* page;
};
// In layout order, two to a row.
constexpr std::array<PageButton, 6> kPageButtons = {{
    {"viewWallButton", "View Wall", "/wall.php?id="},
    {"pokeButton", "Poke", "/poke.php?id="},
    {"photosButton", "Photos", "/photo_search.php?id="},
    {"albumsButton", "Albums", "/photos.php?id="},
    {"viewProfileButton", "View Profile", "/profile.php?id="},
    {"viewNotesButton", "View Notes", "/notes.php?id="},
}};

bool isWebAddress(const std::string& url) {
  return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

}  // namespace

FriendDetailsDialog::FriendDetailsDialog(DialogContext& context, const std::string& uid,
                                         QString name, QWidget* owner)
    : PhoneDialog(QStringLiteral("Selected Friend"), context.ui.screen, owner),
      context_(context),
      name_(makeLabel(client(), "nameLabel", QStringLiteral("Friend's Name"))),
      status_(makeLabel(client(), "statusLabel", QStringLiteral("UID"))),
      caption_(makeLabel(client(), "localTimeCaption", QStringLiteral("Local Time:"))),
      time_(makeLabel(client(), "localTimeLabel", QStringLiteral("N/A"))),
      picture_(makeLabel(client(), "picture", QString())) {
  status_->setFont(context.fonts.italic);
  status_->setWordWrap(true);
  name_->setFont(context.fonts.bold);
  for (std::size_t i = 0; i < kPageButtons.size(); ++i) {
    auto* button = new QPushButton(QString::fromLatin1(kPageButtons[i].text), client());
    button->setObjectName(QString::fromLatin1(kPageButtons[i].name));
    connect(button, &QPushButton::clicked, this, [this, i] { openPage(static_cast<int>(i)); });
    button->installEventFilter(this);
    buttons_[i] = button;
  }
  // The template's places until the first layout.
  const DialogUnits units(font());
  name_->setGeometry(units.rect(7, 5, 109, 11));
  status_->setGeometry(units.rect(18, 16, 77, 14));
  caption_->setGeometry(units.rect(13, 33, 37, 8));
  time_->setGeometry(units.rect(55, 33, 63, 8));

  std::string timezone;
  if (friends::isDecimalId(uid)) {
    const auto entry = friends::entryFor<friends::AllFriendsEntry>(
        context.store.load(friends::CacheFile::AllFriends), uid,
        [](const friends::AllFriendsEntry& e) { return e.hasName(); });
    if (entry) {
      found_ = true;
      timezone = entry->timezone;
      if (name.isEmpty()) name = QString::fromStdString(entry->name);
    }
  }
  a11y::setLabelText(name_, name);
  context_.ui.selectedFriend.name = name;
  if (found_) {
    uid_ = uid;
    context_.ui.selectedFriend.uid = uid;
    load(timezone);
  } else {
    // Nothing of another friend may show or open: the placeholder goes and the buttons
    // do nothing.
    context_.ui.selectedFriend.uid.clear();
    a11y::setLabelText(status_, {});
    for (QPushButton* button : buttons_) button->setEnabled(false);
  }
  client()->installEventFilter(this);
  setSoftKeys(menu::kDone);
  connect(this, &PhoneDialog::command, this, &FriendDetailsDialog::runCommand);
}

void FriendDetailsDialog::load(const std::string& timezone) {
  std::optional<WaitCursor> wait(std::in_place);
  context_.connection.ensure();
  picturePath_ = context_.pictures.pathOf(pictures::PictureKind::Square, uid_);
  api::OneFriend found;
  if (auto apiClient = context_.client ? context_.client() : nullptr)
    found = api::statusWithPicture(*apiClient, uid_);
  if (found.result == api::OneFriendResult::TimedOut) {
    wait.reset();
    platform::MessageBoxRequest box;
    box.caption = "Problem";
    box.text = "We couldn't retrieve your friends' information. Your connection may be down.";
    box.topmost = true;
    box.foreground = true;
    context_.boxes.show(box);
  }
  if (found.hasStatus()) {
    hasStatus_ = true;
    statusText_ = cutText(QString::fromStdString(found.status), kStatusBufferChars);
    a11y::setLabelText(status_, statusText_);
  } else {
    hasStatus_ = false;
    statusText_ = QStringLiteral("No status");
    a11y::setLabelText(status_, {});
  }
  if (found.hasSecond()) fetchPicture(found.second);
  if (const auto offset = timeZoneOffsetSeconds(timezone))
    time_->setText(QString::fromStdString(twelveHourTime(context_.now(), *offset)));
}

void FriendDetailsDialog::fetchPicture(const std::string& url) {
  // A file that does not decode (empty, or a download cut short) counts as missing, and a
  // failed download leaves none behind, so the next opening tries again.
  if (pictures::ratePictureFile(picturePath_) == pictures::PictureFileState::Broken)
    ::unlink(picturePath_.c_str());
  if (!isWebAddress(url)) return;
  // The dialog shows what the folder holds meanwhile; the download runs on a worker and the
  // corner takes the picture when it is there.
  pictures::PictureCache& cache = context_.pictures;
  runInBackground(
      this,
      [&cache, uid = uid_, url] {
        cache.fetchPicture(uid, url, cache.folderOf(pictures::PictureKind::Square));
      },
      [this] { layOut(); });
}

void FriendDetailsDialog::openPage(int index) {
  if (!found_ || index < 0 || index >= static_cast<int>(kPageButtons.size())) return;
  if (context_.openMobilePage)
    context_.openMobilePage(kPageButtons[static_cast<std::size_t>(index)].page + uid_);
}

void FriendDetailsDialog::runCommand(int id) {
  if (id == cmd::kDone) done(cmd::kDone);
}

void FriendDetailsDialog::reject() { runCommand(cmd::kDone); }

void FriendDetailsDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // The action key presses the button that has the focus, else it is "Done".
      if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
        button->click();
      else
        runCommand(cmd::kDone);
      return;
    case Qt::Key_Up:
    case Qt::Key_Left:
      focusNextPrevChild(false);
      return;
    case Qt::Key_Down:
    case Qt::Key_Right:
      focusNextPrevChild(true);
      return;
    default:
      PhoneDialog::keyPressEvent(event);
  }
}

bool FriendDetailsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client() && event->type() == QEvent::Resize) layOut();
  // Buttons take the arrows for themselves; here they move the focus as the d-pad does.
  if (event->type() == QEvent::KeyPress && qobject_cast<QPushButton*>(watched)) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right ||
        key == Qt::Key_Return || key == Qt::Key_Enter) {
      keyPressEvent(static_cast<QKeyEvent*>(event));
      return true;
    }
  }
  return PhoneDialog::eventFilter(watched, event);
}

void FriendDetailsDialog::layOut() {
  const DialogUnits units(font());
  const QFontMetrics metrics(font());
  DetailsLayoutInput in;
  in.screenWidth = context_.ui.screen.width;
  in.screenHeight = context_.ui.screen.height;
  in.dialogTop = client()->y();
  in.name = units.rect(7, 5, 109, 11);
  in.textWidth = metrics.horizontalAdvance(statusText_);
  in.textHeight = metrics.height();
  in.textLength = static_cast<int>(statusText_.size());
  // Wide enough for its text in this font, which may be wider than the one the template
  // was drawn for.
  in.caption = units.rect(13, 33, 37, 8).size();
  in.caption.setWidth(
      std::max(in.caption.width(), metrics.horizontalAdvance(caption_->text()) + 4));
  in.time = units.rect(55, 33, 63, 8).size();
  const DetailsLayout out = layOutDetails(in);

  name_->setGeometry(in.name);
  status_->setGeometry(out.status);
  if (hasStatus_)
    a11y::setLabelText(status_, out.cut
                                    ? cutText(statusText_, out.shownLength) + QStringLiteral("...")
                                    : statusText_);
  caption_->setGeometry(out.caption);
  time_->setGeometry(out.time);
  for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setGeometry(out.buttons[i]);
  picture_->setGeometry(context_.ui.screen.width - 53, 3, kPictureSide, kPictureSide);
  showPicture();
}

void FriendDetailsDialog::showPicture() {
  pictures::Image image;
  if (picturePath_.empty() || !image.load(picturePath_, kPictureSide, kPictureSide)) {
    picture_->clear();
    a11y::setName(picture_, {});
    return;
  }
  const QImage decoded(reinterpret_cast<const uchar*>(image.pixels()), image.width(),
                       image.height(), image.bytesPerLine(), QImage::Format_RGB32);
  QPixmap corner(kPictureSide, kPictureSide);
  corner.fill(Qt::white);
  QPainter painter(&corner);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRect(0, 0, kPictureSide, kPictureSide), decoded);
  painter.end();
  picture_->setPixmap(corner);
  a11y::setName(picture_, QStringLiteral("Picture of ") + name_->text());
}

}  // namespace ui
