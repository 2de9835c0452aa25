// Copy and paste of one current, and the text report of the currents for the clipboard. The
// report grows as needed, so long names come out whole.
#include <cstring>

#include "io/io.h"
#include "io/text_append.h"
#include "panels/panels.h"
#include "app/pavik.h"
#include "platform/platform.h"

namespace {

// The selected current's record, or null when selCurrent is outside 1 to 10.
CurrentParams* SelectedCurrent() {
  if (status.selCurrent < 1 || status.selCurrent > kMaxCurrents) return nullptr;
  return &params[status.selCurrent - 1];
}

// Every field but Vhold: a current moved to another slot keeps that slot's holding potential.
void CopyAllButVhold(const CurrentParams& from, CurrentParams* to) {
  const double keptVhold = to->Vhold;
  *to = from;
  to->Vhold = keptVhold;
}

// "Gmax = 1.000000": the name left-aligned in the width of the longest, Vhold.
void AppendParameterLine(std::string* text, const CurrentParams& c, const ParamDescriptor& d) {
  constexpr int kNameWidth = 5;
  const int nameLength = static_cast<int>(d.name.size());
  if (d.power) {
    AppendFormat(text, "%-*.*s= %d\n", kNameWidth, nameLength, d.name.data(), c.*d.power);
  } else {
    AppendFormat(text, "%-*.*s= %f\n", kNameWidth, nameLength, d.name.data(), c.*d.real);
  }
}

void AppendCurrentBlock(std::string* text, int index) {
  const CurrentParams& c = params[index];
  *text += "Current \"";
  text->append(c.name, strnlen(c.name, kNameSize));
  AppendFormat(text, "\" (%d)\n", index + 1);
  AppendParameterLine(text, c, Descriptor(ParamField::Vhold));
  for (ParamField field : kCurrentLineFields) AppendParameterLine(text, c, Descriptor(field));
  *text += '\n';
}

}  // namespace

void CopyCurrent() {
  if (const CurrentParams* selected = SelectedCurrent()) CopyAllButVhold(*selected, &copyCurr);
}

void PasteCurrent() {
  CurrentParams* selected = SelectedCurrent();
  if (selected == nullptr) return;
  CopyAllButVhold(copyCurr, selected);
  SetPanelParams(status.selCurrent - 1);
  SetFitCurrents();
}

std::string CurrentReport(int index) {
  if (index < -1 || index >= kMaxCurrents) return {};
  std::string text;
  const int first = index < 0 ? 0 : index;
  const int last = index < 0 ? kMaxCurrents - 1 : index;
  for (int i = first; i <= last; ++i) AppendCurrentBlock(&text, i);
  const double* v = status.traceV;
  AppendFormat(&text, "V[1-6]: %f %f %f %f %f %f\n", v[0], v[1], v[2], v[3], v[4], v[5]);
  return text;
}

int CopyCurrToClipboard(int index) {
  const std::string report = CurrentReport(index);
  if (report.empty()) return 0;  // no such current: the clipboard keeps what it holds
  return ClipboardPutText(report.c_str());
}
