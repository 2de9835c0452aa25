// Colours of controls: button colours (with a caption that stays readable on them) and the
// colour indicator.
#include "platform/qt/controls_style.h"

#include <QVariant>
#include <QWidget>

#include "platform/qt/runtime.h"

namespace {
const char* const kButtonColorProperty = "buttonColor";
const char* const kIndicatorColorProperty = "indicatorColor";
constexpr int kLightCaptionThreshold = 150;  // below this luminance a caption is drawn white

QString Hex(const QColor& color) {
  return color.name(QColor::HexRgb);
}
}  // namespace

QColor ToQColor(int rgb) {
  return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
int ToRgb(const QColor& color) {
  return (color.red() << 16) | (color.green() << 8) | color.blue();
}

int ColorFromProperty(const QWidget* widget, const char* property) {
  const QVariant value = widget->property(property);
  if (value.typeId() == QMetaType::QString) return ToRgb(QColor(value.toString()));
  if (value.typeId() == QMetaType::QColor) return ToRgb(value.value<QColor>());
  return value.toInt();
}

void SetButtonColor(QWidget* button, int rgb) {
  const QColor color = ToQColor(rgb);
  const int luminance = (299 * color.red() + 587 * color.green() + 114 * color.blue()) / 1000;
  const QColor caption = luminance < kLightCaptionThreshold ? Qt::white : Qt::black;
  button->setProperty(kButtonColorProperty, rgb);
  button->setStyleSheet(
      QStringLiteral("QPushButton { background-color: %1; color: %2; "
                     "border: 1px solid %3; border-radius: 3px; "
                     "padding: 3px 6px; font-weight: bold; }"
                     "QPushButton:hover { background-color: %4; }"
                     "QPushButton:pressed { background-color: %3; }")
          .arg(Hex(color), Hex(caption), Hex(color.darker(140)), Hex(color.lighter(115))));
}

int ButtonColor(const QWidget* button) {
  return ColorFromProperty(button, kButtonColorProperty);
}

void SetIndicatorColor(ControlRecord& control, int rgb) {
  control.indicatorColor = rgb;
  control.widget->setStyleSheet(
      QStringLiteral("background-color: %1; border: 1px solid %2; border-radius: 3px;")
          .arg(Hex(ToQColor(rgb)), Hex(ToQColor(rgb).darker(150))));
}

void ApplyInitialStyle(ControlRecord& control) {
  if (control.kind == ControlKind::Command &&
      control.widget->property(kButtonColorProperty).isValid())
    SetButtonColor(control.widget, ColorFromProperty(control.widget, kButtonColorProperty));
  if (control.kind == ControlKind::ColorIndicator)
    SetIndicatorColor(control, ColorFromProperty(control.widget, kIndicatorColorProperty));
}
