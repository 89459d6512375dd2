#include "platform/qtmessageboxes.h"

#include "qtapplication.h"
#include "support/scopedenv.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>

using namespace platform;

namespace {

QApplication& app() { return qtTestApplication(); }

QMessageBox* visibleBox() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (box && box->isVisible()) return box;
  }
  return nullptr;
}

struct SeenBox {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
  bool topmost = false;
  Qt::TextFormat format = Qt::AutoText;
};

// Shows the box and, from inside its event loop, records what it looks like and presses
// `press`; a box that never appears fails the test instead of hanging it.
int showAndPress(const MessageBoxRequest& request, QMessageBox::StandardButton press,
                 SeenBox& seen) {
  app();
  QTimer::singleShot(50, [&] {
    QMessageBox* box = visibleBox();
    if (!box) {
      ADD_FAILURE() << "no message box shown";
      QApplication::exit(1);
      return;
    }
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttons = box->standardButtons();
    seen.defaultButton = box->standardButton(box->defaultButton());
    seen.topmost = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    seen.format = box->textFormat();
    box->button(press)->click();
  });
  return QtMessageBoxes().show(request);
}

MessageBoxRequest request(MbIcon icon, MbButtons buttons, int defaultButton, bool topmost) {
  MessageBoxRequest r;
  r.caption = "Veltrana";
  r.text = "Please check your Internet connection and try Veltrana again! \xE2\x9C\x93";
  r.icon = icon;
  r.buttons = buttons;
  r.defaultButton = defaultButton;
  r.topmost = topmost;
  r.foreground = topmost;
  return r;
}

struct QtCase {
  const char* name;
  MbIcon icon;
  MbButtons buttons;
  int defaultButton;
  bool topmost;
  QMessageBox::Icon qtIcon;
  QMessageBox::StandardButtons qtButtons;
  QMessageBox::StandardButton qtDefault;
  QMessageBox::StandardButton press;
  int answer;
};

const QtCase kQtCases[] = {
    {"OkTopmost", MbIcon::None, MbButtons::Ok, 0, true, QMessageBox::NoIcon, QMessageBox::Ok,
     QMessageBox::Ok, QMessageBox::Ok, kIdOk},
    {"StopOkCancel", MbIcon::Stop, MbButtons::OkCancel, 1, false, QMessageBox::Critical,
     QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel, QMessageBox::Cancel, kIdCancel},
    {"ExclamationYesNo", MbIcon::Exclamation, MbButtons::YesNo, 0, false, QMessageBox::Warning,
     QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No, kIdNo},
    {"QuestionYesNoCancel", MbIcon::Question, MbButtons::YesNoCancel, 0, true,
     QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
     QMessageBox::Yes, QMessageBox::Yes, kIdYes},
    {"InformationOk", MbIcon::Information, MbButtons::Ok, 0, false, QMessageBox::Information,
     QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok, kIdOk},
};

class QtBoxes : public testing::TestWithParam<QtCase> {};

TEST_P(QtBoxes, ShowExactlyWhatWasAsked) {
  const auto& c = GetParam();
  SeenBox seen;
  const int answer =
      showAndPress(request(c.icon, c.buttons, c.defaultButton, c.topmost), c.press, seen);
  EXPECT_EQ(answer, c.answer);
  EXPECT_EQ(seen.title, QString("Veltrana"));
  EXPECT_EQ(seen.text, QString::fromUtf8(request(c.icon, c.buttons, 0, false).text));
  EXPECT_EQ(seen.icon, c.qtIcon);
  EXPECT_EQ(seen.buttons, c.qtButtons);
  EXPECT_EQ(seen.defaultButton, c.qtDefault);
  EXPECT_EQ(seen.topmost, c.topmost);
  EXPECT_EQ(seen.format, Qt::PlainText) << "a name holding <b> is shown as written";
}

INSTANTIATE_TEST_SUITE_P(Table, QtBoxes, testing::ValuesIn(kQtCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(MakeMessageBoxes, LogModeOnlyWhenAsked) {
  app();
  testsupport::ScopedEnv env;
  env.set("VELTRANA_MESSAGEBOX", "log");
  auto logBoxes = makeMessageBoxes();
  EXPECT_NE(dynamic_cast<LogMessageBoxes*>(logBoxes.get()), nullptr);
  env.set("VELTRANA_MESSAGEBOX", std::nullopt);
  auto qtBoxes = makeMessageBoxes();
  EXPECT_NE(dynamic_cast<QtMessageBoxes*>(qtBoxes.get()), nullptr);
}

}  // namespace
