#pragma once
// A thin hold on an SQLite connection and its prepared statements: each closed with its
// owner, each failure worded with what SQLite said.

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "output/Outcome.h"

namespace sheetbasis {

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

class Database {
  public:
    Database() = default;
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    // Opens the existing file at path for writing, never through a link.
    static Database openExisting(const std::string& path, Outcome& outcome);

    // Runs one or more statements without results.
    Outcome execute(const std::string& sql);
    Outcome prepare(const std::string& sql, Statement& statement);
    // Runs a bound statement to its end and resets it for the next values.
    Outcome step(sqlite3_stmt* statement);
    // Closes the connection: what it wrote is in the file once this succeeds.
    Outcome close();
    // The failure of the step that was "what", with what SQLite said of it.
    Outcome failure(std::string_view what) const;

  private:
    sqlite3* connection_ = nullptr;
};

// The text of an SQL identifier in double quotes, inner quotes doubled.
std::string quotedIdentifier(std::string_view name);
// The text of an SQL string literal in single quotes, inner quotes doubled.
std::string quotedLiteral(std::string_view text);

}  // namespace sheetbasis
