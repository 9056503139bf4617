// The window bases as the host sees them: the messages they send its main
// window, the skin they wear, and how ShowModuleForm places them.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>
#include <thread>
#include <vector>

#include "FormBase.h"
#include "HostFrame.h"
#include "HostSetup.h"
#include "MainFrameLink.h"
#include "ModuleForm.h"
#include "Shape.h"
#include "TestHost.h"
#include "WindowMessage.h"
#include "XPFamerEdit.h"
#include "f_CustomDlgEx.h"
#include "f_CustomFormEx.h"
#include "f_DataVO.h"

namespace {

const QString kFuncCode = QStringLiteral("01004-01-15-00-00");

void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Activate(QWidget* window) {
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

QColor Background(const QWidget* widget) {
    return widget->palette().color(QPalette::Window);
}

// A host main window known by its class name only.
class Tfrm_MainFrame : public QWidget {
    Q_OBJECT
};

// A page with a control of each kind a derived page adds.
class TTestPage : public Tfrm_CustomEx {
  public:
    TTestPage() : edit(new TXPFamerEdit(ClientArea())), action(new QAction("新增", this)) {
        auto* layout = new QVBoxLayout(ClientArea());
        layout->addWidget(edit);
        toolButton = AddToolAction(action, QStringLiteral("tbtAdd"));
        FormCreate();
    }
    TXPFamerEdit* edit;
    QAction* action;
    QWidget* toolButton;
};

class TTestDialog : public Tfrm_CustomDlgEx {
  public:
    TTestDialog()
        : edit(new TXPFamerEdit(ClientArea())), confirm(new QPushButton("确定", ClientArea())) {
        auto* layout = new QVBoxLayout(ClientArea());
        layout->addWidget(edit);
        layout->addWidget(confirm);
        AddButton(confirm);
        FormCreate();
    }
    TXPFamerEdit* edit;
    QPushButton* confirm;
};

class FormBases : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        HostSetup::SetCurFuncCode(kFuncCode);
        frame_ = std::make_unique<THostFrame>();
        frame_->setGeometry(100, 100, 800, 600);
        frame_->show();
    }

    void TearDown() override {
        frame_->onMessage = nullptr;
        for (const QPointer<QWidget>& window : windows_) {
            delete window.data();
        }
        FlushDeletes();
        frame_.reset();
        HostTest::TearDown();
    }

    template <typename T>
    T* Make() {
        T* window = new T();
        windows_.emplace_back(window);
        return window;
    }

    std::unique_ptr<THostFrame> frame_;
    std::vector<QPointer<QWidget>> windows_;
};

TEST_F(FormBases, MessagesReachTheMainWindowTheHostNamesOrTheOneCalledSo) {
    EXPECT_EQ(MainFrameLink::MainWindow(), frame_.get());
    EXPECT_TRUE(MainFrameLink::SendText(HostMsg::kPageState, "max"));
    ASSERT_EQ(frame_->Messages().size(), 1u);
    const THostFrame::Message sent = frame_->Messages()[0];
    EXPECT_TRUE(sent.copyData);
    EXPECT_EQ(sent.code, HostMsg::kPageState);
    EXPECT_EQ(sent.text, "max");
    EXPECT_EQ(static_cast<THandle>(sent.wParam), ModuleLib::GetAppHandle());

    // Other threads reach no window at all.
    QWidget* elsewhere = frame_.get();
    bool sentElsewhere = true;
    std::thread([&] {
        elsewhere = MainFrameLink::MainWindow();
        sentElsewhere = MainFrameLink::Send(HostMsg::kHelp);
    }).join();
    EXPECT_EQ(elsewhere, nullptr);
    EXPECT_FALSE(sentElsewhere);

    HostSetup::SetMainFrame(nullptr);
    EXPECT_EQ(MainFrameLink::MainWindow(), frame_.get());
    frame_->setObjectName("SomeOtherFrame");
    EXPECT_EQ(MainFrameLink::MainWindow(), nullptr);
    EXPECT_FALSE(MainFrameLink::Send(HostMsg::kHelp));
    EXPECT_EQ(frame_->Messages().size(), 1u);

    const Tfrm_MainFrame byClass;
    EXPECT_EQ(MainFrameLink::MainWindow(), &byClass);
}

TEST_F(FormBases, FormCreateTakesTheHostContextAndSkin) {
    HostSetup::OverrideSysConfig("Skin", "ModuleBackColor", "255");       // red
    HostSetup::OverrideSysConfig("Skin", "ModuleToolBarColor", "65280");  // green
    HostSetup::OverrideSysConfig("Skin", "SysFontColor", "8421504");      // grey
    HostSetup::OverrideSysConfig("Skin", "SysFontSize", "11");
    ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "op01");
    TTestPage* page = Make<TTestPage>();

    EXPECT_EQ(page->FuncCode(), kFuncCode);
    EXPECT_TRUE(page->IsFormCreated());
    EXPECT_EQ(page->HostContext().UserInfoVO, ModuleLib::GetUserInfoVO());
    EXPECT_EQ(page->HostContext().MainFrameHandle, static_cast<THandle>(frame_->winId()));
    EXPECT_EQ(page->HostContext().AppPath, AppPath());
    EXPECT_EQ(Background(page), QColor(255, 0, 0));
    EXPECT_EQ(Background(page->ModuleToolbar()), QColor(0, 255, 0));
    EXPECT_EQ(Background(page->pnlToolResize()), QColor(0, 255, 0));
    EXPECT_EQ(page->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    EXPECT_EQ(page->font().pointSize(), 11);
    EXPECT_EQ(page->PageState(), 1);

    // 1303 applies the skin again, but the context stays as it was taken.
    HostSetup::OverrideSysConfig("Skin", "ModuleBackColor", "16711680");  // blue
    HostSetup::SetCurFuncCode("another");
    EXPECT_TRUE(SendHostMessage(page, HostMsg::kApplySkin));
    EXPECT_EQ(Background(page), QColor(0, 0, 255));
    EXPECT_EQ(Background(page->ModuleToolbar()), QColor(0, 255, 0));
    EXPECT_EQ(page->FuncCode(), kFuncCode);

    // Without a font size of the host's the page keeps the usual one.
    HostSetup::OverrideSysConfig("Skin", "SysFontSize", "0");
    EXPECT_EQ(Make<TTestPage>()->font().pointSize(), QWidget().font().pointSize());
}

TEST_F(FormBases, DialogsColourTheirTitleBandOrTheirFrame) {
    HostSetup::OverrideSysConfig("Skin", "ModuleBackColor", "255");
    HostSetup::OverrideSysConfig("Skin", "TopBarColor", "16711680");
    auto* plain = Make<Tfrm_CustomDlg>();
    plain->FormCreate();
    EXPECT_EQ(Background(plain), QColor(255, 0, 0));
    // A window shown before its creation steps ran gets them then.
    auto* early = Make<Tfrm_CustomDlg>();
    EXPECT_FALSE(early->IsFormCreated());
    early->show();
    EXPECT_TRUE(early->IsFormCreated());
    EXPECT_EQ(Background(early), QColor(255, 0, 0));
    EXPECT_EQ(Background(plain->pnlTop()), QColor(0, 0, 255));
    plain->SetTitle("单位选择", "选择单位");
    EXPECT_EQ(plain->windowTitle(), "单位选择");
    EXPECT_EQ(plain->lbBusinessName()->text(), "选择单位");

    TTestDialog* framed = Make<TTestDialog>();
    framed->show();
    EXPECT_EQ(framed->Shape1()->BrushColor(), QColor(255, 0, 0));
    EXPECT_EQ(framed->Shape1()->geometry(), framed->rect());
    EXPECT_FALSE(framed->pnlTop()->isVisible());
    EXPECT_FALSE(framed->Bevel1()->isVisible());
    EXPECT_TRUE(framed->lbProductName()->isVisible());

    HostSetup::OverrideSysConfig("Skin", "ModuleBackColor", "65280");
    SendHostMessage(framed, HostMsg::kApplySkin);
    EXPECT_EQ(framed->Shape1()->BrushColor(), QColor(0, 255, 0));
    // The host's close message is for pages only.
    SendHostMessage(framed, HostMsg::kClosePage);
    EXPECT_TRUE(framed->isVisible());
}

TEST_F(FormBases, DialogsShowTheHostsProductName) {
    const QString standard = Make<TTestDialog>()->lbProductName()->text();
    EXPECT_FALSE(standard.isEmpty());
    EXPECT_FALSE(standard.contains("CompanyMgr"));
    HostSetup::OverrideSysConfig("SysCofig", "ProductName", "某市纳税服务平台");
    TTestDialog* dialog = Make<TTestDialog>();
    dialog->show();
    EXPECT_EQ(dialog->lbProductName()->text(), "某市纳税服务平台");
    EXPECT_TRUE(dialog->lbProductName()->isVisible());
}

TEST_F(FormBases, F1AnywhereInAPageAsksForHelpOnce) {
    TTestPage* page = Make<TTestPage>();
    Activate(page);
    for (QWidget* target : std::vector<QWidget*>{page->edit, page->toolButton, page}) {
        frame_->Clear();
        QTest::keyClick(target, Qt::Key_F1);
        ASSERT_EQ(frame_->Count(HostMsg::kHelp), 1) << target->metaObject()->className();
        const THostFrame::Message help = frame_->MessagesWith(HostMsg::kHelp)[0];
        EXPECT_EQ(help.wParam, 0);
        EXPECT_EQ(help.lParam, 0);
    }
    // A key from the window system passes the window before the control.
    frame_->Clear();
    page->edit->setFocus();
    QTest::keyClick(page->windowHandle(), Qt::Key_F1);
    EXPECT_EQ(frame_->Count(HostMsg::kHelp), 1);

    frame_->Clear();
    QTest::keyClick(page->edit, Qt::Key_F2);
    EXPECT_TRUE(frame_->Messages().empty());
}

// Counts the F1 presses that reach a widget.
class TF1Counter : public QObject {
  public:
    int presses = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        presses +=
            event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1
                ? 1
                : 0;
        return false;
    }
};

TEST_F(FormBases, KeyPreviewWithoutHelpStillKeepsF1FromTheControls) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    TF1Counter counter;
    edit->installEventFilter(&counter);
    Activate(&window);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F1);
    ASSERT_EQ(counter.presses, 1);
    new TKeyPreview(&window, nullptr);
    QTest::keyClick(edit, Qt::Key_F1);
    EXPECT_EQ(counter.presses, 1);
    EXPECT_EQ(frame_->Count(HostMsg::kHelp), 0);
}

TEST_F(FormBases, DockedPageTakesF1BeforeTheHostsShortcuts) {
    auto* hostHelp = new QAction(frame_.get());
    hostHelp->setShortcut(Qt::Key_F1);
    frame_->addAction(hostHelp);
    int hostHelps = 0;
    QObject::connect(hostHelp, &QAction::triggered, [&] { ++hostHelps; });
    auto* container = new QWidget(frame_.get());
    container->setGeometry(0, 0, 400, 300);
    TTestPage* page = Make<TTestPage>();
    ASSERT_TRUE(
        ShowModuleForm(container->winId(), page, QString(), false, QString(), QString(), true));
    Activate(frame_.get());
    page->edit->setFocus();

    QTest::keyClick(page->edit, Qt::Key_F1);
    EXPECT_EQ(frame_->Count(HostMsg::kHelp), 1);
    EXPECT_EQ(hostHelps, 0);
    // Outside the page the host's own shortcut still works.
    frame_->setFocus();
    QTest::keyClick(frame_.get(), Qt::Key_F1);
    EXPECT_EQ(hostHelps, 1);
    EXPECT_EQ(frame_->Count(HostMsg::kHelp), 1);
}

TEST_F(FormBases, DialogHearsF1OnlyWhenItHasTheFocusUnlessItPreviewsKeys) {
    TTestDialog* dialog = Make<TTestDialog>();
    Activate(dialog);
    dialog->edit->setFocus();
    ASSERT_TRUE(dialog->edit->hasFocus());
    QTest::keyClick(dialog->edit, Qt::Key_F1);
    EXPECT_EQ(frame_->Count(HostMsg::kHelp), 0);

    dialog->setFocus();
    ASSERT_TRUE(dialog->hasFocus());
    QTest::keyClick(dialog, Qt::Key_F1);
    EXPECT_EQ(frame_->Count(HostMsg::kHelp), 1);

    // Switched on twice, one switch off is enough.
    dialog->SetKeyPreview(true);
    dialog->SetKeyPreview(true);
    dialog->edit->setFocus();
    QTest::keyClick(dialog->edit, Qt::Key_F1);
    EXPECT_EQ(frame_->Count(HostMsg::kHelp), 2);
    dialog->SetKeyPreview(false);
    QTest::keyClick(dialog->edit, Qt::Key_F1);
    EXPECT_EQ(frame_->Count(HostMsg::kHelp), 2);
    dialog->SetKeyPreview(false);

    // With no control focused the key is the dialog's own.
    dialog->edit->clearFocus();
    ASSERT_EQ(dialog->focusWidget(), nullptr);
    QTest::keyClick(dialog, Qt::Key_F1);
    EXPECT_EQ(frame_->Count(HostMsg::kHelp), 3);
}

TEST_F(FormBases, DialogTakesButtonsFromWhereverTheyWere) {
    struct Case {
        const char* name;
        // Makes the button inside the client area; returns the layout it sits
        // in, if any.
        QLayout* (*place)(QWidget* client, QPushButton* button);
    };
    const Case cases[] = {
        {"without a parent", [](QWidget*, QPushButton*) -> QLayout* { return nullptr; }},
        {"in a parent without a layout",
         [](QWidget* client, QPushButton* button) -> QLayout* {
             button->setParent(new QWidget(client));
             return nullptr;
         }},
        {"beside its parent's layout",
         [](QWidget* client, QPushButton* button) -> QLayout* {
             new QVBoxLayout(client);
             button->setParent(client);
             return nullptr;
         }},
        {"in a row of its parent's layout",
         [](QWidget* client, QPushButton* button) -> QLayout* {
             auto* layout = new QVBoxLayout(client);
             auto* other = new QHBoxLayout;
             other->addWidget(new QLabel("x"));
             layout->addLayout(other);
             auto* row = new QHBoxLayout;
             layout->addLayout(row);
             row->addWidget(button);
             return row;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* dialog = Make<Tfrm_CustomDlg>();
        auto* button = new QPushButton("确定");
        const QLayout* from = c.place(dialog->ClientArea(), button);
        dialog->AddButton(button);
        const QHBoxLayout* row = dialog->ButtonRow();
        EXPECT_EQ(row->indexOf(button) + 1, row->indexOf(dialog->sBtnClose()));
        EXPECT_TRUE(dialog->isAncestorOf(button));
        if (from != nullptr) {
            EXPECT_EQ(from->indexOf(button), -1);
        }
    }
}

// Enter presses the focused button as Space does, in a page's toolbar and in
// a dialog whose default button is another.
TEST_F(FormBases, EnterPressesTheFocusedButton) {
    auto* page = Make<TTestPage>();
    page->show();
    int added = 0;
    QObject::connect(page->action, &QAction::triggered, [&added] { ++added; });
    QTest::keyClick(page->toolButton, Qt::Key_Return);
    EXPECT_EQ(added, 1);
    auto* dialog = Make<TTestDialog>();
    dialog->sBtnClose()->setAutoDefault(false);  // 确定 is the default
    dialog->show();
    QTest::keyClick(dialog->sBtnClose(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FALSE(dialog->isVisible());
}

// A dialog larger than the screen fits it, its buttons in reach; one that
// fits is left as it is.
TEST_F(FormBases, DialogsFitTheScreenWithTheirButtons) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QSize asked : {QSize(300, 200), screen.size() * 2}) {
        auto* dialog = Make<TTestDialog>();
        dialog->ClientArea()->setMinimumSize(asked);
        dialog->adjustSize();
        const QSize before = dialog->size();
        dialog->show();
        EXPECT_TRUE(screen.contains(dialog->frameGeometry())) << asked.width();
        EXPECT_TRUE(dialog->rect().contains(
            QRect(dialog->sBtnClose()->mapTo(dialog, QPoint()), dialog->sBtnClose()->size())));
        EXPECT_EQ(dialog->size() == before, asked.width() == 300);
    }
}

TEST_F(FormBases, MaximiseThenCloseRestoresTheHostBeforeThePageGoes) {
    TTestPage* page = Make<TTestPage>();
    QPointer<TTestPage> alive(page);
    page->show();
    bool shownAtReset = false;
    frame_->onMessage = [&](const THostFrame::Message& message) {
        if (message.text == "reset") {
            shownAtReset = alive && alive->isVisible();
        }
    };

    page->spToolPageMax()->click();
    EXPECT_EQ(frame_->Texts(HostMsg::kPageState), QStringList{"max"});
    EXPECT_EQ(page->PageState(), 2);
    EXPECT_TRUE(page->spToolPageForm()->isVisible());
    EXPECT_FALSE(page->spToolPageMax()->isVisible());

    page->spToolPageClose()->click();
    EXPECT_EQ(frame_->Texts(HostMsg::kPageState), (QStringList{"max", "reset"}));
    EXPECT_TRUE(shownAtReset);
    FlushDeletes();
    EXPECT_TRUE(alive.isNull());
    ASSERT_EQ(frame_->Messages().size(), 3u);
    EXPECT_EQ(frame_->Messages()[2].code, HostMsg::kFormDestroyed);
    EXPECT_EQ(frame_->Messages()[2].text, kFuncCode);
}

TEST_F(FormBases, PageButtonsFollowThePageState) {
    TTestPage* page = Make<TTestPage>();
    page->show();
    page->spToolPageMax()->click();
    page->spToolPageForm()->click();
    EXPECT_EQ(frame_->Texts(HostMsg::kPageState), (QStringList{"max", "reset"}));
    EXPECT_EQ(page->PageState(), 1);
    EXPECT_TRUE(page->spToolPageMax()->isVisible());
    EXPECT_FALSE(page->spToolPageForm()->isVisible());

    page->SetPageState(7);
    EXPECT_EQ(page->PageState(), 7);
    EXPECT_TRUE(page->spToolPageMax()->isVisible());
    EXPECT_FALSE(page->spToolPageForm()->isVisible());

    // Closing a page in the normal state tells the host nothing but its end.
    frame_->Clear();
    page->SetPageState(1);
    page->spToolPageClose()->click();
    FlushDeletes();
    ASSERT_EQ(frame_->Messages().size(), 1u);
    EXPECT_EQ(frame_->Messages()[0].code, HostMsg::kFormDestroyed);
}

TEST_F(FormBases, PageButtonsSitAtTheRightEndOfTheToolbar) {
    TTestPage* page = Make<TTestPage>();
    for (const int width : {600, 900}) {
        page->resize(width, 400);
        page->show();
        const QRect toolbar = page->ModuleToolbar()->geometry();
        const QRect panel = page->pnlToolResize()->geometry();
        EXPECT_EQ(panel.right(), toolbar.right()) << width;
        EXPECT_EQ(panel.top(), toolbar.top() + 2) << width;
        EXPECT_TRUE(page->pnlToolResize()->isAncestorOf(page->childAt(panel.center())) ||
                    page->childAt(panel.center()) == page->pnlToolResize());
    }
}

TEST_F(FormBases, HostCloseMessageClosesAndFreesThePage) {
    QPointer<TTestPage> page = Make<TTestPage>();
    page->show();
    EXPECT_TRUE(SendHostMessage(page, HostMsg::kClosePage));
    EXPECT_FALSE(page->isVisible());
    FlushDeletes();
    EXPECT_TRUE(page.isNull());
    EXPECT_EQ(frame_->Texts(HostMsg::kFormDestroyed), QStringList{kFuncCode});
}

TEST_F(FormBases, ActivePageKeepsTheHostFrameActive) {
    TTestPage* page = Make<TTestPage>();
    Activate(page);
    ASSERT_GE(frame_->Count(HostMsg::kNcActivate), 1);
    const THostFrame::Message notice = frame_->MessagesWith(HostMsg::kNcActivate)[0];
    EXPECT_EQ(notice.wParam, 1);
    EXPECT_EQ(notice.lParam, 0);
    EXPECT_FALSE(notice.copyData);

    // Losing the activation is no news for the host.
    frame_->Clear();
    Activate(frame_.get());
    EXPECT_EQ(frame_->Count(HostMsg::kNcActivate), 0);
}

TEST_F(FormBases, DockedFormTellsTheHostOnlyWhenAskedTo) {
    auto* container = new QWidget(frame_.get());
    container->setGeometry(10, 40, 500, 300);
    container->show();
    TTestPage* page = Make<TTestPage>();
    ASSERT_TRUE(
        ShowModuleForm(container->winId(), page, "PAGE01", false, QString(), QString(), true));
    EXPECT_EQ(page->parentWidget(), container);
    EXPECT_FALSE(page->isWindow());
    EXPECT_TRUE(page->isVisible());
    EXPECT_EQ(page->geometry(), container->rect());
    EXPECT_EQ(frame_->Texts(HostMsg::kFormShown),
              QStringList{QStringLiteral("PAGE01|%1|0|1").arg(page->winId())});
    container->resize(640, 420);
    EXPECT_EQ(page->geometry(), container->rect());

    // A container with a layout of its own places the form through it.
    auto* laidOut = new QWidget(frame_.get());
    new QVBoxLayout(laidOut);
    laidOut->show();
    TTestPage* quiet = Make<TTestPage>();
    ASSERT_TRUE(
        ShowModuleForm(laidOut->winId(), quiet, QString(), true, "x.htm", "企业管理", false));
    EXPECT_EQ(quiet->parentWidget(), laidOut);
    EXPECT_GE(laidOut->layout()->indexOf(quiet), 0);
    EXPECT_TRUE(quiet->isVisible());
    EXPECT_EQ(quiet->windowTitle(), "企业管理");
    EXPECT_EQ(frame_->Count(HostMsg::kFormShown), 1);
    EXPECT_TRUE(HostSetup::HelpHtml().isEmpty());
}

TEST_F(FormBases, DockedFormSetsTheHelpPageFirstWhenHelpIsOn) {
    struct Case {
        const char* modalFormMsg;
        QString helpFile;
        QString page;
    };
    const Case cases[] = {
        {"01004|CompanyHelp", "manual.htm", "manual.htm"},
        {"01004|CompanyHelp", QString(), "CompanyHelp.htm"},
    };
    QString helpAtMessage;
    frame_->onMessage = [&](const THostFrame::Message&) { helpAtMessage = HostSetup::HelpHtml(); };
    for (const Case& test : cases) {
        auto* container = new QWidget(frame_.get());
        container->show();
        TTestPage* page = Make<TTestPage>();
        ShowModuleForm(container->winId(), page, test.modalFormMsg, true, test.helpFile, QString(),
                       false);
        EXPECT_EQ(helpAtMessage, test.page);
        EXPECT_TRUE(frame_->Texts(HostMsg::kFormShown).last().endsWith("|1|0"));
    }
}

TEST_F(FormBases, FreeFormIsCentredOnTheMainWindowAndStaysOnTop) {
    TTestPage* page = Make<TTestPage>();
    page->resize(300, 200);
    ASSERT_TRUE(ShowModuleForm(0, page, "PAGE01", false, QString(), QString(), true));
    EXPECT_TRUE(page->isWindow());
    EXPECT_TRUE(page->isVisible());
    EXPECT_TRUE(page->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(page->frameGeometry().center(), frame_->frameGeometry().center());
    EXPECT_EQ(frame_->Count(HostMsg::kFormShown), 0);

    EXPECT_FALSE(ShowModuleForm(0, nullptr, QString(), false, QString(), QString(), false));
}

TEST_F(FormBases, FreeFormWithoutAMainWindowIsCentredOnTheScreen) {
    HostSetup::SetMainFrame(nullptr);
    frame_->setObjectName("SomeOtherFrame");
    TTestPage* page = Make<TTestPage>();
    page->resize(300, 200);
    ASSERT_TRUE(ShowModuleForm(0, page, QString(), false, QString(), QString(), true));
    // Its own frame is not known before it is shown: the corner is placed as
    // for a frame of the form's size.
    QRect frame(QPoint(0, 0), QSize(300, 200));
    frame.moveCenter(page->screen()->availableGeometry().center());
    EXPECT_EQ(page->frameGeometry().topLeft(), frame.topLeft());
}

TEST_F(FormBases, FreeFormNeverSizedTakesTheSizeItAsksFor) {
    // Designed windows come with a size; a plain widget has none of its own.
    auto* form = new QWidget;
    windows_.emplace_back(form);
    (new QVBoxLayout(form))->addWidget(new QLabel("单位名称"));
    ASSERT_TRUE(ShowModuleForm(0, form, QString(), false, QString(), QString(), true));
    EXPECT_EQ(form->size(), form->sizeHint());
}

TEST_F(FormBases, AContainerInsideTheFormItselfLeavesTheFormFree) {
    TTestPage* page = Make<TTestPage>();
    page->resize(300, 200);
    ASSERT_TRUE(ShowModuleForm(page->ClientArea()->winId(), page, "PAGE01", false, QString(),
                               QString(), true));
    EXPECT_TRUE(page->isWindow());
    EXPECT_TRUE(page->isVisible());
    EXPECT_EQ(frame_->Count(HostMsg::kFormShown), 0);
}

TEST_F(FormBases, FormMovedToAnotherContainerNoLongerFollowsTheFirst) {
    auto* first = new QWidget(frame_.get());
    first->setGeometry(0, 0, 400, 300);
    auto* second = new QWidget(frame_.get());
    second->setGeometry(0, 0, 200, 100);
    TTestPage* page = Make<TTestPage>();
    ASSERT_TRUE(ShowModuleForm(first->winId(), page, QString(), false, QString(), QString(), true));
    page->setParent(second);
    page->setGeometry(10, 10, 50, 40);
    first->resize(500, 350);
    EXPECT_EQ(page->geometry(), QRect(10, 10, 50, 40));
}

TEST_F(FormBases, NoFormIsShownFromAnotherThread) {
    TTestPage* page = Make<TTestPage>();
    bool shown = true;
    std::thread([&] {
        shown = ShowModuleForm(0, page, QString(), false, QString(), QString(), true);
    }).join();
    EXPECT_FALSE(shown);
    EXPECT_TRUE(page->isHidden());
}

TEST_F(FormBases, DialogEndsWithOkOrCancel) {
    TTestDialog* dialog = Make<TTestDialog>();
    const QHBoxLayout* row = dialog->ButtonRow();
    EXPECT_EQ(row->indexOf(dialog->confirm) + 1, row->indexOf(dialog->sBtnClose()));
    EXPECT_EQ(dialog->ClientArea()->layout()->indexOf(dialog->confirm), -1);

    QObject::connect(dialog->confirm, &QPushButton::clicked, dialog, &QDialog::accept);
    int rejections = 0;
    QObject::connect(dialog, &QDialog::rejected, [&] { ++rejections; });
    const auto runClicking = [dialog](QAbstractButton* button) {
        QTimer::singleShot(0, button, &QAbstractButton::click);
        return dialog->exec();
    };
    EXPECT_EQ(runClicking(dialog->confirm), Tfrm_CustomDlg::mrOk);
    EXPECT_EQ(runClicking(dialog->sBtnClose()), Tfrm_CustomDlg::mrCancel);
    EXPECT_EQ(rejections, 1);

    // Other keys work as in any dialog: Enter presses the default button.
    dialog->confirm->setDefault(true);
    QTimer::singleShot(0, dialog, [dialog] { QTest::keyClick(dialog, Qt::Key_Return); });
    EXPECT_EQ(dialog->exec(), Tfrm_CustomDlg::mrOk);

    // Escape cancels, as the close box does.
    QTimer::singleShot(0, dialog, [dialog] {
        QTest::keyClick(dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog->isVisible());
        dialog->close();
    });
    EXPECT_EQ(dialog->exec(), Tfrm_CustomDlg::mrCancel);
}

class EditIme : public FormBases {
  protected:
    void SetUp() override {
        FormBases::SetUp();
        ModuleLib::GetUserInfoVO()->SetStrValue("CZY_DM", "op01");
    }
};

TEST_F(EditIme, EnteringAnEditSwitchesItsInputMethod) {
    WriteFile("Config/Users/op01.ini", "[RunParameter]\nSysIME=中文 - 拼音输入\n");
    TTestPage* page = Make<TTestPage>();
    auto* closed = new TXPFamerEdit(page->ClientArea());
    closed->setImeMode(TXPFamerEdit::imClose);
    auto* own = new TXPFamerEdit(page->ClientArea());
    own->setImeMode(TXPFamerEdit::imChinese);
    int ownEnters = 0;
    own->setEnterHandler([&](TXPFamerEdit*) { ++ownEnters; });
    page->ClientArea()->layout()->addWidget(closed);
    page->ClientArea()->layout()->addWidget(own);
    page->edit->setImeMode(TXPFamerEdit::imChinese);
    page->HookEditIme();
    Activate(page);
    // The page opens in its first field: leave it, so as to enter it.
    page->toolButton->setFocus(Qt::TabFocusReason);

    page->edit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(page->edit->imeMode(), TXPFamerEdit::imOpen);
    EXPECT_EQ(page->edit->imeName(), "中文 - 拼音输入");
    EXPECT_FALSE(page->edit->inputMethodHints().testFlag(Qt::ImhLatinOnly));

    closed->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(closed->imeMode(), TXPFamerEdit::imClose);
    EXPECT_EQ(closed->imeName(), "英语");
    EXPECT_TRUE(closed->inputMethodHints().testFlag(Qt::ImhLatinOnly));

    own->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(ownEnters, 1);
    EXPECT_EQ(own->imeMode(), TXPFamerEdit::imChinese);
    EXPECT_TRUE(own->imeName().isEmpty());
}

TEST_F(EditIme, DialogsSwitchToo) {
    TTestDialog* dialog = Make<TTestDialog>();
    dialog->edit->setImeMode(TXPFamerEdit::imOpen);
    QFocusEvent tabIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(dialog->edit, &tabIn);
    // No operator setting: the host's default stands.
    EXPECT_EQ(dialog->edit->imeName(), "-请选择-");

    // An edit added later is hooked when the host re-applies the skin.
    auto* later = new TXPFamerEdit(dialog->ClientArea());
    EXPECT_FALSE(later->hasEnterHandler());
    SendHostMessage(dialog, HostMsg::kApplySkin);
    EXPECT_TRUE(later->hasEnterHandler());
}

// A field the operator cannot change is drawn on the window's colour, and
// follows its read-only state as it changes later.
TEST(ReadOnlyFields, AreDrawnOnTheWindowsColour) {
    QWidget window;
    auto* locked = new QLineEdit(&window);
    auto* open = new QLineEdit(&window);
    locked->setReadOnly(true);
    FormBase::ShowReadOnlyFieldsAsSuch(&window);
    const auto onWindowColour = [](const QLineEdit* edit) {
        return edit->palette().color(QPalette::Base) == edit->palette().color(QPalette::Window);
    };
    EXPECT_TRUE(onWindowColour(locked));
    EXPECT_FALSE(onWindowColour(open));
    locked->setReadOnly(false);
    open->setReadOnly(true);
    EXPECT_FALSE(onWindowColour(locked));
    EXPECT_TRUE(onWindowColour(open));
}

TEST(ModuleGui, AvailableOnlyOnTheApplicationsThread) {
    EXPECT_TRUE(ModuleGuiAvailable());
    bool elsewhere = true;
    std::thread([&] { elsewhere = ModuleGuiAvailable(); }).join();
    EXPECT_FALSE(elsewhere);
}

TEST(XPFamerEdit, ModesSetThePlatformInputHints) {
    TXPFamerEdit edit;
    edit.setInputMethodHints(Qt::ImhDigitsOnly);
    edit.setImeMode(TXPFamerEdit::imClose);
    EXPECT_TRUE(edit.inputMethodHints().testFlag(Qt::ImhLatinOnly));
    EXPECT_TRUE(edit.inputMethodHints().testFlag(Qt::ImhDigitsOnly));
    edit.setImeMode(TXPFamerEdit::imOpen);
    EXPECT_EQ(edit.inputMethodHints(), Qt::ImhDigitsOnly);

    edit.setImeMode(TXPFamerEdit::imDisable);
    EXPECT_FALSE(edit.testAttribute(Qt::WA_InputMethodEnabled));
    edit.setImeMode(TXPFamerEdit::imOpen);
    EXPECT_TRUE(edit.testAttribute(Qt::WA_InputMethodEnabled));
}

TEST(XPFamerEdit, EnterHandlerRunsWhenTheFocusMovesInNotWhenTheWindowReturns) {
    TXPFamerEdit edit;
    int enters = 0;
    edit.setEnterHandler([&](TXPFamerEdit* entered) {
        EXPECT_EQ(entered, &edit);
        ++enters;
    });
    for (const Qt::FocusReason reason : {Qt::TabFocusReason, Qt::ActiveWindowFocusReason,
                                         Qt::PopupFocusReason, Qt::MouseFocusReason}) {
        QFocusEvent focusIn(QEvent::FocusIn, reason);
        QApplication::sendEvent(&edit, &focusIn);
    }
    EXPECT_EQ(enters, 2);

    TXPFamerEdit plain;
    plain.setImeMode(TXPFamerEdit::imClose);
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&plain, &focusIn);
    EXPECT_EQ(plain.imeMode(), TXPFamerEdit::imClose);
}

}  // namespace

#include "form_bases_test.moc"
