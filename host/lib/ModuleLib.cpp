// The reference host services: context, settings, skin and help, and the
// set-up a host program uses to configure them.
#include <QAbstractButton>
#include <QDir>
#include <QRegularExpression>
#include <QWidget>

#include "HostState.h"

namespace HostState {

State& Get() {
    static State state;
    return state;
}

QString OverrideKey(const QString& section, const QString& key) {
    return section.toLower() + QLatin1Char('\n') + key.toLower();
}

}  // namespace HostState

namespace {

using HostState::Get;

QString ConfigFolder() {
    return Get().appPath + QStringLiteral("Config/");
}

QString SysConfigValue(const QString& section, const QString& key, const QString& defaultValue) {
    const HostState::State& state = Get();
    const auto found = state.sysOverrides.constFind(HostState::OverrideKey(section, key));
    if (found != state.sysOverrides.constEnd()) {
        return found.value();
    }
    return state.sysConfig.Value(section, key, defaultValue);
}

TColor SkinColor(const char* key, TColor defaultColor) {
    bool ok = false;
    const TColor value = SysConfigValue("Skin", key, QString()).toUInt(&ok);
    return ok ? value : defaultColor;
}

int SkinNumber(const char* key, int defaultValue) {
    bool ok = false;
    const int value = SysConfigValue("Skin", key, QString()).toInt(&ok);
    return ok ? value : defaultValue;
}

bool IsTrue(const QString& text) {
    const QString value = text.trimmed().toLower();
    return value == QLatin1String("1") || value == QLatin1String("true") ||
           value == QLatin1String("yes");
}

void LoadSubApps(HostState::State& state) {
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

// Operator codes name a settings file; anything but plain characters is refused.
bool IsSafeFileStem(const QString& text) {
    static const QRegularExpression kSafe(QStringLiteral("^[A-Za-z0-9_.-]{1,64}$"));
    return kSafe.match(text).hasMatch() && !text.startsWith(QLatin1Char('.'));
}

}  // namespace

namespace ModuleLib {

QString ReplaceStr(const QString& text, const QString& from, const QString& to) {
    if (from.isEmpty()) {
        return text;
    }
    QString result = text;
    return result.replace(from, to);
}

TDataVO* GetUserInfoVO() {
    return Get().userInfo.get();
}

TDataVO* GetCompanyInfoVO() {
    return Get().companyInfo.get();
}

QString GetAppPath() {
    return Get().appPath;
}

THandle GetAppHandle() {
    QWidget* frame = Get().mainFrame.data();
    return frame != nullptr ? static_cast<THandle>(frame->winId()) : 0;
}

THandle GetMainFrameHandle() {
    return GetAppHandle();
}

QString GetCurSubAppPath() {
    const TSubAppInfo* info = GetCurSubAppInfo();
    return info != nullptr ? Get().appPath + info->Path : QString();
}

QString GetCurSubAppCode() {
    return Get().curSubAppCode;
}

QString GetCurFuncCode() {
    return Get().curFuncCode;
}

const TSubAppInfo* GetCurSubAppInfo() {
    return GetpSubAppInfo(Get().curSubAppCode);
}

TObject* GetCurSubAppVo() {
    return Get().curSubAppVo;
}

QWidget* GetCurParentForm() {
    return Get().curParentForm.data();
}

QWidget* GetgsMainFrameParentForm() {
    return Get().mainFrameParentForm.data();
}

void GetALLSubAppCodeList(QStringList& list) {
    list << Get().subAppCodes;
}

const TSubAppInfo* GetpSubAppInfo(const QString& code) {
    const auto& apps = Get().subApps;
    const auto found = apps.find(code);
    return found == apps.end() ? nullptr : &found->second;
}

QString gsAppVerTypeCode() {
    const HostState::State& state = Get();
    return state.editionOverride ? *state.editionOverride
                                 : SysConfigValue("Host", "Edition", QString());
}

bool CheckAgencyExist() {
    const HostState::State& state = Get();
    return state.agencyOverride ? *state.agencyOverride
                                : IsTrue(SysConfigValue("Host", "Agency", QString()));
}

void SetgsAgencyInfo(const QString& agencyName) {
    Get().agencyInfo = agencyName;
}

void SetgbAgencyVerExist(bool exists) {
    Get().agencyVerExist = exists;
}

bool ExecuteFunc(QWidget* parent, const QString& functionCode, char* buffer, std::size_t size) {
    const auto found = Get().functions.constFind(functionCode);
    if (found == Get().functions.constEnd() || !found.value()) {
        logQuery::Warn("1", QStringLiteral("未注册的功能[%1]").arg(functionCode));
        return false;
    }
    try {
        return found.value()(parent, buffer, size);
    } catch (...) {
        logQuery::Error("1", QStringLiteral("执行功能[%1]时发生异常").arg(functionCode));
        return false;
    }
}

QString GetSysConfigParam(const QString& section, const QString& key, const QString& defaultValue) {
    return SysConfigValue(section, key, defaultValue);
}

QString GetUserConfigParam(const QString& section, const QString& key,
                           const QString& defaultValue) {
    const QString operatorCode = Get().userInfo->GetStrValue("CZY_DM");
    if (!IsSafeFileStem(operatorCode)) {
        return defaultValue;
    }
    const IniFile userConfig(ConfigFolder() + QStringLiteral("Users/") + operatorCode +
                             QStringLiteral(".ini"));
    return userConfig.Value(section, key, defaultValue);
}

void SetgsHelpHtml(const QString& pageName) {
    Get().helpHtml = pageName;
}

bool FetchHeadstrTrim(bool cut, const QString& separator, QString& text, QString& result) {
    if (text.isEmpty()) {
        result.clear();
        return false;
    }
    const qsizetype at = separator.isEmpty() ? -1 : text.indexOf(separator);
    if (at < 0) {
        result = text.trimmed();
        if (cut) {
            text.clear();
        }
        return true;
    }
    result = text.left(at).trimmed();
    if (cut) {
        text = text.mid(at + separator.size());
    }
    return true;
}

TColor gclModuleBackColor() {
    return SkinColor("ModuleBackColor", 16710131);
}

TColor gclModuleToolBarColor() {
    return SkinColor("ModuleToolBarColor", 16773860);
}

TColor gclTopBarColor() {
    return SkinColor("TopBarColor", 14731681);
}

TColor gclFrameBackColor() {
    return SkinColor("FrameBackColor", 16710131);
}

TColor gclSysFontColor() {
    return SkinColor("SysFontColor", 0);
}

int giSysFontSize() {
    return SkinNumber("SysFontSize", 9);
}

int giSysFontCharSet() {
    return SkinNumber("SysFontCharSet", 134);
}

void SetSkinSchemeCtrls(QWidget* form) {
    if (form == nullptr) {
        return;
    }
    const TColor color = gclModuleToolBarColor();
    const QColor buttonColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                             static_cast<int>((color >> 16) & 0xFF));
    for (QAbstractButton* button : form->findChildren<QAbstractButton*>()) {
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, buttonColor);
        button->setPalette(palette);
    }
}

}  // namespace ModuleLib

namespace HostSetup {

bool Start(const QString& appPath, QString& errorText) {
    Stop();
    HostState::State& state = Get();
    QDir dir(appPath);
    if (!dir.mkpath(QStringLiteral("."))) {
        errorText = QStringLiteral("无法创建应用目录[%1]").arg(appPath);
        return false;
    }
    state.appPath = dir.absolutePath() + QLatin1Char('/');
    state.sysConfig.Load(ConfigFolder() + QStringLiteral("SysConfig.ini"));
    LoadSubApps(state);
    dir.mkpath(QStringLiteral("Log"));
    state.logPath = state.appPath + QStringLiteral("Log/CompanyMgr.log");
    if (!HostState::OpenDatabase(state, errorText)) {
        logQuery::Error("1", QStringLiteral("打开数据库失败：%1").arg(errorText));
        return false;
    }
    state.started = true;
    return true;
}

void Stop() {
    HostState::State& state = Get();
    // Children of the host's objects (the agency manager among them) may run
    // queries when destroyed, so they go before the connection does.
    state.companyInfo = std::make_unique<TDataVO>();
    state.userInfo = std::make_unique<TDataVO>();
    HostState::CloseDatabase();
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
    state.driver.clear();
}

bool IsStarted() {
    return Get().started;
}

void OverrideSysConfig(const QString& section, const QString& key, const QString& value) {
    Get().sysOverrides.insert(HostState::OverrideKey(section, key), value);
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
    return ConfigFolder() + QStringLiteral("SysConfig.ini");
}

QString DatabaseDriver() {
    return Get().driver;
}

}  // namespace HostSetup
