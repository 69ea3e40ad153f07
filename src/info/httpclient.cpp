#include "httpclient.h"

#include <QEventLoop>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <memory>

namespace {
constexpr int MaxRedirects = 5;
}

HttpClient::HttpClient(QObject* parent) : QObject(parent)
{
    m_manager.setProxy(QNetworkProxy::NoProxy);
}

HttpClient::~HttpClient()
{
    Abort();
}

QNetworkRequest HttpClient::request(const QUrl& url) const
{
    QNetworkRequest request(url);
    request.setRawHeader("Accept", "text/html, */*");
    request.setRawHeader("User-Agent", "Mozilla/3.0 (compatible; Indy Library)");
    request.setRawHeader("Accept-Encoding", "identity");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    request.setTransferTimeout(m_timeoutMs);
    return request;
}

bool HttpClient::Head(const QUrl& url, qint64& contentLength)
{
    if (Busy()) {
        m_error = QStringLiteral("busy");
        return false;
    }
    QNetworkReply* reply = m_manager.head(request(url));
    if (!run(reply, 0))
        return false;
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    contentLength = length.isValid() ? length.toLongLong() : -1;
    return true;
}

bool HttpClient::Get(const QUrl& url, QByteArray& body, qint64 maxBytes)
{
    if (Busy()) {
        m_error = QStringLiteral("busy");
        return false;
    }
    QNetworkReply* reply = m_manager.get(request(url));
    if (!run(reply, maxBytes))
        return false;
    body = reply->readAll();
    return true;
}

void HttpClient::Abort()
{
    if (m_reply)
        m_reply->abort();
}

bool HttpClient::run(QNetworkReply* reply, qint64 maxBytes)
{
    m_reply = reply;
    // Deleted when this call returns (later: it may still be inside its own signal).
    const std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> owner(
        reply, [](QNetworkReply* r) { r->deleteLater(); });

    connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl& to) {
        // Never from an encrypted connection to a plain one, nor along plain ones,
        // where anybody on the way could send the program elsewhere.
        if (reply->url().scheme() == QLatin1String("https") &&
            to.scheme() == QLatin1String("https"))
            Q_EMIT reply->redirectAllowed();
        else
            QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection);
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply, maxBytes](qint64 bytes) {
        if (maxBytes > 0 && bytes > maxBytes) {
            QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection);
            return;
        }
        Q_EMIT Work(bytes);
    });

    if (!reply->isFinished()) {
        QEventLoop loop;
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    m_reply = nullptr;
    // The loop also ends when the application quits.
    if (!reply->isFinished()) {
        reply->abort();
        m_error = QStringLiteral("interrupted");
        return false;
    }
    if (reply->error() != QNetworkReply::NoError) {
        m_error = reply->errorString();
        return false;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299) {
        m_error = QStringLiteral("HTTP status %1").arg(status);
        return false;
    }
    m_error.clear();
    return true;
}
