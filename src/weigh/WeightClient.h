#pragma once

#include <string>

#include "platform/Http.h"

namespace vesk {

// True when nothing but blanks and control characters is left of the address.
bool isBlankWeightUrl(const std::string& url);

// The failure reply for a blank address; no request is made for it.
std::string blankUrlReply();

// The weight request: an empty form POST, the headers the service expects, and limits that
// keep a silent, slow or runaway service from holding the poller.
HttpRequest makeWeightRequest(const std::string& url);

// True when a reply with a status from 200 to 299 arrived in full.
bool exchangeSucceeded(const HttpResponse& response);

struct WeightClientReply {
    std::string text;     // always a reply the poller can read "code" from
    bool failed = false;  // the reply is a failure reply built here ("code" -1)
};

// Turns one exchange into the reply text and writes its log line: a failure reply for a broken
// exchange, an error status or a body that is not JSON; otherwise the service's own reply,
// written out again, logged when its "code" is not 0.
WeightClientReply weightClientReply(const HttpResponse& response);

}  // namespace vesk
