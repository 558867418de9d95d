#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for download tests: answers each path from a table of
// canned responses (404 for any other), one request per connection, and keeps every request it
// got. It runs in the test's own event loop; nothing ever leaves the machine.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <memory>
#include <vector>

namespace tallomer::test {

class LocalHttpServer final : public QObject {
public:
    using Headers = QList<std::pair<QByteArray, QByteArray>>;
    struct Response {
        Response(QByteArray b = {}, Headers h = {}, int s = 200, QByteArray r = "OK")
            : status(s), reason(std::move(r)), headers(std::move(h)), body(std::move(b))
        {
        }
        // Transfer-Encoding: chunked, no Content-Length.
        Response& chunk() { return chunked = true, *this; }
        // Content-Length sent, half the body, then silence.
        Response& stalled() { return stall = true, *this; }

        int status;
        QByteArray reason;
        Headers headers;
        QByteArray body;
        bool chunked = false;
        bool stall = false;
    };
    struct Request {
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers; // names in lower case
    };

    LocalHttpServer()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] { accept(); });
    }
    ~LocalHttpServer() override
    {
        for (const QPointer<QTcpSocket>& s : open_)
            if (s)
                s->abort();
    }

    bool listening() const { return server_.isListening(); }
    QUrl url(const QByteArray& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(QString::fromLatin1(path)));
    }
    void route(const QByteArray& path, Response response) { routes_[path] = std::move(response); }
    // A redirect of that status to `location`.
    void redirect(const QByteArray& path, const QByteArray& location, int status = 302)
    {
        route(path, Response({}, {{"Location", location}}, status, "Found"));
    }

    std::vector<Request> requests;

private:
    void accept()
    {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            open_.append(socket);
            auto buffer = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
                *buffer += socket->readAll();
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end >= 0) {
                    answer(socket, buffer->left(end));
                    buffer->clear();
                }
            });
        }
    }

    void answer(QTcpSocket* socket, const QByteArray& head)
    {
        Request request;
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.path = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        requests.push_back(request);
        const Response r = routes_.value(request.path, Response("<html><body>not here</body></html>",
                                                                  {{"Content-Type", "text/html"}}, 404, "Not Found"));
        QByteArray out = "HTTP/1.1 " + QByteArray::number(r.status) + ' ' + r.reason + "\r\n";
        for (const auto& [name, value] : r.headers)
            out += name + ": " + value + "\r\n";
        if (r.chunked)
            out += "Transfer-Encoding: chunked\r\n";
        else
            out += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
        out += "Connection: close\r\n\r\n";
        if (r.chunked) {
            for (qsizetype i = 0; i < r.body.size(); i += 1000) {
                const QByteArray piece = r.body.mid(i, 1000);
                out += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
            }
            out += "0\r\n\r\n";
        } else {
            out += r.stall ? r.body.left(r.body.size() / 2) : r.body;
        }
        socket->write(out);
        if (!r.stall)
            socket->disconnectFromHost();
    }

    QTcpServer server_;
    QMap<QByteArray, Response> routes_;
    QList<QPointer<QTcpSocket>> open_;
};

} // namespace tallomer::test
