#include "update/update_check.h"

#include <json/json.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "profile/json_file.h"

namespace halvern {
namespace {

std::string memberText(const Json::Value& object, const char* name) {
    const Json::Value& value = object[name];
    if (value.isString()) return value.asString();
    if (value.isInt64()) return std::to_string(value.asInt64());
    if (value.isUInt64()) return std::to_string(value.asUInt64());
    return {};
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

// An answer is one flat object. Deeper text is not an answer, and is never handed to the JSON reader: each
// level of its recursion is another call stack, which a stream of hostile answers would keep adding to
// wherever stacks are recorded (the sanitizers' allocation records grew without end under the fuzzer).
constexpr int kMaxAnswerDepth = 4;

// The deepest nesting of objects and arrays in `text`, brackets inside strings left out.
int nestingDepth(std::string_view text) {
    int depth = 0;
    int deepest = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            deepest = std::max(deepest, ++depth);
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return deepest;
}

// The answer's version read as an unsigned number in base 16 or 10, as far as it reads.
unsigned long long answerVersion(const std::string& text, bool hex) {
    return std::strtoull(text.c_str(), nullptr, hex ? 16 : 10);
}

}  // namespace

CheckItem InitialItem(const CheckEntry& entry) {
    CheckItem item;
    item.name = entry.name;
    item.installedText = entry.hex() ? VersionText(entry.version, true) : entry.versionText;
    item.state = UpdateState::Checking;
    return item;
}

const UpdateStateLook& LookOf(UpdateState state) {
    const auto index = static_cast<size_t>(state);
    return kUpdateItemStates[index < kUpdateItemStates.size() ? index
                                                              : static_cast<size_t>(UpdateState::UpToDate)];
}

std::vector<CheckEntry> MakeCheckEntries(std::span<const int> firmwareVersions, int appVersion,
                                         std::string_view appVersionText) {
    std::vector<CheckEntry> entries;
    entries.reserve(kVersionTable.size());
    for (size_t k = 0; k < kVersionTable.size(); ++k) {
        const VersionRow& row = kVersionTable[k];
        CheckEntry entry{row.first,
                         row.second,
                         k < firmwareVersions.size() ? firmwareVersions[k] : 0,
                         std::string(row.brand),
                         std::string(row.model),
                         std::string(row.text3),
                         std::string(row.text4),
                         std::string(row.version)};
        if (k + 1 == kVersionTable.size()) {
            entry.version = appVersion;
            entry.versionText = std::string(appVersionText);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string AppKey(const CheckEntry& entry) {
    if (entry.version == 0) return "NULL";
    return entry.brand + "_" + std::to_string(entry.hexFlag) + "_" + entry.model + "_" + entry.text3 + "_" +
           std::to_string(entry.second);
}

std::string RequestBody(std::string_view appKey, int version, bool hex) {
    std::array<char, 32> number{};
    const int written = std::snprintf(number.data(), number.size(), hex ? "%x" : "%d", version);
    std::string body = "app_key=";
    body.append(appKey);
    body += "&version=";
    body.append(number.data(),
                static_cast<size_t>(std::clamp(written, 0, static_cast<int>(number.size()) - 1)));
    body.push_back('\0');  // the server reads the body as a zero-terminated text
    return body;
}

std::string VersionText(int version, bool hex) {
    std::array<char, 32> text{};
    const int written = std::snprintf(text.data(), text.size(), hex ? "V%04x" : "V%d", version);
    return {text.data(), static_cast<size_t>(std::clamp(written, 0, static_cast<int>(text.size()) - 1))};
}

UpdateInfo ParseUpdateAnswer(std::span<const char> answer, int version, bool hex) {
    UpdateInfo info;
    info.installedText = VersionText(version, hex);
    // The body may carry its own terminating zero; the JSON ends there.
    const auto end = std::find(answer.begin(), answer.end(), '\0');
    const size_t length = static_cast<size_t>(end - answer.begin());
    if (nestingDepth(std::string_view(answer.data(), length)) > kMaxAnswerDepth) return info;
    // The project's one JSON reader: a nesting limit instead of an exception, no trailing garbage.
    const Json::Value root = ParseJsonText(std::string(answer.data(), length));
    if (!root.isObject()) return info;
    info.answered = true;
    info.downloadAddress = memberText(root, "path");
    info.name = memberText(root, "name");
    info.answerVersionName = memberText(root, "version_name");
    const std::string offered = memberText(root, "version");
    info.deviceId = root["device_id"].isInt() ? root["device_id"].asInt() : 0;
    info.offeredText = hex ? "V" + offered : info.answerVersionName;
    const unsigned long long installed = version < 0 ? 0ULL : static_cast<unsigned long long>(version);
    info.status = answerVersion(offered, hex) > installed ? UpdateState::NeedUpdate : UpdateState::UpToDate;
    return info;
}

std::string UpdateRequestUrl(std::string_view serverAddress) {
    std::string url(serverAddress);
    while (!url.empty() && url.back() == '/') url.pop_back();
    return url + "/api/updates";
}

UpdateInfo CheckForUpdate(HttpClient& client, const std::string& serverUrl, std::string_view appKey,
                          int version, bool hex) {
    const std::string body = RequestBody(appKey, version, hex);
    std::vector<char> buffer(kHttpBufferSize, '\0');
    client.HttpInit();
    const long received = client.HttpRequest("POST", serverUrl, body, buffer, false);
    const long status = client.responseStatus();
    // Nothing sent, no reply, a bad address, or an error page: the server said nothing about this entry.
    if (received <= 0 || status < 200 || status > 299) {
        UpdateInfo info;
        info.installedText = VersionText(version, hex);
        return info;
    }
    return ParseUpdateAnswer(std::span<const char>(buffer.data(), static_cast<size_t>(received)), version,
                             hex);
}

std::vector<CheckEntry> EntriesToCheck(std::span<const CheckEntry> entries) {
    std::vector<CheckEntry> checked;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(checked),
                 [](const CheckEntry& e) { return e.version != 0; });
    return checked;
}

CheckStatus RunUpdateCheck(std::span<const CheckEntry> entries, const std::string& serverAddress,
                           HttpClient& client, const CheckListener& listener, const std::stop_token& stop) {
    const std::stop_callback cancelRequest(stop, [&client] { client.cancel(); });
    std::vector<CheckItem> items;
    items.reserve(entries.size());
    for (size_t k = 0; k < entries.size(); ++k) {
        items.push_back(InitialItem(entries[k]));
        if (listener.itemAdded) listener.itemAdded(k, items.back());
    }
    const std::string url = UpdateRequestUrl(serverAddress);
    size_t failures = 0;
    bool updateFound = false;
    for (size_t k = 0; k < entries.size(); ++k) {
        if (stop.stop_requested()) return CheckStatus::NoServer;
        const CheckEntry& entry = entries[k];
        UpdateInfo info = CheckForUpdate(client, url, AppKey(entry), entry.version, entry.hex());
        CheckItem& item = items[k];
        item.name = entry.name;
        if (!info.answered || equalsNoCase(info.name, kNoLinkServer)) {
            ++failures;
            item.installedText = InitialItem(entry).installedText;
            item.offeredText.clear();
            item.state = UpdateState::NoAnswer;
            item.selected = false;
            if (listener.itemChecked) listener.itemChecked(k, item);
            continue;
        }
        if (info.name.empty()) {
            item.installedText = InitialItem(entry).installedText;
            item.offeredText.clear();
            item.state = UpdateState::UpToDate;
        } else {
            item.installedText = info.installedText;
            item.state = info.status;
            item.offeredText = info.status == UpdateState::UpToDate ? std::string() : info.offeredText;
            item.downloadAddress = info.downloadAddress;
        }
        item.selected = item.state != UpdateState::UpToDate && item.state != UpdateState::Older;
        updateFound = updateFound || item.selected;
        if (listener.itemChecked) listener.itemChecked(k, item);
        if (listener.checked) listener.checked();
    }
    if (updateFound) return CheckStatus::UpdatesFound;
    if (!entries.empty() && failures == entries.size()) return CheckStatus::NoServer;
    return failures > 0 ? CheckStatus::Incomplete : CheckStatus::AllCurrent;
}

}  // namespace halvern
