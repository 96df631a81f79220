#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "calendars/CalDavDiscovery.h"
#include "calendars/Subscriptions.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kalvo {

class CalDavClient;
class TrustedCertificates;

// Adds a CalDAV account: the address of its server (or of one calendar), a user name and a
// password. "Find Calendars" asks the server for the account's calendars, with their names and
// colours; the ticked ones are shown beside the day. "Make a "Kalvo Planner" Calendar" makes one
// in the account, for the planner to publish its appointments to.
class CalDavAccountDialog : public QDialog {
    Q_OBJECT

public:
    CalDavAccountDialog(TrustedCertificates& trusted, QWidget* parent);
    ~CalDavAccountDialog() override;

    // After OK: the account's calendars found, ticked ones shown, their colours from the
    // server or else `nextColor` onwards.
    std::vector<Subscription> calendars(std::size_t nextColor) const;
    QString password() const;
    // The calendar made for publishing to; empty when none was.
    const std::string& madeCalendar() const { return madeCalendar_; }

    QLineEdit* editAddress = nullptr;
    QLineEdit* editUser = nullptr;
    QLineEdit* editPassword = nullptr;
    QPushButton* buttonFind = nullptr;
    QPushButton* buttonMakeCalendar = nullptr;
    QListWidget* listFound = nullptr;
    QLabel* labelFindStatus = nullptr;

private:
    void find();
    void makeCalendar();
    void takeMadeCalendar(const DiscoveredCalendar& calendar);
    void addFound(const DiscoveredCalendar& calendar);
    void showStatus(const QString& status);

    TrustedCertificates& trusted_;
    std::unique_ptr<CalDavClient> client_;
    std::vector<DiscoveredCalendar> found_;
    QString address_;            // where the calendars were asked for
    bool accountFound_ = false;  // the account answered there
    std::string madeCalendar_;
    QPushButton* okButton_ = nullptr;
};

}  // namespace kalvo
