/// @file HostServices.h
/// @brief The host's services as the module sees them: database, context,
/// settings, messages, skin and log.
///
/// This is the contract between module and host: the host's service library
/// (the reference one is libModuleLib.so) defines every function declared
/// here, and the module never reaches the database, settings or log any other
/// way. Each declaration says when the module calls it.
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

/// A window handle: the toolkit's window id (QWidget::winId).
using THandle = std::uintptr_t;

/// A Windows colour number: the low byte is red, then green, then blue.
using TColor = std::uint32_t;

/// The one connection the module's statements run on.
inline constexpr const char* kMainConnection = "MainAppCon";

/// A query on a named connection: opened statements are read forward only,
/// one row at a time, so no result set is ever held twice.
///
/// The module runs every statement through one (through
/// ModuleLib::ExecADOQueryMsg or Open and Execute), and reads each list and
/// each loaded row through it.
class SHARED_API TADOQuery {
  public:
    /// A query that holds no statement yet.
    TADOQuery();
    /// Closes the statement it holds.
    ~TADOQuery();
    TADOQuery(const TADOQuery&) = delete;
    TADOQuery& operator=(const TADOQuery&) = delete;

    /// Runs a statement that returns rows and keeps its result set for
    /// reading; false with the database's message in errorText.
    bool Open(const QString& connection, const QString& sql, QString& errorText);
    /// Runs a statement that returns no rows; false with the database's
    /// message in errorText.
    bool Execute(const QString& connection, const QString& sql, QString& errorText);
    /// Lets go of the result set.
    void Close();

    /// True while a result set is held.
    bool Active() const;
    /// No current row: the result was empty or has been read to its end.
    bool Eof() const;
    /// The result set has no row.
    bool IsEmpty() const;
    /// Moves to the next row; false when there is none.
    bool Next();

    /// Number of columns of the result set.
    int FieldCount() const;
    /// Index of a column by name, ASCII case ignored; -1 when there is none.
    /// Look it up once per statement and read rows by index.
    int FieldIndex(const QString& name) const;
    /// The current row's column as text; empty for NULL.
    QString FieldAsString(int index) const;
    /// The same text in UTF-8, without a copy where the engine holds it so:
    /// valid until the query moves to another row or closes. Lists of many
    /// rows read through it.
    QByteArrayView FieldAsUtf8(int index) const;
    /// The current row's column is NULL.
    bool FieldIsNull(int index) const;
    /// One-off read by name; a null or missing column reads as empty.
    QString FieldByName(const QString& name) const;

    /// Number of rows when the engine reports it without a second pass, else -1.
    qint64 SizeHint() const;
    /// Rows the last Execute changed.
    qint64 RowsAffected() const;

    /// The host library's own state of the query.
    struct Impl;

  private:
    std::unique_ptr<Impl> d_;
};

/// An installed sub-application of the host.
struct SHARED_API TSubAppInfo {
    /// Its code, as in the host's settings ("GS", "DS").
    QString Code;
    /// Its name as the operator reads it.
    QString Name;
    /// Folder of the sub-application below the application folder, ending in "/".
    QString Path;
};

/// The host's services. The module calls them on the thread of the host's
/// application.
namespace ModuleLib {

/// @name Database
/// @{

/// Runs sql on a named connection ("MainAppCon"): open = 1 keeps a result set
/// in query, open = 0 executes. On failure: false with the database's message.
/// Called for every statement the module runs, through its query helper.
SHARED_API bool ExecADOQueryMsg(const QString& connection, const QString& sql, TADOQuery& query,
                                QString& errorText, int open, int reserved = 0);
/// SQL date expression for a date text, spliced into SQL without quotes.
/// Called when a save or a write-back stamps the date of change.
SHARED_API QString GetSQLDataTime(const QString& connection, const QString& dateText);
/// Name of the connection's engine, for example "SQLITE" or "POSTGRESQL".
/// Called when a taxpayer-number filter is built, whose match differs by engine.
SHARED_API QString GetDBType(const QString& connection);
/// text with every from replaced by to. Offered to modules; this one does not call it.
SHARED_API QString ReplaceStr(const QString& text, const QString& from, const QString& to);

/// How a transaction level takes its locks.
enum class TransactionMode {
    /// Locks are taken as the statements need them.
    Deferred,
    /// Runs one after the other with every other serialised transaction on the
    /// database, from whatever desk: a check followed by a write inside one
    /// cannot both pass on two desks at once. SQLite begins an immediate
    /// transaction (a second desk waits up to the busy timeout, then fails);
    /// PostgreSQL takes a transaction-level advisory lock right after BEGIN (a
    /// second desk waits until the first one ends). A level given a scope (a
    /// company's id) queues only behind levels of the same scope there; scope
    /// 0 is the whole database's, for what checks across companies.
    Serialized,
};

/// Begins a transaction level on a named connection. Levels nest: the
/// outermost level is a transaction, inner levels are savepoints, so a failed
/// inner step can be undone without losing the outer work. False, with the
/// database's message, when the engine refuses.
/// A serialised level is the outermost one or lies inside one: an engine cannot
/// serialise a transaction that has begun already, so Serialized inside a
/// deferred level is refused.
/// Called only through TTransaction, for every write of more than one
/// statement and for every check that guards a write.
SHARED_API bool BeginTransaction(const QString& connection, QString& errorText,
                                 TransactionMode mode = TransactionMode::Deferred,
                                 qint64 scope = 0);
/// Commits the innermost level (releases its savepoint when nested); called
/// through TTransaction::Commit. When a server connection drops while COMMIT
/// runs, the host reconnects and finds out whether the work was stored: true
/// when it was, false when it was not; when it cannot find out, false with
/// CommitOutcomeUnknown set.
SHARED_API bool CommitTransaction(const QString& connection, QString& errorText);
/// Names what makes the main connection's writes from now on ("信息页", "新增",
/// a write-back entry point's name...), for the history the database keeps
/// of the companies' rows, with the operator and the desk; empty for none.
/// Called through TChangeSource.
SHARED_API void SetChangeSource(const QString& source);
/// The source SetChangeSource named last.
SHARED_API QString ChangeSource();
/// True when the connection's last CommitTransaction failed without the host
/// knowing whether the work was stored: the operator may only be told that.
SHARED_API bool CommitOutcomeUnknown(const QString& connection);
/// Rolls the innermost level back; called through TTransaction when a level
/// ends without Commit.
SHARED_API bool RollbackTransaction(const QString& connection, QString& errorText);
/// Nesting depth of the connection's open transaction; 0 outside one. Called
/// through TTransaction to find its own level.
SHARED_API int TransactionDepth(const QString& connection);
/// @}

/// @name Context owned by the host
/// The module reads these when it makes a window (which keeps them for its
/// life) and when an entry point needs the operator or the current company.
/// @{

/// The operator: CZY_DM (code), CZY_LB (class), and the host's session
/// object under "TPSession", told of companies added and removed.
SHARED_API TDataVO* GetUserInfoVO();
/// The current company: its columns, QYDSXX and QYGSXX (tax data) and, on an
/// agency's installation, DLJGXX (the agency). InitGlobalCompanyInfo and
/// RefreshCurrentCompanyInfo fill it; saves of the current company refresh it.
SHARED_API TDataVO* GetCompanyInfoVO();
/// Application folder, ending in "/". Read for the data files and the
/// sub-applications' configuration.
SHARED_API QString GetAppPath();
/// The host's application handle, passed back in the window messages.
SHARED_API THandle GetAppHandle();
/// The host's main window, to which the window messages go.
SHARED_API THandle GetMainFrameHandle();
/// Folder of the current sub-application.
SHARED_API QString GetCurSubAppPath();
/// Code of the current sub-application.
SHARED_API QString GetCurSubAppCode();
/// The host function being run; a page takes it as its own and names it in
/// #COMPANYMGR_MSG_FORM_DESTROYED and #COMPANYMGR_MSG_FORM_SAVED.
SHARED_API QString GetCurFuncCode();
/// The current sub-application's record, or null.
SHARED_API const TSubAppInfo* GetCurSubAppInfo();
/// The current sub-application's own object, or null.
SHARED_API TObject* GetCurSubAppVo();
/// The container the host opens its next page in.
SHARED_API QWidget* GetCurParentForm();
/// The host's page area of its main window.
SHARED_API QWidget* GetgsMainFrameParentForm();
/// The codes of every installed sub-application; read when the information
/// page merges their field configurations.
SHARED_API void GetALLSubAppCodeList(QStringList& list);
/// The record of a sub-application, or null for an unknown code.
SHARED_API const TSubAppInfo* GetpSubAppInfo(const QString& code);
/// Edition code; "10" is the single-company edition, in which
/// LoadSelectCompanyForm takes the first company without a dialog.
SHARED_API QString gsAppVerTypeCode();
/// True on a tax agency's installation: the company load attaches the agency,
/// and an add, a filter or a list takes the agency's companies into account.
SHARED_API bool CheckAgencyExist();
/// Tells the host the agency's name: when the agency is loaded and after its
/// settings are saved.
SHARED_API void SetgsAgencyInfo(const QString& agencyName);
/// Tells the host that the agency was found, when it is loaded.
SHARED_API void SetgbAgencyVerExist(bool exists);
/// Runs a host function on a parameter string held in buffer (size bytes);
/// the function may change the string. True when the function ran. The
/// company manager calls it to open a company's information page.
SHARED_API bool ExecuteFunc(QWidget* parent, const QString& functionCode, char* buffer,
                            std::size_t size);
/// @}

/// @name Settings
/// A missing key yields the default.
/// @{

/// A system setting (section, key); read for the product name of the dialogs'
/// captions and for the switch's and filters' settings ([SysCofig]).
SHARED_API QString GetSysConfigParam(const QString& section, const QString& key,
                                     const QString& defaultValue);
/// A setting of the operator's own; read for his input method and his recent
/// companies.
SHARED_API QString GetUserConfigParam(const QString& section, const QString& key,
                                      const QString& defaultValue);
/// Stores a value in the operator's own settings; false when it could not be
/// written (no operator, or the store refused). Called when his recent
/// companies change.
SHARED_API bool SetUserConfigParam(const QString& section, const QString& key,
                                   const QString& value);
/// @}

/// @name Data files
/// Files of the application folder (dictionaries, configuration), which may
/// be UTF-8 or the legacy code page (GBK).
/// @{

/// The file's text. False with a reason when the file is missing, cannot be
/// read or is neither encoding. Read for the sub-applications' field
/// configuration of the information page.
SHARED_API bool ReadDataFileText(const QString& path, QString& text, QString& errorText);
/// The same, split into lines with their CR/LF ends removed; a final line end
/// adds no empty line. On failure lines are left as they were. Read for the
/// industry and region lists.
SHARED_API bool ReadDataFileLines(const QString& path, QStringList& lines, QString& errorText);
/// @}

/// @name Help
/// @{

/// Names the help page F1 opens; set when a page is docked.
SHARED_API void SetgsHelpHtml(const QString& pageName);
/// Takes the text before the first separator (trimmed) into result; with cut set
/// the field and its separator are removed from text. False when text is
/// empty. Called to read the help page's name out of a page's message text.
SHARED_API bool FetchHeadstrTrim(bool cut, const QString& separator, QString& text,
                                 QString& result);
/// @}

/// @name Skin
/// Read when a window is made and again on #COMPANYMGR_MSG_APPLY_SKIN.
/// @{

/// Background of the module's pages and dialogs.
SHARED_API TColor gclModuleBackColor();
/// Background of a page's toolbar.
SHARED_API TColor gclModuleToolBarColor();
/// Background of a dialog's title band.
SHARED_API TColor gclTopBarColor();
/// Frame colour; when it is not 0 the status window takes its own colour.
SHARED_API TColor gclFrameBackColor();
/// Colour of the window texts.
SHARED_API TColor gclSysFontColor();
/// Point size of the window texts.
SHARED_API int giSysFontSize();
/// Character set of the window font. Offered to modules; this one does not call it.
SHARED_API int giSysFontCharSet();
/// Lets the host restyle a window's controls, once the window is made.
SHARED_API void SetSkinSchemeCtrls(QWidget* form);
/// @}

/// @name Messages
/// @{

/// Shows the numbered host message code with an extra text; buttons 1 asks
/// a question. Returns 1 when the operator confirms. The codes the module
/// shows are listed in companymgr.h.
SHARED_API int InforMsg(int code, const QString& extra, int buttons = 1);
/// Shows a text unchanged: flags 0 with OK (answers 1), 1 asking Yes (1) or
/// No (2), 2 asking Yes (1), No (2) or Cancel (3). The module asks with
/// flags 2 before a window with unsaved edits closes and when another desk
/// changed what is being saved.
SHARED_API int InfoMsgBox(const QString& text, int flags = 0);
/// @}

}  // namespace ModuleLib

/// The host's log. level is the log's category ("1"). The module logs, for example, an
/// error for each refusal of the grant gate and each failed load, and a
/// warning for each failed statement and each write-back that stored nothing.
namespace logQuery {
/// Logs an error line.
SHARED_API void Error(const QString& level, const QString& text);
/// Logs a warning line.
SHARED_API void Warn(const QString& level, const QString& text);
}  // namespace logQuery
