#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QPointer>

#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "TestHost.h"
#include "VeskPanelBox.h"
#include "f_Status.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;

const QColor kWindowColor(0xF3, 0xF9, 0xFE);
// Left 2, top 1, right 22, bottom 17 (the last two exclusive).
const QRect kBox(2, 1, 20, 16);

Pixels PixelsOf(const QImage& image, const QColor& color) {
    Pixels found;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == color) {
                found.emplace(x, y);
            }
        }
    }
    return found;
}

void AddLine(Pixels& pixels, QPoint from, QPoint to) {
    for (int y = from.y(); y <= to.y(); ++y) {
        for (int x = from.x(); x <= to.x(); ++x) {
            pixels.emplace(x, y);
        }
    }
}

// Under a black shadow a white pixel keeps 255 minus the ring's alpha.
QColor Grey(int level) {
    return QColor(level, level, level);
}

TEST(DropShadow, BlendsSixFadingRingsAlongRightAndBottomOnly) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    DrawDropShadow(image, kBox, 6, Qt::black);

    const int alphas[] = {128, 107, 86, 65, 44, 23};
    for (int ring = 1; ring <= 6; ++ring) {
        EXPECT_EQ(image.pixelColor(21 + ring, 13), Grey(255 - alphas[ring - 1])) << ring;
    }
    Pixels ring1{{13, 16}, {14, 16}, {21, 16}, {21, 12}, {21, 13}};
    AddLine(ring1, {14, 17}, {21, 17});
    AddLine(ring1, {22, 13}, {22, 16});
    EXPECT_EQ(PixelsOf(image, Grey(255 - 128)), ring1);
    Pixels ring6{{9, 21}, {26, 21}, {26, 8}};
    AddLine(ring6, {8, 16}, {8, 21});
    AddLine(ring6, {9, 22}, {26, 22});
    AddLine(ring6, {21, 7}, {26, 7});
    AddLine(ring6, {27, 8}, {27, 21});
    EXPECT_EQ(PixelsOf(image, Grey(255 - 23)), ring6);
    // Ring i has 11 + 6 i pixels; nothing else changes.
    EXPECT_EQ(PixelsOf(image, Qt::white).size(), 40u * 30 - (17 + 23 + 29 + 35 + 41 + 47));
}

TEST(DropShadow, RoundsEachChannelToTheNearestAndKeepsAlpha) {
    // Under alpha 128: 254 gives 126.502, 255 over 1 gives 128.498.
    QImage image(40, 30, QImage::Format_ARGB32);
    image.fill(QColor(254, 1, 128, 200));
    DrawDropShadow(image, kBox, 6, QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(22, 13), QColor(127, 128, 64, 200));

    const QImage before = image;
    for (const int depth : {0, -3}) {
        DrawDropShadow(image, kBox, depth, Qt::black);
        EXPECT_EQ(image, before) << depth;
    }
    QImage none;
    DrawDropShadow(none, kBox, 6, Qt::black);
    EXPECT_TRUE(none.isNull());
}

TEST(DropShadow, TurnsAPaletteImageIntoTrueColourFirst) {
    QImage image(40, 30, QImage::Format_Indexed8);
    image.setColorTable({qRgb(255, 255, 255)});
    image.fill(0);
    DrawDropShadow(image, kBox, 6, Qt::black);
    EXPECT_EQ(image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(image.pixelColor(22, 13), Grey(255 - 128));
    EXPECT_EQ(image.pixelColor(5, 5), Grey(255));
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

TEST_F(StatusWindowTest, IsASmallFramelessWindowOnTopWithAMovingStrip) {
    ShowStatus("x");
    Tfrm_Status* window = StatusWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->size(), QSize(278, 73));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window->palette().color(QPalette::Window), kWindowColor);
    const auto* panel = window->findChild<TVeskPanelBox*>("Panel1");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 275, 69));
    EXPECT_EQ(panel->BorderColor(), QColor(0xA1, 0xC9, 0xE0));
    EXPECT_EQ(panel->contentsRect(), QRect(1, 1, 273, 67));
    EXPECT_EQ(window->findChild<QLabel*>("lblStatus")->geometry(), QRect(12, 17, 251, 25));

    // The strip moves from the first show on, at 50 ms per frame.
    const TVeskAnimator* animator = window->Animator();
    ASSERT_NE(animator, nullptr);
    EXPECT_EQ(animator->parentWidget(), panel);
    EXPECT_EQ(animator->geometry(), QRect(90, 48, 94, 7));
    EXPECT_TRUE(animator->isVisible());
    EXPECT_TRUE(animator->Transparent());
    EXPECT_TRUE(animator->TimerActive());
    EXPECT_EQ(animator->TimerInterval(), 50);

    const TVeskImageList* frames = animator->ImageList();
    ASSERT_NE(frames, nullptr);
    ASSERT_GT(frames->Count(), 2);
    EXPECT_EQ(frames->FrameSize(), QSize(94, 7));
    for (int k = 1; k < frames->Count(); ++k) {
        EXPECT_NE(frames->Frame(k).toImage(), frames->Frame(k - 1).toImage()) << k;
    }
}

TEST_F(StatusWindowTest, ShadowIsDrawnOnceAndStays) {
    ShowStatus("x");
    Tfrm_Status* window = StatusWindow();
    ASSERT_NE(window, nullptr);
    for (int paint = 0; paint < 2; ++paint) {
        const QImage picture = window->grab().toImage();
        EXPECT_EQ(window->PaintCount(), 1);
        // Rings 1 and 3 right of the panel, alphas 128 and 86 over the window colour.
        EXPECT_EQ(picture.pixelColor(275, 30), QColor(121, 124, 127));
        EXPECT_EQ(picture.pixelColor(277, 30), QColor(161, 165, 168));
        // The shadow starts 12 pixels in from the panel's corners.
        EXPECT_EQ(picture.pixelColor(277, 5), kWindowColor);
        EXPECT_EQ(picture.pixelColor(5, 71), kWindowColor);
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
