// A sink advised on the agent connection's events for the life of the scope, unadvised
// on every way out.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include "ComTypes.h"
#include "TAMAgent.h"

namespace kelvra {

class AgentEventSubscription {
public:
    AgentEventSubscription(ITAMConnection* connection, ITAMAgentEvents* sink);
    ~AgentEventSubscription();
    AgentEventSubscription(const AgentEventSubscription&) = delete;
    AgentEventSubscription& operator=(const AgentEventSubscription&) = delete;

private:
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

}  // namespace kelvra
