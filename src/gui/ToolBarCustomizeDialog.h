#pragma once

#include <QDialog>
#include <QString>

#include "gui/SectionedToolBar.h"

class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kalvo {

// "Customize Toolbar": the buttons grouped by section, each with a check box that shows or
// hides it, beside the shown buttons from left to right, which Move Up and Move Down
// reorder. The dialog edits a copy of the arrangement: OK gives it to the toolbar, Cancel
// leaves the toolbar as it was.
class ToolBarCustomizeDialog : public QDialog {
    Q_OBJECT

public:
    explicit ToolBarCustomizeDialog(SectionedToolBar& toolBar, QWidget* parent = nullptr);

    // The arrangement as edited so far.
    ToolBarArrangement arrangement() const { return edited_; }

    void accept() override;

private:
    void fillButtonTree();
    void showArrangement(const QString& currentName);
    void buttonChecked(QTreeWidgetItem* item);
    void followTreeSelection();
    void moveCurrent(int step);
    void updateMoveButtons();
    void resetArrangement();
    QString currentOrderName() const;
    QString captionOf(const QString& name) const;

    SectionedToolBar& toolBar_;
    ToolBarArrangement edited_;
    QTreeWidget* buttonTree_ = nullptr;
    QListWidget* orderList_ = nullptr;
    QPushButton* moveUpButton_ = nullptr;
    QPushButton* moveDownButton_ = nullptr;
    QPushButton* resetButton_ = nullptr;
    bool filling_ = false;
};

}  // namespace kalvo
