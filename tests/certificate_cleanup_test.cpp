// A deleted company's certificate files: its INI sections and folders below
// "CA/" go, every other byte stays, and nothing outside "CA/" is reached,
// whatever the taxpayer id or the links found there.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "CertificateCleaner.h"
#include "CompanyDelete.h"
#include "CompanyRecord.h"
#include "FileSizeLimit.h"
#include "IniSectionEraser.h"
#include "TestHost.h"

namespace {

ino_t Inode(const QString& path) {
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    return info.st_ino;
}

QByteArray Gbk(const QString& text) {
    QStringEncoder gbk("GB18030");
    return gbk.encode(text);
}

struct EraseCase {
    const char* name;
    QByteArray content;
    QString section;
    QByteArray expected;  // the content itself when nothing is erased
};

TEST(IniSectionEraser, ErasesTheSectionAndKeepsEveryOtherByte) {
    const QByteArray gbkComment = Gbk(QStringLiteral("; 证书索引\r\n"));
    const std::vector<EraseCase> cases = {
        {"CR LF lines, GBK text, sections before and after",
         gbkComment + "[Keep]\r\nk=" + Gbk(QStringLiteral("值")) +
             "\r\n[9111X]\r\ncert=a.pfx\r\n; its note\r\n\r\n[Other]\r\nx=1",
         "9111X", gbkComment + "[Keep]\r\nk=" + Gbk(QStringLiteral("值")) + "\r\n[Other]\r\nx=1"},
        {"letter case counts, blanks around the header and its name do not",
         "[a]\n  [ 9111X ]  \nk=1\n[9111x]\n", "9111X", "[a]\n[9111x]\n"},
        {"a byte-order mark before the first header", "\xEF\xBB\xBF[9111X]\r\nk=1\r\n[a]\r\n",
         "9111X", "\xEF\xBB\xBF[a]\r\n"},
        {"the last section, without a line end", "[a]\nk=1\n[9111X]\nk=2", "9111X", "[a]\nk=1\n"},
        {"every section of the name", "[9111X]\nk=1\n[a]\n[9111X]\nk=2\n", "9111X", "[a]\n"},
        {"a bracket inside a value is no header", "[a]\nk=[9111X]\n", "9111X", "[a]\nk=[9111X]\n"},
        {"another name that only starts alike", "[9111X1]\nk=1\n", "9111X", "[9111X1]\nk=1\n"},
        {"a Chinese name in GBK", "[a]\n[" + Gbk(QStringLiteral("测试")) + "]\nk=1\n",
         QStringLiteral("测试"), "[a]\n"},
        {"a Chinese name in UTF-8", QStringLiteral("[测试]\nk=1\n[a]\n").toUtf8(),
         QStringLiteral("测试"), "[a]\n"},
        {"no such section", "[a]\r\nk=1\r\n", "9111X", "[a]\r\nk=1\r\n"},
        {"a Chinese letter is compared exactly", "[测验]\nk=1\n", QStringLiteral("测试"),
         "[测验]\nk=1\n"},
        {"an unclosed header does not end the section", "[9111X]\n [x\nk=1\n[a]\n", "9111X",
         "[a]\n"},
        {"a tab before the header", "[a]\n\t[9111X]\nk=1\n", "9111X", "[a]\n"},
        {"a non-ASCII letter against an ASCII one", "[9111X]\n", QStringLiteral("9111Ｘ"),
         "[9111X]\n"},
        // As the host reads headers: the name ends at the first "]", and a GBK
        // letter whose second byte is that of "]" is a letter.
        {"a header's name ends at its first bracket", "[9111X]b]\nk=1\n[a]\n", "9111X", "[a]\n"},
        {"a GBK letter ending in the bracket's byte",
         "[" + Gbk(QStringLiteral("乚甲")) + "]\nk=1\n", QStringLiteral("乚甲"), ""},
        // Bytes neither encoding can read decode to U+FFFD, which is no name.
        {"a name in neither encoding", "[\xFF]\nk=1\n", QString(QChar::ReplacementCharacter),
         "[\xFF]\nk=1\n"},
    };
    for (const EraseCase& c : cases) {
        bool erased = false;
        EXPECT_EQ(IniSectionEraser::Erase(c.content, c.section, &erased), c.expected) << c.name;
        EXPECT_EQ(erased, c.expected != c.content) << c.name;
        EXPECT_EQ(IniSectionEraser::Erase(c.content, c.section), c.expected) << c.name;
    }
}

class CertificateFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        ca_ = root_.filePath("app/CA/");
        outside_ = root_.filePath("outside/");
    }

    void Write(const QString& path, const QByteArray& content) const {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    static void Link(const QString& target, const QString& link) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(link).absolutePath()));
        ASSERT_TRUE(QFile::link(target, link)) << link.toStdString();
    }

    // Every entry below the folder, links as links, with file contents.
    std::map<std::string, std::string> Snapshot(const QString& folder) const {
        std::map<std::string, std::string> entries;
        QDirIterator it(folder,
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            std::string value;
            if (info.isSymLink()) {
                value = "link:" + info.symLinkTarget().toStdString();
            } else if (info.isDir()) {
                value = "dir";
            } else {
                QFile file(info.filePath());
                EXPECT_TRUE(file.open(QIODevice::ReadOnly));
                value = file.readAll().toStdString();
            }
            entries[QDir(root_.path()).relativeFilePath(info.filePath()).toStdString()] = value;
        }
        return entries;
    }

    // Two kinds of certificate: GS with its index, DS without one.
    void WriteCertificates(const QString& taxId) const {
        Write(ca_ + "GS/UserCa_GS.ini", "[Keep]\r\nk=1\r\n[" + taxId.toUtf8() + "]\r\nc=2\r\n");
        Write(ca_ + "GS/" + taxId + "/cert.pfx", "secret");
        Write(ca_ + "GS/" + taxId + "/sub/.hidden", "h");
        Write(ca_ + "GS/Keep/cert.pfx", "keep");
        Write(ca_ + "DS/" + taxId + "/cert.pfx", "secret");
    }

    QTemporaryDir root_;
    QString ca_;
    QString outside_;
};

TEST_F(CertificateFiles, ATaxpayersSectionsAndFoldersGoAndNothingElse) {
    WriteCertificates("9111X");
    Write(ca_ + "GS/UserCa_GS.ini", "; note\r\n[Keep]\r\nk=1\r\n[9111X]\r\nc=2\r\n[Z]\r\nz=3");
    Write(ca_ + "readme.txt", "a file among the kinds");
    auto expected = Snapshot(root_.path());
    for (const char* gone :
         {"app/CA/GS/9111X", "app/CA/GS/9111X/cert.pfx", "app/CA/GS/9111X/sub",
          "app/CA/GS/9111X/sub/.hidden", "app/CA/DS/9111X", "app/CA/DS/9111X/cert.pfx"}) {
        ASSERT_EQ(expected.erase(gone), 1u) << gone;
    }
    expected["app/CA/GS/UserCa_GS.ini"] = "; note\r\n[Keep]\r\nk=1\r\n[Z]\r\nz=3";

    CertificateCleaner::CleanUp(ca_, "  9111X ");
    EXPECT_EQ(Snapshot(root_.path()), expected);
}

TEST_F(CertificateFiles, LinksInsideCaLeadNowhere) {
    WriteCertificates("9111X");
    // What a followed link would reach.
    Write(outside_ + "9111X/cert.pfx", "foreign");
    Write(outside_ + "UserCa_kind.ini", "[9111X]\nk=1\n");
    Write(outside_ + "UserCa_GS.ini", "[9111X]\nk=1\n");
    Write(outside_ + "tree/file", "foreign");
    Link(outside_, ca_ + "kind");  // a linked kind
    ASSERT_TRUE(QFile::remove(ca_ + "GS/UserCa_GS.ini"));
    Link(outside_ + "UserCa_GS.ini", ca_ + "GS/UserCa_GS.ini");  // a linked index
    Link(outside_ + "tree", ca_ + "GS/9111X/sub/tree");          // links in the removed folder
    Link(outside_ + "tree/file", ca_ + "GS/9111X/file");
    Link(outside_ + "missing", ca_ + "GS/9111X/dangling");
    Link(outside_ + "9111X", ca_ + "DS/9111X-alias");
    ASSERT_TRUE(CertificateCleaner::RemoveFolderTree(ca_ + "DS/9111X"));
    Link(outside_ + "9111X", ca_ + "DS/9111X");  // the taxpayer's folder is a link itself
    const auto outside = Snapshot(outside_);

    CertificateCleaner::CleanUp(ca_, "9111X");
    EXPECT_EQ(Snapshot(outside_), outside);
    EXPECT_FALSE(QFileInfo(ca_ + "GS/9111X").exists());
    EXPECT_FALSE(QFileInfo(ca_ + "DS/9111X").isSymLink());
    EXPECT_TRUE(QFileInfo(ca_ + "kind").isSymLink());
    EXPECT_TRUE(QFileInfo(ca_ + "GS/UserCa_GS.ini").isSymLink());
    EXPECT_TRUE(QFileInfo(ca_ + "DS/9111X-alias").isSymLink());
}

// Only a plain file is rewritten: a link could lead the write anywhere.
TEST_F(CertificateFiles, AnIndexThatIsNoPlainFileIsRefusedAndLeftAlone) {
    Write(outside_ + "target.ini", "[9111X]\nc=1\n");
    Link(outside_ + "target.ini", ca_ + "link.ini");
    ASSERT_TRUE(QDir().mkpath(ca_ + "folder.ini"));
    for (const char* name : {"link.ini", "folder.ini", "missing.ini"}) {
        EXPECT_FALSE(IniSectionEraser::EraseFromFile(ca_ + name, "9111X")) << name;
    }
    auto files = Snapshot(root_.path());
    EXPECT_EQ(files["outside/target.ini"], "[9111X]\nc=1\n");
    EXPECT_FALSE(QFileInfo::exists(ca_ + "missing.ini"));
    EXPECT_TRUE(QFileInfo(ca_ + "link.ini").isSymLink());
    // A plain file whose reading fails: the kernel answers reads of a
    // process's unmapped first page with an I/O error.
    EXPECT_FALSE(IniSectionEraser::EraseFromFile("/proc/self/mem", "9111X"));
}

// Only folders and links are removed as a tree; a file is refused and stays.
TEST_F(CertificateFiles, ATreeIsAFolderOrALink) {
    Write(ca_ + "DS/9111X", "a file where the folder should be");
    EXPECT_FALSE(CertificateCleaner::RemoveFolderTree(ca_ + "DS/9111X"));
    EXPECT_EQ(Snapshot(root_.path())["app/CA/DS/9111X"], "a file where the folder should be");
}

TEST_F(CertificateFiles, AnIndexIsReplacedWholeOrLeftAlone) {
    const QString index = ca_ + "GS/UserCa_GS.ini";
    Write(index, "[Keep]\nk=1\n[9111X]\nc=2\n");
    // A second name for the old file: a rename leaves it as it was, a write
    // in place would change it too.
    const QString oldName = root_.filePath("old.ini");
    ASSERT_EQ(::link(QFile::encodeName(index).constData(), QFile::encodeName(oldName).constData()),
              0);
    ASSERT_TRUE(IniSectionEraser::EraseFromFile(index, "9111X"));
    auto files = Snapshot(root_.path());
    EXPECT_EQ(files["app/CA/GS/UserCa_GS.ini"], "[Keep]\nk=1\n");
    EXPECT_EQ(files["old.ini"], "[Keep]\nk=1\n[9111X]\nc=2\n");

    // A file without the section is not written at all.
    const ino_t replaced = Inode(index);
    EXPECT_TRUE(IniSectionEraser::EraseFromFile(index, "9111X"));
    EXPECT_EQ(Inode(index), replaced);

    // A disk that takes no more, whether the rest goes out in one piece or in
    // several: the index stays as it was and nothing is left beside it.
    for (const QByteArray& rest : {QByteArray("k=1\n"), "k=" + QByteArray(20000, 'v') + "\n"}) {
        Write(index, "[Keep]\n" + rest + "[9111Y]\nc=3\n");
        const auto before = Snapshot(root_.path());
        bool erased = true;
        {
            FileSizeLimit full(8);
            ASSERT_TRUE(full.Ok());
            erased = IniSectionEraser::EraseFromFile(index, "9111Y");
        }
        EXPECT_FALSE(erased) << rest.size();
        EXPECT_EQ(Snapshot(root_.path()), before) << rest.size();
    }
}

class DeletedCompanyCertificates : public EngineTest {};
INSTANTIATE_ON_ENGINES(DeletedCompanyCertificates);

// A delete cleans up for the company's whole stored number only, never for
// another stored number that differs in letter case, in blanks or past a cut.
TEST_P(DeletedCompanyCertificates, OnlyTheWholeStoredNumberIsCleanedUp) {
    const std::tuple<QString, QString, bool> cases[] = {
        // deleted number, another stored one, whether the deleted one's section goes
        {"91110108ma00abcd1x", "91110108MA00ABCD1X", true},
        {" SENTINEL1", "SENTINEL1", false},
        {QString(300, 'A'), QString(255, 'A'), true},
    };
    Answer(106008, 1);
    for (const auto& [deleted, other, ownGoes] : cases) {
        const QByteArray kept = "[" + other.toUtf8() + "]\r\nk=1\r\n";
        const QByteArray index = kept + "[" + deleted.trimmed().toUtf8() + "]\r\nk=2\r\n";
        WriteFile("CA/GS/UserCa_GS.ini", index);
        TCompanyRecord record;
        record.SetField(CompanyField::QYID, AddCompany(deleted, "甲"));
        record.SetField(CompanyField::QYSBH, deleted);
        AddCompany(other, "乙");
        ::CompanyDelete::Run(record, nullptr, nullptr, AppPath() + "CA/");
        QFile file(AppPath() + "CA/GS/UserCa_GS.ini");
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), ownGoes ? kept : index) << deleted.toStdString();
    }
}

}  // namespace
