#include "PageStack.h"

#include <QStackedLayout>

namespace {

// A stacked layout on which every widget added comes on top. The module docks
// through QLayout::addWidget, which ends here; the plain stacked layout would
// leave the new page behind the one showing.
class TopmostStackLayout : public QStackedLayout {
  public:
    using QStackedLayout::QStackedLayout;

    void addItem(QLayoutItem* item) override {
        QWidget* widget = item->widget();
        QStackedLayout::addItem(item);  // takes and deletes the item
        if (widget != nullptr && indexOf(widget) >= 0) {
            setCurrentWidget(widget);
        }
    }
};

}  // namespace

PageStack::PageStack(QWidget* home, QWidget* parent)
    : QWidget(parent), layout_(new TopmostStackLayout(this)), home_(home) {
    layout_->setContentsMargins(0, 0, 0, 0);
    if (home_ != nullptr) {
        layout_->addWidget(home_);
    }
    // When the page on top is removed (a closed page deletes itself), the
    // layout makes the one below it current.
    connect(layout_, &QStackedLayout::currentChanged, this,
            [this] { emit CurrentChanged(layout_->currentWidget()); });
}

QWidget* PageStack::CurrentPage() const {
    QWidget* current = layout_->currentWidget();
    return current == home_ ? nullptr : current;
}

int PageStack::PageCount() const {
    return layout_->count() - (home_ != nullptr ? 1 : 0);
}

void PageStack::Raise(QWidget* page) {
    if (page == nullptr || page == home_ || layout_->indexOf(page) < 0 ||
        page == layout_->currentWidget()) {
        return;
    }
    layout_->removeWidget(page);
    layout_->addWidget(page);
    layout_->setCurrentWidget(page);
}
