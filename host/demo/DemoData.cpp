#include "DemoData.h"

#include <QDir>

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
    if (folder.exists() &&
        !folder.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
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
            !DemoBuild::FillDatabase(options, companyCodes, errorText)) {
            return false;
        }
    }
    return DemoBuild::WriteCertificates(root, companyCodes, errorText);
}
