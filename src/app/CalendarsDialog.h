#pragma once

#include <QDialog>
#include <vector>

#include "calendars/Subscriptions.h"

class QListWidget;
class QSpinBox;
class QPushButton;

namespace kalvo {

// Tools > Other Calendars: the calendars the day shows beside its appointments. A calendar is
// an iCalendar file on the disk or on the web (http, https, webcal); each is ticked to be shown,
// and can be renamed and recoloured for this program or removed. The file itself is never changed.
class CalendarsDialog : public QDialog {
    Q_OBJECT

public:
    CalendarsDialog(std::vector<Subscription> subscriptions, int refreshMinutes, QString folder,
                    QWidget* parent);

    const std::vector<Subscription>& subscriptions() const { return subscriptions_; }
    int refreshMinutes() const;
    // Where the last file was chosen.
    const QString& folder() const { return folder_; }

    QListWidget* listCalendars = nullptr;
    QPushButton* buttonAddFile = nullptr;
    QPushButton* buttonAddAddress = nullptr;
    QPushButton* buttonRename = nullptr;
    QPushButton* buttonColor = nullptr;
    QPushButton* buttonRemove = nullptr;
    QSpinBox* spinRefreshMinutes = nullptr;

private:
    void showList(int current);
    void addFile();
    void addAddress();
    void add(std::string name, std::string source);
    void renameCurrent();
    void recolorCurrent();
    void removeCurrent();
    void enableButtons();

    std::vector<Subscription> subscriptions_;
    QString folder_;
};

}  // namespace kalvo
