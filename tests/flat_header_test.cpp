// The list header: flat sections in the one colour, closed by a sunken edge
// on the right and at the bottom, and nothing raised.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QStandardItemModel>
#include <QTreeView>

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

}  // namespace
