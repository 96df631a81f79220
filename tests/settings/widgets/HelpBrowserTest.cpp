#include "settings/widgets/HelpBrowser.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>
#include <set>

#include "settings/widgets/HelpDocuments.h"
#include "support/TemporaryFolder.h"

namespace kalvo {
namespace {

// The source tree's data folder holds the documents as the build puts them beside the
// program: help/ and Demos/.
const QString documentsFolder = QStringLiteral(KALVO_DOCUMENTS "/");

QString canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

QString shownFile(const HelpBrowser& help) {
    return canonical(help.textBrowser()->source().toLocalFile());
}

// Runs the test in another working folder, as when the program is started from anywhere.
class WorkingFolder {
public:
    explicit WorkingFolder(const QString& folder) : previous_(QDir::currentPath()) {
        QDir::setCurrent(folder);
    }
    ~WorkingFolder() { QDir::setCurrent(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    QString previous_;
};

TEST(HelpBrowserTest, ContentsShowTheAboutTopicOfTheProgramFolderWhateverTheWorkingFolder) {
    test::TemporaryFolder elsewhere;
    // A decoy in the working folder must not be shown instead of the program's own page.
    QDir(QString::fromStdString(elsewhere.path().string())).mkpath(QStringLiteral("help"));
    test::writeFileText(elsewhere.file("help/About.htm"), "<title>Decoy</title>");
    WorkingFolder working(QString::fromStdString(elsewhere.path().string()));

    HelpBrowser help(documentsFolder);
    help.showContents();
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(shownFile(help), canonical(documentsFolder + "help/About.htm"));
    EXPECT_FALSE(help.textBrowser()->documentTitle().isEmpty());
    EXPECT_NE(help.textBrowser()->documentTitle(), "Decoy");
    EXPECT_TRUE(help.windowTitle().startsWith("Kalvo Planner Help"));
}

TEST(HelpBrowserTest, BackAndForwardKeysRetraceTheVisitedPages) {
    HelpBrowser help(documentsFolder);
    help.showContents();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help));
    auto* back = help.findChild<QAction*>("actionBack");
    ASSERT_NE(back, nullptr);
    EXPECT_FALSE(back->isEnabled());

    help.showTopic(QStringLiteral("Backup.htm"));
    EXPECT_EQ(shownFile(help), canonical(documentsFolder + "help/Backup.htm"));
    EXPECT_TRUE(back->isEnabled());
    QTest::keySequence(help.textBrowser(), QKeySequence(QKeySequence::Back));
    EXPECT_EQ(shownFile(help), canonical(documentsFolder + "help/About.htm"));
    QTest::keySequence(help.textBrowser(), QKeySequence(QKeySequence::Forward));
    EXPECT_EQ(shownFile(help), canonical(documentsFolder + "help/Backup.htm"));
    // F1 inside the help window goes back to the contents.
    QTest::keyClick(help.textBrowser(), Qt::Key_F1);
    EXPECT_EQ(shownFile(help), canonical(documentsFolder + "help/About.htm"));
    QTest::keyClick(help.textBrowser(), Qt::Key_Escape);
    EXPECT_FALSE(help.isVisible());
}

TEST(HelpBrowserTest, EveryControlOfTheWindowHasAnAccessibleName) {
    HelpBrowser help(documentsFolder);
    help.showContents();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    EXPECT_EQ(help.accessibleName(), "") << "announced by its title";
    EXPECT_TRUE(help.windowTitle().startsWith("Kalvo Planner Help - "));
    for (const QWidget* control : help.findChildren<QWidget*>()) {
        if (control->isVisible()) {
            EXPECT_FALSE(control->accessibleName().isEmpty())
                << "unnamed " << control->metaObject()->className() << " "
                << control->objectName().toStdString();
        }
    }
}

TEST(HelpBrowserTest, WithoutTheHelpFolderTheWindowSaysWhereItLookedAndAsksNothing) {
    test::TemporaryFolder program;
    const QString folder = QString::fromStdString(program.path().string());
    HelpBrowser help(folder);
    help.showContents();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    const QString shown = help.textBrowser()->toPlainText();
    EXPECT_TRUE(shown.contains("About.htm")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(folder + "/help/")) << shown.toStdString();
}

// ---- The shipped pages ------------------------------------------------------------------

QString fileContent(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

QStringList shippedPages() {
    QStringList pages;
    for (const char* folder : {"help", "Demos"}) {
        QDirIterator it(documentsFolder + folder, {QStringLiteral("*.htm")}, QDir::Files);
        while (it.hasNext()) {
            pages << it.next();
        }
    }
    pages.sort();
    return pages;
}

TEST(ShippedDocumentsTest, TheTutorialsAndTheHelpTopicAreWhereTheProgramLooksForThem) {
    for (const char* relative : {tutorialNewEvent, tutorialModifyEvent, tutorialApplyToFuture}) {
        EXPECT_TRUE(QFileInfo::exists(programDocumentPath(documentsFolder, relative))) << relative;
    }
    EXPECT_TRUE(QFileInfo::exists(documentsFolder + helpFolderName + helpContentsTopic));
}

TEST(ShippedDocumentsTest, EveryPageHasATitleAndEveryLocalLinkAndPictureExists) {
    const QRegularExpression reference(QStringLiteral(R"re((?:href|src)\s*=\s*"([^"]*)")re"));
    const QRegularExpression title(QStringLiteral("<title>([^<]+)</title>"));
    const QStringList pages = shippedPages();
    ASSERT_GE(pages.size(), 10);
    for (const QString& page : pages) {
        SCOPED_TRACE(page.toStdString());
        const QString content = fileContent(page);
        EXPECT_TRUE(title.match(content).hasMatch());
        for (auto it = reference.globalMatch(content); it.hasNext();) {
            const QString target = it.next().captured(1);
            const QUrl url(target);
            if (url.scheme() == "https" || url.scheme() == "mailto") {
                EXPECT_TRUE(url.host().endsWith("example.com") ||
                            url.path().endsWith("@example.com"))
                    << "an address outside the reserved domain: " << target.toStdString();
                continue;
            }
            ASSERT_TRUE(url.scheme().isEmpty()) << target.toStdString();
            const QString file =
                url.path().isEmpty() ? page : QFileInfo(page).dir().filePath(url.path());
            ASSERT_TRUE(QFileInfo::exists(file)) << "broken link " << target.toStdString();
            if (url.hasFragment()) {
                const QString anchor = QStringLiteral("id=\"%1\"").arg(url.fragment());
                EXPECT_TRUE(fileContent(file).contains(anchor))
                    << "missing anchor " << target.toStdString();
            }
        }
    }
}

TEST(ShippedDocumentsTest, TheContentsTopicLeadsToEveryHelpPageAndTutorial) {
    const QString about = fileContent(documentsFolder + "help/About.htm");
    const QRegularExpression link(QStringLiteral(R"re(href\s*=\s*"([^"#]+))re"));
    std::set<QString> linked;
    for (auto it = link.globalMatch(about); it.hasNext();) {
        linked.insert(canonical(documentsFolder + "help/" + it.next().captured(1)));
    }
    for (const QString& page : shippedPages()) {
        if (!page.endsWith("/help/About.htm")) {
            EXPECT_TRUE(linked.contains(canonical(page))) << page.toStdString();
        }
    }
}

}  // namespace
}  // namespace kalvo
