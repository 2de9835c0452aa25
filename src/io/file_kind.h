// What stands at a path (links followed): a regular file, a pipe, a device, a folder. The
// readers and the writer look before they open, so that nothing blocks or runs without end.
#pragma once

#include <string>

enum class FileKind {
  None,     // nothing there, or it cannot be looked at (opening it then says why)
  Regular,  // a plain file
  Folder,   // a directory
  Pipe,     // a FIFO, or a pipe such as a shell's "<(cat file)" or a piped standard input
  Device,   // a character or block device: a terminal, /dev/zero, a disk
  Other,    // a socket
};

FileKind KindOfFile(const std::string& path);
std::string FileKindWords(FileKind kind);  // "a folder", "a FIFO (named pipe)", ...
// Why a file chosen in a dialog is not read: "" for a regular file, or for none at all (opening
// it then says why). A FIFO would block the window, and a device may never end.
std::string WhyNotFromDialog(const std::string& path);
// Why nothing can be read at a path, as the system sees it: "" for a regular file with bytes in
// it or a pipe; otherwise "it does not exist", "it is a folder", "it is a device, not a file",
// "it is empty", "it is a symbolic link in a loop (Too many levels of symbolic links)", ...
std::string WhyNotAReadableFile(const std::string& path);
