#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace halvern {

/// The update server's address: $HALVERN_UPDATE_URL when set (set but empty turns the check off), else the
/// "UpdateServer" member of the settings file in the configuration folder. An address without a scheme is
/// taken as https. Empty when none is configured (the default: there is no built-in server) or when the
/// address is not an http or https address.
[[nodiscard]] std::string GetUpdateServerAddress();

/// The address as the check uses it: "https://" put in front of one without a scheme; empty when it is not
/// an http or https address then.
[[nodiscard]] std::string NormaliseServerAddress(std::string_view address);

/// The application's version text as built ("1.0.0").
[[nodiscard]] std::string_view ApplicationVersionText();

/// A version text as a number: every "." removed, the rest read as a decimal number ("1.0.2.7" → 1027);
/// 0 when it does not read as one.
[[nodiscard]] int VersionNumberOf(std::string_view text);

/// The file of the last check date, "updatetime.config" in the user's data folder.
[[nodiscard]] std::filesystem::path LastCheckFile();

/// Today's local date as "year-month-day" without leading zeros.
[[nodiscard]] std::string TodayText();

/// The last check date stored in `file`; when it holds none, today's date is written there and returned.
[[nodiscard]] std::string ReadOrStartLastCheckDate(const std::filesystem::path& file);

/// Stores `date` as the last check date. False when the file could not be written.
[[nodiscard]] bool WriteLastCheckDate(const std::filesystem::path& file, const std::string& date);

}  // namespace halvern
