#include "friendpage.h"

#include <algorithm>

#include <QEvent>
#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include "api/apiclient.h"
#include "bigpicturewindow.h"
#include "categorylist.h"
#include "friends/friendsync.h"
#include "friends/recordtext.h"
#include "friends/statustime.h"
#include "infowindow.h"
#include "pagetexts.h"
#include "picturebox.h"
#include "pictures/picturecache.h"
#include "ui/kit/accessibility.h"
#include "ui/kit/backgroundwork.h"
#include "ui/kit/commandids.h"
#include "ui/kit/fonts.h"
#include "ui/kit/uistate.h"
#include "ui/kit/menutable.h"
#include "ui/kit/waitcursor.h"

namespace ui {
namespace {

using pictures::PictureKind;
using Busy = pictures::PictureCache::Busy;

// "Refresh Status" hands this time limit to the query.
constexpr long kRefreshTimeLimit = 30;
// The large picture file settles for this long after it was asked for.
constexpr int kBigPictureWaitMs = 500;
// The standard picture is shown at most this high.
constexpr int kPictureMaxHeight = 150;

}  // namespace

void openFriendPage(FriendPageContext& context, const std::string& uid, const QString& name,
                    QWidget* over) {
  context.ui.selectedFriend.uid = uid;
  context.ui.selectedFriend.name = name;
  context.ui.selectedFriend.picturePath =
      QString::fromStdString(context.pictures.pathOf(PictureKind::Square, uid));
  FriendPage page(context, uid, name, over);
  context.runDialog(page);
}

FriendPage::FriendPage(FriendPageContext& context, std::string uid, QString name, QWidget* owner)
    : PhoneDialog(QStringLiteral("Veltrana"), context.ui.screen, owner),
      context_(context),
      uid_(std::move(uid)),
      nameText_(std::move(name)),
      scroll_(new QScrollArea(client())),
      content_(new QWidget),
      picture_(new PictureBox(image_, QSize(100, 150), content_)),
      status_(new QPlainTextEdit(content_)),
      name_(new QLabel(content_)),
      facts_(new QLabel(content_)) {
  // The page scrolls only when the facts leave the status box too little room.
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  scroll_->setFocusPolicy(Qt::NoFocus);
  scroll_->setWidget(content_);
  scroll_->viewport()->setAutoFillBackground(false);
  content_->setAutoFillBackground(false);
  picture_->setObjectName(QStringLiteral("pictureBox"));
  picture_->onLoaded([this](QSize size) { context_.pictureSize = size; });
  status_->setObjectName(QStringLiteral("statusBox"));
  status_->setReadOnly(true);
  status_->setFont(context_.fonts.italic);
  status_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  status_->setTextInteractionFlags(Qt::TextSelectableByKeyboard);
  name_->setObjectName(QStringLiteral("nameLabel"));
  name_->setFont(context_.fonts.bold);
  name_->setTextFormat(Qt::PlainText);
  facts_->setObjectName(QStringLiteral("factsLabel"));
  facts_->setTextFormat(Qt::PlainText);
  facts_->setWordWrap(true);
  facts_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  client()->installEventFilter(this);
  status_->installEventFilter(this);

  const bool validUid = friends::isDecimalId(uid_);
  const std::shared_ptr<api::ApiClient> api = currentClient();
  const uint32_t userId = currentUser();
  if (validUid) {
    picture_->setPath(context_.pictures.pathOf(PictureKind::Standard, uid_));
    // The first layout comes before the first paint: it needs the size now.
    takePictureSize();
  }
  // The page shows what the folders hold (or the white box) at once; the pictures still
  // missing come from a worker, and the page takes the standard one when it is there.
  if (api && validUid) {
    pictures::PictureCache& cache = context_.pictures;
    runInBackground(
        this,
        [&cache, api, userId, uid = uid_] {
          cache.ensurePicture(PictureKind::Square, *api, userId, uid, Busy::Hidden);
          cache.ensurePicture(PictureKind::Standard, *api, userId, uid, Busy::Hidden);
        },
        [this] { pictureArrived(); });
  }

  const friends::FriendStore& store = context_.store;
  showStatus(page::statusText(store.load(friends::CacheFile::BestFriends),
                              store.load(friends::CacheFile::Statuses), uid_, context_.clock()));
  std::vector<std::string> staticLines = store.load(friends::CacheFile::StaticInfo);
  if (staticLines.empty() && api) {
    WaitCursor wait;
    friends::FriendSync(*api, userId, store).getStaticInfo();
    staticLines = store.load(friends::CacheFile::StaticInfo);
  }
  a11y::setLabelText(facts_, QString::fromStdString(page::factsText(staticLines, uid_)));
  a11y::setLabelText(name_, nameText_);
  picture_->setAccessibleName(QStringLiteral("Picture of ") + nameText_);
  status_->setAccessibleName(QStringLiteral("Status"));

  setSoftKeys(menu::kFriendPage);
  connect(this, &PhoneDialog::command, this, &FriendPage::runCommand);
  status_->setFocus();
}

FriendPage::~FriendPage() = default;

bool FriendPage::takePictureSize() {
  if (!image_.load(picture_->path())) return false;
  context_.pictureSize = {image_.width(), image_.height()};
  return true;
}

void FriendPage::pictureArrived() {
  // Laid out again to the picture's size; without one the page stays as it is.
  if (takePictureSize()) layOut();
  picture_->update();
}

CategoryList* FriendPage::categoryList() const { return categories_.data(); }

std::shared_ptr<api::ApiClient> FriendPage::currentClient() const {
  return context_.client ? context_.client() : nullptr;
}

uint32_t FriendPage::currentUser() const { return context_.userId ? context_.userId() : 0; }

bool FriendPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client() && event->type() == QEvent::Resize) layOut();
  if (watched == status_ && event->type() == QEvent::KeyPress &&
      scrollPastStatus(static_cast<QKeyEvent*>(event)->key()))
    return true;
  return PhoneDialog::eventFilter(watched, event);
}

bool FriendPage::scrollPastStatus(int key) {
  // The arrows scroll the status first, then the page where it is taller than the screen.
  QScrollBar* text = status_->verticalScrollBar();
  QScrollBar* page = scroll_->verticalScrollBar();
  if (key == Qt::Key_Down && text->value() == text->maximum() && page->value() < page->maximum()) {
    page->setValue(page->value() + page->singleStep() * 3);
    return true;
  }
  if (key == Qt::Key_Up && text->value() == text->minimum() && page->value() > page->minimum()) {
    page->setValue(page->value() - page->singleStep() * 3);
    return true;
  }
  return false;
}

void FriendPage::layOut() {
  const int pw = std::max(0, context_.pictureSize.width());
  const int ph = std::clamp(context_.pictureSize.height(), 0, kPictureMaxHeight);
  const int ch = client()->height();
  const int t = context_.lineHeight ? context_.lineHeight() : mainLineHeight(context_.ui);
  // 20 pixels, or the bold font's height on a dense screen so that the name is not cut.
  const int nameHeight = std::max(20, QFontMetrics(context_.fonts.bold).height());
  const int m = context_.ui.screen.sideMargin();
  // The status box keeps room for a few lines of its own; below that the page scrolls.
  const int statusMinimum = status_->fontMetrics().lineSpacing() * 3 + 2 * status_->frameWidth();
  const int scrollBar = scroll_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_);
  int cw = client()->width();
  int factsHeight = 0, y = 0;
  for (const bool scrolls : {false, true}) {
    if (scrolls) cw = std::max(0, cw - scrollBar);
    const int textWidth = std::max(0, cw - pw - 10);
    // At least six lines; as many more as the facts need at this width, so none is cut.
    factsHeight = std::max(6 * t, facts_->heightForWidth(textWidth));
    y = std::max(ph, factsHeight + 5 + nameHeight) + 5;
    if (y + statusMinimum <= ch) break;
  }
  const int textWidth = std::max(0, cw - pw - 10);
  content_->resize(cw, std::max(ch, y + statusMinimum));
  scroll_->setGeometry(0, 0, client()->width(), ch);
  picture_->setGeometry(0, 0, pw, ph);
  name_->setGeometry(pw + 5, 5, textWidth, nameHeight);
  facts_->setGeometry(pw + 5, 5 + nameHeight, textWidth, factsHeight);
  status_->setGeometry(m, y, std::max(0, cw - 2 * m), std::max(0, content_->height() - y));
  if (categories_) {
    categories_->setGeometry(0, 0, client()->width(), ch);
  } else {
    status_->setFocus();
  }
}

void FriendPage::showStatus(const std::string& text) {
  status_->setPlainText(page::cutToCharacters(QString::fromStdString(text), page::kStatusLimit));
}

void FriendPage::runCommand(int id) {
  switch (id) {
    case cmd::kPageDone:
      done(cmd::kPageDone);
      break;
    case cmd::kRefreshStatus:
      refreshStatus();
      break;
    case cmd::kAllAboutFriend:
      showCategories();
      break;
    case cmd::kCancelCategories:
      dropCategories();
      setSoftKeys(menu::kFriendPage);
      break;
    case cmd::kSubmitCategories:
      submitCategories();
      break;
    case cmd::kBigPicture:
      showBigPicture();
      break;
    case cmd::kOpenFriendDetails:
      if (context_.openDetails) context_.openDetails(uid_, nameText_, this);
      break;
    default:
      break;
  }
}

void FriendPage::reject() { runCommand(cmd::kPageDone); }

void FriendPage::refreshStatus() {
  if (const auto api = currentClient()) {
    WaitCursor wait;
    const friends::FriendStatus status =
        friends::getStatusNTime(*api, uid_, kRefreshTimeLimit, context_.clock);
    // A query that failed or timed out says nothing about the status: the shown one stays.
    if (status) showStatus(friends::statusLineText(status.message, status.hoursText));
  }
  bringToFront();
  status_->setFocus();
}

void FriendPage::showCategories() {
  dropCategories();
  categories_ = new CategoryList(client());
  categories_->setGeometry(0, 0, client()->width(), client()->height());
  categories_->show();
  categories_->setFocus();
  setSoftKeys(menu::kAllAboutFriend);
}

void FriendPage::dropCategories() {
  if (!categories_) return;
  delete categories_.data();
  status_->setFocus();
}

void FriendPage::submitCategories() {
  if (!categories_) return;
  {
    WaitCursor wait;
    const auto api = currentClient();
    friends::adHocRequest(api.get(), currentUser(), uid_, categories_->chosen(), results_);
  }
  InfoWindow info(nameText_, page::infoText(results_), context_.fonts, context_.ui.screen, this);
  const int end = context_.runDialog(info);
  // Either way out takes the list down: left under the page's own bar, the next "All About
  // Friend" would pile another one on it.
  dropCategories();
  results_ = {};
  setSoftKeys(menu::kFriendPage);
  if (end == cmd::kDone) bringToFront();
  status_->setFocus();
}

void FriendPage::showBigPicture() {
  std::string path;
  if (friends::isDecimalId(uid_)) {
    path = context_.pictures.pathOf(PictureKind::Big, uid_);
    if (const auto api = currentClient()) {
      const bool missing = !QFile::exists(QString::fromStdString(path));
      // Fetched on a worker; the window, open by then or not, draws it when it is there.
      pictures::PictureCache& cache = context_.pictures;
      runInBackground(
          this,
          [&cache, api, userId = currentUser(), uid = uid_] {
            cache.ensurePicture(PictureKind::Big, *api, userId, uid, Busy::Hidden);
          },
          [this] {
            if (bigPicture_) bigPicture_->pictureBox()->update();
          });
      if (missing) context_.pause(kBigPictureWaitMs);
    }
  }
  BigPictureWindow window(context_.ui, path, this);
  bigPicture_ = &window;
  context_.runDialog(window);
  bigPicture_ = nullptr;
  bringToFront();
}

void FriendPage::bringToFront() {
  raise();
  activateWindow();
}

}  // namespace ui
