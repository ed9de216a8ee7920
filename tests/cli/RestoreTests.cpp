// A backup's item lines and how restore pairs them with what a handset holds, without a
// handset: every column comes back with its VARTYPE and the very same value, and a
// handset item stands for one backed-up item at most.
#include <gtest/gtest.h>

#include "ComFailure.h"
#include "HeldItems.h"
#include "ItemRecord.h"

using namespace kelvra;
using namespace kelvra::host;

namespace {

Variant Typed(VARTYPE type, double number)
{
    Variant value;
    value.Get().vt = type;
    switch (type) {
    case VT_DATE: value.Get().date = number; break;
    case VT_I4: value.Get().lVal = static_cast<LONG>(number); break;
    case VT_UI2: value.Get().uiVal = static_cast<USHORT>(number); break;
    case VT_BOOL: value.Get().boolVal = number ? VARIANT_TRUE : VARIANT_FALSE; break;
    default: break;
    }
    return value;
}

ItemRecord ReadBack(const ItemRecord& record)
{
    return ItemRecord::FromJson(JsonValue::Parse(record.ToJsonLine()));
}

}  // namespace

TEST(ItemRecord, WritesOneLineAPersonCanRead)
{
    ItemRecord record;
    record.suid = 7;
    record.type = QELDT_GROUP;
    record.columns.push_back({L"NAME", Variant::FromText(L"Family \"A\"")});
    record.columns.push_back({L"RINGTON", Typed(VT_I4, -2)});
    record.columns.push_back({L"TEL_DIAL_0", Typed(VT_NULL, 0)});
    EXPECT_EQ("{\"suid\": 7, \"type\": 3, \"columns\": [{\"name\": \"NAME\", \"vt\": 8, \"value\": \"Family \\\"A\\\"\"}, "
              "{\"name\": \"RINGTON\", \"vt\": 3, \"value\": -2}, {\"name\": \"TEL_DIAL_0\", \"vt\": 1, \"value\": null}]}",
              record.ToJsonLine());
}

TEST(ItemRecord, EveryValueComesBackWithItsTypeAndBits)
{
    ItemRecord record;
    record.suid = 20003;
    record.type = QELDT_SCHEDULE;
    record.picture = "pictures/20003/face.bmp";
    // A text as a handset may give it: a lone surrogate, a NUL, Korean and a character
    // beyond the BMP; a date with seconds that no decimal text of few digits holds.
    const std::wstring text(L"\xD800 a\0b \uD68C\U0001F600", 8);
    record.columns.push_back({L"SUBJECT", Variant::FromText(text)});
    record.columns.push_back({L"START_DATE", Typed(VT_DATE, 46364.39583333333 + 1.0 / 86400)});
    record.columns.push_back({L"ALARM_VALUE", Typed(VT_UI2, 65535)});
    record.columns.push_back({L"DONE", Typed(VT_BOOL, 1)});
    record.columns.push_back({L"UNSET", Typed(VT_EMPTY, 0)});
    ItemRecord back = ReadBack(record);
    EXPECT_EQ(20003, back.suid);
    EXPECT_EQ(QELDT_SCHEDULE, back.type);
    EXPECT_EQ(record.picture, back.picture);
    ASSERT_EQ(record.columns.size(), back.columns.size());
    for (size_t i = 0; i < record.columns.size(); ++i) {
        EXPECT_EQ(record.columns[i].name, back.columns[i].name);
        EXPECT_EQ(record.columns[i].value.Type(), back.columns[i].value.Type()) << i;
    }
    const VARIANT& subject = back.columns[0].value.Get();
    EXPECT_EQ(text, std::wstring(subject.bstrVal, SysStringLen(subject.bstrVal)));
    EXPECT_EQ(record.columns[1].value.Get().date, back.columns[1].value.Get().date);
    EXPECT_EQ(65535, back.columns[2].value.Get().uiVal);
    EXPECT_EQ(VARIANT_TRUE, back.columns[3].value.Get().boolVal);
}

TEST(ItemRecord, RefusesLinesThatAreNoItem)
{
    for (const char* line : {
             "{\"suid\": -1, \"type\": 0, \"columns\": []}",
             "{\"suid\": 1, \"type\": 0}",
             "{\"suid\": 1, \"type\": 0, \"columns\": [{\"name\": \"A\", \"vt\": 8, \"value\": 3}]}",
             "{\"suid\": 1, \"type\": 0, \"columns\": [{\"name\": \"A\", \"vt\": 3, \"value\": \"x\"}]}",
             "{\"suid\": 1, \"type\": 0, \"columns\": [{\"name\": \"A\", \"vt\": 3, \"value\": 1.5}]}",
             "{\"suid\": 1, \"type\": 0, \"columns\": [{\"name\": \"A\", \"vt\": 2, \"value\": 70000}]}",
             "{\"suid\": 1, \"type\": 0, \"columns\": [{\"name\": \"A\", \"vt\": 1, \"value\": 0}]}",
         })
        EXPECT_THROW(ItemRecord::FromJson(JsonValue::Parse(line)), InputError) << line;
    EXPECT_THROW(ReadItemRecords("{\"suid\": 1, \"type\": 0, \"columns\": []}\n{\"suid\": 2,"), InputError);
    EXPECT_EQ(2u, ReadItemRecords("{\"suid\": 1, \"type\": 0, \"columns\": []}\n\n"
                                  "{\"suid\": 2, \"type\": 0, \"columns\": []}\n").size());
}

TEST(HeldItems, PairsEachHandsetItemWithOneBackedUpItem)
{
    ItemContent kim = {{L"FIRST_NAME", L"Minji"}, {L"TEL_NUM_0", L"01023456789"}};
    ItemContent lee = {{L"FIRST_NAME", L"Seoyeon"}};
    // Two equal contacts in the backup and one on the handset: one of them is missing.
    EXPECT_EQ((std::vector<bool>{true, false, true}), HeldOnHandset({kim, kim, lee}, {lee, kim}, false));
    // Where an item lies is no part of what it holds.
    std::vector<NamedValue> columns;
    columns.push_back({L"SUID", Variant::FromInt(4)});
    columns.push_back({L"FIRST_NAME", Variant::FromText(L"Seoyeon")});
    columns.push_back({L"NOTES", Variant::FromText(L"")});
    columns.push_back({L"TEL_NUM_3", Variant()});  // a number the model does not carry
    columns.push_back({L"LAST_NAME", Variant::FromText(L"")});  // an empty one it carries
    ItemContent carried = lee;
    carried[L"LAST_NAME"] = L"";
    EXPECT_EQ(carried, ContentOf(columns));
}

TEST(HeldItems, AnotherModelsCutTextHoldsTheLongerOneOnlyWhenNothingEqualDoes)
{
    ItemContent cut = {{L"SUBJECT", L"Dentist appointm"}};  // 16 characters, as a field cuts it
    ItemContent whole = {{L"SUBJECT", L"Dentist appointment at the clinic"}};
    // Onto the same model, a beginning is another item.
    EXPECT_EQ((std::vector<bool>{false}), HeldOnHandset({whole}, {cut}, false));
    EXPECT_EQ((std::vector<bool>{true}), HeldOnHandset({whole}, {cut}, true));
    // The cut one is held as it is, so the handset's one is not the other's cut.
    EXPECT_EQ((std::vector<bool>{false, true}), HeldOnHandset({whole, cut}, {cut}, true));
    // A short value that begins another one is another value: no field is that short.
    EXPECT_EQ((std::vector<bool>{false}),
              HeldOnHandset({{{L"SUBJECT", L"Birthday 93"}}}, {{{L"SUBJECT", L"Birthday 9"}}}, true));
}

TEST(HeldItems, AnotherModelHoldsAnItemByWhatItsModelCarries)
{
    // A kind or type the model maps to its own does not hold the item apart; its names,
    // numbers as dialled, titles and times do, as far as the model carries them.
    ItemContent trip = {{L"SUBJECT", L"Ski trip with the whole family"}, {L"LOCATION", L"Alps"},
                        {L"TYPE", L"0"}, {L"START_DATE", L"2027-03-01"}};
    EXPECT_EQ((std::vector<bool>{true}),
              HeldOnHandset({trip}, {{{L"SUBJECT", L"Ski trip with th"}, {L"TYPE", L"5"}, {L"START_DATE", L"2027-03-01"}}},
                            true));
    EXPECT_EQ((std::vector<bool>{false}),
              HeldOnHandset({trip}, {{{L"SUBJECT", L"Ski trip with th"}, {L"START_DATE", L"2027-03-02"}}}, true));
    EXPECT_EQ((std::vector<bool>{false}), HeldOnHandset({trip}, {{{L"TYPE", L"0"}}}, true));
    ItemContent john = {{L"FIRST_NAME", L"John"}, {L"LAST_NAME", L"Smith"}, {L"TEL_NUM_0", L"010-2345-6789"},
                        {L"TEL_NUM_3", L"0104"}};
    // A model of three numbers carries no fourth; an empty last name it carries is one.
    EXPECT_EQ((std::vector<bool>{true}),
              HeldOnHandset({john}, {{{L"FIRST_NAME", L"John"}, {L"LAST_NAME", L"Smith"}, {L"TEL_NUM_0", L"01023456789"}}},
                            true));
    EXPECT_EQ((std::vector<bool>{false}),
              HeldOnHandset({john}, {{{L"FIRST_NAME", L"Jo"}, {L"LAST_NAME", L""}, {L"TEL_NUM_0", L""}}}, true));
}
