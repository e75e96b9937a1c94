#include "cli/language_command.h"

#include <json/json.h>

#include <charconv>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
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
    if (args.size() == 1) {
        int index = -1;
        const std::string& word = args[0];
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), index);
        if (error != std::errc() || end != word.data() + word.size() || index < 0 ||
            static_cast<size_t>(index) >= languages.size()) {
            return usageError(context, "language",
                              rangeProblem("INDEX", 0, static_cast<long>(languages.size()) - 1, word));
        }
        const LanguageEntry& chosen = languages[static_cast<size_t>(index)];
        if (index != current && !WriteLanguageNumber(choiceFile, chosen.id)) {
            context.err << "halvernctl: cannot store the language in " << choiceFile.string() << '\n';
            return kExitDeviceError;
        }
        context.out << "language: " << chosen.name << '\n';
        return kExitOk;
    }
    if (context.json) {
        Json::Value rows(Json::arrayValue);
        for (size_t i = 0; i < languages.size(); ++i) {
            Json::Value row;
            row["index"] = static_cast<int>(i);
            row["name"] = languages[i].name;
            row["id"] = static_cast<Json::Int64>(languages[i].id);
            row["current"] = static_cast<int>(i) == current;
            rows.append(row);
        }
        context.out << rows.toStyledString();
        return kExitOk;
    }
    for (size_t i = 0; i < languages.size(); ++i) {
        context.out << (static_cast<int>(i) == current ? "* " : "  ") << i << "  " << languages[i].name
                    << '\n';
    }
    return kExitOk;
}

}  // namespace halvern::cli
