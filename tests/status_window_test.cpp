#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QScreen>

#include <thread>
#include <utility>
#include <vector>

#include "TestHost.h"
#include "VeskPanelBox.h"
#include "f_Status.h"

namespace {

// Left 2, top 1, right 21, bottom 16.
const QRect kBox(2, 1, 20, 16);

// What a caller sees of a shadow: the pixels right of and below the box get
// darker, the more the nearer they are, and nothing else changes; the image
// becomes true colour and keeps each pixel's alpha.
TEST(DropShadow, DarkensRightAndBelowFadingOutwardsAndTouchesNothingElse) {
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_Indexed8}) {
        SCOPED_TRACE(format);
        QImage image(40, 30, format);
        if (format == QImage::Format_Indexed8) {
            image.setColorTable({qRgba(255, 255, 255, 255)});
            image.fill(0);
        } else {
            image.fill(QColor(255, 255, 255, format == QImage::Format_ARGB32 ? 200 : 255));
        }
        const QImage before = image.convertToFormat(QImage::Format_ARGB32);
        DrawDropShadow(image, kBox, 6, Qt::black);
        ASSERT_TRUE(image.format() == QImage::Format_ARGB32 || image.format() == format);
        int right = 0, below = 0;
        for (int ring = 6; ring >= 1; --ring) {
            const int rightLevel = qGray(image.pixel(kBox.right() + ring, 13));
            const int belowLevel = qGray(image.pixel(15, kBox.bottom() + ring));
            EXPECT_LT(rightLevel, 255) << ring;
            if (ring < 6) {
                EXPECT_LT(rightLevel, right) << ring;
                EXPECT_LT(belowLevel, below) << ring;
            }
            right = rightLevel;
            below = belowLevel;
        }
        for (const QPoint untouched :
             {QPoint(1, 13), QPoint(15, 0), QPoint(10, 8), QPoint(kBox.right() + 7, 13),
              QPoint(15, kBox.bottom() + 7)}) {
            EXPECT_EQ(image.pixel(untouched), before.pixel(untouched))
                << untouched.x() << "," << untouched.y();
        }
        EXPECT_EQ(qAlpha(image.pixel(kBox.right() + 1, 13)), qAlpha(before.pixel(0, 0)));
    }
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QImage before = image;
    for (const int depth : {0, -3}) {
        DrawDropShadow(image, kBox, depth, Qt::black);
        EXPECT_EQ(image, before) << depth;
    }
    QImage none;
    DrawDropShadow(none, kBox, 6, Qt::black);
    EXPECT_TRUE(none.isNull());
}

class StatusWindowTest : public HostTest {
  protected:
    void TearDown() override {
        HideStatus();
        HostTest::TearDown();
    }

    static QString Text(Tfrm_Status* window) {
        return window->findChild<QLabel*>("lblStatus")->text();
    }
};

TEST_F(StatusWindowTest, ShowMakesOneWindowHideDestroysIt) {
    HideStatus();
    ASSERT_EQ(StatusWindow(), nullptr);

    ShowStatus("正在读取单位信息，请稍候 ...");
    const QPointer<Tfrm_Status> window = StatusWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Text(window), "正在读取单位信息，请稍候 ...");
    const TVeskAnimator* animator = window->Animator();
    ShowStatus("第二行");
    EXPECT_EQ(StatusWindow(), window);
    EXPECT_EQ(window->Animator(), animator);
    EXPECT_EQ(Text(window), "第二行");

    HideStatus();
    EXPECT_EQ(StatusWindow(), nullptr);
    ASSERT_FALSE(window.isNull());
    EXPECT_FALSE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    ShowStatus("再来");
    ASSERT_NE(StatusWindow(), nullptr);
    EXPECT_EQ(Text(StatusWindow()), "再来");
}

// Showing the window runs pending events (SetAnimating); one of them may hide
// it while the window's own code is still below on the stack.
TEST_F(StatusWindowTest, HidingFromAnEventRunWhileShowingLeavesTheWindowUntilTheLoop) {
    QPointer<Tfrm_Status> hidden;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            hidden = StatusWindow();
            HideStatus();
        },
        Qt::QueuedConnection);
    ShowStatus("x");
    EXPECT_EQ(StatusWindow(), nullptr);
    ASSERT_FALSE(hidden.isNull());
    EXPECT_FALSE(hidden->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(hidden.isNull());
}

// Where the operator looks: in the middle of the screen, above the other
// windows, the text and a moving strip inside its panel.
TEST_F(StatusWindowTest, IsAFramelessWindowOnTopCentredWithAMovingStripInItsPanel) {
    ShowStatus("x");
    Tfrm_Status* window = StatusWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QPoint offCentre = window->geometry().center() - screen->availableGeometry().center();
        EXPECT_LE(offCentre.manhattanLength(), 2);
    }
    const auto* panel = window->findChild<TVeskPanelBox*>("Panel1");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(window->rect().contains(panel->geometry()));
    const auto inWindow = [window](const QWidget* child) {
        return QRect(child->mapTo(window, QPoint()), child->size());
    };
    const QRect label = inWindow(window->findChild<QLabel*>("lblStatus"));
    EXPECT_TRUE(panel->geometry().contains(label));

    const TVeskAnimator* animator = window->Animator();
    ASSERT_NE(animator, nullptr);
    EXPECT_EQ(animator->parentWidget(), panel);
    EXPECT_TRUE(panel->geometry().contains(inWindow(animator)));
    EXPECT_FALSE(inWindow(animator).intersects(label));
    EXPECT_TRUE(animator->isVisible());
    EXPECT_TRUE(animator->TimerActive());

    const TVeskImageList* frames = animator->ImageList();
    ASSERT_NE(frames, nullptr);
    ASSERT_GT(frames->Count(), 2);
    for (int k = 1; k < frames->Count(); ++k) {
        EXPECT_NE(frames->Frame(k).toImage(), frames->Frame(k - 1).toImage()) << k;
    }
}

TEST_F(StatusWindowTest, StripStopsAndHidesAndComesBackWithTheNextShow) {
    ShowStatus("x");
    Tfrm_Status* window = StatusWindow();
    ASSERT_NE(window, nullptr);
    const TVeskAnimator* animator = window->Animator();
    ASSERT_NE(animator, nullptr);
    window->SetAnimating(false);
    EXPECT_EQ(window->Animator(), animator);
    EXPECT_FALSE(animator->isVisible());
    EXPECT_FALSE(animator->TimerActive());

    window->hide();
    window->show();
    EXPECT_EQ(window->Animator(), animator);
    EXPECT_TRUE(animator->isVisible());
    EXPECT_TRUE(animator->TimerActive());
    EXPECT_EQ(animator->geometry(), QRect(90, 48, 94, 7));
}

// Records whether each show a widget gets came from the window system.
class TShowRecorder : public QObject {
  public:
    std::vector<bool> spontaneous;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            spontaneous.push_back(event->spontaneous());
        }
        return false;
    }
};

TEST_F(StatusWindowTest, RestoringTheMinimisedWindowLeavesTheStripAsItWas) {
    ShowStatus("x");
    Tfrm_Status* window = StatusWindow();
    ASSERT_NE(window, nullptr);
    window->SetAnimating(false);
    TShowRecorder shows;
    window->installEventFilter(&shows);
    window->setWindowState(Qt::WindowMinimized);
    window->setWindowState(Qt::WindowNoState);
    ASSERT_EQ(shows.spontaneous, std::vector<bool>{true});
    EXPECT_FALSE(window->Animator()->isVisible());
    EXPECT_FALSE(window->Animator()->TimerActive());
}

// Starting the strip runs pending events; one of them may delete the window,
// which must not be touched after.
TEST_F(StatusWindowTest, AWindowDeletedWhileItsStripStartsIsLeftAlone) {
    struct Case {
        const char* name;
        bool stripPlaced;  // when the window goes
    };
    for (const Case& c :
         {Case{"while the strip appears", false}, Case{"once it is placed", true}}) {
        SCOPED_TRACE(c.name);
        QPointer<Tfrm_Status> window = new Tfrm_Status;
        bool placedAtDelete = false;
        const auto deleteWindow = [&] {
            ASSERT_FALSE(window.isNull());
            placedAtDelete = window->Animator()->geometry() == QRect(90, 48, 94, 7);
            delete window.data();
        };
        QMetaObject::invokeMethod(
            qApp,
            [&] {
                if (c.stripPlaced) {
                    QMetaObject::invokeMethod(qApp, deleteWindow, Qt::QueuedConnection);
                } else {
                    deleteWindow();
                }
            },
            Qt::QueuedConnection);
        window->SetAnimating(true);
        EXPECT_TRUE(window.isNull());
        EXPECT_EQ(placedAtDelete, c.stripPlaced);
    }
}

TEST_F(StatusWindowTest, OtherThreadsCannotShowIt) {
    std::thread([] { ShowStatus("x"); }).join();
    EXPECT_EQ(StatusWindow(), nullptr);
}

}  // namespace
