#include "input/recoil_store.h"

#include <json/value.h>

#include <algorithm>
#include <string>

#include "input/file_copy.h"
#include "input/macro_event.h"
#include "profile/json_access.h"
#include "profile/json_file.h"

namespace halvern {
namespace {

constexpr const char* kEvents = "Events";
constexpr int kPatternEvents = RecoilStore::kShots * RecoilStore::kEventsPerShot;
constexpr int kPressDelay = 10;
constexpr int kXMoveDelay = 5;

int clampGun(int gun) {
    return std::clamp(gun, 0, RecoilStore::kGuns - 1);
}

Json::Value event(bool down, int button, int delay, int type) {
    Json::Value e(Json::objectValue);
    e["Action"] = down ? "down" : "up";
    e["Button"] = button;
    e["Delay"] = delay;
    e["Type"] = type;
    return e;
}

/// The six events of a shot, in file order.
void writeShot(Json::Value& events, int shot, const RecoilShot& s) {
    const auto at = static_cast<Json::ArrayIndex>(shot * RecoilStore::kEventsPerShot);
    events[at + 0] = event(true, 1, kPressDelay, 1);
    events[at + 1] = event(false, 1, 0, 1);
    events[at + 2] = event(s.left, s.x, kXMoveDelay, 4);
    events[at + 3] = event(s.up, s.y, s.delay, 5);
    events[at + 4] = event(s.left, 0, 0, 4);
    events[at + 5] = event(s.up, 0, 0, 5);
}

}  // namespace

std::filesystem::path RecoilFileName(int gun) {
    return "ShootData_" + std::to_string(clampGun(gun)) + ".Shoot";
}

RecoilStore::RecoilStore(std::filesystem::path folder, std::filesystem::path defaultFolder)
    : m_folder(std::move(folder)), m_defaultFolder(std::move(defaultFolder)) {}

std::filesystem::path RecoilStore::PatternPath(int gun) const {
    return m_folder / RecoilFileName(gun);
}

std::filesystem::path RecoilStore::DefaultPath(int gun) const {
    return m_defaultFolder / RecoilFileName(gun);
}

bool RecoilStore::RestoreMissing() const {
    bool ok = true;
    for (int gun = 0; gun < kGuns; ++gun) {
        if (ReadJsonFile(PatternPath(gun)).isNull() && !Reset(gun)) ok = false;
    }
    return ok;
}

namespace {

/// The shot as the mouse receives it: its X and Y move events read by the one reader of macro events.
RecoilShot shotOf(const Json::Value& events, int shot) {
    const auto at = static_cast<Json::ArrayIndex>(shot * RecoilStore::kEventsPerShot);
    const MacroEvent x = EventFromJson(Element(events, at + 2));
    const MacroEvent y = EventFromJson(Element(events, at + 3));
    return RecoilShot{x.button, x.down, y.button, y.down, y.delay};
}

}  // namespace

RecoilShot RecoilStore::ReadShot(int gun, int shot) const {
    return shotOf(Member(ReadJsonFile(PatternPath(gun)), kEvents), std::clamp(shot, 0, kShots - 1));
}

std::array<RecoilShot, RecoilStore::kShots> RecoilStore::ReadPattern(int gun) const {
    const Json::Value document = ReadJsonFile(PatternPath(gun));
    const Json::Value& events = Member(document, kEvents);
    std::array<RecoilShot, kShots> shots{};
    for (int b = 0; b < kShots; ++b) shots[static_cast<size_t>(b)] = shotOf(events, b);
    return shots;
}

bool RecoilStore::SaveShot(int gun, int shot, const RecoilShot& value) const {
    Json::Value document = ReadJsonFile(PatternPath(gun));
    if (!document.isObject()) document = Json::Value(Json::objectValue);
    Json::Value& events = document[kEvents];
    if (!events.isArray()) events = Json::Value(Json::arrayValue);
    if (events.size() > static_cast<Json::ArrayIndex>(kPatternEvents)) events.resize(kPatternEvents);
    // Shots the file lacks become zero shots, so the pattern never holds null events.
    for (auto s = static_cast<int>(events.size()) / kEventsPerShot; s < kShots; ++s) writeShot(events, s, {});
    RecoilShot clamped = value;
    clamped.x = std::clamp(value.x, 0, kMaxOffset);
    clamped.y = std::clamp(value.y, 0, kMaxOffset);
    clamped.delay = std::clamp(value.delay, 0, kMaxDelay);
    writeShot(events, std::clamp(shot, 0, kShots - 1), clamped);
    return WriteJsonFile(PatternPath(gun), document);
}

bool RecoilStore::Reset(int gun) const {
    std::error_code ec;
    std::filesystem::create_directories(m_folder, ec);
    return CopyFileAtomic(DefaultPath(gun), PatternPath(gun));
}

ImportResult RecoilStore::Import(int gun, const std::filesystem::path& source) const {
    if (const ImportResult check = CheckEventFile(source); check != ImportResult::Imported) return check;
    return CopyFileAtomic(source, PatternPath(gun)) ? ImportResult::Imported : ImportResult::WriteFailed;
}

bool RecoilStore::Export(int gun, const std::filesystem::path& target) const {
    return !target.empty() && CopyFileAtomic(PatternPath(gun), target);
}

}  // namespace halvern
