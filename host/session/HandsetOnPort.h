// A simulated handset at the far end of a serial line: the requests that come in on the
// port go to the simulator's agent, and its replies go back out, until the program is
// stopped. Every change is saved before its reply leaves.
#pragma once

#include <cstdint>

#include "ComTypes.h"
#include "KelvraSim.h"
#include "SerialPort.h"
#include "TAMAgent.h"

namespace kelvra::host {

// Where the handset goes away: on taking its count-th request with this code.
struct StopPoint {
    uint16_t code = 0;
    long count = 0;  // 0: never
};

class HandsetOnPort {
public:
    HandsetOnPort(serial::SerialPort& port, ComPtr<ITAMAgent> agent, ISimHandset* handset)
        : m_port(port), m_agent(std::move(agent)), m_handset(handset)
    {
    }

    // Prints a line for every request the handset takes: its number, code and length.
    void SetLogging(bool log) { m_log = log; }
    // Ends the process, without a word to the line, once the request was taken and
    // saved but before it is answered.
    void StopAt(StopPoint stop) { m_stop = stop; }

    // Serves requests until the port fails, which is thrown as a ComFailure.
    [[noreturn]] void Serve();

private:
    // Passes what came on the line to the handset; a request it could not take (a change
    // that could not be saved) is said on stderr and gets no reply.
    void TakeRequestBytes(const std::string& bytes);
    void SendReplies();
    // Logs the request the handset took last, and stops there when told to.
    void WatchNewRequest();

    serial::SerialPort& m_port;
    ComPtr<ITAMAgent> m_agent;
    ComPtr<ISimHandset> m_handset;
    bool m_log = false;
    StopPoint m_stop;
    long m_requestsSeen = 0;
    long m_stopCodeSeen = 0;
};

}  // namespace kelvra::host
