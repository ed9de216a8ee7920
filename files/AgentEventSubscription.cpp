#include "AgentEventSubscription.h"

#include "DebugLog.h"
#include "Errors.h"

namespace kelvra {

AgentEventSubscription::AgentEventSubscription(ITAMConnection* connection, ITAMAgentEvents* sink)
{
    RequirePointer(connection, L"The agent connection");
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = connection->QueryInterface(IID_IConnectionPointContainer,
                                            reinterpret_cast<void**>(container.GetAddressOf()));
    if (FAILED(hr))
        ThrowComError(hr, L"The agent connection offers no events, so a copy could not report or be cancelled");
    Check(container->FindConnectionPoint(IID_ITAMAgentEvents, m_point.GetAddressOf()), container.Get());
    Check(m_point->Advise(sink, &m_cookie), m_point.Get());
}

AgentEventSubscription::~AgentEventSubscription()
{
    m_point->Unadvise(m_cookie);
    DebugLog(L"%ls", L"CItemTamFile::FinalConstruct() AtlUnadvise");
}

}  // namespace kelvra
