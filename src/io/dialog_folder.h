// Where the file dialogs start: the folder of the last file used in this run, else the data
// file's folder; the parameter file last used; and the extension a saved file gets when the user
// typed none.
#pragma once

#include <string>

std::string DialogFolder();                      // "" when no file was used yet
void RememberFileUsed(const std::string& path);  // a file was read or written
// The parameter file last saved or read in this run; "" when none.
void RememberParamFile(const std::string& path);
std::string LastParamFile();
// path with extension (".fit") added when its name has none; path itself otherwise.
std::string WithDefaultExtension(const std::string& path, const std::string& extension);
