#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPointer>

#include <set>
#include <utility>

#include "TestHost.h"
#include "VeskPanelBox.h"
#include "f_Status.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;

const QColor kWindowColor(0xF3, 0xF9, 0xFE);

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

void AddColumn(Pixels& pixels, int x, int fromY, int toY) {
    for (int y = fromY; y <= toY; ++y) {
        pixels.emplace(x, y);
    }
}

void AddRow(Pixels& pixels, int y, int fromX, int toX) {
    for (int x = fromX; x <= toX; ++x) {
        pixels.emplace(x, y);
    }
}

QImage WhiteImage() {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Left 2, top 1, right 22, bottom 17 (the last two exclusive).
const QRect kBox(2, 1, 20, 16);

// On white under black a ring's pixels read 255 minus the ring's alpha.
QColor Grey(int level) {
    return QColor(level, level, level);
}

TEST(DropShadow, RingsFadeFrom128In128Div6Steps) {
    QImage image = WhiteImage();
    DrawDropShadow(image, kBox, 6, Qt::black);
    const int alphas[] = {128, 107, 86, 65, 44, 23};
    for (int ring = 1; ring <= 6; ++ring) {
        // Every ring has a pixel on row 13 of its right-hand column.
        EXPECT_EQ(image.pixelColor(21 + ring, 13), Grey(255 - alphas[ring - 1])) << ring;
    }
}

TEST(DropShadow, WalksExactlyTheRingsAlongRightAndBottom) {
    const QImage before = WhiteImage();
    QImage image = before;
    DrawDropShadow(image, kBox, 6, Qt::black);

    Pixels ring1{{13, 16}, {14, 16}, {21, 16}, {21, 12}, {21, 13}};
    AddRow(ring1, 17, 14, 21);
    AddColumn(ring1, 22, 13, 16);
    EXPECT_EQ(PixelsOf(image, Grey(255 - 128)), ring1);

    Pixels ring6{{9, 21}, {26, 21}, {26, 8}};
    AddColumn(ring6, 8, 16, 21);
    AddRow(ring6, 22, 9, 26);
    AddRow(ring6, 7, 21, 26);
    AddColumn(ring6, 27, 8, 21);
    EXPECT_EQ(PixelsOf(image, Grey(255 - 23)), ring6);

    // Ring i has 11 + 6 i pixels; nothing else changes.
    int changed = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            changed += image.pixel(x, y) != before.pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(changed, 17 + 23 + 29 + 35 + 41 + 47);
    EXPECT_EQ(image.pixelColor(kBox.topLeft()), Qt::white);
    EXPECT_EQ(image.pixelColor(7, 16), Qt::white);
    EXPECT_EQ(image.pixelColor(20, 10), Qt::white);
    EXPECT_EQ(image.pixelColor(21, 6), Qt::white);
}

TEST(DropShadow, BlendsEachChannelToTheNearestValue) {
    // Under alpha 128: 254 gives 126.502, 255 over 1 gives 128.498.
    QImage image(40, 30, QImage::Format_ARGB32);
    image.fill(QColor(254, 1, 128, 200));
    DrawDropShadow(image, kBox, 6, QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(22, 13), QColor(127, 128, 64, 200));
}

TEST(DropShadow, ZeroDepthDrawsNothing) {
    const QImage before = WhiteImage();
    for (int depth : {0, -3}) {
        QImage image = before;
        DrawDropShadow(image, kBox, depth, Qt::black);
        EXPECT_EQ(image, before) << depth;
    }
}

TEST(DropShadow, KeepsToTheImage) {
    // The whole ring walk lies outside but for the last row and column.
    QImage image(20, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    DrawDropShadow(image, QRect(0, 0, 20, 16), 6, Qt::black);
    EXPECT_EQ(image.pixelColor(19, 15), Grey(255 - 128));
    EXPECT_EQ(image.pixelColor(18, 14), Qt::white);
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

TEST_F(StatusWindowTest, HideWithoutWindowDoesNothing) {
    ASSERT_EQ(StatusWindow(), nullptr);
    HideStatus();
    EXPECT_EQ(StatusWindow(), nullptr);
}

TEST_F(StatusWindowTest, ShowTwiceReusesTheWindowHideDestroysIt) {
    ShowStatus("正在读取单位信息，请稍候 ...");
    const QPointer<Tfrm_Status> window = StatusWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Text(window), "正在读取单位信息，请稍候 ...");
    TVeskAnimator* animator = window->Animator();

    ShowStatus("第二行");
    EXPECT_EQ(StatusWindow(), window);
    EXPECT_EQ(Text(window), "第二行");
    EXPECT_EQ(window->Animator(), animator);

    HideStatus();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(StatusWindow(), nullptr);

    ShowStatus("再来");
    ASSERT_NE(StatusWindow(), nullptr);
    EXPECT_EQ(Text(StatusWindow()), "再来");
}

TEST_F(StatusWindowTest, IsASmallFramelessWindowOnTop) {
    ShowStatus("x");
    Tfrm_Status* window = StatusWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), "frm_Status");
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->size(), QSize(278, 73));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window->palette().color(QPalette::Window), kWindowColor);

    auto* panel = window->findChild<TVeskPanelBox*>("Panel1");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 275, 69));
    EXPECT_EQ(panel->BorderColor(), QColor(0xA1, 0xC9, 0xE0));
    EXPECT_TRUE(panel->HasBorder() && panel->HasTopBorder() && panel->HasBottomBorder() &&
                panel->HasLeftBorder() && panel->HasRightBorder());
    auto* label = window->findChild<QLabel*>("lblStatus");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->parentWidget(), panel);
    EXPECT_EQ(label->geometry(), QRect(12, 17, 251, 25));
    EXPECT_TRUE(label->wordWrap());
}

TEST_F(StatusWindowTest, StripMovesAtFiftyMillisecondsPerFrameOnceShown) {
    ShowStatus("x");
    Tfrm_Status* window = StatusWindow();
    ASSERT_NE(window, nullptr);
    TVeskAnimator* animator = window->Animator();
    ASSERT_NE(animator, nullptr);
    EXPECT_EQ(animator->parentWidget(), window->findChild<TVeskPanelBox*>("Panel1"));
    EXPECT_EQ(animator->geometry(), QRect(90, 48, 94, 7));
    EXPECT_TRUE(animator->isVisible());
    EXPECT_TRUE(animator->Transparent());
    EXPECT_TRUE(animator->Animate());
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
    QImage picture = window->grab().toImage();
    EXPECT_EQ(window->PaintCount(), 1);
    // Rings 1 and 3 along the right of the panel, under alphas 128 and 86.
    EXPECT_EQ(picture.pixelColor(275, 30), QColor(121, 124, 127));
    EXPECT_EQ(picture.pixelColor(277, 30), QColor(161, 165, 168));
    // The shadow starts 12 pixels in from the panel's corners.
    EXPECT_EQ(picture.pixelColor(277, 5), kWindowColor);
    EXPECT_EQ(picture.pixelColor(5, 71), kWindowColor);

    picture = window->grab().toImage();
    EXPECT_EQ(window->PaintCount(), 1);
    EXPECT_EQ(picture.pixelColor(275, 30), QColor(121, 124, 127));
}

}  // namespace
