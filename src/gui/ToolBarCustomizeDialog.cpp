#include "gui/ToolBarCustomizeDialog.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QGridLayout>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kalvo {

namespace {

constexpr int nameRole = Qt::UserRole;

const ToolBarButton* findButton(const SectionedToolBar& toolBar, const QString& name) {
    for (const ToolBarButton& button : toolBar.buttons()) {
        if (button.name == name) {
            return &button;
        }
    }
    return nullptr;
}

qsizetype indexOf(const ToolBarArrangement& arrangement, const QString& name) {
    for (qsizetype i = 0; i < arrangement.size(); ++i) {
        if (arrangement.at(i).name == name) {
            return i;
        }
    }
    return -1;
}

}  // namespace

ToolBarCustomizeDialog::ToolBarCustomizeDialog(SectionedToolBar& toolBar, QWidget* parent)
    : QDialog(parent), toolBar_(toolBar), edited_(toolBar.arrangement()) {
    setObjectName(QStringLiteral("ToolBarCustomizeDialog"));
    setWindowTitle(tr("Customize Toolbar"));

    auto* explanation =
        new QLabel(tr("Tick the buttons to show on the toolbar. Move Up and Move Down (Ctrl+Up, "
                      "Ctrl+Down) change the place of a shown button, from left to right."),
                   this);
    explanation->setWordWrap(true);

    buttonTree_ = new QTreeWidget(this);
    buttonTree_->setObjectName(QStringLiteral("treeButtons"));
    buttonTree_->setAccessibleName(tr("Buttons by section"));
    buttonTree_->setHeaderHidden(true);
    buttonTree_->setColumnCount(1);
    buttonTree_->setRootIsDecorated(true);
    buttonTree_->setMinimumSize(250, 260);
    auto* treeLabel = new QLabel(tr("&Buttons:"), this);
    treeLabel->setBuddy(buttonTree_);

    orderList_ = new QListWidget(this);
    orderList_->setObjectName(QStringLiteral("listToolBarOrder"));
    orderList_->setAccessibleName(tr("Toolbar order, left to right"));
    orderList_->setMinimumSize(220, 260);
    auto* orderLabel = new QLabel(tr("Toolbar &order:"), this);
    orderLabel->setBuddy(orderList_);

    moveUpButton_ = new QPushButton(tr("Move &Up"), this);
    moveUpButton_->setObjectName(QStringLiteral("buttonMoveUp"));
    moveUpButton_->setAccessibleName(tr("Move Up"));
    moveUpButton_->setToolTip(tr("Move the button to the left (Ctrl+Up)"));
    moveDownButton_ = new QPushButton(tr("Move &Down"), this);
    moveDownButton_->setObjectName(QStringLiteral("buttonMoveDown"));
    moveDownButton_->setAccessibleName(tr("Move Down"));
    moveDownButton_->setToolTip(tr("Move the button to the right (Ctrl+Down)"));
    auto* moveColumn = new QVBoxLayout;
    moveColumn->addWidget(moveUpButton_);
    moveColumn->addWidget(moveDownButton_);
    moveColumn->addStretch();

    auto* buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttonBox->setObjectName(QStringLiteral("buttonBox"));
    QPushButton* okButton = buttonBox->button(QDialogButtonBox::Ok);
    okButton->setObjectName(QStringLiteral("buttonOk"));
    okButton->setAccessibleName(tr("OK"));
    QPushButton* cancelButton = buttonBox->button(QDialogButtonBox::Cancel);
    cancelButton->setObjectName(QStringLiteral("buttonCancel"));
    cancelButton->setAccessibleName(tr("Cancel"));
    resetButton_ = buttonBox->addButton(tr("&Reset"), QDialogButtonBox::ResetRole);
    resetButton_->setObjectName(QStringLiteral("buttonReset"));
    resetButton_->setAccessibleName(tr("Reset"));
    resetButton_->setToolTip(tr("Show the buttons shown at first, in their first order"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(explanation, 0, 0, 1, 3);
    layout->addWidget(treeLabel, 1, 0);
    layout->addWidget(orderLabel, 1, 1);
    layout->addWidget(buttonTree_, 2, 0);
    layout->addWidget(orderList_, 2, 1);
    layout->addLayout(moveColumn, 2, 2);
    layout->addWidget(buttonBox, 3, 0, 1, 3);
    layout->setRowStretch(2, 1);

    setTabOrder(buttonTree_, orderList_);
    setTabOrder(orderList_, moveUpButton_);
    setTabOrder(moveUpButton_, moveDownButton_);
    setTabOrder(moveDownButton_, buttonBox);

    // The keys work from the tree as well: the button current there is current in the order.
    auto* moveUpKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up), this);
    auto* moveDownKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down), this);
    connect(moveUpKey, &QShortcut::activated, this, [this] { moveCurrent(-1); });
    connect(moveDownKey, &QShortcut::activated, this, [this] { moveCurrent(1); });
    connect(moveUpButton_, &QPushButton::clicked, this, [this] { moveCurrent(-1); });
    connect(moveDownButton_, &QPushButton::clicked, this, [this] { moveCurrent(1); });
    connect(resetButton_, &QPushButton::clicked, this, &ToolBarCustomizeDialog::resetArrangement);
    connect(buttonBox, &QDialogButtonBox::accepted, this, &ToolBarCustomizeDialog::accept);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &ToolBarCustomizeDialog::reject);
    connect(buttonTree_, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item) { buttonChecked(item); });
    connect(buttonTree_, &QTreeWidget::currentItemChanged, this,
            &ToolBarCustomizeDialog::followTreeSelection);
    connect(orderList_, &QListWidget::currentRowChanged, this,
            &ToolBarCustomizeDialog::updateMoveButtons);

    fillButtonTree();
    showArrangement(QString());
    buttonTree_->setFocus();
}

void ToolBarCustomizeDialog::fillButtonTree() {
    filling_ = true;
    // Within a section the buttons keep the order of the first arrangement, the order the
    // user met them in, however they have been moved since.
    const ToolBarArrangement initial = toolBar_.initialArrangement();
    for (const QString& section : toolBar_.sections()) {
        QTreeWidgetItem* sectionItem = nullptr;
        for (const ToolBarSlot& slot : initial) {
            const ToolBarButton& button = *findButton(toolBar_, slot.name);
            if (button.section != section) {
                continue;
            }
            if (sectionItem == nullptr) {
                sectionItem = new QTreeWidgetItem(buttonTree_, {section});
                sectionItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                QFont bold = sectionItem->font(0);
                bold.setBold(true);
                sectionItem->setFont(0, bold);
            }
            auto* item = new QTreeWidgetItem(sectionItem, {captionOf(button.name)});
            item->setData(0, nameRole, button.name);
            item->setIcon(0, button.icon);
            item->setToolTip(0, button.hint);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Unchecked);
        }
    }
    buttonTree_->expandAll();
    if (buttonTree_->topLevelItemCount() > 0) {
        buttonTree_->setCurrentItem(buttonTree_->topLevelItem(0));
    }
    filling_ = false;
}

QString ToolBarCustomizeDialog::captionOf(const QString& name) const {
    const ToolBarButton* button = findButton(toolBar_, name);
    if (button == nullptr) {
        return name;
    }
    return button->longCaption.isEmpty() ? button->caption : button->longCaption;
}

void ToolBarCustomizeDialog::showArrangement(const QString& currentName) {
    filling_ = true;
    for (QTreeWidgetItemIterator it(buttonTree_); *it != nullptr; ++it) {
        const QString name = (*it)->data(0, nameRole).toString();
        const qsizetype index = indexOf(edited_, name);
        if (index >= 0) {
            (*it)->setCheckState(0, edited_.at(index).shown ? Qt::Checked : Qt::Unchecked);
        }
    }

    orderList_->clear();
    for (const ToolBarSlot& slot : edited_) {
        if (!slot.shown) {
            continue;
        }
        auto* item = new QListWidgetItem(captionOf(slot.name), orderList_);
        item->setData(nameRole, slot.name);
        if (const ToolBarButton* button = findButton(toolBar_, slot.name)) {
            item->setIcon(button->icon);
            item->setToolTip(button->hint);
        }
        if (slot.name == currentName) {
            orderList_->setCurrentItem(item);
        }
    }
    filling_ = false;
    updateMoveButtons();
}

QString ToolBarCustomizeDialog::currentOrderName() const {
    const QListWidgetItem* item = orderList_->currentItem();
    return item != nullptr ? item->data(nameRole).toString() : QString();
}

void ToolBarCustomizeDialog::buttonChecked(QTreeWidgetItem* item) {
    if (filling_) {
        return;
    }
    const QString name = item->data(0, nameRole).toString();
    const qsizetype index = indexOf(edited_, name);
    if (index < 0) {
        return;
    }
    const bool shown = item->checkState(0) == Qt::Checked;
    if (edited_.at(index).shown == shown) {
        return;
    }
    edited_[index].shown = shown;
    // A button just shown becomes current in the order, ready to be moved into place.
    showArrangement(shown ? name : currentOrderName());
}

void ToolBarCustomizeDialog::followTreeSelection() {
    const QTreeWidgetItem* current = buttonTree_->currentItem();
    if (current == nullptr) {
        return;
    }
    const QString name = current->data(0, nameRole).toString();
    for (int row = 0; row < orderList_->count(); ++row) {
        if (orderList_->item(row)->data(nameRole).toString() == name) {
            orderList_->setCurrentRow(row);
            return;
        }
    }
}

void ToolBarCustomizeDialog::moveCurrent(int step) {
    const int row = orderList_->currentRow();
    const int target = row + step;
    if (row < 0 || target < 0 || target >= orderList_->count()) {
        return;
    }
    const QString name = orderList_->item(row)->data(nameRole).toString();
    const QString neighbour = orderList_->item(target)->data(nameRole).toString();
    // Hidden buttons between the two keep their places among the others.
    const ToolBarSlot moved = edited_.takeAt(indexOf(edited_, name));
    const qsizetype neighbourIndex = indexOf(edited_, neighbour);
    edited_.insert(step < 0 ? neighbourIndex : neighbourIndex + 1, moved);
    showArrangement(name);
}

void ToolBarCustomizeDialog::updateMoveButtons() {
    const int row = orderList_->currentRow();
    moveUpButton_->setEnabled(row > 0);
    moveDownButton_->setEnabled(row >= 0 && row + 1 < orderList_->count());
}

void ToolBarCustomizeDialog::resetArrangement() {
    edited_ = toolBar_.initialArrangement();
    showArrangement(currentOrderName());
}

void ToolBarCustomizeDialog::accept() {
    toolBar_.setArrangement(edited_);
    QDialog::accept();
}

}  // namespace kalvo
