#include "DemoData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <iterator>

#include "DemoInternal.h"
#include "HostSetup.h"

namespace {

// The host runs on the new folder only while the database is filled.
class HostRun {
  public:
    bool Start(const QString& root, QString& errorText) {
        started_ = HostSetup::Start(root, errorText);
        return started_;
    }
    ~HostRun() {
        if (started_) {
            HostSetup::Stop();
        }
    }

  private:
    bool started_ = false;
};

// What the writer puts at the top of a folder (the host adds Data and Log).
const char* const kWrittenEntries[] = {"AppComs", "CA",      "Config",         "Data",
                                       "Log",     "SubApps", kDemoCompleteMark};

// Raised whenever the same options write other data, so that an older
// folder is written anew.
constexpr int kDataGeneration = 4;

QByteArray MarkText(const DemoOptions& options) {
    return QStringLiteral("companies=%1\nagency=%2\ndata=%3\n")
        .arg(options.companies)
        .arg(options.agency ? QStringLiteral("true") : QStringLiteral("false"))
        .arg(kDataGeneration)
        .toUtf8();
}

bool WriteMark(const QString& root, const DemoOptions& options, QString& errorText) {
    // Unbuffered, so a write the disk refuses shows in the count written.
    QSaveFile file(root + QLatin1String(kDemoCompleteMark));
    const QByteArray mark = MarkText(options);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(mark) != mark.size() || !file.commit()) {
        errorText = QStringLiteral("无法写入完成标记[%1]").arg(file.fileName());
        return false;
    }
    return true;
}

// The options a mark holds; false when it is missing or not one the writer wrote.
bool ReadMark(const QString& dir, DemoOptions& options) {
    QFile file(QDir(dir).filePath(QLatin1String(kDemoCompleteMark)));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    bool companiesRead = false;
    bool agencyRead = false;
    bool sameGeneration = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const QString key = line.section(u'=', 0, 0).trimmed();
        const QString value = line.section(u'=', 1).trimmed();
        if (key == QLatin1String("companies")) {
            options.companies = value.toInt(&companiesRead);
        } else if (key == QLatin1String("agency")) {
            agencyRead = value == QLatin1String("true") || value == QLatin1String("false");
            options.agency = value == QLatin1String("true");
        } else if (key == QLatin1String("data")) {
            sameGeneration = value == QString::number(kDataGeneration);
        }
    }
    return companiesRead && agencyRead && sameGeneration;
}

constexpr QDir::Filters kEveryEntry =
    QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;

bool IsEmptyFolder(const QDir& folder) {
    return folder.isEmpty(kEveryEntry);
}

bool HoldsOnlyWrittenEntries(const QDir& folder) {
    for (const QString& entry : folder.entryList(kEveryEntry)) {
        if (std::none_of(std::begin(kWrittenEntries), std::end(kWrittenEntries),
                         [&](const char* name) { return entry == QLatin1String(name); })) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool MakeDemoFolder(const QString& dir, const DemoOptions& options, QString& errorText) {
    errorText.clear();
    if (options.companies < 0 || options.companies > kMaxDemoCompanies) {
        errorText = QStringLiteral("企业数量必须在0到%1之间").arg(kMaxDemoCompanies);
        return false;
    }
    if (dir.trimmed().isEmpty()) {
        errorText = QStringLiteral("未指定目录");
        return false;
    }
    if (HostSetup::IsStarted()) {
        errorText = QStringLiteral("主程序服务正在运行，不能生成演示数据");
        return false;
    }
    const QDir folder(dir);
    if (folder.exists() && !IsEmptyFolder(folder)) {
        errorText = QStringLiteral("目录[%1]不为空").arg(dir);
        return false;
    }
    if (!QDir().mkpath(dir)) {
        errorText = QStringLiteral("无法创建目录[%1]").arg(dir);
        return false;
    }
    const QString root = folder.absolutePath() + u'/';
    if (!DemoBuild::WriteSettings(root, options, errorText) ||
        !DemoBuild::WriteDictionaries(root, errorText) ||
        !DemoBuild::WriteCommandConfigs(root, errorText)) {
        return false;
    }
    QStringList companyCodes;
    {
        HostRun host;
        if (!host.Start(root, errorText) ||
            !DemoBuild::FillDatabase(options, companyCodes, errorText) ||
            !DemoBuild::WriteRecentCompanies(options, errorText)) {
            return false;
        }
    }
    return DemoBuild::WriteCertificates(root, companyCodes, errorText) &&
           WriteMark(root, options, errorText);
}

DemoFolderState InspectDemoFolder(const QString& dir, const DemoOptions& options) {
    DemoFolderState state;
    const QFileInfo info(dir);
    if (!info.exists() || (info.isDir() && IsEmptyFolder(QDir(dir)))) {
        state.kind = DemoFolderState::Missing;
    } else if (!info.isDir() || !ReadMark(dir, state.written)) {
        state.kind = info.isDir() && HoldsOnlyWrittenEntries(QDir(dir))
                         ? DemoFolderState::Incomplete
                         : DemoFolderState::Foreign;
    } else if (state.written.companies != options.companies ||
               state.written.agency != options.agency) {
        state.kind = DemoFolderState::OtherOptions;
    } else {
        state.kind = DemoFolderState::Complete;
    }
    return state;
}

bool EnsureDemoFolder(const QString& dir, const DemoOptions& options, DemoFolderState& found,
                      QString& errorText) {
    errorText.clear();
    found = InspectDemoFolder(dir, options);
    if (found.kind == DemoFolderState::Complete) {
        return true;
    }
    if (found.kind == DemoFolderState::Foreign) {
        errorText = QStringLiteral("[%1]不是演示数据目录，未改动").arg(dir);
        return false;
    }
    if (HostSetup::IsStarted()) {
        errorText = QStringLiteral("主程序服务正在运行，不能生成演示数据");
        return false;
    }
    if (found.kind != DemoFolderState::Missing && !QDir(dir).removeRecursively()) {
        errorText = QStringLiteral("无法删除目录[%1]").arg(dir);
        return false;
    }
    return MakeDemoFolder(dir, options, errorText);
}
