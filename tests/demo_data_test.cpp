#include <QDir>
#include <QDirIterator>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "DemoData.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "ParamString.h"
#include "f_CommonUnit.h"
#include "f_DataVO.h"

namespace {

constexpr int kPlainCompanies = 12;
constexpr int kAgencyCompanies = 8;

std::string Std(const QString& text) {
    return text.toStdString();
}

// Checks written the way the standards state them, not the way the
// generator computes them: over all 18 characters at once.
bool IsValidCreditCode(const QString& code) {
    static const QString kChars = QStringLiteral("0123456789ABCDEFGHJKLMNPQRTUWXY");
    if (code.size() != 18) {
        return false;
    }
    int sum = 0;
    int weight = 1;
    for (int i = 0; i < 18; ++i) {
        const auto value = kChars.indexOf(code[i]);
        if (value < 0) {
            return false;
        }
        sum += static_cast<int>(value) * (i < 17 ? weight : 1);
        weight = weight * 3 % 31;
    }
    if (sum % 31 != 0) {
        return false;
    }
    // The organisation code inside: MOD 11, weights 2^(8-i) and 1 for its check character.
    int orgSum = 0;
    for (int i = 0; i < 9; ++i) {
        const QChar c = code[8 + i];
        const int value =
            c == u'X' && i == 8 ? 10 : (c.isDigit() ? c.digitValue() : c.unicode() - u'A' + 10);
        int power = 1;
        for (int p = 0; p < 8 - i; ++p) {
            power = power * 2 % 11;
        }
        orgSum += value * (i < 8 ? power : 1);
    }
    return orgSum % 11 == 0;
}

// ISO 7064 MOD 11-2: sum of a_i * 2^(18-i) over all 18 characters is 1 mod 11.
bool IsValidIdentityNumber(const QString& number) {
    static const QRegularExpression kForm(QStringLiteral("^\\d{17}[\\dX]$"));
    if (!kForm.match(number).hasMatch()) {
        return false;
    }
    int sum = 0;
    for (int i = 0; i < 18; ++i) {
        const int value = number[i] == u'X' ? 10 : number[i].digitValue();
        int power = 1;
        for (int p = 0; p < 17 - i; ++p) {
            power = power * 2 % 11;
        }
        sum += value * power;
    }
    return sum % 11 == 1 &&
           QDate::fromString(number.mid(6, 8), QStringLiteral("yyyyMMdd")).isValid();
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool IsUtf8(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(bytes);
    return !utf8.hasError();
}

// Lines of a GBK text file that ends every line with CR LF.
QStringList GbkLines(const QString& path) {
    const QByteArray bytes = ReadBytes(path);
    EXPECT_FALSE(bytes.isEmpty()) << Std(path);
    EXPECT_FALSE(IsUtf8(bytes)) << Std(path);
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    QStringDecoder gbk("GB18030");
    QString text = gbk.decode(bytes);
    EXPECT_FALSE(gbk.hasError());
    text.chop(2);
    return text.split(QStringLiteral("\r\n"));
}

QStringList Column(const QString& sql) {
    TADOQuery query;
    QString error;
    EXPECT_TRUE(query.Open(kMainConnection, sql, error)) << Std(error);
    QStringList values;
    for (; !query.Eof(); query.Next()) {
        values << query.FieldAsString(0);
    }
    return values;
}

int Count(const QString& sql) {
    const QStringList values = Column(sql);
    return values.isEmpty() ? -1 : values.first().toInt();
}

// Every row of every table the demo fills, in a fixed order.
QString DumpDatabase() {
    static const char* const kTables[][2] = {
        {"XT_QYXX", "QYID"},        {"XT_QYDSXX", "QYID"},     {"XT_QYGSXX", "QYID"},
        {"QX_ROLEPRMS", "PRMS_DM"}, {"QX_PRMSMAP", "PRMS_DM"},
    };
    QString dump;
    for (const auto& table : kTables) {
        TADOQuery query;
        QString error;
        EXPECT_TRUE(query.Open(kMainConnection,
                               QStringLiteral("select * from %1 order by %2")
                                   .arg(QLatin1String(table[0]), QLatin1String(table[1])),
                               error));
        for (; !query.Eof(); query.Next()) {
            for (int i = 0; i < query.FieldCount(); ++i) {
                dump += query.FieldAsString(i) + u'\x1f';
            }
            dump += u'\n';
        }
    }
    return dump;
}

std::map<QString, QByteArray> FilesBelow(const QString& root) {
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        if (!relative.startsWith(QLatin1String("Data/")) &&
            !relative.startsWith(QLatin1String("Log/"))) {
            files[relative] = ReadBytes(path);
        }
    }
    return files;
}

class DemoData : public ::testing::Test {
  protected:
    void TearDown() override { HostSetup::Stop(); }

    static QString Make(const QString& name, const DemoOptions& options) {
        static QTemporaryDir dir;
        const QString path = dir.path() + u'/' + name;
        if (!QDir(path).exists()) {
            QString error;
            EXPECT_TRUE(MakeDemoFolder(path, options, error)) << Std(error);
        }
        return path;
    }
    static QString Plain() { return Make(QStringLiteral("plain"), {kPlainCompanies, false}); }
    static QString Agency() { return Make(QStringLiteral("agency"), {kAgencyCompanies, true}); }

    static void Open(const QString& folder) {
        QString error;
        ASSERT_TRUE(HostSetup::Start(folder, error)) << Std(error);
    }

    static QSet<QString> CantonCodes(const QString& folder) {
        QSet<QString> codes;
        for (const QString& line :
             GbkLines(folder + QStringLiteral("/AppComs/Dmzd/CantonCode.dat"))) {
            if (!line.startsWith(u'－')) {
                codes.insert(line.left(4));
            }
        }
        return codes;
    }

    static std::map<QString, QString> Industries(const QString& folder) {
        std::map<QString, QString> industries;
        for (const QString& line : GbkLines(folder + QStringLiteral("/AppComs/Dmzd/hy.txt"))) {
            industries[line.section(u'|', 0, 0)] = line.section(u'|', 1);
        }
        return industries;
    }
};

TEST_F(DemoData, CompaniesHaveUniqueNamesAndGenuineLookingCodes) {
    const QString folder = Plain();
    const QSet<QString> cantons = CantonCodes(folder);
    const auto industries = Industries(folder);
    Open(folder);

    EXPECT_EQ(Count("select count(*) from XT_QYXX where LBDM=0"), kPlainCompanies);
    EXPECT_EQ(Count("select count(*) from XT_QYXX where LBDM not in (0, 20)"), 0);
    EXPECT_EQ(Count(BuildCompanyListSql("", "", true, false)), kPlainCompanies);
    const QStringList names = Column("select QYMC from XT_QYXX where LBDM=0");
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), kPlainCompanies);
    for (const QString& name : names) {
        EXPECT_TRUE(name.endsWith(QStringLiteral("有限公司"))) << Std(name);
    }

    TADOQuery query;
    QString error;
    ASSERT_TRUE(query.Open(
        kMainConnection, "select QYSBH, XZQHDM, HYDM, HYMC, YZBM, EMAIL from XT_QYXX where LBDM=0",
        error));
    QSet<QString> codes;
    for (; !query.Eof(); query.Next()) {
        const QString code = query.FieldAsString(0);
        codes.insert(code);
        EXPECT_TRUE(IsValidCreditCode(code)) << Std(code);
        EXPECT_TRUE(code.startsWith(QLatin1String("91"))) << Std(code);
        EXPECT_EQ(code.mid(2, 6), query.FieldAsString(1));
        EXPECT_TRUE(cantons.contains(code.mid(2, 4))) << Std(code);
        ASSERT_EQ(industries.count(query.FieldAsString(2)), 1u) << Std(query.FieldAsString(2));
        EXPECT_EQ(industries.at(query.FieldAsString(2)), query.FieldAsString(3));
        EXPECT_TRUE(IsValidPostCode(query.FieldAsString(4)));
        EXPECT_TRUE(IsValidEmail(query.FieldAsString(5))) << Std(query.FieldAsString(5));
    }
    EXPECT_EQ(codes.size(), kPlainCompanies);
    QString altered = *codes.begin();
    altered[17] = altered[17] == u'0' ? u'1' : u'0';
    EXPECT_FALSE(IsValidCreditCode(altered));
}

TEST_F(DemoData, SomeCompaniesHaveLocalAndStateTaxRows) {
    const QString folder = Plain();
    const auto industries = Industries(folder);
    Open(folder);

    const int local = Count("select count(*) from XT_QYDSXX");
    const int state = Count("select count(*) from XT_QYGSXX");
    EXPECT_GT(local, 0);
    EXPECT_LT(local, kPlainCompanies);
    EXPECT_GT(state, 0);
    EXPECT_LT(state, kPlainCompanies);
    EXPECT_GT(Count("select count(*) from XT_QYDSXX d join XT_QYGSXX g on g.QYID=d.QYID"), 0);
    EXPECT_GT(Count("select count(*) from XT_QYXX q where LBDM=0 and not exists (select 1 from "
                    "XT_QYDSXX d where d.QYID=q.QYID) and not exists (select 1 from XT_QYGSXX g "
                    "where g.QYID=q.QYID)"),
              0);
    EXPECT_EQ(Count("select count(*) from XT_QYDSXX d join XT_QYXX q on q.QYID=d.QYID where "
                    "q.LBDM=0 and d.KJYWRMC=q.QYMC and d.GSGBZE>0 and d.KJYWRBM<>''"),
              local);
    EXPECT_EQ(Count("select count(*) from XT_QYGSXX g join XT_QYXX q on q.QYID=g.QYID where "
                    "q.LBDM=0 and g.NSRSBH=q.QYSBH and typeof(g.DJZCLX_DM)='integer'"),
              state);

    TADOQuery query;
    QString error;
    ASSERT_TRUE(
        query.Open(kMainConnection, "select SSHY, SSHYMC, ICCARD, GXSJ from XT_QYGSXX", error));
    for (; !query.Eof(); query.Next()) {
        ASSERT_EQ(industries.count(query.FieldAsString(0)), 1u);
        EXPECT_EQ(industries.at(query.FieldAsString(0)), query.FieldAsString(1));
        EXPECT_TRUE(QDate::fromString(query.FieldAsString(3), Qt::ISODate).isValid());
        const QStringList cards = query.FieldAsString(2).split(QStringLiteral("\r\n"));
        EXPECT_GE(cards.size(), 2);
        EXPECT_LE(cards.size(), 3);
        for (qsizetype i = 0; i < cards.size(); ++i) {
            const std::string line = Std(cards[i]);
            EXPECT_FALSE(ParamString::GetParamValue(line, "ICBH").empty()) << line;
            EXPECT_FALSE(ParamString::GetParamValue(line, "ICLX").empty()) << line;
            EXPECT_EQ(ParamString::GetParamValue(line, "KPJH"), std::to_string(i)) << line;
        }
    }
}

TEST_F(DemoData, RoleStatementFindsTheGrantedThird) {
    Open(Plain());
    const int granted = Count(BuildRoleCompanyListSql("R01", "", "", true, false));
    EXPECT_GE(granted, kPlainCompanies / 3);
    EXPECT_LT(granted, kPlainCompanies / 2);
    EXPECT_EQ(granted, Count("select count(*) from QX_PRMSMAP where PRMS_TYPE='10'"));
    EXPECT_EQ(Count(BuildRoleCompanyListSql("R02", "", "", true, false)), 0);
}

TEST_F(DemoData, AgencyServesEveryCompany) {
    const QString plain = Plain();
    Open(plain);
    const QStringList plainNames = Column("select QYMC from XT_QYXX where LBDM=0 order by QYID");
    HostSetup::Stop();

    Open(Agency());
    EXPECT_TRUE(ModuleLib::CheckAgencyExist());
    const QStringList agencies = Column("select QYID from XT_QYXX where LBDM=19");
    ASSERT_EQ(agencies.size(), 1);
    const QString agencyId = agencies.first();
    EXPECT_EQ(Count("select count(*) from XT_QYXX where LBDM=10 and SSDLJGID=" + agencyId),
              kAgencyCompanies);
    EXPECT_EQ(Count("select count(*) from XT_QYXX where LBDM=0"), 0);
    EXPECT_EQ(Count(BuildCompanyListSql("", "", true, false)), kAgencyCompanies);

    TADOQuery query;
    QString error;
    ASSERT_TRUE(query.Open(kMainConnection, "select * from XT_QYXX where QYID=" + agencyId, error));
    const QString agencyName = query.FieldByName("QYMC");
    EXPECT_TRUE(agencyName.endsWith(QStringLiteral("税务师事务所有限公司"))) << Std(agencyName);
    EXPECT_TRUE(IsValidCreditCode(query.FieldByName("QYSBH")));
    for (const char* column : {"SSSWJG", "FDDBRMC", "QYDHHM", "YYDZ"}) {
        EXPECT_FALSE(query.FieldByName(column).isEmpty()) << column;
    }
    EXPECT_TRUE(IsValidPostCode(query.FieldByName("YZBM")));
    EXPECT_EQ(Column("select distinct SSDLJG from XT_QYGSXX"), QStringList{agencyName});

    // The companies themselves do not depend on the agency.
    EXPECT_EQ(Column("select QYMC from XT_QYXX where LBDM=10 order by QYID"),
              plainNames.mid(0, kAgencyCompanies));
}

TEST_F(DemoData, TaxOfficerHasIdentityNumberAndKnownRegion) {
    for (const QString& folder : {Plain(), Agency()}) {
        const QSet<QString> cantons = CantonCodes(folder);
        Open(folder);
        {
            TADOQuery query;
            QString error;
            ASSERT_TRUE(query.Open(kMainConnection, "select * from XT_QYXX where LBDM=20", error));
            ASSERT_FALSE(query.Eof());
            EXPECT_GE(query.FieldByName("QYMC").size(), 2);
            EXPECT_TRUE(IsValidIdentityNumber(query.FieldByName("QYSBH")))
                << Std(query.FieldByName("QYSBH"));
            EXPECT_TRUE(cantons.contains(query.FieldByName("XZQHDM")));
            EXPECT_FALSE(query.Next());
        }
        // Only once the query is gone can the host close the database.
        HostSetup::Stop();
    }
    // The check itself rejects a changed check character.
    EXPECT_TRUE(IsValidIdentityNumber("11010519491231002X"));
    EXPECT_FALSE(IsValidIdentityNumber("110105194912310021"));
}

TEST_F(DemoData, SettingsNameDatabaseSubAppsAndOperator) {
    const QString folder = Plain();
    Open(folder);
    EXPECT_EQ(HostSetup::DatabaseDriver(), QStringLiteral("QSQLITE"));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/Data/main.db")));
    EXPECT_FALSE(ModuleLib::CheckAgencyExist());
    EXPECT_EQ(ModuleLib::GetSysConfigParam("SysCofig", "DisplayCompanyCodeName", ""),
              QStringLiteral("纳税人识别号"));
    EXPECT_EQ(ReadQueryLength(), 6);
    EXPECT_EQ(ModuleLib::GetSysConfigParam("Demo", "OperatorClass", ""), QStringLiteral("0"));

    const QString operatorCode = ModuleLib::GetSysConfigParam("Demo", "Operator", "");
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", operatorCode);
    EXPECT_NE(ModuleLib::GetUserConfigParam("RunParameter", "SysIME", "none"), "none");

    QStringList codes;
    ModuleLib::GetALLSubAppCodeList(codes);
    EXPECT_EQ(codes.size(), 2);
}

TEST_F(DemoData, CodeListsAreGbkTextWithCrLf) {
    const QString folder = Plain();
    const QStringList industries = GbkLines(folder + QStringLiteral("/AppComs/Dmzd/hy.txt"));
    EXPECT_GE(industries.size(), 24);
    EXPECT_TRUE(industries.contains(QStringLiteral("01|农业")));
    static const QRegularExpression kIndustry(QStringLiteral("^\\d{2,4}\\|\\S+$"));
    QStringList codes;
    for (const QString& line : industries) {
        EXPECT_TRUE(kIndustry.match(line).hasMatch()) << Std(line);
        codes << line.section(u'|', 0, 0);
    }
    bool nested = false;
    for (const QString& outer : codes) {
        for (const QString& inner : codes) {
            nested = nested || (outer != inner && outer.contains(inner));
        }
    }
    EXPECT_TRUE(nested);

    const QStringList regions = GbkLines(folder + QStringLiteral("/AppComs/Dmzd/CantonCode.dat"));
    EXPECT_TRUE(regions.contains(QStringLiteral("1101北京市市辖区")));
    static const QRegularExpression kRegion(QStringLiteral("^\\d{4}\\S+$"));
    int headings = 0;
    for (const QString& line : regions) {
        headings += line.startsWith(u'－') ? 1 : 0;
        EXPECT_TRUE(line.startsWith(u'－') || kRegion.match(line).hasMatch()) << Std(line);
    }
    EXPECT_GE(headings, 2);
}

TEST_F(DemoData, CommandConfigsDifferSoThatMergingMatters) {
    const QString folder = Plain();
    Open(folder);
    QStringList codes;
    ModuleLib::GetALLSubAppCodeList(codes);
    ASSERT_EQ(codes.size(), 2);
    std::map<QString, bool> editable[2];
    int visibleStateTabs = 0;
    for (int app = 0; app < 2; ++app) {
        const TSubAppInfo* info = ModuleLib::GetpSubAppInfo(codes[app]);
        ASSERT_NE(info, nullptr);
        const QByteArray bytes = ReadBytes(ModuleLib::GetAppPath() + info->Path +
                                           QStringLiteral("AppComs/BaseInfo/CmdCompanyInfo.xml"));
        QDomDocument document;
        ASSERT_TRUE(document.setContent(bytes)) << Std(codes[app]);
        const QDomElement root = document.documentElement();
        for (const char* name : {"jcxx", "gsxx", "dsxx"}) {
            const QDomElement section = root.firstChildElement(QLatin1String(name));
            ASSERT_FALSE(section.isNull()) << name;
            ASSERT_FALSE(section.firstChildElement().isNull()) << name;
            for (QDomElement entry = section.firstChildElement(); !entry.isNull();
                 entry = entry.nextSiblingElement()) {
                EXPECT_TRUE(entry.hasAttribute("key") && entry.hasAttribute("edit"));
                if (QLatin1String(name) == QLatin1String("jcxx")) {
                    editable[app][entry.attribute("key")] =
                        entry.attribute("edit").trimmed().compare("true", Qt::CaseInsensitive) == 0;
                }
            }
        }
        visibleStateTabs += root.firstChildElement("gsxx").attribute("visible") == "true" ? 1 : 0;
    }
    EXPECT_EQ(visibleStateTabs, 1);
    bool differs = false;
    for (const auto& [key, edit] : editable[0]) {
        differs = differs || (editable[1].count(key) != 0 && editable[1].at(key) != edit);
    }
    EXPECT_TRUE(differs);
}

TEST_F(DemoData, CertificateFoldersBelongToCompanies) {
    const QString folder = Plain();
    Open(folder);
    const QStringList codes = Column("select QYSBH from XT_QYXX where LBDM=0");
    const QDir ca(folder + QStringLiteral("/CA"));
    const QStringList stores = ca.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    EXPECT_GE(stores.size(), 2);
    EXPECT_LE(stores.size(), 3);
    std::map<QString, int> storesPerCompany;
    for (const QString& store : stores) {
        const QString ini = ca.filePath(store + QStringLiteral("/UserCa_%1.ini").arg(store));
        QSet<QString> sections;
        for (const QString& line :
             QString::fromUtf8(ReadBytes(ini)).split(QStringLiteral("\r\n"))) {
            if (line.startsWith(u'[')) {
                sections.insert(line.mid(1, line.size() - 2));
            }
        }
        EXPECT_FALSE(sections.isEmpty()) << Std(ini);
        const QDir storeDir(ca.filePath(store));
        const QStringList holders = storeDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        EXPECT_EQ(QSet<QString>(holders.begin(), holders.end()), sections);
        for (const QString& holder : holders) {
            EXPECT_TRUE(codes.contains(holder)) << Std(holder);
            EXPECT_FALSE(QDir(storeDir.filePath(holder)).entryList(QDir::Files).isEmpty());
            ++storesPerCompany[holder];
        }
    }
    EXPECT_GT(std::count_if(storesPerCompany.begin(), storesPerCompany.end(),
                            [](const auto& entry) { return entry.second > 1; }),
              0);
}

TEST_F(DemoData, SameOptionsGiveTheSameFolder) {
    const QString first = Plain();
    const QString second = Make(QStringLiteral("plain-again"), {kPlainCompanies, false});
    EXPECT_EQ(FilesBelow(first), FilesBelow(second));
    Open(first);
    const QString firstDump = DumpDatabase();
    HostSetup::Stop();
    Open(second);
    EXPECT_EQ(firstDump, DumpDatabase());
    EXPECT_GT(firstDump.count(u'\n'), kPlainCompanies);
}

TEST_F(DemoData, RefusesToOverwriteOrToDisturbARunningHost) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(MakeDemoFolder(dir.path() + "/bad", {-1, false}, error));
    EXPECT_FALSE(error.isEmpty());

    QFile keep(dir.filePath("keep.txt"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("mine");
    keep.close();
    EXPECT_FALSE(MakeDemoFolder(dir.path(), {}, error));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"keep.txt"});

    const QString folder = Plain();
    Open(folder);
    const QString appPath = ModuleLib::GetAppPath();
    EXPECT_FALSE(MakeDemoFolder(dir.path() + "/other", {3, false}, error));
    EXPECT_FALSE(QDir(dir.path() + "/other").exists());
    EXPECT_TRUE(HostSetup::IsStarted());
    EXPECT_EQ(ModuleLib::GetAppPath(), appPath);
    EXPECT_EQ(Count("select count(*) from XT_QYXX where LBDM=0"), kPlainCompanies);
}

TEST_F(DemoData, NoCompaniesStillGivesTheOfficer) {
    const QString folder = Make(QStringLiteral("empty"), {0, false});
    Open(folder);
    EXPECT_EQ(Count("select count(*) from XT_QYXX"), 1);
    EXPECT_EQ(Count("select count(*) from XT_QYXX where LBDM=20"), 1);
}

// A folder is rebuilt unless it was finished with the options asked for; a
// note left inside tells a kept folder from a rebuilt one.
TEST(DemoFolderCompletion, RebuildsUnfinishedOrOtherFoldersAndKeepsTheRest) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const DemoOptions asked{2, false};
    const struct {
        const char* name;
        std::optional<DemoOptions> written;  // none: no folder
        bool markRemoved;                    // writing stopped before the mark
        DemoFolderState::Kind found;
    } cases[] = {
        {"missing", std::nullopt, false, DemoFolderState::Missing},
        {"unfinished", DemoOptions{2, false}, true, DemoFolderState::Incomplete},
        {"other-count", DemoOptions{3, false}, false, DemoFolderState::OtherOptions},
        {"other-kind", DemoOptions{2, true}, false, DemoFolderState::OtherOptions},
        {"same", DemoOptions{2, false}, false, DemoFolderState::Complete},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QLatin1String(c.name));
        const QString note = path + QStringLiteral("/Config/note.txt");
        QString error;
        if (c.written) {
            ASSERT_TRUE(MakeDemoFolder(path, *c.written, error)) << Std(error);
            QFile file(note);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            if (c.markRemoved) {
                ASSERT_TRUE(QFile::remove(path + u'/' + QLatin1String(kDemoCompleteMark)));
            }
        }
        DemoFolderState found;
        ASSERT_TRUE(EnsureDemoFolder(path, asked, found, error)) << Std(error);
        EXPECT_EQ(found.kind, c.found);
        if (c.found == DemoFolderState::OtherOptions) {
            EXPECT_EQ(found.written.companies, c.written->companies);
            EXPECT_EQ(found.written.agency, c.written->agency);
        }
        EXPECT_EQ(QFileInfo::exists(note), c.found == DemoFolderState::Complete);
        EXPECT_EQ(InspectDemoFolder(path, asked).kind, DemoFolderState::Complete);
        EXPECT_FALSE(HostSetup::IsStarted());
    }
}

TEST(DemoFolderCompletion, LeavesAFolderOfOtherThingsAlone) {
    QTemporaryDir dir;
    QFile mine(dir.filePath("mine.txt"));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.close();
    DemoFolderState found;
    QString error;
    EXPECT_FALSE(EnsureDemoFolder(dir.path(), {}, found, error));
    EXPECT_EQ(found.kind, DemoFolderState::Foreign);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"mine.txt"});
}

}  // namespace
