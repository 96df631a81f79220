#include "types/widgets/FileNameEdit.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "gui/AccessibleNames.h"

namespace kalvo {

FileNameEdit::FileNameEdit(const QString& componentName, const QString& filter, QWidget* parent)
    : QWidget(parent), filter_(filter) {
    named(this, componentName);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    // The field is what takes the focus, so it carries the name a screen reader announces.
    edit_ = named(new QLineEdit(this), componentName + QStringLiteral("Text"), componentName);
    browse_ = named(new QToolButton(this), componentName + QStringLiteral("Browse"),
                    QStringLiteral("Browse"));
    browse_->setText(QStringLiteral("..."));
    browse_->setToolTip(QStringLiteral("Browse"));
    setFocusProxy(edit_);
    row->addWidget(edit_, 1);
    row->addWidget(browse_);
    connect(browse_, &QToolButton::clicked, this, &FileNameEdit::browse);
}

QString FileNameEdit::fileName() const {
    return edit_->text();
}

void FileNameEdit::setFileName(const QString& fileName) {
    edit_->setText(fileName);
}

void FileNameEdit::browse() {
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("fileNameDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(filter_);
    const QFileInfo current(fileName());
    if (!fileName().isEmpty() && current.dir().exists()) {
        dialog.setDirectory(current.dir());
        dialog.selectFile(current.fileName());
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        setFileName(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
    }
}

}  // namespace kalvo
