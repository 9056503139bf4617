// The company list as CSV: what a written file reads back as, how imported
// rows are classified, and that an import adds all its rows or none.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "CompanyCsv.h"
#include "CompanyImport.h"
#include "DialogDriver.h"
#include "FaultVfs.h"
#include "FileSizeLimit.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "TestHost.h"
#include "Transaction.h"
#include "f_CompanyImport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

using CompanyCsv::Encoding;
using CompanyImport::Action;
using CompanyImport::Status;

struct FieldCase {
    const char* name;
    QString value;
    QString written;  // the field as it stands in the row
};

TEST(CompanyCsvFile, FieldsReadBackAsWrittenInBothEncodings) {
    const std::vector<FieldCase> cases = {
        {"plain", "甲公司", "甲公司"},
        {"empty", "", ""},
        {"comma", "a,b", "\"a,b\""},
        {"quotes", "say \"hi\"", "\"say \"\"hi\"\"\""},
        {"line breaks", "a\r\nb\nc\rd", "\"a\r\nb\nc\rd\""},
        {"formula", "=SUM(A1)", "'=SUM(A1)"},
        {"plus, with comma", "+1,2", "\"'+1,2\""},
        {"minus", "-12", "'-12"},
        {"at", "@cmd", "'@cmd"},
        {"tab", "\t=1", "'\t=1"},
        {"carriage return", "\r=1", "\"'\r=1\""},
        {"already quoted formula", "'=1", "''=1"},
        {"quote not before a formula", "'abc", "'abc"},
        {"quote in the middle", "a'=b", "a'=b"},
        {"replacement mark", "甲\uFFFD乙", "甲\uFFFD乙"},
        {"outside the basic plane", "\U00020000\U0001F600", "\U00020000\U0001F600"},
    };
    for (const FieldCase& c : cases) {
        EXPECT_EQ(CompanyCsv::EncodeField(c.value), c.written) << c.name;
        QStringList row = {"1", "9111", c.value};  // QYID, QYSBH, QYMC
        row.resize(kCompanyFieldCount);
        row.last() = "last";
        for (const Encoding encoding : {Encoding::Utf8Bom, Encoding::Gbk}) {
            const QByteArray bytes = CompanyCsv::Encode(CompanyCsv::Write({row}), encoding);
            std::vector<QStringList> rows;
            QString error;
            ASSERT_TRUE(CompanyCsv::ReadTable(bytes, rows, error)) << c.name;
            ASSERT_EQ(rows.size(), 2u) << c.name;
            ASSERT_EQ(rows[0].size(), kCompanyFieldCount) << c.name;
            ASSERT_EQ(rows[1].size(), kCompanyFieldCount) << c.name;
            EXPECT_EQ(CompanyCsv::FindColumn(rows[0], CompanyField::QYMC),
                      static_cast<int>(CompanyField::QYMC));
            EXPECT_EQ(rows[1][static_cast<int>(CompanyField::QYSBH)], "9111") << c.name;
            EXPECT_EQ(rows[1][static_cast<int>(CompanyField::QYMC)], c.value) << c.name;
            EXPECT_EQ(rows[1].last(), "last") << c.name;
        }
    }
}

// Files other programs wrote: any line end, quotes inside a plain field, a
// quote that is never closed (refused), blank lines. Each row is known by the
// file line it begins on.
TEST(CompanyCsvFile, ReadsTheFormsOtherProgramsWrite) {
    const std::pair<QString, std::vector<QStringList>> cases[] = {
        {"a,b\nc,d\n", {{"a", "b"}, {"c", "d"}}},
        {"a,b\rc,d", {{"a", "b"}, {"c", "d"}}},
        {"a,b\r\n\r\nc", {{"a", "b"}, {"c"}}},
        {"say \"hi\",x", {{"say \"hi\"", "x"}}},
        {"a,\"b\"\"c\"", {{"a", "b\"c"}}},
        {"a,\"b", {}},  // refused
        {"a,", {{"a", ""}}},
        {"a,b\r", {{"a", "b"}}},
    };
    for (const auto& [text, rows] : cases) {
        EXPECT_EQ(CompanyCsv::Parse(text).value_or(std::vector<QStringList>{}), rows)
            << text.toStdString();
    }
    std::vector<int> lines;
    ASSERT_TRUE(CompanyCsv::Parse("h\r\n\"x\r\ny\",1\r\n\nz", nullptr, &lines));
    EXPECT_EQ(lines, (std::vector<int>{1, 2, 5}));
    EXPECT_EQ(CompanyCsv::EncodeField("a\rb"), "\"a\rb\"");
    EXPECT_EQ(CompanyCsv::EncodeField("'"), "'");
}

// What no file gives back is refused by name, and nothing is written.
TEST(CompanyCsvFile, RowsNoFileCouldGiveBackAreNamedAndNothingIsWritten) {
    QTemporaryDir dir;
    for (const QString& name : {QString(QChar(0xD800)), QStringLiteral("a") + QChar(0)}) {
        QString error;
        EXPECT_FALSE(CompanyCsv::WriteFile(dir.filePath("c.csv"),
                                           {{"2", "9111OK", "乙"}, {"1", "9111BAD", name}},
                                           Encoding::Gbk, error));
        EXPECT_TRUE(error.endsWith("：9111BAD")) << error.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath("c.csv")));
    }
}

TEST(CompanyCsvFile, EncodingsAreTheOnesAskedFor) {
    const QByteArray utf8 = CompanyCsv::Encode("甲", Encoding::Utf8Bom);
    const QByteArray gbk = CompanyCsv::Encode("甲", Encoding::Gbk);
    EXPECT_EQ(utf8, QByteArray("\xEF\xBB\xBF\xE7\x94\xB2"));
    EXPECT_EQ(gbk, QByteArray("\xBC\xD7"));
}

// A disk that refuses the export, whether the text goes out in one piece or
// in several: the reason is given and the file there before stays whole.
TEST(CompanyCsvFile, AnExportTheDiskRefusesLeavesTheFormerFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("companies.csv");
    {
        QFile former(path);
        ASSERT_TRUE(former.open(QIODevice::WriteOnly));
        former.write("QYSBH\r\n9111OLD\r\n");
    }
    const QStringList row = {"9111", QString(100, QChar(0x7532))};
    for (const std::size_t count : {std::size_t{1}, std::size_t{200}}) {
        const std::vector<QStringList> records(count, row);
        QString error;
        bool written = true;
        {
            FileSizeLimit full(64);
            ASSERT_TRUE(full.Ok());
            written = CompanyCsv::WriteFile(path, records, Encoding::Utf8Bom, error);
        }
        EXPECT_FALSE(written) << count;
        EXPECT_FALSE(error.isEmpty()) << count;
        QFile former(path);
        ASSERT_TRUE(former.open(QIODevice::ReadOnly));
        EXPECT_EQ(former.readAll(), "QYSBH\r\n9111OLD\r\n") << count;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{"companies.csv"})
            << count;
    }
}

class CompanyImporting : public EngineTest {
  protected:
    std::vector<CompanyImport::Row> Classified(const QByteArray& csv) {
        std::vector<CompanyImport::Row> rows;
        QString error;
        EXPECT_TRUE(CompanyImport::Read(csv, rows, error)) << error.toStdString();
        EXPECT_TRUE(CompanyImport::Classify(rows, error)) << error.toStdString();
        return rows;
    }
    int Companies() const { return Count("select count(*) from XT_QYXX"); }
};
INSTANTIATE_ON_ENGINES(CompanyImporting);

struct ClassCase {
    QString taxId;
    QString phone;
    Action action;
    QString match;
    QString reason = {};
};

// A file with the export's captions and one with the column names earlier
// exports carried both import.
TEST_P(CompanyImporting, ReadsAnExportsCaptionsOrColumnNames) {
    QStringList row(kCompanyFieldCount);
    row[static_cast<int>(CompanyField::QYSBH)] = "9111NEW";
    row[static_cast<int>(CompanyField::QYMC)] = QStringLiteral("新公司");
    row[static_cast<int>(CompanyField::QYDHHM)] = "010-1234";
    const QString exported = CompanyCsv::Write({row});
    QStringList names;
    for (int i = 0; i < kCompanyFieldCount; ++i) {
        names << CompanyFieldName(static_cast<CompanyField>(i));
    }
    const QString former = names.join(',') + exported.mid(exported.indexOf("\r\n"));
    ASSERT_NE(exported, former);
    for (const QString& text : {exported, former}) {
        const std::vector<CompanyImport::Row> rows = Classified(text.toUtf8());
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(QStringList({rows[0].taxId, rows[0].name, rows[0].phone}),
                  QStringList({"9111NEW", QStringLiteral("新公司"), "010-1234"}));
    }
}

TEST_P(CompanyImporting, RowsAreClassifiedAsTheAddDialogWould) {
    AddCompany("9111TAKEN", "已有公司");
    // Two stored numbers alike: each is still a duplicate of itself.
    AddCompany("9111PAIR", "甲");
    AddCompany("9111 pair", "乙");
    // Columns in another order, headed by captions, one extra column.
    QByteArray csv = "备注,联系电话,纳税人识别号,单位名称\r\n";
    const std::vector<ClassCase> cases = {
        {"9111NEW", "010-1234", Action::Add, ""},
        {"  ", "x", Action::Refused, "", "缺少纳税人识别号"},
        {"9111BAD", "010 1234", Action::Refused, "", "电话号码无效"},
        {"9111TAKEN", "bad", Action::Refused, "", "电话号码无效"},
        {QString(1000000, '9'), "", Action::Refused, "", "纳税人识别号超过20个字符"},
        {QStringLiteral("9111TAKEN\u200b"), "", Action::Refused, "",
         "纳税人识别号含有控制字符或不可见字符"},
        {"91110108MA00ABCD1X", "", Action::CheckCharacter, ""},
        {"91110108MA00ABCD1U", "", Action::Add, ""},
        {" 9111TAKEN ", "", Action::Duplicate, "9111TAKEN"},
        {"9111-taken", "", Action::Similar, "9111TAKEN"},
        {"9111NEW", "", Action::Duplicate, "9111NEW"},
        {"９１１１ｎｅｗ", "", Action::Similar, "9111NEW"},
        {"9111OTHER", "(010)1234", Action::Add, ""},
        {"9111PAIR", "", Action::Duplicate, "9111PAIR"},
        {"9111 pair", "", Action::Duplicate, "9111 pair"},
    };
    for (const ClassCase& c : cases) {
        csv += "x," + c.phone.toUtf8() + "," + c.taxId.toUtf8() + ",名称\r\n";
    }
    const std::vector<CompanyImport::Row> rows = Classified(csv);
    ASSERT_EQ(rows.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(rows[i].action, cases[i].action) << i;
        EXPECT_EQ(rows[i].match, cases[i].match) << i;
        EXPECT_EQ(rows[i].reason, cases[i].reason) << i;
        EXPECT_EQ(rows[i].line, static_cast<int>(i) + 2);
        EXPECT_EQ(rows[i].taxId, cases[i].taxId.trimmed()) << i;
    }
    std::vector<CompanyImport::Row> none;
    QString error;
    EXPECT_FALSE(CompanyImport::Read("QYMC,QYDHHM\r\na,1\r\n", none, error));

    // A row that stops early leaves its missing columns empty.
    std::vector<CompanyImport::Row> shortRows;
    ASSERT_TRUE(
        CompanyImport::Read("QYSBH,QYMC,QYDHHM\r\n9111A\r\n9111B,乙\r\n", shortRows, error));
    ASSERT_EQ(shortRows.size(), 2u);
    EXPECT_EQ(shortRows[0].name, "");
    EXPECT_EQ(shortRows[0].phone, "");
    EXPECT_EQ(shortRows[1].name, "乙");
    EXPECT_EQ(shortRows[1].phone, "");
}

struct RunCase {
    const char* name;
    int cancelAt;  // the progress answers false at this count; 0 never
    int refuseAt;  // inserts are refused from this count on; 0 never
    Status status;
};

// An export read back gives every stored text whole, however long.
TEST_P(CompanyImporting, AnExportWritesTheStoredTextsWhole) {
    const QStringList names = {QString(200, QChar(0x7532)), QString(300, 'n')};
    TCompanyRecordArray listed(names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        listed[i].SetField(CompanyField::QYID, AddCompany("9111" + QString::number(i), names[i]));
    }
    QString error;
    ASSERT_TRUE(CompanyCsv::WriteFile(AppPath() + "out.csv", listed, Encoding::Gbk, error));
    QFile file(AppPath() + "out.csv");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<CompanyImport::Row> rows;
    ASSERT_TRUE(CompanyImport::Read(file.readAll(), rows, error));
    EXPECT_EQ(rows.size() == 2 ? rows[0].name + rows[1].name : "", names.join(""));
}

TEST_P(CompanyImporting, ThePreviewNamesTheEncodingTheFileWasReadIn) {
    for (const auto& [encoding, name] :
         {std::pair{Encoding::Utf8Bom, "UTF-8"}, {Encoding::Gbk, "GBK"}}) {
        WriteFile("in.csv", CompanyCsv::Encode("QYSBH,QYMC\r\n9111A,甲\r\n", encoding));
        QString summary;
        DialogDriver driver([&summary](QWidget* dialog) {
            summary = DialogDriver::Child<QLabel>(dialog, "lblSummary")->text();
            dialog->close();
        });
        ImportCompanies(nullptr, AppPath() + "in.csv");
        EXPECT_TRUE(summary.startsWith(QStringLiteral("文件按%1编码读取。").arg(name)));
    }
}

TEST_P(CompanyImporting, AnUnreadableTableClassifiesNothing) {
    std::vector<CompanyImport::Row> rows;
    QString error;
    ASSERT_TRUE(CompanyImport::Read("QYSBH,QYMC\r\n9111A,甲\r\n", rows, error));
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX RENAME TO XT_QYXX_AWAY"));
    EXPECT_FALSE(CompanyImport::Classify(rows, error));
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX_AWAY RENAME TO XT_QYXX"));
    EXPECT_EQ(error, "读取已有的纳税人识别号失败");
}

// The import serialises itself against other desks, which an ordinary
// transaction already open on its connection would undo: it is refused.
TEST_P(CompanyImporting, AnImportInsideAnOrdinaryTransactionAddsNothing) {
    const std::vector<CompanyImport::Row> rows = Classified("QYSBH,QYMC\r\n9111A,甲\r\n");
    const int before = Companies();
    {
        TTransaction outer(ModuleLib::TransactionMode::Deferred);
        ASSERT_TRUE(outer.IsActive());
        const CompanyImport::Result result = CompanyImport::Run(rows);
        EXPECT_EQ(result.status, Status::Failed);
        EXPECT_FALSE(result.errorText.isEmpty());
        EXPECT_TRUE(result.companyIds.isEmpty());
    }
    EXPECT_EQ(Companies(), before);
}

TEST_P(CompanyImporting, TenThousandRowsAreAddedAllOrNone) {
    AddCompany("9111STORED", "已有公司");
    // Of every ten rows: a duplicate, a similar, a missing id, a bad phone, six to add.
    QByteArray csv = "QYSBH,QYMC,QYDHHM\r\n";
    int toAdd = 0;
    for (int i = 0; i < 10000; ++i) {
        switch (i % 10) {
            case 0:
                csv += "9111STORED,dup,\r\n";
                break;
            case 1:
                csv += "9111-stored,similar,\r\n";
                break;
            case 2:
                csv += ",missing,\r\n";
                break;
            case 3:
                csv += "9222" + QByteArray::number(i) + ",bad phone,12a\r\n";
                break;
            default:
                csv += "9333" + QByteArray::number(i) + ",\"公司," + QByteArray::number(i) +
                       "\",010-" + QByteArray::number(i) + "\r\n";
                ++toAdd;
        }
    }
    const std::vector<CompanyImport::Row> rows = Classified(csv);
    ASSERT_EQ(rows.size(), 10000u);
    const std::vector<RunCase> cases = {
        {"cancelled half way", 3000, 0, Status::Cancelled},
        {"an insert refused half way", 0, 3000, Status::Failed},
        {"the whole file", 0, 0, Status::Done},
    };
    for (const RunCase& c : cases) {
        const int before = Companies();
        int lastDone = 0;
        const CompanyImport::Result result = CompanyImport::Run(rows, [&](int done, int total) {
            EXPECT_EQ(total, toAdd);
            lastDone = done;
            if (done == c.refuseAt) {
                RefuseRowChanges("INSERT", "XT_QYXX");
            }
            return done != c.cancelAt;
        });
        EXPECT_EQ(result.status, c.status) << c.name;
        const int stopped = c.cancelAt != 0 ? c.cancelAt : c.refuseAt != 0 ? c.refuseAt : toAdd;
        EXPECT_EQ(lastDone, stopped) << c.name;
        const int added = c.status == Status::Done ? toAdd : 0;
        EXPECT_EQ(result.added, added) << c.name;
        EXPECT_EQ(result.companyIds.size(), added) << c.name;
        // Each id handed back is its own row's.
        QStringList pairs;
        for (qsizetype i = 0; i < result.companyIds.size(); ++i) {
            pairs << "'9333" + QString::number(10 * (i / 6) + 4 + i % 6) + "|" +
                         result.companyIds[i] + "'";
        }
        if (!pairs.isEmpty()) {
            EXPECT_EQ(Count("select count(*) from XT_QYXX where QYSBH || '|' || QYID in (" +
                            pairs.join(",") + ")"),
                      added);
        }
        EXPECT_EQ(Companies(), before + added) << c.name;
    }
    EXPECT_EQ(Count("select count(*) from XT_QYXX where QYSBH='93339999'"), 1);
    EXPECT_EQ(Scalar("select QYMC from XT_QYXX where QYSBH='93339999'"), "公司,9999");
    EXPECT_EQ(Scalar("select QYDHHM from XT_QYXX where QYSBH='93339999'"), "010-9999");
}

// A row the database does not take fails the import by its line, wherever
// it falls among the statements the rows are sent in; nothing is added.
TEST_P(CompanyImporting, ARowNotAddedIsNamedAndNothingIsAdded) {
    QByteArray csv = "QYSBH,QYMC\r\n";
    for (int i = 0; i < 1200; ++i) {
        csv += "9444" + QByteArray::number(i) + ",公司\r\n";
    }
    const std::vector<CompanyImport::Row> read = Classified(csv);
    struct {
        const char* name;
        int row;
        std::function<void(std::vector<CompanyImport::Row>&)> spoil;
    } const cases[] = {
        {"a telephone the add dialog refuses, the row said to be added", 300,
         [](auto& rows) { rows[300].phone = "12a"; }},
        {"a name holding a NUL character", 1100, [](auto& rows) { rows[1100].name += QChar(0); }},
        {"an agency's installation without its agency row", -1,
         [](auto&) { HostSetup::SetAgencyExist(true); }},
        {"added by another desk since the preview", 700,
         [this](auto&) { AddCompany("9444700", "别处"); }},
    };
    for (const auto& c : cases) {
        std::vector<CompanyImport::Row> rows = read;
        c.spoil(rows);
        const int before = Companies();
        const CompanyImport::Result result = CompanyImport::Run(rows);
        HostSetup::SetAgencyExist(false);
        EXPECT_EQ(result.status, Status::Failed) << c.name;
        // Without its agency row no row is at fault.
        const QString named = QStringLiteral("第%1行（9444%2）未能新增，全部未导入").arg(c.row + 2);
        EXPECT_EQ(result.errorText,
                  c.row < 0 ? "找不到代理机构的企业信息，全部未导入" : named.arg(c.row))
            << c.name;
        EXPECT_TRUE(result.companyIds.isEmpty()) << c.name;
        EXPECT_EQ(Companies(), before) << c.name;
    }
}

TEST_P(CompanyImporting, PreviewListsEachRowAndCancelLeavesNothingAdded) {
    AddCompany("9111TAKEN", "已有公司");
    const std::vector<CompanyImport::Row> rows = Classified(
        "QYSBH,QYMC,QYDHHM\r\n9111A,甲,\r\n9111taken,乙,\r\n,丙,\r\n9111B,\"丁,戊\",1\r\n");
    struct {
        const char* name;
        bool cancel;
        bool refused;  // the database takes no new company
        Status status;
        int added;
    } const cases[] = {
        {"cancelled while running", true, false, Status::Cancelled, 0},
        {"refused by the database", false, true, Status::Failed, 0},
        {"run to the end", false, false, Status::Done, 2},
    };
    for (const auto& c : cases) {
        HostSetup::ClearRecorded();
        const int before = Companies();
        Tfrm_CompanyImport dialog(rows);
        dialog.show();
        const QAbstractItemModel* list =
            DialogDriver::Child<QAbstractItemView>(&dialog, "vstPreview")->model();
        ASSERT_EQ(list->rowCount(), 4);
        const QStringList similar = {list->index(1, 0).data().toString(),
                                     list->index(1, 1).data().toString(),
                                     list->index(1, 4).data().toString()};
        EXPECT_EQ(similar, (QStringList{"3", "9111taken", "相似（9111TAKEN）"}));
        EXPECT_EQ(list->index(2, 4).data().toString(), "缺少纳税人识别号");
        EXPECT_EQ(list->index(3, 2).data().toString(), "丁,戊");
        EXPECT_EQ(DialogDriver::Child<QLabel>(&dialog, "lblSummary")->text(),
                  "共4行：新增2，重复0，相似1，校验位不符0，不符合要求1。");
        if (c.cancel) {
            // Pressed while the import runs, as soon as it lets events through.
            QTimer::singleShot(0, &dialog, [&dialog] { dialog.sBtnClose()->click(); });
        }
        if (c.refused) {
            ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX RENAME TO XT_QYXX_AWAY"));
        }
        DialogDriver::Child<QAbstractButton>(&dialog, "sBtnImport")->click();
        if (c.refused) {
            ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX_AWAY RENAME TO XT_QYXX"));
        }
        EXPECT_EQ(dialog.ImportResult().status, c.status) << c.name;
        EXPECT_EQ(Companies(), before + c.added) << c.name;
        // A failure is said and the preview stays for another try.
        EXPECT_EQ(Messages().size(), c.refused ? 1u : 0u) << c.name;
        EXPECT_EQ(dialog.isVisible(), c.refused) << c.name;
        EXPECT_EQ(DialogDriver::Child<QProgressBar>(&dialog, "pbImport")->value(), c.added)
            << c.name;
    }
}

// A disk that fails while the import is committed: nothing is added and
// the caller hears why.
class CompanyImportOnAFailingDisk : public HostTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(vfs_.Ok());
        HostTest::SetUp();
    }

    FaultVfs::Installed vfs_;
};

TEST_F(CompanyImportOnAFailingDisk, AFailedCommitAddsNothing) {
    std::vector<CompanyImport::Row> rows;
    QString error;
    ASSERT_TRUE(CompanyImport::Read("QYSBH,QYMC\r\n9111A,甲\r\n9111B,乙\r\n", rows, error));
    ASSERT_TRUE(CompanyImport::Classify(rows, error));
    const int before = Count("select count(*) from XT_QYXX");
    FaultVfs::Arm(FaultVfs::Mode::IoError, FaultVfs::Kind::Sync, 1, true);
    const CompanyImport::Result result = CompanyImport::Run(rows);
    EXPECT_TRUE(FaultVfs::Disarm());
    EXPECT_EQ(result.status, Status::Failed);
    EXPECT_FALSE(result.errorText.isEmpty());
    EXPECT_EQ(result.added, 0);
    EXPECT_TRUE(result.companyIds.isEmpty());
    EXPECT_EQ(Count("select count(*) from XT_QYXX"), before);
}

}  // namespace
