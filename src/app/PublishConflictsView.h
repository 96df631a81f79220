#pragma once

#include <QGroupBox>
#include <map>
#include <string>

#include "calendars/CalDavPublish.h"

class QListWidget;
class QPushButton;
class QTableWidget;

namespace kalvo {

// The planner's appointments changed on the server since they were published, for the user to
// choose each one's version: the list, the two versions of the one chosen side by side (summary,
// times, repetition, planned times, comment), and "Keep the server's" or "Publish mine". A
// choice takes the appointment off the list; what was chosen is carried out by the owner.
class PublishConflictsView : public QGroupBox {
    Q_OBJECT

public:
    // `localZoneId`: the zone the times are shown in.
    PublishConflictsView(std::map<std::string, PublishConflict> conflicts,
                         const std::string& localZoneId, QWidget* parent);

    const std::map<std::string, ConflictChoice>& choices() const { return choices_; }

    QListWidget* listConflicts = nullptr;
    QTableWidget* tableVersions = nullptr;
    QPushButton* buttonKeepServers = nullptr;
    QPushButton* buttonPublishMine = nullptr;

private:
    void showVersions();
    void choose(ConflictChoice choice);

    std::map<std::string, PublishConflict> conflicts_;  // those not chosen yet
    std::string localZoneId_;
    std::map<std::string, ConflictChoice> choices_;
};

}  // namespace kalvo
