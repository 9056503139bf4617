#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QWidget>

#include <memory>
#include <utility>
#include <vector>

#include "VeskPanelBox.h"

namespace {

const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kGreen(0, 160, 0);

int CountPixels(const QImage& image, const QColor& color) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) == color ? 1 : 0;
        }
    }
    return count;
}

void SetBackground(QWidget& widget, const QColor& color) {
    QPalette colors = widget.palette();
    colors.setColor(QPalette::Window, color);
    widget.setPalette(colors);
}

class VeskPanelBoxTest : public ::testing::Test {
  protected:
    VeskPanelBoxTest() {
        panel_.resize(20, 10);
        SetBackground(panel_, kWhite);
        // The way a form sets it.
        panel_.setProperty("BorderColor", kRed);
    }

    QImage Picture() { return panel_.grab().toImage(); }

    TVeskPanelBox panel_;
};

TEST_F(VeskPanelBoxTest, DrawsAllFourEdgesInBorderColor) {
    EXPECT_EQ(TVeskPanelBox().BorderColor(), QColor(0x8E, 0x8E, 0x8E));
    const QImage picture = Picture();
    for (int x = 0; x < 20; ++x) {
        EXPECT_EQ(picture.pixelColor(x, 0), kRed) << x;
        EXPECT_EQ(picture.pixelColor(x, 9), kRed) << x;
    }
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(picture.pixelColor(0, y), kRed) << y;
        EXPECT_EQ(picture.pixelColor(19, y), kRed) << y;
    }
    EXPECT_EQ(CountPixels(picture, kWhite), 18 * 8);
    EXPECT_EQ(panel_.contentsRect(), QRect(1, 1, 18, 8));
}

TEST_F(VeskPanelBoxTest, WithoutBorderDrawsNoLineAndKeepsTheFullClientArea) {
    panel_.SetHasBorder(false);
    EXPECT_EQ(CountPixels(Picture(), kRed), 0);
    EXPECT_EQ(panel_.contentsRect(), QRect(0, 0, 20, 10));

    panel_.SetHasBorder(true);
    EXPECT_EQ(CountPixels(Picture(), kRed), 2 * 20 + 2 * 8);
}

TEST_F(VeskPanelBoxTest, EachSideWithoutLineGivesItsPixelBack) {
    struct Case {
        void (TVeskPanelBox::*turnOff)(bool);
        QPoint middleOfEdge;
        QRect client;
        int linePixels;
    };
    // Lines run from corner to corner, so the left and right ones keep the
    // corners of a missing top or bottom line.
    const Case cases[] = {
        {&TVeskPanelBox::SetHasTopBorder, {10, 0}, {1, 0, 18, 9}, 10 + 10 + 18},
        {&TVeskPanelBox::SetHasBottomBorder, {10, 9}, {1, 1, 18, 9}, 10 + 10 + 18},
        {&TVeskPanelBox::SetHasLeftBorder, {0, 5}, {0, 1, 19, 8}, 20 + 20 + 8},
        {&TVeskPanelBox::SetHasRightBorder, {19, 5}, {1, 1, 19, 8}, 20 + 20 + 8},
    };
    for (const Case& c : cases) {
        TVeskPanelBox panel;
        panel.resize(20, 10);
        SetBackground(panel, kWhite);
        panel.SetBorderColor(kRed);
        (panel.*c.turnOff)(false);
        const QImage picture = panel.grab().toImage();
        SCOPED_TRACE(testing::Message()
                     << "edge at " << c.middleOfEdge.x() << "," << c.middleOfEdge.y());
        EXPECT_EQ(panel.contentsRect(), c.client);
        EXPECT_EQ(picture.pixelColor(c.middleOfEdge), kWhite);
        EXPECT_EQ(CountPixels(picture, kRed), c.linePixels);
    }
}

// Frames 10 x 4, frame k filled with a colour of its own except for a
// see-through pixel at (0, 0).
std::unique_ptr<TVeskImageList> MakeList(int frames) {
    auto list = std::make_unique<TVeskImageList>(QSize(10, 4));
    for (int k = 0; k < frames; ++k) {
        QImage image(10, 4, QImage::Format_ARGB32);
        image.fill(QColor(0, 0, 40 * (k + 1)));
        image.setPixelColor(0, 0, Qt::transparent);
        list->Add(QPixmap::fromImage(image));
    }
    return list;
}

QColor FrameColor(int frame) {
    return QColor(0, 0, 40 * (frame + 1));
}

class VeskAnimatorTest : public ::testing::Test {
  protected:
    VeskAnimatorTest() : list_(MakeList(5)) {
        // Ticks come from the test, not from the clock.
        animator_.SetAnimate(false);
        animator_.SetImageList(list_.get());
    }

    QImage Picture() { return animator_.grab().toImage(); }

    std::unique_ptr<TVeskImageList> list_;
    TVeskAnimator animator_;
};

TEST_F(VeskAnimatorTest, PlaysFramesInOrderAndWaitsLongerAfterTheLast) {
    animator_.SetDelay(50);
    animator_.SetDelayUntilRepeat(100);
    QSignalSpy frames(&animator_, &TVeskAnimator::FrameChange);

    std::vector<std::pair<int, int>> shown;  // frame drawn, interval until the next tick
    for (int tick = 0; tick < 11; ++tick) {
        animator_.Tick();
        ASSERT_EQ(frames.count(), 1) << tick;
        shown.emplace_back(frames.takeFirst().at(0).toInt(), animator_.TimerInterval());
    }
    const std::vector<std::pair<int, int>> expected{
        {0, 50}, {1, 50}, {2, 50}, {3, 50},  {4, 100}, {0, 50},
        {1, 50}, {2, 50}, {3, 50}, {4, 100}, {0, 50},
    };
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(animator_.ImageIndex(), 1);
}

TEST_F(VeskAnimatorTest, ReportsEachNewFrameOnceHoweverOftenItIsPainted) {
    QSignalSpy frames(&animator_, &TVeskAnimator::FrameChange);
    Picture();
    Picture();
    ASSERT_EQ(frames.count(), 1);
    EXPECT_EQ(frames.at(0).at(0).toInt(), 0);

    animator_.SetImageIndex(2);
    EXPECT_EQ(Picture().pixelColor(5, 2), FrameColor(2));
    Picture();
    ASSERT_EQ(frames.count(), 2);
    EXPECT_EQ(frames.at(1).at(0).toInt(), 2);

    // Frame 2 is already on screen, so only the step to frame 3 is news.
    animator_.Tick();
    EXPECT_EQ(frames.count(), 2);
    animator_.Tick();
    ASSERT_EQ(frames.count(), 3);
    EXPECT_EQ(frames.at(2).at(0).toInt(), 3);
}

TEST_F(VeskAnimatorTest, DrawsOverItsColourOrLetsTheParentShowThrough) {
    animator_.SetColor(kRed);
    QImage picture = Picture();
    EXPECT_EQ(picture.pixelColor(0, 0), kRed);
    EXPECT_EQ(picture.pixelColor(9, 3), FrameColor(0));

    QWidget parent;
    parent.resize(30, 20);
    parent.setAutoFillBackground(true);
    SetBackground(parent, kGreen);
    auto* child = new TVeskAnimator(&parent);
    child->SetAnimate(false);
    child->SetImageList(list_.get());
    child->SetColor(kRed);
    child->move(5, 5);
    child->SetTransparent(true);
    picture = parent.grab().toImage();
    EXPECT_EQ(picture.pixelColor(5, 5), kGreen);
    EXPECT_EQ(picture.pixelColor(6, 5), FrameColor(0));
    EXPECT_EQ(CountPixels(picture, kRed), 0);
}

TEST_F(VeskAnimatorTest, AlwaysHasTheSizeOfOneFrame) {
    EXPECT_EQ(TVeskAnimator().size(), QSize(40, 40));
    EXPECT_EQ(animator_.size(), QSize(10, 4));
    animator_.resize(30, 30);
    EXPECT_EQ(animator_.size(), QSize(10, 4));

    animator_.SetImageList(nullptr);
    animator_.resize(30, 30);
    EXPECT_EQ(animator_.size(), QSize(30, 30));
}

TEST_F(VeskAnimatorTest, ForgetsADestroyedListAndDrawsNothing) {
    animator_.SetColor(kRed);
    EXPECT_GT(CountPixels(Picture(), FrameColor(0)), 0);
    animator_.SetImageIndex(3);

    list_.reset();
    EXPECT_EQ(animator_.ImageList(), nullptr);
    QSignalSpy frames(&animator_, &TVeskAnimator::FrameChange);
    const QImage picture = Picture();
    EXPECT_EQ(CountPixels(picture, kRed), 0);
    EXPECT_EQ(CountPixels(picture, FrameColor(3)), 0);
    animator_.Tick();
    EXPECT_EQ(animator_.ImageIndex(), 3);
    EXPECT_EQ(frames.count(), 0);
}

TEST(VeskAnimator, WithoutListIgnoresTicks) {
    TVeskAnimator animator;
    animator.SetAnimate(false);
    animator.SetImageIndex(2);
    QSignalSpy frames(&animator, &TVeskAnimator::FrameChange);
    animator.SetDelay(30);
    animator.Tick();
    EXPECT_EQ(animator.ImageIndex(), 2);
    EXPECT_EQ(animator.TimerInterval(), 30);
    EXPECT_EQ(frames.count(), 0);
}

TEST(VeskAnimator, AnimateRunsTheTimerAtDelay) {
    TVeskAnimator animator;
    EXPECT_TRUE(animator.Animate());
    EXPECT_TRUE(animator.TimerActive());
    EXPECT_EQ(animator.TimerInterval(), 100);
    EXPECT_EQ(animator.DelayUntilRepeat(), 100);

    animator.setProperty("Animate", false);
    EXPECT_FALSE(animator.TimerActive());
    animator.setProperty("Delay", 20);
    EXPECT_EQ(animator.TimerInterval(), 20);
    EXPECT_FALSE(animator.TimerActive());
    // A zero delay still leaves the event loop room to breathe.
    animator.SetDelay(0);
    EXPECT_GT(animator.TimerInterval(), 0);
    animator.SetAnimate(true);
    EXPECT_TRUE(animator.TimerActive());
}

TEST(VeskAnimator, TheRunningTimerStepsThroughTheFrames) {
    auto list = MakeList(3);
    TVeskAnimator animator;
    animator.SetImageList(list.get());
    animator.SetDelay(10);
    QSignalSpy frames(&animator, &TVeskAnimator::FrameChange);
    while (frames.count() < 2) {
        ASSERT_TRUE(frames.wait(5000));
    }
    EXPECT_EQ(frames.at(0).at(0).toInt(), 0);
    EXPECT_EQ(frames.at(1).at(0).toInt(), 1);
}

TEST(VeskImageList, HoldsFramesOfItsOwnSizeOnly) {
    TVeskImageList list(QSize(4, 3));
    QSignalSpy changes(&list, &TVeskImageList::Changed);
    QPixmap frame(4, 3);
    frame.fill(kRed);
    EXPECT_EQ(list.Add(frame), 0);
    EXPECT_EQ(list.Add(frame), 1);
    EXPECT_EQ(list.Add(QPixmap(3, 4)), -1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_TRUE(list.Frame(2).isNull());
    EXPECT_EQ(list.Frame(1).toImage().pixelColor(3, 2), kRed);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(changes.count(), 3);
}

}  // namespace
