// Test seams of the import dialog that hand out its Qt dialog, so that GUI tests can drive the
// real widgets (found by object name) and read the choices Import would return.
#pragma once

#include <QDialog>
#include <optional>

#include "platform/import_dialog.h"

QDialog* CreateImportDialog(const ImportDialogInput& input);  // the caller owns it
// The choices as Import returns them; nothing when Import would refuse (the reason is shown).
std::optional<ImportChoices> ImportDialogChoices(QDialog* dialog);
