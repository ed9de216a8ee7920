#include "OrganizerSettings.h"

namespace kelvra {

namespace {

struct KindKeys {
    uint32_t store;
    int table;
    const wchar_t *start, *max, *title, *detail, *location, *sound;
};

const KindKeys kKindKeys[kOrgKindCount] = {
    {3, 3, L"Schedule_startindex", L"Schedule_MaxRecordCount", L"Schedule_SubjectLen", L"Schedule_DetailLen",
     L"Schedule_LocationLen", L"Schedule_SoundFileNameLen"},
    {7, 7, L"Anniversary_startindex", L"Anniversary_MaxRecordCnt", L"Anniversary_TitleLen",
     L"Anniversary_DetailLen", L"Schedule_LocationLen", L"Schedule_SoundFileNameLen"},
    {42, 10, L"Holiday_startindex", L"Holiday_MaxRecordCnt", L"Holiday_TitleLen", L"Holiday_DetailLen",
     L"Schedule_LocationLen", L"Schedule_SoundFileNameLen"},
    {40, 8, L"Important_startindex", L"Important_MaxRecordCnt", L"Schedule_SubjectLen", L"Schedule_DetailLen",
     L"Schedule_LocationLen", L"Schedule_SoundFileNameLen"},
    {41, 9, L"Private_startindex", L"Private_MaxRecordCnt", L"Schedule_SubjectLen", L"Schedule_DetailLen",
     L"Schedule_LocationLen", L"Schedule_SoundFileNameLen"},
    {6, 19, L"Event_startindex", L"Event_MaxRecordCnt", L"Schedule_SubjectLen", L"Event_DetailLen",
     L"Schedule_LocationLen", L"Event_SoundFileNameLen"},
};

}  // namespace

uint32_t StoreOfKind(OrgKind kind)
{
    return kKindKeys[static_cast<size_t>(kind)].store;
}

OrganizerSettings OrganizerSettings::Load(const ModelProfile& profile)
{
    OrganizerSettings s;
    s.model = ModelName(profile.Text(L"PhoneBaseInfo_PhoneModel"));
    for (size_t k = 0; k < kOrgKindCount; ++k) {
        const KindKeys& keys = kKindKeys[k];
        KindParameters& kind = s.kinds[k];
        kind.store = keys.store;
        kind.present = profile.HasTable(keys.table);
        kind.startIndex = profile.Number(keys.start);
        kind.maxCount = profile.Number(keys.max);
        kind.title = profile.Length(keys.title);
        kind.detail = profile.Length(keys.detail);
        kind.location = profile.Length(keys.location);
        kind.soundFile = profile.Length(keys.sound);
    }
    s.taskPresent = profile.HasTable(5);
    s.taskMax = profile.Number(L"Task_MaxRecordCount");
    s.taskTitle = profile.Length(L"Task_TitleLen");
    s.taskDetail = profile.Length(L"Task_DetailLen");
    s.taskSoundFile = profile.Length(L"Task_SndFileName");
    s.memoPresent = profile.HasTable(4);
    s.memoMax = profile.Number(L"Memo_MaxRecordCount");
    s.memoText = profile.Length(L"Memo_TextLen");
    return s;
}

bool OrganizerSettings::Lunar() const
{
    return model.IsOneOf({L"KTM-A270", L"KTM-A140", L"KTM-A300", L"KTM-A250", L"KTM-A210",
                          L"KTM-A210 INDIA_OPEN", L"KTM-A240"});
}

bool OrganizerSettings::ExtendedAlarm() const
{
    return model.IsOneOf({L"KTM-A290", L"KTM-A120", L"KTM-A120 INDIA_OPEN", L"KTM-A120 TW", L"KTM-A180",
                          L"KTM-A120 INDONESIA"});
}

bool OrganizerSettings::CompactRepeat() const
{
    return model.IsOneOf({L"KTM-A220", L"KTM-A110", L"KTM-A220 TW", L"KTM-A100"});
}

bool OrganizerSettings::ZeroType() const
{
    return model.IsOneOf({L"KTM-A290", L"KTM-A120", L"KTM-A180", L"KTM-A120 TW", L"KTM-A120 INDIA_OPEN",
                          L"KTM-A120 INDONESIA"});
}

bool OrganizerSettings::MemoTime() const
{
    return model.IsOneOf({L"KTM-A110", L"KTM-A220", L"KTM-A220TW", L"KTM-A300", L"KTM-A100", L"KTM-A190 INI",
                          L"KTM-A190 INDIA"});
}

}  // namespace kelvra
