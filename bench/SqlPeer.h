// The SQLite peer: the same providers in an in-memory database, the three
// text columns folded with the program's own search folding (so that a
// prefix means the same), an index on every filtered column, the code lists
// as side tables (provider, code) indexed both ways, and the equivalent SQL
// forms of a search, of which the benchmark times the best.
#ifndef KARO_BENCH_SQLPEER_H
#define KARO_BENCH_SQLPEER_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Fdb.h"
#include "Search.h"

struct sqlite3;
struct sqlite3_stmt;

namespace bench {

// Folds a text with the search folding table, byte by byte.
std::string Fold(const std::string& text);

// One SQL form of a query, prepared, with its text parameters.
class SqlForm {
 public:
  SqlForm(std::string name, std::string sql, std::vector<std::string> texts);
  ~SqlForm();
  SqlForm(const SqlForm&) = delete;
  SqlForm& operator=(const SqlForm&) = delete;

  const std::string& Name() const { return name_; }
  const std::string& Sql() const { return sql_; }
  // Prepares the statement; false with SQLite's message.
  bool Prepare(sqlite3* db, std::string* error);
  // Runs it: the first column of every row, in SQLite's order.
  void Run(std::vector<int64_t>* out);

 private:
  std::string name_, sql_;
  std::vector<std::string> texts_;
  sqlite3_stmt* stmt_ = nullptr;
};

class SqlPeer {
 public:
  SqlPeer();
  ~SqlPeer();
  SqlPeer(const SqlPeer&) = delete;
  SqlPeer& operator=(const SqlPeer&) = delete;

  // Loads the search table's providers (base order), the detail table's
  // identifiers and one lookup table's field for the pick-list peer, builds
  // the indexes and runs ANALYZE. REQUIRES: the base order of every table is
  // current. False with a message (duplicate identifiers included).
  bool Load(TfdbTable& pseek, TfdbTable& moskyti, TfdbTable& lookup, int32_t lookupField,
            std::string* error);
  double LoadSeconds() const { return loadSeconds_; }
  static const char* Version();
  // Bytes SQLite holds for the database.
  int64_t MemoryBytes() const;

  // The equivalent forms of the search, prepared. Each returns the matching
  // providers' identifiers (in an order of SQLite's choosing).
  std::vector<std::unique_ptr<SqlForm>> SearchForms(const karo::SearchFilter& filter, std::string* error);
  // The pick-list search: the first entry (base position) whose folded text
  // starts with the folded key, or -1.
  std::unique_ptr<SqlForm> PickListForm(const std::string& key, std::string* error);
  // The detail record's base position by identifier, or -1.
  int64_t FindDetail(int64_t id);

 private:
  bool Exec(const char* sql, std::string* error);
  std::unique_ptr<SqlForm> Prepared(std::string name, std::string sql, std::vector<std::string> texts,
                                    std::string* error);

  sqlite3* db_ = nullptr;
  sqlite3_stmt* detail_ = nullptr;
  double loadSeconds_ = 0;
};

}  // namespace bench

#endif  // KARO_BENCH_SQLPEER_H
