#include "OrganizerStores.h"

namespace kelvra::sim {

namespace {

// Store numbers: 3 schedule, 4 memo, 5 task, 6 event, 7 anniversary, 40 important,
// 41 private, 42 holiday.
struct ModelStores {
    long model;
    size_t schedule, memo, task, event, anniversary, important, priv, holiday;
};

// Schedule-shaped (3, 40, 41): index 4, kind 1, title 45 and details 100 UTF-16
// characters, four times 4, location 45 characters, alarm 1+4+4, sound 1+2 and its
// file name, repetition 1+4+4+1, the weekday bytes (9, or 7 on the compact models),
// 1+4+4+4+4+4, expiry 1+4; the A290 adds 1+4+4+4+4, the A110 4+4.
// Anniversary (7): index 4, 45 and 100 characters, date 4, alarm 1+4+4+4, sound 1+2
// and file name, repeat 1; the A290 adds 1+4+4+4, the A110 4.
// Holiday (42): index 4, 45 and 100 characters, date 4, repeat 1.
// Memo (4): index 2 and the text's characters (60+2, 100+2 on the A290, 70+2 and
// a 4-byte save time on the A110). Task (5, A290 only): index 2, done 1, title 45+1
// and details 100+1 characters, 4+4, alarm 1+4+4, sound 1+2+257, priority 4, mode 4.
// Event (6, A110 only): address 4, 45+1 characters, 4+4.
const ModelStores kModels[] = {
    // A280, A150, A230, A260, A130: sound file names of 257 bytes.
    {202, 715, 126, 0, 0, 572, 715, 715, 299},
    {203, 715, 126, 0, 0, 572, 715, 715, 299},
    {208, 715, 126, 0, 0, 572, 715, 715, 299},
    {210, 715, 126, 0, 0, 572, 715, 715, 299},
    {212, 715, 126, 0, 0, 572, 715, 715, 299},
    // A290: alarm modes, no important, private or holiday store, a task store.
    {211, 732, 206, 582, 0, 585, 0, 0, 0},
    // A110: compact repetition, sound file names of 261 bytes, events, memo times.
    {218, 725, 150, 0, 104, 580, 0, 0, 0},
};

}  // namespace

size_t OrganizerRecordSize(long model, uint32_t store)
{
    for (const ModelStores& m : kModels) {
        if (m.model != model)
            continue;
        switch (store) {
        case 3: return m.schedule;
        case 4: return m.memo;
        case 5: return m.task;
        case 6: return m.event;
        case 7: return m.anniversary;
        case 40: return m.important;
        case 41: return m.priv;
        case 42: return m.holiday;
        default: return 0;
        }
    }
    return 0;
}

}  // namespace kelvra::sim
