#include "jpegfiledialog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QStandardPaths>

#include "photoupload.h"
#include "platform/focusreturn.h"
#include "platform/lightpalette.h"
#include "ui/kit/commandids.h"
#include "ui/kit/phonescreen.h"
#include "ui/kit/menutable.h"
#include "ui/kit/softkeybar.h"

namespace ui {
namespace {

constexpr int kPreviewHeight = 72;

// The user's pictures folder where there is one, else the home folder: never the folder the
// program happened to be started in.
QString startFolder() {
  QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!pictures.isEmpty() && QFileInfo(pictures).isDir()) return pictures;
  return QDir::homePath();
}

}  // namespace

JpegFileDialog::JpegFileDialog(const PhoneScreen& screen, QWidget* owner)
    : QFileDialog(owner, QStringLiteral("Upload Photo")), preview_(new QLabel(this)) {
  // Qt's own dialog: the desktop's would neither fit the phone frame nor take a preview.
  setOption(QFileDialog::DontUseNativeDialog);
  setFileMode(QFileDialog::ExistingFile);
  setAcceptMode(QFileDialog::AcceptOpen);
  setNameFilter(QString::fromUtf8(kFilter));
  setViewMode(QFileDialog::List);
  setDirectory(startFolder());
  setModal(true);
  // The phone windows' colours, not a dark desktop theme's.
  setPalette(platform::lightPalette());
  fitPhoneScreen();

  preview_->setObjectName(QStringLiteral("preview"));
  preview_->setAlignment(Qt::AlignCenter);
  preview_->setFixedHeight(screen.scaled(kPreviewHeight));
  preview_->setFrameShape(QFrame::StyledPanel);
  if (auto* grid = qobject_cast<QGridLayout*>(layout()))
    grid->addWidget(preview_, grid->rowCount(), 0, 1, grid->columnCount());
  connect(this, &QFileDialog::currentChanged, this, &JpegFileDialog::showPreview);

  // The soft keys stand for the dialog's own buttons, as in every other window.
  bar_ = new SoftKeyBar(*findMenu(menu::kPhotoPicker), screen, this);
  if (auto* grid = qobject_cast<QGridLayout*>(layout()))
    grid->addWidget(bar_, grid->rowCount(), 0, 1, grid->columnCount());
  connect(bar_, &SoftKeyBar::commandTriggered, this, [this](int id) {
    if (id == cmd::kOpenPhoto) accept();
    if (id == cmd::kCancelPhoto) reject();
  });
  resize(screen.size());
}

void JpegFileDialog::fitPhoneScreen() {
  // Qt's dialog is laid out for a desktop: a side bar, a column of buttons and a row of tool
  // buttons make it wider than the phone. The soft keys replace the buttons; the list view
  // is the only one used.
  for (const char* name :
       {"sidebar", "buttonBox", "newFolderButton", "listModeButton", "detailModeButton"})
    if (auto* child = findChild<QWidget*>(QLatin1String(name))) child->hide();
  for (auto* combo : findChildren<QComboBox*>()) {
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(6);
    combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  }
  if (layout()) layout()->setContentsMargins(2, 2, 2, 0);
}

void JpegFileDialog::keyPressEvent(QKeyEvent* event) {
  // The action key opens, like "Open": the dialog's own default button is hidden.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      event->modifiers() == Qt::NoModifier) {
    accept();
    return;
  }
  QFileDialog::keyPressEvent(event);
}

void JpegFileDialog::showPreview(const QString& path) {
  preview_->clear();
  const QFileInfo file(path);
  if (!file.isFile()) return;
  const int height = preview_->height() - 4;
  // The file the user points at, a link resolved: the reader itself follows none.
  if (!image_.load(QFile::encodeName(file.canonicalFilePath()).toStdString(), height, height,
                   pictures::Image::kMaxChosenPhotoBytes))
    return;
  const QImage picture(reinterpret_cast<const uchar*>(image_.pixels()), image_.width(),
                       image_.height(), image_.bytesPerLine(), QImage::Format_RGB32);
  preview_->setPixmap(QPixmap::fromImage(picture.scaled(
      preview_->width() - 4, height, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

QString pickJpegFile(const PhoneScreen& screen, QWidget* owner) {
  JpegFileDialog dialog(screen, owner);
  const bool chosen = dialog.exec() == QDialog::Accepted;
  // The upload's boxes follow: they hand the keys back to the window active before them.
  platform::returnFocus(owner);
  return chosen ? dialog.selectedFiles().value(0) : QString();
}

}  // namespace ui
