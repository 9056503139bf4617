#include "WindowCalls.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <cstdio>

#include "FileSteps.h"
#include "HostParams.h"
#include "HostServices.h"
#include "ModuleApi.h"
#include "Output.h"
#include "PageStack.h"
#include "WindowMessage.h"
#include "f_DataVO.h"

namespace HostCall {

namespace {

// What happened during a page call, in order.
using Trace = QStringList;

// The host's session object: the module tells it about companies it added or
// removed.
class TraceSession : public TPSession {
  public:
    explicit TraceSession(Trace& trace) : trace_(trace) {}
    void CompanyAdded(const QString& companyId) override {
        trace_ << QStringLiteral("session: company added ") + companyId;
    }
    void CompanyRemoved(const QString& companyId) override {
        trace_ << QStringLiteral("session: company removed ") + companyId;
    }

  private:
    Trace& trace_;
};

// The host's main window for a page call: it holds the page container and
// notes the texts the module's windows send it.
class HostWindow : public QWidget {
  public:
    explicit HostWindow(Trace& trace) : trace_(trace), stack_(new PageStack(nullptr, this)) {
        // The module finds the host's main window by this name as well.
        setObjectName(QStringLiteral("Tfrm_MainFrame"));
        resize(1024, 700);
        stack_->setGeometry(rect());
    }
    PageStack* Stack() const { return stack_; }

  protected:
    bool event(QEvent* event) override {
        if (const THostMessageEvent* message = THostMessageEvent::Cast(event)) {
            if (message->IsCopyData()) {
                trace_ << QStringLiteral("window: %1 %2").arg(message->Code()).arg(message->Text());
            }
            event->accept();
            return true;
        }
        if (event->type() == QEvent::Resize) {
            stack_->setGeometry(rect());
        }
        return QWidget::event(event);
    }

  private:
    Trace& trace_;
    PageStack* stack_;
};

}  // namespace

int CallPage(const Options& options, const ModuleApi& module) {
    Trace trace;
    bool closing = false;
    const PageScript* running = nullptr;
    HostSetup::SetMessageResponder([&](const HostSetup::THostMessage& message) {
        trace << MessageLine(message);
        return AnswerFor(options, message, closing || (running != nullptr && running->Closing()));
    });
    TDataVO* user = ModuleLib::GetUserInfoVO();
    user->SetObjValue("TPSession", new TraceSession(trace));

    std::string params;
    if (!options.args.empty()) {
        params = options.args[0];
    } else {
        params = HostParams::With(
            HostParams::OperatorParams(user->GetStrValue("CZY_DM"), user->GetStrValue("CZY_LB")),
            "ModalFormMsg", QString::fromStdString(options.entry));
    }
    if (!options.historyOf.isEmpty()) {
        params = HostParams::With(HostParams::With(params, "QYID", options.historyOf), "PAGE",
                                  QStringLiteral("BGJL"));
    }

    // The page takes the current function code as its own and names it when it goes.
    HostSetup::SetCurFuncCode(QString::fromStdString(options.entry));
    auto* window = new HostWindow(trace);
    HostSetup::SetMainFrame(window);
    HostSetup::SetMainFrameParentForm(window->Stack());
    HostSetup::SetCurParentForm(window->Stack());
    window->show();

    PageStack* stack = window->Stack();
    std::vector<TPageStep> steps = options.steps;
    if (!options.historyOf.isEmpty()) {
        steps.back() = PrintHistory([&trace](const QString& line) { trace << line; });
    }
    if (options.previewStep) {
        steps[*options.previewStep] =
            WorkPreview(options.dryRun, [&trace](const QString& line) { trace << line; });
    }
    PageScript script(
        steps, [stack] { return stack->CurrentPage(); },
        [&trace](const QString& line) { trace << line; }, options.pick);
    running = &script;
    QEventLoop loop;
    script.onFinished = [&loop] { loop.quit(); };
    script.Start();
    script.Hold();
    module.ShowPage(options.entry.c_str(), ModuleLib::GetAppHandle(),
                    static_cast<std::uintptr_t>(stack->winId()), params);
    script.Release();
    QPointer<QWidget> page = stack->CurrentPage();
    const QString pageClass = page ? QLatin1String(page->metaObject()->className()) : QString();
    if (!script.Finished()) {
        loop.exec();
    }

    closing = true;
    if (page) {
        SendHostMessage(page, HostMsg::kClosePage);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (page) {
            trace << QStringLiteral("window: the page stayed open after 1280");
        }
    }
    delete window;
    HostSetup::SetMainFrame(nullptr);
    HostSetup::SetMainFrameParentForm(nullptr);
    HostSetup::SetCurParentForm(nullptr);
    user->SetStrValue("TPSession", QString());
    HostSetup::SetMessageResponder(
        [&options](const HostSetup::THostMessage& message) { return AnswerFor(options, message); });

    Print(pageClass.isEmpty() ? QStringLiteral("result: no page")
                              : QStringLiteral("result: page ") + pageClass);
    for (const QString& line : trace) {
        Print(line);
    }
    PrintLog();
    PrintAgency();
    PrintCompany();
    PrintRows();
    if (options.entry == "ShowComapnayInfoInnerProc") {
        // The page edits the company named in its parameters, else the current one.
        QString companyId = HostParams::Value(params, "QYID");
        if (companyId.isEmpty()) {
            companyId = ModuleLib::GetCompanyInfoVO()->GetStrValue("QYID");
        }
        PrintCompanyTables(companyId);
    }
    std::fflush(stdout);

    if (script.Failed()) {
        PrintError(script.Error());
        return kExitUsage;
    }
    if (ReportMissingRow(script.Picks())) {
        return kExitUsage;
    }
    return kExitTrue;
}

// Calls the modal company dialog; the steps work the dialog while it is up,
// and it is closed unsaved if still open when they have run out.
int CallDialog(const Options& options, const ModuleApi& module) {
    Trace trace;
    const PageScript* running = nullptr;
    HostSetup::SetMessageResponder([&](const HostSetup::THostMessage& message) {
        trace << MessageLine(message);
        return AnswerFor(options, message, running != nullptr && running->Closing());
    });
    PageScript script(
        options.steps, [] { return static_cast<QWidget*>(nullptr); },
        [&trace](const QString& line) { trace << line; }, options.pick);
    running = &script;
    QEventLoop loop;
    script.onFinished = [&loop] { loop.quit(); };
    script.Start();
    script.Hold();
    const bool result =
        module.CallIdFlag(options.entry.c_str(), options.args[0], options.args.size() == 2);
    script.Release();
    if (!script.Finished()) {
        loop.exec();
    }
    HostSetup::SetMessageResponder(
        [&options](const HostSetup::THostMessage& message) { return AnswerFor(options, message); });

    Print(result ? QStringLiteral("result: true") : QStringLiteral("result: false"));
    for (const QString& line : trace) {
        Print(line);
    }
    PrintLog();
    PrintCompany();
    PrintCompanyTables(QString::fromStdString(options.args[0]));
    std::fflush(stdout);
    if (script.Failed()) {
        PrintError(script.Error());
        return kExitUsage;
    }
    return result ? kExitTrue : kExitFalse;
}

}  // namespace HostCall
