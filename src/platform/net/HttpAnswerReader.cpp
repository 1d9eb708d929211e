#include "platform/net/HttpAnswerReader.h"

#include <QList>
#include <algorithm>

namespace net {
namespace {

constexpr QByteArrayView kLineEnd = "\r\n";
constexpr QByteArrayView kHeadEnd = "\r\n\r\n";

QList<QByteArrayView> linesOf(QByteArrayView head)
{
    QList<QByteArrayView> lines;
    for (qsizetype at = head.indexOf(kLineEnd); at >= 0; at = head.indexOf(kLineEnd)) {
        lines.append(head.first(at));
        head = head.sliced(at + kLineEnd.size());
    }
    lines.append(head);
    return lines;
}

bool isWholeNumber(QByteArrayView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

HttpAnswerReader::State HttpAnswerReader::feed(QByteArrayView bytes)
{
    while (m_state == State::Reading && !bytes.isEmpty()) {
        qsizetype used = 0;
        switch (m_part) {
        case Part::Head:
            used = readHead(bytes);
            break;
        case Part::Body:
            used = readBody(bytes, m_framing == Framing::Length ? m_declared - m_body.size() : bytes.size());
            if (m_state == State::Reading && m_framing == Framing::Length && m_body.size() == m_declared)
                end(State::Complete);
            break;
        case Part::ChunkSize:
        case Part::ChunkEnd:
        case Part::Trailers:
            used = readLine(bytes, MaxChunkLineBytes);
            break;
        case Part::ChunkData:
            used = readBody(bytes, m_chunkLeft);
            m_chunkLeft -= used;
            if (m_chunkLeft == 0)
                m_part = Part::ChunkEnd;
            break;
        case Part::Done:
            return m_state;
        }
        bytes = bytes.sliced(used);
    }
    return m_state;
}

HttpAnswerReader::State HttpAnswerReader::finish()
{
    if (m_state == State::Reading)
        end(m_part == Part::Body && m_framing == Framing::UntilClose ? State::Complete : State::Malformed);
    return m_state;
}

std::optional<QByteArray> HttpAnswerReader::gather(QByteArrayView bytes, QByteArrayView terminator, qsizetype limit,
                                                   qsizetype& used)
{
    // The terminator may straddle two pieces: look again from a little before the new bytes.
    const qsizetype before = m_pending.size();
    m_pending.append(bytes.first(std::min<qsizetype>(bytes.size(), limit + terminator.size() - before)));
    const qsizetype at = m_pending.indexOf(terminator, std::max<qsizetype>(0, before - (terminator.size() - 1)));
    if (at < 0) {
        if (m_pending.size() > limit)
            end(State::Malformed);
        used = bytes.size();
        return std::nullopt;
    }
    used = at + terminator.size() - before;
    QByteArray whole = m_pending.first(at);
    m_pending.clear();
    return whole;
}

qsizetype HttpAnswerReader::readHead(QByteArrayView bytes)
{
    qsizetype used = 0;
    const std::optional<QByteArray> head = gather(bytes, kHeadEnd, MaxHeadBytes, used);
    if (head && !parseHead(*head))
        end(State::Malformed);
    return used;
}

bool HttpAnswerReader::parseHead(QByteArrayView head)
{
    const QList<QByteArrayView> lines = linesOf(head);
    // "HTTP/1.1 200 OK": the version, a blank, three digits, then a blank or nothing.
    const QByteArrayView statusLine = lines.first();
    if (!statusLine.startsWith("HTTP/1.") || statusLine.size() < 12 || statusLine[8] != ' ' ||
        !isWholeNumber(statusLine.sliced(9, 3)) || (statusLine.size() > 12 && statusLine[12] != ' '))
        return false;
    const int status = statusLine.sliced(9, 3).toInt();
    // An interim answer ("100 Continue") is followed by the real one.
    if (status >= 100 && status < 200)
        return true;
    m_status = status;
    bool chunked = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon <= 0)
            return false;
        const QByteArray name = lines[i].first(colon).trimmed().toByteArray().toLower();
        const QByteArrayView value = lines[i].sliced(colon + 1).trimmed();
        if (name == "content-length") {
            if (!isWholeNumber(value) || value.size() > 18)
                return false;
            m_declared = value.toLongLong();
        } else if (name == "transfer-encoding") {
            chunked = value.toByteArray().toLower().endsWith("chunked");
        }
    }
    // A declared length still bounds a body sent in chunks: nothing longer than announced is taken.
    if (m_declared >= 0)
        m_bodyLimit = std::min(m_bodyLimit, m_declared);
    if (chunked) {
        m_framing = Framing::Chunked;
        m_part = Part::ChunkSize;
    } else if (status == 204 || status == 304 || m_declared == 0) {
        end(State::Complete);
    } else {
        m_framing = m_declared >= 0 ? Framing::Length : Framing::UntilClose;
        m_part = Part::Body;
    }
    return true;
}

qsizetype HttpAnswerReader::readLine(QByteArrayView bytes, qsizetype limit)
{
    qsizetype used = 0;
    const std::optional<QByteArray> whole = gather(bytes, kLineEnd, limit, used);
    if (!whole)
        return used;
    const QByteArray& line = *whole;
    switch (m_part) {
    case Part::ChunkSize:
        if (!startChunk(line))
            end(State::Malformed);
        break;
    case Part::ChunkEnd:
        if (line.isEmpty())
            m_part = Part::ChunkSize;
        else
            end(State::Malformed);
        break;
    default:
        // Trailer fields are read and dropped; an empty line ends the answer.
        if (line.isEmpty())
            end(State::Complete);
        break;
    }
    return used;
}

bool HttpAnswerReader::startChunk(QByteArrayView line)
{
    const qsizetype extension = line.indexOf(';');
    const QByteArrayView size = (extension < 0 ? line : line.first(extension)).trimmed();
    bool ok = false;
    const qint64 length = size.size() <= 15 ? size.toLongLong(&ok, 16) : -1;
    if (!ok || length < 0)
        return false;
    m_chunkLeft = length;
    m_part = length == 0 ? Part::Trailers : Part::ChunkData;
    return true;
}

qsizetype HttpAnswerReader::readBody(QByteArrayView bytes, qint64 wanted)
{
    const qsizetype taken = static_cast<qsizetype>(std::min<qint64>(bytes.size(), wanted));
    const qsizetype kept = static_cast<qsizetype>(std::min<qint64>(taken, m_bodyLimit - m_body.size()));
    m_body.append(bytes.first(kept));
    if (kept < taken)
        end(State::TooLong);
    return taken;
}

void HttpAnswerReader::end(State state)
{
    m_state = state;
    m_part = Part::Done;
    m_pending.clear();
}

} // namespace net
