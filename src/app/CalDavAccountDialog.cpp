#include "app/CalDavAccountDialog.h"

#include <algorithm>

#include <QColor>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/AccessibleNames.h"
#include "gui/CalDavClient.h"
#include "gui/StoredColor.h"

namespace kalvo {
namespace {

// A calendar's colour as the server gave it, "#RRGGBBAA" or "#RRGGBB": the alpha is left out.
// Invalid when it gave none.
QColor colorOf(const DiscoveredCalendar& calendar) {
    return QColor(QString::fromStdString(calendar.color.substr(0, 7)));
}

}  // namespace

CalDavAccountDialog::CalDavAccountDialog(TrustedCertificates& trusted, QWidget* parent)
    : QDialog(parent), trusted_(trusted) {
    setObjectName(QStringLiteral("CalDavAccountDialog"));
    setWindowTitle(QStringLiteral("Add CalDAV Account"));
    editAddress = named(new QLineEdit(this), QStringLiteral("editAddress"),
                        QStringLiteral("Server or calendar address"));
    editAddress->setPlaceholderText(QStringLiteral("https://dav.example.org"));
    editUser = named(new QLineEdit(this), QStringLiteral("editUser"), QStringLiteral("User name"));
    editPassword =
        named(new QLineEdit(this), QStringLiteral("editPassword"), QStringLiteral("Password"));
    editPassword->setEchoMode(QLineEdit::Password);
    buttonFind = named(new QPushButton(QStringLiteral("&Find Calendars"), this),
                       QStringLiteral("buttonFind"), QStringLiteral("Find Calendars"));
    buttonMakeCalendar =
        named(new QPushButton(QStringLiteral("&Make a \"Kalvo Planner\" Calendar"), this),
              QStringLiteral("buttonMakeCalendar"),
              QStringLiteral("Make a Kalvo Planner calendar to publish to"));
    buttonMakeCalendar->setEnabled(false);
    listFound = named(new QListWidget(this), QStringLiteral("listFound"),
                      QStringLiteral("Calendars of the account"));
    nameScrollAreaParts(listFound);
    labelFindStatus = named(new QLabel(this), QStringLiteral("labelFindStatus"));
    labelFindStatus->setWordWrap(true);
    showStatus(QStringLiteral("The password is kept in the desktop's secret store."));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Address:"), editAddress);
    form->addRow(QStringLiteral("&User name:"), editUser);
    form->addRow(QStringLiteral("&Password:"), editPassword);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton_ = buttons->button(QDialogButtonBox::Ok);
    okButton_->setText(QStringLiteral("&Add Calendars"));
    okButton_->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttonFind, &QPushButton::clicked, this, &CalDavAccountDialog::find);
    connect(buttonMakeCalendar, &QPushButton::clicked, this, &CalDavAccountDialog::makeCalendar);
    buttonFind->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto* actions = new QHBoxLayout;
    actions->addWidget(buttonFind);
    actions->addWidget(buttonMakeCalendar);
    actions->addStretch();
    layout->addLayout(actions);
    layout->addWidget(listFound, 1);
    layout->addWidget(labelFindStatus);
    layout->addWidget(buttons);
    resize(440, 360);
}

CalDavAccountDialog::~CalDavAccountDialog() = default;

void CalDavAccountDialog::showStatus(const QString& status) {
    labelFindStatus->setText(status);
    labelFindStatus->setAccessibleName(status);
}

void CalDavAccountDialog::find() {
    QString address = editAddress->text().trimmed();
    if (address.isEmpty()) {
        showStatus(QStringLiteral("Give the address of the server or of a calendar."));
        editAddress->setFocus();
        return;
    }
    if (!address.contains(QStringLiteral("://"))) {
        address.prepend(QStringLiteral("https://"));
    }
    // A user name and password written into the address go into their fields, so that the
    // address kept in the settings and shown in messages holds neither.
    QUrl url(address);
    if (!url.userInfo().isEmpty()) {
        editUser->setText(url.userName());
        if (!url.password().isEmpty()) {
            editPassword->setText(url.password());
        }
        url.setUserInfo(QString());
        address = url.toString();
        editAddress->setText(address);
    }
    found_.clear();
    listFound->clear();
    madeCalendar_.clear();
    address_ = address;
    accountFound_ = false;
    okButton_->setEnabled(false);
    buttonFind->setEnabled(false);
    buttonMakeCalendar->setEnabled(false);
    showStatus(QStringLiteral("Asking %1 for the calendars...").arg(address));
    client_ = std::make_unique<CalDavClient>(editUser->text(), editPassword->text(), &trusted_);
    connect(client_.get(), &CalDavClient::discovered, this,
            [this](const std::vector<DiscoveredCalendar>& calendars) {
                buttonFind->setEnabled(true);
                accountFound_ = true;
                buttonMakeCalendar->setEnabled(true);
                for (const DiscoveredCalendar& calendar : calendars) {
                    addFound(calendar);
                }
                if (found_.empty()) {
                    showStatus(QStringLiteral("The account has no calendar of events."));
                    return;
                }
                listFound->setCurrentRow(0);
                okButton_->setEnabled(true);
                okButton_->setDefault(true);
                showStatus((found_.size() == 1
                                ? QStringLiteral("Found 1 calendar.")
                                : QStringLiteral("Found %1 calendars.").arg(found_.size())) +
                           QStringLiteral(" The ticked ones are shown beside the day."));
            });
    connect(client_.get(), &CalDavClient::calendarMade, this,
            &CalDavAccountDialog::takeMadeCalendar);
    connect(client_.get(), &CalDavClient::failed, this, [this](const QString& reason) {
        buttonFind->setEnabled(true);
        buttonMakeCalendar->setEnabled(accountFound_);
        showStatus(reason);
    });
    client_->discover(address.toStdString());
}

void CalDavAccountDialog::addFound(const DiscoveredCalendar& calendar) {
    found_.push_back(calendar);
    auto* item = new QListWidgetItem(QString::fromStdString(calendar.name), listFound);
    if (const QColor color = colorOf(calendar); color.isValid()) {
        QPixmap swatch(12, 12);
        swatch.fill(color);
        item->setIcon(QIcon(swatch));
    }
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    item->setToolTip(QString::fromStdString(calendar.url));
}

void CalDavAccountDialog::takeMadeCalendar(const DiscoveredCalendar& calendar) {
    madeCalendar_ = calendar.url;
    if (std::none_of(found_.begin(), found_.end(),
                     [&](const DiscoveredCalendar& one) { return one.url == calendar.url; })) {
        addFound(calendar);
    }
    okButton_->setEnabled(true);
    okButton_->setDefault(true);
    showStatus(
        QStringLiteral("The calendar \"Kalvo Planner\" is there: your appointments are "
                       "published to it once the calendars are added."));
}

void CalDavAccountDialog::makeCalendar() {
    buttonMakeCalendar->setEnabled(false);
    showStatus(QStringLiteral("Making the calendar \"Kalvo Planner\"..."));
    // The client that found the calendars asks, with the same password.
    client_->makeCalendar(address_.toStdString());
}

std::vector<Subscription> CalDavAccountDialog::calendars(std::size_t nextColor) const {
    std::vector<Subscription> calendars;
    for (std::size_t i = 0; i < found_.size(); ++i) {
        const DiscoveredCalendar& found = found_[i];
        const QColor color = colorOf(found);
        calendars.push_back(
            {found.name, found.url,
             color.isValid() ? storedFromRgb(color) : subscriptionColor(nextColor + i),
             listFound->item(static_cast<int>(i))->checkState() == Qt::Checked, true,
             editUser->text().toStdString()});
    }
    return calendars;
}

QString CalDavAccountDialog::password() const {
    return editPassword->text();
}

}  // namespace kalvo
