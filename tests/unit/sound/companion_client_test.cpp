#include "sound/companion_client.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <array>
#include <vector>

namespace halvern {
namespace {

struct LinkPair {
    CompanionClient client;
    emu::UniqueFd companion;

    LinkPair() {
        std::array<int, 2> fds{};
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds.data()), 0);
        companion.reset(fds[1]);
        EXPECT_TRUE(client.adopt(emu::UniqueFd(fds[0])));
    }

    /// The next message the companion received, as 32-bit values.
    std::vector<uint32_t> nextAtCompanion() {
        std::array<std::byte, 256> buffer{};
        const ssize_t got = ::recv(companion.get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
        std::vector<uint32_t> values;
        for (ssize_t i = 0; i + 4 <= got; i += 4)
            values.push_back(companion::getLe(buffer, static_cast<std::size_t>(i)));
        return values;
    }
};

TEST(CompanionClient, GreetsSendsTheStyleColourWithGreenNeverZeroAndTakesLeave) {
    LinkPair link;
    ASSERT_EQ(link.nextAtCompanion().at(1), 0U);  // greeting
    EXPECT_EQ(link.nextAtCompanion(), (std::vector<uint32_t>{companion::kNotice, 3, 0}));
    EXPECT_EQ(link.nextAtCompanion(), (std::vector<uint32_t>{companion::kNotice, 1, 0}));

    ASSERT_TRUE(link.client.sendStyleColour(0, 0, 0));
    std::vector<uint32_t> colour(11, 0);
    colour[0] = companion::kStyleColour;
    colour[2] = 1;  // green 0 goes out as 1; red and blue stay 0
    EXPECT_EQ(link.nextAtCompanion(), colour);

    link.client.takeLeave();
    for (const uint32_t code : {2U, 4U, 5U})
        EXPECT_EQ(link.nextAtCompanion(), (std::vector<uint32_t>{companion::kNotice, code, 0}));
    EXPECT_FALSE(link.client.connected());
}

TEST(CompanionClient, RefusesOversizedMessagesAndNoticesTheCompanionGoing) {
    LinkPair link;
    std::vector<std::byte> huge(companion::kMaxMessage + 64, std::byte{0x11});
    ASSERT_EQ(::send(link.companion.get(), huge.data(), huge.size(), 0), static_cast<ssize_t>(huge.size()));
    std::array<std::byte, 4 + 24> six{};
    companion::putLe(six, 0, companion::kSixValueBlock);
    companion::putLe(six, 4, 77);
    ASSERT_EQ(::send(link.companion.get(), six.data(), six.size(), 0), static_cast<ssize_t>(six.size()));

    EXPECT_EQ(link.client.receive(), CompanionClient::Received::Refused);
    ASSERT_EQ(link.client.receive(), CompanionClient::Received::Message);
    EXPECT_EQ(link.client.kind(), companion::kSixValueBlock);
    ASSERT_EQ(link.client.content().size(), 24U);
    EXPECT_EQ(companion::getLe(link.client.content(), 0), 77U);
    EXPECT_EQ(link.client.receive(), CompanionClient::Received::Nothing);

    link.companion.reset();
    EXPECT_EQ(link.client.receive(), CompanionClient::Received::Gone);
    EXPECT_FALSE(link.client.sendNotice(companion::notice::kRedSlider, 3));
}

}  // namespace
}  // namespace halvern
