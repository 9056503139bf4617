#include "LoadDesk.h"

#include <QDateTime>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QToolButton>

#include <chrono>
#include <functional>
#include <memory>

#include "CompanyAddSaver.h"
#include "CompanyListLoader.h"
#include "CompanyRemoval.h"
#include "CompanySelectMgr.h"
#include "HostSetup.h"
#include "f_CompanyInfoInner.h"
#include "f_DataVO.h"

namespace LoadDesk {

namespace {

using LoadJournal::TEntry;

constexpr int kInfoSaved = 106019;
constexpr int kSharedTaxIds = 100;
// Deletes keep a few of the desk's companies for the other actions.
constexpr int kKeptCompanies = 5;

qint64 NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

QString AddOutcome(CompanyAddSaver::Outcome outcome) {
    switch (outcome) {
        case CompanyAddSaver::Outcome::Saved:
            return QStringLiteral("stored");
        case CompanyAddSaver::Outcome::Duplicate:
            return QStringLiteral("duplicate");
        case CompanyAddSaver::Outcome::Failed:
            return QStringLiteral("failed");
        case CompanyAddSaver::Outcome::Unknown:
            return QStringLiteral("unknown");
        default:
            return QStringLiteral("refused");
    }
}

// What the host showed the operator during one operation, one line.
QString Shown() {
    QStringList shown;
    for (const auto& m : HostSetup::RecordedMessages()) {
        shown << (m.kind == HostSetup::THostMessage::Numbered
                      ? QStringLiteral("%1 %2").arg(m.code).arg(m.extra).trimmed()
                      : m.text.left(60));
    }
    return shown.join(QStringLiteral("; "));
}

// A commit whose connection dropped under it is journalled as a kind of its
// own: as the host found it after reconnecting, or as nobody could tell.
QString WithDoubt(const HostSetup::TCommitChecks& before, const QString& outcome) {
    const HostSetup::TCommitChecks now = HostSetup::CommitChecks();
    if (now.unknown > before.unknown) {
        return QStringLiteral("unknown");
    }
    if (now.committed > before.committed && outcome == QLatin1String("stored")) {
        return QStringLiteral("doubt-stored");
    }
    if (now.notCommitted > before.notCommitted && outcome == QLatin1String("failed")) {
        return QStringLiteral("doubt-failed");
    }
    return outcome;
}

bool Asked() {
    for (const auto& m : HostSetup::RecordedMessages()) {
        if (m.buttons == HostSetup::THostMessage::YesNoCancel) {
            return true;
        }
    }
    return false;
}

class TDesk {
  public:
    TDesk(int desk, QFile& journal)
        : desk_(desk), journal_(journal), rng_(static_cast<quint32>(desk) + 1) {}

    bool Step() {
        struct TAction {
            int weight;
            void (TDesk::*run)(TEntry&);
            const char* name;
        };
        static const TAction kMix[] = {
            {15, &TDesk::ListAll, "list"},    {10, &TDesk::Search, "search"},
            {10, &TDesk::Select, "select"},   {25, &TDesk::SaveInfo, "info"},
            {15, &TDesk::Add, "add"},         {5, &TDesk::Delete, "delete"},
            {7, &TDesk::WriteLocal, "local"}, {7, &TDesk::WriteState, "state"},
            {6, &TDesk::WriteBasic, "basic"},
        };
        int pick = static_cast<int>(rng_.bounded(100));
        const TAction* action = &kMix[0];
        for (const TAction& a : kMix) {
            action = &a;
            if ((pick -= a.weight) < 0) {
                break;
            }
        }
        TEntry entry;
        entry.desk = desk_;
        entry.action = QLatin1String(action->name);
        HostSetup::ClearRecorded();
        const HostSetup::TCommitChecks before = HostSetup::CommitChecks();
        entry.startUs = NowUs();
        (this->*action->run)(entry);
        entry.endUs = NowUs();
        entry.outcome = WithDoubt(before, entry.outcome);
        if (entry.outcome.isEmpty()) {
            return true;  // nothing to act on yet
        }
        const QByteArray line = (LoadJournal::Format(entry) + QLatin1Char('\n')).toUtf8();
        return journal_.write(line) == line.size() && journal_.flush();
    }

  private:
    QString Any() {
        return seen_.isEmpty() ? QString()
                               : seen_.at(static_cast<qsizetype>(rng_.bounded(seen_.size())));
    }
    QString AnyOwn() {
        return own_.isEmpty() ? QString()
                              : own_.at(static_cast<qsizetype>(rng_.bounded(own_.size())));
    }
    QString NextValue(const char* kind) {
        return QStringLiteral("%1%2n%3@load.cn")
            .arg(QLatin1String(kind))
            .arg(desk_)
            .arg(++sequence_);
    }

    // The manager's list holds every company this desk stored and kept.
    void ListAll(TEntry& e) {
        TCompanyRecordArray records;
        if (!CompanyListLoader::Load(QStringLiteral("0"), QString(), QString(), records)) {
            e.outcome = QStringLiteral("failed");
            return;
        }
        QSet<QString> listed;
        seen_.clear();
        for (const TCompanyRecord& record : records) {
            listed.insert(record.Field(CompanyField::QYSBH));
            seen_ << record.Field(CompanyField::QYID);
        }
        e.outcome = QStringLiteral("ok");
        e.value = QString::number(records.size());
        for (const QString& id : own_) {
            if (!listed.contains(taxIds_.value(id))) {
                e.outcome = QStringLiteral("incomplete");
                e.companyId = id;
                e.value = taxIds_.value(id);
            }
        }
    }

    void Search(TEntry& e) {
        const QString id = AnyOwn();
        if (id.isEmpty()) {
            return;
        }
        TCompanyRecordArray records;
        e.companyId = id;
        e.value = taxIds_.value(id);
        if (!CompanyListLoader::Load(QStringLiteral("0"), e.value, QString(), records)) {
            e.outcome = QStringLiteral("failed");
            return;
        }
        e.outcome = QStringLiteral("incomplete");
        for (const TCompanyRecord& record : records) {
            if (record.Field(CompanyField::QYID) == id) {
                e.outcome = QStringLiteral("ok");
            }
        }
    }

    // A log-in: count the operator's companies, then load one.
    void Select(TEntry& e) {
        e.companyId = Any();
        if (e.companyId.isEmpty()) {
            return;
        }
        TCompanySelectMgr manager(QStringLiteral("0001"), QStringLiteral("0"));
        bool ran = false;
        if (manager.CountCompanies(QString(), QString()) <= 0) {
            e.outcome = QStringLiteral("failed");
            e.message = QStringLiteral("count");
        } else if (manager.LoadCompanyInfo(e.companyId)) {
            e.outcome = QStringLiteral("ok");
        } else {
            const bool exists = manager.CompanyInfoExists(e.companyId, &ran);
            e.outcome = ran && !exists ? QStringLiteral("gone") : QStringLiteral("failed");
        }
    }

    // The page as an operator uses it: opened, the e-mail typed, Save pressed.
    // Another desk's change meanwhile is asked about; the operator waits.
    void SaveInfo(TEntry& e) {
        e.companyId = rng_.bounded(2) == 0 ? AnyOwn() : Any();
        if (e.companyId.isEmpty()) {
            return;
        }
        e.value = NextValue("i");
        const auto page = std::make_unique<Tfrm_CompanyInfoInner>();
        if (!page->LoadCompany(e.companyId, false, true)) {
            e.outcome = QStringLiteral("gone");
            e.message = Shown();
            return;
        }
        page->show();
        // The page shows one of its two e-mail fields, by the rows the company has.
        for (const char* name : {"edtMail", "edtMail2"}) {
            auto* field = page->findChild<QLineEdit*>(QLatin1String(name));
            if (field != nullptr && field->isVisibleTo(page.get()) && field->isEnabled()) {
                field->setText(e.value);
            }
        }
        page->findChild<QToolButton*>(QStringLiteral("tbtnSave"))->click();
        e.message = Shown();
        bool saved = false;
        for (const auto& m : HostSetup::RecordedMessages()) {
            saved = saved || m.code == kInfoSaved;
        }
        e.outcome = saved     ? QStringLiteral("stored")
                    : Asked() ? QStringLiteral("conflict")
                              : QStringLiteral("failed");
        // A delete after the page's check fails the save: told, not lost.
        if (e.outcome == QLatin1String("failed")) {
            TCompanySelectMgr manager(QStringLiteral("0001"), QStringLiteral("0"));
            bool ran = false;
            if (!manager.CompanyInfoExists(e.companyId, &ran) && ran) {
                e.outcome = QStringLiteral("gone");
            }
        }
    }

    // Every fourth add is of an id the other desks add too.
    void Add(TEntry& e) {
        const bool shared = rng_.bounded(4) == 0;
        e.value = shared ? QStringLiteral("SHARED-%1").arg(rng_.bounded(kSharedTaxIds))
                         : QStringLiteral("L%1-%2").arg(desk_).arg(++sequence_);
        const QString name = QStringLiteral("负载'公司;-- %1").arg(e.value);
        const auto result = CompanyAddSaver::Save(e.value, name, QStringLiteral("010-1"));
        e.outcome = AddOutcome(result.outcome);
        e.companyId = result.companyId;
        e.message = Shown();
        if (result.outcome == CompanyAddSaver::Outcome::Saved && !shared) {
            own_ << result.companyId;
            taxIds_[result.companyId] = e.value;
            names_[result.companyId] = name;
        }
    }

    void Delete(TEntry& e) {
        if (own_.size() <= kKeptCompanies) {
            return;
        }
        e.companyId = own_.first();
        bool unknown = false;
        const bool deleted = CompanyRemoval::DeleteCompany(e.companyId, &unknown);
        e.outcome = deleted ? QStringLiteral("stored") : QStringLiteral("failed");
        // A company that may be gone is no longer one every list must show.
        if (deleted || unknown) {
            own_.removeFirst();
        }
    }

    // Another module hands in registration data through the write-back.
    void WriteBack(TEntry& e, const char* key,
                   bool (TCompanySelectMgr::*write)(const QString&, const TDataVO*, QString&)) {
        e.companyId = AnyOwn();
        if (e.companyId.isEmpty()) {
            return;
        }
        e.value = NextValue(key[0] == 'E' ? "b" : "w");
        TDataVO data;
        data.SetStrValue(QLatin1String(key), e.value);
        data.SetStrValue(QStringLiteral("QYMC"), names_.value(e.companyId));
        data.SetStrValue(QStringLiteral("QYDHHM"), QStringLiteral("010-1"));
        TCompanySelectMgr manager(QStringLiteral("0001"), QStringLiteral("0"));
        QString errorText;
        e.outcome = (manager.*write)(e.companyId, &data, errorText) ? QStringLiteral("stored")
                                                                    : QStringLiteral("failed");
        e.message = errorText;
    }
    void WriteLocal(TEntry& e) { WriteBack(e, "KJYWRBM", &TCompanySelectMgr::WriteLocalTaxInfo); }
    void WriteState(TEntry& e) { WriteBack(e, "NSRSBH", &TCompanySelectMgr::WriteStateTaxInfo); }
    void WriteBasic(TEntry& e) { WriteBack(e, "EMAIL", &TCompanySelectMgr::WriteBasicInfo); }

    int desk_;
    QFile& journal_;
    QRandomGenerator rng_;
    int sequence_ = 0;
    QStringList own_;   // this desk's companies that are left, oldest first
    QStringList seen_;  // every company of the last list
    QHash<QString, QString> taxIds_, names_;
};

}  // namespace

bool Run(int desk, int seconds, const QString& journalPath) {
    QFile journal(journalPath);
    if (!journal.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    HostSetup::SetRecording(true);
    HostSetup::SetMessageResponder([](const HostSetup::THostMessage& m) {
        return m.buttons == HostSetup::THostMessage::YesNoCancel ? 3 : 1;
    });
    TDesk mix(desk, journal);
    const qint64 until = NowUs() + qint64{seconds} * 1000000;
    while (NowUs() < until) {
        if (!mix.Step()) {
            return false;
        }
    }
    return true;
}

bool List(LoadJournal::TListing& taxIds) {
    TCompanyRecordArray records;
    if (!CompanyListLoader::Load(QStringLiteral("0"), QString(), QString(), records)) {
        return false;
    }
    for (const TCompanyRecord& record : records) {
        taxIds.insert(record.Field(CompanyField::QYSBH));
    }
    return true;
}

}  // namespace LoadDesk
