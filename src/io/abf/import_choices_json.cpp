// Import choices to and from a session's JSON object.
#include "io/abf/import_choices_json.h"

#include <cmath>

namespace {

using Json = nlohmann::json;

const char* SourceName(VoltageSource source) {
  switch (source) {
    case VoltageSource::kChannel:
      return "channel";
    case VoltageSource::kTyped:
      return "typed";
    case VoltageSource::kCommand:
      break;
  }
  return "command";
}

bool IsCount(const Json& value) {
  return value.is_number_integer() && value.get<long long>() >= 1 &&
         value.get<long long>() <= 1'000'000;
}

bool IsFinite(const Json& value) {
  return value.is_number() && std::isfinite(value.get<double>());
}

}  // namespace

Json ImportChoicesToJson(const ImportChoices& choices) {
  Json json;
  json["sweeps"] = choices.sweeps;
  json["currentChannel"] = choices.currentChannel;
  json["voltage"] = SourceName(choices.voltageSource);
  if (choices.voltageSource == VoltageSource::kChannel)
    json["voltageChannel"] = choices.voltageChannel;
  if (choices.voltageSource == VoltageSource::kTyped) json["typedVoltages"] = choices.typedVoltages;
  if (choices.fromMs) json["fromMs"] = *choices.fromMs;
  if (choices.toMs) json["toMs"] = *choices.toMs;
  json["average"] = choices.average;
  json["command"] = choices.command == CommandMode::kSteps ? "steps" : "single";
  if (choices.leak == LeakSubtraction::kHolding) json["leak"] = "hold";
  if (choices.leak == LeakSubtraction::kRange)
    json["leak"] = {{"fromMs", choices.leakFromMs}, {"toMs", choices.leakToMs}};
  if (choices.pnSweep != 0) json["pnSweep"] = choices.pnSweep;
  if (choices.averageRepeats) json["averageRepeats"] = true;
  if (!choices.typedCommand.empty()) json["typedCommand"] = choices.typedCommand;
  return json;
}

std::string ImportOptionsFromJson(const Json& json, ImportOptions* options) {
  if (!json.is_object()) return "the import choices are not an object";
  ImportOptions read;
  const Json sweeps = json.value("sweeps", Json::array());
  if (!sweeps.is_array() || sweeps.empty() || sweeps.size() > kMaxAmplifierSweeps)
    return "the sweeps are not a list of sweep numbers";
  std::vector<int> numbers;
  for (const Json& sweep : sweeps) {
    if (!IsCount(sweep)) return "a sweep number is not a whole number from 1";
    numbers.push_back(sweep.get<int>());
  }
  read.sweeps = numbers;
  if (const Json channel = json.value("currentChannel", Json(1)); IsCount(channel))
    read.currentChannel = channel.get<int>();
  else
    return "the current channel is not a whole number from 1";
  const std::string source = json.value("voltage", std::string("command"));
  if (source == "channel") {
    const Json channel = json.value("voltageChannel", Json());
    if (!IsCount(channel)) return "the voltage channel is not a whole number from 1";
    read.voltageSource = VoltageSource::kChannel;
    read.voltageChannel = channel.get<int>();
  } else if (source == "typed") {
    const Json typed = json.value("typedVoltages", Json());
    if (!typed.is_array() || typed.size() != numbers.size())
      return "the typed step voltages are not one number per sweep";
    for (const Json& volts : typed) {
      if (!IsFinite(volts)) return "a typed step voltage is not a finite number";
      read.typedVoltages.push_back(volts.get<double>());
    }
  } else if (source == "command") {
    read.voltageSource = VoltageSource::kCommand;
  } else {
    return "the voltage source is not command, channel or typed";
  }
  for (const char* key : {"fromMs", "toMs"}) {
    if (!json.contains(key)) continue;
    if (!IsFinite(json[key])) return std::string("the ") + key + " of the span is not a number";
    (key[0] == 'f' ? read.fromMs : read.toMs) = json[key].get<double>();
  }
  if (read.fromMs.has_value() != read.toMs.has_value())
    return "the span has a start without an end";
  const Json average = json.value("average", Json(true));
  if (!average.is_boolean()) return "the averaging is not true or false";
  read.average = average.get<bool>();
  // A session from before the whole command was followed took the single step.
  const Json command = json.value("command", Json("single"));
  if (command != "single" && command != "steps") return "the command is not single or steps";
  read.command = command == "single" ? CommandMode::kSingle : CommandMode::kSteps;
  if (const Json leak = json.value("leak", Json()); leak == "hold") {
    read.leak = LeakSubtraction::kHolding;
  } else if (leak.is_object()) {
    const Json from = leak.value("fromMs", Json()), to = leak.value("toMs", Json());
    if (!IsFinite(from) || !IsFinite(to)) return "the leak stretch is not two numbers";
    read.leak = LeakSubtraction::kRange;
    read.leakFromMs = from.get<double>();
    read.leakToMs = to.get<double>();
  } else if (!leak.is_null()) {
    return "the leak is not hold or a stretch";
  }
  if (json.contains("pnSweep")) {
    if (!IsCount(json["pnSweep"])) return "the P/N control sweep is not a whole number from 1";
    read.pnSweep = json["pnSweep"].get<int>();
  }
  const Json repeats = json.value("averageRepeats", Json(false));
  if (!repeats.is_boolean()) return "the averaging of repeats is not true or false";
  if (repeats.get<bool>()) read.averageRepeats = true;
  // Read again as text when the file is imported: a fault is then told as the import's.
  if (const Json typed = json.value("typedCommand", Json()); typed.is_string())
    read.typedCommand = typed.get<std::string>();
  else if (!typed.is_null())
    return "the typed command is not text";
  *options = read;
  return "";
}
