// Test seams of the import dialog (built into test binaries only): queued answers in place of a
// person, the Qt dialog to drive through its real widgets (found by object name), the choices
// Import would return, and a render of the dialog to a picture.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "platform/import_dialog.h"

// The next ShowImportDialog calls take these answers in order (nothing: cancelled).
void QueueImportDialogAnswer(const std::optional<ImportChoices>& answer);
QDialog* CreateImportDialog(const ImportDialogInput& input);  // the caller owns it
// The choices as Import returns them; nothing when Import would refuse (the reason is shown).
std::optional<ImportChoices> ImportDialogChoices(QDialog* dialog);
// Renders the dialog as it opens to a PNG file; false when it cannot be written.
bool RenderImportDialog(const ImportDialogInput& input, const std::string& pngPath);
