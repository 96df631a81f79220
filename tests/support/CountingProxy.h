#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <map>
#include <string>

#include "support/TemporaryFolder.h"

namespace kalvo::test {

// counting_proxy.py started between the program and a server on 127.0.0.1, to count the
// requests the program sends; stopped when this goes. The script and the Python that runs it
// come from the build: KALVO_TEST_SUPPORT and KALVO_TEST_PYTHON.
class CountingProxy {
public:
    explicit CountingProxy(int serverPort) : log_(QString::fromStdString(folder_.file("log"))) {
        process_.start(QStringLiteral(KALVO_TEST_PYTHON),
                       {QStringLiteral(KALVO_TEST_SUPPORT "/counting_proxy.py"), "0",
                        QString::number(serverPort), log_});
        // "ready PORT" once it listens.
        while (port_ == 0 && (process_.canReadLine() || process_.waitForReadyRead(30000))) {
            if (!process_.canReadLine()) {
                continue;  // a part of the line so far
            }
            const QByteArray line = process_.readLine().trimmed();
            if (line.startsWith("ready ")) {
                port_ = line.mid(6).toInt();
            }
        }
        if (port_ == 0) {
            ADD_FAILURE() << "The proxy did not start: "
                          << process_.readAllStandardError().toStdString();
        }
    }
    CountingProxy(const CountingProxy&) = delete;
    CountingProxy& operator=(const CountingProxy&) = delete;
    ~CountingProxy() {
        process_.kill();
        process_.waitForFinished();
    }

    // `url` of the server, through the proxy.
    QString through(const QString& url) const {
        const int path = static_cast<int>(url.indexOf('/', url.indexOf("://") + 3));
        return QStringLiteral("http://127.0.0.1:%1").arg(port_) + url.mid(path);
    }

    // The requests sent since the last call, counted by method.
    std::map<std::string, int> takeRequests() {
        std::map<std::string, int> counted;
        QFile log(log_);
        if (log.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> lines = log.readAll().split('\n');
            for (qsizetype line = taken_; line < lines.size(); ++line) {
                if (!lines[line].isEmpty()) {
                    ++counted[lines[line].split(' ').front().toStdString()];
                    taken_ = line + 1;
                }
            }
        }
        return counted;
    }

private:
    TemporaryFolder folder_;
    QString log_;
    QProcess process_;
    int port_ = 0;
    qsizetype taken_ = 0;
};

}  // namespace kalvo::test
