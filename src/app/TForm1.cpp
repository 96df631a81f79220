#include "app/TForm1.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include "app/ApplicationErrors.h"

namespace kalvo {

TForm1::TForm1(ProgrammSettings& programmSettings, SettingsStore& settingsStore,
               const std::string& programFolder, QWidget* parent)
    : QMainWindow(parent),
      programmSettings_(programmSettings),
      settingsStore_(settingsStore),
      database_(programFolder) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Kalvo Planner"));
    resize(895, 706);
    setMinimumSize(799, 540);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    createActions();

    programmSettings_.loadAll(settingsStore_);
    // Whether the database opened is seen when the model is read: a closed table fails it.
    database_.openDatabase(
        "", [this](const std::string& text) { showError(QString::fromStdString(text)); });
    model_ = database_.readModel();
}

void TForm1::createActions() {
    actionSave_ = new QAction(QStringLiteral("Save"), this);
    actionSave_->setObjectName(QStringLiteral("actionSave"));
    actionSave_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(actionSave_, &QAction::triggered, this, &TForm1::actionSaveExecute);

    actionExit_ = new QAction(QStringLiteral("Exit"), this);
    actionExit_->setObjectName(QStringLiteral("actionExit"));
    actionExit_->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_F4), QKeySequence(Qt::Key_Escape),
                               QKeySequence(Qt::ALT | Qt::Key_X)});
    connect(actionExit_, &QAction::triggered, this, &TForm1::actionExitExecute);

    for (QAction* action : {actionSave_, actionExit_}) {
        action->setShortcutContext(Qt::ApplicationShortcut);
        addAction(action);
    }
}

void TForm1::showError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok,
                    isVisible() ? this : nullptr);
    box.exec();
}

void TForm1::actionSaveExecute() {
    database_.saveDatabase(model_);
}

void TForm1::actionExitExecute() {
    if (isActiveWindow()) {
        close();
    }
}

bool TForm1::FormCloseQuery() {
    if (!programmSettings_.getShowExitConfirmation()) {
        return true;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Confirmation"),
                    QStringLiteral("Do you want to close the application?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    return box.exec() == QMessageBox::Yes;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    try {
        database_.saveDatabase(model_);
    } catch (const std::exception& error) {
        // Nothing is lost: the window stays open with the model as it was.
        showApplicationError(QString::fromStdString(error.what()));
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace kalvo
