#pragma once
// JSON forms of the inventory types; keys are the field names, in field order.

#include "inventory/core/SoftwareRecord.h"

#include <nlohmann/json.hpp>

namespace tsu {

[[nodiscard]] nlohmann::ordered_json RecordToJson(const SoftwareRecord& record);
[[nodiscard]] nlohmann::ordered_json SoftwareMapToJson(const SoftwareMap& map);

// Serialises without throwing: invalid text never reaches the encoder, and any other failure
// gives an empty result.
[[nodiscard]] std::string DumpJson(const nlohmann::ordered_json& json);

} // namespace tsu
