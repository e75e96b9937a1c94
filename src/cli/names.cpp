#include "cli/names.h"

#include <algorithm>

#include "profile/data_folders.h"
#include "profile/json_access.h"
#include "profile/json_file.h"

namespace halvern::cli {
namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isAlphanumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

/// Whether name[i] only separates words: a space, an underscore, or a hyphen between two letters or
/// digits (the hyphen of "Num -" and "Ctrl+-" is a key).
bool isSeparator(std::string_view name, size_t i) {
    const char c = name[i];
    if (c == ' ' || c == '_') return true;
    return c == '-' && i > 0 && i + 1 < name.size() && isAlphanumeric(name[i - 1]) &&
           isAlphanumeric(name[i + 1]);
}

/// The choices with a name in `list` that folds to `folded`, the first of each value.
std::vector<const NamedChoice*> matching(std::span<const NamedChoice> choices, const std::string& folded,
                                         std::vector<std::string> NamedChoice::*list) {
    std::vector<const NamedChoice*> found;
    for (const NamedChoice& choice : choices) {
        const bool named =
            std::ranges::any_of(choice.*list, [&](const std::string& n) { return foldName(n) == folded; });
        const bool known =
            std::ranges::any_of(found, [&](const NamedChoice* c) { return c->value == choice.value; });
        if (named && !known) found.push_back(&choice);
    }
    return found;
}

std::string joined(const std::vector<std::string>& items, std::string_view separator, std::string_view last) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? last : separator;
        text += items[i];
    }
    return text;
}

}  // namespace

EnglishTexts::EnglishTexts() {
    const Json::Value document = ReadJsonFile(GetResourceFolder() / "lang" / "en.json");
    if (!document.isObject()) return;
    for (const std::string& id : document.getMemberNames()) {
        const std::string text = ToText(Member(document, id));
        if (!text.empty()) m_texts.emplace(id, text);
    }
}

std::string_view EnglishTexts::text(std::string_view id) const {
    const auto it = m_texts.find(id);
    return it == m_texts.end() ? std::string_view{} : std::string_view(it->second);
}

std::string EnglishTexts::shown(std::string_view id, std::string_view prefix) const {
    if (const std::string_view t = text(id); !t.empty()) return std::string(t);
    const std::string_view tail = idTail(id, prefix);
    return std::string(tail.empty() ? id : tail);
}

std::string kindDisplayName(std::string_view kind, const EnglishTexts& texts) {
    const std::string_view text = texts.text("device_kind_" + std::string(kind) + "_text");
    return std::string(text.empty() ? kind : text);
}

std::string_view idTail(std::string_view id, std::string_view prefix) {
    if (prefix.empty() || !id.starts_with(prefix)) return {};
    return id.substr(prefix.size());
}

std::string foldName(std::string_view name) {
    std::string folded;
    for (size_t i = 0; i < name.size(); ++i) {
        if (!isSeparator(name, i)) folded += lower(name[i]);
    }
    if (folded.empty()) std::ranges::transform(name, std::back_inserter(folded), lower);
    return folded;
}

NameMatch matchName(std::span<const NamedChoice> choices, std::string_view typed) {
    const std::string folded = foldName(typed);
    NameMatch match;
    if (folded.empty()) return match;
    auto found = matching(choices, folded, &NamedChoice::names);
    if (found.empty()) found = matching(choices, folded, &NamedChoice::aliases);
    if (found.size() == 1) {
        match.value = found.front()->value;
    } else {
        for (const NamedChoice* c : found) match.candidates.push_back(c->shown);
    }
    return match;
}

std::string nameProblem(const NameMatch& match, std::string_view typed, std::string_view what,
                        std::span<const NamedChoice> choices) {
    std::string text = "'" + std::string(typed) + "' ";
    text += match.candidates.empty() ? "is not a " + std::string(what)
                                     : "could be " + joined(match.candidates, ", ", " or ");
    if (choices.empty()) return text;
    std::vector<std::string> all;
    for (const NamedChoice& c : choices) {
        if (std::ranges::find(all, c.shown) == all.end()) all.push_back(c.shown);
    }
    return text + "; " + std::string(what) + " names: " + joined(all, ", ", ", ");
}

}  // namespace halvern::cli
