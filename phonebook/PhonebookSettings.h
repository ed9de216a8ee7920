// The phonebook limits and field sizes of the connected model, read from its profile
// when the phonebook table is initialised.
#pragma once

#include <string>

#include "ModelName.h"
#include "ModelProfile.h"

namespace kelvra {

// How a model forms the full-name field from the first and last names.
enum class FullNameRule {
    LastThenFirst,       // "LovelaceAda"
    FirstBlankLast,      // "Ada Lovelace"
    SingleName,          // the handset shows one name: the last name goes in front of the first
    LastNameInFirstName  // no last-name field: the first name carries both
};

struct PhonebookSettings {
    ModelName model;
    std::wstring phoneRootPath;
    LONG startIndex = 0;
    LONG endIndex = 0;
    LONG maxRecords = 0;
    LONG numbers = 0;
    LONG addresses = 0;
    LONG emails = 0;
    LONG urls = 0;
    LONG groupSlots = 0;
    LONG numberTypeSetting = 0;
    bool mainEmailWord = false;
    FieldLength number, firstName, lastName, fullName, email, memo, fileName;
    FieldLength addressInfo, addressStreet, addressZipCode, addressCity, addressState, addressCountry;
    LONG speedDialStart = 0;
    LONG speedDialEnd = 0;

    bool groupSupport = false;
    FieldLength groupName, groupPhotoFileName, groupRingFileName;
    LONG maxGroups = 0;
    LONG undeletableGroups = 0;

    FieldLength speedDialName, speedDialNumber;

    static PhonebookSettings Load(const ModelProfile& profile);

    // Model rules of the contact record.
    bool SkipsLastName() const;         // the last-name field is not read
    bool KeepsNumbersAsStored() const;  // numbers read back as stored, punctuation and all
    bool HasNoAddressBlock() const;     // no address blocks and no message ring
    bool UsesShortTypeTable() const;  // the number-type table of two small models
    // The number-type setting the type names are read by: the two small models write the
    // short table's codes, so they read by its names too.
    LONG TypeNameSetting() const { return UsesShortTypeTable() ? 1 : numberTypeSetting; }
    bool NamesFromFullName() const;   // FIRST_NAME is the full name, no DISPLAY_NAME
    FullNameRule NameRule() const;
};

}  // namespace kelvra
