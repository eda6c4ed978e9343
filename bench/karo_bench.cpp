// karo_bench: the speed of the program's own paths on one directory, beside
// their peers measured in the same run (SQLite, ICU, std::sort, plain file
// and memory operations), each peer checked to return the same records
// before it is timed. Prints one table; exits 1 when any check failed.
//
//   karo_bench SLOŽKA [--reps N] [--budget S] [--tmp SLOŽKA] [--smoke] [--only SKUPINA] [--plain]
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "FilePeers.h"
#include "GridBench.h"
#include "Harness.h"
#include "Ours.h"
#include "SafeFile.h"
#include "Scenario.h"
#include "SortPeers.h"
#include "SqlPeer.h"

namespace bench {
namespace {

struct Args {
  std::string Dir;     // ends with '/'
  std::string Tmp = "/tmp";
  Plan Main;           // the figures of the table
  Plan Pick;           // choosing the best SQL form
  bool Smoke = false;  // one run of everything: the checks are what counts
  std::string Only;    // empty: every group; else one of kGroups
  bool Plain = false;  // the design's plain algorithms instead of the fast paths
  bool Runs(const char* group) const { return Only.empty() || Only == group; }
};

// The groups of operations --only can pick; opening is always measured.
const char* const kGroups[] = {"hledani", "seznam", "detail", "razeni", "export", "mrizka"};

const char kUsage[] =
    "Použití: karo_bench SLOŽKA [--reps N] [--budget S] [--tmp SLOŽKA] [--smoke] [--only SKUPINA] [--plain]\n"
    "  změří operace programu nad adresářem ve SLOŽCE a jejich srovnání;\n"
    "  --reps N     počet měřených běhů každé operace (jinak kolik se vejde do --budget)\n"
    "  --budget S   sekundy na jednu operaci se všemi srovnáními (výchozí 3)\n"
    "  --tmp SLOŽKA kam zapisovat soubory exportu (výchozí /tmp)\n"
    "  --smoke      jeden běh všeho: jen kontrola, že srovnání vracejí totéž\n"
    "  --only SKUPINA  jen otevření a jedna skupina: hledani, seznam, detail, razeni, export, mrizka\n"
    "  --plain      naše cesta prostými algoritmy návrhu místo rychlých cest\n";

bool ParseArgs(int argc, char** argv, Args* a) {
  a->Pick.Budget = 1.0;
  a->Pick.MinReps = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool value = i + 1 < argc;
    if (arg == "--reps" && value) a->Main.Reps = std::atoi(argv[++i]);
    else if (arg == "--budget" && value) a->Main.Budget = std::atof(argv[++i]);
    else if (arg == "--tmp" && value) a->Tmp = argv[++i];
    else if (arg == "--smoke") a->Smoke = true;
    else if (arg == "--only" && value) a->Only = argv[++i];
    else if (arg == "--plain") a->Plain = true;
    else if (arg.rfind("--", 0) == 0 || !a->Dir.empty()) return false;
    else a->Dir = arg;
  }
  if (a->Dir.empty()) return false;
  if (!a->Only.empty() && std::find(std::begin(kGroups), std::end(kGroups), a->Only) == std::end(kGroups)) return false;
  if (a->Dir.back() != '/') a->Dir += '/';
  if (a->Smoke) a->Main.Reps = a->Pick.Reps = 1;
  return true;
}

std::string Count(uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ' ';
    out += digits[i];
  }
  return out;
}

// A contender whose runs are the sums of the `timed` contenders' runs, and
// whose memory is that of all of `held` (run one after the other, each on
// what the one before left).
Contender Sum(const std::string& name, const std::vector<const Contender*>& timed,
              const std::vector<const Contender*>& held) {
  Contender s;
  s.Name = name;
  s.Times = timed[0]->Times;
  for (const Contender* c : timed) {
    for (size_t i = 0; i < s.Times.size() && i < c->Times.size(); ++i) s.Times[i] += c == timed[0] ? 0 : c->Times[i];
  }
  const double start = held[0]->Peak - held[0]->Rise;
  for (const Contender* c : held) s.Peak = std::max(s.Peak, c->Peak);
  s.Rise = s.Peak - start;
  return s;
}

// Milliseconds per item of a contender that handled `items` per run.
void PerItem(Contender* c, double items) {
  for (double& t : c->Times) t /= items;
}

volatile uint64_t gSink;  // keeps passes over memory from being optimised away

const karo::SearchFilter kNoFilter;

void BenchOpen(Program& program, const Args& args, Report& report) {
  TableFiles files;
  auto release = [&] {
    CloseDirectory(program);
    files.Release();
  };
  Contender open{"", release, [&] { OpenDirectory(program, args.Dir); }};
  karo::SearchFilter nov;
  nov.Surname = "nov";
  Contender first{"", nullptr, [&] { Search(program, nov); }};
  // The rest of the indexes' build that the first search began: waited for
  // here, so that it does not run into the peers' runs.
  Contender indexes{"", nullptr, [&] { WaitForSearchIndexes(program); }};
  Contender readAll{"fread týchž 27 souborů", release, [&] { files.Read(args.Dir, karo::kTableNames, karo::kTableCount); }};
  Contender map{"mmap s MAP_POPULATE", release, [&] { files.Map(args.Dir, karo::kTableNames, karo::kTableCount); }};
  Contender pass{"první průchod namapovaným pseek.d", nullptr, [&] {
                   size_t size = 0;
                   const unsigned char* p = files.File("pseek.d", &size);
                   gSink = PassOver(p, size);
                 }};
  // The checks: both peers read the very bytes the store loaded.
  const uint64_t bytes = TableFileBytes(args.Dir, karo::kTableNames, karo::kTableCount);
  std::string readCheck[2];
  for (int m = 0; m < 2; ++m) {
    release();
    OpenDirectory(program, args.Dir);
    const bool ok = m == 0 ? files.Read(args.Dir, karo::kTableNames, karo::kTableCount) : files.Map(args.Dir, karo::kTableNames, karo::kTableCount);
    size_t size = 0;
    const unsigned char* p = files.File("pseek.d", &size);
    const auto* d = program.Pseek.DataBegin();
    const size_t loaded = static_cast<size_t>(program.Pseek.DataEnd() - d);
    if (!ok || files.Bytes() != bytes || !p || size != loaded || std::memcmp(p, d, size) != 0) {
      readCheck[m] = "NESHODA";
      report.Mismatch(std::string(m == 0 ? "fread" : "mmap") + " nepřečetl tytéž bajty jako TfdbTable::Open");
    } else {
      readCheck[m] = "tytéž bajty (" + Count(bytes / (1 << 20)) + " MiB)";
    }
  }
  Measure({&open, &first, &indexes, &readAll, &map, &pass}, args.Main);
  release();
  OpenDirectory(program, args.Dir);

  report.Operation("otevření 9 tabulek", open);
  report.Peer(readAll, readCheck[0]);
  report.Peer(map, readCheck[1]);
  report.Operation("první hledání po otevření (příjmení „nov“)", first);
  report.Peer(pass, "mez paměti (nehledá)");
  report.Alone("hledací indexy hotové (druhé vlákno od prvního hledání)", indexes,
               args.Plain ? "prosté hledání je nestaví" : "do té doby hledá prostý průchod");
  const Contender both = Sum("", {&open, &first}, {&open, &first, &indexes});
  const Contender peer = Sum("mmap + první průchod", {&map, &pass}, {&map, &pass});
  const double budget = bytes / 1048576.0 + 32.0 * program.Pseek.RecCount / 1048576.0 + 64;
  char note[96];
  std::snprintf(note, sizeof note, "špička %s rozpočtem %.0f MiB", both.Peak <= budget ? "pod" : "NAD", budget);
  report.Operation("otevření + první hledání", both);
  report.Peer(peer, note);
}

void BenchSearches(Program& program, SqlPeer& sql, const std::vector<NamedSearch>& searches, const Args& args,
                   Report& report) {
  const unsigned char* data = program.Pseek.DataBegin();
  const size_t size = static_cast<size_t>(program.Pseek.DataEnd() - data);
  for (const NamedSearch& s : searches) {
    const uint32_t found = Search(program, s.Filter);
    const std::vector<int64_t> ours = IdsOf(program.Pseek);
    std::printf("%s: %s; %s nálezů\n", s.Label.c_str(), s.Values.c_str(), Count(found).c_str());
    std::string error;
    auto forms = sql.SearchForms(s.Filter, &error);
    if (!error.empty()) report.Mismatch("SQL se nepřipravilo: " + error);
    // Every form is checked; the best of those that agree is timed.
    SqlForm* best = nullptr;
    double bestMs = 0;
    std::vector<int64_t> got;
    for (auto& form : forms) {
      form->Run(&got);
      if (!SameSet(got, ours)) {
        report.Mismatch(s.Label + ": SQLite (" + form->Name() + ") vrátilo " + Count(got.size()) + " místo " +
                        Count(ours.size()) + " záznamů: " + form->Sql());
        continue;
      }
      Contender c{form->Name(), nullptr, [&] { form->Run(&got); }};
      Measure({&c}, args.Pick);
      std::printf("    SQLite %s %10s ms  %s\n", Pad(form->Name(), 22).c_str(), FormatMs(c.Median()).c_str(),
                  form->Sql().c_str());
      if (!best || c.Median() < bestMs) best = form.get(), bestMs = c.Median();
    }
    Contender ours_c{"", nullptr, [&] { Search(program, s.Filter); }};
    Contender pass{"mez paměti: 1 průchod pseek.d", nullptr, [&] { gSink = PassOver(data, size); }};
    Contender peer{best ? "SQLite: " + best->Name() : "SQLite: žádná shodná forma", nullptr,
                   [&] { if (best) best->Run(&got); }};
    Measure({&ours_c, &peer, &pass}, args.Main);
    report.Operation(s.Label + " (" + Count(found) + ")", ours_c);
    report.Peer(peer, best ? "totéž: " + Count(ours.size()) + " id" : "NESHODA");
    report.Peer(pass, "mez (nehledá)");
  }
}

void BenchPickList(Program& program, SqlPeer& sql, const Args& args, Report& report) {
  TfdbTable& obory = program.Obory;
  if (obory.RecCount == 0) {
    report.Mismatch("tabulka obory je prázdná: přírůstkové hledání nelze změřit");
    return;
  }
  const std::string last = obory.GetStr(static_cast<int32_t>(obory.RecCount - 1), 1);
  const std::string first = obory.GetStr(0, 1);
  std::printf("přírůstkové hledání: seznam oborů (%u položek), klíč „%s“ (poslední položka)\n", obory.RecCount,
              Utf8(last.c_str()).c_str());
  std::string error;
  auto form = sql.PickListForm(last, &error);
  if (!form) {
    report.Mismatch("SQL se nepřipravilo: " + error);
    return;
  }
  const int32_t ours = FindInPickList(obory, 1, last.c_str());
  std::vector<int64_t> got;
  form->Run(&got);
  const bool same = got.size() == 1 && got[0] == ours;
  if (!same) report.Mismatch("přírůstkové hledání: SQLite vrátilo jinou položku než FindPrefix");
  int32_t sink = 0;
  Contender find{"", nullptr, [&] { sink += FindInPickList(obory, 1, last.c_str()); }};
  Contender peer{form->Name(), nullptr, [&] { form->Run(&got); }};
  Measure({&find, &peer}, args.Main);
  report.Operation("přírůstkové hledání v seznamu oborů (FindPrefix)", find);
  report.Peer(peer, same ? "tatáž položka " + std::to_string(ours) : "NESHODA");
}

// Typing into the specialties' edit, as the main window handles it: the list
// moves between its first and its last entry.
void BenchListStep(Program& program, const Args& args, Report& report) {
  TfdbTable& obory = program.Obory;
  if (obory.RecCount == 0) return;  // BenchPickList reports it
  const std::string last = obory.GetStr(static_cast<int32_t>(obory.RecCount - 1), 1);
  const std::string first = obory.GetStr(0, 1);
  const int32_t ours = FindInPickList(obory, 1, last.c_str());
  PickListBench list(obory, 1);
  const QString lastText = QString::fromStdString(Utf8(last.c_str())), firstText = QString::fromStdString(Utf8(first.c_str()));
  list.Type(lastText);
  const bool moved = list.CurrentRow() == ours;
  if (!moved) report.Mismatch("seznam oborů se po psaní nepřesunul na nalezenou položku");
  Contender step{"", [&] { list.Type(firstText); }, [&] { list.Type(lastText); }};
  Measure({&step}, args.Main);
  report.Alone("krok psaní do seznamu (txtChange: hledání + posun seznamu)", step,
               moved ? "seznam na položce " + std::to_string(ours) : "NESHODA");
}

void BenchDetail(Program& program, SqlPeer& sql, const Args& args, Report& report) {
  // Identifiers of 1000 records picked at random (fixed seed) from the search table.
  Search(program, kNoFilter);
  const std::vector<int64_t> all = IdsOf(program.Pseek);
  std::mt19937 random(20260);
  std::vector<int32_t> ids(1000);
  for (int32_t& id : ids) id = static_cast<int32_t>(all[random() % all.size()]);
  std::vector<int32_t> sorted(program.Moskyti.RecCount);
  for (uint32_t r = 0; r < sorted.size(); ++r) sorted[r] = program.Moskyti.GetNum(static_cast<int32_t>(r), 0);
  auto bound = [&](int32_t id) -> int64_t {
    const auto at = std::lower_bound(sorted.begin(), sorted.end(), id);
    return at != sorted.end() && *at == id ? at - sorted.begin() : -1;
  };
  bool sameBound = true, sameSql = true;
  for (const int32_t id : ids) {
    const int64_t p = FindDetail(program, id);
    sameBound &= bound(id) == p;
    sameSql &= sql.FindDetail(id) == p;
  }
  if (!sameBound) report.Mismatch("detail: std::lower_bound našel jiný záznam než SeekNum");
  if (!sameSql) report.Mismatch("detail: SQLite našlo jiný záznam než SeekNum");
  int64_t sink = 0;
  Contender ours{"", nullptr, [&] { for (const int32_t id : ids) sink += FindDetail(program, id); }};
  Contender lower{"std::lower_bound na poli id", nullptr, [&] { for (const int32_t id : ids) sink += bound(id); }};
  Contender lite{"SQLite podle primárního klíče", nullptr, [&] { for (const int32_t id : ids) sink += sql.FindDetail(id); }};
  Measure({&ours, &lower, &lite}, args.Main);
  for (Contender* c : {&ours, &lower, &lite}) PerItem(c, static_cast<double>(ids.size()));
  gSink = static_cast<uint64_t>(sink);
  report.Operation("nalezení záznamu detailu (SeekNum)", ours);
  report.Peer(lower, sameBound ? "tytéž záznamy (1000 id)" : "NESHODA");
  report.Peer(lite, sameSql ? "tytéž záznamy (1000 id)" : "NESHODA");
}

// The first few places where ICU's order puts another text than CzechCmp's.
void PrintOrderDifferences(const char* label, const std::vector<const char*>& texts,
                           const std::vector<uint32_t>& czech, const std::vector<uint32_t>& icu) {
  int shown = 0;
  for (size_t i = 0; i < czech.size() && i < icu.size() && shown < 5; ++i) {
    if (std::strcmp(texts[czech[i]], texts[icu[i]]) == 0) continue;
    std::printf("%s: na místě %s CzechCmp „%s“, ICU „%s“\n", label, Count(i).c_str(), Utf8(texts[czech[i]]).c_str(),
                Utf8(texts[icu[i]]).c_str());
    ++shown;
    // Skip the run that follows from the same difference.
    while (i + 1 < czech.size() && std::strcmp(texts[czech[i + 1]], texts[czech[i]]) == 0) ++i;
  }
}

void BenchSort(Program& program, const char* name, const char* label, const Args& args, Report& report) {
  IcuCzech icu;
  if (!icu.Ok()) report.Mismatch(icu.Error());
  const int32_t field = program.Pseek.FieldIndex(name);  // as the grid resolves its column
  auto reset = [&] { Search(program, kNoFilter); };
  reset();
  const std::vector<int64_t> base = IdsOf(program.Pseek);
  std::vector<uint32_t> order;
  SortResult(program, field);
  const std::vector<int64_t> ours = IdsOf(program.Pseek);
  reset();
  const std::vector<const char*> texts = TextsOf(program.Pseek, field);
  const std::vector<uint32_t> czechOrder = SortByCzechCmp(texts);
  const std::vector<int64_t> czech = IdsAt(base, czechOrder);
  const size_t czechDiff = Differences(czech, ours);
  if (czechDiff) report.Mismatch(std::string(label) + ": std::sort s CzechCmp dal jiné pořadí na " + Count(czechDiff) + " místech");
  std::string icuCheck = "NESHODA";
  if (icu.Ok()) {
    const std::vector<uint32_t> icuOrder = icu.Sort(texts);
    const std::vector<int64_t> byIcu = IdsAt(base, icuOrder);
    PrintOrderDifferences(label, texts, czechOrder, icuOrder);
    if (!SameSet(byIcu, ours)) {
      report.Mismatch(std::string(label) + ": ICU nevrátilo tytéž záznamy");
    } else {
      const size_t d = Differences(byIcu, ours);
      icuCheck = d == 0 ? "totéž pořadí" : "tytéž záznamy, pořadí jiné na " + Count(d) + " z " + Count(ours.size()) + " míst";
    }
  }
  // The first sort by the field after the directory opened builds what later
  // sorts reuse (the ranks of its texts); the grid's own search is done and
  // its indexes are built before it is timed.
  Contender first{"", [&] {
                    CloseDirectory(program);
                    OpenDirectory(program, args.Dir);
                    reset();
                    WaitForSearchIndexes(program);
                  },
                  [&] { SortResult(program, field); }};
  Contender merge{"", reset, [&] { SortResult(program, field); }};
  Contender stdSort{"std::sort s CzechCmp", reset, [&] { order = SortByCzechCmp(TextsOf(program.Pseek, field)); }};
  Contender icuSort{"ICU „cs“: klíče + std::sort", reset, [&] { if (icu.Ok()) order = icu.Sort(TextsOf(program.Pseek, field)); }};
  Measure({&first, &merge, &stdSort, &icuSort}, args.Main);
  report.Operation(label, merge);
  report.Peer(stdSort, czechDiff ? "NESHODA" : "totéž pořadí (" + Count(ours.size()) + ")");
  report.Peer(icuSort, icuCheck);
  report.Alone(std::string(label) + ", první po otevření", first,
               args.Plain ? "prosté řazení nic nestaví" : "se stavbou pořadí textů pole");
}

void BenchExport(Program& program, const char* label, const Args& args, Report& report) {
  const std::string oursPath = args.Tmp + "/karo-bench-export.txt", peerPath = args.Tmp + "/karo-bench-write.txt";
  const std::string bytes = ExportReference(program.Moskyti).Bytes(program.Pseek, program.Moskyti);
  bool written = true;
  auto remove = [&] {
    std::remove(oursPath.c_str());
    std::remove(peerPath.c_str());
  };
  // Each run writes a new file, as an export to a new name does: the export
  // writer into the page cache, and the window's export, which syncs its file
  // to the disk before it moves it into place.
  Contender ours{"", remove, [&] {
                   std::FILE* f = std::fopen(oursPath.c_str(), "wb");
                   karo::StdioSink sink(f);
                   written = f && ExportResult(program, sink);
                   if (f) written = std::fclose(f) == 0 && written;
                 }};
  Contender peer{"zápis týchž bajtů smyčkou write", remove, [&] { WriteLoop(bytes, peerPath); }};
  Contender durable{"", remove, [&] { written = ExportResultToFile(program, oursPath); }};
  Contender durablePeer{"totéž + fsync + přejmenování", remove, [&] { WriteLoop(bytes, peerPath, true); }};
  std::string check[2];
  for (Contender* c : {&ours, &durable}) {
    c->Prepare();
    c->Run();
    const bool same = written && ReadWhole(oursPath) == bytes;
    if (!same) report.Mismatch(std::string(label) + ": soubor exportu se liší od nezávisle sestavených bajtů");
    check[c == &durable] = same ? "tytéž bajty (" + Count(bytes.size() / 1024) + " KiB)" : "NESHODA";
  }
  Measure({&ours, &peer}, args.Main);
  Measure({&durable, &durablePeer}, args.Main);
  if (ReadWhole(peerPath) != bytes) {
    report.Mismatch(std::string(label) + ": smyčka write nezapsala tytéž bajty");
    check[0] = check[1] = "NESHODA";
  }
  report.Operation(label, ours);
  report.Peer(peer, check[0]);
  report.Operation(std::string(label) + ", jako okno (ExportFile)", durable);
  report.Peer(durablePeer, check[1]);
  remove();
}

void BenchGrid(Program& program, const Args& args, Report& report) {
  GridBench grid(program.Pseek);
  grid.Refresh();
  grid.Place(1);
  std::string why;
  const bool same = grid.SameCells(&why);
  if (!same) report.Mismatch("překreslení mřížky: " + why);
  Contender ours{"", nullptr, [&] { grid.Render(); }};
  Contender plain{"QPainter: tytéž buňky bez mřížky", nullptr, [&] { grid.RenderPlain(); }};
  Measure({&ours, &plain}, args.Main);
  report.Operation("jedno úplné překreslení mřížky (" + std::to_string(grid.VisibleRows()) + " řádků)", ours);
  report.Peer(plain, same ? "tytéž buňky" : "NESHODA: " + why);
  grid.Place(0);
  Contender page{"", [&] { if (grid.TopRow() + 2 * grid.VisibleRows() > static_cast<int>(program.Pseek.CurCount())) grid.Place(0); },
                 [&] { grid.PageDown(); }};
  Measure({&page}, args.Main);
  report.Alone("Page Down (klávesa + překreslení)", page, "");
}

int Main(int argc, char** argv) {
  Args args;
  if (!ParseArgs(argc, argv, &args)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  TruthfulMemory();
  UseFastPaths(!args.Plain);
  const auto start = Clock::now();
  std::printf("%snaše cesta: %s\nzátěž na začátku: %s\n", MachineText().c_str(),
              args.Plain ? "prosté algoritmy návrhu (--plain)" : "rychlé cesty", LoadText().c_str());
  Program program;
  if (!OpenDirectory(program, args.Dir)) {
    std::fprintf(stderr, "karo_bench: adresář %s nelze otevřít (pseek nebo moskyti)\n", args.Dir.c_str());
    return 2;
  }
  std::printf("adresář %s: %s poskytovatelů, %s MiB tabulek\n", args.Dir.c_str(), Count(program.Pseek.RecCount).c_str(),
              Count(TableFileBytes(args.Dir, karo::kTableNames, karo::kTableCount) >> 20).c_str());
  std::fflush(stdout);
  // Parts of the table, measured in another order than they are shown.
  Report report, searchPart, findPart, stepPart, detailPart, sortPart, basePart, sortedPart, gridPart;
  BenchOpen(program, args, report);

  // The widgets and the export come before the SQLite database: once freed,
  // its heap of small blocks makes every small allocation after it slower.
  Search(program, kNoFilter);
  SortResult(program, program.Pseek.FieldIndex("obec"));
  WaitForSearchIndexes(program);  // the search began them; they must not run into what is timed
  if (args.Runs("mrizka")) BenchGrid(program, args, gridPart);
  if (args.Runs("seznam")) BenchListStep(program, args, stepPart);
  if (args.Runs("export")) {
    BenchExport(program, "export celého výsledku seřazeného dle obce", args, sortedPart);
    Search(program, kNoFilter);
    BenchExport(program, "export celého výsledku, základní pořadí", args, basePart);
  }

  const std::vector<NamedSearch> searches = TypicalSearches(program);
  if (args.Runs("hledani") || args.Runs("seznam") || args.Runs("detail")) {
    SqlPeer sql;
    std::string error;
    Search(program, kNoFilter);
    program.Pseek.SetOrder(0);
    if (!sql.Load(program.Pseek, program.Moskyti, program.Obory, 1, &error)) {
      std::fprintf(stderr, "karo_bench: %s\n", error.c_str());
      return 2;
    }
    std::printf("SQLite %s: načteno za %.1f s, databáze v paměti %s MiB\n", SqlPeer::Version(), sql.LoadSeconds(),
                Count(static_cast<uint64_t>(sql.MemoryBytes()) >> 20).c_str());
    std::fflush(stdout);
    if (args.Runs("hledani")) BenchSearches(program, sql, searches, args, searchPart);
    if (args.Runs("seznam")) BenchPickList(program, sql, args, findPart);
    if (args.Runs("detail")) BenchDetail(program, sql, args, detailPart);
  }
  if (args.Runs("razeni")) {
    BenchSort(program, "obec", "řazení celého výsledku dle obce", args, sortPart);
    BenchSort(program, "jmeno", "řazení celého výsledku dle příjmení", args, sortPart);
  }
  for (const Report* part : {&searchPart, &findPart, &stepPart, &detailPart, &sortPart, &basePart, &sortedPart, &gridPart}) {
    report.Append(*part);
  }

  std::printf("\nzátěž na konci: %s, celý běh %.0f s\n\n%s", LoadText().c_str(), Ms(Clock::now() - start) / 1000,
              report.Table().c_str());
  if (report.Mismatches()) {
    std::fprintf(stderr, "karo_bench: %d kontrol nesouhlasí\n", report.Mismatches());
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return bench::Main(argc, argv);
}
