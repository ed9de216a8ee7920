// Puts the agent's link into file transfer for the life of the scope and back into
// packet exchange on every way out, so a failed copy never leaves the link in the wrong
// mode for the records that follow.
#pragma once

#include "KelvraBase.h"

namespace kelvra {

class LinkModeScope {
public:
    static constexpr long kPacketExchange = 0;
    static constexpr long kFileTransfer = 2;

    // Switches to file transfer and pauses as the handset needs.
    explicit LinkModeScope(CKelvraBase& link);
    // Back to packet exchange, with the pause; a failure here is not raised.
    ~LinkModeScope();
    LinkModeScope(const LinkModeScope&) = delete;
    LinkModeScope& operator=(const LinkModeScope&) = delete;

private:
    CKelvraBase& m_link;
};

}  // namespace kelvra
