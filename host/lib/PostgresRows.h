// One statement's rows read straight from libpq, on the connection Qt's
// PostgreSQL driver opened: Qt would make a QVariant of every value first.
// Rows arrive one at a time (libpq's single-row mode), so a long list costs
// no more memory than the row being read.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <deque>

struct pg_conn;
struct pg_result;
class QSqlDatabase;

class PostgresRows {
  public:
    PostgresRows() = default;
    PostgresRows(const PostgresRows&) = delete;
    PostgresRows& operator=(const PostgresRows&) = delete;
    ~PostgresRows();

    // The libpq connection under a Qt PostgreSQL connection; null otherwise.
    static pg_conn* Handle(const QSqlDatabase& database);
    // Another statement, or Qt itself, is about to use the connection: a
    // query still reading from it takes its remaining rows in first.
    static void ReleaseConnection(pg_conn* connection);

    // Sends one statement. keepRows keeps a result set to be read row by row;
    // without it the statement is run to its end.
    bool Run(pg_conn* connection, const QString& sql, bool keepRows, QString& errorText);
    void Reset();

    // Whether a row is there to read.
    bool OnRow() const { return row_ != nullptr; }
    // Moves to the next row; false at the end, or when reading failed (with
    // the reason in errorText).
    bool Next(QString& errorText);
    const QStringList& Columns() const { return columns_; }
    qint64 RowsAffected() const { return affected_; }
    bool IsNull(int column) const;
    // The value in UTF-8 as the server wrote it, in place; empty when null.
    QByteArrayView Utf8(int column) const;

  private:
    pg_result* Fetch();
    void TakeRest();
    void Finish();

    pg_conn* connection_ = nullptr;
    pg_result* row_ = nullptr;
    // Rows taken in ahead when the connection was needed for another statement.
    std::deque<pg_result*> ahead_;
    bool streaming_ = false;
    QStringList columns_;
    qint64 affected_ = -1;
};
