// Chooses, fetches and reads the connected model's profile into a ModelProfile.
#pragma once

#include <string>

#include "ModelDatabase.h"
#include "ModelProfile.h"
#include "TAMAgent.h"

namespace kelvra {

// The model database's answer to a question; a missing database is E_POINTER.
std::wstring AskModelDatabase(IModelDatabase* models, const wchar_t* key);

class ProfileLoader {
public:
    ProfileLoader(ModelProfile& profile, IModelDatabase* models, ITAMAgent* agent)
        : m_profile(profile), m_models(models), m_agent(agent)
    {
    }

    // Writes or fetches the profile file and reads every key: 1 when the keys were read,
    // or the agent's own result when fetching from the handset did not give S_OK.
    LONG Load();

    // One key of the profile file; "-1" when it is missing or empty. A field description
    // gives only its count part.
    std::wstring ReadProfileString(const wchar_t* section, const wchar_t* key) const;
    // The component's folder "\Orvane\Tarn" under the user's application-data folder,
    // created with its parent when missing.
    static std::wstring DataFolder();
    static void CreateFolder(const std::wstring& folder);
    // The profile file under the user's application-data folder, its folders created.
    static std::wstring ProfileFilePath();
    // Writes an embedded "INI" resource to the path; nothing when it is missing.
    static void WriteResourceProfile(int resourceId, const std::wstring& path);
    // "24+1" gives (24, 1); "45" gives (45, 0); "-1" gives (-1, 0).
    static FieldLength ParseFieldCount(std::wstring_view text);
    std::wstring Ask(const wchar_t* key) const { return AskModelDatabase(m_models, key); }

    ModelProfile& Profile() const { return m_profile; }

private:
    void ReadBaseKeys();
    void ReadTablePresence();

    ModelProfile& m_profile;
    IModelDatabase* m_models;
    ITAMAgent* m_agent;
};

}  // namespace kelvra
