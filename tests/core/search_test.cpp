// The search pass: text filters, list filters, their combination, the
// selection it leaves, and code lists read within the data.
#include <gtest/gtest.h>

#include "Fixture.h"
#include "Search.h"
#include "TestDir.h"

namespace karo::test {
namespace {

using Ids32 = std::vector<int32_t>;

// Runs a search on a fresh table of the six-provider directory.
class SixProviders : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildDirectory(dir_.File("data"), karo::test::SixProviders());
    OpenTable(&search_, dir_.File("data/"), "pseek");
  }
  Ids32 Find(const SearchFilter& filter) {
    const uint32_t found = RunSearch(search_, filter);
    EXPECT_EQ(found, search_.CurCount());
    return Ids(search_);
  }
  TestDir dir_;
  TfdbTable search_;
};

SearchFilter Text(std::string surname, std::string workplace, std::string municipality) {
  SearchFilter f;
  f.Surname = std::move(surname);
  f.Workplace = std::move(workplace);
  f.Municipality = std::move(municipality);
  return f;
}

TEST(SearchText, TrimsBytesUpToSpaceAtBothEnds) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"   ", ""},
      {"  bre ", "bre"},
      {"\t\x01nov\x1F\r\n", "nov"},
      {" a b ", "a b"},
      {"\x21x\x21", "\x21x\x21"},
      {"\xA0x\xA0", "\xA0x\xA0"},  // a no-break space is a character of its own
      {std::string(" ab\0cd ", 7), "ab"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(TrimFilterText(c.in), c.out);
  }
}

TEST_F(SixProviders, TextFiltersMatchTheBeginningUnderFolding) {
  const struct {
    const char* what;
    SearchFilter filter;
    Ids32 ids;
  } cases[] = {
      {"no filter: all, base order", {}, {1, 2, 3, 4, 5, 6}},
      {"spaces only are no filter", Text("   ", "\t", " \x01 "), {1, 2, 3, 4, 5, 6}},
      {"trimmed surname", Text("  nov ", "", ""), {1, 2}},
      {"control characters trimmed", Text("\t\x01NOV\x1F", "", ""), {1, 2}},
      {"longer surname", Text(W("nováková"), "", ""), {2}},
      {"diacritics and case ignored", Text("ST", "", ""), {5}},
      {"diacritics in the filter", Text(W("ŠŤ"), "", ""), {5}},
      {"bre: Břeclav, BŘECLAV, Brektov", Text("", "", W("  bre ")), {1, 2, 3}},
      {"filter longer than the field", Text("", "", "brnox"), {}},
      {"whole field", Text("", "", "brno"), {4, 5}},
      {"trailing space trimmed", Text("", "ordinace ", ""), {1, 5}},
      {"inner space counts", Text("", "ordinace n", ""), {1}},
      {"a prefix, not a substring", Text("", "ordinace z", ""), {}},
      {"three filters: AND", Text("n", "ordinace", "b"), {1}},
      {"nothing", Text("x", "", ""), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Find(c.filter), c.ids);
  }
}

SearchFilter Lists(std::vector<int> districts, std::vector<int> specialties, std::vector<int> categories,
                   std::vector<int> insurers, std::vector<int> languages, std::vector<int> facilityTypes) {
  SearchFilter f;
  f.Districts = std::move(districts);
  f.Specialties = std::move(specialties);
  f.Categories = std::move(categories);
  f.Insurers = std::move(insurers);
  f.Languages = std::move(languages);
  f.FacilityTypes = std::move(facilityTypes);
  return f;
}

TEST_F(SixProviders, ListFiltersOrWithinAndAcross) {
  SearchFilter all = Lists({1}, {2}, {2}, {2}, {1}, {2});
  all.Surname = "dvo";
  all.Workplace = "gyn";
  all.Municipality = "bre";
  SearchFilter textAndList = Lists({}, {}, {}, {}, {2}, {});
  textAndList.Surname = "b";
  const struct {
    const char* what;
    SearchFilter filter;
    Ids32 ids;
  } cases[] = {
      {"one district", Lists({0}, {}, {}, {}, {}, {}), {2, 4}},
      {"two districts widen", Lists({0, 1}, {}, {}, {}, {}, {}), {2, 3, 4}},
      {"two districts and one specialty", Lists({0, 1}, {1}, {}, {}, {}, {}), {2}},
      {"specialty anywhere in the list", Lists({}, {0}, {}, {}, {}, {}), {1, 3}},
      {"two specialties", Lists({}, {0, 3}, {}, {}, {}, {}), {1, 3, 4, 5}},
      {"category; an empty list never", Lists({}, {}, {0}, {}, {}, {}), {1, 3, 4}},
      {"insurer", Lists({}, {}, {}, {2}, {}, {}), {3, 6}},
      {"language", Lists({}, {}, {}, {}, {0}, {}), {1, 4}},
      {"every language: empty lists still never", Lists({}, {}, {}, {}, {0, 1, 2}, {}), {1, 3, 4, 6}},
      {"facility type", Lists({}, {}, {}, {}, {}, {2}), {3, 6}},
      {"two facility types", Lists({}, {}, {}, {}, {}, {0, 1}), {1, 2, 4, 5}},
      {"list and text", textAndList, {6}},
      {"every filter at once", all, {3}},
      {"district and facility type exclude", Lists({3}, {}, {}, {}, {}, {2}), {}},
      {"a position without an item", Lists({}, {}, {}, {}, {}, {200}), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Find(c.filter), c.ids);
  }
}

TEST_F(SixProviders, ResultIsTheCurrentSelectionInBaseOrder) {
  // A sorted earlier result is forgotten: base order, not sorted.
  EXPECT_EQ(RunSearch(search_, {}), 6u);
  search_.Sort(search_.FieldIndex("jmeno"));
  EXPECT_EQ(Ids(search_), (Ids32{6, 4, 3, 1, 2, 5}));
  EXPECT_EQ(RunSearch(search_, Text("", "", "b")), 5u);
  EXPECT_EQ(search_.SortField, kFdbNotSorted);
  EXPECT_EQ(Ids(search_), (Ids32{1, 2, 3, 4, 5}));
  // A search that finds nothing leaves an empty current order, not the base order.
  EXPECT_EQ(RunSearch(search_, Text("q", "", "")), 0u);
  EXPECT_EQ(search_.CurCount(), 0u);
  EXPECT_EQ(search_.SelCount, 0);
  // The table's record count is what the status bar puts beside it.
  EXPECT_EQ(StatusText(search_.CurCount(), search_.RecCount), "0 / 6 z\xE1znam\xF9");
}

TEST_F(SixProviders, WorksWithAndWithoutABegunSelection) {
  TfdbTable fresh;  // no selection begun
  OpenTable(&fresh, dir_.File("data/"), "pseek");
  EXPECT_EQ(RunSearch(fresh, Text("", "", "brno")), 2u);
  EXPECT_EQ(Ids(fresh), (Ids32{4, 5}));
  ASSERT_EQ(search_.BeginSelection(), 0);
  EXPECT_EQ(search_.CurCount(), 6u);  // base order current after BeginSelection
  EXPECT_EQ(RunSearch(search_, Text("", "", "brno")), 2u);
  EXPECT_EQ(Ids(search_), (Ids32{4, 5}));
  ClearResult(fresh);
  EXPECT_EQ(fresh.CurCount(), 0u);
  EXPECT_EQ(fresh.RecCount, 6u);
}

TEST(SearchTable, EmptyOrMissingTableFindsNothing) {
  TfdbTable closed;
  EXPECT_EQ(RunSearch(closed, {}), 0u);
  EXPECT_EQ(closed.CurCount(), 0u);
  TestDir dir;
  WriteTable(dir, "pseek", SearchFieldsWide(1), {});
  TfdbTable empty;
  OpenTable(&empty, dir.Path(), "pseek");
  EXPECT_EQ(RunSearch(empty, Text("a", "", "")), 0u);
  EXPECT_EQ(StatusText(0, empty.RecCount), "0 / 0 z\xE1znam\xF9");
}

TEST(SearchTable, StatusText) {
  EXPECT_EQ(StatusText(37, 1200), "37 / 1200 z\xE1znam\xF9");
  EXPECT_EQ(StatusText(5000000, 5000000), "5000000 / 5000000 z\xE1znam\xF9");
}

const std::string kEnd = "\xFF";
const std::string kWideEnd("\xFF\x00", 2);
std::string Wide(std::initializer_list<unsigned> codes) {
  std::string s;
  for (const unsigned c : codes) s += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return s + kWideEnd;
}

TEST(SearchCodes, DistrictAndFacilityCodesAbove255NeverMatch) {
  TestDir dir;
  WriteTable(dir, "pseek", SearchFieldsWide(2),
             {SearchRecord(1, 2, "a", 0, 256, kEnd, kEnd, kWideEnd, kEnd),
              SearchRecord(2, 2, "b", 256, 0, kEnd, kEnd, kWideEnd, kEnd),
              SearchRecord(3, 2, "c", 255, 255, kEnd, kEnd, kWideEnd, kEnd),
              SearchRecord(4, 2, "d", 1, 257, kEnd, kEnd, kWideEnd, kEnd),
              SearchRecord(5, 2, "e", 257, 1, kEnd, kEnd, kWideEnd, kEnd)});
  TfdbTable t;
  OpenTable(&t, dir.Path(), "pseek");
  const struct {
    const char* what;
    std::vector<int> districts, facilityTypes;
    Ids32 ids;
  } cases[] = {
      {"district 0, not 256", {0}, {}, {1}},
      {"district 1, not 257", {1}, {}, {4}},
      {"district 255 is a code", {255}, {}, {3}},
      {"position 256 matches nothing", {256}, {}, {}},
      {"facility type 0, not 256", {}, {0}, {2}},
      {"facility type 1, not 257", {}, {1}, {5}},
      {"position 257 matches nothing", {}, {257}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SearchFilter f;
    f.Districts = c.districts;
    f.FacilityTypes = c.facilityTypes;
    RunSearch(t, f);
    EXPECT_EQ(Ids(t), c.ids);
  }
}

TEST(SearchCodes, SpecialtiesAreSixteenBitCodes) {
  TestDir dir;
  WriteTable(dir, "pseek", SearchFieldsWide(1),
             {SearchRecord(1, 2, "a", 0, 0, kEnd, kEnd, Wide({300}), kEnd),
              SearchRecord(2, 2, "b", 0, 0, kEnd, kEnd, Wide({44}), kEnd),
              SearchRecord(3, 2, "c", 0, 0, kEnd, kEnd, Wide({256, 1}), kEnd),
              SearchRecord(4, 2, "d", 0, 0, kEnd, kEnd, Wide({7, 65535}), kEnd),
              SearchRecord(5, 2, "e", 0, 0, kEnd, kEnd, Wide({2, 255, 300}), kEnd),  // 300 after the end
              SearchRecord(6, 2, "f", 0, 0, kEnd, kEnd, kWideEnd, kEnd)});
  TfdbTable t;
  OpenTable(&t, dir.Path(), "pseek");
  const struct {
    const char* what;
    std::vector<int> specialties;
    Ids32 ids;
  } cases[] = {
      {"300, not its low byte 44", {300}, {1}},
      {"44, not 300", {44}, {2}},
      {"256, not 0", {256}, {3}},
      {"1 after 256", {1}, {3}},
      {"0 is nobody's", {0}, {}},
      {"65535", {65535}, {4}},
      {"positions are whole numbers: 300 + 65536 is not 300", {300 + 65536}, {}},
      {"negative position", {-1}, {}},
      {"the end value is never compared", {255}, {}},
      {"before the end value", {2}, {5}},
      {"several", {44, 7, 2}, {2, 4, 5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SearchFilter f;
    f.Specialties = c.specialties;
    RunSearch(t, f);
    EXPECT_EQ(Ids(t), c.ids);
  }
}

TEST(SearchCodes, ByteListsStopAtTheEndMarkAndAtTheDataEnd) {
  // The last record's category list is the last value of the data and has no
  // end mark; the zero padding after the data must not read as code 0.
  TestDir dir;
  WriteTable(dir, "pseek", SearchFieldsWide(1),
             {SearchRecord(1, 2, "a", 0, 0, "\x03\x04" + kEnd, "\x01" + kEnd, Wide({5}), std::string("\x02\xFF\x00\xFF", 4)),
              SearchRecord(2, 2, "b", 0, 0, kEnd, kEnd, kWideEnd, kEnd),
              SearchRecord(3, 2, "c", 0, 0, "\x04" + kEnd, std::string("\x00\x01\xFF", 3), Wide({6}), "\x07\x08")});
  TfdbTable t;
  OpenTable(&t, dir.Path(), "pseek");
  const struct {
    const char* what;
    std::vector<int> categories, languages, insurers;
    Ids32 ids;
  } cases[] = {
      {"category 2", {2}, {}, {}, {1}},
      {"category 0 only after an end mark", {0}, {}, {}, {}},
      {"category 8 before the data end", {8}, {}, {}, {3}},
      {"category 255 is the end mark", {255}, {}, {}, {}},
      {"language 4 in two lists", {}, {4}, {}, {1, 3}},
      {"insurer 0", {}, {}, {0}, {3}},
      {"insurer 1 or 0", {}, {}, {1, 0}, {1, 3}},
      {"position 256 matches nothing", {}, {}, {256}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SearchFilter f;
    f.Categories = c.categories;
    f.Languages = c.languages;
    f.Insurers = c.insurers;
    RunSearch(t, f);
    EXPECT_EQ(Ids(t), c.ids);
  }
}

TEST(SearchCodes, WideListWithoutEndStopsAtTheDataEnd) {
  // The categories inline, so that the specialty list is the last value of
  // the data: one whole code, then a lone byte, then only the zero padding.
  std::vector<FieldSpec> fields = SearchFieldsWide(1);
  fields[12] = {"rubriky", 'C', 4};
  std::vector<FieldValue> record =
      SearchRecord(1, 2, "a", 0, 0, kEnd, kEnd, std::string("\x09\x00\x04", 3), "");
  record[12] = FieldValue::Text(kEnd);
  TestDir dir;
  WriteTable(dir, "pseek", fields, {record});
  TfdbTable t;
  OpenTable(&t, dir.Path(), "pseek");
  for (const int code : {9, 4, 0}) {
    SCOPED_TRACE(code);
    SearchFilter f;
    f.Specialties = {code};
    RunSearch(t, f);
    EXPECT_EQ(Ids(t), code == 9 ? Ids32{1} : Ids32{});
  }
}

TEST(SearchCodes, UnreadableFieldsMatchNothing) {
  // A search table of three fields: the text and code reads all fail.
  TestDir dir;
  WriteTable(dir, "pseek", {{"id", 'N', 4}, {"uroven", 'N', 1}, {"jmeno", 'T', 0}},
             {{FieldValue::Number(1), FieldValue::Number(2), FieldValue::Text("Fdb")}});
  TfdbTable t;
  OpenTable(&t, dir.Path(), "pseek");
  const struct {
    const char* what;
    SearchFilter filter;
    Ids32 ids;
  } cases[] = {
      {"surname readable", Text("fdb", "", ""), {1}},
      {"workplace reads as FDB_EOF, which is no workplace", Text("", "fdb", ""), {}},
      {"municipality likewise", Text("", "", "f"), {}},
      {"district", Lists({0}, {}, {}, {}, {}, {}), {}},
      {"specialty", Lists({}, {0}, {}, {}, {}, {}), {}},
      {"language", Lists({}, {}, {}, {}, {0}, {}), {}},
      {"no filter", {}, {1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RunSearch(t, c.filter);
    EXPECT_EQ(Ids(t), c.ids);
  }
}

TEST(SearchCodes, NumericCodeListFieldsAreNotReadAsBytes) {
  // Fields 9 to 12 as numbers: their text would be digits, not codes.
  std::vector<FieldSpec> fields = SearchFieldsWide(1);
  for (int f = 9; f <= 12; ++f) fields[static_cast<size_t>(f)] = {fields[static_cast<size_t>(f)].Name, 'N', 1};
  std::vector<FieldValue> record = SearchRecord(1, 2, "a", 0, 0, "", "", "", "");
  for (int f = 9; f <= 12; ++f) record[static_cast<size_t>(f)] = FieldValue::Number(0x30);
  TestDir dir;
  WriteTable(dir, "pseek", fields, {record});
  TfdbTable t;
  OpenTable(&t, dir.Path(), "pseek");
  for (const int code : {int{'4'}, int{'8'}, 0x30}) {  // GetStr gives "48"
    SCOPED_TRACE(code);
    RunSearch(t, Lists({}, {}, {code}, {code}, {}, {}));
    EXPECT_EQ(t.CurCount(), 0u);
    RunSearch(t, Lists({}, {}, {}, {}, {code}, {}));
    EXPECT_EQ(t.CurCount(), 0u);
  }
}

}  // namespace
}  // namespace karo::test

namespace karo::test {
namespace {

TEST(ListCodes, ReadsUpToTheEndMarkAndStaysInsideTheData) {
  TestDir dir;
  WriteTable(dir, "t", {{"bytes", 'T', 0}, {"wide", 'T', 0}},
             {{FieldValue::Raw(std::string("\x03\x01\xFF\x07", 4)), FieldValue::Raw(std::string("\x00\x01\x02\x00\xFF\x00", 6))},
              {FieldValue::Raw("\xFF"), FieldValue::Raw(std::string("\x04\x00\x05", 3))}});  // last: no end mark
  TfdbTable t;
  t.Dir = dir.Path();
  ASSERT_EQ(t.Open("t"), 0);
  EXPECT_EQ(ListCodes(t, t.GetStr(0, 0), false), (std::vector<int>{3, 1}));
  EXPECT_EQ(ListCodes(t, t.GetStr(0, 0), false, 1), (std::vector<int>{3}));
  EXPECT_EQ(ListCodes(t, t.GetStr(0, 1), true), (std::vector<int>{256, 2}));
  EXPECT_EQ(ListCodes(t, t.GetStr(1, 0), false), std::vector<int>{});
  EXPECT_EQ(ListCodes(t, t.GetStr(1, 1), true), (std::vector<int>{4}));  // the odd byte at the end is not read
  EXPECT_EQ(ListCodes(t, t.GetStr(5, 0), false), std::vector<int>{});    // "FDB_EOF" is not a list
  EXPECT_EQ(ListCodes(t, "abc", false), std::vector<int>{});
}

}  // namespace
}  // namespace karo::test
