// Colours of controls: the run-time's 0xRRGGBB numbers on buttons and colour indicators.
#pragma once

#include <QColor>

class QWidget;
struct ControlRecord;

QColor ToQColor(int rgb);
int ToRgb(const QColor& color);
int ColorFromProperty(const QWidget* widget, const char* property);  // "#rrggbb" or a number
void SetButtonColor(QWidget* button, int rgb);
int ButtonColor(const QWidget* button);
void SetIndicatorColor(ControlRecord& control, int rgb);
void ApplyInitialStyle(ControlRecord& control);  // the colours the resource gives
