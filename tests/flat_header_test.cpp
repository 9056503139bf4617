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

#include "FlatHeaderView.h"

namespace {

const QColor kFlat(0xE4, 0xF2, 0xFF);  // colour number 16773860

// A horizontal header of sections of the given widths, captions empty unless
// given, grabbed as shown.
QImage GrabHeader(const std::vector<int>& widths, const QStringList& captions = {},
                  bool secondAlignedRight = false) {
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

// The columns in [from, to) of row y that are not the face colour.
std::vector<int> Marked(const QImage& image, int y, int from, int to) {
    std::vector<int> marked;
    for (int x = from; x < to; ++x) {
        if (image.pixelColor(x, y) != kFlat) {
            marked.push_back(x);
        }
    }
    return marked;
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

// Edges are a line or two wide; where exactly they sit is the style's choice.
TEST(FlatHeader, FacesAreFlatWithAnEdgeBetweenAndBelowTheSections) {
    struct Case {
        const char* name;
        std::vector<int> widths;
        std::vector<int> boundaries;  // where one section ends and the next begins
    } cases[] = {
        {"two sections", {60, 60}, {60, 120}},
        // A section squeezed to nothing draws nothing over its neighbours.
        {"a section of no width between two", {60, 0, 60}, {60, 120}},
    };
    for (const Case& c : cases) {
        const QImage image = GrabHeader(c.widths);
        const int middle = image.height() / 2;
        int left = 0;
        for (const int boundary : c.boundaries) {
            const std::vector<int> marked = Marked(image, middle, left, boundary + 3);
            ASSERT_FALSE(marked.empty()) << c.name << ": no edge at " << boundary;
            EXPECT_GE(marked.front(), boundary - 3) << c.name << ": a mark inside the face";
            left = boundary + 3;
        }
        EXPECT_TRUE(Marked(image, middle, left, image.width()).empty())
            << c.name << ": past the last section";
        EXPECT_FALSE(Marked(image, image.height() - 1, 10, 50).empty()) << c.name << ": bottom";
        EXPECT_TRUE(Marked(image, 0, 10, 50).empty()) << c.name << ": nothing raised on top";
    }
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

    // Two rows of 20: their bottom edge near 40, the header's colour after it.
    const QImage image = header->grab().toImage();
    ASSERT_GT(image.height(), 100);
    bool edge = false;
    for (int y = 36; y < 42; ++y) {
        edge = edge || image.pixelColor(2, y) != kFlat;
    }
    EXPECT_TRUE(edge);
    for (int y = 43; y < image.height(); ++y) {
        ASSERT_EQ(image.pixelColor(2, y), kFlat) << y;
    }
}

}  // namespace
