// The line reader's CR rules, on a device read with every buffer size and on
// text in memory.
#include "common/LineStream.h"

#include <QBuffer>
#include <QTest>

#include <utility>

Q_DECLARE_METATYPE(LineStream::CrRule)

namespace {

using Rule = LineStream::CrRule;

// Sizes that split the short inputs below at every place (lines, CR runs),
// and the default that keeps their lines whole.
const qsizetype kBufferSizes[] = {1, 2, 3, 5, 8, 13, 64, LineStream::DefaultBufferSize};

// The lines as the stream hands them out, pieces joined.
QByteArrayList streamedLines(const QByteArray &input, qsizetype bufferSize, Rule rule)
{
    QBuffer buffer;
    buffer.setData(input);
    buffer.open(QIODevice::ReadOnly);
    LineStream stream(buffer, bufferSize, rule);
    QByteArrayList lines;
    QByteArray line;
    LineStream::Piece piece;
    while (stream.next(piece)) {
        if (!piece.lineEnd && piece.bytes.isEmpty())
            return {"(empty piece inside a line)"};
        line.append(piece.bytes);
        if (piece.lineEnd)
            lines.append(std::exchange(line, {}));
    }
    return lines;
}

QByteArrayList wholeLines(LineStream &stream)
{
    QByteArrayList lines;
    QByteArrayView line;
    while (stream.nextLine(line))
        lines.append(line.toByteArray());
    return lines;
}

} // namespace

class TestLines : public QObject
{
    Q_OBJECT

private slots:
    void crRules_data()
    {
        QTest::addColumn<Rule>("rule");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArrayList>("lines");
        const QByteArray crs(300, '\r');
        const QByteArray fewerCrs(299, '\r');
        for (const auto &[rule, name] :
             {std::pair{Rule::DropBeforeEnd, "mail"}, std::pair{Rule::DropOneBeforeLf, "config"},
              std::pair{Rule::EndsLine, "outgoing"}}) {
            const auto row = [name](const char *what) {
                return &QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(name, what)));
            };
            *row("empty") << rule << QByteArray() << QByteArrayList();
            *row("one LF") << rule << QByteArray("\n") << QByteArrayList{""};
            *row("no last LF") << rule << QByteArray("a\nbc") << QByteArrayList{"a", "bc"};
            *row("NUL and 8-bit") << rule << QByteArray("\0\xff\n\x82\xa0", 5)
                                  << QByteArrayList{QByteArray("\0\xff", 2), "\x82\xa0"};
        }

        // Mail: every CR before a line end goes with it, a CR inside a line is text.
        QTest::newRow("mail: CR runs at ends only")
            << Rule::DropBeforeEnd << QByteArray("a\r\n\r\r\nb\rc\r\r\n")
            << QByteArrayList{"a", "", "b\rc"};
        QTest::newRow("mail: CRs at the very end")
            << Rule::DropBeforeEnd << QByteArray("a\r\r") << QByteArrayList{"a"};
        QTest::newRow("mail: 300 CRs inside a line")
            << Rule::DropBeforeEnd << "x" + crs + "y\n" + crs + "\n"
            << QByteArrayList{"x" + crs + "y", ""};

        // Config: one CR before an LF goes with it, every other CR is text.
        QTest::newRow("config: one CR of a run before LF")
            << Rule::DropOneBeforeLf << QByteArray("a\r\r\n\r\nb\rc\r\n")
            << QByteArrayList{"a\r", "", "b\rc"};
        QTest::newRow("config: CRs at the very end are text")
            << Rule::DropOneBeforeLf << QByteArray("a\n\r\r") << QByteArrayList{"a", "\r\r"};
        QTest::newRow("config: 300 CRs before LF")
            << Rule::DropOneBeforeLf << "x" + crs + "\n" + crs + "\n"
            << QByteArrayList{"x" + fewerCrs, fewerCrs};

        // Outgoing text: a run of CRs ends a line, with the LF after it.
        QTest::newRow("outgoing: lone CR, CR CR LF, CR LF")
            << Rule::EndsLine << QByteArray("a\rb\r\r\nc\r\n\r\nd\n\re")
            << QByteArrayList{"a", "b", "c", "", "d", "", "e"};
        QTest::newRow("outgoing: CR at the very end")
            << Rule::EndsLine << QByteArray("a\r") << QByteArrayList{"a"};
        QTest::newRow("outgoing: a CR alone")
            << Rule::EndsLine << QByteArray("\r") << QByteArrayList{""};
        QTest::newRow("outgoing: 300 CRs inside a line")
            << Rule::EndsLine << "x" + crs + "y\n" + crs + "\n"
            << QByteArrayList{"x", "y", ""};
    }

    void crRules()
    {
        QFETCH(Rule, rule);
        QFETCH(QByteArray, input);
        QFETCH(QByteArrayList, lines);
        for (qsizetype size : kBufferSizes) {
            QCOMPARE(streamedLines(input, size, rule), lines);
            QBuffer buffer;
            buffer.setData(input);
            buffer.open(QIODevice::ReadOnly);
            LineStream stream(buffer, size, rule);
            QCOMPARE(wholeLines(stream), lines);
        }
        LineStream inMemory(input, rule);
        QCOMPARE(wholeLines(inMemory), lines);
    }
};

QTEST_GUILESS_MAIN(TestLines)
#include "tst_lines.moc"
