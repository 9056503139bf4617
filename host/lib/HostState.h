// State of the reference host services, one per process.
#pragma once

#include <QHash>
#include <QMutex>
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

namespace HostState {

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
    std::vector<HostSetup::THostMessage> messages;
    std::vector<HostSetup::TLogLine> logLines;
    QString logPath;
    QString driver;
};

State& Get();

QString OverrideKey(const QString& section, const QString& key);

// Database side, in HostDatabase.cpp.
bool OpenDatabase(State& state, QString& errorText);
void CloseDatabase();

}  // namespace HostState
