#include "LoopbackFeedServer.h"

#include <memory>

#include <QFile>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTimer>
#include <stdexcept>

namespace {

QByteArray readFile(const QString& name) {
    QFile file(QStringLiteral(TOVRA_TEST_DATA_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("missing test data " + name.toStdString());
    }
    return file.readAll();
}

QByteArray reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

}  // namespace

void LoopbackFeedServer::trustTestCertificate() {
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(QSslCertificate::fromData(readFile("loopback.crt")));
    QSslConfiguration::setDefaultConfiguration(configuration);
}

LoopbackFeedServer::LoopbackFeedServer(const QString& certificate) {
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(QSslCertificate(readFile(certificate + ".crt")));
    configuration.setPrivateKey(QSslKey(readFile(certificate + ".key"), QSsl::Rsa));
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    server_.setSslConfiguration(configuration);
    if (!server_.listen(QHostAddress::LocalHost, 0)) {
        throw std::runtime_error("cannot listen on loopback");
    }
    QObject::connect(&server_, &QTcpServer::pendingConnectionAvailable, &server_,
                     [this] { accept(); });
}

QUrl LoopbackFeedServer::baseURL() const {
    return QUrl(QStringLiteral("https://127.0.0.1:%1/").arg(server_.serverPort()));
}

void LoopbackFeedServer::accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        auto* buffer = new QByteArray;
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [socket, buffer] {
            delete buffer;
            socket->deleteLater();
        });
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            buffer->append(socket->readAll());
            if (!buffer->contains("\r\n\r\n") || buffer->startsWith("#")) {
                return;
            }
            const QList<QByteArray> requestLine = buffer->left(buffer->indexOf("\r\n")).split(' ');
            buffer->prepend("#");  // answered
            const QString path =
                requestLine.size() > 1 ? QString::fromUtf8(requestLine[1]) : QString();
            ++requests_;
            paths_ << path;
            const Response response =
                routes_.value(path, Response{404, QByteArray("<html>missing</html>"), 0});
            QTimer::singleShot(response.delayMs, socket, [socket, response] {
                const QByteArray head =
                    "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                    (response.reason.isNull() ? reasonPhrase(response.status) : response.reason) +
                    "\r\n" + response.headers +
                    "Content-Type: application/rss+xml\r\nContent-Length: " +
                    QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n\r\n";
                if (response.resetAfter >= 0) {
                    socket->write(head + response.body.left(response.resetAfter));
                    socket->flush();
                    QTimer::singleShot(50, socket, [socket] { socket->abort(); });
                    return;
                }
                if (response.dripMs > 0) {
                    socket->write(head);
                    auto* drip = new QTimer(socket);
                    auto sent = std::make_shared<qsizetype>(0);
                    QObject::connect(drip, &QTimer::timeout, socket, [socket, response, sent] {
                        if (*sent < response.body.size()) {
                            socket->write(response.body.mid((*sent)++, 1));
                        }
                    });
                    drip->start(response.dripMs);
                    return;
                }
                socket->write(head + response.body);
                socket->disconnectFromHost();
            });
        });
    }
}
