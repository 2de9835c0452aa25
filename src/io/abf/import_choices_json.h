// The import choices of an amplifier file as a session stores them: a JSON object written from
// the choices made, and read back as command-line-style options that the same import applies.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "io/abf/import_options.h"
#include "platform/import_choices.h"

nlohmann::json ImportChoicesToJson(const ImportChoices& choices);
// "" and *options filled, or why the object does not describe import choices (options is then
// unchanged).
std::string ImportOptionsFromJson(const nlohmann::json& json, ImportOptions* options);
