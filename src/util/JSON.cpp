#include "util/JSON.h"

#include "platform/vb/Collection.h"
#include "platform/vb/Decimal.h"
#include "platform/vb/Dictionary.h"
#include "platform/vb/Error.h"
#include "platform/vb/Strings.h"
#include "platform/vb/Variant.h"
#include "util/cStringBuilder.h"

#include <algorithm>
#include <vector>

namespace JSON {
namespace {

// The fault lines of the last Parse. A word that ends a container is met again by every enclosing one, and
// each writes the same line: a run of equal lines is kept once with its count and spelt out only when the
// text is asked for, so that a deeply nested malformed answer stays small while it is read.
struct FaultRun {
    QString line;
    qsizetype count;
};
std::vector<FaultRun> g_faults;
QString g_errorText;
bool g_errorTextWritten = true;

void addFault(const QString& line)
{
    if (!g_faults.empty() && g_faults.back().line == line)
        ++g_faults.back().count;
    else
        g_faults.push_back({line, 1});
    g_errorTextWritten = false;
}

void clearFaults()
{
    g_faults.clear();
    g_errorText.clear();
    g_errorTextWritten = true;
}

// Deeper nesting is refused as the run-time refuses a call when its stack is spent, instead of exhausting it.
constexpr int kMaxDepth = 500;

// A value nested too deep after the first such fault: it is passed over whole, and the container that met it
// ends as the first one did, without another line. Otherwise every further opening bracket of a long run
// would be read, stored and reported once more.
struct TooDeepAgain {};
// How much of the rest of the text a fault line quotes.
constexpr int kRestQuoted = 200;

bool isNumberCharacter(QChar c)
{
    switch (c.unicode()) {
    case u'+':
    case u'-':
    case u'.':
    case u'e':
    case u'E':
        return true;
    default:
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    }
}

// Blanks are dropped from keys, inside quotes as well.
bool isKeyBlank(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t') || c == QLatin1Char(' ');
}

bool isKeyCharacter(QChar c)
{
    return c != QLatin1Char('"') && c != QLatin1Char('\'') && c != QLatin1Char(':') && !isKeyBlank(c);
}

// The value of a hexadecimal digit in either case; -1 for any other character.
int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

[[noreturn]] void typeMismatch()
{
    throw vb::Error(13, QStringLiteral("No coinciden los tipos"), QStringLiteral("JSON"));
}

// One reading of a text: the 1-based position moves on past everything consumed.
class Reader {
public:
    explicit Reader(const QString& text) : m_text(text) {}

    QChar current() const { return m_position <= m_text.size() ? m_text[m_position - 1] : QChar(); }
    bool atEnd() const { return m_position > m_text.size(); }

    void SkipBlanks();
    std::shared_ptr<vb::Dictionary> ParseObject();
    std::shared_ptr<vb::Collection> ParseArray();
    vb::Variant ParseValue();
    QString ParseString();
    vb::Variant ParseNumber();
    bool ParseBoolean();
    vb::Variant ParseNull();
    QString ParseKey();

private:
    void fault(const QString& line) { addFault(line + QStringLiteral("\r\n")); }
    QString position() const { return QString::number(m_position); }
    // The text from the position on, as a fault line quotes it. Only its start is quoted: the enclosing
    // containers of a word they cannot read meet it again, each quoting it once more.
    QString rest() const { return vb::Mid(m_text, static_cast<int>(m_position), kRestQuoted); }
    QString next20() const { return vb::Mid(m_text, static_cast<int>(m_position), 20); }
    QString last20() const { return vb::Right(m_text, 20); }
    bool startsHere(QLatin1StringView word) const
    {
        return !atEnd() && QStringView(m_text).sliced(m_position - 1).startsWith(word);
    }
    // The text from one position up to another, without copying it: only for reading at once.
    QString piece(qsizetype from, qsizetype to) const
    {
        return QString::fromRawData(m_text.constData() + from - 1, to - from);
    }
    // Moves on to the closing quote, a backslash or the end of the text.
    void skipOrdinary(QChar quote);
    // Moves past the container that opens at the position, its contents unread; to the end when it never closes.
    void skipContainer();
    void collect(QChar c);
    int unicodeEscape() const;

    const QString& m_text;
    qsizetype m_position = 1;
    int m_depth = 0;
    bool m_depthFaulted = false;
    // Every string with escapes is collected here in turn, so that the builder makes its room once per reading.
    cStringBuilder m_collected;
};

void Reader::SkipBlanks()
{
    bool commentStart = false;
    bool inComment = false;
    bool longComment = false;
    for (; !atEnd(); ++m_position) {
        const QChar c = current();
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (!longComment) {
                commentStart = false;
                inComment = false;
            }
        } else if (c == QLatin1Char('\t') || c == QLatin1Char(' ') || c == QLatin1Char('(') || c == QLatin1Char(')')) {
            continue;
        } else if (c == QLatin1Char('/') && longComment) {
            if (commentStart) {
                longComment = false;
                commentStart = false;
                inComment = false;
            }
        } else if (c == QLatin1Char('/')) {
            if (commentStart) {
                commentStart = false;
                inComment = true;
            } else {
                commentStart = true;
                inComment = false;
                longComment = false;
            }
        } else if (c == QLatin1Char('*')) {
            // Inside a /* */ comment every "*" may be the one that closes it.
            if (commentStart && !longComment) {
                commentStart = false;
                inComment = true;
                longComment = true;
            } else {
                commentStart = true;
            }
        } else if (!inComment) {
            return;
        }
    }
}

std::shared_ptr<vb::Dictionary> Reader::ParseObject()
{
    auto object = std::make_shared<vb::Dictionary>();
    SkipBlanks();
    if (current() != QLatin1Char('{')) {
        fault(QStringLiteral("Invalid Object at position ") + position() + QStringLiteral(" : ") + rest());
        return object;
    }
    ++m_position;
    for (;;) {
        SkipBlanks();
        if (current() == QLatin1Char('}')) {
            ++m_position;
            return object;
        }
        if (current() == QLatin1Char(',')) {
            ++m_position;
            SkipBlanks();
        }
        if (atEnd()) {
            fault(QStringLiteral("Missing '}': ") + last20());
            return object;
        }
        const QString key = ParseKey();
        try {
            object->Add(key, ParseValue());
        } catch (const TooDeepAgain&) {
            return object;
        } catch (const vb::Error& e) {
            fault(e.Description() + QStringLiteral(": ") + key);
            return object;
        }
    }
}

std::shared_ptr<vb::Collection> Reader::ParseArray()
{
    auto array = std::make_shared<vb::Collection>();
    SkipBlanks();
    if (current() != QLatin1Char('[')) {
        fault(QStringLiteral("Invalid Array at position ") + position() + QStringLiteral(" : ") + next20());
        return array;
    }
    ++m_position;
    for (;;) {
        SkipBlanks();
        if (current() == QLatin1Char(']')) {
            ++m_position;
            return array;
        }
        if (current() == QLatin1Char(',')) {
            ++m_position;
            SkipBlanks();
        }
        if (atEnd()) {
            fault(QStringLiteral("Missing ']': ") + last20());
            return array;
        }
        const qsizetype before = m_position;
        try {
            const vb::Variant element = ParseValue();
            // A word that is neither true, false nor null is left where it is (its fault already written):
            // reading on would meet it again for ever.
            if (m_position == before)
                return array;
            array->Add(element);
        } catch (const TooDeepAgain&) {
            return array;
        } catch (const vb::Error& e) {
            fault(e.Description() + QStringLiteral(": ") + next20());
            return array;
        }
    }
}

void Reader::skipContainer()
{
    int open = 0;
    for (; !atEnd(); ++m_position) {
        const QChar c = current();
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            for (++m_position; !atEnd() && current() != c; ++m_position)
                if (current() == QLatin1Char('\\'))
                    ++m_position;
        } else if (c == QLatin1Char('[') || c == QLatin1Char('{')) {
            ++open;
        } else if ((c == QLatin1Char(']') || c == QLatin1Char('}')) && --open == 0) {
            ++m_position;
            return;
        }
    }
}

vb::Variant Reader::ParseValue()
{
    SkipBlanks();
    const QChar c = current();
    if (c == QLatin1Char('{') || c == QLatin1Char('[')) {
        if (m_depth >= kMaxDepth) {
            if (m_depthFaulted) {
                skipContainer();
                throw TooDeepAgain{};
            }
            m_depthFaulted = true;
            throw vb::Error(28, QStringLiteral("Espacio de pila insuficiente"), QStringLiteral("JSON"));
        }
        ++m_depth;
        const vb::Variant inner = c == QLatin1Char('{') ? vb::Variant(ParseObject()) : vb::Variant(ParseArray());
        --m_depth;
        return inner;
    }
    if (c == QLatin1Char('"') || c == QLatin1Char('\''))
        return ParseString();
    if (c == QLatin1Char('t') || c == QLatin1Char('f'))
        return ParseBoolean();
    if (c == QLatin1Char('n'))
        return ParseNull();
    return ParseNumber();
}

QString Reader::ParseString()
{
    SkipBlanks();
    const QChar quote = current();
    ++m_position;
    // A string without escapes is the text between its quotes, taken in one piece.
    const qsizetype from = m_position;
    skipOrdinary(quote);
    if (current() != QLatin1Char('\\')) {
        const QString plain = m_text.mid(from - 1, m_position - from);
        if (!atEnd())
            ++m_position;
        return plain;
    }
    m_collected.Remove(0, m_collected.Length());
    m_collected.Append(piece(from, m_position));
    while (!atEnd()) {
        const QChar c = current();
        if (c == quote) {
            ++m_position;
            return m_collected.toString();
        }
        if (c != QLatin1Char('\\')) {
            const qsizetype ordinary = m_position;
            skipOrdinary(quote);
            m_collected.Append(piece(ordinary, m_position));
            continue;
        }
        ++m_position;
        const QChar escaped = current();
        switch (escaped.unicode()) {
        case u'"':
        case u'\\':
        case u'/':
        case u'\'':
            collect(escaped);
            ++m_position;
            break;
        case u'b':
            collect(QChar(8));
            ++m_position;
            break;
        case u'f':
            collect(QChar(12));
            ++m_position;
            break;
        case u'n':
            collect(QLatin1Char('\n'));
            ++m_position;
            break;
        case u'r':
            collect(QLatin1Char('\r'));
            ++m_position;
            break;
        case u't':
            collect(QLatin1Char('\t'));
            ++m_position;
            break;
        case u'u':
            ++m_position;
            collect(QChar(static_cast<char16_t>(unicodeEscape())));
            m_position += 4;
            break;
        default:
            break; // the backslash is dropped and the character read as an ordinary one
        }
    }
    return m_collected.toString();
}

void Reader::skipOrdinary(QChar quote)
{
    while (!atEnd() && current() != quote && current() != QLatin1Char('\\'))
        ++m_position;
}

void Reader::collect(QChar c)
{
    m_collected.Append(QString::fromRawData(&c, 1));
}

// The 4 hexadecimal digits after "\u" (fewer at the end of the text); anything else is a type mismatch.
int Reader::unicodeEscape() const
{
    const qsizetype digits = std::min<qsizetype>(4, m_text.size() - m_position + 1);
    if (digits <= 0)
        typeMismatch();
    int value = 0;
    for (qsizetype i = 0; i < digits; ++i) {
        const int digit = hexDigit(m_text[m_position - 1 + i]);
        if (digit < 0)
            typeMismatch();
        value = value * 16 + digit;
    }
    return value;
}

vb::Variant Reader::ParseNumber()
{
    SkipBlanks();
    const qsizetype from = m_position;
    for (; !atEnd(); ++m_position) {
        if (!isNumberCharacter(current()))
            return vb::Decimal::parse(piece(from, m_position));
    }
    return vb::Variant();
}

bool Reader::ParseBoolean()
{
    SkipBlanks();
    if (startsHere(QLatin1StringView("true"))) {
        m_position += 4;
        return true;
    }
    if (startsHere(QLatin1StringView("false"))) {
        m_position += 5;
        return false;
    }
    fault(QStringLiteral("Invalid Boolean at position ") + position() + QStringLiteral(" : ") + rest());
    return false;
}

vb::Variant Reader::ParseNull()
{
    SkipBlanks();
    if (startsHere(QLatin1StringView("null"))) {
        m_position += 4;
        return vb::Variant::Null();
    }
    fault(QStringLiteral("Invalid null value at position ") + position() + QStringLiteral(" : ") + rest());
    return vb::Variant();
}

QString Reader::ParseKey()
{
    SkipBlanks();
    QString key;
    bool inDoubleQuotes = false;
    bool inSingleQuotes = false;
    while (!atEnd()) {
        const QChar c = current();
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            bool& inQuotes = c == QLatin1Char('"') ? inDoubleQuotes : inSingleQuotes;
            inQuotes = !inQuotes;
            ++m_position;
            if (!inQuotes) {
                SkipBlanks();
                if (current() != QLatin1Char(':')) {
                    fault(QStringLiteral("Invalid Key at position ") + position() + QStringLiteral(" : ") + key);
                    return key;
                }
            }
        } else if (c == QLatin1Char(':')) {
            ++m_position;
            if (!inDoubleQuotes && !inSingleQuotes)
                return key;
            key += c;
        } else if (isKeyBlank(c)) {
            ++m_position;
        } else {
            // The characters up to the next quote, colon or blank all belong to the key: taken in one piece.
            const qsizetype from = m_position;
            while (!atEnd() && isKeyCharacter(current()))
                ++m_position;
            key += QStringView(m_text).sliced(from - 1, m_position - from);
        }
    }
    return key;
}

} // namespace

std::shared_ptr<vb::Object> Parse(const QString& text)
{
    clearFaults();
    // The containers catch every fault of what they hold, so nothing escapes from here.
    Reader reader(text);
    reader.SkipBlanks();
    if (reader.current() == QLatin1Char('{'))
        return reader.ParseObject();
    if (reader.current() == QLatin1Char('['))
        return reader.ParseArray();
    addFault(QStringLiteral("Invalid JSON"));
    return nullptr;
}

const QString& ErrorText()
{
    if (!g_errorTextWritten) {
        qsizetype size = 0;
        for (const FaultRun& run : g_faults)
            size += run.line.size() * run.count;
        g_errorText.reserve(size);
        for (const FaultRun& run : g_faults)
            for (qsizetype i = 0; i < run.count; ++i)
                g_errorText += run.line;
        g_errorTextWritten = true;
    }
    return g_errorText;
}

} // namespace JSON
