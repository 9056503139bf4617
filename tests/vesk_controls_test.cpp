#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QWidget>

#include <QTest>

#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "TestHost.h"
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

TEST(VeskPanelBox, DrawsTheChosenEdgesAroundTheClientArea) {
    EXPECT_EQ(TVeskPanelBox().BorderColor(), QColor(0x8E, 0x8E, 0x8E));
    // Property switched off, client area left. The side lines run from corner
    // to corner, so without a top line the client area reaches the top edge.
    const std::pair<const char*, QRect> cases[] = {
        {nullptr, {1, 1, 18, 8}},           {"HasTopBorder", {1, 0, 18, 9}},
        {"HasBottomBorder", {1, 1, 18, 9}}, {"HasLeftBorder", {0, 1, 19, 8}},
        {"HasRightBorder", {1, 1, 19, 8}},  {"HasBorder", {0, 0, 20, 10}},
    };
    for (const auto& [property, client] : cases) {
        SCOPED_TRACE(property == nullptr ? "all lines" : property);
        TVeskPanelBox panel;
        panel.resize(20, 10);
        SetBackground(panel, kWhite);
        panel.setProperty("BorderColor", kRed);
        if (property != nullptr) {
            panel.setProperty(property, false);
        }
        const QImage picture = panel.grab().toImage();
        EXPECT_EQ(panel.contentsRect(), client);
        // Lines fill exactly the pixels around the client area.
        const int area = client.width() * client.height();
        EXPECT_EQ(CountPixels(picture.copy(client), kWhite), area);
        EXPECT_EQ(CountPixels(picture, kRed), 20 * 10 - area);
    }
}

// Frames 10 x 4, frame k in a colour of its own but for a see-through (0, 0).
std::unique_ptr<TVeskImageList> MakeList(int frames) {
    auto list = std::make_unique<TVeskImageList>(QSize(10, 4));
    for (int k = 0; k < frames; ++k) {
        QImage image(10, 4, QImage::Format_ARGB32);
        image.fill(QColor(0, 0, 40 * (k + 1)));
        image.setPixelColor(0, 0, Qt::transparent);
        EXPECT_EQ(list->Add(QPixmap::fromImage(image)), k);
    }
    EXPECT_EQ(list->Add(QPixmap(4, 10)), -1);
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
}

TEST_F(VeskAnimatorTest, ReportsEachNewFrameOnceHoweverOftenItIsPainted) {
    QSignalSpy frames(&animator_, &TVeskAnimator::FrameChange);
    Picture();
    Picture();
    animator_.SetImageIndex(2);
    EXPECT_EQ(Picture().pixelColor(5, 2), FrameColor(2));
    Picture();
    // Frame 2 is on screen already, so of the next two ticks only the second is news.
    animator_.Tick();
    animator_.Tick();
    ASSERT_EQ(frames.count(), 3);
    EXPECT_EQ(frames.at(0).at(0).toInt(), 0);
    EXPECT_EQ(frames.at(1).at(0).toInt(), 2);
    EXPECT_EQ(frames.at(2).at(0).toInt(), 3);
}

TEST_F(VeskAnimatorTest, DrawsOverItsColourOrLetsTheParentShowThrough) {
    animator_.SetColor(kRed);
    const QImage opaque = Picture();
    EXPECT_EQ(opaque.pixelColor(0, 0), kRed);
    EXPECT_EQ(opaque.pixelColor(9, 3), FrameColor(0));

    QWidget parent;
    parent.resize(30, 20);
    parent.setAutoFillBackground(true);
    SetBackground(parent, kGreen);
    auto* child = new TVeskAnimator(&parent);
    child->SetAnimate(false);
    child->SetImageList(list_.get());
    child->SetColor(kRed);
    child->SetTransparent(true);
    child->move(5, 5);
    const QImage picture = parent.grab().toImage();
    EXPECT_EQ(picture.pixelColor(5, 5), kGreen);
    EXPECT_EQ(picture.pixelColor(6, 5), FrameColor(0));
    EXPECT_EQ(CountPixels(picture, kRed), 0);
}

TEST_F(VeskAnimatorTest, AlwaysHasTheSizeOfOneFrame) {
    EXPECT_EQ(TVeskAnimator().size(), QSize(40, 40));
    animator_.resize(30, 30);
    EXPECT_EQ(animator_.size(), QSize(10, 4));
    animator_.SetImageList(nullptr);
    animator_.resize(30, 30);
    EXPECT_EQ(animator_.size(), QSize(30, 30));
}

TEST_F(VeskAnimatorTest, ForgetsADestroyedListThenDrawsNothingAndIgnoresTicks) {
    animator_.SetColor(kRed);
    animator_.SetImageIndex(3);
    EXPECT_GT(CountPixels(Picture(), FrameColor(3)), 0);

    list_.reset();
    EXPECT_EQ(animator_.ImageList(), nullptr);
    QSignalSpy frames(&animator_, &TVeskAnimator::FrameChange);
    const QImage picture = Picture();
    EXPECT_EQ(CountPixels(picture, kRed), 0);
    EXPECT_EQ(CountPixels(picture, FrameColor(3)), 0);
    animator_.SetDelay(30);
    animator_.SetDelayUntilRepeat(70);
    animator_.Tick();
    EXPECT_EQ(animator_.ImageIndex(), 3);
    EXPECT_EQ(animator_.TimerInterval(), 30);
    EXPECT_EQ(frames.count(), 0);
}

class TFailingAnimator : public TVeskAnimator {
  protected:
    void DrawFrame() override { throw std::runtime_error("frame lost"); }
};

using VeskAnimatorFailure = HostTest;

// Run by its own timer: an exception leaving the slot would end the process.
TEST_F(VeskAnimatorFailure, AFailingStepStopsTheAnimationWithAnError) {
    const auto list = MakeList(3);
    TFailingAnimator animator;
    animator.SetImageList(list.get());
    animator.SetDelay(10);
    ASSERT_TRUE(animator.TimerActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !animator.TimerActive(); }, 5000));
    EXPECT_FALSE(animator.Animate());
    animator.grab();
    animator.Tick();
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].level, "Error");
    EXPECT_TRUE(lines[0].text.endsWith("frame lost")) << lines[0].text.toStdString();
}

TEST_F(VeskAnimatorTest, TheTimerRunsWhileAnimateIsOn) {
    EXPECT_EQ(animator_.TimerInterval(), 100);
    EXPECT_FALSE(animator_.TimerActive());
    animator_.setProperty("Delay", 10);
    animator_.setProperty("Animate", true);
    QSignalSpy frames(&animator_, &TVeskAnimator::FrameChange);
    while (frames.count() < 2) {
        ASSERT_TRUE(frames.wait(5000));
    }
    EXPECT_EQ(frames.at(1).at(0).toInt(), 1);
    animator_.SetAnimate(false);
    EXPECT_FALSE(animator_.TimerActive());
}

}  // namespace
