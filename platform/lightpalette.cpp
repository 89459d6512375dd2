#include "lightpalette.h"

#include <QApplication>
#include <QColor>

namespace platform {

QPalette lightPalette() {
  // The light grey ground of Qt's own Fusion palette, which the phone windows were drawn with
  // on a desktop without a theme; their client areas turn it white.
  const QColor ground(239, 239, 239);
  const QColor light = ground.lighter(150);
  const QColor mid = ground.darker(130);
  const QColor dark = ground.darker(150);
  const QColor shadow = dark.darker(135);
  const QColor disabledText(190, 190, 190);
  QColor placeholder(Qt::black);
  placeholder.setAlpha(128);

  QPalette palette;
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::WindowText, Qt::black);
    palette.setColor(group, QPalette::Window, ground);
    palette.setColor(group, QPalette::Button, ground);
    palette.setColor(group, QPalette::ButtonText, Qt::black);
    palette.setColor(group, QPalette::Base, Qt::white);
    palette.setColor(group, QPalette::AlternateBase, QColor(247, 247, 247));
    palette.setColor(group, QPalette::Text, Qt::black);
    palette.setColor(group, QPalette::BrightText, Qt::white);
    palette.setColor(group, QPalette::PlaceholderText, placeholder);
    palette.setColor(group, QPalette::Light, light);
    palette.setColor(group, QPalette::Midlight, mid.lighter(110));
    palette.setColor(group, QPalette::Mid, mid);
    palette.setColor(group, QPalette::Dark, dark);
    palette.setColor(group, QPalette::Shadow, shadow);
    palette.setColor(group, QPalette::Highlight, QColor(48, 140, 198));
    palette.setColor(group, QPalette::HighlightedText, Qt::white);
    palette.setColor(group, QPalette::Link, Qt::blue);
    palette.setColor(group, QPalette::LinkVisited, Qt::magenta);
    palette.setColor(group, QPalette::ToolTipBase, QColor(255, 255, 220));
    palette.setColor(group, QPalette::ToolTipText, Qt::black);
  }
  for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
    palette.setColor(QPalette::Disabled, role, disabledText);
  palette.setColor(QPalette::Disabled, QPalette::Base, ground);
  palette.setColor(QPalette::Disabled, QPalette::Dark, QColor(209, 209, 209).darker(110));
  palette.setColor(QPalette::Disabled, QPalette::Shadow, shadow.lighter(150));
  palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(145, 145, 145));
  return palette;
}

void useLightPalette() {
  // Set whole, it also replaces the palettes a platform theme gives single widget classes.
  QApplication::setPalette(lightPalette());
}

}  // namespace platform
