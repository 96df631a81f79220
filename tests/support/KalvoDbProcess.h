#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <string>

#include "support/TemporaryFolder.h"

namespace kalvo::test {

// Starts kalvo-db (KALVO_DB of the build) with `arguments`, the password of the test servers'
// user and a cache folder of the test's.
inline void startKalvoDb(QProcess& process, const QStringList& arguments,
                         const TemporaryFolder& cache) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("KALVO_CALDAV_PASSWORD", "secret");
    environment.insert("XDG_CACHE_HOME", QString::fromStdString(cache.path().string()));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KALVO_DB), arguments);
}

// kalvo-db's output for the command line `arguments`, with the password and a cache folder of
// the test's; the exit code must be 0.
inline std::string kalvoDb(const QStringList& arguments, const TemporaryFolder& cache) {
    QProcess process;
    startKalvoDb(process, arguments, cache);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
}

}  // namespace kalvo::test
