// The host context the module reads (operator, company, sub-applications,
// main window), its settings, skin colours, help page and host functions.
#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QWidget>

#include "ColorNumber.h"
#include "IniText.h"
#include "ServiceState.h"
#include "TextCodec.h"

namespace {

using ServiceState::Get;

QString SysConfigValue(const QString& section, const QString& key, const QString& defaultValue) {
    const ServiceState::State& state = Get();
    const auto found = state.sysOverrides.constFind(ServiceState::OverrideKey(section, key));
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
    const ServiceState::State& state = Get();
    return state.editionOverride ? *state.editionOverride
                                 : SysConfigValue("Host", "Edition", QString());
}

bool CheckAgencyExist() {
    const ServiceState::State& state = Get();
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
    IniFile userConfig;
    QString errorText;
    if (!userConfig.Load(ServiceState::ConfigFolder() + QStringLiteral("Users/") + operatorCode +
                             QStringLiteral(".ini"),
                         errorText)) {
        logQuery::Error("1", errorText);
    }
    return userConfig.Value(section, key, defaultValue);
}

namespace {

// lines with key in section set to value; other lines stay as they were.
QStringList WithValue(QStringList lines, const QString& section, const QString& key,
                      const QString& value) {
    const QString entry = key + QLatin1Char('=') + value;
    qsizetype sectionEnd = -1;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const IniText::Line line = IniText::Read(lines[i]);
        if (line.kind == IniText::LineKind::Header) {
            if (inSection) {
                break;
            }
            inSection = line.name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection) {
                sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (line.kind == IniText::LineKind::Entry &&
            line.name.compare(key, Qt::CaseInsensitive) == 0) {
            lines[i] = entry;
            return lines;
        }
        if (line.kind != IniText::LineKind::Blank) {
            sectionEnd = i + 1;
        }
    }
    if (sectionEnd < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) {
            lines << QString();
        }
        lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
    } else {
        lines.insert(sectionEnd, entry);
    }
    return lines;
}

}  // namespace

bool SetUserConfigParam(const QString& section, const QString& key, const QString& value) {
    const QString operatorCode = Get().userInfo->GetStrValue("CZY_DM");
    if (!IsSafeFileStem(operatorCode) || key.trimmed().isEmpty() || section.trimmed().isEmpty() ||
        value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
        return false;
    }
    const QString folder = ServiceState::ConfigFolder() + QStringLiteral("Users/");
    const QString path = folder + operatorCode + QStringLiteral(".ini");
    QStringList lines;
    QFile existing(path);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) {
            logQuery::Error("1", QStringLiteral("无法读取操作员设置[%1]").arg(path));
            return false;
        }
        const std::optional<QString> text = TextCodec::DecodeUtf8OrGbk(existing.readAll());
        if (!text) {
            logQuery::Error("1", QStringLiteral("操作员设置[%1]的编码无法识别").arg(path));
            return false;
        }
        lines = text->split(QLatin1Char('\n'));
        for (QString& line : lines) {
            if (line.endsWith(QLatin1Char('\r'))) {
                line.chop(1);
            }
        }
        if (!lines.isEmpty() && lines.last().isEmpty()) {
            lines.removeLast();
        }
    }
    // Written whole beside the old file and renamed over it, so a failed write
    // leaves the old settings; the file is UTF-8 from then on. Unbuffered, as
    // the commit would flush a buffer the disk refused and rename a cut file.
    QSaveFile file(path);
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        logQuery::Error("1", QStringLiteral("无法写入操作员设置[%1]").arg(path));
        return false;
    }
    const QStringList updated = WithValue(lines, section.trimmed(), key.trimmed(), value);
    const QByteArray bytes =
        (updated.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
    }
    if (!file.commit()) {
        logQuery::Error("1", QStringLiteral("无法写入操作员设置[%1]").arg(path));
        return false;
    }
    return true;
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
    const QColor buttonColor = ColorFromTColor(gclModuleToolBarColor());
    for (QAbstractButton* button : form->findChildren<QAbstractButton*>()) {
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, buttonColor);
        button->setPalette(palette);
    }
}

}  // namespace ModuleLib
