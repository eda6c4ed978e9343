// The SQLite peer: the directory loaded into a database, and the same searches in SQL.
#include "SqlPeer.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>

namespace bench {

std::string Fold(const std::string& text) {
  std::string folded(text);
  for (char& c : folded) c = static_cast<char>(kSearchFold[static_cast<unsigned char>(c)]);
  return folded;
}

namespace {

// The smallest text above every text that starts with `key` (memcmp order),
// or "" when there is none (a key of 0xFF bytes only).
std::string UpperBound(std::string key) {
  while (!key.empty()) {
    if (static_cast<unsigned char>(key.back()) < 0xFF) {
      key.back() = static_cast<char>(static_cast<unsigned char>(key.back()) + 1);
      return key;
    }
    key.pop_back();
  }
  return key;
}

std::string GlobPattern(const std::string& key) {
  std::string p;
  for (const char c : key) {
    if (c == '*' || c == '?' || c == '[') p += std::string("[") + c + "]";
    else p += c;
  }
  return p + "*";
}

std::string LikePattern(const std::string& key) {
  std::string p;
  for (const char c : key) {
    if (c == '%' || c == '_' || c == '\\') p += '\\';
    p += c;
  }
  return p + "%";
}

// One active filter of a search, as SQL sees it.
struct Term {
  enum Type { kText, kNumber, kList };
  Type Kind;
  std::string Column;  // p's column, or the side table of a list
  std::string Key;     // folded prefix of a text term
  std::string Codes;   // "3,17" for number and list terms
};

// Codes of the positions that a stored code can equal, as RunSearch takes
// them: 0..255 for one-byte codes, 0..65535 for specialties.
std::string CodeText(const std::vector<int>& positions, int most) {
  std::vector<int> codes;
  for (const int p : positions) {
    if (p >= 0 && p <= most) codes.push_back(p);
  }
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  std::string text;
  for (const int c : codes) text += (text.empty() ? "" : ",") + std::to_string(c);
  return text;
}

std::vector<Term> TermsOf(const karo::SearchFilter& f) {
  std::vector<Term> terms;
  auto text = [&](const std::string& typed, const char* column) {
    const std::string key = karo::TrimFilterText(typed);
    if (!key.empty()) terms.push_back({Term::kText, column, Fold(key), ""});
  };
  auto codes = [&](const std::vector<int>& positions, Term::Type kind, const char* column, int most) {
    if (!positions.empty()) terms.push_back({kind, column, "", CodeText(positions, most)});
  };
  // The order of the search's tests.
  text(f.Surname, "s");
  text(f.Workplace, "w");
  text(f.Municipality, "m");
  codes(f.Districts, Term::kNumber, "district", 255);
  codes(f.Specialties, Term::kList, "field", 65535);
  codes(f.Categories, Term::kList, "cat", 255);
  codes(f.Insurers, Term::kList, "ins", 255);
  codes(f.Languages, Term::kList, "lang", 255);
  codes(f.FacilityTypes, Term::kNumber, "ftype", 255);
  return terms;
}

enum class TextForm { kRange, kGlob, kLike };
enum class ListForm { kIn, kExists, kJoin };

// A text term's condition; its parameters are appended to `texts`.
std::string TextCondition(const Term& t, TextForm form, const std::string& column,
                          std::vector<std::string>* texts) {
  switch (form) {
    case TextForm::kGlob:
      texts->push_back(GlobPattern(t.Key));
      return column + " GLOB ?";
    case TextForm::kLike:
      texts->push_back(LikePattern(t.Key));
      return column + " LIKE ? ESCAPE '\\'";
    case TextForm::kRange: break;
  }
  texts->push_back(t.Key);
  const std::string upper = UpperBound(t.Key);
  if (upper.empty()) return column + " >= ?";
  texts->push_back(upper);
  return column + " >= ? AND " + column + " < ?";
}

const char* TextFormName(TextForm f) {
  return f == TextForm::kRange ? "rozsah" : f == TextForm::kGlob ? "GLOB" : "LIKE";
}
const char* ListFormName(ListForm f) {
  return f == ListForm::kIn ? "IN" : f == ListForm::kExists ? "EXISTS" : "JOIN";
}

}  // namespace

SqlForm::SqlForm(std::string name, std::string sql, std::vector<std::string> texts)
    : name_(std::move(name)), sql_(std::move(sql)), texts_(std::move(texts)) {}

SqlForm::~SqlForm() { sqlite3_finalize(stmt_); }

bool SqlForm::Prepare(sqlite3* db, std::string* error) {
  if (sqlite3_prepare_v2(db, sql_.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) {
    *error = sql_ + ": " + sqlite3_errmsg(db);
    return false;
  }
  for (size_t i = 0; i < texts_.size(); ++i) {
    sqlite3_bind_text(stmt_, static_cast<int>(i + 1), texts_[i].data(), static_cast<int>(texts_[i].size()),
                      SQLITE_STATIC);
  }
  return true;
}

void SqlForm::Run(std::vector<int64_t>* out) {
  out->clear();
  sqlite3_reset(stmt_);
  while (sqlite3_step(stmt_) == SQLITE_ROW) {
    out->push_back(sqlite3_column_type(stmt_, 0) == SQLITE_NULL ? -1 : sqlite3_column_int64(stmt_, 0));
  }
}

SqlPeer::SqlPeer() = default;

SqlPeer::~SqlPeer() {
  sqlite3_finalize(detail_);
  sqlite3_close(db_);
}

bool SqlPeer::Exec(const char* sql, std::string* error) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  *error = std::string(sql) + ": " + (message ? message : "?");
  sqlite3_free(message);
  return false;
}

const char* SqlPeer::Version() { return sqlite3_libversion(); }

int64_t SqlPeer::MemoryBytes() const { return sqlite3_memory_used(); }

bool SqlPeer::Load(TfdbTable& pseek, TfdbTable& moskyti, TfdbTable& lookup, int32_t lookupField,
                   std::string* error) {
  const auto start = std::chrono::steady_clock::now();
  if (sqlite3_open(":memory:", &db_) != SQLITE_OK) {
    *error = "SQLite: databázi nelze otevřít";
    return false;
  }
  static const char* const kLists[] = {"lang", "ins", "field", "cat"};  // fields 9..12
  if (!Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA temp_store=MEMORY;"
            "CREATE TABLE p(id INTEGER PRIMARY KEY, s TEXT, w TEXT, m TEXT, district INTEGER, ftype INTEGER);"
            "CREATE TABLE lang(provider INTEGER NOT NULL, code INTEGER NOT NULL);"
            "CREATE TABLE ins(provider INTEGER NOT NULL, code INTEGER NOT NULL);"
            "CREATE TABLE field(provider INTEGER NOT NULL, code INTEGER NOT NULL);"
            "CREATE TABLE cat(provider INTEGER NOT NULL, code INTEGER NOT NULL);"
            "CREATE TABLE d(id INTEGER PRIMARY KEY, pos INTEGER NOT NULL);"
            "CREATE TABLE lk(pos INTEGER PRIMARY KEY, f TEXT);"
            "BEGIN;",
            error)) {
    return false;
  }
  sqlite3_stmt* provider = nullptr;
  sqlite3_stmt* lists[4] = {};
  sqlite3_stmt* detail = nullptr;
  sqlite3_stmt* entry = nullptr;
  sqlite3_prepare_v2(db_, "INSERT INTO p VALUES(?,?,?,?,?,?)", -1, &provider, nullptr);
  for (int i = 0; i < 4; ++i) {
    sqlite3_prepare_v2(db_, (std::string("INSERT INTO ") + kLists[i] + " VALUES(?,?)").c_str(), -1, &lists[i],
                       nullptr);
  }
  sqlite3_prepare_v2(db_, "INSERT OR IGNORE INTO d VALUES(?,?)", -1, &detail, nullptr);
  sqlite3_prepare_v2(db_, "INSERT INTO lk VALUES(?,?)", -1, &entry, nullptr);
  auto step = [&](sqlite3_stmt* s) {
    const bool ok = sqlite3_step(s) == SQLITE_DONE;
    if (!ok && error->empty()) *error = std::string("SQLite: ") + sqlite3_errmsg(db_);
    sqlite3_reset(s);
    return ok;
  };
  auto bindText = [](sqlite3_stmt* s, int at, const char* value, std::string* keep) {
    if (value == kFdbEof) {
      sqlite3_bind_null(s, at);  // a text that cannot be read matches no text filter
    } else {
      *keep = Fold(value);
      sqlite3_bind_text(s, at, keep->data(), static_cast<int>(keep->size()), SQLITE_STATIC);
    }
  };
  error->clear();
  bool ok = true;
  std::string texts[3];
  std::vector<int> codes;
  for (uint32_t r = 0; ok && r < pseek.RecCount; ++r) {
    const int32_t i = static_cast<int32_t>(r);
    const int64_t id = pseek.GetNum(i, karo::kSearchId);
    sqlite3_bind_int64(provider, 1, id);
    bindText(provider, 2, pseek.GetStr(i, karo::kSearchSurname), &texts[0]);
    bindText(provider, 3, pseek.GetStr(i, karo::kSearchWorkplace), &texts[1]);
    bindText(provider, 4, pseek.GetStr(i, karo::kSearchMunicipality), &texts[2]);
    sqlite3_bind_int64(provider, 5, pseek.GetNum(i, karo::kSearchDistrict));
    sqlite3_bind_int64(provider, 6, pseek.GetNum(i, karo::kSearchFacilityType));
    ok = step(provider);
    for (int l = 0; ok && l < 4; ++l) {
      const int32_t field = karo::kSearchLanguages + l;
      const char type = pseek.FieldType(field);
      if (type != 'C' && type != 'T') continue;
      codes = karo::ListCodes(pseek, pseek.GetStr(i, field), field == karo::kSearchSpecialties);
      std::sort(codes.begin(), codes.end());
      codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
      for (const int c : codes) {
        sqlite3_bind_int64(lists[l], 1, id);
        sqlite3_bind_int64(lists[l], 2, c);
        if (!(ok = step(lists[l]))) break;
      }
    }
  }
  for (uint32_t r = 0; ok && r < moskyti.RecCount; ++r) {
    sqlite3_bind_int64(detail, 1, moskyti.GetNum(static_cast<int32_t>(r), 0));
    sqlite3_bind_int64(detail, 2, r);
    ok = step(detail);
  }
  for (uint32_t r = 0; ok && r < lookup.RecCount; ++r) {
    sqlite3_bind_int64(entry, 1, r);
    bindText(entry, 2, lookup.GetStr(static_cast<int32_t>(r), lookupField), &texts[0]);
    ok = step(entry);
  }
  sqlite3_finalize(provider);
  for (sqlite3_stmt* s : lists) sqlite3_finalize(s);
  sqlite3_finalize(detail);
  sqlite3_finalize(entry);
  if (!ok) return false;
  if (!Exec("COMMIT;"
            "CREATE INDEX p_s ON p(s); CREATE INDEX p_w ON p(w); CREATE INDEX p_m ON p(m);"
            "CREATE INDEX p_district ON p(district); CREATE INDEX p_ftype ON p(ftype);"
            "CREATE INDEX lang_code ON lang(code, provider); CREATE INDEX lang_provider ON lang(provider, code);"
            "CREATE INDEX ins_code ON ins(code, provider); CREATE INDEX ins_provider ON ins(provider, code);"
            "CREATE INDEX field_code ON field(code, provider); CREATE INDEX field_provider ON field(provider, code);"
            "CREATE INDEX cat_code ON cat(code, provider); CREATE INDEX cat_provider ON cat(provider, code);"
            "CREATE INDEX lk_f ON lk(f);"
            "ANALYZE;",
            error)) {
    return false;
  }
  if (sqlite3_prepare_v2(db_, "SELECT pos FROM d WHERE id = ?", -1, &detail_, nullptr) != SQLITE_OK) {
    *error = sqlite3_errmsg(db_);
    return false;
  }
  loadSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return true;
}

std::unique_ptr<SqlForm> SqlPeer::Prepared(std::string name, std::string sql, std::vector<std::string> texts,
                                           std::string* error) {
  auto form = std::make_unique<SqlForm>(std::move(name), std::move(sql), std::move(texts));
  if (!form->Prepare(db_, error)) return nullptr;
  return form;
}

std::vector<std::unique_ptr<SqlForm>> SqlPeer::SearchForms(const karo::SearchFilter& filter, std::string* error) {
  const std::vector<Term> terms = TermsOf(filter);
  bool hasText = false, hasList = false, wide = false;
  for (const Term& t : terms) {
    hasText |= t.Kind == Term::kText;
    hasList |= t.Kind == Term::kList;
    wide |= t.Kind == Term::kList && t.Codes.find(',') != std::string::npos;
  }
  std::vector<std::unique_ptr<SqlForm>> forms;
  auto add = [&](std::string name, std::string sql, std::vector<std::string> texts) {
    if (auto form = Prepared(std::move(name), std::move(sql), std::move(texts), error)) forms.push_back(std::move(form));
  };
  if (terms.empty()) {
    add("celá tabulka", "SELECT id FROM p", {});
    return forms;
  }
  std::vector<TextForm> textForms = {TextForm::kRange};
  if (hasText) textForms = {TextForm::kRange, TextForm::kGlob, TextForm::kLike};
  std::vector<ListForm> listForms = {ListForm::kIn};
  if (hasList) listForms = {ListForm::kIn, ListForm::kExists, ListForm::kJoin};
  for (const TextForm tf : textForms) {
    for (const ListForm lf : listForms) {
      std::string from = "p", where;
      std::vector<std::string> texts;
      int joins = 0;
      for (const Term& t : terms) {
        std::string c;
        if (t.Kind == Term::kText) {
          c = TextCondition(t, tf, "p." + t.Column, &texts);
        } else if (t.Kind == Term::kNumber) {
          c = "p." + t.Column + " IN (" + t.Codes + ")";
        } else if (lf == ListForm::kIn) {
          c = "p.id IN (SELECT provider FROM " + t.Column + " WHERE code IN (" + t.Codes + "))";
        } else if (lf == ListForm::kExists) {
          c = "EXISTS (SELECT 1 FROM " + t.Column + " x WHERE x.provider = p.id AND x.code IN (" + t.Codes + "))";
        } else {
          const std::string alias = "j" + std::to_string(++joins);
          from += " JOIN " + t.Column + " " + alias + " ON " + alias + ".provider = p.id";
          c = alias + ".code IN (" + t.Codes + ")";
        }
        where += (where.empty() ? "" : " AND ") + c;
      }
      std::string name = hasText ? TextFormName(tf) : "";
      if (hasList) name += std::string(name.empty() ? "" : " + ") + ListFormName(lf);
      if (name.empty()) name = "WHERE";
      const char* select = lf == ListForm::kJoin && wide ? "SELECT DISTINCT p.id FROM " : "SELECT p.id FROM ";
      add(name, select + from + " WHERE " + where, std::move(texts));
    }
  }
  // Every term as its own list of identifiers, intersected; for one code
  // list alone this is the side table read directly.
  if (terms.size() > 1 || hasList) {
    std::string sql;
    std::vector<std::string> texts;
    for (const Term& t : terms) {
      std::string part;
      if (t.Kind == Term::kText) part = "SELECT id FROM p WHERE " + TextCondition(t, TextForm::kRange, t.Column, &texts);
      else if (t.Kind == Term::kNumber) part = "SELECT id FROM p WHERE " + t.Column + " IN (" + t.Codes + ")";
      else part = "SELECT provider FROM " + t.Column + " WHERE code IN (" + t.Codes + ")";
      sql += (sql.empty() ? "" : " INTERSECT ") + part;
    }
    if (terms.size() > 1) add("INTERSECT", sql, std::move(texts));
    else add("jen vedlejší tabulka", wide ? "SELECT DISTINCT" + sql.substr(6) : sql, std::move(texts));
  }
  return forms;
}

std::unique_ptr<SqlForm> SqlPeer::PickListForm(const std::string& key, std::string* error) {
  const std::string folded = Fold(key);
  const std::string upper = UpperBound(folded);
  if (upper.empty()) return Prepared("SQLite min(pos), rozsah", "SELECT min(pos) FROM lk WHERE f >= ?", {folded}, error);
  return Prepared("SQLite min(pos), rozsah", "SELECT min(pos) FROM lk WHERE f >= ? AND f < ?", {folded, upper},
                  error);
}

int64_t SqlPeer::FindDetail(int64_t id) {
  sqlite3_reset(detail_);
  sqlite3_bind_int64(detail_, 1, id);
  return sqlite3_step(detail_) == SQLITE_ROW ? sqlite3_column_int64(detail_, 0) : -1;
}

}  // namespace bench
