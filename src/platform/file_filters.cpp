// The file dialog's filters, built from the run-time's pattern text.
#include "platform/file_filters.h"

#include <sstream>

namespace {
const char* const kAllFilesFilter = "All files (*)";

bool MeansEveryFile(const std::string& pattern) {
  return pattern.empty() || pattern == "*.*" || pattern == "*";
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::vector<std::string> SplitPatterns(const std::string& list) {
  std::vector<std::string> patterns;
  std::stringstream stream(list);
  std::string piece;
  while (std::getline(stream, piece, ';')) {
    piece = Trimmed(piece);
    if (!piece.empty()) patterns.push_back(piece);
  }
  return patterns;
}

std::string FilterFor(const std::string& pattern) {
  return pattern + " (" + pattern + ")";
}
}  // namespace

FileDialogFilters BuildFileDialogFilters(const std::string& defaultSpec,
                                         const std::string& typeList) {
  FileDialogFilters result{{}, 0};
  const std::vector<std::string> types = SplitPatterns(typeList);
  // All listed types together first: the usual choice when the list names one kind of file.
  if (types.size() > 1) {
    std::string joined;
    for (const auto& type : types) joined += (joined.empty() ? "" : " ") + type;
    result.filters.push_back("Listed types (" + joined + ")");
  }
  for (const auto& type : types) result.filters.push_back(FilterFor(type));
  result.filters.push_back(kAllFilesFilter);

  const std::string defaultPattern = Trimmed(defaultSpec);
  if (MeansEveryFile(defaultPattern)) {
    result.selected = static_cast<int>(result.filters.size()) - 1;
    return result;
  }
  for (size_t i = 0; i < result.filters.size(); ++i) {
    if (result.filters[i] == FilterFor(defaultPattern)) {
      result.selected = static_cast<int>(i);
      return result;
    }
  }
  result.filters.insert(result.filters.begin(), FilterFor(defaultPattern));
  result.selected = 0;
  return result;
}
