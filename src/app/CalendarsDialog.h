#pragma once

#include <QDialog>
#include <QString>
#include <map>
#include <set>
#include <vector>

#include "calendars/CalDavPublish.h"
#include "calendars/Subscriptions.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QSpinBox;
class QPushButton;

namespace kalvo {

class PublishConflictsView;
class TrustedCertificates;

// Tools > Other Calendars: the calendars the day shows beside its appointments. A calendar is
// an iCalendar file on the disk or on the web (http, https, webcal), or a calendar of a CalDAV
// account; each is ticked to be shown, and can be renamed and recoloured for this program or
// removed, an account with all its calendars. Nothing is ever changed where they come from,
// except the one calendar the planner publishes its own appointments to: its appointments
// changed there are listed for the user to choose a version, and what was published can be
// removed from it.
class CalendarsDialog : public QDialog {
    Q_OBJECT

public:
    // `conflicts`: the appointments changed on the calendar published to, by UID.
    CalendarsDialog(std::vector<Subscription> subscriptions, int refreshMinutes,
                    const PublishTarget& publishing,
                    std::map<std::string, PublishConflict> conflicts, QString folder,
                    TrustedCertificates& trusted, QWidget* parent);

    const std::vector<Subscription>& subscriptions() const { return subscriptions_; }
    int refreshMinutes() const;
    // Where the planner's own appointments are published: a CalDAV calendar of the list.
    PublishTarget publishTarget() const;
    // The versions chosen for the appointments changed on the calendar published to, by UID.
    const std::map<std::string, ConflictChoice>& conflictChoices() const;
    // Whether what was published to the calendar is to be removed from it; publishing is off
    // then.
    bool removePublished() const { return removePublished_; }
    // Where the last file was chosen.
    const QString& folder() const { return folder_; }
    // The passwords of the accounts added, to keep; the accounts removed, to forget.
    const std::map<QString, QString>& newPasswords() const { return newPasswords_; }
    const std::set<QString>& removedAccounts() const { return removedAccounts_; }

    QListWidget* listCalendars = nullptr;
    QPushButton* buttonAddFile = nullptr;
    QPushButton* buttonAddAddress = nullptr;
    QPushButton* buttonAddAccount = nullptr;
    QPushButton* buttonRename = nullptr;
    QPushButton* buttonColor = nullptr;
    QPushButton* buttonRemove = nullptr;
    QPushButton* buttonRemoveAccount = nullptr;
    QSpinBox* spinRefreshMinutes = nullptr;
    QCheckBox* checkPublish = nullptr;
    QComboBox* comboPublishTarget = nullptr;
    QSpinBox* spinPublishDaysBack = nullptr;
    QSpinBox* spinPublishDaysAhead = nullptr;
    QPushButton* buttonRemovePublished = nullptr;
    PublishConflictsView* conflictsView = nullptr;

private:
    void showList(int current);
    void addFile();
    void addAddress();
    void addAccount();
    void add(std::string name, std::string source);
    void renameCurrent();
    void recolorCurrent();
    void removeCurrent();
    void removeCurrentAccount();
    void enableButtons();
    // The CalDAV calendars of the list to publish to, the one chosen kept.
    void showPublishTargets(const std::string& chosen);

    std::vector<Subscription> subscriptions_;
    QString folder_;
    TrustedCertificates& trusted_;
    std::map<QString, QString> newPasswords_;
    std::set<QString> removedAccounts_;
    std::string publishedTo_;  // the calendar published to when the dialog opened
    bool removePublished_ = false;
};

}  // namespace kalvo
