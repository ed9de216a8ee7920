// A file of the handset. Its contents are copied to and from the PC by the item itself;
// while a copy runs the item is a sink of the agent's events and passes the progress on
// to the host, which may cancel the copy.
#pragma once

#include "AgentEventsDispatch.h"
#include "ItemKelvraBase.h"
#include "KelvraFile.h"

namespace kelvra {

class CDataTableKelvraFile;

class CItemKelvraFile : public CItemKelvraBase, public AgentEventsDispatch {
public:
    CItemKelvraFile();
    ~CItemKelvraFile() override;

    QELDATATYPE Type() const override { return QELDT_FILE; }
    HRESULT SchemaConvertItem2Map(ColumnMap& map) override;
    static ComPtr<CColumnsKelvra> CreateColumns();

    // What a copy needs: the table that relays progress to the host, and its link.
    void SetTransfer(CDataTableKelvraFile* table, ITAMConnection* connection);

    STDMETHODIMP QueryInterface(REFIID iid, void** result) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IItem
    STDMETHODIMP ReadBlobTo(ULONG column, BSTR path) override;
    STDMETHODIMP WriteBlobFrom(ULONG column, BSTR path) override;

    // ITAMAgentEvents
    STDMETHODIMP OnTransferProgress(long done, long total, long* continueFlag) override;
    STDMETHODIMP OnTransferComplete(long result) override;

private:
    enum class Direction { ToPhone = 0, ToPc = 1 };

    // Runs one copy with the item subscribed to the agent's events.
    void Copy(Direction direction, ColumnMap& record);
    // Fails a copy the host stopped or the agent's completion event reported as failed.
    void EnsureCompleted(const ColumnMap& record) const;
    // Tells the host how far the copy is; false when the host asks to stop.
    bool Progress(long done, long total);

    ComPtr<CDataTableKelvraFile> m_table;
    ComPtr<ITAMConnection> m_connection;
    Direction m_direction = Direction::ToPc;
    bool m_cancelled = false;
    HRESULT m_completion = S_OK;  // what the agent's completion event said
};

}  // namespace kelvra
