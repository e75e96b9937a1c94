// Proof that an engine driven only at the times it asks for (nextDue) shows, at every millisecond, the
// same frame as a plain lighting thread that wakes every millisecond and counts ticks as the devices do.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace halvern {
namespace {

/// The reference: one pass per millisecond, written out directly. A tick is counted when the clock has
/// moved more than 1 ms since the last tick (mouse, keyboard) or on every pass (mouse pad, headset); the
/// effect runs when the tick count reaches the threshold of its mode; the custom sequence and the per-LED
/// light list run on every pass.
class MillisecondThread {
public:
    MillisecondThread(LightingEngine& engine, Millis start) : m_engine(engine), m_lastTick(start) {}

    void pass(Millis now) {
        const DeviceModel& model = m_engine.model();
        const bool ticked = model.tickRule == TickRule::EveryPass || now - m_lastTick > 1;
        if (ticked) {
            m_lastTick = now;
            m_count = static_cast<uint8_t>(std::min(255, m_count + 1));
        }
        const ModeEntry& mode = model.mode(m_engine.settings().mode);
        if (mode.cadence == Cadence::Sequence) {
            m_engine.runEffect(now);
        } else if (ticked && m_count >= tables::threshold(*mode.row, m_engine.settings().speed())) {
            m_count = 0;
            m_engine.runEffect(now);
        }
        if (model.lightListEveryPass) m_engine.lightList().applyPass(m_engine.frame(), now);
    }

private:
    LightingEngine& m_engine;
    Millis m_lastTick;
    int m_count = 0;
};

/// Something that happens to both engines at a given millisecond (before that millisecond's pass).
struct Event {
    Millis at;
    void (*apply)(LightingEngine&);
};

struct Scenario {
    DeviceKind kind;
    LightSettings settings;
    std::vector<Event> events;
    Millis duration = 4000;
};

struct Outcome {
    int mismatches = 0;
    Millis firstMismatch = -1;
    int wakes = 0;
};

/// Runs both engines side by side over the scenario and compares their frames at every millisecond.
/// `lateBy` delays every wake of the sleeping engine; frames are then compared only where it woke.
Outcome compare(const Scenario& scenario, Millis lateBy = 0) {
    test::ModeEngine reference(scenario.kind, scenario.settings);
    test::ModeEngine sleeper(scenario.kind, scenario.settings);
    MillisecondThread thread(reference, 0);
    sleeper.start(0);
    Outcome outcome;
    Millis wakeAt = sleeper.nextDue();
    std::size_t nextEvent = 0;
    for (Millis t = 1; t <= scenario.duration; ++t) {
        while (nextEvent < scenario.events.size() && scenario.events[nextEvent].at == t) {
            // What DeviceLighting::update does: catch up to now, change, and plan the next pass again.
            sleeper.runDue(t - 1);
            scenario.events[nextEvent].apply(sleeper);
            scenario.events[nextEvent].apply(reference);
            wakeAt = sleeper.nextDue();
            ++nextEvent;
        }
        thread.pass(t);
        bool woke = false;
        if (wakeAt != LightingEngine::kNever && t >= wakeAt + lateBy) {
            sleeper.runDue(t);
            wakeAt = sleeper.nextDue();
            EXPECT_GT(wakeAt, t);
            ++outcome.wakes;
            woke = true;
        }
        if ((lateBy == 0 || woke) && !(sleeper.frame() == reference.frame())) {
            if (outcome.mismatches++ == 0) outcome.firstMismatch = t;
        }
    }
    return outcome;
}

void setSpeed4(LightingEngine& e) {
    LightSettings s = e.settings();
    s.speedLevel = 4;
    e.applySettings(s);
}

void switchToMode(LightingEngine& e, uint8_t mode) {
    LightSettings s = e.settings();
    s.mode = mode;
    e.applySettings(s);
}

void loadBusyLightList(LightingEngine& e) {
    std::vector<LedLightEntry> list(6);
    list[1] = {2, 3, 3, 0, 1, {}, true};         // blink
    list[3] = {3, 4, 0, 0, 1, {}, true};         // spectrum
    list[4] = {1, 2, 0, 0, 0, {5, 6, 7}, true};  // static
    e.loadLightList(list, 0);
}

void loadBreathingLightList(LightingEngine& e) {
    std::vector<LedLightEntry> list(3);
    list[2] = {0, 4, 1, 0, 1, {}, true};
    e.loadLightList(list, 0);
}

void loadSequence(LightingEngine& e) {
    e.loadSequence({SequenceStep{0, 4, 3, 0, 1, {}, 700}, SequenceStep{2, 3, 1, 0, 1, {9, 9, 9}, 900},
                    SequenceStep{3, 4, 2, 0, 0, {}, 200}, SequenceStep{4, 4, 4, 1, 0, {0, 50, 200}, 600},
                    SequenceStep{1, 2, 2, 0, 0, {1, 2, 3}, 300}, SequenceStep{5, 4, 0, 0, 0, {}, 500}});
}

void deliverMusic(LightingEngine& e) {
    std::array<int32_t, 25> levels{};
    for (std::size_t i = 0; i < levels.size(); ++i) levels[i] = static_cast<int32_t>((i * 397) % 2300);
    e.deliverAudioLevels(levels);
}

void pressKeys(LightingEngine& e) {
    e.press(52);
    e.press(3);
}

std::vector<Event> musicEvery50ms() {
    std::vector<Event> events;
    for (Millis t = 50; t < 4000; t += 50) events.push_back({t, deliverMusic});
    return events;
}

std::string describe(const Scenario& s) {
    return std::string(deviceModel(s.kind).name) + " mode " + std::to_string(s.settings.mode) + " speed " +
           std::to_string(s.settings.speedLevel);
}

TEST(Scheduling, EveryModeOfEveryDeviceMatchesTheMillisecondThread) {
    for (DeviceKind kind :
         {DeviceKind::Mouse, DeviceKind::Keyboard, DeviceKind::MousePad, DeviceKind::Headset}) {
        const DeviceModel& model = deviceModel(kind);
        for (std::size_t mode = 0; mode <= model.modes.size(); ++mode) {
            for (uint8_t speed : {0, 2, 4}) {
                Scenario s{kind,
                           test::settingsFor(static_cast<uint8_t>(mode), speed, mode % 2 == 0, speed == 2),
                           {{700, pressKeys}, {1500, pressKeys}},
                           2500};
                const Outcome o = compare(s);
                EXPECT_EQ(o.mismatches, 0) << describe(s) << " first at " << o.firstMismatch;
            }
        }
    }
}

TEST(Scheduling, SleepsThroughPassesThatOnlyCount) {
    // Keyboard column wave: at speed 0 one frame per 20 ticks of 2 ms.
    const Outcome slow = compare({DeviceKind::Keyboard, test::settingsFor(1, 0), {}, 4000});
    EXPECT_EQ(slow.mismatches, 0);
    EXPECT_LE(slow.wakes, 4000 / 40 + 1);
    const Outcome fast = compare({DeviceKind::Keyboard, test::settingsFor(1, 4), {}, 4000});
    EXPECT_LE(fast.wakes, 4000 / 4 + 1);
    // A static sequence step asks for nothing until the step ends.
    Scenario still{DeviceKind::MousePad, test::settingsFor(5), {}, 4000};
    still.events.push_back({1, [](LightingEngine& e) {
                                e.loadSequence({SequenceStep{1, 4, 2, 0, 0, {1, 2, 3}, 60000}});
                            }});
    const Outcome quiet = compare(still);
    EXPECT_EQ(quiet.mismatches, 0);
    EXPECT_LE(quiet.wakes, 3);
}

TEST(Scheduling, SettingChangesLightListsSequencesAndMusicStayInStep) {
    const std::vector<Scenario> scenarios{
        {DeviceKind::Keyboard,
         test::settingsFor(1, 0),
         {{1234, setSpeed4}, {2500, [](LightingEngine& e) { switchToMode(e, 23); }}}},
        {DeviceKind::Keyboard,
         test::settingsFor(12, 1, true),
         {{3, loadBusyLightList}, {2000, loadBreathingLightList}}},
        {DeviceKind::MousePad, test::settingsFor(6, 0, true), {{10, loadBusyLightList}, {1000, setSpeed4}}},
        {DeviceKind::Mouse, test::settingsFor(3, 0), {{10, loadBusyLightList}, {300, loadBusyLightList}}},
        {DeviceKind::Headset, test::settingsFor(9, 3), {{5, loadSequence}, {3001, loadBusyLightList}}},
        {DeviceKind::Keyboard, test::settingsFor(19, 2), {{1, loadSequence}}},
        {DeviceKind::Mouse,
         test::settingsFor(12, 0),
         {{1, loadSequence}, {2100, [](LightingEngine& e) { switchToMode(e, 4); }}}},
        {DeviceKind::Mouse,
         test::settingsFor(4, 1),
         {{900, [](LightingEngine& e) { switchToMode(e, 12); }}, {901, loadSequence}}},
        {DeviceKind::Mouse,
         [] {
             auto s = test::settingsFor(11);
             s.music = MusicSettings::make(5, {}, {9, 9, 9}, true);
             return s;
         }(),
         musicEvery50ms()},
        {DeviceKind::Keyboard,
         [] {
             auto s = test::settingsFor(29);
             s.music = MusicSettings::make(4, {1, 1, 1}, {9, 9, 9}, true);
             return s;
         }(),
         musicEvery50ms()},
        {DeviceKind::Keyboard,
         [] {
             auto s = test::settingsFor(29);
             s.music = MusicSettings::make(2, {1, 1, 1}, {9, 9, 9}, false);
             return s;
         }(),
         musicEvery50ms()},
        {DeviceKind::Keyboard,
         test::settingsFor(30, 1),
         {{100,
           [](LightingEngine& e) {
               const std::array<int32_t, 6> v{1, 2, 3};
               e.deliverExternalColour(v);
           }}}},
    };
    for (const Scenario& s : scenarios) {
        const Outcome o = compare(s);
        EXPECT_EQ(o.mismatches, 0) << describe(s) << " first at " << o.firstMismatch;
    }
}

TEST(Scheduling, ALateWakeCatchesUpToTheSameFrame) {
    const std::vector<Scenario> scenarios{
        {DeviceKind::Keyboard, test::settingsFor(8, 4), {{10, pressKeys}, {2000, pressKeys}}},
        {DeviceKind::MousePad, test::settingsFor(7, 3), {{3, loadBusyLightList}}},
        {DeviceKind::Headset, test::settingsFor(5, 2), {{1, loadSequence}, {4, loadBreathingLightList}}},
    };
    for (const Scenario& s : scenarios) {
        for (Millis late : {1, 3, 17}) {
            const Outcome o = compare(s, late);
            EXPECT_EQ(o.mismatches, 0)
                << describe(s) << " late by " << late << " first at " << o.firstMismatch;
        }
    }
}

TEST(Scheduling, ModeThirtyRunsAtEveryTickAboveSpeedZero) {
    const std::array<int32_t, 6> colour{1, 2, 3};
    for (uint8_t speed : {1, 4}) {
        test::ModeEngine engine(DeviceKind::Keyboard, test::settingsFor(30, speed));
        engine.start(0);
        EXPECT_EQ(engine.nextDue(), 2);  // the first tick
        engine.runDue(2);
        EXPECT_EQ(engine.nextDue(), LightingEngine::kNever);  // nothing new to show
        engine.deliverExternalColour(colour);
        EXPECT_EQ(engine.nextDue(), 4);  // the next tick shows it
    }
    test::ModeEngine slow(DeviceKind::Keyboard, test::settingsFor(30, 0));
    slow.start(0);
    EXPECT_EQ(slow.nextDue(), 4);  // two ticks
}

TEST(Scheduling, IdleModesSleepThroughLongStretchesExactly) {
    // A static keyboard wakes once, then not until it is changed; its tick count stays exact, so the
    // mode switched to after 7 s steps when the millisecond thread would.
    Scenario idle{DeviceKind::Keyboard,
                  test::settingsFor(6, 2),
                  {{7001, [](LightingEngine& e) { switchToMode(e, 1); }}},
                  9000};
    const Outcome o = compare(idle);
    EXPECT_EQ(o.mismatches, 0) << "first at " << o.firstMismatch;
    EXPECT_LE(o.wakes, 2 + 2000 / 16 + 1);
    // A long static sequence step, then a breathing one: the counters carried across the step agree.
    Scenario longStep{DeviceKind::MousePad, test::settingsFor(5), {}, 9000};
    longStep.events.push_back({1, [](LightingEngine& e) {
                                   e.loadSequence({SequenceStep{1, 4, 3, 0, 0, {1, 2, 3}, 5003},
                                                   SequenceStep{2, 4, 1, 0, 1, {}, 2999},
                                                   SequenceStep{0, 4, 2, 0, 0, {4, 5, 6}, 3000}});
                               }});
    const Outcome seq = compare(longStep);
    EXPECT_EQ(seq.mismatches, 0) << "first at " << seq.firstMismatch;
    EXPECT_LT(seq.wakes, 1000);
}

TEST(Scheduling, TimingOfEachTickRule) {
    test::ModeEngine keyboard(DeviceKind::Keyboard, test::settingsFor(1, 2));  // 8 ticks
    keyboard.start(100);
    EXPECT_EQ(keyboard.nextDue(), 116);
    test::ModeEngine pad(DeviceKind::MousePad, test::settingsFor(1, 2));  // 4 passes
    pad.start(100);
    EXPECT_EQ(pad.nextDue(), 104);
    test::ModeEngine mouse(DeviceKind::Mouse, test::settingsFor(12, 2));  // sequence
    mouse.start(100);
    EXPECT_EQ(mouse.nextDue(), 101);  // draws its (empty) sequence at the first pass
    mouse.runDue(101);
    EXPECT_EQ(mouse.nextDue(), LightingEngine::kNever);
}

TEST(Scheduling, ALongStallResumesInsteadOfReplayingEverything) {
    test::ModeEngine engine(DeviceKind::Keyboard, test::settingsFor(1, 4));
    engine.start(0);
    engine.runDue(10);
    engine.runDue(10 + 3'600'000);  // an hour asleep: at most a second is replayed
    EXPECT_GT(engine.nextDue(), 10 + 3'600'000);
    EXPECT_LE(engine.nextDue(), 10 + 3'600'000 + 4);
}

}  // namespace
}  // namespace halvern
