#include "platform/net/UrlDownload.h"

#include "platform/net/BoundedReply.h"
#include "platform/net/Network.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>
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
    std::unique_ptr<QNetworkReply> reply(manager().get(QNetworkRequest(QUrl(url))));
    BoundedReply bounded(*reply, kDownloadMaxBytes,
                         [&file](const QByteArray& piece) { return file.write(piece) == piece.size(); });
    // A reply aborted at the time limit fails like any other.
    bounded.waitFor(timeLimitMs);

    if (bounded.tooLong() || bounded.sinkFailed() || bounded.cutShort() || !succeeded(*reply)) {
        file.cancelWriting();
        return kInetDownloadFailure;
    }
    return file.commit() ? kS_OK : kInetDownloadFailure;
}

} // namespace net
