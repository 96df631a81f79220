#include "gui/CalDavCache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace kalvo {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

std::string standard(const QVariant& value) {
    return value.toString().toStdString();
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
    // A write-ahead log: a publish keeps what it did after each request, cheaply.
    return query.exec(QStringLiteral("PRAGMA journal_mode = WAL")) &&
           query.exec(QStringLiteral("PRAGMA synchronous = NORMAL")) &&
           query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS calendars "
                                     "(url TEXT PRIMARY KEY, token TEXT NOT NULL)")) &&
           query.exec(QStringLiteral(
               "CREATE TABLE IF NOT EXISTS resources (url TEXT NOT NULL, href TEXT NOT NULL, "
               "etag TEXT NOT NULL, data TEXT NOT NULL, PRIMARY KEY (url, href))")) &&
           query.exec(QStringLiteral(
               "CREATE TABLE IF NOT EXISTS published (calendar TEXT NOT NULL, uid TEXT NOT NULL, "
               "url TEXT NOT NULL, etag TEXT NOT NULL, hash TEXT NOT NULL, "
               "PRIMARY KEY (calendar, uid))")) &&
           query.exec(QStringLiteral(
               "CREATE TABLE IF NOT EXISTS conflicts (calendar TEXT NOT NULL, uid TEXT NOT NULL, "
               "url TEXT NOT NULL, mine TEXT NOT NULL, mine_hash TEXT NOT NULL, "
               "theirs TEXT NOT NULL, theirs_etag TEXT NOT NULL, PRIMARY KEY (calendar, uid))"));
}

PublishState CalDavCache::loadPublished(const std::string& url) const {
    PublishState state;
    QSqlQuery query(QSqlDatabase::database(connection_));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT uid, url, etag, hash FROM published WHERE calendar = ?"));
    query.addBindValue(text(url));
    if (query.exec()) {
        while (query.next()) {
            state.published.emplace(
                standard(query.value(0)),
                PublishedRecord{standard(query.value(1)), standard(query.value(2)),
                                standard(query.value(3))});
        }
    }
    query.prepare(
        QStringLiteral("SELECT uid, url, mine, mine_hash, theirs, theirs_etag "
                       "FROM conflicts WHERE calendar = ?"));
    query.addBindValue(text(url));
    if (query.exec()) {
        while (query.next()) {
            state.conflicts.emplace(
                standard(query.value(0)),
                PublishConflict{standard(query.value(1)), standard(query.value(2)),
                                standard(query.value(3)), standard(query.value(4)),
                                standard(query.value(5))});
        }
    }
    return state;
}

bool CalDavCache::storePublished(const std::string& url, const PublishState& state,
                                 const std::string& uid) {
    QSqlDatabase database = QSqlDatabase::database(connection_);
    if (!database.transaction()) {
        return false;
    }
    const bool one = !uid.empty();
    const QString only = one ? QStringLiteral(" AND uid = ?") : QString();
    QSqlQuery query(database);
    bool stored = true;
    for (const QString& table : {QStringLiteral("published"), QStringLiteral("conflicts")}) {
        stored =
            stored &&
            query.prepare(QStringLiteral("DELETE FROM %1 WHERE calendar = ?").arg(table) + only);
        query.addBindValue(text(url));
        if (one) {
            query.addBindValue(text(uid));
        }
        stored = stored && query.exec();
    }
    const auto kept = [&](const auto& entry) { return !one || entry.first == uid; };
    stored = stored &&
             query.prepare(QStringLiteral("INSERT INTO published (calendar, uid, url, etag, hash) "
                                          "VALUES (?, ?, ?, ?, ?)"));
    for (const auto& entry : state.published) {
        if (kept(entry)) {
            const PublishedRecord& record = entry.second;
            for (const std::string* value :
                 {&url, &entry.first, &record.url, &record.etag, &record.hash}) {
                query.addBindValue(text(*value));
            }
            stored = stored && query.exec();
        }
    }
    stored = stored && query.prepare(QStringLiteral(
                           "INSERT INTO conflicts (calendar, uid, url, mine, mine_hash, theirs, "
                           "theirs_etag) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (const auto& entry : state.conflicts) {
        if (kept(entry)) {
            const PublishConflict& conflict = entry.second;
            for (const std::string* value :
                 {&url, &entry.first, &conflict.url, &conflict.mine, &conflict.mineHash,
                  &conflict.theirs, &conflict.theirsEtag}) {
                query.addBindValue(text(*value));
            }
            stored = stored && query.exec();
        }
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
