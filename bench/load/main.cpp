// Many desks on one PostgreSQL database at once: each runs an operator's mix
// for a while, then the database is checked against what every desk was told.
// See README.md, "Load".
//
//   companymgr_load --desks N --seconds S [--fail-over AT] [--folder DIR]
//                   [--write results.md]
//   companymgr_load --check DIR      checks a finished run's folder again
// --fail-over stops the primary hard at AT seconds and promotes its standby
// (COMPANYMGR_TEST_PRIMARY_STOP, COMPANYMGR_TEST_PROMOTE) while the desks go on.
// and, started by the run itself:
//   companymgr_load --desk K --seconds S --folder DIR
//   companymgr_load --list K --folder DIR
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "BenchData.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "LoadDesk.h"
#include "LoadJournal.h"
#include "LoadReport.h"
#include "f_DataVO.h"

namespace {

constexpr const char* kSchema = "companymgr_load";
// Beyond its own time a desk may still finish the operation it is in.
constexpr int kGraceMs = 300000;
// A day: the waits, in milliseconds, stay within an int.
constexpr int kMaxSeconds = 86400;
// Far beyond an agency's desks, and within what one machine can start.
constexpr int kMaxDesks = 200;

void Say(const QString& text) {
    std::fputs(qPrintable(text), stdout);
    std::fflush(stdout);
}

int Fail(const QString& text) {
    std::fprintf(stderr, "companymgr_load: %s\n", qPrintable(text));
    return 1;
}

QString JournalPath(const QString& folder, int desk) {
    return QStringLiteral("%1/journal-%2.tsv").arg(folder).arg(desk);
}

QString ListingPath(const QString& folder, int desk) {
    return QStringLiteral("%1/listing-%2.txt").arg(folder).arg(desk);
}

// When the primary was stopped, in nanoseconds of the wall clock.
QString FailOverPath(const QString& folder) {
    return folder + QStringLiteral("/failover-at");
}

// The stop of a fail-over run, in microseconds; 0 for a run without one.
qint64 FailOverAt(const QString& folder) {
    QFile file(FailOverPath(folder));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() / 1000 : 0;
}

bool StartHost(const QString& folder, QString& errorText) {
    if (!HostSetup::Start(folder, errorText)) {
        return false;
    }
    ModuleLib::GetUserInfoVO()->SetStrValue(QStringLiteral("CZY_DM"), QStringLiteral("0001"));
    ModuleLib::GetUserInfoVO()->SetStrValue(QStringLiteral("CZY_LB"), QStringLiteral("0"));
    return true;
}

// Starts count copies of this program with the arguments of each and waits
// for them; false when one did not end well.
bool RunAll(int count, const std::function<QStringList(int)>& arguments, int waitMs,
            QString& errorText) {
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < count; ++i) {
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        processes.back()->start(QCoreApplication::applicationFilePath(), arguments(i));
    }
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        QProcess& p = *processes[static_cast<std::size_t>(i)];
        if (!p.waitForFinished(waitMs) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            errorText +=
                QStringLiteral("desk %1 did not end well (%2); ").arg(i).arg(p.errorString());
            p.kill();
            p.waitForFinished();
            ok = false;
        }
    }
    return ok;
}

// Compares a run's folder with the database: the verdicts, then the figures.
int Check(const QString& folder, int desks, QString& figures) {
    std::vector<LoadJournal::TEntry> entries;
    std::vector<LoadJournal::TListing> listings;
    int unreadable = 0;
    for (int desk = 0; desk < desks; ++desk) {
        QFile journal(JournalPath(folder, desk)), listing(ListingPath(folder, desk));
        if (!journal.open(QIODevice::ReadOnly) || !listing.open(QIODevice::ReadOnly)) {
            return Fail(
                QStringLiteral("desk %1 left no journal or listing in %2").arg(desk).arg(folder));
        }
        for (const QString& line :
             QString::fromUtf8(journal.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            LoadJournal::TEntry entry;
            if (LoadJournal::Parse(line, entry)) {
                entries.push_back(entry);
            } else {
                ++unreadable;
            }
        }
        const QStringList ids =
            QString::fromUtf8(listing.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        listings.emplace_back(ids.begin(), ids.end());
    }
    QString errorText;
    LoadJournal::TDatabase database;
    if (!StartHost(folder, errorText) || !LoadJournal::ReadDatabase(database, errorText)) {
        HostSetup::Stop();
        return Fail(errorText);
    }
    HostSetup::Stop();
    QStringList faults = LoadJournal::Check(entries, database, listings);
    if (unreadable > 0) {
        faults << QStringLiteral("%1 journal lines could not be read").arg(unreadable);
    }
    figures = LoadReport::Figures(entries);
    if (const qint64 stopUs = FailOverAt(folder); stopUs > 0) {
        figures += LoadReport::FailOver(entries, stopUs);
    }
    figures += faults.isEmpty()
                   ? QStringLiteral(
                         "\nChecks: every company and value a desk was told was stored is "
                         "there once, nothing a desk was told failed is stored, and every "
                         "desk lists the %1 companies the others left.\n")
                         .arg(listings.empty() ? 0 : listings.front().size())
                   : QStringLiteral("\n**%1 faults**:\n\n- %2\n")
                         .arg(faults.size())
                         .arg(faults.join(QStringLiteral("\n- ")));
    return faults.isEmpty() ? 0 : 1;
}

// Replaces the load section of results.md, keeping the rest: the sections
// after it come after the new one.
bool WriteSection(const QString& path, const QString& section) {
    QFile file(path);
    QString text;
    if (file.open(QIODevice::ReadOnly)) {
        text = QString::fromUtf8(file.readAll());
        file.close();
    }
    QString after;
    const qsizetype at = text.indexOf(QStringLiteral("\n## Load\n"));
    if (at >= 0) {
        const qsizetype next = text.indexOf(QStringLiteral("\n## "), at + 1);
        after = next >= 0 ? text.mid(next) : QString();
        text.truncate(at);
    }
    text =
        text.trimmed() + QStringLiteral("\n\n") + section.trimmed() + QStringLiteral("\n") + after;
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0;
}

// The desks' operator may edit the e-mail, as a command configuration of
// the information page allows it.
bool AllowEmailEdits(const QString& folder) {
    const QString config = folder + QStringLiteral("/SubApps/GS/AppComs/BaseInfo");
    QFile settings(folder + QStringLiteral("/Config/SysConfig.ini"));
    QFile xml(config + QStringLiteral("/CmdCompanyInfo.xml"));
    return QDir().mkpath(config) && settings.open(QIODevice::Append) &&
           settings.write("\n[SubApps]\nCodes=GS\n[SubApp_GS]\nPath=SubApps/GS/\n") > 0 &&
           xml.open(QIODevice::WriteOnly) &&
           xml.write("<c><jcxx><f key=\"EMAIL\" edit=\"true\"/></jcxx></c>\n") > 0;
}

// Stops the primary at the given second of the run, in the background.
bool StartFailOver(QProcess& process, int at, const QString& folder, QString& errorText) {
    const QString stop = qEnvironmentVariable("COMPANYMGR_TEST_PRIMARY_STOP");
    const QString promote = qEnvironmentVariable("COMPANYMGR_TEST_PROMOTE");
    if (stop.isEmpty() || promote.isEmpty()) {
        errorText = QStringLiteral(
            "--fail-over needs a standby, and COMPANYMGR_TEST_PRIMARY_STOP and "
            "COMPANYMGR_TEST_PROMOTE name none (./run with-postgres --standby makes one)");
        return false;
    }
    // The time taken is the primary's end: the gap is what the desks wait
    // for the standby to take over.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QStringLiteral("sh"),
                  {QStringLiteral("-c"),
                   QStringLiteral("sleep %1 && %2 && date +%s%N > \"$0\" && %3")
                       .arg(QString::number(at), stop, promote),
                   FailOverPath(folder)});
    return true;
}

int Drive(int desks, int seconds, int failOverAt, QString folder, const QString& writePath) {
    if (!BenchData::PostgresConfigured()) {
        return Fail(
            QStringLiteral("the desks share a PostgreSQL server: set COMPANYMGR_TEST_PGSQL"));
    }
    QTemporaryDir scratch;
    if (folder.isEmpty()) {
        folder = scratch.path();
    }
    QString errorText;
    if (!BenchData::FreshPostgres(QLatin1String(kSchema), folder, errorText)) {
        return Fail(errorText);
    }
    if (!AllowEmailEdits(folder)) {
        return Fail(QStringLiteral("cannot write the settings in %1").arg(folder));
    }
    QProcess failOver;
    if (failOverAt > 0 && !StartFailOver(failOver, failOverAt, folder, errorText)) {
        return Fail(errorText);
    }
    Say(QStringLiteral("%1 desks for %2 s on one PostgreSQL database%3...\n")
            .arg(desks)
            .arg(seconds)
            .arg(failOverAt > 0
                     ? QStringLiteral(", failing over to the standby at %1 s").arg(failOverAt)
                     : QString()));
    const QString n = QString::number(seconds);
    bool ran = RunAll(
        desks,
        [&](int desk) {
            return QStringList{QStringLiteral("--desk"),    QString::number(desk),
                               QStringLiteral("--seconds"), n,
                               QStringLiteral("--folder"),  folder};
        },
        seconds * 1000 + kGraceMs, errorText);
    if (failOverAt > 0 && (!failOver.waitForFinished(kGraceMs) || failOver.exitCode() != 0)) {
        errorText += QStringLiteral("the fail-over command did not end well; ");
        ran = false;
    }
    ran = RunAll(
              desks,
              [&](int desk) {
                  return QStringList{QStringLiteral("--list"), QString::number(desk),
                                     QStringLiteral("--folder"), folder};
              },
              kGraceMs, errorText) &&
          ran;
    QString figures;
    const int checked = Check(folder, desks, figures);
    Say(figures);
    if (!writePath.isEmpty()) {
        const QString section =
            QStringLiteral(
                "## Load\n\nOne run of `./run bench --desks %1 --seconds %2%6` on %3: %1 desk "
                "processes on one PostgreSQL database, on a machine of %4 cores with the "
                "server on the same machine. Each desk lists, searches, logs in to a "
                "company, opens the information page and saves an edited e-mail, adds "
                "(one add in four of an id the other desks add too) and deletes companies "
                "and writes registrations back, as fast as it can; times are per "
                "operation.%5\n\n")
                .arg(desks)
                .arg(seconds)
                .arg(QDateTime::currentDateTimeUtc().toString(
                    QStringLiteral("yyyy-MM-dd HH:mm 'UTC'")))
                .arg(QThread::idealThreadCount())
                .arg(
                    failOverAt > 0
                        ? QStringLiteral(" At %1 s the primary is stopped hard and its synchronous "
                                         "standby promoted (`--fail-over %1`); the desks carry on.")
                              .arg(failOverAt)
                        : QString())
                .arg(failOverAt > 0 ? QStringLiteral(" --fail-over %1").arg(failOverAt)
                                    : QString()) +
            figures;
        if (!WriteSection(writePath, section)) {
            return Fail(QStringLiteral("cannot write %1").arg(writePath));
        }
    }
    if (!ran) {
        return Fail(errorText);
    }
    return checked;
}

}  // namespace

// The offscreen platform warns on every window it shows, and every desk about
// its runtime folder; nothing else is dropped.
static void QuietOffscreen(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (!message.contains(QLatin1String("propagateSizeHints")) &&
        !message.contains(QLatin1String("XDG_RUNTIME_DIR"))) {
        std::fprintf(stderr, "Qt: %s\n", message.toLocal8Bit().constData());
    }
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qInstallMessageHandler(QuietOffscreen);
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const auto value = [&](const char* name) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
    };
    const QString folder = value("--folder");
    const int seconds = value("--seconds").toInt();
    QString errorText;
    if (!value("--desk").isEmpty() && seconds > 0 && !folder.isEmpty()) {
        const int desk = value("--desk").toInt();
        if (!StartHost(folder, errorText)) {
            return Fail(errorText);
        }
        const bool ran = LoadDesk::Run(desk, seconds, JournalPath(folder, desk));
        HostSetup::Stop();
        return ran ? 0 : Fail(QStringLiteral("desk %1 could not write its journal").arg(desk));
    }
    if (!value("--list").isEmpty() && !folder.isEmpty()) {
        LoadJournal::TListing taxIds;
        QFile listing(ListingPath(folder, value("--list").toInt()));
        if (!StartHost(folder, errorText) || !LoadDesk::List(taxIds)) {
            HostSetup::Stop();
            return Fail(QStringLiteral("the manager's list could not be read: ") + errorText);
        }
        HostSetup::Stop();
        QString text;
        for (const QString& taxId : taxIds) {
            text += taxId + QLatin1Char('\n');
        }
        return listing.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                       listing.write(text.toUtf8()) >= 0
                   ? 0
                   : Fail(QStringLiteral("cannot write ") + listing.fileName());
    }
    if (!value("--check").isEmpty()) {
        const QString checked = value("--check");
        int desks = 0;
        while (QFile::exists(JournalPath(checked, desks))) {
            ++desks;
        }
        if (desks == 0) {
            return Fail(QStringLiteral("no desk's journal in %1").arg(checked));
        }
        QString figures;
        const int status = Check(checked, desks, figures);
        Say(figures);
        return status;
    }
    const int desks = value("--desks").toInt();
    const int failOverAt = value("--fail-over").toInt();
    if (desks <= 0 || desks > kMaxDesks || seconds <= 0 || seconds > kMaxSeconds ||
        failOverAt < 0 || failOverAt >= seconds) {
        std::fputs(
            "usage: companymgr_load --desks N --seconds S [--fail-over AT] [--folder DIR]\n"
            "                       [--write results.md]\n"
            "       (N up to 200 desks, S up to 86400 seconds, AT within them)\n"
            "       companymgr_load --check DIR\n",
            stderr);
        return 2;
    }
    return Drive(desks, seconds, failOverAt, folder, value("--write"));
}
