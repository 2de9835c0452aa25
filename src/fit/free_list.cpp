// The --free and --fix lists of the command line.
#include "fit/free_list.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string RealFieldNames() {
  std::string names;
  for (int j = 0; j < kRealFieldCount; ++j) {
    names += (j == 0 ? "" : ", ") + std::string(kParamTable[j].name);
  }
  return names;
}

// Adds the parameters one item names, or says why it names none.
std::string AddItem(std::string_view item, const std::array<CurrentParams, kMaxCurrents>& currents,
                    const std::array<bool, kMaxCurrents>& inFit, std::vector<ParamRef>* params) {
  const std::string quoted = "\"" + std::string(item) + "\"";
  if (SameLetters(item, "baseline")) {
    params->push_back({});
    return "";
  }
  const size_t dot = item.find('.');
  if (dot == std::string_view::npos) {
    return quoted + " is not CURRENT.FIELD (such as 1.Vm), CURRENT.* or baseline";
  }
  const std::string_view number = item.substr(0, dot);
  const std::string_view field = item.substr(dot + 1);
  int current = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), current);
  if (error != std::errc() || end != number.data() + number.size()) {
    return quoted + ": \"" + std::string(number) + "\" is not a current number (1 to 10)";
  }
  if (current < 1 || current > kMaxCurrents) {
    return quoted + ": there is no current " + std::string(number) + "; currents are 1 to 10";
  }
  const int index = current - 1;
  if (!inFit[index]) return quoted + ": current " + std::to_string(current) + " is not in the fit";
  if (field == "*") {
    for (int j = 0; j < kRealFieldCount; ++j) {
      if (!OfSilentGate(currents[index], kParamTable[j].field)) {
        params->push_back({index, kParamTable[j].field});
      }
    }
    return "";
  }
  for (const ParamDescriptor& d : kParamTable) {
    if (!SameLetters(field, d.name)) continue;
    if (!d.real) return quoted + ": gate powers are never fitted";
    params->push_back({index, d.field});
    return "";
  }
  return quoted + ": " + std::string(field) + " is not a parameter; the parameters are " +
         RealFieldNames();
}

void SetFree(ParamChoice* choice, const ParamRef& param, bool free) {
  if (param.IsBaseline()) {
    choice->baselineFree = free;
  } else {
    choice->currents[param.current].free[static_cast<int>(param.field)] = free;
  }
}

}  // namespace

ParamListParse ParseParamList(std::string_view list,
                              const std::array<CurrentParams, kMaxCurrents>& currents,
                              const std::array<bool, kMaxCurrents>& inFit) {
  ParamListParse parse;
  if (Trimmed(list).empty()) {
    parse.error = "the list is empty: give CURRENT.FIELD items such as 1.Vm, CURRENT.* or baseline";
    return parse;
  }
  size_t start = 0;
  while (start <= list.size()) {
    const size_t comma = std::min(list.find(',', start), list.size());
    const std::string_view item = Trimmed(list.substr(start, comma - start));
    if (item.empty()) {
      parse.error = "\"" + std::string(list) + "\" has an empty item";
      break;
    }
    parse.error = AddItem(item, currents, inFit, &parse.params);
    if (!parse.error.empty()) break;
    start = comma + 1;
  }
  if (!parse.error.empty()) parse.params.clear();
  return parse;
}

FreeChoice ApplyFreeAndFix(const ParamChoice& defaults,
                           const std::array<CurrentParams, kMaxCurrents>& currents,
                           const std::array<bool, kMaxCurrents>& inFit,
                           const std::optional<std::string>& freeList,
                           const std::optional<std::string>& fixList) {
  FreeChoice result{defaults, ""};
  if (freeList) {
    const ParamListParse parse = ParseParamList(*freeList, currents, inFit);
    if (!parse.error.empty()) return {defaults, "--free: " + parse.error};
    for (CurrentChoice& current : result.choice.currents) current.free.fill(false);
    result.choice.baselineFree = false;
    for (const ParamRef& param : parse.params) SetFree(&result.choice, param, true);
  }
  if (fixList) {
    const ParamListParse parse = ParseParamList(*fixList, currents, inFit);
    if (!parse.error.empty()) return {defaults, "--fix: " + parse.error};
    for (const ParamRef& param : parse.params) SetFree(&result.choice, param, false);
  }
  return result;
}
