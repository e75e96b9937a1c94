#include "input/event_file_import.h"

#include <json/value.h>

#include <string>

#include "profile/json_access.h"
#include "profile/json_file.h"

namespace halvern {

ImportResult CheckEventFile(const std::filesystem::path& source) {
    if (source.empty()) return ImportResult::Unreadable;
    const std::string text = ReadFileText(source);
    if (text.empty()) return ImportResult::Unreadable;
    const Json::Value document = ParseJsonText(text);
    if (!document.isObject()) return ImportResult::NotEvents;
    const Json::Value& events = Member(document, "Events");
    if (!events.isArray()) return ImportResult::NotEvents;
    for (const Json::Value& event : events) {
        if (!event.isObject() || !event.isMember("Action") || !event.isMember("Type"))
            return ImportResult::NotEvents;
    }
    return ImportResult::Imported;
}

std::string ImportProblem(ImportResult result, std::string_view kind) {
    switch (result) {
        case ImportResult::Imported:
            return {};
        case ImportResult::Unreadable:
            return "the file is missing, empty or cannot be read";
        case ImportResult::NotEvents:
            return "it is not a " + std::string(kind) + " file";
        case ImportResult::ListFull:
            return "the " + std::string(kind) + " list is full";
        case ImportResult::WriteFailed:
            return "the copy cannot be written";
    }
    return {};
}

}  // namespace halvern
