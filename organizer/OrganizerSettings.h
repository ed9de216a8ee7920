// What the connected model's profile says about its calendar, task and memo stores,
// read once when a table is initialised and kept by that table.
#pragma once

#include <array>
#include <cstdint>

#include "ModelName.h"
#include "ModelProfile.h"

namespace kelvra {

// The six kinds of calendar record; the kind is also the SUID's ten-thousands digit.
enum class OrgKind { Schedule = 0, Anniversary = 1, Holiday = 2, Important = 3, Private = 4, Event = 5 };
constexpr int kOrgKindCount = 6;

// How one kind's records are kept on the handset.
struct KindParameters {
    uint32_t store = 0;
    bool present = false;
    LONG startIndex = 0;
    LONG maxCount = 0;
    FieldLength title, detail, location, soundFile;
};

struct OrganizerSettings {
    ModelName model;
    std::array<KindParameters, kOrgKindCount> kinds;
    bool taskPresent = false;
    LONG taskMax = 0;
    FieldLength taskTitle, taskDetail, taskSoundFile;
    bool memoPresent = false;
    LONG memoMax = 0;
    FieldLength memoText;

    static OrganizerSettings Load(const ModelProfile& profile);

    // The model families; every list names whole model names, matched exactly.
    bool Lunar() const;
    bool ExtendedAlarm() const;   // alarms as AlarmMode, repetition as RepeatMode
    bool CompactRepeat() const;   // 7 weekday bytes and an absolute alarm date
    bool ZeroType() const;        // a schedule's TYPE reads "0" rather than "5"
    bool MemoTime() const;        // memos carry the time they were saved

    const KindParameters& Kind(OrgKind kind) const { return kinds[static_cast<size_t>(kind)]; }
};

// The store number a kind's records use on the wire.
uint32_t StoreOfKind(OrgKind kind);

}  // namespace kelvra
