// Everything the reference host services remember between calls, one set per
// process: settings, context objects, recorded messages, open transactions.
#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "HostSetup.h"
#include "IniFile.h"
#include "f_DataVO.h"

namespace ServiceState {

struct State {
    bool started = false;
    QString appPath;  // ends in "/"
    IniFile sysConfig;
    QHash<QString, QString> sysOverrides;  // "section\nkey" -> value
    std::optional<QString> editionOverride;
    std::optional<bool> agencyOverride;

    std::unique_ptr<TDataVO> userInfo = std::make_unique<TDataVO>();
    std::unique_ptr<TDataVO> companyInfo = std::make_unique<TDataVO>();

    std::map<QString, TSubAppInfo> subApps;
    QStringList subAppCodes;
    QString curSubAppCode;
    QString curFuncCode;
    TObject* curSubAppVo = nullptr;
    QPointer<QWidget> mainFrame;
    QPointer<QWidget> curParentForm;
    QPointer<QWidget> mainFrameParentForm;

    QHash<QString, HostSetup::HostFunction> functions;

    QString agencyInfo;
    bool agencyVerExist = false;
    QString helpHtml;

    HostSetup::MessageResponder responder;
    bool recording = false;
    bool askOffscreen = false;
    std::vector<HostSetup::THostMessage> messages;
    std::vector<HostSetup::TLogLine> logLines;
    QString logPath;
    // A log that cannot be written is reported once, not on every line.
    bool logFailureReported = false;

    QString driver;
    bool genericQueryPath = false;
    qint64 statementCount = 0;
    bool recordStatements = false;
    QStringList statements;
    // Open transaction levels per connection, outermost first.
    struct TransactionLevel {
        // A statement failed in the level: it cannot commit.
        bool failed = false;
        // Begun serialised, or inside a level that was; and for which scope.
        bool serialized = false;
        qint64 scope = 0;
    };
    QHash<QString, QList<TransactionLevel>> transactions;
    // The mark the last marked commit stored (see CommitMarks).
    QString lastCommitMark;
    // Connections whose last commit failed with its outcome unknown.
    QHash<QString, bool> commitUnknown;
    HostSetup::TCommitChecks commitChecks;
    // What makes the writes now, for the history (see ChangeContext), and the
    // settings the server session was given last.
    QString changeSource;
    QString sentChangeContext;
};

State& Get();

QString OverrideKey(const QString& section, const QString& key);
// The settings folder of the application folder, ending in "/".
QString ConfigFolder();

}  // namespace ServiceState
