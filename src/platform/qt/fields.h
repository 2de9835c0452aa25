// The numeric, text and path controls the panels are built from: spin boxes that commit an entry
// once, at its end or at each step, and show a number as typed; text boxes that refuse some
// characters; a label that elides a path.
#pragma once

#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

constexpr double kDoubleFieldLimit = 1e9;  // default range: no value a user or file gives clips

// A double field: shows its value to at most seven significant digits ("0.05", "1e-07",
// "-7.555786") and keeps every digit of it until the user edits the text; stores a typed value
// as typed; accepts exponents; and emits committed() when the user finished an entry that
// changed the value, or stepped it by arrow, wheel or page key (stepped true). A value set by
// the program never commits.
class NumericField : public QDoubleSpinBox {
  Q_OBJECT
 public:
  explicit NumericField(QWidget* parent = nullptr);
  void SetValueQuietly(double value);  // program-set: no signal, remembered as committed
  void FinishEntry();                  // a typed entry is finished as leaving the field does
  // Steps of one unit of the value's second significant digit, at least leastStep; positive:
  // a step to zero or below stops at leastStep.
  void SetStepRule(double leastStep, bool positive);
  void stepBy(int steps) override;
  QString textFromValue(double value) const override;
  double valueFromText(const QString& text) const override;
  QValidator::State validate(QString& text, int& position) const override;
  void fixup(QString& text) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void committed(bool stepped);

 private:
  void CommitIfChanged(bool stepped = false);
  QSize HintFor(const QString& sample) const;
  QString LongerOf(const QString& sample) const;  // the shown text when it is longer
  double lastCommitted_ = 0;
  double leastStep_ = 0.001;
  bool positive_ = false;
};

// The value one arrow step up (direction +1) or down (-1) from value takes a field whose steps
// fit the value (NumericField::SetStepRule).
double AdaptiveStepFrom(double value, int direction, double leastStep, bool positive);

// An integer field with the same commit rules.
class IntField : public QSpinBox {
  Q_OBJECT
 public:
  explicit IntField(QWidget* parent = nullptr);
  void SetValueQuietly(int value);
  void FinishEntry();
  void stepBy(int steps) override;

 signals:
  void committed(bool stepped);

 private:
  void CommitIfChanged(bool stepped = false);
  int lastCommitted_ = 0;
};

// Makes a text box refuse every character of refused, typed or pasted; its tooltip, which says
// why, is shown at once when something is refused.
void RefuseCharacters(QLineEdit* edit, const QString& refused);

// A read-only path: elided in the middle to the space it has, the whole path in its tooltip. A
// summary line is elided at its end instead, its least important part, and its tooltip holds the
// whole line above what the line means.
class PathLabel : public QLabel {
  Q_OBJECT
 public:
  explicit PathLabel(QWidget* parent = nullptr, Qt::TextElideMode mode = Qt::ElideMiddle);
  void SetFullText(const QString& text);
  QString FullText() const { return fullText_; }
  void SetExplanation(const QString& explanation);  // shown under the whole text in the tooltip
  bool ElidesAtEnd() const { return mode_ == Qt::ElideRight; }
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();
  QString fullText_;
  QString explanation_;
  Qt::TextElideMode mode_;
};
