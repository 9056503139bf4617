// An import that cannot get as far as its preview says why and adds nothing.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>

#include <sys/stat.h>

#include "CompanyImport.h"

#include "DialogDriver.h"
#include "TestHost.h"
#include "f_CompanyImport.h"

namespace {

class ImportFile : public EngineTest {};
INSTANTIATE_ON_ENGINES(ImportFile);

// A file that cannot be opened or read as text, or companies that cannot be
// read to compare with, end the import before its preview, with the reason.
TEST_P(ImportFile, AnImportStopsBeforeThePreviewWithTheReason) {
    AddCompany("9111A", "甲");
    WriteFile("new.csv", "QYSBH,QYMC\r\n9111N,新公司\r\n");
    WriteFile("broken.csv", "\xFF\xFE\xFF");
    // A stray byte on the third line of UTF-8 text and of GBK text.
    WriteFile("stray.csv", "QYSBH,QYMC\n9111B,\xE7\x94\xB2\n9111C,\xE7\x94\xB2\xFF\n");
    WriteFile("stray-gbk.csv", "QYSBH,QYMC\n9111B,\xD2\xD2\n9111C,\xFF\n");
    WriteFile("unclosed.csv", "QYSBH,QYMC\r\n9111B,\"乙\r\n9111C,丙\r\n");
    // Endless, blocking or no file at all: refused before a byte is read.
    ASSERT_EQ(::mkfifo(QFile::encodeName(AppPath() + "fifo.csv").constData(), 0600), 0);
    WriteFile("huge.csv", "QYSBH\r\n");
    ASSERT_TRUE(QFile::resize(AppPath() + "huge.csv", CompanyImport::kMaxFileBytes + 1));
    const struct {
        const char* name;
        QString path;
        bool tableAway;
        QString message;
    } cases[] = {
        {"no such file", AppPath() + "missing.csv", false, "无法打开文件："},
        {"no text", AppPath() + "broken.csv", false, "文件既不是UTF-8也不是GBK文本"},
        {"a stray byte", AppPath() + "stray.csv", false,
         "文件既不是UTF-8也不是GBK文本：第3行无法读取"},
        {"a stray byte in GBK", AppPath() + "stray-gbk.csv", false,
         "文件既不是UTF-8也不是GBK文本：第3行无法读取"},
        {"an unclosed quote", AppPath() + "unclosed.csv", false, "第2行的引号没有结束"},
        {"the companies unreadable", AppPath() + "new.csv", true, "读取已有的纳税人识别号失败"},
        {"an endless device", "/dev/zero", false, "无法打开文件：不是普通文件"},
        {"a pipe", AppPath() + "fifo.csv", false, "无法打开文件：不是普通文件"},
        {"past the limit", AppPath() + "huge.csv", false, "文件超过256 MB，不能导入"},
    };
    for (const auto& c : cases) {
        HostSetup::ClearRecorded();
        if (c.tableAway) {
            ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX RENAME TO XT_QYXX_AWAY"));
        }
        QStringList added;
        {
            DialogDriver none([](QWidget*) {}, DialogDriver::Expect::NoDialog);
            added = ImportCompanies(nullptr, c.path);
        }
        if (c.tableAway) {
            ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX_AWAY RENAME TO XT_QYXX"));
        }
        EXPECT_TRUE(added.isEmpty()) << c.name;
        const auto messages = Messages();
        ASSERT_EQ(messages.size(), 1u) << c.name;
        EXPECT_TRUE(messages[0].text.startsWith(c.message)) << c.name;
        EXPECT_EQ(Count("select count(*) from XT_QYXX"), 1) << c.name;
    }
}

}  // namespace
