// The paths a session stores: relative to the session's folder when they lie below it,
// absolute otherwise, and resolved back against that folder when a session is read.
#pragma once

#include <filesystem>
#include <string>

std::filesystem::path SessionFolder(const std::string& sessionPath);  // absolute, normalised
// path as a session stores it: below folder relative to it ("data/na.txt"), else absolute.
std::string StoredSessionPath(const std::string& path, const std::filesystem::path& folder);
// A stored path as a full path: a relative one joined to folder, an absolute one as it is.
std::string ResolvedSessionPath(const std::string& stored, const std::filesystem::path& folder);
