// An HTTP answer read as its bytes arrive: the same answer comes out whatever the pieces it is cut into, and
// nothing a server sends makes the reader keep more than its bounds.
#include "platform/net/HttpAnswerReader.h"

#include <gtest/gtest.h>

using net::HttpAnswerReader;
using State = HttpAnswerReader::State;

namespace {

struct Outcome {
    State state;
    int status;
    QByteArray body;
};

// Feeds `bytes` in pieces of `piece` bytes, then ends the connection when `closed`.
Outcome read(const QByteArray& bytes, qsizetype piece, bool closed, qint64 limit = 1 << 20)
{
    HttpAnswerReader reader(limit);
    for (qsizetype at = 0; at < bytes.size() && reader.state() == State::Reading; at += piece)
        reader.feed(QByteArrayView(bytes).sliced(at, std::min(piece, bytes.size() - at)));
    if (closed)
        reader.finish();
    return {reader.state(), reader.status(), reader.body()};
}

struct Case {
    const char* name;
    QByteArray bytes;
    bool closed;
    State state;
    int status;
    QByteArray body;
};

const Case kCases[] = {
    {"declared length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", false, State::Complete, 200, "hello"},
    {"bytes after the declared length are not the answer's",
     "HTTP/1.1 200 OK\r\ncontent-length: 2\r\n\r\nhello", false, State::Complete, 200, "he"},
    {"chunks with an extension and trailers",
     "HTTP/1.1 500 Error\r\nTransfer-Encoding: chunked\r\n\r\n4;x=y\r\n<a/>\r\nA\r\n0123456789\r\n0\r\nX-T: 1\r\n\r\n",
     false, State::Complete, 500, "<a/>0123456789"},
    {"up to the end of the connection", "HTTP/1.0 200 OK\r\nServer: x\r\n\r\nsin largo", true, State::Complete, 200,
     "sin largo"},
    {"an interim answer first", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 201 Created\r\nContent-Length: 1\r\n\r\nz",
     false, State::Complete, 201, "z"},
    {"no body", "HTTP/1.1 204 No Content\r\n\r\n", false, State::Complete, 204, ""},
    {"a status line without reason", "HTTP/1.1 302\r\nContent-Length: 0\r\n\r\n", false, State::Complete, 302, ""},
    {"cut before its declared end", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello", true, State::Malformed,
     200, "hello"},
    {"cut between chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab\r\n", true,
     State::Malformed, 200, "ab"},
    {"chunks longer than the declared length",
     "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab\r\n2\r\ncd\r\n0\r\n\r\n",
     false, State::TooLong, 200, "abc"},
    {"not HTTP", "SSH-2.0-OpenSSH\r\n\r\n", false, State::Malformed, 0, ""},
    {"a status of letters", "HTTP/1.1 2x0 OK\r\n\r\n", false, State::Malformed, 0, ""},
    {"a length of letters", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", false, State::Malformed, 200, ""},
    {"a chunk size past any length", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFFFFFFFF\r\n",
     false, State::Malformed, 200, ""},
    {"a chunk without its line end", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabX\r\n", false,
     State::Malformed, 200, "ab"},
};

} // namespace

TEST(HttpAnswerReaderTest, AnAnswerReadsTheSameInPiecesOfAnySize)
{
    for (const Case& c : kCases)
        for (qsizetype piece : {qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(7), qsizetype(1000)}) {
            SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece));
            const Outcome o = read(c.bytes, piece, c.closed);
            EXPECT_EQ(o.state, c.state);
            EXPECT_EQ(o.status, c.status);
            EXPECT_EQ(o.body, c.body);
        }
}

TEST(HttpAnswerReaderTest, NothingGrowsPastItsBounds)
{
    const QByteArray endlessHead = "HTTP/1.1 200 OK\r\nX-Relleno: " + QByteArray(HttpAnswerReader::MaxHeadBytes, 'x');
    EXPECT_EQ(read(endlessHead, 4096, false).state, State::Malformed);
    const QByteArray head = "HTTP/1.1 200 OK\r\nX: " + QByteArray(HttpAnswerReader::MaxHeadBytes - 200, 'x') +
                            "\r\nContent-Length: 2\r\n\r\nok";
    EXPECT_EQ(read(head, 4096, false).body, QByteArray("ok")) << "a long head within the bound is read";

    const QByteArray endlessChunkLine = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" +
                                        QByteArray(HttpAnswerReader::MaxChunkLineBytes + 1, '0');
    EXPECT_EQ(read(endlessChunkLine, 100, false).state, State::Malformed);

    const QByteArray body(5000, 'b');
    for (const QByteArray& answer : {"HTTP/1.1 200 OK\r\n\r\n" + body,
                                     "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + body,
                                     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1388\r\n" + body}) {
        const Outcome o = read(answer, 512, false, 4096);
        EXPECT_EQ(o.state, State::TooLong);
        EXPECT_LE(o.body.size(), 4096);
    }
    EXPECT_EQ(read("HTTP/1.1 200 OK\r\nContent-Length: 4096\r\n\r\n" + QByteArray(4096, 'b'), 512, false, 4096).state,
              State::Complete)
        << "a body of exactly the limit is taken";
}
