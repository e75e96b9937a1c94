#pragma once

#include <array>
#include <functional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "device/supported_devices.h"
#include "update/http_client.h"

namespace halvern {

/// One thing to check: a row of the version table with its version number filled in.
struct CheckEntry {
    int hexFlag = 0;  ///< not 0: versions are written and compared in hexadecimal
    int second = 0;
    int version = 0;  ///< the installed firmware or application version; 0 = not checked
    std::string brand;
    std::string model;
    std::string text3;
    std::string name;         ///< the name shown
    std::string versionText;  ///< shown for decimal entries until an answer arrives

    [[nodiscard]] bool hex() const { return hexFlag != 0; }
};

/// States of a list item of the check (see kUpdateItemStates).
enum class UpdateState : int {
    Older = 0,
    NeedUpdate = 1,
    NeedUpdateToo = 2,
    DownloadWait = 3,
    Downloading = 4,
    Downloaded = 5,
    Updating = 6,
    UpToDate = 7,
    UpdateFailed = 8,
    Checking = 9,   ///< asked, no answer yet
    NoAnswer = 10,  ///< the server was not reached, or did not answer for this item
};

/// How an item in each state looks: its text id, whether it shows progress or the done mark, whether its
/// option can be chosen, and a short word for the command line.
struct UpdateStateLook {
    std::string_view textId;
    bool progress;
    bool doneMark;
    bool selectable;
    std::string_view word;
};
inline constexpr std::array<UpdateStateLook, 11> kUpdateItemStates{{
    {"LessUpdateText", false, false, false, "older"},
    {"NeedUpdateText", false, false, true, "update-available"},
    {"NeedUpdateText", false, false, true, "update-available"},
    {"DownloadWaitText", false, false, false, "waiting"},
    {"DownloadIngText", true, false, false, "downloading"},
    {"DownloadOkText", false, true, false, "downloaded"},
    {"UpdateIngText", true, false, false, "updating"},
    {"UpdateOkText", false, false, false, "up-to-date"},
    {"UpdateFailText", false, false, true, "failed"},
    {"UpdateCheckingText", false, false, false, "checking"},
    {"UpdateNoAnswerText", false, false, false, "no-answer"},
}};
[[nodiscard]] const UpdateStateLook& LookOf(UpdateState state);

/// Overall status of a check.
/// Incomplete: no update was offered, but the server did not answer for every item.
enum class CheckStatus : int {
    Checking = 0,
    UpdatesFound = 1,
    NoServer = 2,
    Updating = 3,
    AllCurrent = 4,
    Incomplete = 5
};
inline constexpr std::array<std::string_view, 6> kCheckStatusTextIds{
    "GetUpdateInfoText", "HaveUpdateInfoText", "NoUpdateInfoText",
    "ISUpdateINGText",   "UpdateIsLastText",   "UpdatePartlyCheckedText"};

/// The answer for one entry.
struct UpdateInfo {
    /// The server answered for this entry: an HTTP success whose body is a JSON object. Only then does
    /// `status` say anything.
    bool answered = false;
    UpdateState status = UpdateState::UpToDate;
    int deviceId = 0;
    std::string name;               ///< the answer's "name"; empty when it offers nothing
    std::string installedText;      ///< "V%04x" or "V%d" of the installed version
    std::string answerVersionName;  ///< the answer's "version_name"
    std::string offeredText;        ///< what the answer offers, for display
    std::string downloadAddress;    ///< the answer's "path"
};

/// The check entries: the version table with row k's version set to firmwareVersions[k] (missing ones 0)
/// and the last row, the application, set to `appVersion`.
[[nodiscard]] std::vector<CheckEntry> MakeCheckEntries(std::span<const int> firmwareVersions, int appVersion,
                                                       std::string_view appVersionText);

/// "brand_hex_model_text3_second", or "NULL" for an entry with version 0.
[[nodiscard]] std::string AppKey(const CheckEntry& entry);

/// The request body "app_key=…&version=…" followed by its terminating zero byte.
[[nodiscard]] std::string RequestBody(std::string_view appKey, int version, bool hex);

/// "V%04x" (hexadecimal) or "V%d" of a version number.
[[nodiscard]] std::string VersionText(int version, bool hex);

/// Reads an answer of the update server (at most the bytes given; no terminating zero needed). A JSON
/// object without the members reads as "nothing offered" (empty name, up to date); anything that is not a
/// JSON object is no answer at all (`answered` false).
[[nodiscard]] UpdateInfo ParseUpdateAnswer(std::span<const char> answer, int version, bool hex);

/// Asks the server at `serverUrl` (the address the requests go to) about one entry. Not `answered` when
/// the server could not be reached, the request could not be made, or the server answered with an HTTP
/// error or with something other than a JSON object (an error page).
[[nodiscard]] UpdateInfo CheckForUpdate(HttpClient& client, const std::string& serverUrl,
                                        std::string_view appKey, int version, bool hex);

/// The address requests go to: the server's address followed by "/api/updates".
[[nodiscard]] std::string UpdateRequestUrl(std::string_view serverAddress);

/// One item of a check as shown: the entry's name, the versions and the state.
struct CheckItem {
    std::string name;
    std::string installedText;
    std::string offeredText;  ///< empty when up to date
    UpdateState state = UpdateState::UpToDate;
    std::string downloadAddress;
    bool selected = false;  ///< offered and chosen for updating
};

/// An entry's item before its answer: the name it is listed under, the installed version, Checking.
[[nodiscard]] CheckItem InitialItem(const CheckEntry& entry);

/// Callbacks of RunUpdateCheck, on the checking thread.
struct CheckListener {
    std::function<void(size_t index, const CheckItem&)> itemAdded;    ///< before the answers
    std::function<void(size_t index, const CheckItem&)> itemChecked;  ///< an answer arrived
    std::function<void()> checked;  ///< an entry was answered: the last check date becomes today
};

/// Checks every entry (those with version 0 are left out) one after another, reporting the items as they
/// change, and returns the overall status: UpdatesFound, NoServer when the server answered for no entry,
/// Incomplete when it answered for some, else AllCurrent. An entry without an answer is NoAnswer, never
/// up to date. `checked` is called for answered entries only. Ends early, as NoServer, when stop is
/// requested.
[[nodiscard]] CheckStatus RunUpdateCheck(std::span<const CheckEntry> entries,
                                         const std::string& serverAddress, HttpClient& client,
                                         const CheckListener& listener, const std::stop_token& stop = {});

/// The entries a check looks at: those whose version is not 0.
[[nodiscard]] std::vector<CheckEntry> EntriesToCheck(std::span<const CheckEntry> entries);

}  // namespace halvern
