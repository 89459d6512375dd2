#include "boardview.h"

#include <algorithm>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "cellbutton.h"
#include "ui/kit/accessibility.h"
#include "ui/kit/uistate.h"

namespace ui {
namespace {
const QColor kBarColour(59, 89, 152);
}

BoardView::BoardView(UiState& ui, BoardState& state, bool mainWindow, const QFont* titleFont,
                     QWidget* parent)
    : QWidget(parent), ui_(ui), state_(state), main_(mainWindow), focus_(new QPushButton(this)) {
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, Qt::white);
  setPalette(colours);
  if (main_) {
    title_ = new QLabel(QStringLiteral("My Best Friends"), this);
    title_->setAlignment(Qt::AlignCenter);
    if (titleFont) title_->setFont(*titleFont);
    title_->setGeometry(5, 5, 200, 20);
  }
  for (int i = 0; i < 36; ++i) {
    auto* cell = new CellButton(
        state_.image,
        [this, i]() -> std::string {
          const int index = gridIndex(i);
          if (index < 0) return {};
          const auto slot = static_cast<std::size_t>(firstSlot() + index);
          return slot < state_.pictureSlots.paths.size() ? state_.pictureSlots.paths[slot]
                                                         : std::string();
        },
        this);
    cell->setObjectName(QStringLiteral("cell%1").arg(i));
    cell->setGeometry(0, 0, 0, 0);
    connect(cell, &QPushButton::clicked, this, [this, i] { cellClicked(i); });
    cell->installEventFilter(this);
    cells_[static_cast<std::size_t>(i)] = cell;
  }
  // Holds the keyboard focus while the bar is on no cell, so that the action key clicks it.
  focus_->setObjectName(QStringLiteral("focusButton"));
  focus_->setGeometry(0, 0, 0, 0);
  focus_->installEventFilter(this);
  connect(focus_, &QPushButton::clicked, this, &BoardView::openRequested);
  setFocusProxy(focus_);
}

int BoardView::firstSlot() const { return main_ ? 0 : grid_.cellsPerPage() * state_.currentPage; }

QRect BoardView::barRect() const {
  const int s = state_.selected;
  if (s < 1 || s > static_cast<int>(grid_.cells.size())) return {};
  const auto& record = grid_.cells[static_cast<std::size_t>(s - 1)];
  return {record.x, record.barTop, board::kBarWidth, board::kBarHeight};
}

void BoardView::repaintCells() {
  for (auto* cell : cells_) cell->update();
  refresh();
}

void BoardView::refresh() {
  updateAccessibleNames();
  update();
}

void BoardView::updateAccessibleNames() {
  const auto nameOfSlot = [this](int slot) {
    const std::string name = slot < static_cast<int>(state_.entries.size())
                                 ? board::nameOf(state_.entries[static_cast<std::size_t>(slot)])
                                 : std::string();
    return name.empty() ? QStringLiteral("Empty cell") : QString::fromStdString(name);
  };
  QString selected;
  for (int i = 0; i < 36; ++i) {
    CellButton* cell = cells_[static_cast<std::size_t>(i)];
    const int index = gridIndex(i);
    const QString name = index < 0 ? QString() : nameOfSlot(firstSlot() + index);
    const bool isSelected = index >= 0 && index + 1 == state_.selected;
    a11y::setName(cell, name);
    a11y::setSelected(cell, isSelected);
    if (isSelected) selected = name;
  }
  // The action key clicks the focus button: it opens the friend under the bar.
  a11y::setName(focus_, selected.isEmpty() || selected == QLatin1String("Empty cell")
                            ? QStringLiteral("No friend selected")
                            : QStringLiteral("Open ") + selected);
  followBar(false);
}

QWidget* BoardView::focusTarget() const {
  const int s = state_.selected;
  if (s < 1 || s > static_cast<int>(grid_.cells.size())) return focus_;
  const auto& record = grid_.cells[static_cast<std::size_t>(s - 1)];
  return cells_[static_cast<std::size_t>(record.row * 6 + record.column)];
}

void BoardView::followBar(bool take) {
  // As an item view's current item does: each move of the bar is a focus event on the cell it
  // is on, which a screen reader speaks, after the cell has its name and selected state.
  QWidget* target = focusTarget();
  setFocusProxy(target);
  QWidget* current = window()->focusWidget();
  const bool onBoard =
      current == focus_ || std::find(cells_.begin(), cells_.end(), current) != cells_.end();
  // In a window that is not active this only marks where its focus returns to.
  if ((take || onBoard) && current != target) target->setFocus(Qt::OtherFocusReason);
}

void BoardView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  grid_ = main_ ? board::mainGrid(width(), height()) : board::pageGrid(width(), height());
  if (main_) {
    ui_.sw = grid_.columns;
    ui_.sh = grid_.rows;
    // 20 pixels high, or the bold font's height on a dense screen so that it is not cut.
    title_->setGeometry(5, 5, width(), std::max(20, title_->fontMetrics().height()));
  }
  for (auto* cell : cells_) cell->setGeometry(0, 0, 0, 0);
  for (const auto& record : grid_.cells)
    cells_[static_cast<std::size_t>(record.row * 6 + record.column)]->setGeometry(
        record.x, record.top(), board::kCellSize, board::kCellSize);
  updateAccessibleNames();
}

void BoardView::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (main_) {
    const QFontMetrics metrics(window()->font());
    ui_.mainTextSize = QSize(metrics.horizontalAdvance(QStringLiteral("In an Open Relationship")),
                             metrics.height());
  }
  const QRect bar = barRect();
  if (bar.isEmpty()) return;
  QPainter painter(this);
  painter.fillRect(bar, kBarColour);
}

bool BoardView::eventFilter(QObject* watched, QEvent* event) {
  const bool onBoard =
      watched == focus_ || std::find(cells_.begin(), cells_.end(), watched) != cells_.end();
  if (onBoard && event->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Left:
      case Qt::Key_Right:
      case Qt::Key_Up:
      case Qt::Key_Down:
        emit nextRequested();
        return true;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        // The action key opens the selected friend, as a second tap does.
        emit openRequested();
        return true;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

int BoardView::gridIndex(int cell) const {
  const int row = cell / 6, column = cell % 6;
  if (row >= grid_.rows || column >= grid_.columns) return -1;
  return row * grid_.columns + column;
}

void BoardView::cellClicked(int cell) {
  const int index = gridIndex(cell);
  if (index < 0) return;
  if (index + 1 == state_.selected) {
    followBar(true);
    emit openRequested();
    return;
  }
  state_.selected = index + 1;
  refresh();
  followBar(true);
}

}  // namespace ui
