// The list header as an operator sees it: each section's face in the one
// colour, an edge between sections and below them, the caption where the
// model aligns it, and the header colour past the last section.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeView>

#include <vector>

#include "ColorNumber.h"
#include "FlatHeaderView.h"

namespace {

const QColor kFlat = ColorFromTColor(TFlatHeaderView::kDefaultColor);

// A horizontal header of sections of the given widths, captions empty unless
// given, in the colour given, grabbed as shown.
QImage GrabHeader(const std::vector<int>& widths, const QStringList& captions = {},
                  bool secondAlignedRight = false, TColor color = TFlatHeaderView::kDefaultColor) {
    QStandardItemModel model(0, static_cast<int>(widths.size()));
    model.setHorizontalHeaderLabels(
        captions.isEmpty() ? QStringList(static_cast<int>(widths.size()), QString()) : captions);
    if (secondAlignedRight) {
        model.setHeaderData(1, Qt::Horizontal, static_cast<int>(Qt::AlignRight | Qt::AlignVCenter),
                            Qt::TextAlignmentRole);
    }
    QTreeView view;
    auto* header = new TFlatHeaderView(Qt::Horizontal, &view);
    view.setHeader(header);
    view.setModel(&model);
    header->SetColor(color);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    for (int section = 0; section < static_cast<int>(widths.size()); ++section) {
        header->resizeSection(section, widths[section]);
    }
    view.resize(300, 120);
    view.show();
    QApplication::processEvents();
    return header->grab().toImage();
}

// Text pixels of a section: anything but the face within its rows and columns.
std::vector<int> TextColumns(const QImage& image, int left, int right) {
    std::vector<int> columns;
    for (int x = left + 3; x < right - 3; ++x) {
        for (int y = 3; y < image.height() - 3; ++y) {
            if (image.pixelColor(x, y) != kFlat) {
                columns.push_back(x);
                break;
            }
        }
    }
    return columns;
}

// The caller's colour is the face of every section and of the rest of the
// header; the sections are told apart by an edge between them and below.
TEST(FlatHeader, TheColourGivenFillsTheFacesAndTheRestWithEdgesBetween) {
    for (const TColor color : {TFlatHeaderView::kDefaultColor, TColor(0x60B0F0)}) {
        const QColor face = ColorFromTColor(color);
        const QImage image = GrabHeader({60, 60}, {}, false, color);
        const int middle = image.height() / 2;
        for (const int x : {30, 90, 200}) {
            EXPECT_EQ(image.pixelColor(x, middle), face) << x;
        }
        bool between = false;
        for (int x = 30; x < 90; ++x) {
            between = between || image.pixelColor(x, middle) != face;
        }
        EXPECT_TRUE(between) << color;
        bool below = false;
        for (int y = middle; y < image.height(); ++y) {
            below = below || image.pixelColor(30, y) != face;
        }
        EXPECT_TRUE(below) << color;
    }
}

// A section squeezed to nothing leaves its neighbours as they were.
TEST(FlatHeader, ASectionOfNoWidthShowsNothing) {
    EXPECT_EQ(GrabHeader({60, 0, 60}), GrabHeader({60, 60}));
}

TEST(FlatHeader, TextSitsLeftUnlessTheModelAlignsIt) {
    const QImage image = GrabHeader({100, 100}, {"A", "B"}, true);
    const std::vector<int> left = TextColumns(image, 0, 100);
    const std::vector<int> right = TextColumns(image, 100, 200);
    ASSERT_FALSE(left.empty());
    ASSERT_FALSE(right.empty());
    EXPECT_LT(left.back(), 50);
    EXPECT_GT(right.front(), 150);
}

TEST(FlatHeader, VerticalHeaderIsFlatBelowItsLastSection) {
    QStandardItemModel model(2, 1);
    QTableView view;
    auto* header = new TFlatHeaderView(Qt::Vertical, &view);
    view.setVerticalHeader(header);
    view.setModel(&model);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setDefaultSectionSize(20);
    view.resize(200, 200);
    view.show();
    QApplication::processEvents();

    // Past the two rows of 20 the header shows its own colour.
    const QImage image = header->grab().toImage();
    ASSERT_GT(image.height(), 100);
    for (int y = 2 * 20 + 2; y < image.height(); ++y) {
        ASSERT_EQ(image.pixelColor(2, y), kFlat) << y;
    }
}

}  // namespace
