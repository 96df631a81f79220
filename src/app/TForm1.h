#pragma once

#include <QMainWindow>
#include <string>

#include "db/Database.h"
#include "db/Model.h"
#include "settings/ProgrammSettings.h"

class QAction;

namespace kalvo {

class SettingsStore;

// The main window: it owns the model for the life of the process and turns every command
// into one call on it.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // Loads the options, opens the database of the program folder and builds the model. When
    // the model cannot be read (no database, an unreadable file) the error escapes and no
    // window exists.
    TForm1(ProgrammSettings& programmSettings, SettingsStore& settingsStore,
           const std::string& programFolder, QWidget* parent = nullptr);

    Model& model() { return model_; }
    Database& database() { return database_; }

    // A message box owned by the main window: caption "Error", stop icon, one OK button.
    void showError(const QString& text);

    void actionSaveExecute();
    void actionExitExecute();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    bool FormCloseQuery();

    ProgrammSettings& programmSettings_;
    SettingsStore& settingsStore_;
    Database database_;
    Model model_;
    QAction* actionSave_ = nullptr;
    QAction* actionExit_ = nullptr;
};

}  // namespace kalvo
