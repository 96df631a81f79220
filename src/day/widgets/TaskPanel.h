#pragma once

#include <QColor>
#include <QWidget>

namespace kalvo {

struct EventDataRow;
class DayView;

// The coloured rectangle that draws one occurrence of the shown day in the Actual column, or
// its planned twin in the Planned column. The row it draws is model data; the panel only
// shows it and turns the mouse into calls on its day view.
class TaskPanel : public QWidget {
    Q_OBJECT

public:
    TaskPanel(DayView& dayView, EventDataRow& row, bool isPlanned, QWidget* parent);

    EventDataRow& row() const { return row_; }
    bool isPlanned() const { return isPlanned_; }
    TaskPanel* twin() const { return twin_; }
    void setTwin(TaskPanel* twin) { twin_ = twin; }

    void setAppearance(const QColor& color, const QString& caption);
    void setBorderColor(const QColor& color);
    QColor borderColor() const { return borderColor_; }

    // Where the caption is drawn: the whole panel, centred; where sub-appointments cover its
    // middle, the tallest band of the panel they leave free.
    QRect captionRect() const;

    // The tooltip: type, duration, start and end in the locale's long time format.
    QString hintText() const;
    void updateHint();

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    DayView& dayView_;
    EventDataRow& row_;
    bool isPlanned_;
    TaskPanel* twin_ = nullptr;
    QColor color_;
    QString caption_;
    QColor borderColor_ = Qt::black;
};

}  // namespace kalvo
