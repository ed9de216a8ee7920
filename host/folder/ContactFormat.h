// The phonebook in a synced folder: one vCard per contact. What is synced is what the
// model keeps of a contact's names, numbers with their types, e-mails, URL, address,
// birthday and note, cut and cleaned as the model stores them; its groups, picture and
// speed dials stay each side's own.
#pragma once

#include <map>
#include <set>
#include <string>

#include "HandsetNumber.h"
#include "PhonebookCapabilities.h"
#include "SyncSession.h"
#include "SyncedFormat.h"

namespace kelvra::host {

class ContactFormat : public SyncedFormat {
public:
    explicit ContactFormat(SyncSession& session);

    const wchar_t* Extension() const override { return L".vcf"; }
    IDataTable* Table() const override { return m_table.Get(); }
    QELDATATYPE ItemType() const override { return QELDT_PHONEBOOK; }

    ItemProjection OfItem(IItem* item) const override;
    std::wstring LabelOf(const ItemProjection& item) const override;
    bool Holds(const ItemProjection& held, const ItemProjection& file) const override;
    std::vector<std::wstring> IdentityOf(const ItemProjection& item) const override;
    bool TellsReusedPlaces() const override { return true; }
    FileItem OfFile(const std::string& bytes) const override;
    void Apply(const std::string& bytes, IItem* item) const override;
    std::string NewFile(IItem* item) const override;
    std::string EditedFile(const std::string& existing, IItem* item, const ItemProjection& file,
                           const ItemProjection& held,
                           const std::optional<std::set<std::wstring>>& changed) const override;

    // A contact's columns, as listed or as a file gives them, in the projection's terms:
    // numbers and e-mails counted from 0 in the order they come, the last name found in
    // the full name.
    static ItemProjection Projected(const std::map<std::wstring, std::wstring>& columns);

private:
    // The columns a file's contact sets: its numbers as the model stores them. problem
    // says why it cannot be written.
    std::map<std::wstring, std::wstring> FileColumns(const std::string& bytes, FileItem& file) const;
    // What the model keeps of the columns: the columns it has, cut to its fields.
    ItemProjection Kept(const ItemProjection& projected) const;
    // How many of a numbered column's kind the model keeps ("TEL_NUM_3": its numbers).
    size_t Slots(const std::wstring& column) const;
    // The shortest start of a field's text that may be the handset's cut of it; 0 for a
    // field it never cuts.
    size_t ShortestCut(const std::wstring& name) const;
    // How each field of the handset holds a file's: texts maybe cut, types as the model
    // keeps them.
    ItemProjection::FieldHolds FieldHeld() const;

    ComPtr<IDataTable> m_table;
    PhonebookCapabilities m_capabilities;
    NumberRules m_numbers;
    std::set<std::wstring> m_columns;  // those a contact has on this model
};

}  // namespace kelvra::host
