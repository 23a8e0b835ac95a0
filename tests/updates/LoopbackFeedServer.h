#pragma once

#include <QByteArray>
#include <QMap>
#include <QSslServer>
#include <QString>
#include <QUrl>

/// An HTTPS server on 127.0.0.1 with the test certificate, answering GETs from a table of
/// paths; other paths get 404. Clients trust it after `trustTestCertificate`.
class LoopbackFeedServer final {
  public:
    struct Response {
        int status = 200;
        QByteArray body;
        int delayMs = 0;
        /// More than zero: the body comes one byte every so many milliseconds.
        int dripMs = 0;
        /// Zero or more: the connection is reset after so many bytes of the body.
        int resetAfter = -1;
        /// The status line's reason phrase, when not the usual one.
        QByteArray reason{};
        /// More header lines, each ending in "\r\n" ("Location: ...").
        QByteArray headers{};
    };

    /// Serves with the certificate named so in the test data: "loopback", which clients
    /// trust after `trustTestCertificate`, or "untrusted", which nobody trusts.
    explicit LoopbackFeedServer(const QString& certificate = QStringLiteral("loopback"));
    /// Adds the test certificate to the default TLS configuration's authorities.
    static void trustTestCertificate();

    void serve(const QString& path, Response response) { routes_[path] = std::move(response); }
    [[nodiscard]] QUrl baseURL() const;
    [[nodiscard]] int requestCount() const { return requests_; }
    [[nodiscard]] const QStringList& paths() const { return paths_; }

  private:
    void accept();

    QSslServer server_;
    QMap<QString, Response> routes_;
    int requests_ = 0;
    QStringList paths_;
};
