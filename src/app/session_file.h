// Sessions on disk: the workspace's settings and the fit's own settings written to a session
// file, and a session file taken back, with the Open Session and Save Session dialogs.
#pragma once

#include <string>

#include "io/session.h"

constexpr const char* kSessionExtension = ".pavik";

Session CurrentSession();  // the workspace, the files in use and the fit's settings as they are
int SaveSessionFile(const std::string& path);  // safe replacement; 1 on success, 0 + message
// Reads and takes over a session: the data file and the parameter file it names, then its
// settings. A file it names that is missing is reported and the rest restored; a session that
// cannot be read changes nothing. 1 when the session was taken over, 0 + message otherwise.
int OpenSessionFile(const std::string& path);
int Save_Session();  // dialog, then SaveSessionFile
int Open_Session();  // dialog, then OpenSessionFile
