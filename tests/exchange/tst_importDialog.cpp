// The import window as a user works it: a file that is no calendar, the question with its
// counts, and what OK or Cancel leave in the database.

#include "TestSupport.h"
#include "exchange/ImportDialog.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class tst_importDialog : public QObject {
    Q_OBJECT
private slots:
    void imports_data();
    void imports();
};

void tst_importDialog::imports_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("schedule"); // of 2027-01-05 afterwards
    const QByteArray event = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//EN\r\n"
                             "BEGIN:VEVENT\r\nUID:a@t\r\nDTSTAMP:20270101T000000Z\r\n"
                             "DTSTART:20270105T010000Z\r\nSUMMARY:打ち合わせ\r\nEND:VEVENT\r\n"
                             "END:VCALENDAR\r\n";
    const QString question =
        QStringLiteral("予定 1件、日記 0件、記念日 0件を読み込みます。よろしいですか？");
    QTest::newRow("not a calendar")
        << QByteArray("hello\r\n") << 0
        << QStringList{"iCalendarファイルを読み込めません。\r\niCalendarファイルではありません。"}
        << "仕事始め";
    QTest::newRow("Cancel") << event << int(MsgResult::Cancel) << QStringList{question}
                            << "仕事始め";
    QTest::newRow("OK") << event << int(MsgResult::OK)
                        << QStringList{question, "予定 1件、日記 0件、記念日 0件を読み込みました。"}
                        << "仕事始め\n10:00 打ち合わせ";
}

void tst_importDialog::imports() {
    QFETCH(QByteArray, file);
    QFETCH(int, answer);
    QFETCH(QStringList, messages);
    QFETCH(QString, schedule);
    qputenv("TZ", "Asia/Tokyo");
    TestEnv env(TestEnv::Schema::V107);
    MsgRecorder msgs;
    ClockOverride clock(env.program(), QDateTime(QDate(2027, 1, 1), QTime(9, 0)));
    QVERIFY(env.exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2027-01-05', '仕事始め')")));
    const QString path = QDir(env.dir()).filePath(QStringLiteral("in.ics"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file) == file.size());
    f.close();

    ImportDialog d(env.program());
    d.show();
    QCOMPARE(Child<QDateEdit>(d, "txtFromDate")->date(), QDate(2026, 1, 1));
    QCOMPARE(Child<QDateEdit>(d, "txtToDate")->date(), QDate(2029, 1, 1));
    Child<QLineEdit>(d, "txtPath")->setText(path);
    msgs.answers.push_back(MsgResult(answer));
    QTest::mouseClick(Child<QPushButton>(d, "OKButton"), Qt::LeftButton);
    QCOMPARE(msgs.texts(), messages);
    QCOMPARE(env.openConnections(), 0);
    QCOMPARE(env.scalar(QStringLiteral("SELECT Schedule FROM T_Schedule")), schedule);
    QCOMPARE(d.isVisible(), messages.size() < 2);
}

QTEST_MAIN(tst_importDialog)
#include "tst_importDialog.moc"
