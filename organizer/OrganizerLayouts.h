// Where each field of the handset's calendar, task and memo records lies, worked out
// once from the model's settings; reading and writing both walk these offsets.
#pragma once

#include <optional>

#include "OrganizerSettings.h"
#include "RecordBytes.h"

namespace kelvra {

// The alarm and sound fields that schedule-shaped and anniversary records share.
struct AlarmFields {
    size_t check = 0, before = 0, beforeType = 0, soundType = 0, soundIndex = 0;
    TextField soundFile;
};

// Extended-alarm models keep the alarm as a mode.
struct AlarmModeFields {
    size_t holidayCheck = 0, alarmMode = 0, customTerm = 0, customType = 0;
};

// Schedule, important and private records.
struct ScheduleLayout {
    size_t index = 0, scheduleType = 0;
    TextField title, details;
    size_t startDate = 0, startTime = 0, endDate = 0, endTime = 0;
    TextField location;
    AlarmFields alarm;
    size_t repeatCheck = 0, repeatType = 0, every = 0, exceptWeekEnd = 0, weekSelect = 0, weekSelectCount = 0,
           everyByDate = 0, byDate = 0, byMonth = 0, everyMonth = 0, everyWeek = 0, everyWeekDay = 0, expiry = 0,
           expireDay = 0;
    std::optional<AlarmModeFields> mode;
    std::optional<size_t> repeatMode;
    std::optional<size_t> alarmDate, alarmTime;  // compact-repeat models
    size_t size = 0;

    static ScheduleLayout For(const OrganizerSettings& settings, const KindParameters& kind);
};

struct AnniversaryLayout {
    size_t index = 0;
    TextField text, details;
    size_t date = 0, alarmTime = 0, repeatCheck = 0;
    AlarmFields alarm;
    std::optional<AlarmModeFields> mode;
    std::optional<size_t> alarmDate;  // compact-repeat models
    std::optional<size_t> lunar;
    size_t size = 0;

    static AnniversaryLayout For(const OrganizerSettings& settings, const KindParameters& kind);
};

struct HolidayLayout {
    size_t index = 0;
    TextField title, details;
    size_t date = 0, repeatCheck = 0;
    std::optional<size_t> lunar;
    size_t size = 0;

    static HolidayLayout For(const OrganizerSettings& settings, const KindParameters& kind);
};

struct EventLayout {
    size_t address = 0;
    TextField text;
    size_t startDate = 0, endDate = 0;
    size_t size = 0;

    static EventLayout For(const KindParameters& kind);
};

struct TaskLayout {
    size_t index = 0, finished = 0;
    TextField title, details;
    size_t startDate = 0, dueDate = 0, alarmCheck = 0, alarmDate = 0, alarmTime = 0, soundType = 0, soundIndex = 0;
    TextField soundFile;
    size_t priority = 0, alarmMode = 0;
    size_t size = 0;

    static TaskLayout For(const OrganizerSettings& settings);
};

struct MemoLayout {
    size_t index = 0;
    TextField text;
    std::optional<size_t> saveTime;
    size_t size = 0;

    static MemoLayout For(const OrganizerSettings& settings);
};

}  // namespace kelvra
