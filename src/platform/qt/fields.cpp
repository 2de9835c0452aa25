// The numeric, text and path controls: commit rules of the spin boxes, the number text they show,
// the characters a text box refuses, the eliding path label.
#include "platform/qt/fields.h"

#include <QLocale>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QToolTip>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr int kMaxDecimals = 323;   // the toolkit rounds to its decimals: keep every digit
constexpr int kTextCursorRoom = 4;  // pixels beside the text for the cursor and frame

constexpr int kShownDigits = 7;  // a field shows at most this many significant digits

// The text a field shows: the shortest that reads back to the number when that has at most
// kShownDigits digits, otherwise the number rounded to them ("7.8", not "7.800000000000001").
QString ShownText(double value) {
  if (value == 0) return QStringLiteral("0");  // also for -0
  return QLocale::c().toString(value, 'g', kShownDigits);
}

bool IsNumberPrefix(const QString& text) {
  // Partial entries while typing: a sign, digits, one point, an exponent with its own sign.
  int i = 0;
  const int n = text.size();
  if (i < n && (text[i] == '-' || text[i] == '+')) ++i;
  bool digits = false, point = false;
  while (i < n && (text[i].isDigit() || (text[i] == '.' && !point))) {
    if (text[i] == '.')
      point = true;
    else
      digits = true;
    ++i;
  }
  if (i == n) return true;
  if (!digits || (text[i] != 'e' && text[i] != 'E')) return false;
  ++i;
  if (i < n && (text[i] == '-' || text[i] == '+')) ++i;
  while (i < n && text[i].isDigit()) ++i;
  return i == n;
}
class RefusingValidator : public QValidator {
 public:
  RefusingValidator(const QString& refused, QObject* parent)
      : QValidator(parent), refused_(refused) {}
  State validate(QString& text, int&) const override {
    for (const QChar c : refused_) {
      if (text.contains(c)) return Invalid;
    }
    return Acceptable;
  }

 private:
  QString refused_;
};
}  // namespace

// ---- NumericField ----

NumericField::NumericField(QWidget* parent) : QDoubleSpinBox(parent) {
  setLocale(QLocale::c());
  setDecimals(kMaxDecimals);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);  // may shrink to the minimum hint
  setRange(-kDoubleFieldLimit, kDoubleFieldLimit);
  setKeyboardTracking(false);
  setAccelerated(true);
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  connect(this, &QAbstractSpinBox::editingFinished, this, [this] { CommitIfChanged(); });
}

void NumericField::SetValueQuietly(double value) {
  const QSignalBlocker blocker(this);
  if (value < minimum()) setMinimum(value);  // widen: the field shows what the program holds
  if (value > maximum()) setMaximum(value);
  setValue(value);
  lastCommitted_ = this->value();
  updateGeometry();  // the value may need more room than the last
}

void NumericField::FinishEntry() {
  if (lineEdit()->isModified()) CommitIfChanged();  // only what the user typed
}

void NumericField::SetStepRule(double leastStep, bool positive) {
  leastStep_ = leastStep;
  positive_ = positive;
}

void NumericField::stepBy(int steps) {
  interpretText();  // a typed value steps from what was typed
  double value = this->value();
  const int direction = steps > 0 ? 1 : -1;
  for (int n = 0; n < std::abs(steps); ++n)
    value = AdaptiveStepFrom(value, direction, leastStep_, positive_);
  value = std::clamp(value, minimum(), maximum());
  setValue(value);
  selectAll();
  CommitIfChanged(true);
}

double AdaptiveStepFrom(double value, int direction, double leastStep, bool positive) {
  const double magnitude = std::fabs(value);
  double step = leastStep;
  if (magnitude > 0 && std::isfinite(magnitude)) {
    double exponent = std::floor(std::log10(magnitude));
    // Towards zero from a power of ten the smaller step is taken: 1 goes down to 0.9, not 0.
    const bool towardZero = (value > 0) != (direction > 0);
    if (towardZero && std::pow(10.0, exponent) == magnitude) exponent -= 1;
    step = std::max(leastStep, std::pow(10.0, exponent - 1));
  }
  double next = value + direction * step;
  // Sums such as 0.8 - 0.1 land beside the decimal the user expects; 15 digits put them on it.
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", next);
  next = std::strtod(text, nullptr);
  if (positive && next <= 0) next = leastStep;
  return next;
}

void NumericField::CommitIfChanged(bool stepped) {
  interpretText();
  if (value() == lastCommitted_) return;
  lastCommitted_ = value();
  updateGeometry();
  emit committed(stepped);
}

QString NumericField::textFromValue(double value) const {
  return ShownText(value);
}

double NumericField::valueFromText(const QString& text) const {
  // The text shown for the value stands for the value, which may carry more digits: only an
  // edit by the user stores what the field shows.
  if (text.trimmed() == ShownText(value())) return value();
  bool ok = false;
  const double value = QLocale::c().toDouble(text.trimmed(), &ok);
  return ok ? value : this->value();
}

QValidator::State NumericField::validate(QString& text, int&) const {
  const QString entry = text.trimmed();
  bool ok = false;
  const double value = QLocale::c().toDouble(entry, &ok);
  if (ok && std::isfinite(value))
    return value >= minimum() && value <= maximum() ? QValidator::Acceptable
                                                    : QValidator::Intermediate;
  return IsNumberPrefix(entry) ? QValidator::Intermediate : QValidator::Invalid;
}

void NumericField::fixup(QString& text) const {
  text = ShownText(value());
}

// Sized for the numbers people type, not for the many decimals the field keeps.
QSize NumericField::HintFor(const QString& sample) const {
  ensurePolished();
  QStyleOptionSpinBox option;
  initStyleOption(&option);
  const QSize text(fontMetrics().horizontalAdvance(sample) + kTextCursorRoom,
                   lineEdit()->sizeHint().height());
  return style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, this);
}
// A value longer than the sample (a range the program computed, "-0.11016500000000001") widens
// the field rather than being cut off.
QSize NumericField::sizeHint() const {
  return HintFor(LongerOf(QStringLiteral("-000.000000")));
}
QSize NumericField::minimumSizeHint() const {
  return HintFor(LongerOf(QStringLiteral("-000.00")));
}
QString NumericField::LongerOf(const QString& sample) const {
  const QString shown = lineEdit()->text();
  return shown.size() > sample.size() ? shown : sample;
}

// ---- IntField ----

IntField::IntField(QWidget* parent) : QSpinBox(parent) {
  setRange(INT_MIN, INT_MAX);
  setKeyboardTracking(false);
  setAccelerated(true);
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  connect(this, &QAbstractSpinBox::editingFinished, this, [this] { CommitIfChanged(); });
}

void IntField::SetValueQuietly(int value) {
  const QSignalBlocker blocker(this);
  setValue(value);
  lastCommitted_ = this->value();
}

void IntField::FinishEntry() {
  if (lineEdit()->isModified()) CommitIfChanged();
}

void IntField::stepBy(int steps) {
  QSpinBox::stepBy(steps);
  CommitIfChanged(true);
}

void IntField::CommitIfChanged(bool stepped) {
  interpretText();
  if (value() == lastCommitted_) return;
  lastCommitted_ = value();
  emit committed(stepped);
}

// ---- text boxes ----

void RefuseCharacters(QLineEdit* edit, const QString& refused) {
  edit->setValidator(new RefusingValidator(refused, edit));
  QObject::connect(edit, &QLineEdit::inputRejected, edit, [edit] {
    QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), edit->toolTip(), edit);
  });
}

// ---- PathLabel ----

PathLabel::PathLabel(QWidget* parent, Qt::TextElideMode mode) : QLabel(parent), mode_(mode) {
  setTextInteractionFlags(Qt::TextSelectableByMouse);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void PathLabel::SetFullText(const QString& text) {
  fullText_ = text;
  if (explanation_.isEmpty() || text.isEmpty())
    setToolTip(text.isEmpty() ? explanation_ : text);
  else
    setToolTip(text + "\n\n" + explanation_);
  Elide();
}

void PathLabel::SetExplanation(const QString& explanation) {
  explanation_ = explanation;
  SetFullText(fullText_);
}

QSize PathLabel::minimumSizeHint() const {
  return QSize(fontMetrics().averageCharWidth() * 8, QLabel::minimumSizeHint().height());
}

void PathLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void PathLabel::Elide() {
  setText(fontMetrics().elidedText(fullText_, mode_, width() - std::max(indent(), 0)));
}
