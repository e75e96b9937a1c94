#include "update/update_check.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <thread>

#include "local_server.h"
#include "profile/json_file.h"
#include "temp_env.h"
#include "update/update_settings.h"

namespace halvern {
namespace {

void writeAnswer(const std::filesystem::path& folder, const std::string& key, const std::string& json) {
    std::ofstream(folder / (key + ".json")) << json;
}

std::vector<CheckItem> run(std::span<const CheckEntry> entries, const std::string& server,
                           CheckStatus& status) {
    std::vector<CheckItem> items(entries.size());
    CheckListener listener;
    listener.itemChecked = [&items](size_t k, const CheckItem& item) { items.at(k) = item; };
    HttpClient client;
    status = RunUpdateCheck(entries, server, client, listener);
    return items;
}

TEST(UpdateCheck, KeysBodiesAndVersionTexts) {
    const std::vector<CheckEntry> entries = MakeCheckEntries(std::array{0x0103, 0, 0x21}, 1027, "1.0.2.7");
    ASSERT_EQ(entries.size(), 4U);
    EXPECT_EQ(AppKey(entries[0]), "ZANTOR_1_QD44M2_MS_1");
    EXPECT_EQ(AppKey(entries[1]), "NULL");
    EXPECT_EQ(AppKey(entries[2]), "ZANTOR_2_QD31K_1_RZ4_1");
    EXPECT_EQ(AppKey(entries[3]), "ZANTOR_0_ALL_Halvern_1");
    EXPECT_EQ(RequestBody("K", 0x0103, true), std::string("app_key=K&version=103\0", 22));
    EXPECT_EQ(RequestBody("K", 1027, false), std::string("app_key=K&version=1027\0", 23));
    EXPECT_EQ(EntriesToCheck(entries).size(), 3U);
    EXPECT_EQ(VersionNumberOf("1.0.2.7"), 1027);
    EXPECT_EQ(VersionNumberOf("1.x"), 0);
}

TEST(UpdateCheck, AnswersThatAreNotOffersReadAsUpToDate) {
    for (const std::string answer :
         {"", "not json", "[1,2]", "{\"version\":\"9999\"}", "{\"name\":\"\",\"version\":\"9999\"}",
          "{\"name\":\"MS\",\"version\":\"zz\"}"}) {
        const UpdateInfo info = ParseUpdateAnswer(answer, 0x0103, true);
        // No name offers nothing, whatever the version says.
        EXPECT_TRUE(info.name.empty() || info.status == UpdateState::UpToDate) << answer;
    }
    // Hostile answers read as nothing offered, and never throw.
    const std::vector<std::string> hostile{std::string(100000, '['),
                                           R"({"name":"MS","version":18446744073709551615})",
                                           R"({"name":"MS","path":18446744073709551616})"};
    for (const std::string& answer : hostile) {
        EXPECT_NO_THROW(EXPECT_EQ(ParseUpdateAnswer(answer, 1, true).downloadAddress.size() < 64, true));
    }
    // A body with no terminating zero that fills its buffer is read only as far as it goes.
    const std::string full = "{\"name\":\"MS\",\"version\":\"0104\"}";
    EXPECT_EQ(ParseUpdateAnswer(std::span(full.data(), full.size()), 0x0103, true).status,
              UpdateState::NeedUpdate);
}

class UpdateCheckWithServer : public ::testing::Test {
protected:
    test::TempDir m_answers;
    test::LocalServer m_server{
        {HALVERN_UPDATE_SERVER, "--answers", m_answers.path().string(), "--port", "0"}};
};

TEST_F(UpdateCheckWithServer, ComparesTheOfferWithWhatIsInstalled) {
    writeAnswer(
        m_answers.path(), "ZANTOR_1_QD44M2_MS_1",
        R"({"name":"MS","version":"0104","version_name":"V1.0.4","path":"https://d.example/ms.bin","device_id":7})");
    writeAnswer(m_answers.path(), "ZANTOR_0_ALL_Halvern_1",
                R"({"name":"AP","version":"1027","version_name":"V1.0.2.7"})");
    writeAnswer(m_answers.path(), "ZANTOR_2_QD31K_1_RZ4_1", R"({"name":"","version":"ffff"})");
    const auto entries = EntriesToCheck(MakeCheckEntries(std::array{0x0103, 0, 0x0021}, 1027, "V1.0.2.7"));
    CheckStatus status{};
    const std::vector<CheckItem> items = run(entries, m_server.url(), status);
    EXPECT_EQ(status, CheckStatus::UpdatesFound);
    ASSERT_EQ(items.size(), 3U);
    EXPECT_EQ(items[0].state, UpdateState::NeedUpdate);
    EXPECT_EQ(items[0].installedText, "V0103");
    EXPECT_EQ(items[0].offeredText, "V0104");
    EXPECT_EQ(items[0].downloadAddress, "https://d.example/ms.bin");
    EXPECT_TRUE(items[0].selected);
    EXPECT_EQ(items[1].state, UpdateState::UpToDate);  // empty name, higher version
    EXPECT_EQ(items[1].name, "RZ4");
    EXPECT_EQ(items[2].state, UpdateState::UpToDate);
    EXPECT_EQ(items[2].installedText, "V1027");
    EXPECT_EQ(items[2].offeredText, "");
    EXPECT_FALSE(items[2].selected);

    const auto appOnly = EntriesToCheck(MakeCheckEntries({}, 1027, "V1.0.2.7"));
    EXPECT_EQ((run(appOnly, m_server.url(), status), status), CheckStatus::AllCurrent);
}

TEST(UpdateCheck, NoServerLeavesNoItemUpToDate) {
    std::string gone;
    {
        test::TempDir answers;
        test::LocalServer server(
            {HALVERN_UPDATE_SERVER, "--answers", answers.path().string(), "--port", "0"});
        gone = server.url();
    }
    CheckStatus status{};
    const auto items = run(EntriesToCheck(MakeCheckEntries(std::array{0x0103}, 100, "V1.0.0")), gone, status);
    EXPECT_EQ(status, CheckStatus::NoServer);
    for (const CheckItem& item : items) {
        EXPECT_EQ(item.state, UpdateState::NoAnswer);
        EXPECT_EQ(item.offeredText, "");
        EXPECT_FALSE(item.selected);
    }
    EXPECT_EQ(InitialItem(MakeCheckEntries(std::array{0x0103}, 100, "V1.0.0")[0]).state,
              UpdateState::Checking);
}

// A server that answers some entries and sends error pages or garbage for the others: only the answered
// rows show a state, and the check does not call everything current.
TEST_F(UpdateCheckWithServer, ErrorPagesAreNoAnswer) {
    writeAnswer(m_answers.path(), "ZANTOR_0_ALL_Halvern_1",
                R"({"name":"AP","version":"1027","version_name":"V1.0.2.7"})");
    const auto entries = EntriesToCheck(MakeCheckEntries(std::array{0x0103}, 1027, "V1.0.2.7"));
    CheckStatus status{};
    writeAnswer(m_answers.path(), "ZANTOR_1_QD44M2_MS_1", "<html>Service unavailable</html>");
    std::vector<CheckItem> items = run(entries, m_server.url(), status);
    ASSERT_EQ(items.size(), 2U);
    EXPECT_EQ(items[0].state, UpdateState::NoAnswer);  // status 200, but an HTML page
    EXPECT_EQ(items[1].state, UpdateState::UpToDate);
    EXPECT_EQ(status, CheckStatus::Incomplete);

    // A wrong address on a live server: every request gets a 404 page.
    items = run(entries, m_server.url() + "/elsewhere", status);
    EXPECT_EQ(items[0].state, UpdateState::NoAnswer);
    EXPECT_EQ(items[1].state, UpdateState::NoAnswer);
    EXPECT_EQ(status, CheckStatus::NoServer);
    EXPECT_FALSE(ParseUpdateAnswer(std::string_view("<html></html>"), 1, true).answered);
    // An answer is a flat object: deep nesting is no answer, brackets inside strings count for nothing.
    EXPECT_FALSE(
        ParseUpdateAnswer(std::string_view(R"({"name":"MS","version":"0104","x":[[[[[1]]]]]})"), 1, true)
            .answered);
    EXPECT_EQ(
        ParseUpdateAnswer(std::string_view(R"({"name":"[[[[[[","version":"0104","x":[{}]})"), 0x0103, true)
            .status,
        UpdateState::NeedUpdate);
    EXPECT_TRUE(ParseUpdateAnswer(std::string_view("{}"), 1, true).answered);
}

// A server that takes the connection and never answers: only a stop ends the check.
TEST(UpdateCheck, AStopEndsACheckThatWaitsForItsAnswer) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));

    CheckStatus status = CheckStatus::Checking;
    std::jthread check([&](std::stop_token stop) {
        HttpClient client;
        status = RunUpdateCheck(EntriesToCheck(MakeCheckEntries(std::array{0x0103}, 100, "V1.0.0")), url,
                                client, {}, stop);
    });
    pollfd waiting{listener, POLLIN, 0};
    ASSERT_EQ(::poll(&waiting, 1, 10000), 1);  // the request's connection has come
    const int accepted = ::accept(listener, nullptr, nullptr);
    check.request_stop();
    check.join();
    EXPECT_EQ(status, CheckStatus::NoServer);
    if (accepted >= 0) ::close(accepted);
    ::close(listener);
}

TEST(UpdateSettings, ServerAddressAndLastCheckDate) {
    EXPECT_EQ(NormaliseServerAddress("updates.example.org"), "https://updates.example.org");
    EXPECT_EQ(NormaliseServerAddress("http://127.0.0.1:8080"), "http://127.0.0.1:8080");
    EXPECT_EQ(NormaliseServerAddress("ftp://x"), "");
    {
        const test::ScopedEnv unset("HALVERN_UPDATE_URL", "");
        EXPECT_EQ(GetUpdateServerAddress(), "");
    }
    test::TempDir folder;
    const auto file = folder / "updatetime.config";
    EXPECT_EQ(ReadOrStartLastCheckDate(file), TodayText());
    EXPECT_EQ(ReadJsonFile(file)["updatelasttime"]["value"].asString(), TodayText());
    ASSERT_TRUE(WriteLastCheckDate(file, "2024-1-5"));
    EXPECT_EQ(ReadOrStartLastCheckDate(file), "2024-1-5");
}

}  // namespace
}  // namespace halvern
