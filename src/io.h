// Files in and out: the data file reader, the parameter file writer and reader, and copy,
// paste and the clipboard report of the model currents.
#pragma once

#include <cstdio>
#include <string>

// ---- data file ----
int ReadDataFile();                         // dialog, then LoadDataFile; 1 when a file was read
int LoadDataFile(const std::string& path);  // 1 on success; on failure a message, nothing changed

// ---- parameter file ----
int Save_Current_Values();                   // dialog, then SaveParamFile
int Read_Last_Values();                      // dialog, then LoadParamFile
void WriteParamFile(std::FILE* stream);      // the layout of the current workspace
int SaveParamFile(const std::string& path);  // safe replacement; 1 on success, 0 + message
int LoadParamFile(const std::string& path);  // parse into scratch, commit, refresh; 1 / 0

// ---- copy, paste, report ----
void CopyCurrent();
void PasteCurrent();
std::string CurrentReport(int index);  // -1: all ten currents
int CopyCurrToClipboard(int index);
