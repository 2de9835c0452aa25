// Parameter editing and current selection on the main panel: the callbacks that store what the
// user enters, the in-fit toggles with their fit message, and the current names.
#include <cerrno>
#include <cstdlib>
#include <string>

#include "display/change.h"
#include "display/display.h"
#include "display/panel_handles.h"
#include "model/model.h"
#include "model/param_table.h"
#include "panels/panels.h"
#include "param_controls.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {

constexpr int kNameChars = kNameSize - 1;  // a name's characters before the terminator
constexpr int kNoCurrent = -1;             // what SelectedIndex and IndexIn give for no current
const char kRefusedInNames[] = {kNameSeparator, '\r', '\n', '\0'};  // they would split the names

int IndexIn(const int32_t (&table)[kMaxCurrents], int control) {
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (table[i] == control) return i;
  }
  return kNoCurrent;
}

// Stores text as a current name: at most 255 bytes, never ending inside a multi-byte UTF-8
// character. Returns true when all of the text was kept.
bool StoreName(const std::string& text, char (&name)[kNameSize]) {
  size_t length = text.size();
  if (length > static_cast<size_t>(kNameChars)) {
    length = kNameChars;
    // back off continuation bytes (10xxxxxx) and the lead byte they belong to
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  text.copy(name, length);
  name[length] = '\0';
  return length == text.size();
}

// Reads a name control into name; when the text had to be cut, the control shows what was kept.
// A comma or a line end would split the names line of the parameter file: such a text is refused
// (the name boxes already refuse those keys) and the control shows the name kept.
void ReadNameControl(int panel, int control, char (&name)[kNameSize]) {
  std::string text;
  if (GetCtrlVal(panel, control, &text) < 0) return;
  if (text.find_first_of(kRefusedInNames) != std::string::npos) {
    MessagePopup("Name",
                 "A name cannot hold a comma or a line break: the parameter file keeps "
                 "the names on one line, separated by commas. The name was not changed.");
    ResetTextBox(panel, control, name);
    return;
  }
  if (!StoreName(text, name)) ResetTextBox(panel, control, name);
}

// The trace whose step voltage a PANEL_V* control holds, or -1.
int TraceOfVoltageControl(int control) {
  for (int k = 0; k < kMaxTraces; ++k) {
    if (kTraceVoltageControls[k] == control) return k;
  }
  return -1;
}

// A selector button's label as a current number; 0 when it names none of 1 to 10.
int CurrentNumberOfLabel(const std::string& label) {
  errno = 0;
  const long n = std::strtol(label.c_str(), nullptr, 10);  // what atoi reads, without overflow
  if (errno != 0 || n < 1 || n > kMaxCurrents) return 0;
  return static_cast<int>(n);
}

}  // namespace

// ---- editing ----

int paramCB(int panel, int control, int event, void*, int eventData1, int) {
  if (event != EVENT_COMMIT) return 0;
  const int index = SelectedIndex();
  if (index == kNoCurrent) return 0;
  CurrentParams& current = params[index];
  const bool stepped = eventData1 == COMMIT_BY_STEP;
  const std::string ofCurrent = " of current " + std::to_string(index + 1);

  if (const int trace = TraceOfVoltageControl(control); trace >= 0) {
    GetCtrlVal(panel, control, &status.traceV[trace]);
    AfterChange({Changed::kTraceVoltage, "voltage of trace " + std::to_string(trace + 1), stepped});
  } else if (const ParamDescriptor* field = DescriptorOfControl(control)) {
    if (field->power) {
      GetCtrlVal(panel, control, &(current.*field->power));
    } else {
      GetCtrlVal(panel, control, &(current.*field->real));
    }
    // a zero slope would divide by zero in the model: stored, but not evaluated
    const bool zeroSlope = field->kind == FieldKind::Slope && current.*field->real == 0.0;
    AfterChange({Changed::kParameter, std::string(field->name) + ofCurrent, stepped, !zeroSlope});
    if (zeroSlope) return 1;
  } else if (control == PANEL_DOFIT) {
    AfterChange({Changed::kFitCommand});
  } else if (control == PANEL_BASELINE) {
    GetCtrlVal(panel, control, &status.baseline);
    AfterChange({Changed::kBaseline, "baseline", stepped});
  } else if (control == PANEL_NAME) {
    ReadNameControl(panel, control, current.name);
    ResetTextBox(panel, currLab[index], current.name);
    AfterChange({Changed::kParameter, "name" + ofCurrent, false, false});
  } else if (control == PANEL_TRACECOLORS) {
    GetCtrlVal(panel, control, &status.colorTraces);
    AfterChange({Changed::kTraceColors});
  }
  SetActiveCtrl(panel, control);
  return 0;
}

int autoupCB(int panel, int control, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  GetCtrlVal(panel, control, &status.autoUpdate);
  AfterChange({Changed::kAutoUpdate});
  return 0;
}

int labelCB(int panel, int control, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  const int index = IndexIn(currLab, control);
  if (index == kNoCurrent) return 0;
  ReadNameControl(panel, control, params[index].name);
  if (index == SelectedIndex()) ResetTextBox(panel, PANEL_NAME, params[index].name);
  AfterChange({Changed::kParameter, "name of current " + std::to_string(index + 1), false, false});
  return 0;
}

// ---- currents in the fit ----

int currentCB(int, int control, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  GetFitCurrent(control);
  const int index = IndexIn(currCtl, control);
  if (index == kNoCurrent) return 0;
  AfterChange(
      {Changed::kInFit, "current " + std::to_string(index + 1) +
                            (status.fitCurrent[index] ? " in the fit" : " out of the fit")});
  return 0;
}

void GetFitCurrent(int control) {
  const int index = IndexIn(currCtl, control);
  if (index == kNoCurrent) return;
  GetCtrlVal(panelHandle, control, &status.fitCurrent[index]);
  // Recounted rather than stepped by one, so that the count stays the number of set flags even
  // if a toggle reports the value it already had.
  status.fitCount = 0;
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (status.fitCurrent[i]) ++status.fitCount;
  }
  if (status.fitCount == 0) {  // at least one current is always in the fit
    status.fitCount = 1;
    status.fitCurrent[0] = 1;
    SetCtrlVal(panelHandle, PANEL_FITCURR1, 1);
  }
  UpdateFitMessage();
}

void SetFitCurrents() {
  status.fitCount = 0;
  for (int i = 0; i < kMaxCurrents; ++i) {
    SetCtrlVal(panelHandle, currCtl[i], status.fitCurrent[i]);
    if (status.fitCurrent[i]) ++status.fitCount;
  }
  if (status.fitCount == 0) {
    status.fitCount = 1;
    status.fitCurrent[0] = 1;
    SetCtrlVal(panelHandle, PANEL_FITCURR1, 1);
  }
}

void UpdateFitMessage() {
  std::string text;
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (status.fitCurrent[i]) text += std::to_string(i + 1) + "+";
  }
  if (!text.empty()) text.pop_back();  // the last plus sign
  SetCtrlVal(panelHandle, PANEL_FITMSG, text.c_str());
}

// ---- selection ----

int currbutCB(int panel, int control, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  std::string label;
  int color = 0;
  GetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, &label);
  GetCtrlAttribute(panel, control, ATTR_CMD_BUTTON_COLOR, &color);
  const int n = CurrentNumberOfLabel(label);
  if (n == 0) return 0;

  colors[n] = color;
  status.selCurrent = n;
  SetPanelParams(n - 1);
  SetCtrlAttribute(panel, PANEL_CURRCOLOR, ATTR_INDICATOR_COLOR, color);
  SetCtrlAttribute(panel, PANEL_MHGRAPH, ATTR_GRAPH_FRAME_COLOR, color);
  SetCtrlAttribute(panel, PANEL_TAUGRAPH, ATTR_GRAPH_FRAME_COLOR, color);
  AfterChange({Changed::kSelection});
  return 0;
}
