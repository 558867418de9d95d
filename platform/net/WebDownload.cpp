#include "platform/net/WebDownload.h"

#include "platform/files/SafeFileName.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <unistd.h>

namespace tallomer {

namespace {

constexpr char kInactivity[] = "inactivity";

bool isWebScheme(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

bool isHtmlType(const QByteArray& contentType)
{
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    return type == "text/html" || type == "application/xhtml+xml";
}

bool hasHtmlExtension(const QString& name)
{
    const QString lower = name.toLower();
    return lower.endsWith(QLatin1String(".html")) || lower.endsWith(QLatin1String(".htm"));
}

// Text as the server sent it: UTF-8 when it is valid UTF-8, else ISO 8859-1.
QString decodeHeaderText(const QByteArray& bytes)
{
    const QString utf8 = QString::fromUtf8(bytes);
    if (!utf8.contains(QChar::ReplacementCharacter))
        return utf8;
    return QString::fromLatin1(bytes);
}

// The parameters of a header value, as (lower-case name, raw value) pairs; quoted values are
// unquoted with their escapes undone.
QList<std::pair<QByteArray, QByteArray>> headerParameters(const QByteArray& value)
{
    QList<std::pair<QByteArray, QByteArray>> out;
    qsizetype i = value.indexOf(';');
    while (i >= 0 && i < value.size()) {
        ++i; // past ';'
        while (i < value.size() && (value.at(i) == ' ' || value.at(i) == '\t'))
            ++i;
        const qsizetype eq = value.indexOf('=', i);
        const qsizetype semi = value.indexOf(';', i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            i = semi;
            continue;
        }
        const QByteArray name = value.mid(i, eq - i).trimmed().toLower();
        qsizetype j = eq + 1;
        while (j < value.size() && (value.at(j) == ' ' || value.at(j) == '\t'))
            ++j;
        QByteArray raw;
        if (j < value.size() && value.at(j) == '"') {
            ++j;
            while (j < value.size() && value.at(j) != '"') {
                if (value.at(j) == '\\' && j + 1 < value.size())
                    ++j;
                raw += value.at(j++);
            }
            i = value.indexOf(';', j);
        } else {
            const qsizetype end = value.indexOf(';', j);
            raw = value.mid(j, end < 0 ? -1 : end - j).trimmed();
            i = end;
        }
        out.append({name, raw});
    }
    return out;
}

// filename*=charset'language'percent-encoded (RFC 8187).
QString extendedValue(const QByteArray& raw)
{
    const QList<QByteArray> parts = raw.split('\'');
    if (parts.size() != 3)
        return QString();
    const QByteArray bytes = QByteArray::fromPercentEncoding(parts[2]);
    if (parts[0].toLower() == "iso-8859-1")
        return QString::fromLatin1(bytes);
    return decodeHeaderText(bytes);
}

} // namespace

QNetworkAccessManager& WebDownload::network()
{
    // Made with the application and gone with it, never after it.
    static QPointer<QNetworkAccessManager> manager;
    if (!manager) {
        manager = new QNetworkAccessManager(QCoreApplication::instance());
        // No credentials are ever given: the request then ends with its 401 or 407.
        QObject::connect(manager, &QNetworkAccessManager::authenticationRequired, manager,
                         [](QNetworkReply*, QAuthenticator*) {});
        QObject::connect(manager, &QNetworkAccessManager::proxyAuthenticationRequired, manager,
                         [](const QNetworkProxy&, QAuthenticator*) {});
    }
    return *manager;
}

QString WebDownload::fileNameFromContentDisposition(const QByteArray& value)
{
    QString plain;
    for (const auto& [name, raw] : headerParameters(value)) {
        if (name == "filename*") {
            const QString extended = extendedValue(raw);
            if (!extended.isEmpty())
                return extended;
        } else if (name == "filename" && plain.isEmpty()) {
            plain = decodeHeaderText(raw);
        }
    }
    return plain;
}

QString WebDownload::fileNameForResponse(const QByteArray& contentDisposition, const QUrl& finalUrl,
                                         const QByteArray& contentType)
{
    QString name = fileNameFromContentDisposition(contentDisposition);
    if (name.trimmed().isEmpty()) {
        const QStringList segments = finalUrl.path(QUrl::FullyDecoded).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        name = segments.isEmpty() ? finalUrl.host() : segments.last();
    }
    if (isHtmlType(contentType) && !hasHtmlExtension(name))
        name += QStringLiteral(".html");
    return name;
}

WebDownload::WebDownload(const QUrl& url, const QString& folder, WebDownloadDelegate& delegate,
                         const QString& replaceable, WebDownloadLimits limits)
    : url_(url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment)), folder_(QDir::cleanPath(folder)),
      replaceable_(replaceable), delegate_(delegate), limits_(limits)
{
}

WebDownload::~WebDownload() { cancel(); }

QUrl WebDownload::finalUrl() const { return finalUrl_.isEmpty() ? url_ : finalUrl_; }

QString WebDownload::temporaryPath() const { return temporary_ ? temporary_->fileName() : QString(); }

void WebDownload::start()
{
    if (state_ != State::Idle)
        return;
    state_ = State::Started;
    delegate_.downloadDidBegin(*this);
    if (state_ != State::Started)
        return;
    if (!isWebScheme(url_)) {
        fail(QStringLiteral("only http and https addresses are downloaded"));
        return;
    }
    if (!QFileInfo(folder_).isDir()) {
        fail(QStringLiteral("no folder %1").arg(folder_));
        return;
    }
    QNetworkRequest request(url_);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(limits_.maxRedirects);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tallomer"));
    reply_ = network().get(request);
    // The body is taken as it comes: the reply's own buffer stays small.
    connect(reply_, &QNetworkReply::metaDataChanged, this, [this] { armInactivity(); });
    connect(reply_, &QNetworkReply::redirected, this, [this] { armInactivity(); });
    connect(reply_, &QNetworkReply::readyRead, this, &WebDownload::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &WebDownload::onFinished);
    armInactivity();
}

void WebDownload::armInactivity()
{
    Scheduler::shared().cancel(this, kInactivity);
    Scheduler::shared().perform(this, kInactivity, limits_.inactivityTimeout, [this] {
        fail(QStringLiteral("nothing received for %1 s").arg(limits_.inactivityTimeout));
    });
}

bool WebDownload::takeResponse()
{
    if (state_ == State::Receiving)
        return true;
    if (state_ != State::Started || !reply_)
        return false;
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = status.isValid() ? status.toInt() : 0;
    if (code < 200 || code > 299) {
        const QString reason = reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        fail(QStringLiteral("the server answered %1 %2").arg(code).arg(reason).trimmed());
        return false;
    }
    finalUrl_ = reply_->url();
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    const qint64 expected = length.isValid() ? length.toLongLong() : -1;

    cap_ = limits_.maxBytes;
    const QStorageInfo volume(folder_);
    if (volume.isValid() && volume.bytesAvailable() >= 0)
        cap_ = std::min(cap_, volume.bytesAvailable() - limits_.freeSpaceMargin);
    if (cap_ < 0 || expected > cap_) {
        fail(QStringLiteral("too large: %1 bytes announced, room for %2").arg(expected).arg(std::max<qint64>(cap_, 0)));
        return false;
    }

    const QString name = fileNameForResponse(reply_->rawHeader("Content-Disposition"), reply_->url(),
                                             reply_->rawHeader("Content-Type"));
    suggestedName_ = safeFileName(name, reply_->url().host());
    temporary_ = std::make_unique<QTemporaryFile>(QDir(folder_).filePath(QStringLiteral(".tallomer-XXXXXX.part")));
    if (!temporary_->open()) {
        fail(QStringLiteral("cannot create a file in %1: %2").arg(folder_, temporary_->errorString()));
        return false;
    }
    state_ = State::Receiving;
    delegate_.downloadDidReceiveResponse(*this, expected);
    return state_ == State::Receiving;
}

bool WebDownload::writeAvailable()
{
    const QByteArray bytes = reply_->readAll();
    if (bytes.isEmpty())
        return true;
    if (received_ + bytes.size() > cap_) {
        fail(QStringLiteral("larger than the %1 bytes allowed").arg(cap_));
        return false;
    }
    if (temporary_->write(bytes) != bytes.size()) {
        fail(QStringLiteral("cannot write %1: %2").arg(temporary_->fileName(), temporary_->errorString()));
        return false;
    }
    received_ += bytes.size();
    armInactivity();
    delegate_.downloadDidReceiveData(*this, bytes.size());
    return state_ == State::Receiving;
}

void WebDownload::onReadyRead()
{
    if (takeResponse())
        writeAvailable();
}

void WebDownload::onFinished()
{
    if (!isRunning() || !reply_)
        return;
    if (reply_->error() != QNetworkReply::NoError) {
        const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && status.toInt() >= 400) {
            takeResponse(); // an error status fails with its code and reason
            if (!isRunning())
                return;
        }
        fail(reply_->errorString());
        return;
    }
    if (takeResponse() && writeAvailable())
        finish();
}

void WebDownload::finish()
{
    Scheduler::shared().cancel(this, kInactivity);
    if (!temporary_->flush() || !setOrdinaryFileMode(temporary_->handle()) || ::fsync(temporary_->handle()) != 0) {
        fail(QStringLiteral("cannot write %1: %2").arg(temporary_->fileName(), temporary_->errorString()));
        return;
    }
    temporary_->close();
    QString placed;
    const FileResult named = nameNewFile(temporary_->fileName(), folder_, suggestedName_, replaceable_, &placed);
    if (!named) {
        fail(named.error);
        return;
    }
    temporary_->setAutoRemove(false);
    temporary_.reset();
    path_ = placed;
    stopReply();
    state_ = State::Finished;
    delegate_.downloadDidFinish(*this);
}

void WebDownload::fail(const QString& error)
{
    if (!isRunning())
        return;
    state_ = State::Failed;
    Scheduler::shared().cancel(this, kInactivity);
    stopReply();
    temporary_.reset(); // removes the partial file
    delegate_.downloadDidFail(*this, error);
}

void WebDownload::cancel()
{
    if (!isRunning())
        return;
    state_ = State::Cancelled;
    if (Scheduler::hasShared())
        Scheduler::shared().cancel(this, kInactivity);
    stopReply();
    temporary_.reset();
}

void WebDownload::stopReply()
{
    if (!reply_)
        return;
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    // A reply that ends in error (an error status among them) ends by itself; aborting it as well
    // would report a second error.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->isRunning() && reply->error() == QNetworkReply::NoError && status < 400)
        reply->abort();
    // It may be in the middle of emitting the signal that brought us here.
    reply->deleteLater();
}

} // namespace tallomer
