#include "app/PublishConflictsView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "calendars/ConflictVersions.h"
#include "gui/AccessibleNames.h"

namespace kalvo {
namespace {

constexpr int kUidRole = Qt::UserRole;

// The rows of the side-by-side table, each a part of a version.
const std::pair<const char*, std::string ConflictVersion::*> kParts[] = {
    {"Summary", &ConflictVersion::summary}, {"When", &ConflictVersion::when},
    {"Repeats", &ConflictVersion::repeats}, {"Planned", &ConflictVersion::planned},
    {"Comment", &ConflictVersion::comment},
};

}  // namespace

PublishConflictsView::PublishConflictsView(std::map<std::string, PublishConflict> conflicts,
                                           const std::string& localZoneId, QWidget* parent)
    : QGroupBox(QStringLiteral("Changed on the server: nothing is sent for them until you choose"),
                parent),
      conflicts_(std::move(conflicts)),
      localZoneId_(localZoneId) {
    setObjectName(QStringLiteral("groupConflicts"));
    listConflicts = named(new QListWidget(this), QStringLiteral("listConflicts"),
                          QStringLiteral("Appointments changed on the server"));
    nameScrollAreaParts(listConflicts);
    tableVersions = named(new QTableWidget(static_cast<int>(std::size(kParts)), 2, this),
                          QStringLiteral("tableVersions"),
                          QStringLiteral("The planner's version and the server's"));
    nameScrollAreaParts(tableVersions);
    tableVersions->setHorizontalHeaderLabels(
        {QStringLiteral("In the planner"), QStringLiteral("On the server")});
    QStringList parts;
    for (const auto& [name, part] : kParts) {
        parts << QString::fromLatin1(name);
    }
    tableVersions->setVerticalHeaderLabels(parts);
    tableVersions->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    tableVersions->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tableVersions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableVersions->setWordWrap(false);
    tableVersions->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Each part on one line, whole in its tooltip; all parts in sight.
    tableVersions->setFixedHeight(tableVersions->horizontalHeader()->sizeHint().height() +
                                  tableVersions->verticalHeader()->length() +
                                  2 * tableVersions->frameWidth());
    buttonKeepServers =
        named(new QPushButton(QStringLiteral("&Keep the server's"), this),
              QStringLiteral("buttonKeepServers"), QStringLiteral("Keep the server's"));
    buttonPublishMine = named(new QPushButton(QStringLiteral("Publish &mine"), this),
                              QStringLiteral("buttonPublishMine"), QStringLiteral("Publish mine"));
    for (const auto& [uid, conflict] : conflicts_) {
        const ConflictVersion mine = conflictVersionOf(conflict.mine, localZoneId_);
        const ConflictVersion theirs = conflictVersionOf(conflict.theirs, localZoneId_);
        const ConflictVersion& shown = conflict.mine.empty() ? theirs : mine;
        auto* item = new QListWidgetItem(QString::fromStdString(shown.summary + ", " + shown.when),
                                         listConflicts);
        item->setData(kUidRole, QString::fromStdString(uid));
    }
    connect(listConflicts, &QListWidget::currentRowChanged, this,
            &PublishConflictsView::showVersions);
    connect(buttonKeepServers, &QPushButton::clicked, this,
            [this] { choose(ConflictChoice::keepTheirs); });
    connect(buttonPublishMine, &QPushButton::clicked, this,
            [this] { choose(ConflictChoice::publishMine); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(buttonKeepServers);
    buttons->addWidget(buttonPublishMine);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listConflicts);
    layout->addWidget(tableVersions);
    layout->addLayout(buttons);
    // A few appointments at a time; the two versions whole, their rows as tall as their texts.
    listConflicts->setMaximumHeight(listConflicts->sizeHintForRow(0) * 4 +
                                    2 * listConflicts->frameWidth());
    listConflicts->setCurrentRow(0);
    showVersions();
    setVisible(!conflicts_.empty());
}

void PublishConflictsView::showVersions() {
    QListWidgetItem* current = listConflicts->currentItem();
    buttonKeepServers->setEnabled(current != nullptr);
    buttonPublishMine->setEnabled(current != nullptr);
    tableVersions->clearContents();
    if (current == nullptr) {
        return;
    }
    const PublishConflict& conflict =
        conflicts_.at(current->data(kUidRole).toString().toStdString());
    int column = 0;
    for (const std::string* calendarText : {&conflict.mine, &conflict.theirs}) {
        const ConflictVersion version = conflictVersionOf(*calendarText, localZoneId_);
        int row = 0;
        for (const auto& [name, part] : kParts) {
            const QString text = QString::fromStdString(version.*part);
            auto* cell = new QTableWidgetItem(QString(text).replace('\n', QStringLiteral(" / ")));
            cell->setToolTip(text);
            tableVersions->setItem(row++, column, cell);
        }
        ++column;
    }
}

void PublishConflictsView::choose(ConflictChoice choice) {
    QListWidgetItem* current = listConflicts->currentItem();
    if (current == nullptr) {
        return;
    }
    const std::string uid = current->data(kUidRole).toString().toStdString();
    choices_[uid] = choice;
    conflicts_.erase(uid);
    delete current;
    showVersions();
}

}  // namespace kalvo
