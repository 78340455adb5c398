#pragma once
#include "platform/inet.h"

#include <string>

// The internet session one request runs in; it lives only as long as that
// request, so nothing (cookies, connections) is kept from one request to the next.
class CVelHttpSession : public platform::InetSession {
public:
    explicit CVelHttpSession(const std::string& strAgent, platform::InetHooks hooks = {})
        : platform::InetSession(strAgent, std::move(hooks)) {}
};
