#include "gui/CalDavCache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

namespace kalvo {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

}  // namespace

CalDavCache::CalDavCache(const QString& file)
    : file_(file), connection_(QUuid::createUuid().toString()) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!open()) {
        // Unreadable: it is only a copy, made again from the servers.
        QSqlDatabase::database(connection_).close();
        QFile::remove(file_);
        open();
    }
}

CalDavCache::~CalDavCache() {
    QSqlDatabase::database(connection_).close();
    QSqlDatabase::removeDatabase(connection_);
}

bool CalDavCache::open() {
    QSqlDatabase database = QSqlDatabase::contains(connection_)
                                ? QSqlDatabase::database(connection_, false)
                                : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    database.setDatabaseName(file_);
    if (!database.open()) {
        return false;
    }
    QSqlQuery query(database);
    return query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS calendars "
                                     "(url TEXT PRIMARY KEY, token TEXT NOT NULL)")) &&
           query.exec(QStringLiteral(
               "CREATE TABLE IF NOT EXISTS resources (url TEXT NOT NULL, href TEXT NOT NULL, "
               "etag TEXT NOT NULL, data TEXT NOT NULL, PRIMARY KEY (url, href))")) &&
           query.exec(QStringLiteral(
               "CREATE TABLE IF NOT EXISTS published (calendar TEXT NOT NULL, uid TEXT NOT NULL, "
               "url TEXT NOT NULL, etag TEXT NOT NULL, hash TEXT NOT NULL, "
               "PRIMARY KEY (calendar, uid))"));
}

PublishState CalDavCache::loadPublished(const std::string& url) const {
    PublishState state;
    QSqlQuery query(QSqlDatabase::database(connection_));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT uid, url, etag, hash FROM published WHERE calendar = ?"));
    query.addBindValue(text(url));
    if (query.exec()) {
        while (query.next()) {
            state.emplace(query.value(0).toString().toStdString(),
                          PublishedRecord{query.value(1).toString().toStdString(),
                                          query.value(2).toString().toStdString(),
                                          query.value(3).toString().toStdString()});
        }
    }
    return state;
}

bool CalDavCache::storePublished(const std::string& url, const PublishState& state) {
    QSqlDatabase database = QSqlDatabase::database(connection_);
    if (!database.transaction()) {
        return false;
    }
    QSqlQuery query(database);
    bool stored = query.prepare(QStringLiteral("DELETE FROM published WHERE calendar = ?"));
    query.addBindValue(text(url));
    stored = stored && query.exec() &&
             query.prepare(QStringLiteral("INSERT INTO published (calendar, uid, url, etag, hash) "
                                          "VALUES (?, ?, ?, ?, ?)"));
    for (const auto& [uid, record] : state) {
        query.addBindValue(text(url));
        query.addBindValue(text(uid));
        query.addBindValue(text(record.url));
        query.addBindValue(text(record.etag));
        query.addBindValue(text(record.hash));
        stored = stored && query.exec();
    }
    if (!stored || !database.commit()) {
        database.rollback();
        return false;
    }
    return true;
}

CalendarCache CalDavCache::load(const std::string& url) const {
    const QSqlDatabase database = QSqlDatabase::database(connection_);
    CalendarCache cache;
    QSqlQuery token(database);
    token.prepare(QStringLiteral("SELECT token FROM calendars WHERE url = ?"));
    token.addBindValue(text(url));
    if (!token.exec() || !token.next()) {
        return cache;
    }
    cache.syncToken = token.value(0).toString().toStdString();
    QSqlQuery resources(database);
    resources.setForwardOnly(true);
    resources.prepare(QStringLiteral("SELECT href, etag, data FROM resources WHERE url = ?"));
    resources.addBindValue(text(url));
    if (!resources.exec()) {
        return {};
    }
    while (resources.next()) {
        cache.resources.emplace(resources.value(0).toString().toStdString(),
                                CachedResource{resources.value(1).toString().toStdString(),
                                               resources.value(2).toString().toStdString()});
    }
    return cache;
}

bool CalDavCache::store(const std::string& url, const CalDavSync& sync) {
    QSqlDatabase database = QSqlDatabase::database(connection_);
    if (!database.transaction()) {
        return false;
    }
    QSqlQuery query(database);
    bool stored = query.prepare(
        QStringLiteral("INSERT OR REPLACE INTO calendars (url, token) VALUES (?, ?)"));
    query.addBindValue(text(url));
    query.addBindValue(text(sync.result().syncToken));
    stored = stored && query.exec();
    stored =
        stored && query.prepare(QStringLiteral("DELETE FROM resources WHERE url = ? AND href = ?"));
    for (const std::string& href : sync.removed()) {
        query.addBindValue(text(url));
        query.addBindValue(text(href));
        stored = stored && query.exec();
    }
    stored =
        stored &&
        query.prepare(QStringLiteral("INSERT OR REPLACE INTO resources (url, href, etag, data) "
                                     "VALUES (?, ?, ?, ?)"));
    for (const std::string& href : sync.fetched()) {
        const CachedResource& resource = sync.result().resources.at(href);
        query.addBindValue(text(url));
        query.addBindValue(text(href));
        query.addBindValue(text(resource.etag));
        query.addBindValue(text(resource.data));
        stored = stored && query.exec();
    }
    if (!stored || !database.commit()) {
        database.rollback();
        return false;
    }
    return true;
}

void CalDavCache::forget(const std::string& url) {
    QSqlDatabase database = QSqlDatabase::database(connection_);
    database.transaction();
    QSqlQuery query(database);
    for (const QString& table : {QStringLiteral("calendars"), QStringLiteral("resources")}) {
        query.prepare(QStringLiteral("DELETE FROM %1 WHERE url = ?").arg(table));
        query.addBindValue(text(url));
        query.exec();
    }
    database.commit();
}

}  // namespace kalvo
