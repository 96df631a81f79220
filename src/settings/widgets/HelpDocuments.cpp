#include "settings/widgets/HelpDocuments.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace kalvo {

QString programDocumentsFolder() {
    const QString programFolder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    const QString installed =
        QDir::cleanPath(programFolder + QStringLiteral("../share/kalvo-planner")) +
        QLatin1Char('/');
    const bool beside = QDir(programFolder + QString::fromLatin1(helpFolderName)).exists();
    return beside || !QDir(installed).exists() ? programFolder : installed;
}

QString programDocumentPath(const QString& programFolder, const QString& relativeName) {
    QString path = programFolder;
    if (!path.endsWith(QLatin1Char('/')) && !path.endsWith(QDir::separator())) {
        path += QLatin1Char('/');
    }
    return path + relativeName;
}

void openDocument(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void openWebSite() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(webSiteAddress)));
}

void sendMailToSupport() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(supportMailAddress)));
}

}  // namespace kalvo
