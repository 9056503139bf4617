// A database the host cannot use as it is: the start fails with the host's
// reason, the file stays byte for byte as it was and no half-made file is
// left behind (a missing folder is a case of the host services' own tests). Root ignores file
// modes, so the failing file layer refuses writes the way the system refuses them to other users.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>

#include "FaultVfs.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "TestHost.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Write(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

// Takes write permission away, for root through the file layer as well.
void DenyWrites(const QString& path) {
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    FaultVfs::DenyWritesUnder(QFileInfo(path).isDir() ? path : QFileInfo(path).absolutePath());
}

struct Case {
    const char* name;
    // Makes the application folder; returns the database file the settings name.
    std::function<QString(const QString& app)> make;
    const char* reason;  // part of the error text
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class HostStartFaults : public HostTest, public ::testing::WithParamInterface<Case> {
  protected:
    void TearDown() override {
        FaultVfs::DenyWritesUnder(QString());
        QFile::setPermissions(
            app_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        HostTest::TearDown();
    }
    FaultVfs::Installed vfs_;
    QTemporaryDir app_;
};

// A database the host made, with one company in it.
QString MadeDatabase(const QString& app) {
    Write(app + "/Config/SysConfig.ini", "[Database]\nBusyTimeout=200\n");
    QString error;
    EXPECT_TRUE(HostSetup::Start(app, error)) << error.toStdString();
    TADOQuery query;
    EXPECT_TRUE(query.Execute(kMainConnection,
                              "INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) VALUES('1', '甲', 0)", error))
        << error.toStdString();
    HostSetup::Stop();
    return app + "/Data/main.db";
}

const Case kCases[] = {
    {"ReadOnlyFile",
     [](const QString& app) {
         const QString db = MadeDatabase(app);
         DenyWrites(db);
         return db;
     },
     "只读"},
    {"NotADatabase",
     [](const QString& app) {
         Write(app + "/Config/SysConfig.ini", "[Database]\nBusyTimeout=200\n");
         const QString db = app + "/Data/main.db";
         Write(db, QByteArray("company list, exported\r\n").repeated(200));
         return db;
     },
     "不是数据库文件"},
    {"ApplicationFolderWithoutWritePermission",
     [](const QString& app) {
         Write(app + "/Config/SysConfig.ini", "[Database]\nBusyTimeout=200\n");
         DenyWrites(app);
         return app + "/Data/main.db";
     },
     // The data folder or the database file cannot be made, whichever comes first.
     "无法"},
};

TEST_P(HostStartFaults, StartFailsWithTheReasonAndLeavesTheFileAsItWas) {
    ASSERT_TRUE(vfs_.Ok());
    HostSetup::Stop();
    const QString db = GetParam().make(app_.path());
    const QByteArray before = ReadAll(db);
    const bool existed = QFileInfo::exists(db);

    QString error;
    EXPECT_FALSE(HostSetup::Start(app_.path(), error));
    EXPECT_TRUE(error.contains(QString::fromUtf8(GetParam().reason))) << error.toStdString();
    EXPECT_FALSE(HostSetup::IsStarted());
    EXPECT_EQ(QFileInfo::exists(db), existed);
    EXPECT_EQ(ReadAll(db), before);
    EXPECT_FALSE(QFileInfo::exists(db + "-journal"));
    // The services answer with a reason instead of running on a half-open host.
    TADOQuery query;
    EXPECT_FALSE(query.Execute(kMainConnection, "DELETE FROM XT_QYXX", error));
    EXPECT_FALSE(error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Databases, HostStartFaults, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
