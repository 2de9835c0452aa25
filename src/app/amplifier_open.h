// Opening an amplifier file (ABF, ATF) as the data file, and the choices its import was made
// with, which a session keeps so that it can import the file the same way again.
#pragma once

#include <optional>
#include <string>

#include "platform/import_choices.h"

struct ImportOptions;

// Reads the file, asks how it becomes a recording (the import dialog, or the given options) and
// takes the recording over; 1 on success, else 0 with a message and nothing changed.
int LoadAmplifierFile(const std::string& path, const ImportOptions* importOptions);
// The choices the data file in use was imported with; none when it is a text data file.
const std::optional<ImportChoices>& DataFileImportChoices();
void ForgetDataFileImportChoices();  // a text data file was taken over
