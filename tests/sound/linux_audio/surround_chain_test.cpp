// The pieces of PipeWire's virtual surround that need no server: the filter chain's text and the process
// that runs it.

#include "devices/linux_audio/surround_chain.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>

#include "devices/linux_audio/child_process.h"
#include "wait_for.h"

namespace halvern::audio {
namespace {

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// Each speaker reaches each ear through its own channel of that ear's file, and each mixer adds eight.
TEST(SurroundChainTest, EverySpeakerIsConvolvedForBothEarsWithItsOwnChannel) {
    const SurroundChain chain{"halvern_headset_surround", "Headset virtual surround", "headset",
                              HrirFiles{"/c/left.wav", "/c/right.wav"}, "/c/surround-abc.conf"};
    const std::string text = surroundChainConfig(chain);
    EXPECT_EQ(count(text, "label = convolver"), 16u);
    EXPECT_EQ(count(text, "filename = \"/c/left.wav\""), 8u);
    EXPECT_EQ(count(text, "filename = \"/c/right.wav\""), 8u);
    EXPECT_NE(text.find("name = left_RL config = { filename = \"/c/left.wav\" channel = 4 }"),
              std::string::npos);
    EXPECT_NE(text.find("name = right_SR config = { filename = \"/c/right.wav\" channel = 7 }"),
              std::string::npos);
    EXPECT_NE(text.find("{ output = \"right_FL:Out\" input = \"ear_right:In 1\" }"), std::string::npos);
    EXPECT_NE(text.find("{ output = \"left_SR:Out\" input = \"ear_left:In 8\" }"), std::string::npos);
    EXPECT_NE(text.find("audio.position = [ FL FR FC LFE RL RR SL SR ]"), std::string::npos);
    EXPECT_NE(text.find("target.object = \"headset\""), std::string::npos);
    EXPECT_NE(text.find("halvern.chain = \"/c/surround-abc.conf\""), std::string::npos);
    EXPECT_EQ(count(text, "{"), count(text, "}"));
    EXPECT_EQ(count(text, "["), count(text, "]"));

    EXPECT_TRUE(quotableInChain("/home/a b/.cache/halvern/x.wav"));
    EXPECT_FALSE(quotableInChain("/tmp/a\"b.wav")) << "would end the quoted text early";
    EXPECT_FALSE(quotableInChain("/tmp/a\\b.wav"));
    EXPECT_FALSE(quotableInChain(""));
}

// A program of ours ends with its object, and one that ends by itself is seen to have ended.
TEST(ChildProcessTest, TheProgramLivesNoLongerThanItsObject) {
    const auto sleep = findProgram("sleep");
    ASSERT_TRUE(sleep.has_value());
    pid_t pid = -1;
    {
        const auto child = ChildProcess::start(*sleep, {"30"});
        ASSERT_TRUE(child);
        pid = child->pid();
        EXPECT_TRUE(child->running());
        EXPECT_EQ(::kill(pid, 0), 0);
    }
    EXPECT_NE(::kill(pid, 0), 0) << "stopped and reaped when its object went";

    const auto child = ChildProcess::start(*sleep, {"30"});
    ASSERT_TRUE(child);
    ASSERT_EQ(::kill(child->pid(), SIGKILL), 0);
    EXPECT_TRUE(test::waitFor([&child] { return !child->running(); }, std::chrono::seconds(5)));

    const auto missing = ChildProcess::start("/nonexistent/program", {});
    ASSERT_TRUE(missing) << "forked; the exec fails in the child";
    EXPECT_TRUE(test::waitFor([&missing] { return !missing->running(); }, std::chrono::seconds(5)));
    EXPECT_FALSE(findProgram("no-such-program-here").has_value());
    EXPECT_FALSE(findProgram("../sleep").has_value());
}

}  // namespace
}  // namespace halvern::audio
