// The names of a contact: the first-name field, the last-name field where the model has
// one, and the full name the handset shows, which the model makes from both.
#pragma once

#include <string>

#include "ColumnChanges.h"
#include "PhonebookLayouts.h"
#include "PhonebookSettings.h"

namespace kelvra {

class ContactNames {
public:
    ContactNames(const ContactLayout& layout, const PhonebookSettings& settings);

    void Decode(const RecordBytes& record, ColumnMap& map) const;
    // Encodes the three name fields from the changes' values, which afterwards hold the
    // names as stored.
    void Encode(RecordBytes& record, ColumnChanges& changes) const;

private:
    // The full name the model makes from the first name as given and as stored and the
    // last name, which it may cut.
    std::wstring FullName(const std::wstring& given, const std::wstring& first, std::wstring& last) const;

    const ContactLayout& m_layout;
    const PhonebookSettings& m_settings;
};

// The last name inside a full name that the model made from the first and last names;
// empty when the full name does not follow the model's rule (the person edited it on
// the handset).
std::wstring LastNameWithin(const std::wstring& full, const std::wstring& first, FullNameRule rule);

}  // namespace kelvra
