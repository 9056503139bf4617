// The host's services as the module sees them: database, context, settings,
// messages, skin and log. The host's service library implements them; the
// module never reaches the database, settings or log any other way.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "SharedApi.h"

class QWidget;
class TDataVO;
class TObject;

// Window handles are window ids of the toolkit (QWidget::winId).
using THandle = std::uintptr_t;

// Windows colour number: the low byte is red, then green, then blue.
using TColor = std::uint32_t;

inline constexpr const char* kMainConnection = "MainAppCon";

// A query on a named connection: opened statements are read forward only,
// one row at a time, so no result set is ever held twice.
class SHARED_API TADOQuery {
  public:
    TADOQuery();
    ~TADOQuery();
    TADOQuery(const TADOQuery&) = delete;
    TADOQuery& operator=(const TADOQuery&) = delete;

    // Runs a statement; open = true keeps its result set for reading.
    bool Open(const QString& connection, const QString& sql, QString& errorText);
    bool Execute(const QString& connection, const QString& sql, QString& errorText);
    void Close();

    bool Active() const;
    // No current row: the result was empty or has been read to its end.
    bool Eof() const;
    bool IsEmpty() const;
    bool Next();

    int FieldCount() const;
    // Index of a column by name, ASCII case ignored; -1 when there is none.
    // Look it up once per statement and read rows by index.
    int FieldIndex(const QString& name) const;
    QString FieldAsString(int index) const;
    // The same text in UTF-8, without a copy where the engine holds it so:
    // valid until the query moves to another row or closes. Lists of many
    // rows read through it.
    QByteArrayView FieldAsUtf8(int index) const;
    bool FieldIsNull(int index) const;
    // One-off read by name; a null or missing column reads as empty.
    QString FieldByName(const QString& name) const;

    // Number of rows when the engine reports it without a second pass, else -1.
    qint64 SizeHint() const;
    qint64 RowsAffected() const;

    struct Impl;

  private:
    std::unique_ptr<Impl> d_;
};

struct SHARED_API TSubAppInfo {
    QString Code;
    QString Name;
    // Folder of the sub-application below the application folder, ending in "/".
    QString Path;
};

namespace ModuleLib {

// Database on a named connection ("MainAppCon"). open = 1 keeps a result set,
// open = 0 executes. On failure: false with the database's message.
SHARED_API bool ExecADOQueryMsg(const QString& connection, const QString& sql, TADOQuery& query,
                                QString& errorText, int open, int reserved = 0);
// SQL date expression for a date text, spliced into SQL without quotes.
SHARED_API QString GetSQLDataTime(const QString& connection, const QString& dateText);
// Name of the connection's engine, for example "SQLITE" or "POSTGRESQL".
SHARED_API QString GetDBType(const QString& connection);
SHARED_API QString ReplaceStr(const QString& text, const QString& from, const QString& to);

enum class TransactionMode {
    // Locks are taken as the statements need them.
    Deferred,
    // Runs one after the other with every other serialised transaction on the
    // database, from whatever desk: a check followed by a write inside one
    // cannot both pass on two desks at once. SQLite begins an immediate
    // transaction (a second desk waits up to the busy timeout, then fails);
    // PostgreSQL takes a transaction-level advisory lock right after BEGIN (a
    // second desk waits until the first one ends). A level given a scope (a
    // company's id) queues only behind levels of the same scope there; scope
    // 0 is the whole database's, for what checks across companies.
    Serialized,
};

// Transactions on a named connection. Begin nests: the outermost level is a
// transaction, inner levels are savepoints, so a failed inner step can be
// undone without losing the outer work. Commit and Rollback end the innermost
// level. False, with the database's message, when the engine refuses.
// A serialised level is the outermost one or lies inside one: an engine cannot
// serialise a transaction that has begun already, so Serialized inside a
// deferred level is refused. Hold them through TTransaction, never by hand.
SHARED_API bool BeginTransaction(const QString& connection, QString& errorText,
                                 TransactionMode mode = TransactionMode::Deferred,
                                 qint64 scope = 0);
SHARED_API bool CommitTransaction(const QString& connection, QString& errorText);
SHARED_API bool RollbackTransaction(const QString& connection, QString& errorText);
// Nesting depth of the connection's open transaction; 0 outside one.
SHARED_API int TransactionDepth(const QString& connection);

// Context owned by the host.
SHARED_API TDataVO* GetUserInfoVO();
SHARED_API TDataVO* GetCompanyInfoVO();
// Application folder, ending in "/".
SHARED_API QString GetAppPath();
SHARED_API THandle GetAppHandle();
SHARED_API THandle GetMainFrameHandle();
SHARED_API QString GetCurSubAppPath();
SHARED_API QString GetCurSubAppCode();
SHARED_API QString GetCurFuncCode();
SHARED_API const TSubAppInfo* GetCurSubAppInfo();
SHARED_API TObject* GetCurSubAppVo();
SHARED_API QWidget* GetCurParentForm();
SHARED_API QWidget* GetgsMainFrameParentForm();
SHARED_API void GetALLSubAppCodeList(QStringList& list);
// The record of a sub-application, or null for an unknown code.
SHARED_API const TSubAppInfo* GetpSubAppInfo(const QString& code);
// Edition code; "10" is the single-company edition.
SHARED_API QString gsAppVerTypeCode();
SHARED_API bool CheckAgencyExist();
SHARED_API void SetgsAgencyInfo(const QString& agencyName);
SHARED_API void SetgbAgencyVerExist(bool exists);
// Runs a host function on a parameter string held in buffer (size bytes);
// the function may change the string. True when the function ran.
SHARED_API bool ExecuteFunc(QWidget* parent, const QString& functionCode, char* buffer,
                            std::size_t size);

// Settings; a missing key yields the default.
SHARED_API QString GetSysConfigParam(const QString& section, const QString& key,
                                     const QString& defaultValue);
SHARED_API QString GetUserConfigParam(const QString& section, const QString& key,
                                      const QString& defaultValue);
// Stores a value in the operator's own settings; false when it could not be
// written (no operator, or the store refused).
SHARED_API bool SetUserConfigParam(const QString& section, const QString& key,
                                   const QString& value);

// Data files of the application folder (dictionaries, configuration), which
// may be UTF-8 or the legacy code page (GBK). False with a reason when the
// file is missing, cannot be read or is neither encoding.
SHARED_API bool ReadDataFileText(const QString& path, QString& text, QString& errorText);
// The same, split into lines with their CR/LF ends removed; a final line end
// adds no empty line. On failure lines are left as they were.
SHARED_API bool ReadDataFileLines(const QString& path, QStringList& lines, QString& errorText);

// Help.
SHARED_API void SetgsHelpHtml(const QString& pageName);
// Takes the text before the first separator (trimmed) into result; with cut set
// the field and its separator are removed from text. False when text is empty.
SHARED_API bool FetchHeadstrTrim(bool cut, const QString& separator, QString& text,
                                 QString& result);

// Skin.
SHARED_API TColor gclModuleBackColor();
SHARED_API TColor gclModuleToolBarColor();
SHARED_API TColor gclTopBarColor();
SHARED_API TColor gclFrameBackColor();
SHARED_API TColor gclSysFontColor();
SHARED_API int giSysFontSize();
SHARED_API int giSysFontCharSet();
SHARED_API void SetSkinSchemeCtrls(QWidget* form);

// Messages. InforMsg shows a numbered host message with an extra text and
// returns 1 when the operator confirms; InfoMsgBox shows a text unchanged:
// flags 0 with OK (answers 1), 1 asking Yes (1) or No (2), 2 asking Yes (1),
// No (2) or Cancel (3).
SHARED_API int InforMsg(int code, const QString& extra, int buttons = 1);
SHARED_API int InfoMsgBox(const QString& text, int flags = 0);

}  // namespace ModuleLib

namespace logQuery {
SHARED_API void Error(const QString& level, const QString& text);
SHARED_API void Warn(const QString& level, const QString& text);
}  // namespace logQuery
