// The export window as a user works it: its checks, the overwrite question, the refusal to
// write over the database, and the file it leaves.

#include "TestSupport.h"
#include "exchange/ExportDialog.h"
#include "exchange/IcsFile.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

class tst_exportDialog : public QObject {
    Q_OBJECT
private slots:
    void exports_data();
    void exports();
};

void tst_exportDialog::exports_data() {
    QTest::addColumn<QString>("setup"); // none, existing, database, years, empty
    QTest::addColumn<int>("answer");    // to the question, if one is asked
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus"); // where the user goes on, or empty: the window closed
    QTest::addColumn<QByteArray>("fileStart");
    QTest::newRow("written") << "none" << 0
                             << "予定 1件、日記 0件、記念日 1件、休日 17件を書き出しました。"
                             << "" << QByteArray("BEGIN:VCALENDAR");
    QTest::newRow("kept on Cancel") << "existing" << int(MsgResult::Cancel)
                                    << "指定ファイルが存在します。上書きしてよろしいですか？"
                                    << "txtPath" << QByteArray("old");
    QTest::newRow("replaced on OK") << "existing" << int(MsgResult::OK)
                                    << "指定ファイルが存在します。上書きしてよろしいですか？"
                                    << "" << QByteArray("BEGIN:VCALENDAR");
    QTest::newRow("nothing chosen") << "empty" << 0 << "書き出す内容を選択して下さい。"
                                    << "chkSchedule" << QByteArray();
    QTest::newRow("years backwards") << "years" << 0 << "終了年は開始年以降の年を入力して下さい。"
                                     << "txtToYear" << QByteArray();
    QTest::newRow("onto the database") << "database" << 0
                                       << "iCalendarファイルの書き出しに失敗しました。\r\nデータベ"
                                          "ースのファイルには書き出せません。"
                                       << "txtPath" << QByteArray("SQLite format 3");
}

void tst_exportDialog::exports() {
    QFETCH(QString, setup);
    QFETCH(int, answer);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    QFETCH(QByteArray, fileStart);
    TestEnv env(TestEnv::Schema::V107);
    MsgRecorder msgs;
    ClockOverride clock(env.program(), QDateTime(QDate(2027, 6, 1), QTime(9, 0)));
    QVERIFY(env.exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2027-01-05', '仕事始め')")));
    QVERIFY(env.exec(
        QStringLiteral("INSERT INTO T_WhatDay (Month, Day, WhatDay) VALUES (7, 7, '七夕')")));
    QString path = QDir(env.dir()).filePath(QStringLiteral("out.ics"));
    if (setup == QLatin1String("existing")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("old") == 3);
    }
    if (setup == QLatin1String("database"))
        path = env.dbPath();

    ExportDialog d(env.program());
    d.show();
    QApplication::setActiveWindow(&d);
    Child<QLineEdit>(d, "txtPath")->setText(path);
    Child<QCheckBox>(d, "chkHoliday")->setChecked(true); // 2027-2028 by default
    Child<QSpinBox>(d, "txtToYear")->setValue(2027);
    if (setup == QLatin1String("years"))
        Child<QSpinBox>(d, "txtFromYear")->setValue(2028);
    if (setup == QLatin1String("empty")) {
        for (const char* name : {"chkSchedule", "chkDiary", "chkWhatDay", "chkHoliday"})
            Child<QCheckBox>(d, name)->setChecked(false);
    }
    msgs.answers.push_back(MsgResult(answer));
    if (setup == QLatin1String("none")) {
        // Enter in a check box is OK, as everywhere in the window.
        auto* diary = Child<QCheckBox>(d, "chkDiary");
        diary->setFocus();
        QTest::keyClick(diary, Qt::Key_Return);
    } else {
        QTest::mouseClick(Child<QPushButton>(d, "OKButton"), Qt::LeftButton);
    }

    QCOMPARE(msgs.texts().value(0), message);
    QCOMPARE(env.openConnections(), 0);
    if (focus.isEmpty()) {
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
    } else {
        QVERIFY(d.isVisible());
        QCOMPARE(d.focusWidget()->objectName(), focus);
    }
    QFile file(path);
    if (fileStart.isEmpty()) {
        QVERIFY(!file.exists());
        return;
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith(fileStart));
    // No temporary file stays behind.
    QCOMPARE(QDir(env.dir()).entryList({QStringLiteral("*.ics*")}, QDir::Files).size(),
             setup == QLatin1String("database") ? 0 : 1);
}

QTEST_MAIN(tst_exportDialog)
#include "tst_exportDialog.moc"
