#include "jpegfiledialog.h"

#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>

#include "photoupload.h"
#include "ui/kit/globals.h"

namespace ui {
namespace {

constexpr int kPreviewHeight = 72;

}  // namespace

JpegFileDialog::JpegFileDialog(QWidget* owner)
    : QFileDialog(owner, QStringLiteral("Upload Photo")), preview_(new QLabel(this)) {
  // Qt's own dialog: the desktop's would neither fit the phone frame nor take a preview.
  setOption(QFileDialog::DontUseNativeDialog);
  setFileMode(QFileDialog::ExistingFile);
  setAcceptMode(QFileDialog::AcceptOpen);
  setNameFilter(QString::fromUtf8(kFilter));
  setViewMode(QFileDialog::List);
  setModal(true);
  resize(g_screen.size());

  preview_->setObjectName(QStringLiteral("preview"));
  preview_->setAlignment(Qt::AlignCenter);
  preview_->setFixedHeight(g_screen.scaled(kPreviewHeight));
  preview_->setFrameShape(QFrame::StyledPanel);
  if (auto* grid = qobject_cast<QGridLayout*>(layout()))
    grid->addWidget(preview_, grid->rowCount(), 0, 1, grid->columnCount());
  connect(this, &QFileDialog::currentChanged, this, &JpegFileDialog::showPreview);
}

void JpegFileDialog::showPreview(const QString& path) {
  preview_->clear();
  if (!QFileInfo(path).isFile()) return;
  const int height = preview_->height() - 4;
  if (!image_.load(QFile::encodeName(path).toStdString(), height, height)) return;
  const QImage picture(reinterpret_cast<const uchar*>(image_.pixels()), image_.width(),
                       image_.height(), image_.bytesPerLine(), QImage::Format_RGB32);
  preview_->setPixmap(QPixmap::fromImage(picture.scaled(
      preview_->width() - 4, height, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

QString pickJpegFile(QWidget* owner) {
  JpegFileDialog dialog(owner);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

}  // namespace ui
