#include "weigh/WeightReading.h"

#include "app/MainWindowView.h"
#include "platform/Text.h"
#include "weigh/JsonText.h"
#include "weigh/WeightFormat.h"

namespace vesk {

WeightReply readWeightReply(const std::string& reply) {
    WeightReply result;
    std::string parseError;
    const auto json = parseJsonText(reply, &parseError);
    if (!json) {
        result.error = "the weight reply is not JSON: " + parseError;
        return result;
    }
    if (jsonIntMember(*json, "code") != 0) {
        result.kind = WeightReply::Kind::Failure;
        result.failure = {jsonTextMember(*json, "message"), jsonTextMember(*json, "_COMMON_CODE_")};
        return result;
    }
    const JsonValue* comm = jsonObjectMember(*json, "comm");
    if (comm == nullptr) {
        result.error = "the weight reply has \"code\" 0 but no \"comm\" object";
        return result;
    }
    result.kind = WeightReply::Kind::Reading;
    result.reading = {jsonTextMember(*comm, "value"), jsonTextMember(*comm, "stable"),
                      jsonTextMember(*comm, "time")};
    return result;
}

bool isStableText(const std::string& stable) {
    return equalsIgnoreAsciiCase(stable, "true");
}

std::uint32_t readingColour(bool stable, const std::string& weightNow,
                            const std::string& weightPrev, const std::string& weightPrev2) {
    if (!stable)
        return clRed;
    const double now = weightTextToNumber(weightNow);
    const bool steady = weightNow != "0" && weightTextToNumber(weightPrev) == now &&
                        weightTextToNumber(weightPrev2) == now;
    return steady ? clLime : clBlack;
}

std::string weightUrl(const std::string& commHost) {
    return "http://" + commHost + ":44444/getdata";
}

bool isLocalCommHost(const std::string& commHost) {
    constexpr std::string_view kLocalUrl = "http://127.0.0.1:44444";
    return equalsIgnoreAsciiCase(commHost, "127.0.0.1") ||
           (commHost.size() >= kLocalUrl.size() &&
            equalsIgnoreAsciiCase(std::string_view(commHost).substr(0, kLocalUrl.size()),
                                  kLocalUrl));
}

}  // namespace vesk
