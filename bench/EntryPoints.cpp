#include "EntryPoints.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <dlfcn.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "BenchData.h"
#include "CompanyDelete.h"
#include "CompanyImport.h"
#include "CompanyRecord.h"
#include "Floor.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "SqlQuery.h"

namespace EntryPoints {

namespace {

using BufferEntry = bool (*)(int, char**);
using PageEntry = void (*)(std::uintptr_t, std::uintptr_t, char**);

// An import as large as the database, up to the 100,000 rows held to 5 s.
constexpr long long kImportMostRows = 100000;
constexpr std::size_t kBufferSize = 500;
// Far past the benchmark's own rows.
constexpr long long kDeletedId = 900000000;

template <typename Function>
Function Entry(const char* name) {
    // Loaded as a host loads it; never closed, as the host keeps it.
    static void* const module = dlopen(COMPANYMGR_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    void* symbol = module != nullptr ? dlsym(module, name) : nullptr;
    if (symbol == nullptr) {
        std::fprintf(stderr, "companymgr_bench: no entry point %s: %s\n", name, dlerror());
        std::exit(1);
    }
    return reinterpret_cast<Function>(symbol);
}

bool CallBuffer(const char* name, const std::string& params) {
    std::string buffer = params;
    buffer.resize(kBufferSize);
    char* buffers[] = {buffer.data()};
    return Entry<BufferEntry>(name)(1, buffers);
}

// Calls a modal entry point and ends its dialog once its list is painted.
bool ModalUntilPainted(const char* name, const std::string& params) {
    bool painted = false;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        auto* list = dialog != nullptr
                         ? dialog->findChild<QAbstractItemView*>(QStringLiteral("vstCompList"))
                         : nullptr;
        if (list == nullptr || !list->isVisible()) {
            return;
        }
        poll.stop();
        list->viewport()->repaint();
        painted = list->model()->rowCount() > 0;
        dialog->reject();
    });
    poll.start();
    CallBuffer(name, params);
    return painted;
}

// A host's container for a page, shown and ready.
struct TPageHost {
    std::unique_ptr<QWidget> holder;

    void Make() {
        holder = std::make_unique<QWidget>();
        new QVBoxLayout(holder.get());
        holder->resize(1024, 700);
        holder->show();
    }
    void Drop() {
        holder.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool Show(const char* name, const std::string& params) {
        std::string text = params;
        char* paramString = params.empty() ? nullptr : text.data();
        Entry<PageEntry>(name)(0, holder->winId(), params.empty() ? nullptr : &paramString);
        auto* list = holder->findChild<QAbstractItemView*>(QStringLiteral("vstCompList"));
        holder->repaint();
        return list == nullptr || list->model()->rowCount() > 0;
    }
};

QByteArray ImportFile(long long rows) {
    QByteArray csv = "QYSBH,QYMC,QYDHHM\r\n";
    for (long long i = 0; i < rows; ++i) {
        csv += "9555" + QByteArray::number(100000 + i) + ",导入测试公司" + QByteArray::number(i) +
               ",010-" + QByteArray::number(i) + "\r\n";
    }
    return csv;
}

// The benchmark's rows were made with their ids given: new rows take theirs
// from the server's sequence, which must start past them.
void FollowGivenIds() {
    if (ModuleLib::GetDBType(QLatin1String(kMainConnection)) == QLatin1String("POSTGRESQL")) {
        SqlQuery::Execute("move the id sequence past the rows",
                          QStringLiteral("SELECT setval(pg_get_serial_sequence('xt_qyxx', "
                                         "'qyid'), (SELECT max(QYID) FROM XT_QYXX))"));
    }
}

void DropImported() {
    SqlQuery::Execute(
        "drop the imported rows",
        QStringLiteral("DELETE FROM XT_QYXX WHERE QYSBH >= '9555' AND QYSBH < '9556'"));
}

}  // namespace

long long Recorded(QStringList& statements, const std::function<bool()>& call) {
    HostSetup::SetStatementRecording(true);
    const bool ok = call();
    statements = HostSetup::TakeRecordedStatements();
    HostSetup::SetStatementRecording(false);
    return ok ? static_cast<long long>(statements.size()) : -1;
}

std::string ImportCaseName(long long rows) {
    return "import of " + std::to_string(rows) + " rows";
}

std::vector<TCase> Cases(const Replay& replay, long long rows) {
    struct TState {
        QStringList statements;
        QString edition;
        TPageHost page;
        QByteArray importFile;
        int saves = 0;
        QStringList lastSave;
        QStringList saveBefore;
    };
    auto s = std::make_shared<TState>();
    const std::string served =
        "CZY_DM=0001;CZY_LB=0;QYID=" + std::to_string(BenchData::kFirstCompanyId + rows / 2);
    const auto floor = [s, replay](QString& error) { return replay(s->statements, error); };
    const auto keepNothing = [] { Floor::DropKept(); };
    const auto nothing = [] {};
    std::vector<TCase> cases;
    cases.push_back({"LoadSelectCompanyForm, single-company edition", false, false,
                     [s] {
                         Floor::DropKept();
                         s->edition = ModuleLib::gsAppVerTypeCode();
                         HostSetup::SetEditionCode(QStringLiteral("10"));
                     },
                     [s] {
                         return Recorded(s->statements, [] {
                             return CallBuffer("LoadSelectCompanyForm", "CZY_DM=0001;CZY_LB=0");
                         });
                     },
                     [s] { HostSetup::SetEditionCode(s->edition); }, floor, true});
    cases.push_back({"LoadSelectCompanyForm, dialog to first paint", false, false, keepNothing,
                     [s] {
                         return Recorded(s->statements, [] {
                             return ModalUntilPainted("LoadSelectCompanyForm",
                                                      "CZY_DM=0001;CZY_LB=0");
                         });
                     },
                     nothing, floor, true});
    cases.push_back({"LoadAdvSwitchCompanyForm, to first paint", false, false,
                     [served] {
                         Floor::DropKept();
                         CallBuffer("InitGlobalCompanyInfo", served);
                     },
                     [s] {
                         return Recorded(s->statements, [] {
                             return ModalUntilPainted("LoadAdvSwitchCompanyForm", "");
                         });
                     },
                     nothing, floor, true});
    cases.push_back({"ShowCompanyMgrProc, list shown", false, false,
                     [s] {
                         Floor::DropKept();
                         s->page.Make();
                     },
                     [s] {
                         return Recorded(s->statements,
                                         [s] { return s->page.Show("ShowCompanyMgrProc", ""); });
                     },
                     [s] { s->page.Drop(); }, floor, true});
    const std::string info =
        "QYID=" + std::to_string(BenchData::kFirstCompanyId + rows / 2) + ";TOVIEW=false";
    cases.push_back({"ShowComapnayInfoInnerProc, page open", false, false,
                     [s] {
                         Floor::DropKept();
                         s->page.Make();
                     },
                     [s, info] {
                         return Recorded(s->statements, [s, info] {
                             return s->page.Show("ShowComapnayInfoInnerProc", info);
                         });
                     },
                     [s] { s->page.Drop(); }, floor, true});
    // The open page's registered address changed and saved, as the operator
    // does with Ctrl+S; each save stores a new text. SQLite writes nothing for
    // an update that stores what is there already, so the floor replays the
    // save before the last one: it too changes the field.
    cases.push_back(
        {"ShowComapnayInfoInnerProc, save one changed field", false, false,
         [s, info] {
             Floor::DropKept();
             s->page.Make();
             s->page.Show("ShowComapnayInfoInnerProc", info);
         },
         [s] {
             s->saveBefore = s->lastSave;
             // A save that sent nothing saved nothing: a failed case.
             const long long sent = Recorded(s->lastSave, [s] {
                 auto* address = s->page.holder->findChild<QLineEdit*>(QStringLiteral("edtZcdz"));
                 auto* save = s->page.holder->findChild<QAction*>(QStringLiteral("actSave"));
                 if (address == nullptr || save == nullptr) {
                     return false;
                 }
                 s->saves += 1;
                 address->setText(QStringLiteral("北京市海淀区测试路%1号").arg(s->saves));
                 save->trigger();
                 return true;
             });
             return sent > 0 ? sent : -1;
         },
         [s] { s->page.Drop(); },
         [s, replay](QString& error) {
             return replay(s->saveBefore.isEmpty() ? s->lastSave : s->saveBefore, error);
         },
         true});
    // The manager's delete of one company, confirmed; the company is put
    // back (untimed) before each run of either side.
    const auto putBack = [] {
        SqlQuery::Execute("put the deleted company back",
                          QStringLiteral("INSERT INTO XT_QYXX(QYID,QYSBH,QYMC,LBDM) SELECT %1,"
                                         "'96660001','删除测试公司',0 WHERE NOT EXISTS (SELECT 1 "
                                         "FROM XT_QYXX WHERE QYID=%1)")
                              .arg(kDeletedId));
    };
    cases.push_back(
        {"delete a company", false, false,
         [putBack] {
             Floor::DropKept();
             putBack();
         },
         [s] {
             return Recorded(s->statements, [] {
                 TCompanyRecord company;
                 company.SetField(CompanyField::QYID, QString::number(kDeletedId));
                 company.SetField(CompanyField::QYSBH, u"96660001");
                 company.SetField(CompanyField::QYMC, u"删除测试公司");
                 return CompanyDelete::Run(company, ModuleLib::GetUserInfoVO(),
                                           ModuleLib::GetCompanyInfoVO(),
                                           QDir::tempPath() + "/companymgr-bench-ca/") ==
                        CompanyDelete::Outcome::Deleted;
             });
         },
         putBack, floor, true,
         [] {
             SqlQuery::Execute("drop the deleted company",
                               QStringLiteral("DELETE FROM XT_QYXX WHERE QYID=%1").arg(kDeletedId));
         }});
    // Read, classified and added as a script's import does; the rows added
    // by either side are dropped before the next run.
    const long long imported = std::min(rows, kImportMostRows);
    cases.push_back({ImportCaseName(imported), false, false,
                     [s, imported] {
                         Floor::DropKept();
                         DropImported();
                         if (s->importFile.isEmpty()) {
                             FollowGivenIds();
                             s->importFile = ImportFile(imported);
                         }
                     },
                     [s, imported] {
                         return Recorded(s->statements, [s, imported] {
                             std::vector<CompanyImport::Row> read;
                             QString error;
                             return CompanyImport::Read(s->importFile, read, error) &&
                                    CompanyImport::Classify(read, error) &&
                                    CompanyImport::Run(read).added == imported;
                         });
                     },
                     nothing, floor, true, DropImported});
    return cases;
}

}  // namespace EntryPoints
