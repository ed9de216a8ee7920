// The nine domain loaders: which profile keys each domain's INI section and record
// descriptions give to the tables and codecs.
#pragma once

#include "ProfileLoader.h"

namespace kelvra {

class ProfileKeyCatalogue {
public:
    explicit ProfileKeyCatalogue(ProfileLoader& loader) : m_loader(loader), m_profile(loader.Profile()) {}

    // Runs the loaders in their fixed order.
    void LoadDomains();

    // An INI key and the profile key it is stored under.
    struct KeyMapping {
        const wchar_t* iniKey;
        const wchar_t* profileKey;
    };

private:
    void LoadFileSystem();
    void LoadPhonebook();
    void LoadPhonebookGroups();
    void LoadCard();
    void LoadOrganizer();
    void LoadMemo();
    void LoadSms();
    void LoadMms();
    void LoadTask();

    // Text entries: the values as read.
    template <size_t N>
    void ReadTexts(const wchar_t* section, const KeyMapping (&keys)[N]);
    // Length entries: the parsed counts of field descriptions.
    template <size_t N>
    void ReadLengths(const wchar_t* section, const KeyMapping (&keys)[N]);
    FieldLength ReadLength(const wchar_t* section, const wchar_t* fieldKey, const wchar_t* profileKey);
    // A group behind a support entry: "true" and read, or "false" and left as it was.
    bool SetSupport(const wchar_t* supportKey, bool supported);

    ProfileLoader& m_loader;
    ModelProfile& m_profile;
};

}  // namespace kelvra
