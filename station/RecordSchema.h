#pragma once
// The record store's tables, the same in SQLite and PostgreSQL, and their
// version: a store is created on first use, an older one is brought up to
// this version, a newer one is refused (an older tool must not write into
// tables it does not know).
class QSqlDatabase;
class QString;

namespace RecordSchema {

// The version this tool writes; one more for each change of the tables.
int version();

// Creates or migrates the tables of an open database in one transaction.
// Throws StoreError, naming where, when the store is newer or the change fails.
void bringUpToDate(QSqlDatabase& database, const QString& where);

} // namespace RecordSchema
