#include "AgentService.h"

#include "Errors.h"

namespace kelvra {

ComPtr<ITAMAgent> GetAgentService(ITAMConnection* connection)
{
    RequirePointer(connection, L"The device agent connection");
    ComPtr<IUnknown> service;
    Check(connection->GetService(SID_TAMAgent, &service), connection);
    return QueryOrEmpty<ITAMAgent>(service.Get());
}

}  // namespace kelvra
