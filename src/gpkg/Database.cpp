#include "gpkg/Database.h"

#include <cstring>
#include <mutex>
#include <utility>

namespace sheetbasis {

Database::Database(Database&& other) noexcept
    : connection_(std::exchange(other.connection_, nullptr)) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        (void)close();
        connection_ = std::exchange(other.connection_, nullptr);
    }
    return *this;
}

Database::~Database() {
    (void)close();
}

namespace {

// The program writes a GeoPackage from one thread at a time, so SQLite needs neither its
// mutexes nor the statistics of its allocations, which take a mutex on every allocation:
// together they were a tenth of the writer's time. Set before SQLite is first used.
void configureOnce() {
    static std::once_flag configured;
    std::call_once(configured, [] {
        sqlite3_config(SQLITE_CONFIG_SINGLETHREAD);
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    });
}

}  // namespace

Database Database::openExisting(const std::string& path, Outcome& outcome) {
    configureOnce();
    Database database;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
    const int status = sqlite3_open_v2(path.c_str(), &database.connection_, flags, nullptr);
    if (status != SQLITE_OK) {
        outcome = database.failure("cannot be opened");
        (void)database.close();
        return database;
    }
    outcome = {};
    return database;
}

Outcome Database::execute(const std::string& sql) {
    if (sqlite3_exec(connection_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        return failure("cannot be written");
    }
    return {};
}

Outcome Database::prepare(const std::string& sql, Statement& statement) {
    sqlite3_stmt* made = nullptr;
    if (sqlite3_prepare_v3(connection_, sql.c_str(), static_cast<int>(sql.size()),
                           SQLITE_PREPARE_PERSISTENT, &made, nullptr) != SQLITE_OK) {
        return failure("cannot be written");
    }
    statement.reset(made);
    return {};
}

Outcome Database::step(sqlite3_stmt* statement) {
    const int status = sqlite3_step(statement);
    // Worded before the reset, which would clear what the failure left.
    Outcome outcome =
        status == SQLITE_DONE || status == SQLITE_ROW ? Outcome{} : failure("cannot be written");
    sqlite3_reset(statement);
    return outcome;
}

Outcome Database::close() {
    if (connection_ == nullptr) return {};
    // Statements still prepared keep the connection open: they belong to their owners,
    // which close them first.
    const int status = sqlite3_close(connection_);
    if (status != SQLITE_OK) {
        Outcome failed = failure("cannot be closed");
        sqlite3_close_v2(connection_);
        connection_ = nullptr;
        return failed;
    }
    connection_ = nullptr;
    return {};
}

Outcome Database::failure(std::string_view what) const {
    std::string reason(what);
    if (connection_ == nullptr) return Outcome::failure(reason);
    reason += std::string(" (") + sqlite3_errmsg(connection_);
    // The system's own word says what to do about it: "File too large", "No space left".
    if (const int error = sqlite3_system_errno(connection_); error != 0) {
        reason += std::string(": ") + std::strerror(error);
    }
    reason += ")";
    return Outcome::failure(reason);
}

std::string quotedIdentifier(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string quotedLiteral(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace sheetbasis
