#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QWidget>

#include <QTest>

#include <memory>
#include <stdexcept>
#include <tuple>
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

TEST(VeskImageList, GivesFramesInRangeAndReportsOnlyRealChanges) {
    const auto list = MakeList(2);
    QSignalSpy changes(list.get(), &TVeskImageList::Changed);
    EXPECT_EQ(list->Frame(1).toImage().pixelColor(5, 2), FrameColor(1));
    for (const int index : {-1, 2}) {
        EXPECT_TRUE(list->Frame(index).isNull()) << index;
    }
    list->Clear();
    EXPECT_EQ(list->Count(), 0);
    list->Clear();
    EXPECT_EQ(changes.count(), 1);
}

// Counts the paints a widget gets.
class TPaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

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

TEST_F(VeskAnimatorTest, AnIndexOutsideTheListShowsTheColourUntilTheNextStepStartsOver) {
    animator_.SetColor(kRed);
    // Index set, the index after one step: past the end the step draws frame 0.
    const std::pair<int, int> cases[] = {{7, 1}, {-1, 0}};
    for (const auto& [index, next] : cases) {
        SCOPED_TRACE(index);
        animator_.SetImageIndex(index);
        EXPECT_EQ(CountPixels(Picture(), kRed), 10 * 4);
        animator_.Tick();
        EXPECT_EQ(animator_.ImageIndex(), next);
        EXPECT_EQ(Picture().pixelColor(5, 2), FrameColor(next));
    }
}

TEST_F(VeskAnimatorTest, SettingTheDelayItHasKeepsTheLongerPauseAfterTheLastFrame) {
    animator_.SetDelay(50);
    animator_.SetDelayUntilRepeat(100);
    for (int tick = 0; tick < 5; ++tick) {
        animator_.Tick();
    }
    ASSERT_EQ(animator_.TimerInterval(), 100);
    animator_.SetDelay(50);
    EXPECT_EQ(animator_.TimerInterval(), 100);
    animator_.SetDelay(60);
    EXPECT_EQ(animator_.TimerInterval(), 60);
}

// Switched on again and again faster than its delay, the animation must not
// start its wait over each time, or it would never move.
TEST_F(VeskAnimatorTest, SwitchingOnWhileRunningDoesNotHoldTheFramesBack) {
    animator_.SetDelay(10);
    animator_.SetAnimate(true);
    QSignalSpy frames(&animator_, &TVeskAnimator::FrameChange);
    QElapsedTimer clock;
    clock.start();
    while (frames.count() < 2 && clock.elapsed() < 5000) {
        animator_.SetAnimate(true);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(frames.count(), 2);
}

TEST_F(VeskAnimatorTest, SettingAPropertyToTheValueItHasDoesNotRepaint) {
    TPaintCounter counter;
    animator_.installEventFilter(&counter);
    animator_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&animator_));
    const std::tuple<const char*, QVariant, QVariant> cases[] = {
        {"ImageIndex", 0, 2},
        {"Transparent", false, true},
    };
    // A requested repaint is a posted event: delivering them all paints
    // whatever was asked for, with no wait that a busy machine could outrun.
    const auto paintsAfterDelivery = [&] {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        return counter.paints;
    };
    for (const auto& [property, current, other] : cases) {
        SCOPED_TRACE(property);
        paintsAfterDelivery();
        counter.paints = 0;
        ASSERT_EQ(animator_.property(property), current);
        animator_.setProperty(property, current);
        EXPECT_EQ(paintsAfterDelivery(), 0);
        animator_.setProperty(property, other);
        EXPECT_GT(paintsAfterDelivery(), 0);
    }
}

TEST_F(VeskAnimatorTest, AFrameHandlerMayTakeTheListAwayWhileAFrameIsDrawn) {
    animator_.SetColor(kRed);
    QObject::connect(&animator_, &TVeskAnimator::FrameChange,
                     [this] { animator_.SetImageList(nullptr); });
    // By a paint: nothing is drawn of the frame.
    animator_.SetImageIndex(3);
    const QImage picture = Picture();
    EXPECT_EQ(animator_.ImageList(), nullptr);
    EXPECT_EQ(CountPixels(picture, FrameColor(3)), 0);
    EXPECT_EQ(CountPixels(picture, kRed), 0);
    // By a step: the index stays where it was.
    animator_.SetImageList(list_.get());
    animator_.SetImageIndex(1);
    animator_.Tick();
    EXPECT_EQ(animator_.ImageList(), nullptr);
    EXPECT_EQ(animator_.ImageIndex(), 1);
}

TEST(VeskAnimator, StepsThroughAListOfEmptyFrames) {
    TVeskImageList list(QSize(0, 0));
    for (int k = 0; k < 2; ++k) {
        ASSERT_EQ(list.Add(QPixmap()), k);
    }
    TVeskAnimator animator;
    animator.SetAnimate(false);
    animator.SetImageList(&list);
    EXPECT_EQ(animator.size(), QSize(0, 0));
    QSignalSpy frames(&animator, &TVeskAnimator::FrameChange);
    for (int tick = 0; tick < 3; ++tick) {
        animator.Tick();
    }
    ASSERT_EQ(frames.count(), 3);
    EXPECT_EQ(frames.at(1).at(0).toInt(), 1);
    EXPECT_EQ(frames.at(2).at(0).toInt(), 0);
}

class TFailingAnimator : public TVeskAnimator {
  public:
    explicit TFailingAnimator(void (*fail)() = [] { throw std::runtime_error("frame lost"); })
        : fail_(fail) {}

  protected:
    void DrawFrame() override { fail_(); }

  private:
    void (*fail_)();
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

// Painted or stepped, whatever it throws: neither may let it out.
TEST_F(VeskAnimatorFailure, AFailingFrameStopsTheAnimationWhetherAPaintOrAStepDrewIt) {
    struct Case {
        const char* name;
        void (*fail)();
        const char* reason;
        bool byPaint;
    };
    const auto error = [] { throw std::runtime_error("frame lost"); };
    const auto other = [] { throw 42; };
    const Case cases[] = {
        {"error in a paint", error, "frame lost", true},
        {"other throw in a paint", other, "未知异常", true},
        {"other throw in a step", other, "未知异常", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostSetup::ClearRecorded();
        const auto list = MakeList(3);
        TFailingAnimator animator(c.fail);
        animator.SetImageList(list.get());
        ASSERT_TRUE(animator.TimerActive());
        if (c.byPaint) {
            animator.grab();
        } else {
            animator.Tick();
        }
        EXPECT_FALSE(animator.Animate());
        EXPECT_FALSE(animator.TimerActive());
        animator.grab();
        animator.Tick();
        const auto lines = LogLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].level, "Error");
        EXPECT_TRUE(lines[0].text.endsWith(c.reason)) << lines[0].text.toStdString();
    }
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
