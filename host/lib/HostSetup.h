// How a host program (or a test) sets up the reference host services: the
// application folder with its settings and database, the answers to message
// boxes, the record of messages and log lines, and the host's own context.
#pragma once

#include <QString>

#include <cstddef>
#include <functional>
#include <vector>

#include "HostServices.h"

namespace HostSetup {

struct THostMessage {
    enum Kind { Numbered, Plain };
    Kind kind = Numbered;
    int code = 0;   // host message number; 0 for a plain message box
    QString extra;  // detail text of a numbered message
    QString text;   // the text the operator reads
    // What the operator may answer: OK (1); Yes (1) or No (2); or Yes (1),
    // No (2) or Cancel (3).
    enum Buttons { Ok = 0, YesNo = 1, YesNoCancel = 2 };
    Buttons buttons = Ok;
    int answer = 1;
};

struct TLogLine {
    QString level;  // "Error" or "Warn" from the module, "Info" from the host
    QString text;
};

// Commits whose connection dropped while the server ran them, by what the
// host found out after reconnecting.
struct TCommitChecks {
    int committed = 0;
    int notCommitted = 0;
    int unknown = 0;
};

using MessageResponder = std::function<int(const THostMessage&)>;
using HostFunction = std::function<bool(QWidget* parent, char* buffer, std::size_t size)>;

// Reads the settings under appPath, opens (and if need be creates) the database
// on "MainAppCon" and the log. An empty or missing database gets the schema.
// False, with the reason, when the settings file cannot be decoded or the
// database cannot be opened; an SQLite file is only created in an existing
// folder (the application's own Data folder is made when missing).
SHARED_API bool Start(const QString& appPath, QString& errorText);
// Rolls back an open transaction and closes the database; every query must
// have been freed.
SHARED_API void Stop();
SHARED_API bool IsStarted();

// Run by the role that owns the schema on a PostgreSQL server: brings the
// schema up to date and lets role (a plain identifier) read and write the
// rows of the module's tables, nothing more, so desks can connect with it.
SHARED_API bool GrantDeskRole(const QString& role, QString& errorText);

// Settings for this run, on top of the application folder's own.
SHARED_API void OverrideSysConfig(const QString& section, const QString& key, const QString& value);
SHARED_API void SetEditionCode(const QString& code);
SHARED_API void SetAgencyExist(bool exists);

// Answers message boxes instead of the operator; without one, a GUI host asks
// the operator and a host without a screen confirms.
SHARED_API void SetMessageResponder(MessageResponder responder);
// Shows the message boxes on the offscreen platform as well, for a caller
// that answers them with keys as an operator would.
SHARED_API void SetAskOffscreen(bool on);
SHARED_API void SetRecording(bool on);
SHARED_API std::vector<THostMessage> RecordedMessages();
SHARED_API std::vector<TLogLine> RecordedLog();
SHARED_API void ClearRecorded();

// Host text of a numbered message, empty for an unknown number.
SHARED_API QString MessageText(int code);

SHARED_API void RegisterFunction(const QString& functionCode, HostFunction function);

SHARED_API void SetMainFrame(QWidget* mainFrame);
SHARED_API void SetCurParentForm(QWidget* form);
SHARED_API void SetMainFrameParentForm(QWidget* form);
SHARED_API void SetCurrentSubApp(const QString& code);
SHARED_API void SetCurFuncCode(const QString& code);
SHARED_API void SetCurSubAppVo(TObject* subAppVo);

// What the module told the host.
SHARED_API QString AgencyInfo();
SHARED_API bool AgencyVerExist();
SHARED_API QString HelpHtml();

// The host's own entry in the log, beside the module's errors and warnings:
// what its operator did, for whoever reads the file later.
SHARED_API void LogInfo(const QString& text);
SHARED_API QString LogFilePath();
SHARED_API QString SysConfigFilePath();
SHARED_API QString DatabaseDriver();

// For tests of the path server engines take: SQLite is read through Qt's
// generic query class as well, not stepped directly. Stop turns it off.
SHARED_API void SetGenericQueryPath(bool on);

// Statements sent to a database since the process began, each a round trip
// to a server. With recording on, their texts are kept as the engine got
// them, for the benchmarks to run again on the engine's own library.
SHARED_API qint64 StatementCount();
SHARED_API void SetStatementRecording(bool on);
SHARED_API QStringList TakeRecordedStatements();

// Commits in doubt since the process began (see TCommitChecks).
SHARED_API TCommitChecks CommitChecks();

}  // namespace HostSetup
