#include "cli/language_command.h"

#include <json/json.h>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/json_output.h"
#include "cli/numbering.h"
#include "profile/language_choice.h"

namespace halvern::cli {

int runLanguageCommand(const CommandContext& context, const CommandArgs& args) {
    const std::vector<LanguageEntry> languages = ReadLanguageList(LanguageListFile());
    if (languages.empty()) {
        context.err << "halvernctl: no languages found in " << LanguageListFile().string() << '\n';
        return kExitDeviceError;
    }
    const std::filesystem::path choiceFile = LanguageChoiceFile();
    const int current = FindStoredLanguage(languages, ReadLanguageNumber(choiceFile));
    if (args.size() > 1) {
        return usageError(context, "language", "takes one INDEX, not '" + args[1] + "' too");
    }
    const auto languageJson = [&languages](size_t i, bool isCurrent) {
        Json::Value row(Json::objectValue);
        row["index"] = static_cast<int>(i) + 1;
        row["name"] = languages[i].name;
        row["id"] = static_cast<Json::Int64>(languages[i].id);
        row["current"] = isCurrent;
        return row;
    };
    if (args.size() == 1) {
        std::string problem;
        const auto index = parseOrdinal(args[0], "INDEX", languages.size(), problem);
        if (!index) return usageError(context, "language", problem);
        const LanguageEntry& chosen = languages[*index];
        if (static_cast<int>(*index) != current && !WriteLanguageNumber(choiceFile, chosen.id)) {
            context.err << "halvernctl: cannot store the language in " << choiceFile.string() << '\n';
            return kExitDeviceError;
        }
        if (context.json) {
            Json::Value result = changeResult({}, "language", "chosen");
            result["language"] = languageJson(*index, true);
            printJson(context.out, result);
            return kExitOk;
        }
        context.out << "language: " << chosen.name << '\n';
        return kExitOk;
    }
    if (context.json) {
        Json::Value root(Json::objectValue);
        root["languages"] = Json::Value(Json::arrayValue);
        for (size_t i = 0; i < languages.size(); ++i)
            root["languages"].append(languageJson(i, static_cast<int>(i) == current));
        printJson(context.out, root);
        return kExitOk;
    }
    for (size_t i = 0; i < languages.size(); ++i) {
        context.out << (static_cast<int>(i) == current ? "* " : "  ") << i + 1 << "  " << languages[i].name
                    << '\n';
    }
    return kExitOk;
}

}  // namespace halvern::cli
