// The e-mail, URL and address blocks of a contact. They read packed: the blocks that
// hold no text are passed over, so column n names the n-th block that holds text. A
// write puts each column back into the block it was read from (a column past them into
// the next free block) and changes only the fields whose columns changed: the type code
// the handset wrote and a text stored as it came stay as they are.
#pragma once

#include <string>
#include <vector>

#include "ColumnChanges.h"
#include "PhonebookLayouts.h"
#include "PhonebookSettings.h"

namespace kelvra {

class ContactBlocks {
public:
    ContactBlocks(const ContactLayout& layout, const PhonebookSettings& settings);

    void Decode(const RecordBytes& record, ColumnMap& map) const;
    // The count columns afterwards say how many blocks of each kind hold text.
    void Encode(RecordBytes& record, ColumnChanges& changes) const;

private:
    struct Block {
        std::vector<TextField> texts;
        size_t type;
    };
    // One kind of block with its columns ("%d" for the column's number).
    struct Kind {
        std::vector<Block> blocks;
        std::vector<const wchar_t*> textColumns;
        const wchar_t* typeColumn;
        const wchar_t* countColumn;
        uint8_t (*typeCode)(const std::wstring& name);
        std::wstring (*forHandset)(const std::wstring& text);
    };

    void DecodeKind(const Kind& kind, const RecordBytes& record, ColumnMap& map) const;
    void EncodeKind(const Kind& kind, RecordBytes& record, ColumnChanges& changes) const;
    static bool HoldsText(const Block& block, const RecordBytes& record);

    const PhonebookSettings& m_settings;
    std::vector<Kind> m_kinds;
};

}  // namespace kelvra
