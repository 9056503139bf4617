// The files of a demo folder: settings, the code lists in the legacy code page,
// the sub-applications' command configurations and the certificate folders.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamWriter>

#include <span>

#include "DemoInternal.h"
#include "DemoRecords.h"
#include "DemoWords.h"
#include "TextCodec.h"

namespace DemoBuild {

namespace {

struct ConfigEntry {
    const char* key;
    const char* edit;
};

struct ConfigSection {
    const char* name;
    const char* visible;  // null: no attribute
    std::span<const ConfigEntry> entries;
};

struct SubApp {
    const char* code;
    const char* name;
    std::span<const ConfigSection> sections;
};

// The state-tax sub-application lets its own fields be edited and shows the
// state-tax tab; the local-tax one opens the company name and the addresses.
// Only the two merged give the full picture.
const ConfigEntry kStateBasic[] = {
    {"QYMC", "false"},   {"HYMC", "true"},  {"ZCDZ", "false"},  {"YYDZ", "true"},
    {"FDDBRMC", "true"}, {"CWFZR", "true"}, {"QYDHHM", "true"}, {"QYCZHM", "true"},
    {"EMAIL", "true"},   {"YZBM", "true"},
};
const ConfigEntry kStateState[] = {
    {"NSRSBH", "false"},    {"NSRBM", "false"},  {"DJZCLX_DM", "true"}, {"NSRZT", "false"},
    {"KKYH", "true"},       {"YHZH", "true"},    {"NSRLX", "false"},    {"XYDJ", "false"},
    {"SSSWJG_DM", "false"}, {"SSDLJG", "false"}, {"SSHY", "true"},      {"JBZH", "true"},
    {"FLZSH", "false"},     {"QYLXMC", "false"},
};
const ConfigEntry kStateLocal[] = {
    {"KJYWRBM", "false"},
    {"NSRSBH", "false"},
    {"ZGSWJGMC", "false"},
};
const ConfigSection kStateSections[] = {
    {"jcxx", nullptr, kStateBasic},
    {"gsxx", "true", kStateState},
    {"dsxx", "false", kStateLocal},
};

const ConfigEntry kLocalBasic[] = {
    {"QYMC", "true"},
    {"ZCDZ", " True "},
    {"HYMC", "false"},
    {"EMAIL", "false"},
};
const ConfigEntry kLocalState[] = {
    {"SSDLJG", "true"},
    {"NSRZT", "false"},
    {"QYLXMC", "TRUE"},
};
const ConfigEntry kLocalLocal[] = {
    {"KJYWRBM", "false"},
    {"ZGSWJGMC", "true"},
    {"HYMC", "true"},
    {"DJZCLXMC", "false"},
};
const ConfigSection kLocalSections[] = {
    {"jcxx", nullptr, kLocalBasic},
    {"gsxx", nullptr, kLocalState},
    {"dsxx", "true", kLocalLocal},
};

const SubApp kSubApps[] = {
    {"GS", "国税申报", kStateSections},
    {"DS", "地税申报", kLocalSections},
};

const char* const kCertificateFolders[] = {"CA01", "CA02", "CA03"};

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString SubAppPath(const SubApp& app) {
    return QStringLiteral("SubApps/%1/").arg(Text(app.code));
}

bool WriteFile(const QString& path, const QByteArray& content, QString& errorText) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        errorText = QStringLiteral("无法创建目录[%1]").arg(QFileInfo(path).absolutePath());
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content) != content.size()) {
        errorText = QStringLiteral("无法写入文件[%1]：%2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// Text files of the host end every line with CR LF.
QString Lines(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QByteArray CommandConfig(const SubApp& app) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter xml(&buffer);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("CmdCompanyInfo"));
    xml.writeAttribute(QStringLiteral("subapp"), Text(app.code));
    for (const ConfigSection& section : app.sections) {
        xml.writeStartElement(Text(section.name));
        if (section.visible != nullptr) {
            xml.writeAttribute(QStringLiteral("visible"), Text(section.visible));
        }
        for (const ConfigEntry& entry : section.entries) {
            xml.writeEmptyElement(QStringLiteral("field"));
            xml.writeAttribute(QStringLiteral("key"), Text(entry.key));
            xml.writeAttribute(QStringLiteral("edit"), Text(entry.edit));
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

}  // namespace

bool WriteSettings(const QString& root, const DemoOptions& options, QString& errorText) {
    QStringList codes;
    for (const SubApp& app : kSubApps) {
        codes << Text(app.code);
    }
    QStringList lines = {
        QStringLiteral("[Database]"),
        QStringLiteral("Driver=QSQLITE"),
        QStringLiteral("Database=Data/main.db"),
        QStringLiteral("BusyTimeout=5000"),
        QString(),
        QStringLiteral("[Host]"),
        QStringLiteral("Edition=20"),
        QStringLiteral("Agency=") +
            (options.agency ? QStringLiteral("true") : QStringLiteral("false")),
        QString(),
        QStringLiteral("[SubApps]"),
        QStringLiteral("Codes=") + codes.join(u','),
    };
    for (const SubApp& app : kSubApps) {
        lines << QString() << QStringLiteral("[SubApp_%1]").arg(Text(app.code))
              << QStringLiteral("Name=") + Text(app.name)
              << QStringLiteral("Path=") + SubAppPath(app);
    }
    lines << QString() << QStringLiteral("[SysCofig]")
          << QStringLiteral("QueryLengthToSwithCompany=6")
          << QStringLiteral("DisplayCompanyCodeName=纳税人识别号");
    const QString roleHint =
        QStringLiteral("; OperatorClass=%1 shows only the companies granted to that role");
    lines << QString() << QStringLiteral("[Demo]") << roleHint.arg(Text(kRoleCode))
          << QStringLiteral("Operator=") + Text(kOperatorCode) << QStringLiteral("OperatorClass=0");
    const QStringList userLines = {QStringLiteral("[RunParameter]"),
                                   QStringLiteral("SysIME=中文 - 拼音输入法")};
    return WriteFile(root + QStringLiteral("Config/SysConfig.ini"), Lines(lines).toUtf8(),
                     errorText) &&
           WriteFile(root + QStringLiteral("Config/Users/%1.ini").arg(Text(kOperatorCode)),
                     Lines(userLines).toUtf8(), errorText);
}

bool WriteDictionaries(const QString& root, QString& errorText) {
    QStringList industries;
    for (const DemoWords::Industry& industry : DemoWords::Industries()) {
        industries << Text(industry.code) + u'|' + Text(industry.name);
    }
    // A line that starts with the full-width hyphen is a heading without a code.
    QStringList regions = {QStringLiteral("－请选择主管税务机关所在地－")};
    QString area;
    for (const DemoWords::City& city : DemoWords::Cities()) {
        if (area != Text(city.area)) {
            area = Text(city.area);
            regions << QStringLiteral("－%1－").arg(area);
        }
        regions << Text(city.canton) + Text(city.cantonName);
    }
    return WriteFile(root + QStringLiteral("AppComs/Dmzd/hy.txt"),
                     TextCodec::EncodeGbk(Lines(industries)), errorText) &&
           WriteFile(root + QStringLiteral("AppComs/Dmzd/CantonCode.dat"),
                     TextCodec::EncodeGbk(Lines(regions)), errorText);
}

bool WriteCommandConfigs(const QString& root, QString& errorText) {
    for (const SubApp& app : kSubApps) {
        if (!WriteFile(
                root + SubAppPath(app) + QStringLiteral("AppComs/BaseInfo/CmdCompanyInfo.xml"),
                CommandConfig(app), errorText)) {
            return false;
        }
    }
    return true;
}

bool WriteCertificates(const QString& root, const QStringList& companyCodes, QString& errorText) {
    DemoRecords::Random random(kCertificateSeed);
    const qsizetype folders = std::size(kCertificateFolders);
    for (qsizetype folder = 0; folder < folders; ++folder) {
        const QString name = Text(kCertificateFolders[folder]);
        const QString path = root + QStringLiteral("CA/") + name + u'/';
        QStringList ini;
        // Each folder holds two of every three companies, so most companies
        // have certificates in more than one folder.
        for (qsizetype i = 0; i < companyCodes.size(); ++i) {
            if ((i + folder) % 3 == 2) {
                continue;
            }
            const QString& code = companyCodes[i];
            const QString serial = QString::number(random.Next(), 16).toUpper();
            ini << u'[' + code + u']' << QStringLiteral("CertNo=") + serial
                << QStringLiteral("ValidFrom=2024-01-01") << QStringLiteral("ValidTo=2026-12-31")
                << QString();
            const QStringList certificate = {QStringLiteral("CertNo=") + serial,
                                             QStringLiteral("Holder=") + code,
                                             QStringLiteral("Issuer=") + name};
            if (!WriteFile(path + code + QStringLiteral("/cert.dat"), Lines(certificate).toUtf8(),
                           errorText)) {
                return false;
            }
        }
        const QString iniPath = path + QStringLiteral("UserCa_%1.ini").arg(name);
        if (!WriteFile(iniPath, ini.isEmpty() ? QByteArray() : Lines(ini).toUtf8(), errorText)) {
            return false;
        }
    }
    return true;
}

}  // namespace DemoBuild
