#pragma once

// Names people type and read for what the devices number: light modes, keys, buttons and functions.

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace halvern::cli {

/// The program's English texts (the resource folder's "lang/en.json"): what the window shows in English,
/// and what the command line prints and accepts as names.
class EnglishTexts {
public:
    /// Reads the language file. Without a usable one every name falls back to its text id's tail.
    EnglishTexts();

    /// The English text of `id`; empty when there is none.
    [[nodiscard]] std::string_view text(std::string_view id) const;
    /// The text of `id`; without one, the id without `prefix` (when it starts with it) or the id.
    [[nodiscard]] std::string shown(std::string_view id, std::string_view prefix = {}) const;

private:
    std::map<std::string, std::string, std::less<>> m_texts;
};

/// A device kind's name ("mouse", "mousepad") as the window's device list shows it in English ("Mouse pad");
/// the kind's word when the texts have none.
[[nodiscard]] std::string kindDisplayName(std::string_view kind, const EnglishTexts& texts);

/// The id without `prefix`; empty when the id does not start with it or nothing follows it.
[[nodiscard]] std::string_view idTail(std::string_view id, std::string_view prefix);

/// A name as it is compared: ASCII letters in lower case, spaces, underscores and the hyphens between two
/// letters or digits left out, so that "Colour drift", "colour-drift" and "COLOUR_DRIFT" are one name
/// while "Ctrl+-" and "Ctrl+" are two. A name made only of spaces and underscores keeps them.
[[nodiscard]] std::string foldName(std::string_view name);

/// One thing a name can stand for.
struct NamedChoice {
    std::string shown;                 ///< how the program shows it (its English text)
    std::vector<std::string> names;    ///< the texts people read; matched first
    std::vector<std::string> aliases;  ///< the tails of its text ids; matched when no text matches
    long value = 0;                    ///< what it stands for
};

/// What a typed name stands for.
struct NameMatch {
    std::optional<long> value;            ///< set when exactly one value matches
    std::vector<std::string> candidates;  ///< the shown names of the choices when several values match
};

/// Looks `typed` up among the names of `choices` (folded, see foldName), and only when none matches among
/// their aliases, so that every shown name names its own choice ("Right" is the arrow key even though
/// "right" is also the tail of the right mouse button's id). Choices of the same value count once: two
/// names of one thing are no ambiguity, a name of two different things is.
[[nodiscard]] NameMatch matchName(std::span<const NamedChoice> choices, std::string_view typed);

/// Why `typed` named nothing: "'TYPED' could be A or B" or "'TYPED' is not a WHAT", followed by
/// "; WHAT names: " and the shown name of every one of `choices` when they are given.
[[nodiscard]] std::string nameProblem(const NameMatch& match, std::string_view typed, std::string_view what,
                                      std::span<const NamedChoice> choices);

}  // namespace halvern::cli
