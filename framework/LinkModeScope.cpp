#include "LinkModeScope.h"

#include "Platform.h"

namespace kelvra {

namespace {

constexpr DWORD kModeSwitchPause = 500;

}  // namespace

LinkModeScope::LinkModeScope(CKelvraBase& link) : m_link(link)
{
    m_link.SetMode(kFileTransfer);
    Platform::Current().Sleep(kModeSwitchPause);
}

LinkModeScope::~LinkModeScope()
{
    if (ITAMAgent* agent = m_link.Agent())
        agent->SetMode(kPacketExchange);
    Platform::Current().Sleep(kModeSwitchPause);
}

}  // namespace kelvra
