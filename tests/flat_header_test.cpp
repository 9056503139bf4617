// The list header: flat sections in the one colour, closed by a sunken edge
// on the right and at the bottom, and nothing raised.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeView>

#include <utility>
#include <vector>

#include "FlatHeaderView.h"

namespace {

TEST(FlatHeader, FlatSectionsWithSunkenRightAndBottomEdges) {
    QStandardItemModel model(0, 2);
    model.setHorizontalHeaderLabels({"A", "B"});
    QTreeView view;
    auto* header = new TFlatHeaderView(Qt::Horizontal, &view);
    view.setHeader(header);
    view.setModel(&model);
    header->setStretchLastSection(false);
    header->resizeSection(0, 60);
    header->resizeSection(1, 60);
    view.resize(300, 120);
    view.show();
    QApplication::processEvents();

    const QImage image = header->grab().toImage();
    const int middle = image.height() / 2;
    const int bottom = image.height() - 1;
    const QColor flat(0xE4, 0xF2, 0xFF);  // colour number 16773860
    struct Pixel {
        const char* name;
        int x;
        int y;
        bool flat;
    };
    const Pixel pixels[] = {
        {"inside the first section", 40, 2, true},
        {"its top edge", 40, 0, true},
        {"its left edge", 0, middle, true},
        {"its right edge", 59, middle, false},
        {"just inside its right edge", 58, middle, false},
        {"its bottom edge", 40, bottom, false},
        {"just above its bottom edge", 40, bottom - 1, false},
        {"the left edge of the second section", 60, middle, true},
        {"behind the last section", 250, 2, true},
    };
    for (const Pixel& p : pixels) {
        EXPECT_EQ(image.pixelColor(p.x, p.y) == flat, p.flat)
            << p.name << " " << image.pixelColor(p.x, p.y).name().toStdString();
    }
}

const QColor kFlat(0xE4, 0xF2, 0xFF);  // colour number 16773860

// Columns of the section's text pixels: neither the flat colour nor its edges.
std::vector<int> TextColumns(const QImage& image, int left, int right) {
    std::vector<int> columns;
    for (int x = left + 1; x < right - 2; ++x) {
        for (int y = 1; y < image.height() - 3; ++y) {
            if (image.pixelColor(x, y) != kFlat) {
                columns.push_back(x);
                break;
            }
        }
    }
    return columns;
}

TEST(FlatHeader, ASectionSqueezedToNothingLeavesItsNeighboursAsTheyAre) {
    QStandardItemModel model(0, 3);
    model.setHorizontalHeaderLabels({"A", "B", "C"});
    QTreeView view;
    auto* header = new TFlatHeaderView(Qt::Horizontal, &view);
    view.setHeader(header);
    view.setModel(&model);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    header->resizeSection(0, 60);
    header->resizeSection(1, 0);
    header->resizeSection(2, 60);
    view.resize(300, 120);
    view.show();
    QApplication::processEvents();
    ASSERT_FALSE(header->isSectionHidden(1));

    // The first section's edge, then at once the third section's flat face.
    const QImage image = header->grab().toImage();
    const std::pair<int, bool> columns[] = {{58, false}, {59, false}, {60, true}, {61, true}};
    for (const auto& [x, flat] : columns) {
        EXPECT_EQ(image.pixelColor(x, 2) == kFlat, flat) << x;
    }
}

TEST(FlatHeader, TextSitsLeftUnlessTheModelAlignsIt) {
    QStandardItemModel model(0, 2);
    model.setHorizontalHeaderLabels({"A", "B"});
    model.setHeaderData(1, Qt::Horizontal, static_cast<int>(Qt::AlignRight | Qt::AlignVCenter),
                        Qt::TextAlignmentRole);
    QTreeView view;
    auto* header = new TFlatHeaderView(Qt::Horizontal, &view);
    view.setHeader(header);
    view.setModel(&model);
    header->setStretchLastSection(false);
    header->resizeSection(0, 100);
    header->resizeSection(1, 100);
    view.resize(300, 120);
    view.show();
    QApplication::processEvents();

    const QImage image = header->grab().toImage();
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

    const QImage image = header->grab().toImage();
    ASSERT_GT(image.height(), 100);
    // Row 2 ends with its sunken bottom edge at 39; nothing follows.
    EXPECT_NE(image.pixelColor(2, 39), kFlat);
    for (const int y : {40, 60, image.height() - 1}) {
        EXPECT_EQ(image.pixelColor(2, y), kFlat) << y;
    }
}

}  // namespace
