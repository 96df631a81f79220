#pragma once

#include <QMainWindow>
#include <QString>

class QAction;
class QTextBrowser;

namespace kalvo {

// The program's own help viewer: the HTML help pages shipped in the help folder beside the
// program, with back, forward and contents commands. Links to web addresses and mail go to
// the desktop's handlers; links between the shipped pages stay in this window.
class HelpBrowser : public QMainWindow {
    Q_OBJECT

public:
    // `programFolder` is the folder of the program file; the pages are looked up in its help
    // folder, never in the working folder.
    explicit HelpBrowser(const QString& programFolder, QWidget* parent = nullptr);

    // Help contents (F1): the start topic, in this window brought to the front.
    void showContents();

    // Shows `topic`, the file name of a page in the help folder, such as "Backup.htm".
    void showTopic(const QString& topic);

    QTextBrowser* textBrowser() const { return textBrowser_; }

private:
    void updateTitle();

    QString helpFolder_;
    QTextBrowser* textBrowser_ = nullptr;
    QAction* actionBack_ = nullptr;
    QAction* actionForward_ = nullptr;
    QAction* actionHelpContents_ = nullptr;
};

}  // namespace kalvo
