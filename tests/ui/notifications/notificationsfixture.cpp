#include "notificationsfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "ui/kit/softkeybar.h"

NotificationsFixture::NotificationsFixture()
    : fonts(ui::Fonts::fromSystemFont(QApplication::font())) {
  state.ad = {"http://shop.example/1", "Fresh coffee delivered", "127.0.0.1", ""};
}

NotificationsFixture::~NotificationsFixture() { window.reset(); }

ui::notifications::NotificationsWindow& NotificationsFixture::open(Poll opening, bool fromMenu) {
  poll_ = std::move(opening);
  window =
      std::make_unique<ui::notifications::NotificationsWindow>(ui, state, fonts, *this, nullptr);
  if (fromMenu) ui.setWindowOpen(ui::WindowOpen::kOpening);
  if (window->runOpening()) {
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  return *window;
}

bool NotificationsFixture::openPage(const std::string& path) {
  pages.push_back(path);
  return onPage ? onPage() : true;
}

int NotificationsFixture::pollOpening() {
  const news::PollOutcome outcome = poll_ ? poll_() : news::PollOutcome{};
  state.apply(outcome);
  return outcome.found() ? 1 : 0;
}

news::PollOutcome NotificationsFixture::pollWithEverything() {
  return Found(news::PollEnd::News)
      .wall()
      .inbox()
      .friendRequest("Christopher Montgomery", "1001")
      .friendRequest("Christopher Montague", "1002")
      .friendRequest("Christopher Montgomery", "1001")
      .groupInvite("Übungsgruppe M", "3001")
      .eventInvite("Summer Barbecu", "2001");
}

int NotificationsFixture::barId() const { return window->chrome()->softKeyBar()->menuId(); }

std::string NotificationsFixture::rowText(int id) const {
  if (auto* label = control<QLabel>(id)) return "static " + label->text().toStdString();
  if (auto* button = control<QPushButton>(id))
    return std::string(button->isFlat() ? "button " : "bordered button ") +
           button->text().toStdString();
  if (auto* list = control<QComboBox>(id)) {
    std::string text = "list";
    for (int i = 0; i < list->count(); ++i)
      text += (i == list->currentIndex() ? " [" : " ") + list->itemText(i).toStdString() +
              (i == list->currentIndex() ? "]" : "");
    return text;
  }
  return "none";
}

std::string NotificationsFixture::screenshotPath(const std::string& name) {
  const QString folder = QStringLiteral(VELTRANA_BINARY_DIR "/screenshots");
  QDir().mkpath(folder);
  return (folder + "/" + QString::fromStdString(name)).toStdString();
}
