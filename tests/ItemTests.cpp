// Items and their column catalogues, as the host and the tables use them.
#include <gtest/gtest.h>

#include "ColumnsKelvra.h"
#include "Errors.h"
#include "ItemKelvraBase.h"
#include "TestEnvironment.h"

using namespace kelvra;

namespace {

const ColumnDefinition kTestColumns[] = {
    {L"SUID", VT_I4}, {L"NAME", VT_BSTR}, {L"BIRTHDAY", VT_DATE}, {L"COUNT", VT_I4},
};

class TestItem : public CItemKelvraBase {
public:
    QELDATATYPE Type() const override { return QELDT_PHONEBOOK; }
};

ComPtr<TestItem> MakeTiedItem()
{
    auto item = CItemKelvraBase::MakeItem<TestItem>();
    item->SetColumns(MakeColumns(kTestColumns).Get());
    return item;
}

Variant Text(const wchar_t* text)
{
    return Variant::FromText(text);
}

}  // namespace

TEST(Item, ColumnOperationsNeedACatalogue)
{
    auto item = CItemKelvraBase::MakeItem<TestItem>();
    ULONG count = 7, ordinal = 7;
    LONG found = 7;
    Bstr name;
    Variant value;
    EXPECT_EQ(E_POINTER, item->GetColumnCount(&count));
    EXPECT_EQ(E_POINTER, item->GetColumnName(0, name.Out()));
    EXPECT_EQ(E_POINTER, item->GetOrdinal(Bstr(L"SUID").Get(), &ordinal, &found));
    EXPECT_EQ(E_POINTER, item->GetValue(0, value.Out()));
    EXPECT_EQ(E_POINTER, item->SetValue(0, Text(L"x").Get()));
    ColumnMap map;
    EXPECT_EQ(S_OK, item->SchemaConvertItem2Map(map));
    EXPECT_TRUE(map.empty());
}

TEST(Item, NamesTypesAndOrdinalsComeFromTheCatalogue)
{
    auto item = MakeTiedItem();
    ULONG count = 0;
    ASSERT_EQ(S_OK, item->GetColumnCount(&count));
    EXPECT_EQ(4u, count);

    Bstr name;
    EXPECT_EQ(S_OK, item->GetColumnName(2, name.Out()));
    EXPECT_EQ(L"BIRTHDAY", name.Str());
    EXPECT_EQ(E_FAIL, item->GetColumnName(4, name.Out()));
    USHORT type = 0;
    EXPECT_EQ(S_OK, item->GetColumnType(2, &type));
    EXPECT_EQ(VT_DATE, type);
    EXPECT_EQ(E_FAIL, item->GetColumnType(4, &type));

    ULONG ordinal = 9;
    LONG found = 9;
    EXPECT_EQ(S_OK, item->GetOrdinal(Bstr(L"suid").Get(), &ordinal, &found));
    EXPECT_EQ(0u, ordinal);
    EXPECT_EQ(0, found);
    EXPECT_EQ(S_OK, item->GetOrdinal(Bstr(L"SUID").Get(), &ordinal, &found));
    EXPECT_EQ(0u, ordinal);
    EXPECT_EQ(1, found);
    EXPECT_EQ(S_OK, item->GetOrdinal(Bstr(L"COUNT").Get(), &ordinal, &found));
    EXPECT_EQ(3u, ordinal);
    EXPECT_EQ(1, found);
}

TEST(Item, ValuesAreKeptAsGivenAndAnIndexPastTheEndMeansColumnZero)
{
    auto item = MakeTiedItem();
    Variant value;
    ASSERT_EQ(S_OK, item->GetValue(1, value.Out()));
    EXPECT_EQ(VT_EMPTY, value.Type());

    // No conversion on the way in: a number in a text column stays a number.
    ASSERT_EQ(S_OK, item->SetValue(1, Variant::FromInt(5).Get()));
    ASSERT_EQ(S_OK, item->GetValue(1, value.Out()));
    EXPECT_EQ(VT_I4, value.Type());

    ASSERT_EQ(S_OK, item->SetValue(4, Variant::FromInt(77).Get()));
    ASSERT_EQ(S_OK, item->GetValue(0, value.Out()));
    EXPECT_EQ(77, value.Get().lVal);
    ASSERT_EQ(S_OK, item->GetValue(1000, value.Out()));
    EXPECT_EQ(77, value.Get().lVal);
}

TEST(Item, CopiesIntoAMapWithTheColumnTypesWhereTheyConvert)
{
    auto item = MakeTiedItem();
    item->SetValue(1, Text(L"Ada").Get());
    item->SetValue(2, Text(L"1990-05-17").Get());
    item->SetValue(3, Text(L"12").Get());
    ColumnMap map;
    map.SetText(L"EXTRA", L"kept");
    ASSERT_EQ(S_OK, item->SchemaConvertItem2Map(map));

    EXPECT_EQ(VT_EMPTY, map.at(L"SUID").Type());
    EXPECT_EQ(L"Ada", map.Text(L"NAME"));
    ASSERT_EQ(VT_DATE, map.at(L"BIRTHDAY").Type());
    SYSTEMTIME date = {};
    VariantTimeToSystemTime(map.at(L"BIRTHDAY").Get().date, &date);
    EXPECT_EQ(1990, date.wYear);
    EXPECT_EQ(5, date.wMonth);
    EXPECT_EQ(17, date.wDay);
    EXPECT_EQ(VT_I4, map.at(L"COUNT").Type());
    EXPECT_EQ(12, map.at(L"COUNT").Get().lVal);
    EXPECT_EQ(L"kept", map.Text(L"EXTRA"));

    // A text that is no date goes on unchanged.
    item->SetValue(2, Text(L"someday").Get());
    ASSERT_EQ(S_OK, item->SchemaConvertItem2Map(map));
    EXPECT_EQ(VT_BSTR, map.at(L"BIRTHDAY").Type());
    EXPECT_EQ(L"someday", map.Text(L"BIRTHDAY"));
}

TEST(Item, FillsFromAMapAndTakesItsSuidAsANumber)
{
    auto item = MakeTiedItem();
    item->SetSuid(40, 0);
    item->SetValue(3, Variant::FromInt(9).Get());

    ColumnMap map;
    map.SetText(L"NAME", L"Grace");
    map.SetText(L"NOT_A_COLUMN", L"skipped");
    ASSERT_EQ(S_OK, item->SchemaConvertMap2Item(map));
    SUID suid = 0;
    item->get_SUID(&suid);
    EXPECT_EQ(40, suid);  // no "SUID" in the map
    Variant value;
    item->GetValue(3, value.Out());
    EXPECT_EQ(VT_EMPTY, value.Type());  // every column is emptied first

    map.SetText(L"SUID", L"12");
    ASSERT_EQ(S_OK, item->SchemaConvertMap2Item(map));
    item->get_SUID(&suid);
    EXPECT_EQ(12, suid);

    map.SetText(L"SUID", L"twelve");
    EXPECT_THROW(item->SchemaConvertMap2Item(map), _com_error);
}

TEST(Item, OffersNoColumnInformationStatusOrBlobs)
{
    auto item = MakeTiedItem();
    IColumnInfo* info = nullptr;
    ULONG number = 0;
    SUID parent = 0;
    EXPECT_EQ(E_NOTIMPL, item->GetColumnInfo(0, &info));
    EXPECT_EQ(E_NOTIMPL, item->GetColumnFlags(0, &number));
    EXPECT_EQ(E_NOTIMPL, item->GetLength(0, &number));
    EXPECT_EQ(E_NOTIMPL, item->GetStatus(0, &number));
    EXPECT_EQ(E_NOTIMPL, item->SetStatus(0, 1));
    EXPECT_EQ(E_NOTIMPL, item->get_parent(&parent));
    EXPECT_EQ(E_NOTIMPL, item->ReadBlobTo(0, nullptr));
    EXPECT_EQ(E_NOTIMPL, item->WriteBlobFrom(0, nullptr));
    EXPECT_EQ(S_OK, item->InterfaceSupportsErrorInfo(IID_IItem));
    EXPECT_EQ(S_FALSE, item->InterfaceSupportsErrorInfo(IID_IDataTable));
}

TEST(Columns, ALaterDuplicateNameTakesTheIndex)
{
    const ColumnDefinition columns[] = {{L"A", VT_BSTR}, {L"B", VT_I4}, {L"A", VT_DATE}};
    auto catalogue = MakeColumns(columns);
    ULONG ordinal = 0;
    ASSERT_TRUE(catalogue->Find(L"A", ordinal));
    EXPECT_EQ(2u, ordinal);
    EXPECT_EQ(3u, catalogue->Count());
    EXPECT_FALSE(catalogue->Find(L"a", ordinal));
}

TEST(Item, ScriptsGetTheOrdinalByNameAlone)
{
    auto item = MakeTiedItem();
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, item->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.GetAddressOf())));
    auto ordinalOf = [&](const wchar_t* name) {
        Variant argument = Variant::FromText(name);
        DISPPARAMS params = {&argument.Get(), nullptr, 1, 0};
        Variant result;
        EXPECT_EQ(S_OK, dispatch->Invoke(10, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.Out(),
                                         nullptr, nullptr));
        return result.Get().lVal;
    };
    EXPECT_EQ(3, ordinalOf(L"COUNT"));
    EXPECT_EQ(-1, ordinalOf(L"count"));
}
