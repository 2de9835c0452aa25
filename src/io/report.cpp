// The text report of the currents for the clipboard. It grows as needed, so long names come
// out whole.
#include <cstring>

#include "io/io.h"
#include "io/text_append.h"
#include "platform/platform.h"

namespace {

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
