#include "device/access_diagnosis.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "device/udev_rules.h"
#include "temp_env.h"

namespace halvern {
namespace {

NodeAccessFacts facts(int openError, std::optional<bool> tag = std::nullopt, std::filesystem::path rules = {},
                      std::vector<NodeHolder> holders = {}) {
    return {"/dev/hidraw3", openError, tag, std::move(rules), std::move(holders)};
}

bool mentions(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

TEST(AccessDiagnosis, EachCauseOfAFailedOpenGetsItsOwnReasonAndFix) {
    const AccessDiagnosis missingRules = diagnoseNodeAccess(facts(EACCES, false));
    EXPECT_EQ(missingRules.access, NodeAccess::RulesMissing);
    EXPECT_FALSE(missingRules.canOpen);
    EXPECT_TRUE(mentions(missingRules.reason, kUdevRulesFileName));
    EXPECT_TRUE(mentions(missingRules.fix, kInstallRulesCommand));

    const AccessDiagnosis notApplied =
        diagnoseNodeAccess(facts(EACCES, false, "/usr/lib/udev/rules.d/70-halvern.rules"));
    EXPECT_EQ(notApplied.access, NodeAccess::RulesNotApplied);
    EXPECT_TRUE(mentions(notApplied.reason, "/usr/lib/udev/rules.d/70-halvern.rules"));
    EXPECT_TRUE(mentions(notApplied.fix, "udevadm trigger"));

    // Tagged, yet refused: the access list went to another session.
    const AccessDiagnosis elsewhere =
        diagnoseNodeAccess(facts(EPERM, true, "/etc/udev/rules.d/70-halvern.rules"));
    EXPECT_EQ(elsewhere.access, NodeAccess::NotAtSeat);
    EXPECT_TRUE(mentions(elsewhere.reason, "session"));

    // udev cannot be asked: whether the rules are installed decides the advice.
    EXPECT_TRUE(mentions(diagnoseNodeAccess(facts(EACCES)).fix, kInstallRulesCommand));
    const AccessDiagnosis noDaemon =
        diagnoseNodeAccess(facts(EACCES, std::nullopt, "/etc/udev/rules.d/70-halvern.rules"));
    EXPECT_EQ(noDaemon.access, NodeAccess::NoPermission);
    EXPECT_TRUE(mentions(noDaemon.fix, "systemd-udevd"));

    const AccessDiagnosis busy = diagnoseNodeAccess(facts(EBUSY, std::nullopt, {}, {{4321, "othertool"}}));
    EXPECT_EQ(busy.access, NodeAccess::Busy);
    EXPECT_TRUE(mentions(busy.reason, "othertool (pid 4321)"));
    EXPECT_FALSE(busy.fix.empty());

    for (int gone : {ENOENT, ENODEV, ENXIO})
        EXPECT_EQ(diagnoseNodeAccess(facts(gone)).access, NodeAccess::Missing);

    const AccessDiagnosis other = diagnoseNodeAccess(facts(EIO));
    EXPECT_EQ(other.access, NodeAccess::Failed);
    EXPECT_TRUE(mentions(other.reason, std::strerror(EIO)));
}

TEST(AccessDiagnosis, AnOpenNodeIsFineUnlessAnotherProgramHasItToo) {
    const AccessDiagnosis alone = diagnoseNodeAccess(facts(0));
    EXPECT_EQ(alone.access, NodeAccess::Ok);
    EXPECT_TRUE(alone.canOpen);
    EXPECT_TRUE(alone.fix.empty());

    const AccessDiagnosis shared =
        diagnoseNodeAccess(facts(0, std::nullopt, {}, {{10, "a"}, {11, "b"}, {12, "c"}}));
    EXPECT_EQ(shared.access, NodeAccess::Shared);
    EXPECT_TRUE(shared.canOpen);
    EXPECT_TRUE(mentions(shared.reason, "a (pid 10), b (pid 11) and c (pid 12)"));
    EXPECT_FALSE(shared.fix.empty());
}

class AccessProbe : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir / "proc");
        std::filesystem::create_directories(dir / "etc-rules");
        std::filesystem::create_directories(dir / "lib-rules");
        test::writeBytes(node, "");
        settings.procFolder = dir / "proc";
        settings.rulesFolders = {dir / "etc-rules", dir / "lib-rules"};
        settings.uaccessTag = [this](const std::string& path) -> std::optional<bool> {
            askedUdev = path;
            return false;
        };
    }

    // A process of the staged /proc with a descriptor on `target`.
    void stageProcess(const std::string& pid, const std::string& name, const std::filesystem::path& target) {
        const auto folder = dir / "proc" / pid;
        std::filesystem::create_directories(folder / "fd");
        test::writeBytes(folder / "comm", name + "\n");
        std::filesystem::create_symlink(target, folder / "fd" / "7");
    }

    test::TempDir dir;
    std::filesystem::path node = dir / "hidraw9";
    AccessProbeSettings settings;
    std::string askedUdev;
};

TEST_F(AccessProbe, FindsOtherHoldersButNotItself) {
    stageProcess("4321", "othertool", node);
    stageProcess(std::to_string(::getpid()), "self", node);
    stageProcess("77", "unrelated", dir / "elsewhere");
    std::filesystem::create_directories(dir / "proc" / "self");  // not a process number
    const NodeAccessFacts found = probeNodeAccess(node.string() + "#4", settings);
    EXPECT_EQ(found.node, node.string());  // the collection suffix names no file
    EXPECT_EQ(found.openError, 0);
    ASSERT_EQ(found.holders.size(), 1u);
    EXPECT_EQ(found.holders[0].pid, 4321);
    EXPECT_EQ(found.holders[0].name, "othertool");
    EXPECT_TRUE(askedUdev.empty());  // udev is asked only about refused nodes
}

TEST_F(AccessProbe, ReportsAMissingNodeAndWhereTheRulesAre) {
    NodeAccessFacts found = probeNodeAccess((dir / "hidraw-gone").string(), settings);
    EXPECT_EQ(found.openError, ENOENT);
    EXPECT_TRUE(found.rulesFile.empty());

    test::writeBytes(dir / "lib-rules" / std::string(kUdevRulesFileName), makeUdevRules());
    found = probeNodeAccess(node.string(), settings);
    EXPECT_EQ(found.rulesFile, dir / "lib-rules" / std::string(kUdevRulesFileName));
    test::writeBytes(dir / "etc-rules" / std::string(kUdevRulesFileName), "");  // the local copy comes first
    EXPECT_EQ(findInstalledUdevRules(settings.rulesFolders),
              dir / "etc-rules" / std::string(kUdevRulesFileName));
}

}  // namespace
}  // namespace halvern
