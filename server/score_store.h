// The score table in SQLite: one row per player number.
#pragma once
#include <sqlite3.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <string>

#include "server/player_entry.h"

namespace server {

class ScoreStore {
public:
    ~ScoreStore();
    // Opens or creates the database; false with a reason
    bool Open(const std::string& path, std::string& error);
    void Close();

    // Keeps the entry (the name always, the best only when it rises) and
    // gives the top ten as "name|score|name|score...", best first and the
    // earlier achievement first on ties, both plain and as the scrambled
    // bytes of the reply. False when the database failed.
    bool Record(const PlayerEntry& entry, std::u16string& board, std::string& scrambled);

private:
    bool Store(const PlayerEntry& entry, bool& changed);
    bool ReadBoard(std::u16string& board);
    bool Exec(const char* sql);
    void StartCheckpoints(const std::string& path);
    void StopCheckpoints();

    // Copying the log into the database syncs the disk, which would stall
    // whichever request happened to trigger it; a thread of its own does it
    sqlite3* checkpointDb_ = nullptr;
    std::thread checkpointer_;
    std::mutex checkpointLock_;
    std::condition_variable checkpointWake_;
    bool checkpointStop_ = false;

    std::mutex lock_;   // one connection, used by every server thread in turn
    sqlite3* db_ = nullptr;
    sqlite3_stmt* find_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* top_ = nullptr;
    std::int64_t nextAchievement_ = 1;
    // The board only changes when a row does, so most requests reuse it
    std::u16string board_;
    std::string scrambledBoard_;
    bool boardValid_ = false;
};

// Names travel as one byte per character; the database keeps them as UTF-8
std::string NameToUtf8(const std::u16string& name);
std::u16string NameFromUtf8(const unsigned char* text);

} // namespace server
