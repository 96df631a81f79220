#include "gui/WindowPlacementStore.h"

#include "gui/UserSettings.h"

#include <QByteArray>
#include <QMainWindow>
#include <QMetaType>
#include <QSettings>
#include <QVariant>

namespace kalvo {

namespace {

const QString organisation = QStringLiteral("Kalvo Planner");
const QString section = QStringLiteral("Screen General");

}  // namespace

QStringList arrangementToTexts(const ToolBarArrangement& arrangement) {
    QStringList texts;
    for (const ToolBarSlot& slot : arrangement) {
        texts.append(slot.name + (slot.shown ? QStringLiteral(":1") : QStringLiteral(":0")));
    }
    return texts;
}

std::optional<ToolBarArrangement> arrangementFromTexts(const QStringList& texts) {
    ToolBarArrangement arrangement;
    for (const QString& untrimmed : texts) {
        const QString text = untrimmed.trimmed();
        const qsizetype colon = text.lastIndexOf(u':');
        if (colon <= 0) {
            return std::nullopt;
        }
        const QStringView flag = QStringView(text).mid(colon + 1);
        if (flag != u"0" && flag != u"1") {
            return std::nullopt;
        }
        arrangement.append({text.left(colon), flag == u"1"});
    }
    if (arrangement.isEmpty()) {
        return std::nullopt;
    }
    return arrangement;
}

std::optional<ToolBarArrangement> arrangementFromStored(const QVariant& stored) {
    switch (stored.typeId()) {
        case QMetaType::QStringList:
            return arrangementFromTexts(stored.toStringList());
        case QMetaType::QString:
            return arrangementFromTexts(stored.toString().split(u','));
        default:
            return std::nullopt;
    }
}

std::unique_ptr<QSettings> WindowPlacementStore::openSettings() {
    auto settings = openUserSettings(organisation);
    settings->beginGroup(section);
    return settings;
}

bool WindowPlacementStore::restore(QMainWindow& window, SectionedToolBar& toolBar) const {
    const std::unique_ptr<QSettings> settings = openSettings();
    if (settings->status() != QSettings::NoError) {
        return false;
    }
    if (const auto arrangement = arrangementFromStored(settings->value(toolBarValue))) {
        toolBar.setArrangement(*arrangement);
    }
    const QVariant geometry = settings->value(geometryValue);
    // restoreGeometry refuses bytes it cannot read, and pulls a window that would lie off the
    // screen, or have its title bar off it, back within the screen's available area.
    return geometry.typeId() == QMetaType::QByteArray &&
           window.restoreGeometry(geometry.toByteArray());
}

bool WindowPlacementStore::save(const QMainWindow& window, const SectionedToolBar& toolBar) const {
    const std::unique_ptr<QSettings> settings = openSettings();
    settings->setValue(geometryValue, window.saveGeometry());
    settings->setValue(toolBarValue, arrangementToTexts(toolBar.arrangement()));
    settings->sync();
    return settings->status() == QSettings::NoError;
}

}  // namespace kalvo
