// Reads one HTTP/1.1 answer from the bytes of a connection as they arrive: its status line and headers, then its
// body by declared length, in chunks, or up to the end of the connection. Everything it keeps is bounded: the
// head, each chunk-size line, and the body (its declared length or the caller's limit, whichever is smaller).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <optional>

namespace net {

class HttpAnswerReader {
public:
    enum class State { Reading, Complete, TooLong, Malformed };

    // The longest head (status line and headers) and chunk-size line accepted.
    static constexpr qsizetype MaxHeadBytes = 64 * 1024;
    static constexpr qsizetype MaxChunkLineBytes = 1024;

    explicit HttpAnswerReader(qint64 bodyLimit) : m_bodyLimit(bodyLimit) {}

    // Takes the next bytes of the connection; bytes after a complete answer are ignored.
    State feed(QByteArrayView bytes);
    // The connection ended: a body read up to the end is complete then, any other answer is cut.
    State finish();

    State state() const { return m_state; }
    // 0 until the status line is read.
    int status() const { return m_status; }
    // The body as far as it was read.
    const QByteArray& body() const { return m_body; }

private:
    enum class Part { Head, Body, ChunkSize, ChunkData, ChunkEnd, Trailers, Done };
    enum class Framing { Length, Chunked, UntilClose };

    // The bytes up to `terminator`, once it has come (at most `limit` of them); `used` says how many of
    // `bytes` were taken.
    std::optional<QByteArray> gather(QByteArrayView bytes, QByteArrayView terminator, qsizetype limit,
                                     qsizetype& used);
    qsizetype readHead(QByteArrayView bytes);
    bool parseHead(QByteArrayView head);
    qsizetype readLine(QByteArrayView bytes, qsizetype limit);
    qsizetype readBody(QByteArrayView bytes, qint64 wanted);
    bool startChunk(QByteArrayView line);
    void end(State state);

    qint64 m_bodyLimit;
    State m_state = State::Reading;
    Part m_part = Part::Head;
    Framing m_framing = Framing::UntilClose;
    int m_status = 0;
    qint64 m_declared = -1;
    qint64 m_chunkLeft = 0;
    // The head or line read so far, while it has no end yet.
    QByteArray m_pending;
    QByteArray m_body;
};

} // namespace net
