#include "cli/RecordJson.h"

#include "core/TextRules.h"

namespace tsu {

nlohmann::ordered_json RecordToJson(const SoftwareRecord& record) {
    nlohmann::ordered_json json;
    json["keyPath"] = ToUtf8(record.keyPath);
    json["rootKey"] = record.rootKey;
    json["relativeKeyPath"] = ToUtf8(record.relativeKeyPath);
    json["iconPath"] = ToUtf8(record.iconPath);
    json["iconIndex"] = record.iconIndex;
    json["iconKind"] = record.iconKind;
    json["imagePath"] = ToUtf8(record.imagePath);
    json["displayName"] = ToUtf8(record.displayName);
    json["displayVersion"] = ToUtf8(record.displayVersion);
    json["installLocation"] = ToUtf8(record.installLocation);
    json["installDate"] = ToUtf8(record.installDate);
    json["sizeText"] = ToUtf8(record.sizeText);
    json["uninstallString"] = ToUtf8(record.uninstallString);
    return json;
}

nlohmann::ordered_json SoftwareMapToJson(const SoftwareMap& map) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const auto& [name, record] : map)
        array.push_back(RecordToJson(record));
    return array;
}

std::string DumpJson(const nlohmann::ordered_json& json) {
    try {
        return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    } catch (...) {
        return std::string();
    }
}

} // namespace tsu
