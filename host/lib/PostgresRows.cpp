#include "PostgresRows.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <libpq-fe.h>

#include <map>

namespace {

// The query reading rows from each connection in single-row mode: libpq
// refuses any other statement there until those rows are taken.
std::map<PGconn*, PostgresRows*>& Streaming() {
    static std::map<PGconn*, PostgresRows*> streaming;
    return streaming;
}

QString ErrorText(const char* message) {
    return QString::fromUtf8(message).trimmed();
}

// A COPY cannot run through the query class: it is refused and ended.
// False when it could not be ended: libpq would report the COPY forever.
bool EndCopy(PGconn* connection, ExecStatusType status) {
    if (status == PGRES_COPY_IN) {
        return PQputCopyEnd(connection, "COPY is not supported here") == 1;
    }
    if (status == PGRES_COPY_OUT) {
        char* buffer = nullptr;
        while (PQgetCopyData(connection, &buffer, 0) > 0) {
            PQfreemem(buffer);
        }
    }
    return status != PGRES_COPY_BOTH;
}

// Takes whatever the connection still sends for a statement.
void Drain(PGconn* connection) {
    while (PGresult* result = PQgetResult(connection)) {
        const ExecStatusType status = PQresultStatus(result);
        PQclear(result);
        if (!EndCopy(connection, status)) {
            break;
        }
    }
}

}  // namespace

PostgresRows::~PostgresRows() {
    Reset();
}

PGconn* PostgresRows::Handle(const QSqlDatabase& database) {
    if (database.driverName() != QLatin1String("QPSQL") || database.driver() == nullptr) {
        return nullptr;
    }
    const QVariant handle = database.driver()->handle();
    // Qt names the type after libpq's struct.
    if (!handle.isValid() || qstrcmp(handle.typeName(), "pg_conn*") != 0) {
        return nullptr;
    }
    return *static_cast<PGconn* const*>(handle.constData());
}

void PostgresRows::ReleaseConnection(PGconn* connection) {
    const auto found = Streaming().find(connection);
    if (found != Streaming().end()) {
        found->second->TakeRest();
    }
}

bool PostgresRows::Run(PGconn* connection, const QString& sql, bool keepRows, QString& errorText) {
    Reset();
    ReleaseConnection(connection);
    const QByteArray text = sql.toUtf8();
    if (PQsendQuery(connection, text.constData()) == 0) {
        errorText = ErrorText(PQerrorMessage(connection));
        Drain(connection);
        return false;
    }
    connection_ = connection;
    streaming_ = true;
    if (keepRows && PQsetSingleRowMode(connection) == 1) {
        Streaming()[connection] = this;
    }
    PGresult* first = Fetch();
    const ExecStatusType status = first != nullptr ? PQresultStatus(first) : PGRES_FATAL_ERROR;
    bool ok = true;
    if (status == PGRES_SINGLE_TUPLE || status == PGRES_TUPLES_OK) {
        for (int i = 0; i < PQnfields(first); ++i) {
            columns_.append(QString::fromUtf8(PQfname(first, i)));
        }
        if (status == PGRES_SINGLE_TUPLE) {
            row_ = first;
            return true;
        }
    } else if (status == PGRES_COMMAND_OK) {
        // As Qt's driver reads it: a command without a count affected none.
        affected_ = QByteArray(PQcmdTuples(first)).toLongLong();
    } else if (status == PGRES_EMPTY_QUERY) {
        errorText = QStringLiteral("SQL语句为空");
        ok = false;
    } else if (status == PGRES_COPY_IN || status == PGRES_COPY_OUT || status == PGRES_COPY_BOTH) {
        errorText = QStringLiteral("查询服务不能执行COPY语句");
        ok = false;
    } else {
        errorText =
            ErrorText(first != nullptr ? PQresultErrorMessage(first) : PQerrorMessage(connection));
        ok = false;
    }
    if (first != nullptr) {
        PQclear(first);
    }
    EndCopy(connection, status);
    Finish();
    return ok;
}

PGresult* PostgresRows::Fetch() {
    if (!ahead_.empty()) {
        PGresult* next = ahead_.front();
        ahead_.pop_front();
        return next;
    }
    if (!streaming_) {
        return nullptr;
    }
    PGresult* next = PQgetResult(connection_);
    if (next == nullptr) {
        Finish();
    }
    return next;
}

bool PostgresRows::Next(QString& errorText) {
    if (row_ == nullptr) {
        return false;
    }
    PQclear(row_);
    row_ = Fetch();
    if (row_ == nullptr) {
        return false;
    }
    if (PQresultStatus(row_) == PGRES_SINGLE_TUPLE) {
        return true;
    }
    if (PQresultStatus(row_) != PGRES_TUPLES_OK) {
        errorText = ErrorText(PQresultErrorMessage(row_));
    }
    PQclear(row_);
    row_ = nullptr;
    Finish();
    return false;
}

void PostgresRows::TakeRest() {
    while (streaming_) {
        if (PGresult* next = PQgetResult(connection_)) {
            ahead_.push_back(next);
        } else {
            Finish();
        }
    }
}

void PostgresRows::Finish() {
    if (streaming_) {
        Drain(connection_);
        streaming_ = false;
        const auto found = Streaming().find(connection_);
        if (found != Streaming().end() && found->second == this) {
            Streaming().erase(found);
        }
    }
}

void PostgresRows::Reset() {
    if (row_ != nullptr) {
        PQclear(row_);
        row_ = nullptr;
    }
    for (PGresult* result : ahead_) {
        PQclear(result);
    }
    ahead_.clear();
    Finish();
    connection_ = nullptr;
    columns_.clear();
    affected_ = -1;
}

bool PostgresRows::IsNull(int column) const {
    return row_ == nullptr || column < 0 || column >= PQnfields(row_) ||
           PQgetisnull(row_, 0, column) != 0;
}

QByteArrayView PostgresRows::Utf8(int column) const {
    if (IsNull(column)) {
        return QByteArrayView();
    }
    return QByteArrayView(PQgetvalue(row_, 0, column), PQgetlength(row_, 0, column));
}
