// A simulated handset at the far end of a serial line: the requests that come in on the
// port go to the simulator's agent, and its replies go back out, until the program is
// stopped. Every change is saved before its reply leaves.
#pragma once

#include "ComTypes.h"
#include "KelvraSim.h"
#include "SerialPort.h"
#include "TAMAgent.h"

namespace kelvra::host {

class HandsetOnPort {
public:
    HandsetOnPort(serial::SerialPort& port, ComPtr<ITAMAgent> agent) : m_port(port), m_agent(std::move(agent)) {}

    // Prints a line for every request the handset has taken: its number, command code
    // and length.
    void LogRequestsOf(ISimHandset* handset) { m_logged = handset; }

    // Serves requests until the port fails, which is thrown as a ComFailure.
    [[noreturn]] void Serve();

private:
    // Passes what came on the line to the handset; a request it could not take (a change
    // that could not be saved) is said on stderr and gets no reply.
    void TakeRequestBytes(const std::string& bytes);
    void SendReplies();
    void LogNewRequests();

    serial::SerialPort& m_port;
    ComPtr<ITAMAgent> m_agent;
    ComPtr<ISimHandset> m_logged;
    long m_requestsLogged = 0;
};

}  // namespace kelvra::host
