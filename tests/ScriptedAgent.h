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

struct ListedEntry {
    std::wstring name;
    bool isFile = false;
    long size = 0;
};

// A folder listing as the agent hands it out.
class ListedEntries : public ComObject<ListedEntries, NoDispatchImpl<ITAMFileList>> {
public:
    class Entry : public ComObject<Entry, NoDispatchImpl<ITAMFileEntry>> {
    public:
        explicit Entry(ListedEntry entry) : m_entry(std::move(entry)) {}
        STDMETHODIMP get_Name(BSTR* name) override { return ReturnText(m_entry.name, name); }
        STDMETHODIMP get_IsFile(VARIANT_BOOL* isFile) override
        {
            *isFile = m_entry.isFile ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
        STDMETHODIMP get_Size(long* size) override
        {
            *size = m_entry.size;
            return S_OK;
        }

    private:
        ListedEntry m_entry;
    };

    explicit ListedEntries(std::vector<ListedEntry> entries) : m_entries(std::move(entries)) {}
    STDMETHODIMP get_Count(long* count) override
    {
        *count = static_cast<long>(m_entries.size());
        return S_OK;
    }
    STDMETHODIMP Item(long index, ITAMFileEntry** entry) override
    {
        *entry = Entry::Make(m_entries.at(static_cast<size_t>(index))).Detach();
        return S_OK;
    }

private:
    std::vector<ListedEntry> m_entries;
};

class ScriptedAgent : public ComObject<ScriptedAgent, NoDispatchImpl<ITAMAgent>> {
public:
    // Bytes the next reads hand out; chunk sizes are taken in turn, the last one repeating.
    void Queue(const std::string& bytes) { pending.append(bytes); }

    std::string written;
    std::string pending;
    std::vector<size_t> chunkSizes{1u << 20};
    int emptyReads = 0;          // reads that give an empty array before any byte
    size_t extraBytes = 0;       // bytes given beyond what was asked, once
    bool flood = false;          // every read gets all it asks for, of one byte repeated
    std::vector<long> readSizes; // what each read asked for
    std::vector<long> readTimeouts; // the time-out each read was given
    std::vector<long> modes;
    std::vector<ListedEntry> listing;  // what every folder the agent is asked to list holds

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
        if (flood) {
            *data = ByteArray(std::string(static_cast<size_t>(count), '\x55').data(), static_cast<size_t>(count)).Detach();
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
    STDMETHODIMP ListFolder(BSTR, long, long, ITAMFileList** list) override
    {
        *list = ListedEntries::Make(listing).Detach();
        return S_OK;
    }
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
