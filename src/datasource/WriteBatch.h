// Many row updates on one connection committed together: the batch opens a transaction, the record
// sets' updates run inside it (each still guarded to change exactly its one row, by a savepoint of its
// own, see Connection::rowUpdateGuard), and commit() makes them durable at once. Each field is still
// either old or new after any fault: what was not committed is rolled back by the database.
//
// The transaction is named by an outer savepoint on every backend. On SQLite it is the transaction
// itself: the SQLite3 driver ends its open statement (the reading cursor of a run) when autocommit is
// switched off, but a savepoint in plain SQL leaves the cursor alone, and RELEASE of the outermost
// savepoint commits. On servers autocommit is switched off for the batch and the savepoint sits inside
// the transaction; committing first releases it, so a transaction that something rolled back meanwhile
// is noticed instead of committing nothing in silence. A source without transactions cannot batch:
// isSupported() is false and its updates commit one by one as before.
//
// REQUIRES: the connection outlives the batch. UI thread only.
#pragma once

namespace dorvane {

class Connection;

class WriteBatch
{
public:
    explicit WriteBatch(Connection& connection);
    // Rolls back a batch still open.
    ~WriteBatch();
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;

    bool isSupported() const;
    bool isOpen() const { return m_open; }

    // Opens the batch; harmless when it is open. Throws DataError (nothing is open then).
    void begin();
    // Commits everything written since begin(). Throws DataError when the commit fails; the batch's
    // writes are then rolled back and the batch is closed, so nothing of it is in the database.
    void commit();
    // Drops everything written since begin(); harmless when nothing is open. Never throws.
    void rollback() noexcept;

private:
    bool isSqlite() const;
    void setAutocommit(bool on) noexcept;

    Connection& m_connection;
    bool m_open = false;
};

} // namespace dorvane
