// The sync set-up window as a user works it: what it refuses, what it saves, and the calendars
// it finds and makes on a real server.

#include "DavServer.h"
#include "TestSupport.h"
#include "sync/SyncAccount.h"
#include "sync/SyncDialog.h"
#include "sync/SyncPassword.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_syncDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void refusedInput_data();
    void refusedInput();
    void findsAndMakesCalendars();
};

void tst_syncDialog::initTestCase() {
    // No secret store answers here: the password stays in memory.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
}

void tst_syncDialog::refusedInput_data() {
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("nothingChosen");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    const QString address =
        QStringLiteral("サーバーのアドレスを http:// か https:// で入力して下さい。");
    QTest::newRow("no address") << "  " << false << address << "txtServer";
    QTest::newRow("not http") << "ftp://example.jp/cal/" << false << address << "txtServer";
    QTest::newRow("nothing to sync")
        << "http://127.0.0.1:1/cal/" << true << "同期する内容を選択して下さい。"
        << "chkSchedule";
}

void tst_syncDialog::refusedInput() {
    QFETCH(QString, server);
    QFETCH(bool, nothingChosen);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    QTemporaryDir dir;
    SyncSettings settings(dir.path());
    SyncPassword password(QStringLiteral("VaskelTest"));
    MsgRecorder msgs;
    SyncDialog d(settings, password);
    d.show();
    QApplication::setActiveWindow(&d);
    Child<QLineEdit>(d, "txtServer")->setText(server);
    if (nothingChosen) {
        for (const char* name : {"chkSchedule", "chkWhatDay", "chkDiary"})
            Child<QCheckBox>(d, name)->setChecked(false);
    }
    QSignalSpy saved(&d, &SyncDialog::accountSaved);
    QTest::mouseClick(Child<QPushButton>(d, "OKButton"), Qt::LeftButton);
    QCOMPARE(msgs.texts().value(0), message);
    QVERIFY(d.isVisible());
    QCOMPARE(d.focusWidget()->objectName(), focus);
    QCOMPARE(saved.count(), 0);
    QVERIFY(!QFile::exists(settings.filePath()));
}

void tst_syncDialog::findsAndMakesCalendars() {
    DavServer server(DavServer::Kind::Radicale);
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    const QUrl existing = server.newCalendar(QStringLiteral("仕事"));
    QVERIFY(existing.isValid());
    QTemporaryDir dir;
    SyncSettings settings(dir.path());
    SyncPassword password(QStringLiteral("VaskelTest"));
    MsgRecorder msgs;
    SyncDialog d(settings, password);
    d.show();
    Child<QLineEdit>(d, "txtServer")->setText(server.baseUrl().toString());
    Child<QLineEdit>(d, "txtUser")->setText(server.user());
    Child<QLineEdit>(d, "txtPassword")->setText(server.password());
    auto* calendars = Child<QComboBox>(d, "cboCalendar");
    QTest::mouseClick(Child<QPushButton>(d, "cmdFind"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(calendars->count(), 1, 15000);
    QCOMPARE(calendars->currentData().toString(), existing.toString());
    QVERIFY(calendars->currentText().startsWith(QStringLiteral("仕事")));

    auto* create = Child<QPushButton>(d, "cmdCreate");
    QVERIFY(create->isEnabled());
    QTest::mouseClick(create, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(calendars->count(), 2, 15000);
    const QString made = calendars->currentData().toString();
    QVERIFY(made != existing.toString());

    // OK saves the calendar chosen, and the password only in memory.
    QSignalSpy saved(&d, &SyncDialog::accountSaved);
    QTest::mouseClick(Child<QPushButton>(d, "OKButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(saved.count(), 1, 30000);
    QTRY_VERIFY(!d.isVisible());
    QVERIFY2(msgs.texts().isEmpty(), qPrintable(msgs.texts().join(QLatin1Char('|'))));
    const SyncAccount a = settings.account();
    QCOMPARE(a.url, made);
    QCOMPARE(a.user, server.user());
    QVERIFY(!a.diaries);
    QFile file(settings.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(!file.readAll().contains(server.password().toUtf8()));
    // Found again from its own address, by the independent client too.
    QString error;
    const QJsonDocument listed =
        DavServer::peer({QStringLiteral("list"), made, server.user(), server.password()}, &error);
    QVERIFY2(!listed.isNull(), qPrintable(error));
}

QTEST_MAIN(tst_syncDialog)
#include "tst_syncDialog.moc"
