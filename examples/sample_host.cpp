// A host in one file: it sets up a new application folder with one company
// through the reference host library, loads the module and has it choose the
// current company. With one company there is no dialog to answer.
//
//   sample_host APP_DIR     APP_DIR: a folder that does not exist yet, or is empty
//
// Exit code: 0 when LoadSelectCompanyForm returned true, 1 when it returned
// false, 2 for a usage error, 3 when the folder or the module failed.
#include <QApplication>
#include <QDir>
#include <QString>

#include <dlfcn.h>

#include <cstdio>

#include <companymgr/HostServices.h>
#include <companymgr/HostSetup.h>
#include <companymgr/companymgr.h>

namespace {

// The host owns the database; the module only reads and writes through the
// host's services. One company, written the way a host imports its data.
bool AddCompany(QString& errorText) {
    TADOQuery query;
    return ModuleLib::ExecADOQueryMsg(kMainConnection,
                                      QStringLiteral("INSERT INTO XT_QYXX(QYSBH, QYMC, LBDM) "
                                                     "VALUES('911100000000000001', '样例单位', 0)"),
                                      query, errorText, 0);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: sample_host APP_DIR\n");
        return 2;
    }
    const QString appDir = QString::fromLocal8Bit(argv[1]);
    if (QDir(appDir).exists() && !QDir(appDir).isEmpty()) {
        std::fprintf(stderr, "%s is not empty\n", argv[1]);
        return 2;
    }
    QString error;
    // An empty folder becomes a new application folder: settings default to
    // SQLite in Data/main.db, and the database gets the module's tables.
    if (!QDir().mkpath(appDir) || !HostSetup::Start(appDir, error) || !AddCompany(error)) {
        std::fprintf(stderr, "application folder: %s\n", qUtf8Printable(error));
        return 3;
    }

    // Never closed: the host's objects may hold objects the module made.
    std::printf("module: %s\n", SAMPLE_MODULE_PATH);
    void* module = dlopen(SAMPLE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    auto select =
        module != nullptr
            ? reinterpret_cast<CompanyMgrParamEntry>(dlsym(module, "LoadSelectCompanyForm"))
            : nullptr;
    if (select == nullptr) {
        std::fprintf(stderr, "module: %s\n", dlerror());
        HostSetup::Stop();
        return 3;
    }

    // The buffer the module writes its answer into: COMPANYMGR_PARAM_BUFFER_MIN
    // bytes at least.
    char buffer[COMPANYMGR_PARAM_BUFFER_MIN] = "CZY_DM=0001;CZY_LB=0";
    char* buffers[] = {buffer};
    const bool chosen = select(1, buffers);
    std::printf("LoadSelectCompanyForm: %s\nparam: %s\n", chosen ? "true" : "false", buffer);
    HostSetup::Stop();
    return chosen ? 0 : 1;
}
