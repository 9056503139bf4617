// Setting up the reference host services: start on an application folder
// (settings, log, database), stop, and the knobs a host program or a test
// turns (overrides, message answers, recording, context objects).
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <exception>
#include <utility>

#include "DatabaseConnection.h"
#include "IniFile.h"
#include "ServiceState.h"

namespace {

using ServiceState::Get;

void LoadSubApps(ServiceState::State& state) {
    state.subApps.clear();
    state.subAppCodes.clear();
    const QStringList codes =
        state.sysConfig.Value("SubApps", "Codes").split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& rawCode : codes) {
        const QString code = rawCode.trimmed();
        if (code.isEmpty() || state.subApps.count(code) != 0) {
            continue;
        }
        const QString section = QStringLiteral("SubApp_") + code;
        TSubAppInfo info;
        info.Code = code;
        info.Name = state.sysConfig.Value(section, "Name", code);
        info.Path = state.sysConfig.Value(section, "Path", QStringLiteral("SubApps/%1/").arg(code));
        if (!info.Path.isEmpty() && !info.Path.endsWith(QLatin1Char('/'))) {
            info.Path += QLatin1Char('/');
        }
        state.subApps.emplace(code, info);
        state.subAppCodes << code;
    }
    if (!state.subAppCodes.isEmpty() && state.curSubAppCode.isEmpty()) {
        state.curSubAppCode = state.subAppCodes.first();
    }
}

// A password in a settings file that other users may read is theirs as well.
void WarnIfPasswordReadable(const ServiceState::State& state, const QString& path) {
    static const QRegularExpression optionsPassword(QStringLiteral("(^|\\s)password\\s*="));
    const bool password =
        !state.sysConfig.Value("Database", "Password").isEmpty() ||
        optionsPassword.match(state.sysConfig.Value("Database", "ConnectOptions")).hasMatch();
    if (password &&
        (QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther))) {
        logQuery::Warn("1", QStringLiteral("系统设置文件[%1]存有数据库密码，且其他用户可读："
                                           "请把密码移到~/.pgpass或服务文件中，"
                                           "或只让本用户读取该文件")
                                .arg(path));
    }
}

// The service the connection options or the environment name, and the
// files libpq looks it up in: the user's, then the system's.
QString ServiceName(const QString& connectOptions) {
    static const QRegularExpression service(
        QStringLiteral("(?:^|[\\s;])service\\s*=\\s*([^\\s;]+)"));
    const QRegularExpressionMatch match = service.match(connectOptions);
    return match.hasMatch() ? match.captured(1) : qEnvironmentVariable("PGSERVICE");
}

QStringList ServiceFiles() {
    const QString user = qEnvironmentVariable("PGSERVICEFILE");
    const QString system = qEnvironmentVariable("PGSYSCONFDIR");
    return {user.isEmpty() ? QDir::homePath() + QStringLiteral("/.pg_service.conf") : user,
            (system.isEmpty() ? QStringLiteral("/etc/postgresql-common") : system) +
                QStringLiteral("/pg_service.conf")};
}

// The same for a service file that holds the service's password.
void WarnIfServicePasswordReadable(const ServiceState::State& state) {
    const QString service = ServiceName(state.sysConfig.Value("Database", "ConnectOptions"));
    if (service.isEmpty()) {
        return;
    }
    for (const QString& path : ServiceFiles()) {
        IniFile file;
        QString ignored;
        if (file.Load(path, ignored) && file.Contains(service, QStringLiteral("password")) &&
            (QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther))) {
            logQuery::Warn("1",
                           QStringLiteral("服务文件[%1]存有服务[%2]的数据库密码，且其他用户可读："
                                          "请只让本用户读取该文件")
                               .arg(path, service));
        }
    }
}

}  // namespace

namespace HostSetup {

bool Start(const QString& appPath, QString& errorText) {
    Stop();
    ServiceState::State& state = Get();
    QDir dir(appPath);
    if (!dir.mkpath(QStringLiteral("."))) {
        errorText = QStringLiteral("无法创建应用目录[%1]").arg(appPath);
        return false;
    }
    state.appPath = dir.absolutePath() + QLatin1Char('/');
    dir.mkpath(QStringLiteral("Log"));
    state.logPath = state.appPath + QStringLiteral("Log/CompanyMgr.log");
    // Settings that cannot be read would leave every default in place, the
    // database among them: the host does not start on a guess.
    if (!state.sysConfig.Load(SysConfigFilePath(), errorText)) {
        logQuery::Error("1", errorText);
        return false;
    }
    WarnIfPasswordReadable(state, SysConfigFilePath());
    WarnIfServicePasswordReadable(state);
    LoadSubApps(state);
    if (!DatabaseConnection::Open(state, errorText)) {
        logQuery::Error("1", QStringLiteral("打开数据库失败：%1").arg(errorText));
        return false;
    }
    state.started = true;
    return true;
}

void Stop() {
    ServiceState::State& state = Get();
    // Children of the host's objects (the agency manager among them) may run
    // queries when destroyed, so they go before the connection does.
    state.companyInfo = std::make_unique<TDataVO>();
    state.userInfo = std::make_unique<TDataVO>();
    DatabaseConnection::Close();
    state.started = false;
    state.sysConfig = IniFile();
    state.sysOverrides.clear();
    state.editionOverride.reset();
    state.agencyOverride.reset();
    state.subApps.clear();
    state.subAppCodes.clear();
    state.curSubAppCode.clear();
    state.curFuncCode.clear();
    state.curSubAppVo = nullptr;
    state.agencyInfo.clear();
    state.agencyVerExist = false;
    state.helpHtml.clear();
    state.logPath.clear();
    state.logFailureReported = false;
    state.driver.clear();
    state.genericQueryPath = false;
    state.recordStatements = false;
    state.statements.clear();
}

bool GrantDeskRole(const QString& role, QString& errorText) {
    try {
        return DatabaseConnection::GrantDeskRole(role, errorText);
    } catch (const std::exception& error) {
        errorText = QString::fromLocal8Bit(error.what());
    } catch (...) {
        errorText = QStringLiteral("给角色授权时发生未知错误");
    }
    return false;
}

bool IsStarted() {
    return Get().started;
}

void OverrideSysConfig(const QString& section, const QString& key, const QString& value) {
    Get().sysOverrides.insert(ServiceState::OverrideKey(section, key), value);
}

void SetEditionCode(const QString& code) {
    Get().editionOverride = code;
}

void SetAgencyExist(bool exists) {
    Get().agencyOverride = exists;
}

void SetMessageResponder(MessageResponder responder) {
    Get().responder = std::move(responder);
}

void SetAskOffscreen(bool on) {
    Get().askOffscreen = on;
}

void SetRecording(bool on) {
    Get().recording = on;
}

std::vector<THostMessage> RecordedMessages() {
    return Get().messages;
}

std::vector<TLogLine> RecordedLog() {
    return Get().logLines;
}

void ClearRecorded() {
    Get().messages.clear();
    Get().logLines.clear();
}

void RegisterFunction(const QString& functionCode, HostFunction function) {
    Get().functions.insert(functionCode, std::move(function));
}

void SetMainFrame(QWidget* mainFrame) {
    Get().mainFrame = mainFrame;
}

void SetCurParentForm(QWidget* form) {
    Get().curParentForm = form;
}

void SetMainFrameParentForm(QWidget* form) {
    Get().mainFrameParentForm = form;
}

void SetCurrentSubApp(const QString& code) {
    Get().curSubAppCode = code;
}

void SetCurFuncCode(const QString& code) {
    Get().curFuncCode = code;
}

void SetCurSubAppVo(TObject* subAppVo) {
    Get().curSubAppVo = subAppVo;
}

QString AgencyInfo() {
    return Get().agencyInfo;
}

bool AgencyVerExist() {
    return Get().agencyVerExist;
}

QString HelpHtml() {
    return Get().helpHtml;
}

QString LogFilePath() {
    return Get().logPath;
}

QString SysConfigFilePath() {
    return ServiceState::ConfigFolder() + QStringLiteral("SysConfig.ini");
}

QString DatabaseDriver() {
    return Get().driver;
}

void SetGenericQueryPath(bool on) {
    Get().genericQueryPath = on;
}

qint64 StatementCount() {
    return Get().statementCount;
}

void SetStatementRecording(bool on) {
    Get().recordStatements = on;
    Get().statements.clear();
}

QStringList TakeRecordedStatements() {
    return std::exchange(Get().statements, QStringList());
}

TCommitChecks CommitChecks() {
    return Get().commitChecks;
}

}  // namespace HostSetup
