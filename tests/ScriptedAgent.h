// A device agent double for the link tests: it records what is written and answers
// with the bytes a test queues, in the chunk sizes the test gives. Methods a test does
// not expect fail it.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "ComObject.h"
#include "ComTypes.h"
#include "TAMAgent.h"
#include "TestEnvironment.h"

namespace kelvra::testing {

class ScriptedAgent : public ComObject<ScriptedAgent, NoDispatchImpl<ITAMAgent>> {
public:
    // Bytes the next reads hand out; chunk sizes are taken in turn, the last one repeating.
    void Queue(const std::string& bytes) { pending.append(bytes); }

    std::string written;
    std::string pending;
    std::vector<size_t> chunkSizes{1u << 20};
    int emptyReads = 0;          // reads that give an empty array before any byte
    size_t extraBytes = 0;       // bytes given beyond what was asked, once
    std::vector<long> readSizes; // what each read asked for
    std::vector<long> readTimeouts; // the time-out each read was given
    std::vector<long> modes;

    STDMETHODIMP WriteStream(SAFEARRAY* data, long count) override
    {
        std::string bytes;
        AppendSafeArrayBytes(data, bytes);
        EXPECT_EQ(bytes.size(), static_cast<size_t>(count));
        written += bytes;
        return S_OK;
    }

    STDMETHODIMP ReadStream(long count, long timeoutMs, SAFEARRAY** data) override
    {
        readSizes.push_back(count);
        readTimeouts.push_back(timeoutMs);
        if (emptyReads > 0) {
            --emptyReads;
            *data = ByteArray(nullptr, 0).Detach();
            return S_OK;
        }
        if (pending.empty())
            return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
        size_t chunk = chunkSizes[std::min(m_chunk++, chunkSizes.size() - 1)];
        size_t given = std::min({static_cast<size_t>(count) + std::exchange(extraBytes, 0), chunk, pending.size()});
        *data = ByteArray(pending.data(), given).Detach();
        pending.erase(0, given);
        return S_OK;
    }

    STDMETHODIMP SetMode(long mode) override
    {
        modes.push_back(mode);
        return S_OK;
    }

    STDMETHODIMP Reserved7() override { return Unexpected(); }
    STDMETHODIMP Reserved8() override { return Unexpected(); }
    STDMETHODIMP Reserved9() override { return Unexpected(); }
    STDMETHODIMP Reserved10() override { return Unexpected(); }
    STDMETHODIMP Reserved11() override { return Unexpected(); }
    STDMETHODIMP Reserved12() override { return Unexpected(); }
    STDMETHODIMP ListFolder(BSTR, long, long, ITAMFileList**) override { return Unexpected(); }
    STDMETHODIMP Reserved14() override { return Unexpected(); }
    STDMETHODIMP GetOwnNumber(BSTR*) override { return Unexpected(); }
    STDMETHODIMP Reserved16() override { return Unexpected(); }
    STDMETHODIMP Reserved17() override { return Unexpected(); }
    STDMETHODIMP GetFile(BSTR, BSTR) override { return Unexpected(); }
    STDMETHODIMP CancelGetFile() override { return Unexpected(); }
    STDMETHODIMP PutFile(BSTR, BSTR) override { return Unexpected(); }
    STDMETHODIMP CancelPutFile() override { return Unexpected(); }
    STDMETHODIMP RemoveFile(BSTR) override { return Unexpected(); }
    STDMETHODIMP RenameFile(BSTR, BSTR) override { return Unexpected(); }
    STDMETHODIMP Reserved27() override { return Unexpected(); }
    STDMETHODIMP GetLinkInfo(TAMLINKINFO*) override { return Unexpected(); }
    STDMETHODIMP Reserved29() override { return Unexpected(); }
    STDMETHODIMP GetFreeBytes(BSTR, long*) override { return Unexpected(); }
    STDMETHODIMP GetFreeBytesEx(BSTR, double*) override { return Unexpected(); }
    STDMETHODIMP GetAgentError(long*) override { return Unexpected(); }
    STDMETHODIMP CreateFolder(BSTR) override { return Unexpected(); }
    STDMETHODIMP DeleteFolder(BSTR) override { return Unexpected(); }
    STDMETHODIMP Reserved35() override { return Unexpected(); }
    STDMETHODIMP Reserved36() override { return Unexpected(); }
    STDMETHODIMP SetCodePage(long) override { return Unexpected(); }
    STDMETHODIMP RenameFolder(BSTR, BSTR) override { return Unexpected(); }

private:
    HRESULT Unexpected()
    {
        ADD_FAILURE() << "unexpected call on the agent";
        return E_NOTIMPL;
    }

    size_t m_chunk = 0;
};

}  // namespace kelvra::testing
