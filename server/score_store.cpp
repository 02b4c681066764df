#include "server/score_store.h"

#include <chrono>

#include "engine/runtime/text.h"
#include "engine/runtime/ustring.h"
#include "scores/cipher.h"
#include "scores/exchange.h"

namespace server {

namespace {

const char* kSchema =
    "CREATE TABLE IF NOT EXISTS players ("
    " id INTEGER PRIMARY KEY,"
    " name TEXT NOT NULL,"
    " best INTEGER NOT NULL,"
    " achieved INTEGER NOT NULL);"   // order in which bests were reached, for ties
    "CREATE INDEX IF NOT EXISTS players_board ON players (best DESC, achieved ASC);";

// Reset before use, so a statement that failed last time starts clean
sqlite3_stmt* Ready(sqlite3_stmt* statement)
{
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return statement;
}

} // namespace

std::string NameToUtf8(const std::u16string& name)
{
    std::string out;
    for (char16_t c : name) {
        if (c < 0x80) {
            out.push_back(char(c));
        } else {
            out.push_back(char(0xC0 | ((c >> 6) & 0x03)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::u16string NameFromUtf8(const unsigned char* text)
{
    std::u16string out;
    for (const unsigned char* p = text; p && *p; p++) {
        if (*p < 0x80) {
            out.push_back(*p);
        } else if ((*p & 0xE0) == 0xC0 && p[1]) {
            out.push_back(char16_t(((*p & 0x1F) << 6) | (p[1] & 0x3F)));
            p++;
        }
    }
    return out;
}

ScoreStore::~ScoreStore() { Close(); }

bool ScoreStore::Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

bool ScoreStore::Open(const std::string& path, std::string& error)
{
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        error = "cannot open database " + path + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory");
        Close();
        return false;
    }
    sqlite3_busy_timeout(db_, 2000);
    // WAL: a crash of the server keeps every committed row; NORMAL syncs at
    // checkpoints, which only a power cut rather than a killed process can beat
    bool ok = Exec("PRAGMA journal_mode=WAL;") && Exec("PRAGMA synchronous=NORMAL;") &&
              Exec("PRAGMA wal_autocheckpoint=0;") && Exec(kSchema);
    ok = ok && sqlite3_prepare_v2(db_, "SELECT best FROM players WHERE id = ?1 AND name = ?2", -1, &find_, nullptr) == SQLITE_OK;
    ok = ok && sqlite3_prepare_v2(db_,
                                  "INSERT INTO players (id, name, best, achieved) VALUES (?1, ?2, ?3, ?4) "
                                  "ON CONFLICT (id) DO UPDATE SET name = excluded.name,"
                                  " best = max(best, excluded.best),"
                                  " achieved = CASE WHEN excluded.best > best THEN excluded.achieved ELSE achieved END",
                                  -1, &insert_, nullptr) == SQLITE_OK;
    ok = ok && sqlite3_prepare_v2(db_, "SELECT name, best FROM players ORDER BY best DESC, achieved ASC LIMIT 10", -1,
                                  &top_, nullptr) == SQLITE_OK;
    sqlite3_stmt* last = nullptr;
    ok = ok && sqlite3_prepare_v2(db_, "SELECT coalesce(max(achieved), 0) FROM players", -1, &last, nullptr) == SQLITE_OK;
    if (ok && sqlite3_step(last) == SQLITE_ROW) nextAchievement_ = sqlite3_column_int64(last, 0) + 1;
    sqlite3_finalize(last);
    if (!ok) {
        error = "cannot set up database " + path + ": " + sqlite3_errmsg(db_);
        Close();
        return false;
    }
    StartCheckpoints(path);
    return true;
}

void ScoreStore::StartCheckpoints(const std::string& path)
{
    if (sqlite3_open_v2(path.c_str(), &checkpointDb_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(checkpointDb_);
        checkpointDb_ = nullptr;
        Exec("PRAGMA wal_autocheckpoint=1000;");   // then the requests do it after all
        return;
    }
    sqlite3_busy_timeout(checkpointDb_, 1000);
    checkpointStop_ = false;
    checkpointer_ = std::thread([this] {
        std::unique_lock<std::mutex> hold(checkpointLock_);
        while (!checkpointWake_.wait_for(hold, std::chrono::seconds(1), [this] { return checkpointStop_; }))
            sqlite3_wal_checkpoint_v2(checkpointDb_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    });
}

void ScoreStore::StopCheckpoints()
{
    if (checkpointer_.joinable()) {
        {
            std::lock_guard<std::mutex> hold(checkpointLock_);
            checkpointStop_ = true;
        }
        checkpointWake_.notify_all();
        checkpointer_.join();
    }
    if (checkpointDb_) sqlite3_close(checkpointDb_);
    checkpointDb_ = nullptr;
}

void ScoreStore::Close()
{
    StopCheckpoints();
    for (sqlite3_stmt** s : {&find_, &insert_, &top_}) {
        sqlite3_finalize(*s);
        *s = nullptr;
    }
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
}

// Most exchanges repeat what is stored already; those are only read
bool ScoreStore::Store(const PlayerEntry& entry, bool& changed)
{
    std::string name = NameToUtf8(entry.name);
    sqlite3_stmt* find = Ready(find_);
    sqlite3_bind_int64(find, 1, entry.playerId);
    sqlite3_bind_text(find, 2, name.data(), int(name.size()), SQLITE_TRANSIENT);
    int step = sqlite3_step(find);
    bool same = step == SQLITE_ROW && sqlite3_column_int64(find, 0) >= entry.best;
    sqlite3_reset(find);
    if (step != SQLITE_ROW && step != SQLITE_DONE) return false;
    changed = !same;
    if (same) return true;
    sqlite3_stmt* insert = Ready(insert_);
    sqlite3_bind_int64(insert, 1, entry.playerId);
    sqlite3_bind_text(insert, 2, name.data(), int(name.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert, 3, entry.best);
    sqlite3_bind_int64(insert, 4, nextAchievement_);
    step = sqlite3_step(insert);
    sqlite3_reset(insert);
    if (step != SQLITE_DONE) return false;
    nextAchievement_++;
    return true;
}

bool ScoreStore::ReadBoard(std::u16string& board)
{
    board.clear();
    sqlite3_stmt* top = Ready(top_);
    int step;
    while ((step = sqlite3_step(top)) == SQLITE_ROW) {
        if (!board.empty()) board += u"|";
        board += NameFromUtf8(sqlite3_column_text(top, 0)) + u"|" +
                 engine::IntToText(std::int32_t(sqlite3_column_int64(top, 1)));
    }
    sqlite3_reset(top);
    return step == SQLITE_DONE;
}

bool ScoreStore::Record(const PlayerEntry& entry, std::u16string& board, std::string& scrambled)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (!db_) return false;
    bool changed = false;
    if (!Store(entry, changed)) return false;
    if (changed || !boardValid_) {
        boardValid_ = ReadBoard(board_);
        if (!boardValid_) return false;
        scrambledBoard_ = engine::ToBytes(scores::ScrambleText(board_, scores::kExchangeKey, scores::kExchangeRounds));
    }
    board = board_;
    scrambled = scrambledBoard_;
    return true;
}

} // namespace server
