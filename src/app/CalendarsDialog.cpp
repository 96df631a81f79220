#include "app/CalendarsDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

#include "app/CalDavAccountDialog.h"
#include "app/PublishConflictsView.h"
#include "export/CalendarExport.h"
#include "gui/AccessibleNames.h"
#include "gui/CalendarDownloads.h"
#include "gui/StoredColor.h"

namespace kalvo {

CalendarsDialog::CalendarsDialog(std::vector<Subscription> subscriptions, int refreshMinutes,
                                 const PublishTarget& publishing,
                                 std::map<std::string, PublishConflict> conflicts, QString folder,
                                 TrustedCertificates& trusted, QWidget* parent)
    : QDialog(parent),
      subscriptions_(std::move(subscriptions)),
      folder_(std::move(folder)),
      trusted_(trusted),
      publishedTo_(publishing.url) {
    setObjectName(QStringLiteral("CalendarsDialog"));
    setWindowTitle(QStringLiteral("Calendars"));
    auto* note =
        new QLabel(QStringLiteral("The day shows the events of the ticked calendars at the "
                                  "left edge of the Actual column, read-only."),
                   this);
    note->setWordWrap(true);
    listCalendars =
        named(new QListWidget(this), QStringLiteral("listCalendars"), QStringLiteral("Calendars"));
    nameScrollAreaParts(listCalendars);
    const auto button = [this](const QString& name, const QString& caption) {
        auto* made = new QPushButton(caption, this);
        made->setObjectName(name);
        made->setAccessibleName(
            QString(caption).remove(QLatin1Char('&')).remove(QStringLiteral("...")));
        return made;
    };
    buttonAddFile = button(QStringLiteral("buttonAddFile"), QStringLiteral("&Add File..."));
    buttonAddAddress =
        button(QStringLiteral("buttonAddAddress"), QStringLiteral("Add A&ddress..."));
    buttonAddAccount =
        button(QStringLiteral("buttonAddAccount"), QStringLiteral("Add CalDAV A&ccount..."));
    buttonRename = button(QStringLiteral("buttonRename"), QStringLiteral("Re&name..."));
    buttonColor = button(QStringLiteral("buttonColor"), QStringLiteral("C&olour..."));
    buttonRemove = button(QStringLiteral("buttonRemove"), QStringLiteral("&Remove"));
    buttonRemoveAccount =
        button(QStringLiteral("buttonRemoveAccount"), QStringLiteral("Remove Acco&unt"));
    connect(buttonAddFile, &QPushButton::clicked, this, &CalendarsDialog::addFile);
    connect(buttonAddAddress, &QPushButton::clicked, this, &CalendarsDialog::addAddress);
    connect(buttonAddAccount, &QPushButton::clicked, this, &CalendarsDialog::addAccount);
    connect(buttonRename, &QPushButton::clicked, this, &CalendarsDialog::renameCurrent);
    connect(buttonColor, &QPushButton::clicked, this, &CalendarsDialog::recolorCurrent);
    connect(buttonRemove, &QPushButton::clicked, this, &CalendarsDialog::removeCurrent);
    connect(buttonRemoveAccount, &QPushButton::clicked, this,
            &CalendarsDialog::removeCurrentAccount);
    connect(listCalendars, &QListWidget::currentRowChanged, this, &CalendarsDialog::enableButtons);
    connect(listCalendars, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        subscriptions_.at(static_cast<std::size_t>(listCalendars->row(item))).shown =
            item->checkState() == Qt::Checked;
    });

    spinRefreshMinutes =
        named(new QSpinBox(this), QStringLiteral("spinRefreshMinutes"),
              QStringLiteral("Fetch the calendars on the web and the servers every"));
    spinRefreshMinutes->setRange(1, 24 * 60);
    spinRefreshMinutes->setSuffix(QStringLiteral(" minutes"));
    spinRefreshMinutes->setValue(refreshMinutes);
    auto* refreshLabel =
        new QLabel(QStringLiteral("&Fetch the calendars on the web and the servers every"), this);
    refreshLabel->setBuddy(spinRefreshMinutes);
    auto* refresh = new QHBoxLayout;
    refresh->addWidget(refreshLabel);
    refresh->addWidget(spinRefreshMinutes);
    refresh->addStretch();

    checkPublish =
        named(new QCheckBox(QStringLiteral("&Publish my appointments to"), this),
              QStringLiteral("checkPublish"), QStringLiteral("Publish my appointments to"));
    checkPublish->setChecked(publishing.on);
    comboPublishTarget = named(new QComboBox(this), QStringLiteral("comboPublishTarget"),
                               QStringLiteral("Calendar to publish to"));
    spinPublishDaysBack = named(new QSpinBox(this), QStringLiteral("spinPublishDaysBack"),
                                QStringLiteral("Days before today published"));
    spinPublishDaysAhead = named(new QSpinBox(this), QStringLiteral("spinPublishDaysAhead"),
                                 QStringLiteral("Days after today published"));
    for (QSpinBox* days : {spinPublishDaysBack, spinPublishDaysAhead}) {
        days->setRange(0, 3650);
        days->setSuffix(QStringLiteral(" days"));
    }
    spinPublishDaysBack->setValue(publishing.daysBack);
    spinPublishDaysAhead->setValue(publishing.daysAhead);
    auto* publish = new QHBoxLayout;
    publish->addWidget(checkPublish);
    publish->addWidget(comboPublishTarget, 1);
    auto* window = new QHBoxLayout;
    auto* backLabel = new QLabel(QStringLiteral("from"), this);
    auto* aheadLabel = new QLabel(QStringLiteral("before today to"), this);
    window->addWidget(backLabel);
    window->addWidget(spinPublishDaysBack);
    window->addWidget(aheadLabel);
    window->addWidget(spinPublishDaysAhead);
    window->addWidget(new QLabel(QStringLiteral("after"), this));
    window->addStretch();
    const auto enablePublishing = [this] {
        const bool on = checkPublish->isChecked() && comboPublishTarget->count() > 0;
        comboPublishTarget->setEnabled(on);
        spinPublishDaysBack->setEnabled(on);
        spinPublishDaysAhead->setEnabled(on);
    };
    connect(checkPublish, &QCheckBox::toggled, this, enablePublishing);
    buttonRemovePublished = button(QStringLiteral("buttonRemovePublished"),
                                   QStringLiteral("Remo&ve Published Appointments..."));
    buttonRemovePublished->setEnabled(!publishedTo_.empty());
    auto* removedNote = new QLabel(this);
    removedNote->setWordWrap(true);
    connect(buttonRemovePublished, &QPushButton::clicked, this, [this, removedNote] {
        const QString calendar = comboPublishTarget->itemText(
            comboPublishTarget->findData(QString::fromStdString(publishedTo_)));
        if (QMessageBox::question(
                this, QStringLiteral("Remove Published Appointments"),
                QStringLiteral("Remove the appointments Kalvo Planner published from %1? Those "
                               "changed on the server since are left there, and publishing is "
                               "turned off.")
                    .arg(calendar.isEmpty() ? QString::fromStdString(publishedTo_) : calendar)) !=
            QMessageBox::Yes) {
            return;
        }
        removePublished_ = true;
        checkPublish->setChecked(false);
        buttonRemovePublished->setEnabled(false);
        removedNote->setText(QStringLiteral("They are removed when this window closes."));
        removedNote->setAccessibleName(removedNote->text());
    });
    auto* removal = new QHBoxLayout;
    removal->addWidget(buttonRemovePublished);
    removal->addWidget(removedNote, 1);
    conflictsView = new PublishConflictsView(std::move(conflicts), localTimeZoneId(), this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto* side = new QVBoxLayout;
    for (QPushButton* control : {buttonAddFile, buttonAddAddress, buttonAddAccount, buttonRename,
                                 buttonColor, buttonRemove, buttonRemoveAccount}) {
        side->addWidget(control);
    }
    side->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(listCalendars, 1);
    middle->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(middle);
    layout->addLayout(refresh);
    layout->addLayout(publish);
    layout->addLayout(window);
    layout->addLayout(removal);
    layout->addWidget(conflictsView, 1);
    layout->addWidget(buttons);
    resize(560, conflictsView->isHidden() ? 380 : 720);
    showList(0);
    showPublishTargets(publishing.url);
    enablePublishing();
    connect(comboPublishTarget, &QComboBox::currentIndexChanged, this, enablePublishing);
}

void CalendarsDialog::showPublishTargets(const std::string& chosen) {
    const QSignalBlocker quiet(comboPublishTarget);
    comboPublishTarget->clear();
    for (const Subscription& calendar : subscriptions_) {
        if (calendar.calDav) {
            comboPublishTarget->addItem(
                QString::fromStdString(calendar.name + " (" + calendar.user + ")"),
                QString::fromStdString(calendar.source));
            if (calendar.source == chosen) {
                comboPublishTarget->setCurrentIndex(comboPublishTarget->count() - 1);
            }
        }
    }
    checkPublish->setEnabled(comboPublishTarget->count() > 0);
}

PublishTarget CalendarsDialog::publishTarget() const {
    PublishTarget target;
    const std::string url = comboPublishTarget->currentData().toString().toStdString();
    for (const Subscription& calendar : subscriptions_) {
        if (calendar.calDav && calendar.source == url) {
            target.url = url;
            target.user = calendar.user;
        }
    }
    target.daysBack = spinPublishDaysBack->value();
    target.daysAhead = spinPublishDaysAhead->value();
    target.on = checkPublish->isChecked() && !target.url.empty();
    return target;
}

const std::map<std::string, ConflictChoice>& CalendarsDialog::conflictChoices() const {
    return conflictsView->choices();
}

int CalendarsDialog::refreshMinutes() const {
    return spinRefreshMinutes->value();
}

void CalendarsDialog::showList(int current) {
    if (comboPublishTarget != nullptr) {
        showPublishTargets(comboPublishTarget->currentData().toString().toStdString());
    }
    const QSignalBlocker quiet(listCalendars);
    listCalendars->clear();
    for (const Subscription& subscription : subscriptions_) {
        QPixmap swatch(12, 12);
        swatch.fill(colorFromStored(subscription.color));
        auto* item = new QListWidgetItem(QIcon(swatch), QString::fromStdString(subscription.name),
                                         listCalendars);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(subscription.shown ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(QString::fromStdString(subscription.calDav ? subscription.source + " (" +
                                                                          subscription.user + ")"
                                                                    : subscription.source));
    }
    listCalendars->setCurrentRow(std::min(current, listCalendars->count() - 1));
    enableButtons();
}

void CalendarsDialog::enableButtons() {
    const bool chosen = listCalendars->currentRow() >= 0;
    for (QPushButton* control : {buttonRename, buttonColor, buttonRemove}) {
        control->setEnabled(chosen);
    }
    buttonRemoveAccount->setEnabled(
        chosen && subscriptions_.at(static_cast<std::size_t>(listCalendars->currentRow())).calDav);
}

void CalendarsDialog::addFile() {
    QFileDialog files(this, QStringLiteral("Add a Calendar File"), folder_);
    files.setObjectName(QStringLiteral("calendarFileDialog"));
    files.setFileMode(QFileDialog::ExistingFile);
    files.setNameFilters(
        {QStringLiteral("iCalendar files (*.ics *.ical *.ifb)"), QStringLiteral("All files (*)")});
    if (files.exec() != QDialog::Accepted || files.selectedFiles().isEmpty()) {
        return;
    }
    const QFileInfo file(files.selectedFiles().constFirst());
    folder_ = file.absolutePath();
    add(file.completeBaseName().toStdString(), file.absoluteFilePath().toStdString());
}

void CalendarsDialog::addAddress() {
    bool given = false;
    const QString address =
        QInputDialog::getText(this, QStringLiteral("Add a Calendar on the Web"),
                              QStringLiteral("&Address of the calendar (https://, webcal://):"),
                              QLineEdit::Normal, QString(), &given)
            .trimmed();
    if (!given || address.isEmpty()) {
        return;
    }
    const QUrl url(address);
    if (!url.isValid() || url.host().isEmpty() ||
        !CalendarDownloads::isAddress(address.toStdString())) {
        QMessageBox::warning(this, QStringLiteral("Kalvo Planner"),
                             QStringLiteral("\"%1\" is no address of a calendar on the web: it "
                                            "begins with https://, http:// or webcal://.")
                                 .arg(address));
        return;
    }
    const QString file = QFileInfo(url.path()).completeBaseName();
    add((file.isEmpty() ? url.host() : file).toStdString(), address.toStdString());
}

void CalendarsDialog::addAccount() {
    CalDavAccountDialog account(trusted_, this);
    if (account.exec() != QDialog::Accepted) {
        return;
    }
    for (Subscription& calendar : account.calendars(subscriptions_.size())) {
        const QString key = QString::fromStdString(accountOf(calendar));
        newPasswords_[key] = account.password();
        removedAccounts_.erase(key);
        // A calendar added again replaces the one there.
        std::erase_if(subscriptions_,
                      [&](const Subscription& kept) { return kept.source == calendar.source; });
        subscriptions_.push_back(std::move(calendar));
    }
    showList(static_cast<int>(subscriptions_.size()) - 1);
    if (!account.madeCalendar().empty()) {
        showPublishTargets(account.madeCalendar());
        checkPublish->setChecked(true);
    }
}

void CalendarsDialog::add(std::string name, std::string source) {
    subscriptions_.push_back(
        {std::move(name), std::move(source), subscriptionColor(subscriptions_.size()), true});
    showList(static_cast<int>(subscriptions_.size()) - 1);
}

void CalendarsDialog::renameCurrent() {
    const int row = listCalendars->currentRow();
    if (row < 0) {
        return;
    }
    Subscription& subscription = subscriptions_.at(static_cast<std::size_t>(row));
    bool given = false;
    const QString name =
        QInputDialog::getText(this, QStringLiteral("Rename Calendar"),
                              QStringLiteral("&Name in Kalvo Planner:"), QLineEdit::Normal,
                              QString::fromStdString(subscription.name), &given)
            .trimmed();
    if (given && !name.isEmpty()) {
        subscription.name = name.toStdString();
        showList(row);
    }
}

void CalendarsDialog::recolorCurrent() {
    const int row = listCalendars->currentRow();
    if (row < 0) {
        return;
    }
    Subscription& subscription = subscriptions_.at(static_cast<std::size_t>(row));
    const QColor color = QColorDialog::getColor(colorFromStored(subscription.color), this,
                                                QStringLiteral("Calendar Colour"));
    if (color.isValid()) {
        subscription.color = storedFromRgb(color);
        showList(row);
    }
}

void CalendarsDialog::removeCurrent() {
    const int row = listCalendars->currentRow();
    if (row < 0) {
        return;
    }
    subscriptions_.erase(subscriptions_.begin() + row);
    showList(row);
}

void CalendarsDialog::removeCurrentAccount() {
    const int row = listCalendars->currentRow();
    if (row < 0) {
        return;
    }
    const std::string account = accountOf(subscriptions_.at(static_cast<std::size_t>(row)));
    if (account.empty()) {
        return;
    }
    std::erase_if(subscriptions_,
                  [&](const Subscription& calendar) { return accountOf(calendar) == account; });
    newPasswords_.erase(QString::fromStdString(account));
    removedAccounts_.insert(QString::fromStdString(account));
    showList(row);
}

}  // namespace kalvo
