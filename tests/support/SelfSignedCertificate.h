#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <string>

namespace kalvo::test {

// A self-signed certificate for 127.0.0.1 made by openssl (KALVO_OPENSSL) in `folder`: the
// certificate's file and its key's.
inline QStringList selfSignedCertificate(const std::filesystem::path& folder,
                                         const std::string& name) {
    const QString certificate = QString::fromStdString((folder / (name + ".pem")).string());
    const QString key = QString::fromStdString((folder / (name + ".key")).string());
    QProcess openssl;
    openssl.start(
        QStringLiteral(KALVO_OPENSSL),
        {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
         "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", certificate});
    EXPECT_TRUE(openssl.waitForFinished(30000) && openssl.exitCode() == 0)
        << openssl.readAllStandardError().toStdString();
    return {certificate, key};
}

}  // namespace kalvo::test
