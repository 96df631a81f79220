#include "settings/widgets/HelpBrowser.h"

#include <QAction>
#include <QFileInfo>
#include <QKeySequence>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

#include "gui/AccessibleNames.h"
#include "settings/widgets/HelpDocuments.h"

namespace kalvo {

namespace {

QAction* command(const QString& componentName, const QString& caption, const QKeySequence& key,
                 QWidget* owner) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(componentName);
    action->setShortcut(key);
    action->setToolTip(caption + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) +
                       QLatin1Char(')'));
    return action;
}

}  // namespace

HelpBrowser::HelpBrowser(const QString& programFolder, QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      helpFolder_(programDocumentPath(programFolder, QString::fromLatin1(helpFolderName))) {
    setObjectName(QStringLiteral("HelpBrowser"));
    setWindowTitle(QStringLiteral("Kalvo Planner Help"));
    resize(780, 580);

    textBrowser_ =
        named(new QTextBrowser(this), QStringLiteral("textBrowser"), QStringLiteral("Help page"));
    nameScrollAreaParts(textBrowser_);
    textBrowser_->setOpenExternalLinks(true);
    textBrowser_->setSearchPaths({helpFolder_});
    setCentralWidget(textBrowser_);

    actionBack_ = command(QStringLiteral("actionBack"), QStringLiteral("Back"),
                          QKeySequence(QKeySequence::Back), this);
    actionForward_ = command(QStringLiteral("actionForward"), QStringLiteral("Forward"),
                             QKeySequence(QKeySequence::Forward), this);
    actionHelpContents_ = command(QStringLiteral("actionHelpContents"), QStringLiteral("Contents"),
                                  QKeySequence(Qt::Key_F1), this);
    auto* actionClose = command(QStringLiteral("actionClose"), QStringLiteral("Close"),
                                QKeySequence(Qt::Key_Escape), this);
    actionBack_->setEnabled(false);
    actionForward_->setEnabled(false);

    auto* toolBar =
        named(new QToolBar(QStringLiteral("Navigation"), this), QStringLiteral("toolBarHelp"));
    toolBar->setMovable(false);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QAction* action : {actionBack_, actionForward_, actionHelpContents_, actionClose}) {
        toolBar->addAction(action);
        toolBar->widgetForAction(action)->setAccessibleName(action->text());
    }
    addToolBar(toolBar);

    connect(actionBack_, &QAction::triggered, textBrowser_, &QTextBrowser::backward);
    connect(actionForward_, &QAction::triggered, textBrowser_, &QTextBrowser::forward);
    connect(actionHelpContents_, &QAction::triggered, this,
            [this] { showTopic(QString::fromLatin1(helpContentsTopic)); });
    connect(actionClose, &QAction::triggered, this, &QWidget::close);
    connect(textBrowser_, &QTextBrowser::backwardAvailable, actionBack_, &QAction::setEnabled);
    connect(textBrowser_, &QTextBrowser::forwardAvailable, actionForward_, &QAction::setEnabled);
    connect(textBrowser_, &QTextBrowser::sourceChanged, this, &HelpBrowser::updateTitle);
}

void HelpBrowser::showContents() {
    showTopic(QString::fromLatin1(helpContentsTopic));
    show();
    raise();
    activateWindow();
}

void HelpBrowser::showTopic(const QString& topic) {
    const QString path = helpFolder_ + topic;
    if (QFileInfo::exists(path)) {
        textBrowser_->setSource(QUrl::fromLocalFile(path));
        return;
    }
    // The window stays usable and says where it looked, so the cause can be found.
    textBrowser_->setHtml(
        QStringLiteral("<h2>This help page is not installed</h2><p>The page <b>%1</b> should "
                       "be in the folder <b>%2</b> beside the program.</p>")
            .arg(topic.toHtmlEscaped(), helpFolder_.toHtmlEscaped()));
    updateTitle();
}

void HelpBrowser::updateTitle() {
    const QString page = textBrowser_->documentTitle();
    setWindowTitle(page.isEmpty() ? QStringLiteral("Kalvo Planner Help")
                                  : QStringLiteral("Kalvo Planner Help - ") + page);
}

}  // namespace kalvo
