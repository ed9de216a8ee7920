// What the task and memo tables share: one store of the handset whose SUIDs are the
// record indexes themselves, listed, counted, created, updated and deleted alike.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "DataTableKelvraBase.h"
#include "DebugLog.h"
#include "ErrorBoundary.h"
#include "Errors.h"
#include "KelvraOrg.h"
#include "OrganizerPlaces.h"
#include "OrganizerSettings.h"

namespace kelvra {

// The names a table's methods report under.
struct StoreTableNames {
    const wchar_t *begin, *next, *end, *count, *newItem, *create, *update, *remove, *record;
};

// Derived gives kNames, Item (its item class), Store(), MaxCount(), Present(),
// Read(codec, index, map) and Write(codec, map, creating).
template <class Derived, class Item>
class COrganizerStoreTable : public CDataTableKelvra<Derived> {
    using Base = CDataTableKelvraBase;

public:
    COrganizerStoreTable() { this->m_columns = Item::CreateColumns(); }

    void Initialize(DeviceDataOwner* owner, ITAMConnection* connection)
    {
        Base::Initialize(owner, connection);
        m_settings = OrganizerSettings::Load(owner->Model());
        m_codec.reset();
    }
    void Detach() override
    {
        Base::Detach();
        m_codec.reset();
    }
    const OrganizerSettings& Settings() const { return m_settings; }

    STDMETHODIMP ListItemsAllBegin() override
    {
        return ComBoundary(Names().begin, [&] {
            ScopedTrace trace(Names().begin);
            return this->BeginListing([&] { LoadIndexList(); });
        });
    }

    STDMETHODIMP NextItem(IItem** item) override
    {
        return ComBoundary(Names().next, [&] {
            if (!item)
                return E_POINTER;
            *item = nullptr;
            if (!this->Listing())
                return S_OK;  // no listing open: no item
            if (m_cursor >= m_count)
                return ListItemsEnd();
            uint32_t index = m_used[m_cursor++];
            ColumnMap map;
            try {
                Self().Read(Codec(), index, map);
            } catch (...) {
                this->PassOverFailedRecord(std::wstring(Names().record) + L" " + std::to_wstring(index), m_count);
            }
            auto entry = this->template ItemFromRecord<Item>(this->m_columns.Get(), map);
            return this->HandOut(entry.Get(), item, m_count);
        });
    }

    STDMETHODIMP ListItemsEnd() override
    {
        ScopedTrace trace(Names().end);
        return this->EndListing();
    }

    STDMETHODIMP GetItemCount(IItem*, ULONG, QELDATATYPE, ULONG* count) override
    {
        return ComBoundary(Names().count, [&] {
            if (!count)
                return E_POINTER;
            if (!this->Listing()) {
                Codec().SetMode(0);
                LoadIndexList();
            }
            *count = m_count;
            return S_OK;
        });
    }

    STDMETHODIMP NewItem(QELDATATYPE, SUID suid, SUID parent, IItem** item) override
    {
        return ComBoundary(Names().newItem, [&] {
            return Base::template HandOutNewItem<Item>(this->m_columns.Get(), suid, parent, item);
        });
    }

    STDMETHODIMP CreateItem(IItem* item, SUID* suid) override
    {
        return ComBoundary(Names().create, [&] {
            CItemKelvraBase& own = Base::OwnItem(item);
            RequirePresent();
            ColumnMap map = Base::MapOfItem(own);
            // The handset's own list decides (as kept while its count agrees), so that
            // nothing stored since the last listing is overwritten.
            uint32_t index = Places().Free(Codec().UsedIndexes(Self().Store(), m_kept.Of(Self().Store()), Base::Agent()), m_used);
            map.SetValue(L"SUID", VT_I4, static_cast<LONG>(index));
            Self().Write(Codec(), map, true);
            m_kept.Of(Self().Store()).Added(index);
            if (std::find(m_used.begin(), m_used.end(), index) == m_used.end()) {
                m_used.push_back(index);
                ++m_count;
            }
            FillFromHandset(own, map, index);
            if (suid)
                *suid = static_cast<SUID>(index);
            return S_OK;
        });
    }

    STDMETHODIMP UpdateItem(IItem* item) override
    {
        return ComBoundary(Names().update, [&] {
            CItemKelvraBase& own = Base::OwnItem(item);
            uint32_t index = IndexOf(own);
            ColumnMap map = Base::MapOfItem(own);
            map.SetValue(L"SUID", VT_I4, static_cast<LONG>(index));
            Self().Write(Codec(), map, false);
            FillFromHandset(own, map, index);
            return S_OK;
        });
    }

    STDMETHODIMP DeleteItem(IItem* item) override
    {
        return ComBoundary(Names().remove, [&] {
            CItemKelvraBase& own = Base::OwnItem(item);
            uint32_t index = IndexOf(own);
            Codec().DeleteRecord(index, Self().Store());
            m_kept.Of(Self().Store()).Removed(index);
            auto found = std::find(m_used.begin(), m_used.end(), index);
            if (found != m_used.end()) {
                size_t at = static_cast<size_t>(found - m_used.begin());
                m_used.erase(found);
                if (m_count > 0)
                    --m_count;
                if (at < m_cursor)
                    --m_cursor;
            }
            return S_OK;
        });
    }

protected:
    CKelvraOrg& Codec()
    {
        ITAMAgent* agent = this->RequireAgent();
        if (!m_codec)
            m_codec = std::make_unique<CKelvraOrg>(agent, m_settings);
        return *m_codec;
    }

    OrganizerSettings m_settings;

private:
    Derived& Self() { return static_cast<Derived&>(*this); }
    const Derived& Self() const { return static_cast<const Derived&>(*this); }
    static const StoreTableNames& Names() { return Derived::kNames; }

    void RequirePresent()
    {
        if (!Self().Present())
            ThrowComError(E_FAIL, L"This model keeps no such records");
    }

    void LoadIndexList()
    {
        m_used.clear();
        m_count = 0;
        m_cursor = 0;
        if (!Self().Present())
            return;
        std::vector<uint32_t> listed;
        Codec().LoadIndexList(Self().Store(), listed);
        m_used = Places().Usable(listed);
        m_count = static_cast<uint32_t>(m_used.size());
    }

    // The places of the store this table works with (OrganizerPlaces): from 0, as in
    // every profile, up to the maximum count; a SUID names any u16 index.
    OrganizerPlaces Places() const
    {
        return OrganizerPlaces::Of(0, Self().MaxCount(), static_cast<LONG>(CKelvraOrg::kMostIndexes));
    }

    uint32_t IndexOf(const CItemKelvraBase& item)
    {
        RequirePresent();
        SUID suid = item.Suid();
        if (!Places().Holds(suid))
            ThrowComError(E_INVALIDARG, L"The SUID " + std::to_wstring(suid) + L" names no record of this store");
        return static_cast<uint32_t>(suid);
    }

    void FillFromHandset(CItemKelvraBase& item, const ColumnMap& written, uint32_t index)
    {
        ColumnMap stored;
        try {
            Self().Read(Codec(), index, stored);
        } catch (...) {
            DebugLog(L"Record %u of store %u was written but could not be read back", index, Self().Store());
            stored = written;
        }
        stored.SetValue(L"SUID", VT_I4, static_cast<LONG>(index));
        item.SchemaConvertMap2Item(stored);
    }

    std::unique_ptr<CKelvraOrg> m_codec;
    std::vector<uint32_t> m_used;
    KeptIndexes m_kept;  // what the store uses, between creates
    uint32_t m_count = 0;
    uint32_t m_cursor = 0;
};

}  // namespace kelvra
