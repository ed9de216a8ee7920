// Calendar, task and memo tests over the simulator, with the handset made as the model
// so that it refuses records of the wrong size.
#pragma once

#include <gtest/gtest.h>

#include "KelvraOrg.h"
#include "PhonebookTestSupport.h"

namespace kelvra::testing {

inline Variant DateTime(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    Variant date;
    date.Get().vt = VT_DATE;
    SystemTimeToVariantTime(&time, &date.Get().date);
    return date;
}

struct OrgHandset : Handset {
    explicit OrgHandset(int resource) : Handset(resource)
    {
        EXPECT_EQ(S_OK, connection->put_Model(resource));
    }
    // The record the handset keeps, or empty.
    std::string Record(uint32_t store, uint32_t index)
    {
        const std::string* record = Sim().FindRecord(store, index);
        return record ? *record : std::string();
    }
};

struct OrgCodec {
    OrgHandset handset;
    OrganizerSettings settings;
    CKelvraOrg codec;

    explicit OrgCodec(int resource)
        : handset(resource), settings(OrganizerSettings::Load(handset.device->Model())),
          codec(handset.device->Agent(), settings)
    {
    }
};

}  // namespace kelvra::testing
