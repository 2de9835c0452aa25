// Values and attributes of controls: SetCtrlVal / GetCtrlVal for numbers, toggles and texts,
// the attributes the program uses, the keyboard focus and text boxes. A value set here never
// produces an event.
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <cmath>
#include <limits>

#include "platform/qt/controls_style.h"
#include "platform/qt/fields.h"
#include "platform/qt/graph_state.h"
#include "platform/qt/runtime.h"

namespace {
// Whole numbers only, and only those an int holds: a stored value is never silently changed.
bool ToInt(double value, int* result) {
  if (!std::isfinite(value) || value != std::floor(value) ||
      value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
    return false;
  *result = static_cast<int>(value);
  return true;
}

int SetNumber(ControlRecord& control, double value) {
  QWidget* widget = control.widget;
  switch (control.kind) {
    case ControlKind::NumericDouble:
      if (!std::isfinite(value)) return kErrBadValue;
      static_cast<NumericField*>(widget)->SetValueQuietly(value);
      return 0;
    case ControlKind::NumericInt: {
      auto* field = static_cast<IntField*>(widget);
      int whole = 0;
      // A field with a range of its own (a current number 1 to 10) refuses what lies outside.
      if (!ToInt(value, &whole) || whole < field->minimum() || whole > field->maximum())
        return kErrBadValue;
      field->SetValueQuietly(whole);
      return 0;
    }
    case ControlKind::Toggle: {
      const QSignalBlocker blocker(widget);
      static_cast<QCheckBox*>(widget)->setChecked(value != 0);
      return 0;
    }
    default:
      return kErrWrongType;
  }
}

int GetNumber(const ControlRecord& control, double* value) {
  switch (control.kind) {
    case ControlKind::NumericDouble:
      *value = static_cast<NumericField*>(control.widget.data())->value();
      return 0;
    case ControlKind::NumericInt:
      *value = static_cast<IntField*>(control.widget.data())->value();
      return 0;
    case ControlKind::Toggle:
      *value = static_cast<QCheckBox*>(control.widget.data())->isChecked() ? 1 : 0;
      return 0;
    case ControlKind::Tabs:
      *value = static_cast<QTabBar*>(control.widget.data())->currentIndex();
      return 0;
    default:
      return kErrWrongType;
  }
}

int SetText(ControlRecord& control, const char* text) {
  const QString value = QString::fromUtf8(text ? text : "");
  QWidget* widget = control.widget;
  const QSignalBlocker blocker(widget);
  switch (control.kind) {
    case ControlKind::TextBox: {
      auto* edit = static_cast<QLineEdit*>(widget);
      if (edit->maxLength() < value.size()) return kErrBadValue;  // never cut silently
      edit->setText(value);
      edit->setModified(false);
      edit->setCursorPosition(0);
      return 0;
    }
    case ControlKind::TextArea:
      static_cast<QPlainTextEdit*>(widget)->setPlainText(value);
      return 0;
    case ControlKind::TextIndicator:
      if (auto* path = qobject_cast<PathLabel*>(widget))
        path->SetFullText(value);
      else
        static_cast<QLabel*>(widget)->setText(value);
      return 0;
    default:
      return kErrWrongType;
  }
}

int GetText(const ControlRecord& control, std::string* text) {
  QWidget* widget = control.widget;
  switch (control.kind) {
    case ControlKind::TextBox:
      *text = static_cast<QLineEdit*>(widget)->text().toStdString();
      return 0;
    case ControlKind::TextArea:
      *text = static_cast<QPlainTextEdit*>(widget)->toPlainText().toStdString();
      return 0;
    case ControlKind::TextIndicator:
      if (auto* path = qobject_cast<PathLabel*>(widget))
        *text = path->FullText().toStdString();
      else
        *text = static_cast<QLabel*>(widget)->text().toStdString();
      return 0;
    default:
      return kErrWrongType;
  }
}
}  // namespace

// ---- values ----

int SetCtrlVal(int panel, int control, int value) {
  return SetCtrlVal(panel, control, static_cast<double>(value));
}

int SetCtrlVal(int panel, int control, double value) {
  ControlRecord* record = FindControl(panel, control);
  return record ? SetNumber(*record, value) : kErrBadControl;
}

int SetCtrlVal(int panel, int control, const char* text) {
  ControlRecord* record = FindControl(panel, control);
  return record ? SetText(*record, text) : kErrBadControl;
}

int GetCtrlVal(int panel, int control, int* value) {
  const ControlRecord* record = FindControl(panel, control);
  if (!record) return kErrBadControl;
  double number = 0;
  const int result = GetNumber(*record, &number);
  if (result < 0) return result;
  if (!ToInt(number, value)) return kErrWrongType;  // a double field holding a fraction
  return 0;
}

int GetCtrlVal(int panel, int control, double* value) {
  const ControlRecord* record = FindControl(panel, control);
  return record ? GetNumber(*record, value) : kErrBadControl;
}

int GetCtrlVal(int panel, int control, std::string* text) {
  const ControlRecord* record = FindControl(panel, control);
  return record ? GetText(*record, text) : kErrBadControl;
}

int ResetTextBox(int panel, int control, const char* text) {
  ControlRecord* record = FindControl(panel, control);
  if (!record) return kErrBadControl;
  if (record->kind != ControlKind::TextBox && record->kind != ControlKind::TextArea)
    return kErrWrongType;
  return SetText(*record, text);
}

int SetActiveCtrl(int panel, int control) {
  ControlRecord* record = FindControl(panel, control);
  if (!record) return kErrBadControl;
  record->widget->setFocus(Qt::OtherFocusReason);
  return 0;
}

int SetAdaptiveStep(int panel, int control, double leastStep, int positive) {
  ControlRecord* record = FindControl(panel, control);
  if (!record) return RunTimeStarted() ? kErrBadControl : kErrNotStarted;
  if (record->kind != ControlKind::NumericDouble) return kErrWrongType;
  if (!std::isfinite(leastStep) || leastStep <= 0) return kErrBadValue;
  static_cast<NumericField*>(record->widget.data())->SetStepRule(leastStep, positive != 0);
  return 0;
}

int CommitCtrlVal(int panel, int control, double value) {
  ControlRecord* record = FindControl(panel, control);
  if (!record) return RunTimeStarted() ? kErrBadControl : kErrNotStarted;
  if (record->kind != ControlKind::NumericDouble) return kErrWrongType;
  if (const int result = SetNumber(*record, value); result < 0) return result;
  DeliverControlEvent(panel, control, EVENT_COMMIT);
  return 0;
}

// ---- attributes ----

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
  ControlRecord* record = FindControl(panel, control);
  if (!record) return kErrBadControl;
  QWidget* widget = record->widget;
  switch (attribute) {
    case ATTR_DIMMED:
      widget->setEnabled(value == 0);
      return 0;
    case ATTR_VISIBLE:
      widget->setVisible(value != 0);
      return 0;
    case ATTR_CMD_BUTTON_COLOR:
      if (record->kind != ControlKind::Command) return kErrBadAttribute;
      SetButtonColor(widget, value);
      return 0;
    case ATTR_INDICATOR_COLOR:
      if (record->kind != ControlKind::ColorIndicator) return kErrBadAttribute;
      SetIndicatorColor(*record, value);
      return 0;
    case ATTR_PLOT_BGCOLOR:
      if (record->kind != ControlKind::Graph) return kErrBadAttribute;
      SetGraphBackground(*record->graph, value);
      return 0;
    case ATTR_GRAPH_FRAME_COLOR:
      if (record->kind != ControlKind::Graph) return kErrBadAttribute;
      SetGraphFrameColor(*record->graph, value);
      return 0;
    default:
      return kErrBadAttribute;
  }
}

int SetCtrlAttribute(int panel, int control, int attribute, const char* text) {
  ControlRecord* record = FindControl(panel, control);
  if (!record) return kErrBadControl;
  const QString label = QString::fromUtf8(text ? text : "");
  if (attribute == ATTR_TOOLTIP_TEXT && record->widget) {
    record->widget->setToolTip(label);
    return 0;
  }
  if (attribute != ATTR_LABEL_TEXT) return kErrBadAttribute;
  if (auto* button = qobject_cast<QAbstractButton*>(record->widget.data()))
    button->setText(label);
  else if (auto* group = qobject_cast<QGroupBox*>(record->widget.data()))
    group->setTitle(label);
  else
    return kErrBadAttribute;
  return 0;
}

int GetCtrlAttribute(int panel, int control, int attribute, int* value) {
  const ControlRecord* record = FindControl(panel, control);
  if (!record) return kErrBadControl;
  const QWidget* widget = record->widget;
  switch (attribute) {
    case ATTR_DIMMED:  // the control's own state, not that of an enclosing group
      *value = widget->testAttribute(Qt::WA_ForceDisabled) ? 1 : 0;
      return 0;
    case ATTR_CMD_BUTTON_COLOR:
      if (record->kind != ControlKind::Command) return kErrBadAttribute;
      *value = ButtonColor(widget);
      return 0;
    case ATTR_INDICATOR_COLOR:
      if (record->kind != ControlKind::ColorIndicator) return kErrBadAttribute;
      *value = record->indicatorColor;
      return 0;
    case ATTR_GRAPH_FRAME_COLOR:
      if (record->kind != ControlKind::Graph) return kErrBadAttribute;
      *value = record->graph->frameColor;
      return 0;
    case ATTR_PLOT_BGCOLOR:
      if (record->kind != ControlKind::Graph) return kErrBadAttribute;
      *value = record->graph->backgroundColor;
      return 0;
    default:
      return kErrBadAttribute;
  }
}

int GetCtrlAttribute(int panel, int control, int attribute, std::string* text) {
  const ControlRecord* record = FindControl(panel, control);
  if (!record) return kErrBadControl;
  if (attribute == ATTR_CONSTANT_NAME) {
    *text = record->widget->objectName().toStdString();
    return 0;
  }
  if (attribute != ATTR_LABEL_TEXT) return kErrBadAttribute;
  if (auto* button = qobject_cast<QAbstractButton*>(record->widget.data()))
    *text = button->text().toStdString();
  else if (auto* group = qobject_cast<QGroupBox*>(record->widget.data()))
    *text = group->title().toStdString();
  else
    return kErrBadAttribute;
  return 0;
}

int SetCtrlTabs(int panel, int control, const std::vector<std::string>& labels, int current) {
  ControlRecord* record = FindControl(panel, control);
  if (!record) return kErrBadControl;
  if (record->kind != ControlKind::Tabs) return kErrWrongType;
  auto* tabs = static_cast<QTabBar*>(record->widget.data());
  const QSignalBlocker quiet(tabs);  // the program's own change is no user's choice
  while (tabs->count() > static_cast<int>(labels.size())) tabs->removeTab(tabs->count() - 1);
  for (size_t k = 0; k < labels.size(); ++k) {
    const QString label = QString::fromUtf8(labels[k].c_str());
    if (static_cast<int>(k) < tabs->count())
      tabs->setTabText(static_cast<int>(k), label);
    else
      tabs->addTab(label);
    tabs->setTabToolTip(static_cast<int>(k), label);  // the whole name, which the tab may elide
  }
  if (current >= 0 && current < tabs->count()) tabs->setCurrentIndex(current);
  return 0;
}
