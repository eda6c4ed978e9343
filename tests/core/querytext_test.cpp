// The query description, byte for byte.
#include <gtest/gtest.h>

#include "QueryText.h"
#include "TestDir.h"

namespace karo::test {
namespace {

using Lines = std::vector<std::string>;

// Windows-1250 of each UTF-8 line.
Lines Cp(const Lines& utf8) {
  Lines out;
  for (const std::string& line : utf8) out.push_back(W(line));
  return out;
}

QueryTexts Typed(std::string surname, std::string workplace, std::string municipality) {
  QueryTexts q;
  q.Surname = W(surname);
  q.Workplace = W(workplace);
  q.Municipality = W(municipality);
  return q;
}

TEST(QueryText, ExamplesLineByLine) {
  QueryTexts example = Typed("Nov", "", "Brno");
  example.Districts = {W("Brno-město"), W("Brno-venkov")};
  QueryTexts lists;
  lists.Districts = {W("Praha")};
  lists.Specialties = {W("Interna"), W("Zubní lékař")};
  lists.Categories = {W("Gynekologie")};
  lists.Insurers = {W("Vojenská zdravotní pojišťovna")};
  lists.Languages = {W("angličtina"), W("ruština")};
  lists.FacilityTypes = {W("Nemocnice")};
  QueryTexts onlyLanguage;
  onlyLanguage.Languages = {W("němčina")};
  const struct {
    const char* what;
    QueryTexts query;
    Lines lines;  // UTF-8
  } cases[] = {
      {"the example: nine lines",
       example,
       {"Vybráni budou všichni poskytovatelé", "", "jejichž jméno začíná na ", "     Nov", "a obec začíná na ",
        "     Brno", "v okresech", "     Brno-město", "     Brno-venkov"}},
      {"no filter", {}, {"Vybráni budou všichni poskytovatelé", ""}},
      {"only a workplace: jejichž",
       Typed("", "Zubní", ""),
       {"Vybráni budou všichni poskytovatelé", "", "jejichž pracoviště začíná na ", "     Zubní"}},
      {"only a municipality: jejichž",
       Typed("", "", "Břeclav"),
       {"Vybráni budou všichni poskytovatelé", "", "jejichž obec začíná na ", "     Břeclav"}},
      {"surname and workplace: a",
       Typed("Nov", "Ord", ""),
       {"Vybráni budou všichni poskytovatelé", "", "jejichž jméno začíná na ", "     Nov",
        "a pracoviště začíná na ", "     Ord"}},
      {"workplace and municipality: a",
       Typed("", "Ord", "Brno"),
       {"Vybráni budou všichni poskytovatelé", "", "jejichž pracoviště začíná na ", "     Ord",
        "a obec začíná na ", "     Brno"}},
      {"spaces count and are kept as typed",
       Typed("  ", " nov ", ""),
       {"Vybráni budou všichni poskytovatelé", "", "jejichž jméno začíná na ", "       ",
        "a pracoviště začíná na ", "      nov "}},
      {"the six lists in their order, items as given",
       lists,
       {"Vybráni budou všichni poskytovatelé", "", "v okresech", "     Praha", "z oborů", "     Interna",
        "     Zubní lékař", "z rubrik", "     Gynekologie", "pojišťovny", "     Vojenská zdravotní pojišťovna",
        "ovládající jazyky", "     angličtina", "     ruština", "typ zařízení", "     Nemocnice"}},
      {"a list criterion has no connecting word",
       onlyLanguage,
       {"Vybráni budou všichni poskytovatelé", "", "ovládající jazyky", "     němčina"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(QueryLines(c.query), Cp(c.lines));
  }
}

TEST(QueryText, BytesWithCrLf) {
  QueryTexts q;
  q.Surname = "Nov";
  q.Districts = {"Praha"};
  EXPECT_EQ(QueryText(q),
            "Vybr\xE1ni budou v\x9Aichni poskytovatel\xE9\r\n"
            "\r\n"
            "jejich\x9E jm\xE9no za\xE8\xEDn\xE1 na \r\n"
            "     Nov\r\n"
            "v okresech\r\n"
            "     Praha");
  EXPECT_EQ(QueryText({}), "Vybr\xE1ni budou v\x9Aichni poskytovatel\xE9\r\n");
}

TEST(QueryText, CrLfInsideATextStartsALine) {
  QueryTexts q;
  q.Workplace = "A\r\nB";
  q.Categories = {"X\r\nY", "Z\nW"};  // a lone LF is no line break
  EXPECT_EQ(QueryLines(q), Cp({"Vybráni budou všichni poskytovatelé", "", "jejichž pracoviště začíná na ",
                               "     A", "B", "z rubrik", "     X", "Y", "     Z\nW"}));
}

}  // namespace
}  // namespace karo::test
