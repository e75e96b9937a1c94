#include "update/http_client.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <json/json.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdarg>
#include <string>
#include <vector>

#include "local_server.h"
#include "temp_env.h"
#include "update/curl_library.h"

namespace halvern {
namespace {

const std::string kData = HALVERN_TEST_DATA;

struct Exchange {
    long received = 0;
    std::vector<char> buffer = std::vector<char>(kHttpBufferSize, '\0');
    [[nodiscard]] std::string text() const {
        return {buffer.data(), static_cast<size_t>(received > 0 ? received : 0)};
    }
    [[nodiscard]] Json::Value json() const {
        Json::Value v;
        Json::Reader().parse(text(), v);
        return v;
    }
};

Exchange send(HttpClient& client, std::string_view method, const std::string& url,
              std::string_view body = {}) {
    Exchange e;
    client.HttpInit();
    e.received = client.HttpRequest(method, url, body, e.buffer, false);
    return e;
}

class HttpClientTest : public ::testing::Test {
protected:
    test::LocalServer m_server{{kData + "/odd_server.py"}};
    HttpClient m_client;
};

TEST_F(HttpClientTest, SendsTheVerbInUpperCaseWithTheFormHeaders) {
    const Exchange e =
        send(m_client, "post", m_server.url() + "/echo", std::string_view("app_key=A&version=1\0", 20));
    const Json::Value seen = e.json();
    EXPECT_EQ(seen["method"].asString(), "POST");
    EXPECT_EQ(seen["content_length"].asString(), "20");
    EXPECT_EQ(seen["content_type"].asString(), "application/x-www-form-urlencoded");
    EXPECT_EQ(seen["accept"].asString(), "application/prs.Zantor.v1+json");
    EXPECT_EQ(seen["body"].asString(), std::string("app_key=A&version=1\0", 20));

    const std::string thirty(30, 'b');
    EXPECT_EQ(send(m_client, "POST", m_server.url() + "/echo", thirty).json()["content_length"].asString(),
              "30");
    EXPECT_EQ(send(m_client, "Get", m_server.url() + "/echo").json()["method"].asString(), "GET");
}

TEST_F(HttpClientTest, RefusesBadArgumentsWithoutSending) {
    Exchange e = send(m_client, "PUT", m_server.url() + "/echo");
    EXPECT_EQ(e.received, -1);
    EXPECT_EQ(m_client.HttpLastError(), kHttpErrorBadMethod);
    EXPECT_EQ(e.buffer[0], '\0');  // nothing sent, nothing written
    EXPECT_EQ(send(m_client, "GET", "").received, -1);
    EXPECT_EQ(m_client.HttpLastError(), kHttpErrorBadUrl);
    for (const char* url : {"ftp://127.0.0.1/x", "file:///etc/passwd", "http:///nohost"}) {
        EXPECT_EQ(send(m_client, "GET", url).received, -1) << url;
        EXPECT_EQ(m_client.HttpLastError(), kHttpErrorBadUrl) << url;
    }
}

TEST_F(HttpClientTest, ReturnsTheBodyWhateverTheStatus) {
    const Exchange e = send(m_client, "GET", m_server.url() + "/missing");
    EXPECT_EQ(e.text(), "no such page here");
    EXPECT_EQ(m_client.responseStatus(), 404);
}

TEST_F(HttpClientTest, CutsALongBodyAtTheBufferAndSaysSo) {
    Exchange e;
    e.buffer.assign(kHttpBufferSize + 16, '#');  // a guard beyond the buffer handed over
    e.received = m_client.HttpRequest("GET", m_server.url() + "/big", {},
                                      std::span<char>(e.buffer.data(), kHttpBufferSize), false);
    EXPECT_EQ(e.received, static_cast<long>(kHttpBufferSize));
    EXPECT_TRUE(m_client.responseCut());
    EXPECT_EQ(e.buffer[kHttpBufferSize - 1], 'x');
    EXPECT_EQ(e.buffer[kHttpBufferSize], '#');
    EXPECT_FALSE((send(m_client, "GET", m_server.url() + "/echo"), m_client.responseCut()));
}

TEST_F(HttpClientTest, FollowsAFewRedirectsButNoLoop) {
    EXPECT_EQ(send(m_client, "GET", m_server.url() + "/hop").json()["method"].asString(), "GET");
    const Exchange loop = send(m_client, "GET", m_server.url() + "/loop");
    EXPECT_EQ(loop.received, 0);
    EXPECT_NE(m_client.HttpLastError(), 0);
}

TEST(HttpClient, NoServerGivesNoLinkServer) {
    // A port nobody listens on: bind one, then close it.
    HttpClient client;
    std::string url;
    {
        test::LocalServer gone({kData + "/odd_server.py"});
        url = gone.url() + "/echo";
    }
    const Exchange e = send(client, "POST", url, "a=1");
    EXPECT_EQ(e.received, 0);
    EXPECT_EQ(std::string(e.buffer.data()), kNoLinkServer);
}

TEST(HttpClient, VerifiesCertificates) {
    test::TempDir answers;
    test::LocalServer server({HALVERN_UPDATE_SERVER, "--answers", answers.path().string(), "--port", "0",
                              "--tls-cert", kData + "/tls/server.pem", "--tls-key",
                              kData + "/tls/server.key"});
    ASSERT_EQ(server.url().rfind("https://", 0), 0U);
    HttpClient trusting;
    trusting.settings().caFile = kData + "/tls/ca.pem";
    EXPECT_GT(send(trusting, "POST", server.url() + "/api/updates", "app_key=X").received, 0);

    // A client that connects and never starts its handshake holds up nobody else.
    const auto port = static_cast<uint16_t>(std::stoi(server.url().substr(server.url().rfind(':') + 1)));
    const int idle = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    ASSERT_EQ(::connect(idle, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const Exchange answered = send(trusting, "POST", server.url() + "/api/updates", "app_key=X");
    ::close(idle);
    EXPECT_GT(answered.received, 0);

    for (const std::string& ca : {kData + "/tls/other_ca.pem", std::string()}) {
        HttpClient doubting;
        doubting.settings().caFile = ca;
        const Exchange e = send(doubting, "POST", server.url() + "/api/updates", "app_key=X");
        EXPECT_EQ(e.received, 0) << ca;
        EXPECT_EQ(std::string(e.buffer.data()), kNoLinkServer) << ca;
    }
}

}  // namespace
}  // namespace halvern

namespace halvern {
namespace {

// libcurl as a library that lacks some options: the option named in gRefused is refused with gRefusal,
// every other one is handed to the real libcurl.
CURLoption gRefused{};
CURLcode gRefusal = CURLE_UNKNOWN_OPTION;

// libcurl's own signature ends in an enum before the "...": clang warns that it is promoted, which for
// CURLoption (an int-sized enum) changes nothing.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wvarargs"
#endif
CURLcode refusingSetopt(CURL* curl, CURLoption option, ...) {
    if (option == gRefused) return gRefusal;
    std::va_list args;
    va_start(args, option);
    const CurlLibrary& real = *Curl();
    CURLcode result = CURLE_OK;
    // The branches differ in the type va_arg reads, which the clone check does not see.
    if (option < CURLOPTTYPE_OBJECTPOINT) {  // NOLINT(bugprone-branch-clone)
        result = real.easy_setopt(curl, option, va_arg(args, long));
    } else if (option < CURLOPTTYPE_OFF_T) {
        result = real.easy_setopt(curl, option, va_arg(args, void*));
    } else {
        result = real.easy_setopt(curl, option, va_arg(args, curl_off_t));
    }
    va_end(args);
    return result;
}
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

TEST_F(HttpClientTest, ARefusedOptionFailsTheRequestOrFallsBack) {
    ASSERT_NE(Curl(), nullptr);
    CurlLibrary lacking = *Curl();
    lacking.easy_setopt = refusingSetopt;
    HttpClient client(lacking);

    // An older libcurl without the protocol lists by name: the bit masks stand in, the request goes out
    // whole.
    for (const CURLoption option : {CURLOPT_PROTOCOLS_STR, CURLOPT_REDIR_PROTOCOLS_STR}) {
        gRefused = option;
        gRefusal = CURLE_UNKNOWN_OPTION;
        const Exchange e = send(client, "POST", m_server.url() + "/echo", "a=1");
        ASSERT_GT(e.received, 0) << option;
        EXPECT_EQ(e.json()["method"].asString(), "POST");
        EXPECT_EQ(e.json()["body"].asString(), "a=1");
    }
    // Any other refusal: nothing is sent (a bodiless GET would have been) and the caller is told.
    for (const CURLoption option : {CURLOPT_POSTFIELDS, CURLOPT_CUSTOMREQUEST, CURLOPT_HTTPHEADER}) {
        gRefused = option;
        gRefusal = CURLE_UNKNOWN_OPTION;
        const Exchange e = send(client, "POST", m_server.url() + "/echo", "a=1");
        EXPECT_EQ(e.received, -1) << option;
        EXPECT_EQ(client.HttpLastError(), CURLE_UNKNOWN_OPTION);
    }
    gRefused = CURLOPT_PROTOCOLS_STR;
    gRefusal = CURLE_BAD_FUNCTION_ARGUMENT;  // known but refused: no silent fallback
    EXPECT_EQ(send(client, "POST", m_server.url() + "/echo", "a=1").received, -1);
    gRefused = {};
}

}  // namespace
}  // namespace halvern
