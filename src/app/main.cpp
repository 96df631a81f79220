#include <QDir>
#include <exception>
#include <memory>

#include "app/ApplicationErrors.h"
#include "app/TForm1.h"
#include "gui/QtSettingsStore.h"
#include "settings/ProgrammSettings.h"

int main(int argc, char** argv) {
    kalvo::KalvoApplication application(argc, argv);
    kalvo::ProgrammSettings programmSettings;
    kalvo::QtSettingsStore settingsStore;
    const std::string programFolder =
        QDir::toNativeSeparators(QApplication::applicationDirPath() + QLatin1Char('/'))
            .toStdString();
    std::unique_ptr<kalvo::TForm1> form;
    try {
        form = std::make_unique<kalvo::TForm1>(programmSettings, settingsStore, programFolder);
    } catch (const std::exception& error) {
        kalvo::showApplicationError(QString::fromStdString(error.what()));
        return 1;
    }
    form->show();
    return application.exec();
}
