#pragma once

#include <QDialog>
#include <QString>
#include <map>
#include <set>
#include <vector>

#include "calendars/Subscriptions.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QSpinBox;
class QPushButton;

namespace kalvo {

class TrustedCertificates;

// Tools > Other Calendars: the calendars the day shows beside its appointments. A calendar is
// an iCalendar file on the disk or on the web (http, https, webcal), or a calendar of a CalDAV
// account; each is ticked to be shown, and can be renamed and recoloured for this program or
// removed, an account with all its calendars. Nothing is ever changed where they come from.
class CalendarsDialog : public QDialog {
    Q_OBJECT

public:
    CalendarsDialog(std::vector<Subscription> subscriptions, int refreshMinutes,
                    const PublishTarget& publishing, QString folder, TrustedCertificates& trusted,
                    QWidget* parent);

    const std::vector<Subscription>& subscriptions() const { return subscriptions_; }
    int refreshMinutes() const;
    // Where the planner's own appointments are published: a CalDAV calendar of the list.
    PublishTarget publishTarget() const;
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
};

}  // namespace kalvo
