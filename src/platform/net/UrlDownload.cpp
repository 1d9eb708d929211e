#include "platform/net/UrlDownload.h"

#include "platform/net/Network.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>
#include <QTimer>
#include <memory>

namespace net {
namespace {

bool succeeded(const QNetworkReply& reply)
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return reply.error() == QNetworkReply::NoError && status >= 200 && status < 300;
}

} // namespace

long URLDownloadToFile(const QString& url, const QString& fileName, int timeLimitMs)
{
    // Unbuffered, so that a short write (a full disk) shows in the count each write returns.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return kInetDownloadFailure;
    bool complete = true;
    const auto save = [&file, &complete](const QByteArray& data) {
        complete = complete && file.write(data) == data.size();
    };

    std::unique_ptr<QNetworkReply> reply(manager().get(QNetworkRequest(QUrl(url))));
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, reply.get(), &QNetworkReply::abort);
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&]() { save(reply->readAll()); });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    limit.start(timeLimitMs);
    if (!reply->isFinished())
        loop.exec();
    save(reply->readAll());

    if (!complete || !succeeded(*reply)) {
        file.cancelWriting();
        return kInetDownloadFailure;
    }
    return file.commit() ? kS_OK : kInetDownloadFailure;
}

} // namespace net
