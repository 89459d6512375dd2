#include "furtherpage.h"

#include <QVBoxLayout>

#include "boardview.h"
#include "ui/kit/commandids.h"
#include "ui/kit/menutable.h"
#include "ui/kit/uistate.h"

namespace ui {

FurtherPage::FurtherPage(UiState& ui, BoardState& state, QWidget* owner)
    : PhoneDialog(QStringLiteral("Veltrana"), ui.screen, owner),
      state_(state),
      view_(new BoardView(ui, state, false, nullptr, client())) {
  auto* layout = new QVBoxLayout(client());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  setSoftKeys(menu::kFurtherPage);
  // Every page has the same title; a screen reader tells them apart by this. The main
  // window's board is the first page.
  setAccessibleDescription(QStringLiteral("Page %1 of %2")
                               .arg(state_.currentPage + 1)
                               .arg(state_.pictureSlots.totalPages));
  connect(this, &PhoneDialog::command, this, &FurtherPage::runCommand);
  connect(view_, &BoardView::nextRequested, this, [this] { runCommand(cmd::kNext); });
  connect(view_, &BoardView::openRequested, this, &FurtherPage::openRequested);
  view_->setFocus();
}

void FurtherPage::runCommand(int id) {
  if (id == cmd::kNext) {
    const int offset = view_->grid().cellsPerPage() * state_.currentPage;
    const board::Advance result =
        board::advanceSelection(state_.selected, static_cast<int>(view_->grid().cells.size()),
                                static_cast<int>(state_.entries.size()), offset, false);
    view_->refresh();
    if (result != board::Advance::Moved) {
      end_ = board::PageEnd::Next;
      done(cmd::kNext);
    }
  } else if (id == cmd::kPrevious) {
    state_.selected = 1;
    end_ = board::PageEnd::Previous;
    done(cmd::kPrevious);
  }
}

}  // namespace ui
