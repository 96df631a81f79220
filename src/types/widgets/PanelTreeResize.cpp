#include "types/widgets/PanelTreeResize.h"

#include <QBoxLayout>
#include <QCalendarWidget>
#include <QEvent>
#include <QWidget>

namespace kalvo {
namespace {

class PanelTreeResizeRule : public QObject {
public:
    PanelTreeResizeRule(QWidget& panelTree, QCalendarWidget& calendar)
        : QObject(&panelTree), panelTree_(panelTree), calendar_(calendar) {
        panelTree_.installEventFilter(this);
        panelTreeResize();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &panelTree_ && event->type() == QEvent::Resize) {
            panelTreeResize();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void panelTreeResize() {
        const bool fill = panelTree_.height() == kPanelTreeMaximumHeight;
        calendar_.setSizePolicy(QSizePolicy::Preferred,
                                fill ? QSizePolicy::Expanding : QSizePolicy::Fixed);
        if (auto* column = qobject_cast<QBoxLayout*>(calendar_.parentWidget()->layout())) {
            column->setStretchFactor(&calendar_, fill ? 1 : 0);
            column->setAlignment(&calendar_, fill ? Qt::Alignment() : Qt::AlignTop);
        }
    }

    QWidget& panelTree_;
    QCalendarWidget& calendar_;
};

}  // namespace

void installPanelTreeResize(QWidget& panelTree, QCalendarWidget& calendar) {
    new PanelTreeResizeRule(panelTree, calendar);
}

}  // namespace kalvo
