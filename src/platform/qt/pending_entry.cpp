// Entries still being typed: a click on another control or a menu item first finishes them, as
// leaving the field does. Selector buttons, graphs and menus take no focus from the field, so
// without this the field would never commit and the click would act on the old value.
#include <QLineEdit>
#include <utility>
#include <vector>

#include "platform/qt/fields.h"
#include "platform/qt/runtime.h"

void CommitTextEntry(int panel, int control, QLineEdit* edit) {
  if (!edit->isModified() || !edit->hasAcceptableInput()) return;  // only what the user edited
  edit->setModified(false);
  DeliverControlEvent(panel, control, EVENT_COMMIT);
}

void FinishPendingEntries(int exceptPanel, int exceptControl) {
  static bool finishing = false;  // each field's own commit comes back through here
  if (finishing) return;
  finishing = true;
  // Collected first: the callbacks the commits run may change the panels.
  std::vector<std::pair<int, int>> fields;
  for (const auto& [panel, record] : AllPanels()) {
    for (const auto& [id, control] : record.controls) {
      const bool editable = control.kind == ControlKind::NumericDouble ||
                            control.kind == ControlKind::NumericInt ||
                            control.kind == ControlKind::TextBox;
      if (editable && !(panel == exceptPanel && id == exceptControl))
        fields.emplace_back(panel, id);
    }
  }
  for (const auto& [panel, id] : fields) {
    const ControlRecord* control = FindControl(panel, id);
    if (!control) continue;
    if (control->kind == ControlKind::NumericDouble)
      static_cast<NumericField*>(control->widget.data())->FinishEntry();
    else if (control->kind == ControlKind::NumericInt)
      static_cast<IntField*>(control->widget.data())->FinishEntry();
    else
      CommitTextEntry(panel, id, static_cast<QLineEdit*>(control->widget.data()));
  }
  finishing = false;
}
