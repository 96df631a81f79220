#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "db/Database.h"
#include "settings/FakeSettingsStore.h"
#include "settings/ProgrammSettings.h"
#include "settings/widgets/TAboutBox.h"
#include "support/DatabaseFiles.h"

namespace kalvo {
namespace {

using test::child;
using test::click;
using test::fileText;
using test::TemporaryFolder;
using test::whileShown;
using test::writeDatabase;

const char* const tableFiles[] = {"Type.xml", "Event.xml", "EventData.xml"};

std::string typeRow(int id, const std::string& name) {
    return "<ROW RowState=\"4\" Id=\"" + std::to_string(id) + "\" ParentTypeId=\"-1\" Name=\"" +
           name + "\" Color=\"32768\"/>";
}

std::vector<std::string> typeNames(const Model& model) {
    std::vector<std::string> names;
    for (const auto& type : model.types) {
        names.push_back(type->name);
    }
    return names;
}

QString text(const std::filesystem::path& folder) {
    return QString::fromStdString(folder.string());
}

// A program folder with its database opened, and the dialog wired to it as the main window
// wires it: backup and restore run on the real database, errors are collected.
class BackupRestoreDialogTest : public ::testing::Test {
protected:
    BackupRestoreDialogTest() {
        writeDatabase(programFolder.path(), typeRow(0, "Work") + typeRow(1, "Lunch"), "", "");
        EXPECT_TRUE(database.openDatabase("", showError));
        model = database.readModel();
    }

    void type(const char* field, const QString& folder) {
        auto* edit = child<QLineEdit>(dialog, field);
        edit->clear();
        QTest::keyClicks(edit, folder);
    }

    void expectReportedAndStillOpen(void (TAboutBox::*show)(), const char* field,
                                    const QString& folder, const char* button,
                                    const char* caption) {
        const bool leftOpen = whileShown(
            dialog, [&] { (dialog.*show)(); },
            [&] {
                type(field, folder);
                click(dialog, button);
                EXPECT_TRUE(dialog.isVisible());
                EXPECT_EQ(dialog.windowTitle(), QString::fromLatin1(caption));
                EXPECT_EQ(child<QLineEdit>(dialog, field)->text(), folder);
            });
        EXPECT_TRUE(leftOpen);
        ASSERT_EQ(reported.size(), 1u);
        EXPECT_FALSE(reported.front().isEmpty());
        EXPECT_TRUE(shownErrors.empty());
    }

    std::string programFile(const char* name) const { return programFolder.file(name); }

    TemporaryFolder programFolder;
    TemporaryFolder elsewhere;
    Database database{programFolder.path().string() + "/"};
    Model model;
    std::vector<std::string> shownErrors;  // showError of the main window
    std::vector<QString> reported;         // the application's general error handler
    Database::ErrorReporter showError = [this](const std::string& message) {
        shownErrors.push_back(message);
    };
    test::FakeSettingsStore store;
    ProgrammSettings settings;
    TAboutBox dialog{
        settings,
        store,
        {text(programFolder.path()), text(programFolder.path())},
        AboutBoxServices{
            .backupDatabase =
                [this](const QString& folder) {
                    database.saveDatabase(model);
                    database.writeBackup(folder.toStdString());
                },
            .restoreDatabase =
                [this](const QString& folder) {
                    database.restoreDatabase(model, folder.toStdString(), showError);
                },
            .reportError = [this](const QString& message) { reported.push_back(message); },
            .openDocument = {},
        }};
};

TEST_F(BackupRestoreDialogTest, BackupWritesTheSavedDatabaseIntoTheFolderAndCloses) {
    model.types[1]->name = "Long Lunch";  // not saved yet: the backup saves first
    const std::filesystem::path earlier = elsewhere.path() / "backup";
    std::filesystem::create_directory(earlier);
    // An earlier backup in the same folder is replaced without a question; a folder that
    // does not exist yet is made.
    writeDatabase(earlier, typeRow(0, "Old"), "", "");
    for (const std::filesystem::path& backup : {earlier, elsewhere.path() / "new" / "backup"}) {
        SCOPED_TRACE(backup.string());
        EXPECT_FALSE(whileShown(
            dialog, [&] { dialog.showBackupPage(); },
            [&] {
                type("editBackupDirectory", text(backup));
                click(dialog, "buttonBackup");
            }));
        EXPECT_TRUE(reported.empty());
        EXPECT_NE(fileText(programFile("Type.xml")).find("Long Lunch"), std::string::npos);
        for (const char* file : tableFiles) {
            EXPECT_EQ(fileText((backup / file).string()), fileText(programFile(file))) << file;
        }
    }
}

TEST_F(BackupRestoreDialogTest, AFailedBackupIsReportedAndTheDialogStaysOnItsPage) {
    // A folder that cannot be made: its parent is a file.
    writeDatabase(elsewhere.path(), typeRow(0, "Study"), "", "");
    const QString underAFile = text(elsewhere.path() / "Type.xml" / "backup");
    expectReportedAndStillOpen(&TAboutBox::showBackupPage, "editBackupDirectory", underAFile,
                               "buttonBackup", "Backup Kalvo Planner Database");
}

TEST_F(BackupRestoreDialogTest, AFailedRestoreIsReportedAndTheDialogStaysOnItsPage) {
    writeDatabase(elsewhere.path(), typeRow(0, "Study"), "", "");
    // A restore saves into the program folder first; with the folder gone that save fails.
    std::filesystem::remove_all(programFolder.path());
    expectReportedAndStillOpen(&TAboutBox::showRestorePage, "editRestoreDirectory",
                               text(elsewhere.path()), "buttonRestore",
                               "Restore Kalvo Planner Database");
    EXPECT_EQ(typeNames(model), (std::vector<std::string>{"Work", "Lunch"}));
}

TEST_F(BackupRestoreDialogTest, RestoreReadsTheFoldersDatabaseIntoTheModelAndCloses) {
    writeDatabase(elsewhere.path(), typeRow(0, "Study"), "", "");
    EXPECT_FALSE(whileShown(
        dialog, [&] { dialog.showRestorePage(); },
        [&] {
            type("editRestoreDirectory", text(elsewhere.path()));
            click(dialog, "buttonRestore");
        }));
    EXPECT_TRUE(reported.empty());
    EXPECT_TRUE(shownErrors.empty());
    EXPECT_EQ(typeNames(model), std::vector<std::string>{"Study"});
}

TEST_F(BackupRestoreDialogTest, RestoreFromAFolderWithoutADatabaseKeepsTheProgramFoldersData) {
    std::filesystem::create_directory(elsewhere.path() / "empty");
    model.types[0]->name = "Deep Work";  // saved by the restore before it reads
    EXPECT_FALSE(whileShown(
        dialog, [&] { dialog.showRestorePage(); },
        [&] {
            type("editRestoreDirectory", text(elsewhere.path() / "empty"));
            click(dialog, "buttonRestore");
        }));
    EXPECT_EQ(shownErrors,
              std::vector<std::string>{"There is no Kalvo Planner database in the specified "
                                       "folder."});
    EXPECT_TRUE(reported.empty()) << "the restore itself ended normally";
    EXPECT_EQ(typeNames(model), (std::vector<std::string>{"Deep Work", "Lunch"}));
}

TEST_F(BackupRestoreDialogTest, TheFolderTextIsHandedOnUnchangedAndKeptBetweenShows) {
    std::vector<QString> received;
    TAboutBox recording(settings, store, {QStringLiteral("/opt/kalvo/"), {}},
                        {.backupDatabase = [&](const QString& f) { received.push_back(f); },
                         .restoreDatabase = [&](const QString& f) { received.push_back(f); },
                         .reportError = [](const QString&) {},
                         .openDocument = {}});
    struct Case {
        void (TAboutBox::*show)();
        const char* field;
        const char* button;
        QString typed;
    };
    const Case cases[] = {
        {&TAboutBox::showBackupPage, "editBackupDirectory", "buttonBackup", ""},
        {&TAboutBox::showBackupPage, "editBackupDirectory", "buttonBackup", " spaced out /"},
        {&TAboutBox::showRestorePage, "editRestoreDirectory", "buttonRestore", "relative/dir"},
        {&TAboutBox::showRestorePage, "editRestoreDirectory", "buttonRestore", ""},
    };
    for (const Case& testCase : cases) {
        received.clear();
        EXPECT_FALSE(whileShown(
            recording, [&] { (recording.*testCase.show)(); },
            [&] {
                auto* edit = child<QLineEdit>(recording, testCase.field);
                edit->clear();
                QTest::keyClicks(edit, testCase.typed);
                click(recording, testCase.button);
            }));
        EXPECT_EQ(received, std::vector<QString>{testCase.typed});
    }
    // Each field keeps its own text from one show to the next, through Cancel too.
    whileShown(
        recording, [&] { recording.showBackupPage(); },
        [&] {
            QTest::keyClicks(child<QLineEdit>(recording, "editBackupDirectory"), "/media/usb");
            click(recording, "buttonCancelBackup");
        });
    whileShown(
        recording, [&] { recording.showBackupPage(); },
        [&] {
            EXPECT_EQ(child<QLineEdit>(recording, "editBackupDirectory")->text(), "/media/usb");
            EXPECT_EQ(child<QLineEdit>(recording, "editRestoreDirectory")->text(), "");
            click(recording, "buttonCancelBackup");
        });
    EXPECT_EQ(received, std::vector<QString>{""}) << "Cancel runs nothing";
}

TEST_F(BackupRestoreDialogTest, BrowseFillsTheFieldWithTheFolderChosenInTheFolderDialog) {
    const std::filesystem::path chosen = elsewhere.path() / "chosen";
    std::filesystem::create_directory(chosen);
    whileShown(
        dialog, [&] { dialog.showBackupPage(); },
        [&] {
            QString caption;
            QTimer::singleShot(0, &dialog, [&] {
                auto* folders = dialog.findChild<QFileDialog*>("folderDialog");
                ASSERT_NE(folders, nullptr);
                caption = folders->windowTitle();
                folders->selectFile(text(chosen));
                static_cast<QDialog*>(folders)->accept();  // as its Choose button does
            });
            click(dialog, "buttonBrowseBackupDirectory");
            EXPECT_EQ(caption, "Select directory of Database Backup");
            EXPECT_EQ(child<QLineEdit>(dialog, "editBackupDirectory")->text(), text(chosen));
            EXPECT_TRUE(dialog.isVisible()) << "choosing a folder does not back up";
            click(dialog, "buttonBackup");
        });
    // The restore page's field is empty: its Browse starts where the backup's ended.
    whileShown(
        dialog, [&] { dialog.showRestorePage(); },
        [&] {
            QString start;
            QTimer::singleShot(0, &dialog, [&] {
                auto* folders = dialog.findChild<QFileDialog*>("folderDialog");
                ASSERT_NE(folders, nullptr);
                start = folders->directory().absolutePath();
                folders->reject();
            });
            EXPECT_EQ(child<QLabel>(dialog, "editRestoreDirectoryLabel")->buddy(),
                      child<QLineEdit>(dialog, "editRestoreDirectory"));
            EXPECT_EQ(child<QLineEdit>(dialog, "editRestoreDirectory")->accessibleName(),
                      "Folder of the backup to restore");
            click(dialog, "buttonBrowseRestoreDirectory");
            EXPECT_EQ(start, text(chosen));
            click(dialog, "buttonCancelRestore");
        });
    for (const char* file : tableFiles) {
        EXPECT_TRUE(std::filesystem::exists(chosen / file)) << file;
    }
}

}  // namespace
}  // namespace kalvo
