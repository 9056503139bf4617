// hostcall's command line: the entry points it knows, the options and the
// answers they give to the host's messages.
#pragma once

#include <QString>
#include <QStringList>

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "HostSetup.h"
#include "PageScript.h"

class QCommandLineParser;

namespace HostCall {

constexpr int kExitTrue = 0;
constexpr int kExitFalse = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCannotRun = 3;

enum class EntryKind { Buffer, NoArgs, WriteBack, Page, IdFlag };

inline const std::map<std::string, EntryKind> kEntries = {
    {"LoadSelectCompanyForm", EntryKind::Buffer},
    {"InitGlobalCompanyInfo", EntryKind::Buffer},
    {"LoadAdvSwitchCompanyForm", EntryKind::Buffer},
    {"RefreshCurrentCompanyInfo", EntryKind::NoArgs},
    {"CallBackToWriteQYDSXX", EntryKind::WriteBack},
    {"CallBackToWriteQYGSXX", EntryKind::WriteBack},
    {"CallBackToWriteQYJCXX", EntryKind::WriteBack},
    {"ShowCompanyMgrProc", EntryKind::Page},
    {"ShowComapnayInfoInnerProc", EntryKind::Page},
    {"ShowGljgszProc", EntryKind::Page},
    {"ShowBsyxxszProc", EntryKind::Page},
    {"ShowComapnayInfoProc", EntryKind::IdFlag},
};

struct Options {
    bool help = false;
    QString appDir;
    std::string operatorParams;
    QString company;
    bool agency = false;
    std::optional<QString> edition;
    std::vector<std::pair<QStringList, QString>> settings;  // {section, key}, value
    std::map<int, int> answers;
    // The answer to a question asked while closing what the steps left open;
    // the answers of --answer apply to the steps only.
    int closeAnswer = 2;
    QString module;
    int pick = 0;  // row of a module dialog to choose, from 1; 0 cancels
    std::vector<TPageStep> steps;
    // --import: the step that works the preview, set once its output has a place.
    std::optional<std::size_t> previewStep;
    bool dryRun = false;
    std::string entry;
    std::vector<std::string> args;
    QString deskRole;   // --grant-desk: no entry point is called
    QString historyOf;  // --history: the company whose changes are printed
};

struct UsageError {
    QString message;
};

// The options and their help text.
void Describe(QCommandLineParser& parser);
// The options given; UsageError when they do not fit together.
Options ParseArguments(QCommandLineParser& parser, const QStringList& arguments);

// How the host answers a message: as --answer says, else 1 (confirm). While
// closing what the steps left open, a question gets --close-answer.
int AnswerFor(const Options& options, const HostSetup::THostMessage& message, bool closing = false);

}  // namespace HostCall
