#include "weigh/WeightClient.h"

#include "log/DailyLog.h"
#include "platform/Text.h"
#include "weigh/JsonText.h"

namespace vesk {
namespace {

constexpr const char* kUserAgent =
    "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/68.0.3440.106 Safari/537.36";
constexpr const char* kNotFoundMessage = "未能连接打印服务,查看网络连接！或轮询com口 ";
constexpr const char* kServerErrorMessage = "打印服务错误！请稍等后，再测试！";

JsonValue failureReply() {
    JsonValue reply = JsonValue::object();
    reply["code"] = -1;
    reply["_COMMON_CODE_"] = "200";
    return reply;
}

std::string exchangeErrorText(const HttpResponse& response) {
    if (!response.error.empty())
        return response.error;
    if (response.status < 0)
        return "no reply from the weight service";
    return "HTTP status " + std::to_string(response.status) + " from the weight service";
}

WeightClientReply failedRead(int status, const std::string& message) {
    JsonValue reply = failureReply();
    reply["message"] = message;
    reply["_COMMON_CODE_"] = std::to_string(status);
    if (status == 500) {
        reply["message"] = kServerErrorMessage;
        reply["_COMMON_CODE_"] = "500";
    } else if (status == 404) {
        reply["message"] = kNotFoundMessage;
        reply["_COMMON_CODE_"] = "404";
    }
    WeightClientReply result{writeJsonOut(reply), true};
    WriteLogEx(result.text, kWeightLogCategory, true);
    return result;
}

std::string unreadableBodyText(const std::string& body, const std::string& parseError) {
    if (body.empty())
        return "the weight service sent an empty reply";
    if (!isValidUtf8(body))
        return "the weight service's reply is not valid UTF-8";
    return "the weight service's reply is not JSON: " + parseError;
}

}  // namespace

bool isBlankWeightUrl(const std::string& url) {
    return trimText(url).empty();
}

std::string blankUrlReply() {
    JsonValue reply = failureReply();
    reply["message"] = "post请求地址 url不能为空";
    return writeJsonOut(reply);
}

HttpRequest makeWeightRequest(const std::string& url) {
    HttpRequest request;
    request.url = url;
    request.contentType = "application/x-www-form-urlencoded; charset=UTF-8";
    request.headers = {{"User-Agent", kUserAgent},
                       {"Accept", "application/json, text/html, */*"},
                       {"Connection", "close"}};
    request.connectTimeoutMs = 1500;
    request.readTimeoutMs = 1500;
    request.totalTimeoutMs = 10000;
    request.maxBodyBytes = 1024 * 1024;
    return request;
}

bool exchangeSucceeded(const HttpResponse& response) {
    return response.error.empty() && response.status >= 200 && response.status <= 299;
}

WeightClientReply weightClientReply(const HttpResponse& response) {
    if (!exchangeSucceeded(response))
        return failedRead(response.status, exchangeErrorText(response));
    // Text that is not UTF-8 reads as no text at all, so it fails as "not JSON" below.
    const std::string text = isValidUtf8(response.body) ? response.body : std::string();
    std::string parseError;
    const auto reply = parseJsonText(text, &parseError);
    if (!reply)
        return failedRead(response.status, unreadableBodyText(response.body, parseError));
    WeightClientReply result{writeJsonOut(*reply), false};
    // The reply as written out again rather than as received: a service that pretty-prints
    // would otherwise spread one log entry over many lines.
    if (jsonIntMember(*reply, "code") != 0)
        WriteLogEx(result.text, kWeightLogCategory, true);
    return result;
}

}  // namespace vesk
