// The plain functions behind the day-entry windows: captions, list lines, input checks and
// search lines.

#include "core/CodePageText.h"
#include "entries/EntryLines.h"

#include <QtTest>

class tst_entryLines : public QObject {
    Q_OBJECT
private slots:
    void captions();
    void sameDayYearsBack_data();
    void sameDayYearsBack();
    void whatDayLines_data();
    void whatDayLines();
    void whatDayInputChecks_data();
    void whatDayInputChecks();
    void dayBoxCheck_data();
    void dayBoxCheck();
    void searchLines_data();
    void searchLines();
    void containsPatternEscapes();
};

void tst_entryLines::captions() {
    QCOMPARE(ScheduleCaption(QDate(2005, 1, 1)), QStringLiteral("2005年01月01日（土）の予定"));
    QCOMPARE(DiaryCaption(QDate(2004, 3, 15)), QStringLiteral("03月15日（月）の日記"));
    // The cell's two-character day number is dropped, its tags stay.
    QCOMPARE(DiaryHeading(QDate(2004, 3, 20), QStringLiteral("20春分の日")),
             QStringLiteral(" 2004年 03月20日（土）春分の日"));
    QCOMPARE(DiaryHeading(QDate(2004, 3, 5), QStringLiteral(" 5［誕生日］")),
             QStringLiteral(" 2004年 03月05日（金）［誕生日］"));
    QCOMPARE(DiaryHeading(QDate(2004, 3, 16), QStringLiteral("16")),
             QStringLiteral(" 2004年 03月16日（火）"));
    QCOMPARE(DeleteScheduleQuestion(QDate(2004, 3, 15)),
             QStringLiteral("2004年03月15日（月）の予定を削除してよろしいですか？"));
    QCOMPARE(DeleteDiaryQuestion(QDate(2004, 3, 15)),
             QStringLiteral("2004年03月15日（月）の日記を削除してよろしいですか？"));
}

void tst_entryLines::sameDayYearsBack_data() {
    QTest::addColumn<QDate>("day");
    QTest::addColumn<int>("back");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("ordinary") << QDate(2004, 3, 15) << 9 << QDate(1995, 3, 15);
    QTest::newRow("leap to leap") << QDate(2004, 2, 29) << 4 << QDate(2000, 2, 29);
    QTest::newRow("leap to common") << QDate(2004, 2, 29) << 1 << QDate();
    QTest::newRow("century not leap") << QDate(2004, 2, 29) << 104 << QDate();
}

void tst_entryLines::sameDayYearsBack() {
    QFETCH(QDate, day);
    QFETCH(int, back);
    QFETCH(QDate, expected);
    QCOMPARE(SameDayYearsBack(day, back), expected);
}

void tst_entryLines::whatDayLines_data() {
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("one digit") << 5 << QStringLiteral("花見") << QStringLiteral("  5日  花見")
                               << QStringLiteral("花見");
    QTest::newRow("two digits") << 15 << QStringLiteral("Birthday")
                                << QStringLiteral(" 15日  Birthday") << QStringLiteral("Birthday");
    QTest::newRow("blanks around") << 31 << QStringLiteral("  会議 ")
                                   << QStringLiteral(" 31日    会議 ") << QStringLiteral("会議");
    QTest::newRow("half-width kana")
        << 1 << QStringLiteral("ｶﾗｵｹ") << QStringLiteral("  1日  ｶﾗｵｹ") << QStringLiteral("ｶﾗｵｹ");
}

void tst_entryLines::whatDayLines() {
    QFETCH(int, day);
    QFETCH(QString, text);
    QFETCH(QString, line);
    QFETCH(QString, readBack);
    const QString built = WhatDayLine(day, text);
    QCOMPARE(built, line);
    // The text begins at the eighth byte of the Japanese code page.
    QCOMPARE(cp932Mid(built, 8, -1), text);
    QCOMPARE(cp932Length(built) - cp932Length(text), 7);
    const WhatDayLineParts parts = ParseWhatDayLine(built);
    QCOMPARE(parts.day, day);
    QCOMPARE(parts.text, readBack);
}

void tst_entryLines::whatDayInputChecks_data() {
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("message");
    const QString monthRange = QStringLiteral("1～12の数値を入力して下さい。");
    const QString dayMsg = QStringLiteral("日を入力して下さい。");
    const int M = int(WhatDayField::Month), D = int(WhatDayField::Day),
              W = int(WhatDayField::WhatDay), none = int(WhatDayField::None);
    QTest::newRow("all empty") << ""
                               << ""
                               << "" << M << QStringLiteral("月を入力して下さい。");
    QTest::newRow("month 13") << "13"
                              << ""
                              << "" << M << monthRange;
    QTest::newRow("month 0") << "0"
                             << "1"
                             << "x" << M << monthRange;
    QTest::newRow("month letters") << "1a"
                                   << "1"
                                   << "x" << M << monthRange;
    QTest::newRow("day empty") << "12"
                               << ""
                               << "" << D << dayMsg;
    QTest::newRow("day 32") << "2"
                            << "32"
                            << "x" << D << dayMsg;
    QTest::newRow("day 0") << "2"
                           << "0"
                           << "x" << D << dayMsg;
    QTest::newRow("day decimal") << "2"
                                 << "3.5"
                                 << "x" << D << dayMsg;
    QTest::newRow("text empty") << "2"
                                << "31"
                                << "" << W << QStringLiteral("内容を入力して下さい。");
    QTest::newRow("31 February passes") << "2"
                                        << "31"
                                        << "x" << none << QString();
    QTest::newRow("full-width digits") << "１２"
                                       << "０１"
                                       << "x" << none << QString();
    QTest::newRow("leading zero") << "05"
                                  << "03"
                                  << " " << none << QString();
}

void tst_entryLines::whatDayInputChecks() {
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(QString, text);
    QFETCH(int, field);
    QFETCH(QString, message);
    const InputProblem p = CheckWhatDayInput(month, day, text);
    QCOMPARE(int(p.field), field);
    QCOMPARE(p.message, message);
}

void tst_entryLines::dayBoxCheck_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::newRow("empty passes") << "" << true;
    QTest::newRow("1") << "1" << true;
    QTest::newRow("31") << "31" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("32") << "32" << false;
    QTest::newRow("letters") << "ab" << false;
    QTest::newRow("negative") << "-3" << false;
    QTest::newRow("huge") << "99999999999999" << false;
}

void tst_entryLines::dayBoxCheck() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QCOMPARE(DayTextAcceptable(text), ok);
}

void tst_entryLines::searchLines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    const QString pad40(40, QLatin1Char(' '));
    QTest::newRow("schedule") << ScheduleSearchLine(QDate(2004, 3, 15), QStringLiteral("会議"))
                              << QStringLiteral("2004/03/15 | 予定     | 会議") +
                                     QString(46, QLatin1Char(' '));
    QTest::newRow("diary") << DiarySearchLine(QDate(2004, 12, 1), QStringLiteral("0123456789"))
                           << QStringLiteral("2004/12/01 | 日記     | 0123456789") + pad40;
    QTest::newRow("anniversary") << WhatDaySearchLine(5, 3, QStringLiteral("0123456789"))
                                 << QStringLiteral("     05/03 | What Day | 0123456789") + pad40;
    // 50 bytes: one ASCII letter and 24 kanji; the 25th kanji would need bytes 50 and 51.
    const QString kanji30 = QString(30, QChar(0x6F22));
    QTest::newRow("cut between characters")
        << ScheduleSearchLine(QDate(2004, 3, 15), QLatin1Char('a') + kanji30)
        << QStringLiteral("2004/03/15 | 予定     | a") + QString(24, QChar(0x6F22));
    QTest::newRow("line breaks stay on one line")
        << ScheduleSearchLine(QDate(2004, 3, 15), QStringLiteral("a\r\nb"))
        << QStringLiteral("2004/03/15 | 予定     | a  b") + QString(46, QLatin1Char(' '));
}

void tst_entryLines::searchLines() {
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(line, expected);
    // Every column starts at the same byte whatever the source.
    QCOMPARE(cp932Length(line.left(line.indexOf(QLatin1String("| ")) + 2)), 13);
}

void tst_entryLines::containsPatternEscapes() {
    QCOMPARE(ContainsPattern(QStringLiteral("100%_a\\b*?\"")),
             QStringLiteral("%100\\%\\_a\\\\b*?\"%"));
}

QTEST_GUILESS_MAIN(tst_entryLines)
#include "tst_entryLines.moc"
