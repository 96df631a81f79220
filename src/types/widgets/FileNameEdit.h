#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace kalvo {

// A file name field with a browse button that opens a file dialog with `filter` (a Qt filter
// string). The name is kept as typed or chosen: nothing tests that the file exists.
class FileNameEdit : public QWidget {
    Q_OBJECT

public:
    FileNameEdit(const QString& componentName, const QString& filter, QWidget* parent = nullptr);

    QString fileName() const;
    void setFileName(const QString& fileName);
    QString filter() const { return filter_; }

    QLineEdit* lineEdit() const { return edit_; }
    QToolButton* browseButton() const { return browse_; }

    // Opens the file dialog in the folder of the current name; a chosen file replaces it.
    void browse();

private:
    QString filter_;
    QLineEdit* edit_;
    QToolButton* browse_;
};

}  // namespace kalvo
