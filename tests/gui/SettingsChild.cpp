#include "SettingsChild.h"

#include <iostream>

#include "gui/QtSettingsStore.h"
#include "settings/ProgrammSettings.h"

namespace kalvo::test {

namespace {

bool parseFlag(const QString& text, bool& flag) {
    if (text != u"0" && text != u"1") {
        return false;
    }
    flag = text == u"1";
    return true;
}

}  // namespace

int runSettingsChild(const QStringList& actions) {
    QtSettingsStore store;
    ProgrammSettings settings;
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const QString& action = actions.at(i);
        if (action == u"set" && i + 2 < actions.size()) {
            bool exitConfirmation = false;
            bool tip = false;
            if (!parseFlag(actions.at(i + 1), exitConfirmation) ||
                !parseFlag(actions.at(i + 2), tip)) {
                return 2;
            }
            settings.setShowExitConfirmation(exitConfirmation);
            settings.setShowTip(tip);
            i += 2;
        } else if (action == u"load") {
            settings.loadAll(store);
        } else if (action == u"save") {
            settings.saveAll(store);
        } else if (action == u"print") {
            std::cout << "ShowExitConfirmation=" << settings.getShowExitConfirmation()
                      << " ShowTip=" << settings.getShowTip() << '\n';
        } else {
            std::cerr << "unknown action " << action.toStdString() << '\n';
            return 2;
        }
    }
    std::cout.flush();
    return 0;
}

}  // namespace kalvo::test
