#include "util/JSON.h"

#include "platform/vb/Collection.h"
#include "platform/vb/Dictionary.h"
#include "platform/vb/Variant.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kNL = QStringLiteral("\r\n");

// One line of text for a parsed value: {key:value,...}, [value,...], "text", numbers with ".", true, false,
// null and <empty>.
QString render(const vb::Variant& v)
{
    if (auto object = v.as<vb::Dictionary>()) {
        QStringList members;
        for (const QString& key : object->Keys())
            members << key + QLatin1Char(':') + render(object->Item(key));
        return QLatin1Char('{') + members.join(QLatin1Char(',')) + QLatin1Char('}');
    }
    if (auto array = v.as<vb::Collection>()) {
        QStringList elements;
        for (int i = 1; i <= array->Count(); ++i)
            elements << render(array->Item(i));
        return QLatin1Char('[') + elements.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    switch (v.type()) {
    case vb::Variant::Type::Empty:
        return QStringLiteral("<empty>");
    case vb::Variant::Type::Null:
        return QStringLiteral("null");
    case vb::Variant::Type::Boolean:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case vb::Variant::Type::Decimal:
        return v.toDecimal().toString(QLatin1Char('.'));
    case vb::Variant::Type::String:
        return QLatin1Char('"') + v.toString() + QLatin1Char('"');
    default:
        return QStringLiteral("<other>");
    }
}

QString parsed(const QString& text)
{
    const auto object = JSON::Parse(text);
    return object ? render(vb::Variant(object)) : QStringLiteral("<nothing>");
}

struct Case {
    const char* text;
    const char* value;
    QString errors;
};

void check(const Case& c)
{
    const QString text = QString::fromUtf8(c.text);
    EXPECT_EQ(parsed(text).toStdString(), c.value) << c.text;
    EXPECT_EQ(JSON::ErrorText().toStdString(), c.errors.toStdString()) << c.text;
}

TEST(JSONTest, TextsThatAreNoObjectOrArray)
{
    for (const char* text : {"", "   ", "\"a\"", "12", "true", "x{}", "// only a comment"}) {
        EXPECT_EQ(JSON::Parse(QString::fromUtf8(text)), nullptr) << text;
        EXPECT_EQ(JSON::ErrorText(), QStringLiteral("Invalid JSON")) << text;
    }
}

TEST(JSONTest, WellFormedValues)
{
    const Case cases[] = {
        {"{}", "{}", ""},
        {"[]", "[]", ""},
        {"[1,2,3]", "[1,2,3]", ""},
        {R"({"a":1,"b":"dos","c":true,"d":false,"e":null})", R"({a:1,b:"dos",c:true,d:false,e:null})", ""},
        {R"({"n":{"m":[1,{"k":[]}]},"z":[[],[[]]]})", R"({n:{m:[1,{k:[]}]},z:[[],[[]]]})", ""},
        {" \t\r\n{ \"a\" : [ 1 , 2 ] } ", "{a:[1,2]}", ""},
        {R"({"b":1,"a":2,"c":3})", "{b:1,a:2,c:3}", ""},
        {R"({"A":1,"a":2})", "{A:1,a:2}", ""},
        {"{\"a\":1} trailing text is not read", "{a:1}", ""},
    };
    for (const Case& c : cases)
        check(c);
}

TEST(JSONTest, Numbers)
{
    const Case cases[] = {
        {"[0,-7,+3,1.5,-0.25,12.50,1e3,2.5E-2,1E+2]", "[0,-7,3,1.5,-0.25,12.5,1000,0.025,100]", ""},
        {"[79228162514264337593543950335]", "[79228162514264337593543950335]", ""},
        {"[0.1234567890123456789012345678901]", "[0.1234567890123456789012345679]", ""},
        {"[1.2.3]", "[]", "No coinciden los tipos: ]" + kNL},
        {"[1,2,-]", "[1,2]", "No coinciden los tipos: ]" + kNL},
        {"[1e]", "[]", "No coinciden los tipos: ]" + kNL},
        {"[79228162514264337593543950336]", "[]", "Desbordamiento: ]" + kNL},
        {"[12", "[<empty>]", "Missing ']': [12" + kNL},
        {"[-0,0.000,007,1.]", "[0,0,7,1]", ""},
        {R"({"a":x})", "{}", "No coinciden los tipos: a" + kNL},
    };
    for (const Case& c : cases)
        check(c);
}

// The number text is JSON's, with "." as its decimal point, whatever the user's locale uses.
TEST(JSONTest, NumbersDoNotFollowTheLocale)
{
    ASSERT_EQ(QLocale().decimalPoint(), QStringLiteral(","));
    const auto object = JSON::Parse(QStringLiteral(R"({"precio":1.5,"miles":1,234})"));
    const auto dictionary = vb::Variant(object).as<vb::Dictionary>();
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->Item(QStringLiteral("precio")).toDecimal(), vb::Decimal::parse(QStringLiteral("1.5")));
    EXPECT_EQ(dictionary->Item(QStringLiteral("precio")).toString(), QStringLiteral("1,5"));
    EXPECT_EQ(dictionary->Item(QStringLiteral("miles")).toDecimal(), vb::Decimal::fromInt(1));
}

TEST(JSONTest, Strings)
{
    const Case cases[] = {
        {R"(["x\u0041"])", R"(["xA"])", ""},
        {R"(["\u00f1and\u00D1"])", "[\"ñandÑ\"]", ""},
        {R"(["\ud83d\ude00"])", "[\"\xF0\x9F\x98\x80\"]", ""},
        {R"(["a\qb"])", R"(["aqb"])", ""},
        {R"(["\"\\\/\'"])", R"([""\/'"])", ""},
        {R"(['it''s'])", R"(["it","s"])", ""},
        {R"(['say "hi"', "it's"])", R"(["say "hi"","it's"])", ""},
        {R"(["sin cierre)", R"(["sin cierre"])", "Missing ']': " + QStringLiteral("[\"sin cierre") + kNL},
        {R"(["\u00zz"])", "[]", "No coinciden los tipos: 00zz\"]" + kNL},
        {R"({"k":"\u12"})", "{}", "No coinciden los tipos: k" + kNL},
        {R"(["", '', " x "])", R"(["",""," x "])", ""},
        {R"(['a\'b', "a\ b", "\/"])", R"(["a'b","a b","/"])", ""},
        {"[\"l1\nl2\t\xC3\xB1\xF0\x9F\x98\x80\"]", "[\"l1\nl2\t\xC3\xB1\xF0\x9F\x98\x80\"]", ""},
        {R"(["\u00e9\u00E9\uD83D\uDE00x"])", "[\"\xC3\xA9\xC3\xA9\xF0\x9F\x98\x80x\"]", ""},
        {R"(["abc\)", R"(["abc"])", "Missing ']': " + QStringLiteral("[\"abc\\") + kNL},
        {R"(["a\")", R"(["a""])", "Missing ']': " + QStringLiteral("[\"a\\\"") + kNL},
        {R"(["a\u4)", "[\"a\x04\"]", "Missing ']': " + QStringLiteral("[\"a\\u4") + kNL},
        {R"(["a\u)", "[]", "No coinciden los tipos: " + kNL},
        {R"(["\uG000"])", "[]", "No coinciden los tipos: G000\"]" + kNL},
    };
    for (const Case& c : cases)
        check(c);
}

TEST(JSONTest, ControlEscapes)
{
    const auto object = JSON::Parse(QStringLiteral(R"(["\b\f\n\r\t"])"));
    const auto array = vb::Variant(object).as<vb::Collection>();
    ASSERT_TRUE(array);
    EXPECT_EQ(array->Item(1).toString(), QStringLiteral("\b\f\n\r\t"));
    EXPECT_EQ(JSON::ErrorText(), QString());
}

TEST(JSONTest, LenientForms)
{
    const Case cases[] = {
        {R"({"a":1 "b":2})", "{a:1,b:2}", ""},
        {"{a:'x'}", R"({a:"x"})", ""},
        {"/* note */ {\"a\":true} // end", "{a:true}", ""},
        {"// first line\n{\"a\":1, // a comment\n \"b\":2}", "{a:1,b:2}", ""},
        {"{/* one * two */\"a\":1}", "{a:1}", ""},
        {"{/** doc **/\"a\":1}", "{a:1}", ""},
        {"({\"a\":(1)})", "{a:1}", ""},
        {"[1 2 3]", "[1,2,3]", ""},
        {R"({"first name":1})", "{firstname:1}", ""},
        {"{'single':1, bare : 2}", "{single:1,bare:2}", ""},
        {R"({"a:b":1})", "{a:b:1}", ""},
        {R"({"a":1,})", "{a:1,}:<empty>}", "Missing '}': {\"a\":1,}" + kNL},
        {"[1/*c*/,2//x\n,3]", "[1,2,3]", ""},
        {"{\"a\" /* c */ : 1, 'b'\n:2}", "{a:1,b:2}", ""},
        {"{ab cd:1, 'e\tf':2}", "{abcd:1,ef:2}", ""},
        {R"({"it's":2, "b":3})", R"({its:2,b:3}:<empty>})", "Missing '}': {\"it's\":2, \"b\":3}" + kNL},
        {R"({'say "x"':3})", R"({sayx:":3}"})",
         "Invalid Key at position 10 : sayx" + kNL + "Missing '}': {'say \"x\"':3}" + kNL},
        {R"({"abc)", "{abc:<empty>}", "Missing '}': {\"abc" + kNL},
        {R"({"a\"b":1})", "{}", "Invalid Key at position 6 : a\\" + kNL + "No coinciden los tipos: a\\" + kNL},
    };
    for (const Case& c : cases)
        check(c);
}

TEST(JSONTest, Faults)
{
    const Case cases[] = {
        {R"({"a":1,"a":2})", "{a:1}", "Esta clave ya está asociada a un elemento de esta colección: a" + kNL},
        {R"({"a":1)", "{a:<empty>}", "Missing '}': {\"a\":1" + kNL},
        {R"({"a":[1,2)", "{a:[1,<empty>]}", "Missing ']': {\"a\":[1,2" + kNL + "Missing '}': {\"a\":[1,2" + kNL},
        {R"({"a":tru})", "{a:false,tru}:<empty>}",
         "Invalid Boolean at position 6 : tru}" + kNL + "Missing '}': {\"a\":tru}" + kNL},
        {R"({"a":nil,"b":1})", "{a:<empty>,nil,b:1}", "Invalid null value at position 6 : nil,\"b\":1}" + kNL},
        {R"({"a" x:1})", "{}", "Invalid Key at position 6 : a" + kNL + "No coinciden los tipos: a" + kNL},
        {R"([1,[2,x],3])", "[1,[2]]", "No coinciden los tipos: x],3]" + kNL + "No coinciden los tipos: x],3]" + kNL},
        {R"({"o":{"p":x},"q":1})", "{o:{},x},q:1}", "No coinciden los tipos: p" + kNL},
        {"[xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx]", "[]", "No coinciden los tipos: xxxxxxxxxxxxxxxxxxxx" + kNL},
    };
    for (const Case& c : cases)
        check(c);
}

// Objects of many members keep their order and still refuse a repeated key, wherever it comes.
TEST(JSONTest, ObjectsWithManyMembers)
{
    for (const int repeated : {3, 30}) {
        QString text = QStringLiteral("{");
        QStringList members;
        for (int i = 0; i < 40; ++i) {
            text += QStringLiteral("\"k%1\":%1,").arg(i);
            members << QStringLiteral("k%1:%1").arg(i);
        }
        text += QStringLiteral("\"k%1\":0}").arg(repeated);
        EXPECT_EQ(parsed(text), QLatin1Char('{') + members.join(QLatin1Char(',')) + QLatin1Char('}'));
        EXPECT_EQ(JSON::ErrorText(),
                  QStringLiteral("Esta clave ya está asociada a un elemento de esta colección: k%1").arg(repeated) +
                      kNL);
    }
}

// A word that is not true, false or null inside an array is written as a fault once and ends the array,
// where reading on would meet the same word for ever.
TEST(JSONTest, AnUnreadableWordEndsTheArray)
{
    const Case cases[] = {
        {"[true,tru,1]", "[true]", "Invalid Boolean at position 7 : tru,1]" + kNL},
        {"[n]", "[]", "Invalid null value at position 2 : n]" + kNL},
        {R"({"a":[1,fals],"b":2})", "{a:[1],fals],b:2}", "Invalid Boolean at position 9 : fals],\"b\":2}" + kNL},
    };
    for (const Case& c : cases)
        check(c);
}

// Nesting deeper than the reader's limit is a fault of the container that would go deeper; the outer levels
// read on.
TEST(JSONTest, DeepNestingIsAFaultNotACrash)
{
    const int depth = 100000;
    const QString text = QString(depth, QLatin1Char('[')) + QString(depth, QLatin1Char(']'));
    const auto object = JSON::Parse(text);
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(JSON::ErrorText().startsWith(QStringLiteral("Espacio de pila insuficiente: [[[[")));

    const QString fine = QString(400, QLatin1Char('[')) + QString(400, QLatin1Char(']'));
    ASSERT_NE(JSON::Parse(fine), nullptr);
    EXPECT_EQ(JSON::ErrorText(), QString());
}

// True when the value read equals the one QJsonDocument read from the same well-formed text: members by key,
// elements in order, the same texts, numbers equal as doubles, true, false and null.
bool sameAsQt(const vb::Variant& value, const QJsonValue& expected)
{
    if (auto object = value.as<vb::Dictionary>()) {
        const QJsonObject members = expected.toObject();
        if (!expected.isObject() || object->Count() != members.size())
            return false;
        for (const QString& key : object->Keys())
            if (!members.contains(key) || !sameAsQt(object->Item(key), members.value(key)))
                return false;
        return true;
    }
    if (auto array = value.as<vb::Collection>()) {
        const QJsonArray elements = expected.toArray();
        if (!expected.isArray() || array->Count() != elements.size())
            return false;
        for (int i = 1; i <= array->Count(); ++i)
            if (!sameAsQt(array->Item(i), elements.at(i - 1)))
                return false;
        return true;
    }
    switch (value.type()) {
    case vb::Variant::Type::Null:
        return expected.isNull();
    case vb::Variant::Type::Boolean:
        return expected.isBool() && value.toBool() == expected.toBool();
    case vb::Variant::Type::String:
        return expected.isString() && value.toString() == expected.toString();
    case vb::Variant::Type::Decimal: {
        const double number = value.toDecimal().toDouble();
        return expected.isDouble() && std::abs(number - expected.toDouble()) <= 1e-12 * std::abs(number);
    }
    default:
        return false;
    }
}

// A well-formed document of many records: every escape, surrogate pairs escaped and raw, texts longer than the
// string builder's chunk, numbers in every form, nesting and empty containers.
QByteArray recordsDocument()
{
    const QByteArray longText = QByteArray("0123456789\\\\\\u00f1").repeated(700);
    QByteArray text = "[";
    for (int i = 0; i < 300; ++i) {
        const QByteArray n = QByteArray::number(i);
        text += (i ? ",\n" : "") + QByteArray("{\"id\":") + n + ",\"texto\":\"plain " + n + "\"," +
                "\"escapes\":\"q\\\"b\\\\s\\/\\b\\f\\n\\r\\t\\u00e9\\u00C9\\ud83d\\ude00" + n + "\"," +
                "\"raw\":\"\xC3\xB1\xF0\x9F\x98\x80\",\"vacio\":\"\",\"u" + n + "\":\"\\u" +
                QByteArray::number(0x20 + i * 97, 16).rightJustified(4, '0') + "\"," + "\"numeros\":[0,-0," + n + ",-" +
                n + ".25,1e3,1E-3,2.5e+10,-7.125E2,0." + n + ",1234567890123]," +
                "\"flags\":[true,false,null],\"anidado\":{\"a\":[[],{},[{\"b\":[" + n + "]}]]}" +
                (i % 50 == 0 ? ",\"largo\":\"" + longText + "\"" : QByteArray()) + "}";
    }
    return text + "]";
}

TEST(JSONTest, ReadsWellFormedDocumentsAsQJsonDocumentDoes)
{
    const QByteArray document = recordsDocument();
    QJsonParseError error;
    const QJsonDocument expected = QJsonDocument::fromJson(document, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const auto object = JSON::Parse(QString::fromUtf8(document));
    EXPECT_EQ(JSON::ErrorText(), QString());
    EXPECT_TRUE(sameAsQt(vb::Variant(object), expected.array()));
}

// Runs Parse in a child process that may take at most `seconds` of processor time and `megabytes` of address
// space beyond what the test program already holds; true when the reading ended normally within them.
// True when `work` ends normally in a child process held to `seconds` of processor time and `megabytes` of
// address space beyond what the test program already maps.
bool runsWithin(const std::function<void()>& work, rlim_t seconds, rlim_t megabytes)
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return false;
    const rlim_t mapped = statm.readAll().split(' ').first().toULongLong() * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
#if defined(__SANITIZE_ADDRESS__)
        // The address sanitizer reserves its shadow and keeps freed blocks in quarantine, so an address-space
        // bound measures the sanitizer, not the reader; what stays is a processor bound for its slower code.
        (void)mapped;
        (void)megabytes;
        seconds *= 10;
#else
        const rlimit memory{mapped + megabytes * 1024 * 1024, mapped + megabytes * 1024 * 1024};
        setrlimit(RLIMIT_AS, &memory);
#endif
        const rlimit processor{seconds, seconds};
        setrlimit(RLIMIT_CPU, &processor);
        // The child must end here whatever happens: it holds a copy of the whole test program.
        try {
            work();
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool parsesWithin(const QString& text, rlim_t seconds, rlim_t megabytes)
{
    return runsWithin([&text]() { JSON::Parse(text); }, seconds, megabytes);
}

// An answer that only opens arrays: the first level past the limit is reported, the rest is not read again
// level by level, neither in time, nor in memory, nor in fault lines.
TEST(JSONTest, AnAnswerOfOpeningBracketsReportsItsDepthOnce)
{
    const QString text(10 * 1024 * 1024, QLatin1Char('['));
    EXPECT_TRUE(runsWithin(
        [&text]() {
            JSON::Parse(text);
            (void)JSON::ErrorText().size();
        },
        1, 100));

    ASSERT_NE(JSON::Parse(text), nullptr);
    const QString depthFault = QStringLiteral("Espacio de pila insuficiente: ");
    EXPECT_TRUE(JSON::ErrorText().startsWith(depthFault + QString(20, QLatin1Char('['))));
    EXPECT_EQ(JSON::ErrorText().count(depthFault), 1);
}

// Neither the rest of a value too deep nor a second one writes another line of that kind.
TEST(JSONTest, OnlyTheFirstValueTooDeepIsReported)
{
    const QString deep = QString(600, QLatin1Char('[')) + QStringLiteral("\"]\"") + QString(600, QLatin1Char(']'));
    ASSERT_NE(JSON::Parse(QStringLiteral("{\"a\":") + deep + QStringLiteral(",\"b\":") + deep + QStringLiteral("}")),
              nullptr);
    EXPECT_EQ(JSON::ErrorText().count(QStringLiteral("Espacio de pila insuficiente")), 1);
}

// A malformed answer nested deep: each level quotes the word it cannot read, and each enclosing level meets
// the same word again. The quote is bounded, so a megabyte of text cannot become a gigabyte of fault lines.
TEST(JSONTest, FaultLinesQuoteABoundedPartOfTheText)
{
    struct Malformed {
        const char* word;
        const char* fault;
    };
    const int depth = 500;
    for (const Malformed& m : {Malformed{"tru", "Invalid Boolean"}, Malformed{"nul", "Invalid null value"}}) {
        QString text = QString(depth, QLatin1Char('[')) + QLatin1String(m.word);
        text += QString(1000000 - text.size(), QLatin1Char(' '));
        // Reading it here as well is only safe once the child has shown that it stays within bounds.
        const bool bounded = parsesWithin(text, 1, 100);
        EXPECT_TRUE(bounded) << m.word;
        if (!bounded)
            continue;
        ASSERT_NE(JSON::Parse(text), nullptr);
        const QString line = QLatin1String(m.fault) + QStringLiteral(" at position 501 : ") + QLatin1String(m.word) +
                             QString(197, QLatin1Char(' ')) + kNL;
        EXPECT_EQ(JSON::ErrorText().size(), depth * line.size()) << m.word;
        EXPECT_EQ(JSON::ErrorText(), line.repeated(depth)) << m.word;
    }
}

// Deep arrays side by side in an object, each ending on a word that is no value: every level of an array
// writes the same line again, hundreds of copies per array, which must not all be held while the text is read.
TEST(JSONTest, RepeatedFaultLinesOfSideBySideArrays)
{
    const int levels = 499;
    const auto sideBySide = [&](int arrays) {
        QString text = QStringLiteral("{");
        for (int i = 0; i < arrays; ++i)
            text += QStringLiteral("\"k%1\":").arg(i) + QString(levels, QLatin1Char('[')) + QStringLiteral("tru");
        return text;
    };
    EXPECT_TRUE(parsesWithin(sideBySide(800), 2, 100));

    const QString text = sideBySide(3);
    const auto object = JSON::Parse(text);
    const auto dictionary = vb::Variant(object).as<vb::Dictionary>();
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->Keys(), QStringList({QStringLiteral("k0"), QStringLiteral("truk1"), QStringLiteral("truk2"),
                                               QStringLiteral("tru")}));
    QString expected;
    for (qsizetype from = 0; (from = text.indexOf(QStringLiteral("tru"), from)) >= 0; ++from)
        expected += (QStringLiteral("Invalid Boolean at position %1 : ").arg(from + 1) + text.mid(from, 200) + kNL)
                        .repeated(levels);
    expected += QStringLiteral("Missing '}': ") + text.right(20) + kNL;
    EXPECT_EQ(JSON::ErrorText(), expected);
}

TEST(JSONTest, EachParseStartsWithNoFaults)
{
    JSON::Parse(QStringLiteral("[x]"));
    EXPECT_FALSE(JSON::ErrorText().isEmpty());
    JSON::Parse(QStringLiteral("[1]"));
    EXPECT_EQ(JSON::ErrorText(), QString());
}

TEST(JSONTest, NestedContainersAreHeldByReference)
{
    const auto object = JSON::Parse(QStringLiteral(R"({"lista":[{"Descripcion":"COCA COLA 1.5L"}]})"));
    const auto root = vb::Variant(object).as<vb::Dictionary>();
    ASSERT_TRUE(root);
    const auto list = root->Item(QStringLiteral("lista")).as<vb::Collection>();
    ASSERT_TRUE(list);
    ASSERT_EQ(list->Count(), 1);
    const auto article = list->Item(1).as<vb::Dictionary>();
    ASSERT_TRUE(article);
    EXPECT_EQ(article->Item(QStringLiteral("Descripcion")).toString(), QStringLiteral("COCA COLA 1.5L"));
}

} // namespace
