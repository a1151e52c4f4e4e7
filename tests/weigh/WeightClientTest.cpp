#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "log/DailyLog.h"
#include "support/FakeClock.h"
#include "support/LogLines.h"
#include "support/TempDir.h"
#include "weigh/JsonText.h"
#include "weigh/LoopbackServers.h"
#include "weigh/WeightClient.h"

namespace vesk {
namespace {

using test::LoopbackHttpServer;
using test::LoopbackRawServer;

class WeightClientTest : public ::testing::Test {
  protected:
    void SetUp() override { InitLogPaths(station.path(), clock); }

    WeightClientReply exchange(const std::string& url, int totalTimeoutMs = 10000) {
        HttpRequest request = makeWeightRequest(url);
        request.totalTimeoutMs = totalTimeoutMs;
        return weightClientReply(makeHttpClient()->post(request));
    }
    std::vector<std::string> logged() const {
        return test::logTexts(station.path(), kWeightLogCategory);
    }

    test::TempDir station;
    test::FakeClock clock;
};

JsonValue parsed(const std::string& reply) {
    auto value = parseJsonText(reply);
    EXPECT_TRUE(value.has_value()) << reply;
    return value.value_or(JsonValue());
}

httplib::Server::Handler answer(int status, std::string body,
                                std::string type = "application/json") {
    return [=](const httplib::Request&, httplib::Response& res) {
        res.status = status;
        res.set_content(body, type.c_str());
    };
}

TEST_F(WeightClientTest, PostsAnEmptyFormWithTheServiceHeaders) {
    httplib::Request seen;
    LoopbackHttpServer server([&](const httplib::Request& req, httplib::Response& res) {
        seen = req;
        res.set_content(R"({"code":0})", "application/json");
    });
    const HttpRequest request = makeWeightRequest(server.url());
    const HttpResponse response = makeHttpClient()->post(request);

    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.error, "");
    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.path, "/getdata");
    EXPECT_EQ(seen.body, "");
    EXPECT_EQ(seen.get_header_value("Content-Type"),
              "application/x-www-form-urlencoded; charset=UTF-8");
    EXPECT_EQ(seen.get_header_value("User-Agent"),
              "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
              "Chrome/68.0.3440.106 Safari/537.36");
    EXPECT_EQ(seen.get_header_value("Accept"), "application/json, text/html, */*");
    EXPECT_EQ(seen.get_header_value("Connection"), "close");
    EXPECT_EQ(request.connectTimeoutMs, 1500);
    EXPECT_EQ(request.readTimeoutMs, 1500);
    EXPECT_EQ(request.totalTimeoutMs, 10000);
    EXPECT_EQ(request.maxBodyBytes, 1024u * 1024u);
}

TEST_F(WeightClientTest, AnErrorStatusIsNoFailureOfThePort) {
    LoopbackHttpServer server(answer(404, "nope", "text/plain"));
    const HttpResponse response = makeHttpClient()->post(makeWeightRequest(server.url()));
    EXPECT_EQ(response.status, 404);
    EXPECT_EQ(response.body, "nope");
    EXPECT_EQ(response.error, "");
}

struct FailedReadRow {
    const char* name;
    int status;
    std::string body;
    std::string commonCode;
    std::string message;  // exact when fixed, else a part the client's own text must hold
    bool exactMessage;
};

TEST_F(WeightClientTest, ServiceErrorsEndInALoggedFailureReply) {
    const FailedReadRow rows[] = {
        {"404", 404, "x", "404", "未能连接打印服务,查看网络连接！或轮询com口 ", true},
        {"500", 500, "x", "500", "打印服务错误！请稍等后，再测试！", true},
        {"503", 503, "x", "503", "503", false},
        {"empty body", 200, "", "200", "empty", false},
        {"invalid UTF-8", 200, "{\"code\":0,\"message\":\"\xC3\x28\"}", "200", "UTF-8", false},
        {"not JSON", 200, "weight=12340", "200", "not JSON", false},
        {"nested too deep", 200,
         "{\"code\":1,\"x\":" + std::string(100000, '[') + std::string(100000, ']') + "}", "200",
         "nested deeper", false},
    };
    for (const FailedReadRow& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempDir rowStation;
        InitLogPaths(rowStation.path(), clock);
        LoopbackHttpServer server(answer(row.status, row.body));

        const WeightClientReply reply = exchange(server.url());

        EXPECT_TRUE(reply.failed);
        const JsonValue json = parsed(reply.text);
        EXPECT_EQ(json["code"], -1);
        EXPECT_EQ(json["_COMMON_CODE_"], row.commonCode);
        const std::string message = json.value("message", "");
        if (row.exactMessage)
            EXPECT_EQ(message, row.message);
        else
            EXPECT_NE(message.find(row.message), std::string::npos) << message;
        EXPECT_EQ(test::logTexts(rowStation.path(), kWeightLogCategory),
                  std::vector<std::string>{reply.text});
    }
}

struct PassedOnRow {
    const char* name;
    std::string body;
    std::string reply;
    bool logged;
};

TEST_F(WeightClientTest, TheServiceReplyIsPassedOnAndLoggedOnlyWithoutAReading) {
    const PassedOnRow rows[] = {
        {"code 0", R"({"code":0,"comm":{"value":12340,"stable":true,"time":"08:05:03"}})",
         R"({"code":0,"comm":{"value":12340,"stable":true,"time":"08:05:03"}})", false},
        {"no code", R"({"comm":{"value":"1.5"}})", R"({"comm":{"value":"1.5"}})", false},
        {"code 3", R"({"code":3,"message":"scale busy"})", R"({"code":3,"message":"scale busy"})",
         true},
        {"text after the object", R"({"code":0} trailing {"code":1})", R"({"code":0})", false},
        {"Chinese message", R"({"code":2,"message":"称重仪表未连接"})",
         R"({"code":2,"message":"称重仪表未连接"})", true},
        {"slash and line break", R"({"code":4,"message":"port a/b\nclosed"})",
         R"({"code":4,"message":"port a\/b\nclosed"})", true},
        {"pretty-printed", "{\n  \"code\": 5,\n  \"message\": \"x\"\n}",
         R"({"code":5,"message":"x"})", true},
    };
    for (const PassedOnRow& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempDir rowStation;
        InitLogPaths(rowStation.path(), clock);
        LoopbackHttpServer server(answer(200, row.body));

        const WeightClientReply reply = exchange(server.url());

        EXPECT_FALSE(reply.failed);
        EXPECT_EQ(reply.text, row.reply);
        const auto expectedLog =
            row.logged ? std::vector<std::string>{row.reply} : std::vector<std::string>{};
        EXPECT_EQ(test::logTexts(rowStation.path(), kWeightLogCategory), expectedLog);
    }
}

TEST_F(WeightClientTest, NothingListeningGivesCommonCodeMinusOne) {
    const WeightClientReply reply = exchange(test::refusedUrl());
    const JsonValue json = parsed(reply.text);
    EXPECT_EQ(json["code"], -1);
    EXPECT_EQ(json["_COMMON_CODE_"], "-1");
    EXPECT_FALSE(json.value("message", "").empty());
    EXPECT_EQ(logged(), std::vector<std::string>{reply.text});
}

TEST_F(WeightClientTest, ASilentServiceCountsAsNotAnsweringAfterTheReadTimeout) {
    LoopbackRawServer server([](int, const std::function<bool()>& stopping) {
        while (!stopping())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    const auto start = std::chrono::steady_clock::now();
    const WeightClientReply reply = exchange(server.url());
    const auto waited = std::chrono::steady_clock::now() - start;

    // A read time-out cannot fire early; how late it fires is the machine's business.
    EXPECT_GE(waited, std::chrono::milliseconds(1400));
    const JsonValue json = parsed(reply.text);
    EXPECT_EQ(json["_COMMON_CODE_"], "-1");
    EXPECT_NE(json.value("message", "").find("silent"), std::string::npos);
}

// Sends its text a byte at a time, faster than the read time-out, for as long as anyone reads.
LoopbackRawServer::Script drip(std::string head, std::string trickle) {
    return [=](int socket, const std::function<bool()>& stopping) {
        if (!LoopbackRawServer::send(socket, head))
            return;
        for (std::size_t i = 0; !stopping(); i = (i + 1) % trickle.size()) {
            if (!LoopbackRawServer::send(socket, trickle.substr(i, 1)))
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    };
}

TEST_F(WeightClientTest, AServiceThatDripsIsCutOffAtTheTotalTime) {
    struct Row {
        const char* name;
        LoopbackRawServer::Script script;
    };
    const Row rows[] = {
        {"in the headers", drip("HTTP/1.1 200 OK\r\nX-Slow: ", "a")},
        {"in the body", drip("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n{\"code\":0,", "x")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackRawServer server(row.script);
        const WeightClientReply reply = exchange(server.url(), 800);

        EXPECT_TRUE(reply.failed);
        const JsonValue json = parsed(reply.text);
        EXPECT_EQ(json["_COMMON_CODE_"], "200");
        EXPECT_NE(json.value("message", "").find("longer than 800 ms"), std::string::npos)
            << json.value("message", "");
    }
}

TEST_F(WeightClientTest, AHugeReplyIsAbandonedPastTheBodyLimit) {
    const std::string huge(2 * 1024 * 1024, ' ');
    struct Row {
        const char* name;
        httplib::Server::Handler handler;
    };
    const Row rows[] = {
        {"announced length", answer(200, "{\"code\":0}" + huge)},
        {"chunked",
         [&](const httplib::Request&, httplib::Response& res) {
             res.set_chunked_content_provider("application/json",
                                              [&](size_t offset, httplib::DataSink& sink) {
                                                  if (offset >= huge.size())
                                                      sink.done();
                                                  else
                                                      sink.write(huge.data() + offset, 64 * 1024);
                                                  return true;
                                              });
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackHttpServer server(row.handler);
        const WeightClientReply reply = exchange(server.url());

        EXPECT_TRUE(reply.failed);
        const JsonValue json = parsed(reply.text);
        EXPECT_EQ(json["_COMMON_CODE_"], "200");
        EXPECT_NE(json.value("message", "").find("larger than 1048576 bytes"), std::string::npos);
        EXPECT_LT(reply.text.size(), 1000u);
    }
}

TEST_F(WeightClientTest, AFloodOfHeaderLinesIsAbandonedPastTheSameLimit) {
    std::string lines;
    for (int i = 0; i < 4096; ++i)
        lines += "X-Flood: a\r\n";
    LoopbackRawServer server([&](int socket, const std::function<bool()>& stopping) {
        if (!LoopbackRawServer::send(socket, "HTTP/1.1 200 OK\r\n"))
            return;
        while (!stopping() && LoopbackRawServer::send(socket, lines)) {
        }
    });
    const WeightClientReply reply = exchange(server.url());

    EXPECT_TRUE(reply.failed);
    const JsonValue json = parsed(reply.text);
    EXPECT_EQ(json["_COMMON_CODE_"], "200");
    EXPECT_NE(json.value("message", "").find("larger than 1048576 bytes"), std::string::npos)
        << json.value("message", "");
}

TEST(WeightClientRules, ABlankAddressNeedsNoRequest) {
    for (const char* url : {"", "   ", "\t\r\n"})
        EXPECT_TRUE(isBlankWeightUrl(url)) << url;
    EXPECT_FALSE(isBlankWeightUrl(" http://127.0.0.1:44444/getdata"));
    EXPECT_EQ(blankUrlReply(),
              R"({"code":-1,"_COMMON_CODE_":"200","message":"post请求地址 url不能为空"})");
}

}  // namespace
}  // namespace vesk
