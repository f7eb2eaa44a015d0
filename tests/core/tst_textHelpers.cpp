// Value helpers and the byte-width helpers that lay out the lists.

#include "core/CodePageText.h"
#include "core/Colors.h"
#include "core/Dates.h"
#include "core/LineOrder.h"
#include "core/SortedLineItem.h"
#include "core/TextBoxes.h"
#include "core/Twips.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QtTest>

class tst_textHelpers : public QObject {
    Q_OBJECT
private slots:
    void valueOrDefault();
    void cp932Lengths_data();
    void cp932Lengths();
    void cuts_data();
    void cuts();
    void cp932Padding_data();
    void cp932Padding();
    void lastDayOfMonth();
    void dateSerialCarries();
    void gridStart();
    void colours();
    void twipsAndPixels_data();
    void twipsAndPixels();
    void selectAllText();
    void typedText_data();
    void typedText();
    void lineOrder_data();
    void lineOrder();
};

void tst_textHelpers::valueOrDefault() {
    QCOMPARE(valueOr(QVariant(), QStringLiteral("x")).toString(), QStringLiteral("x"));
    QCOMPARE(valueOr(QVariant(QMetaType::fromType<QString>()), 5).toInt(), 5);
    QCOMPARE(valueOr(QStringLiteral(""), QStringLiteral("x")).toString(), QString());
    QCOMPARE(valueOr(0, 7).toInt(), 0);
}

void tst_textHelpers::cp932Lengths_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("bytes");
    QTest::newRow("ascii") << QStringLiteral("ab") << 2;
    QTest::newRow("kanji") << QStringLiteral("予定") << 4;
    QTest::newRow("half-width katakana") << QStringLiteral("ｱﾗ") << 2;
    QTest::newRow("full-width katakana") << QStringLiteral("アラ") << 4;
    QTest::newRow("mixed") << QStringLiteral("ｷｬﾝｾﾙ OK 取消") << 13;
    QTest::newRow("full-width blank") << QStringLiteral("　") << 2;
    QTest::newRow("emoji counts as one double-byte character") << QStringLiteral("😀") << 2;
    QTest::newRow("empty") << QString() << 0;
    // The half-width katakana block is exactly U+FF61-U+FF9F.
    QTest::newRow("U+FF60, before the block") << QStringLiteral("\uFF60") << 2;
    QTest::newRow("U+FF61, its first") << QStringLiteral("\uFF61") << 1;
    QTest::newRow("U+FF9F, its last") << QStringLiteral("\uFF9F") << 1;
    QTest::newRow("U+FFA0, after it") << QStringLiteral("\uFFA0") << 2;
}

void tst_textHelpers::cp932Lengths() {
    QFETCH(QString, text);
    QFETCH(int, bytes);
    QCOMPARE(cp932Length(text), bytes);
}

void tst_textHelpers::cuts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::newRow("ascii") << QStringLiteral("abcdef") << 3 << QStringLiteral("abc")
                           << QStringLiteral("def");
    QTest::newRow("whole kanji") << QStringLiteral("予定表") << 4 << QStringLiteral("予定")
                                 << QStringLiteral("定表");
    // A cut through a double-byte character leaves that character out: no garbage.
    QTest::newRow("through a kanji")
        << QStringLiteral("予定表") << 3 << QStringLiteral("予") << QStringLiteral("表");
    QTest::newRow("half-width katakana")
        << QStringLiteral("ｱｲｳｴ") << 3 << QStringLiteral("ｱｲｳ") << QStringLiteral("ｲｳｴ");
    QTest::newRow("trailing blanks removed")
        << QStringLiteral("ab  cd  ") << 4 << QStringLiteral("ab") << QStringLiteral("cd");
    QTest::newRow("day number and tags")
        << QStringLiteral(" 5［元日］") << 2 << QStringLiteral(" 5") << QStringLiteral("］");
    QTest::newRow("longer than the text")
        << QStringLiteral("ab") << 10 << QStringLiteral("ab") << QStringLiteral("ab");
    QTest::newRow("zero") << QStringLiteral("ab") << 0 << QString() << QString();
    QTest::newRow("emoji kept whole")
        << QStringLiteral("a😀b") << 3 << QStringLiteral("a😀") << QStringLiteral("😀b");
}

void tst_textHelpers::cuts() {
    QFETCH(QString, text);
    QFETCH(int, n);
    QFETCH(QString, left);
    QFETCH(QString, right);
    QCOMPARE(cp932Left(text, n), left);
    QCOMPARE(cp932Right(text, n), right);
}

void tst_textHelpers::cp932Padding_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("expected");
    QTest::newRow("right-aligned") << QStringLiteral("ab") << 1 << 5 << QStringLiteral("   ab");
    QTest::newRow("left-aligned") << QStringLiteral("ab") << 2 << 5 << QStringLiteral("ab   ");
    QTest::newRow("any other value is left")
        << QStringLiteral("ab") << 0 << 3 << QStringLiteral("ab ");
    QTest::newRow("kanji pads by bytes")
        << QStringLiteral("予定") << 2 << 9 << QStringLiteral("予定     ");
    QTest::newRow("exact width") << QStringLiteral("abc") << 2 << 3 << QStringLiteral("abc");
    QTest::newRow("cut and trailing blanks lost")
        << QStringLiteral("ab  cdef") << 2 << 4 << QStringLiteral("ab");
    QTest::newRow("cut through a kanji")
        << QStringLiteral("あいう") << 2 << 5 << QStringLiteral("あい");
}

void tst_textHelpers::cp932Padding() {
    QFETCH(QString, text);
    QFETCH(int, alignment);
    QFETCH(int, width);
    QFETCH(QString, expected);
    QCOMPARE(cp932Pad(text, quint8(alignment), width), expected);
}

void tst_textHelpers::lastDayOfMonth() {
    QCOMPARE(LastDayOfMonth(2004, 2), QDate(2004, 2, 29));
    QCOMPARE(LastDayOfMonth(2003, 2), QDate(2003, 2, 28));
    QCOMPARE(LastDayOfMonth(2003, 12), QDate(2003, 12, 31));
    QCOMPARE(LastDayOfMonth(2000, 2), QDate(2000, 2, 29));
    QCOMPARE(LastDayOfMonth(1900, 2), QDate(1900, 2, 28));
}

void tst_textHelpers::dateSerialCarries() {
    QCOMPARE(DateSerial(2004, 2, 31), QDate(2004, 3, 2));
    QCOMPARE(DateSerial(2004, 4, 31), QDate(2004, 5, 1));
    QCOMPARE(DateSerial(2004, 13, 1), QDate(2005, 1, 1));
    QCOMPARE(DateSerial(2004, 0, 15), QDate(2003, 12, 15));
    QCOMPARE(DateSerial(2004, -11, 1), QDate(2003, 1, 1));
    QCOMPARE(DateSerial(2004, -12, 1), QDate(2002, 12, 1));
}

void tst_textHelpers::gridStart() {
    QCOMPARE(GridStart(2004, 2), QDate(2004, 2, 1)); // the 1st is a Sunday
    QCOMPARE(GridStart(2004, 3), QDate(2004, 2, 29));
    QCOMPARE(GridStart(2026, 12), QDate(2026, 11, 29));
}

void tst_textHelpers::colours() {
    const QColor c = ColorFromBgr(0x7777FF);
    QCOMPARE(c.red(), 255);
    QCOMPARE(c.green(), 0x77);
    QCOMPARE(c.blue(), 0x77);
    QCOMPARE(BgrFromColor(QColor(0x80, 0x80, 0xFF)), quint32(0xFF8080));
}

void tst_textHelpers::twipsAndPixels_data() {
    QTest::addColumn<qint64>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("zero") << qint64(0) << 0;
    QTest::newRow("just under half a pixel") << qint64(7) << 0;
    QTest::newRow("just over half a pixel") << qint64(8) << 1;
    QTest::newRow("design width") << qint64(7000) << 467;
    QTest::newRow("design height") << qint64(10000) << 667;
    QTest::newRow("negative, under half") << qint64(-7) << 0;
    QTest::newRow("negative, over half") << qint64(-8) << -1;
    QTest::newRow("far left") << qint64(-100000) << -6667;
    QTest::newRow("largest 32-bit") << qint64(2147483647) << 143165576;
    QTest::newRow("smallest 32-bit") << qint64(-2147483648LL) << -143165577;
}

void tst_textHelpers::twipsAndPixels() {
    QFETCH(qint64, twips);
    QFETCH(int, pixels);
    QCOMPARE(TwipsToPixels(twips), pixels);
    // Every pixel value a stored value gives converts back to the same pixels, the extremes too
    // (the settings store writes the window's frame back in twips).
    QCOMPARE(TwipsToPixels(PixelsToTwips(pixels)), pixels);
}

void tst_textHelpers::selectAllText() {
    QLineEdit box(QStringLiteral("予定あり"));
    box.setCursorPosition(2);
    SelectAllText(&box);
    QCOMPARE(box.selectionStart(), 0);
    QCOMPARE(box.selectedText(), QStringLiteral("予定あり"));
}

void tst_textHelpers::typedText_data() {
    QTest::addColumn<QString>("typed"); // U+2028 stands for Shift+Enter
    QTest::addColumn<QString>("expected");
    QTest::newRow("no-break spaces")
        << QStringLiteral("\u00a0a\u00a0b\u00a0") << QStringLiteral("\u00a0a\u00a0b\u00a0");
    QTest::newRow("other spaces") << QStringLiteral("\u3000\u2002\u2009\u202f\u200b\tx ")
                                  << QStringLiteral("\u3000\u2002\u2009\u202f\u200b\tx ");
    QTest::newRow("line breaks") << QStringLiteral("a\n\nb\n") << QStringLiteral("a\n\nb\n");
    QTest::newRow("soft line break") << QStringLiteral("a\u2028b") << QStringLiteral("a\nb");
}

void tst_textHelpers::typedText() {
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QPlainTextEdit box;
    for (const QChar c : typed) {
        if (c == u'\n' || c == QChar::LineSeparator) {
            QTest::keyClick(&box, Qt::Key_Return, c == u'\n' ? Qt::NoModifier : Qt::ShiftModifier);
        } else {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&box, &press);
        }
    }
    QCOMPARE(TypedText(&box), expected);
}

void tst_textHelpers::lineOrder_data() {
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("kanji by reading") << QStringList{"日記", "予定", "腕", "鬱"};
    QTest::newRow("lines of one date")
        << QStringList{"2004/03/15 | 日記     | b", "2004/03/15 | 予定     | a"};
    QTest::newRow("hiragana, then katakana") << QStringList{"あ", "か", "ア"};
    QTest::newRow("ASCII first, letter case aside, blanks before digits")
        << QStringList{"  5日  a", "  5日  B", " 10日  x", "ABC", "abd", "ー", "Ａ"};
    QTest::newRow("half-width katakana between the two kanji levels")
        << QStringList{"鬱", "｡", "ｰ", "ｱ", "ﾟ", "漾"};
    QTest::newRow("outside the code page last, by code point") << QStringList{"予定", "😀", "𠮷"};
    QTest::newRow("equal but for case: upper first") << QStringList{"Ab", "ab"};
}

void tst_textHelpers::lineOrder() {
    QFETCH(QStringList, sorted);
    QStringList reversed(sorted.rbegin(), sorted.rend());
    QStringList batch = reversed;
    SortLines(batch);
    QCOMPARE(batch, sorted);
    for (qsizetype i = 1; i < sorted.size(); ++i) {
        QVERIFY(LineLess(sorted[i - 1], sorted[i]));
        QVERIFY(!LineLess(sorted[i], sorted[i - 1]));
    }
    // A list sorting its items one by one agrees with the batch.
    QListWidget list;
    list.setSortingEnabled(true);
    for (const QString& line : reversed)
        list.addItem(new SortedLineItem(line));
    QStringList shown;
    for (int i = 0; i < list.count(); ++i)
        shown << list.item(i)->text();
    QCOMPARE(shown, sorted);
}

QTEST_MAIN(tst_textHelpers)
#include "tst_textHelpers.moc"
