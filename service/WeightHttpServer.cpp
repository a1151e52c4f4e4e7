#include "WeightHttpServer.h"

#include <httplib.h>

#include <thread>

#include "ExclusiveListen.h"

namespace vesk {

WeightHttpServer::WeightHttpServer(const ReadingStore& store)
    : server_(std::make_unique<httplib::Server>()) {
    useExclusiveListenSocket(*server_);
    // The supervisor posts an empty body; a local client must not make the service hold an
    // endless one in memory.
    server_->set_payload_max_length(kMaxRequestBody);
    const auto answer = [&store](const httplib::Request&, httplib::Response& response) {
        response.status = 200;
        response.set_content(store.reply().body, "application/json; charset=utf-8");
    };
    server_->Get("/getdata", answer);
    server_->Post("/getdata", answer);
    // A POST with neither a length nor chunks has an empty body, but the library would wait
    // for the client to close the connection: answer such a request before any body is read.
    server_->set_pre_routing_handler(
        [answer](const httplib::Request& request, httplib::Response& response) {
            const bool bodyless =
                !request.has_header("Content-Length") && !request.has_header("Transfer-Encoding");
            if (request.method != "POST" || request.path != "/getdata" || !bodyless) {
                return httplib::Server::HandlerResponse::Unhandled;
            }
            answer(request, response);
            return httplib::Server::HandlerResponse::Handled;
        });
}

WeightHttpServer::~WeightHttpServer() = default;

bool WeightHttpServer::bind(int port) {
    if (port == 0) {
        port_ = server_->bind_to_any_port(kHost);
        return port_ > 0;
    }
    if (!server_->bind_to_port(kHost, port)) {
        return false;
    }
    port_ = port;
    return true;
}

void WeightHttpServer::listen() {
    listenEntered_ = true;
    if (port_ > 0 && !stopRequested_) {
        server_->listen_after_bind();
    }
    listenEnded_ = true;
}

void WeightHttpServer::stop() {
    stopRequested_ = true;
    // The library ignores a stop that comes before its loop runs; a stop request arriving
    // while listen() starts up would be lost and the service would never end. Either listen()
    // sees the request, or this waits until there is a running loop to end.
    while (listenEntered_ && !listenEnded_ && !server_->is_running()) {
        std::this_thread::yield();
    }
    server_->stop();
}

}  // namespace vesk
