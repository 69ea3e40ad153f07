#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkReply;
class QNetworkRequest;

// A small blocking HTTP client for the update check: HEAD for the length, GET for the
// whole body. A call runs the event loop until its request is done, so the windows
// stay painted and the progress signal arrives meanwhile; callers must be ready for
// anything a user does in that time (the info dialog aborts the request when it is
// closed).
//
// Every request sends the Accept and User-Agent headers the maker's server has always
// seen, asks for the body unencoded (so HEAD's length is the length GET delivers),
// keeps cookies between the requests of one client, uses no proxy, follows a redirect
// only from https to https, and fails after Timeout() ms without any data.
class HttpClient : public QObject
{
    Q_OBJECT
public:
    explicit HttpClient(QObject* parent = nullptr);
    ~HttpClient() override;

    // True on a 2xx answer, with the response's Content-Length (-1 when it has none).
    bool Head(const QUrl& url, qint64& contentLength);
    // True on a 2xx answer, with the whole body. A body beyond maxBytes fails.
    bool Get(const QUrl& url, QByteArray& body, qint64 maxBytes = 0x7FFFFFFF);

    // Ends the running request as failed.
    void Abort();
    bool Busy() const { return !m_reply.isNull(); }

    int Timeout() const { return m_timeoutMs; }
    void SetTimeout(int ms) { m_timeoutMs = ms; }

    // Why the last call failed (for logs and tests; the dialog shows its own text).
    const QString& ErrorString() const { return m_error; }

Q_SIGNALS:
    // The bytes of the current request's body received so far.
    void Work(qint64 bytes);

private:
    QNetworkRequest request(const QUrl& url) const;
    bool run(QNetworkReply* reply, qint64 maxBytes);

    QNetworkAccessManager m_manager;
    QPointer<QNetworkReply> m_reply;
    int m_timeoutMs = 30000;
    QString m_error;
};
