// The parameter file's layout as the writer makes it: fifteen lines, the 276 numbers in "%f"
// and "%d" with single spaces, then the ten names; the dynamic-clamp program reads these bytes.
#include <cstring>

#include "io/io.h"
#include "io/text_append.h"

namespace {

void AppendCurrentLine(std::string* text, const CurrentParams& c, const DclampSettings& settings,
                       int index) {
  // Gate powers too are written as reals (3 as 3.000000).
  for (ParamField field : kCurrentLineFields) {
    AppendFormat(text, "%f ", FieldValue(c, Descriptor(field)));
  }
  for (int k = 0; k < kCurrentSettings; ++k) {
    const char* format = k + 1 < kCurrentSettings ? "%f " : "%f\n";
    AppendFormat(text, format, settings.currentSetting[k][index]);
  }
}

}  // namespace

std::string FormatParamFile(const CurrentParams (&currents)[kMaxCurrents],
                            const DclampSettings& settings, const FitStatus& fit) {
  std::string text;
  for (int k = 0; k < kGlobalSettings; ++k) AppendFormat(&text, "%f ", settings.globalSetting[k]);
  for (int k = 0; k < kIntSettings; ++k) {
    AppendFormat(&text, k + 1 < kIntSettings ? "%d " : "%d\n", settings.intSetting[k]);
  }
  for (int i = 0; i < kMaxCurrents; ++i) AppendCurrentLine(&text, currents[i], settings, i);

  // Lines 12 to 14 end with a space before the line end.
  for (const CurrentParams& c : currents) AppendFormat(&text, "%f ", c.Vhold);
  text += '\n';
  for (int j = 0; j < kMaxTraces; ++j) AppendFormat(&text, "%f ", fit.traceV[j]);
  text += '\n';
  for (int32_t flag : fit.fitCurrent) AppendFormat(&text, "%d ", flag);
  text += '\n';

  // An empty name goes under its number, so the file never holds one; no line end at the end.
  for (int i = 0; i < kMaxCurrents; ++i) {
    const size_t length = strnlen(currents[i].name, kNameSize);
    if (length == 0) {
      AppendFormat(&text, "%d", i + 1);
    } else {
      text.append(currents[i].name, length);
    }
    if (i + 1 < kMaxCurrents) text += kNameSeparator;
  }
  return text;
}
