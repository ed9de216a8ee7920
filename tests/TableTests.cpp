// The data table base: initialisation, the default answers, and the listing, item-making
// and writing contracts, on a small table over records kept in memory.
#include <gtest/gtest.h>

#include <map>

#include "DataTableKelvraBase.h"
#include "DeviceDataKELVRA.h"
#include "ErrorBoundary.h"
#include "SimConnection.h"
#include "TestEnvironment.h"

using namespace kelvra;

namespace {

const ColumnDefinition kNoteColumns[] = {{L"SUID", VT_I4}, {L"TEXT", VT_BSTR}};

class NoteItem : public CItemKelvraBase {
public:
    QELDATATYPE Type() const override { return QELDT_MEMO; }
};

// A table of notes kept in memory, using the base's contracts as the real tables do.
class NoteTable : public CDataTableKelvra<NoteTable> {
public:
    NoteTable() { m_columns = MakeColumns(kNoteColumns); }
    using CDataTableKelvraBase::Owner;

    std::map<SUID, std::wstring> notes;

    STDMETHODIMP ListItemsAllBegin() override
    {
        return ComBoundary(L"NoteTable::ListItemsAllBegin", [&] {
            return BeginListing([&] { m_walk.assign(notes.begin(), notes.end()); });
        });
    }
    STDMETHODIMP NextItem(IItem** item) override
    {
        return ComBoundary(L"NoteTable::NextItem", [&] {
            if (!item)
                return E_POINTER;
            *item = nullptr;
            if (Listing() && Passed() >= m_walk.size())
                return NoMoreItems();
            if (!Listing())
                return Passed() > 0 && Passed() >= m_walk.size() ? S_OK : E_FAIL;
            ColumnMap record;
            record.SetValue(L"SUID", VT_I4, m_walk[Passed()].first);
            record.SetText(L"TEXT", m_walk[Passed()].second);
            auto note = ItemFromRecord<NoteItem>(m_columns.Get(), record);
            return HandOut(note.Get(), item, static_cast<ULONG>(m_walk.size()));
        });
    }
    STDMETHODIMP ListItemsEnd() override { return EndListing(); }
    STDMETHODIMP NewItem(QELDATATYPE type, SUID suid, SUID parent, IItem** item) override
    {
        return ComBoundary(L"NoteTable::NewItem", [&] {
            if (type != QELDT_MEMO)
                return E_FAIL;
            return HandOutNewItem<NoteItem>(m_columns.Get(), suid, parent, item);
        });
    }
    STDMETHODIMP CreateItem(IItem* item, SUID* suid) override
    {
        return ComBoundary(L"NoteTable::CreateItem", [&] {
            CItemKelvraBase& note = OwnItem(item);
            ColumnMap record = MapOfItem(note);
            SUID next = notes.empty() ? 1 : notes.rbegin()->first + 1;
            notes[next] = record.Text(L"TEXT");
            record.SetValue(L"SUID", VT_I4, next);
            note.SchemaConvertMap2Item(record);
            if (suid)
                *suid = next;
            return S_OK;
        });
    }
    STDMETHODIMP UpdateItem(IItem* item) override
    {
        return ComBoundary(L"NoteTable::UpdateItem", [&] {
            CItemKelvraBase& note = OwnItem(item);
            notes[note.Suid()] = MapOfItem(note).Text(L"TEXT");
            return S_OK;
        });
    }
    STDMETHODIMP DeleteItem(IItem* item) override
    {
        return ComBoundary(L"NoteTable::DeleteItem", [&] {
            notes.erase(OwnItem(item).Suid());
            return S_OK;
        });
    }

private:
    std::vector<std::pair<SUID, std::wstring>> m_walk;
};

// An item made by some other code: it answers IItem but is none of ours.
class ForeignItem : public ComObject<ForeignItem, NoDispatchImpl<IItem>> {
public:
    STDMETHODIMP get_SUID(SUID* value) override { *value = 1; return S_OK; }
    STDMETHODIMP get_parent(SUID*) override { return E_NOTIMPL; }
    STDMETHODIMP getType(QELDATATYPE* type) override { *type = QELDT_MEMO; return S_OK; }
    STDMETHODIMP GetColumnCount(ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetColumnInfo(ULONG, IColumnInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetColumnFlags(ULONG, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetColumnName(ULONG, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP GetColumnType(ULONG, USHORT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetLength(ULONG, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetOrdinal(BSTR, ULONG*, LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetStatus(ULONG, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatus(ULONG, ULONG) override { return E_NOTIMPL; }
    STDMETHODIMP GetValue(ULONG, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP SetValue(ULONG, VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP ReadBlobTo(ULONG, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP WriteBlobFrom(ULONG, BSTR) override { return E_NOTIMPL; }
};

struct Connected {
    ComPtr<CDeviceDataKELVRA> device = CDeviceDataKELVRA::Make();
    ComPtr<sim::SimConnection> handset = sim::SimConnection::Make();
    ComPtr<NoteTable> table = NoteTable::Make();

    ITAMConnection* Connection() { return static_cast<ITAMConnection*>(handset.Get()); }
};

}  // namespace

TEST(Table, InitializeObtainsTheAgentFromTheConnection)
{
    Connected session;
    session.table->Initialize(session.device.Get(), session.Connection());
    EXPECT_NE(nullptr, session.table->Agent());
    EXPECT_EQ(session.device.Get(), &session.table->Owner());
    ASSERT_FALSE(kelvra::testing::Services().logLines.empty());
    EXPECT_EQ(L"[LUMOQELTAM]CDataTableKelvraBase::Initialize\n", kelvra::testing::Services().logLines[0]);
}

TEST(Table, InitializeNeedsAConnectionButNotAnAgent)
{
    Connected session;
    try {
        session.table->Initialize(session.device.Get(), nullptr);
        FAIL() << "no exception";
    } catch (const _com_error& e) {
        EXPECT_EQ(E_POINTER, e.Error());
    }

    session.handset->put_AgentAvailable(VARIANT_FALSE);
    session.table->Initialize(session.device.Get(), session.Connection());
    EXPECT_EQ(nullptr, session.table->Agent());
    // Without an agent a listing cannot start, and says why.
    EXPECT_EQ(E_POINTER, session.table->ListItemsAllBegin());

    session.handset->State().failures[L"GetConnectionText"] = E_ACCESSDENIED;
    EXPECT_THROW(session.table->Initialize(session.device.Get(), session.Connection()), _com_error);
}

TEST(Table, SupportsErrorInformationForIDataTableOnly)
{
    auto table = NoteTable::Make();
    EXPECT_EQ(S_OK, table->InterfaceSupportsErrorInfo(IID_IDataTable));
    EXPECT_EQ(S_FALSE, table->InterfaceSupportsErrorInfo(IID_IItem));
}

TEST(Table, RefusesItemsItDidNotMake)
{
    auto table = NoteTable::Make();
    auto foreign = ForeignItem::Make();
    IItem* stranger = static_cast<IItem*>(foreign.Get());
    SUID suid = 99;
    EXPECT_EQ(E_INVALIDARG, table->CreateItem(stranger, &suid));
    EXPECT_EQ(99, suid);
    EXPECT_EQ(E_INVALIDARG, table->UpdateItem(stranger));
    EXPECT_EQ(E_INVALIDARG, table->DeleteItem(stranger));
    EXPECT_EQ(E_POINTER, table->CreateItem(nullptr, &suid));
    EXPECT_TRUE(table->notes.empty());

    ComPtr<IErrorInfo> info;
    ASSERT_EQ(S_OK, GetErrorInfo(0, &info));
    Bstr description;
    info->GetDescription(description.Out());
    EXPECT_NE(std::wstring::npos, description.Str().find(L"NoteTable::CreateItem failed with 0x80004003: No item")) << description.Str();
}

TEST(Table, MakesItemsOnlyOfItsOwnKind)
{
    auto table = NoteTable::Make();
    IItem* item = nullptr;
    EXPECT_EQ(E_FAIL, table->NewItem(QELDT_PHONEBOOK, 0, 0, &item));
    EXPECT_EQ(nullptr, item);
    ASSERT_EQ(S_OK, table->NewItem(QELDT_MEMO, 5, 0, &item));
    ComPtr<IItem> made;
    *made.GetAddressOf() = item;
    SUID suid = 0;
    made->get_SUID(&suid);
    EXPECT_EQ(5, suid);

    Variant text = Variant::FromText(L"buy milk");
    made->SetValue(1, text.Get());
    SUID created = 0;
    ASSERT_EQ(S_OK, table->CreateItem(made.Get(), &created));
    EXPECT_EQ(1, created);
    made->get_SUID(&suid);
    EXPECT_EQ(1, suid);
    EXPECT_EQ(L"buy milk", table->notes[1]);
}

TEST(Table, ListingClosesItselfAfterTheLastItem)
{
    Connected session;
    session.table->Initialize(session.device.Get(), session.Connection());
    session.table->notes = {{1, L"one"}, {2, L"two"}};

    IItem* item = nullptr;
    EXPECT_EQ(E_FAIL, session.table->NextItem(&item));  // no listing open
    ASSERT_EQ(S_OK, session.table->ListItemsAllBegin());
    EXPECT_EQ(0, session.handset->State().mode);

    ComPtr<IItem> first;
    ASSERT_EQ(S_OK, session.table->NextItem(first.GetAddressOf()));
    session.table->notes[3] = L"three";
    ASSERT_EQ(S_OK, session.table->ListItemsAllBegin());  // open: the walk goes on
    ComPtr<IItem> second;
    ASSERT_EQ(S_OK, session.table->NextItem(second.GetAddressOf()));
    ASSERT_NE(nullptr, second.Get());
    SUID suid = 0;
    second->get_SUID(&suid);
    EXPECT_EQ(2, suid);

    item = reinterpret_cast<IItem*>(1);
    EXPECT_EQ(S_OK, session.table->NextItem(&item));  // closed by the last item
    EXPECT_EQ(nullptr, item);
    EXPECT_EQ(S_OK, session.table->ListItemsEnd());
}
