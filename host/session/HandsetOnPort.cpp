#include "HandsetOnPort.h"

#include <cstdio>

#include "ByteCursor.h"
#include "ComFailure.h"
#include "SimHandset.h"

namespace kelvra::host {

namespace {

constexpr size_t kPiece = 4096;
// How long one wait for a request lasts; the server then simply waits again.
constexpr DWORD kRequestWaitMs = 1000;
const HRESULT kTimeout = HRESULT_FROM_WIN32(ERROR_TIMEOUT);

std::string ErrorText()
{
    ComPtr<IErrorInfo> info;
    Bstr text;
    if (GetErrorInfo(0, info.GetAddressOf()) == S_OK && info)
        info->GetDescription(text.Out());
    return NarrowUtf8(text.Str());
}

}  // namespace

void HandsetOnPort::Serve()
{
    for (;;) {
        std::string bytes;
        HRESULT hr = m_port.Receive(kPiece, kRequestWaitMs, bytes);
        if (hr == kTimeout)
            continue;
        CheckCall(hr, "Waiting for requests");
        TakeRequestBytes(bytes);
        WatchNewRequest();
        SendReplies();
    }
}

void HandsetOnPort::WatchNewRequest()
{
    long count = 0;
    if (FAILED(m_handset->get_RequestCount(&count)) || count == m_requestsSeen)
        return;
    m_requestsSeen = count;
    Bstr request;
    m_handset->get_LastRequest(request.Out());
    std::string bytes;
    sim::BytesFromHex(std::wstring_view(request.Str()), bytes);
    ByteReader header(bytes);
    uint16_t code = header.ReadU16LE();
    uint32_t length = header.ReadU32LE();
    if (!header.Ok())
        return;
    if (m_log) {
        printf("request %ld: 0x%04X, %lu bytes\n", count, code, static_cast<unsigned long>(length));
        fflush(stdout);
    }
    if (m_stop.count && code == m_stop.code && ++m_stopCodeSeen == m_stop.count)
        TerminateProcess(GetCurrentProcess(), 3);
}

void HandsetOnPort::TakeRequestBytes(const std::string& bytes)
{
    ByteArray array(bytes.data(), bytes.size());
    if (HRESULT hr = m_agent->WriteStream(array.Get(), static_cast<long>(bytes.size())); FAILED(hr)) {
        fprintf(stderr, "kelvra-handset: a request got no reply: %s\n", ErrorText().c_str());
        fflush(stderr);
    }
}

void HandsetOnPort::SendReplies()
{
    for (;;) {
        ByteArray reply;
        // The simulator answers at once; nothing pending is its time-out.
        if (FAILED(m_agent->ReadStream(static_cast<long>(kPiece), 0, reply.Out())) || reply.Size() == 0)
            return;
        std::string bytes;
        reply.AppendTo(bytes);
        CheckCall(m_port.Send(bytes), "Sending a reply");
    }
}

}  // namespace kelvra::host
