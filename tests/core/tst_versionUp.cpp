// The schema check at start and the upgrade of older database files.

#include "TestSupport.h"
#include "core/Database.h"
#include "core/VersionUp.h"
#include "core/VersionUpNotice.h"

#include <QApplication>
#include <QtTest>

namespace {

// Catches the upgrade notice when it is shown, to read what it said.
class NoticeWatcher : public QObject {
public:
    NoticeWatcher() { qApp->installEventFilter(this); }
    ~NoticeWatcher() override { qApp->removeEventFilter(this); }
    QStringList texts;
    QString caption;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show) {
            if (auto* f = qobject_cast<VersionUpNotice*>(o)) {
                texts << f->versionLabel->text() << f->durationNoteLabel->text();
                caption = f->windowTitle();
            }
        }
        return false;
    }
};

} // namespace

class tst_versionUp : public QObject {
    Q_OBJECT
private slots:
    void upgradesFrom100();
    void upgradesFrom103();
    void leavesCurrentAndNewerUntouched_data();
    void leavesCurrentAndNewerUntouched();
    void emptyVersionTableFailsAndCommitsNothing();
    void missingDatabaseFails();
};

void tst_versionUp::upgradesFrom100() {
    TestEnv env(TestEnv::Schema::V100);
    MsgRecorder msgs;
    NoticeWatcher notice;
    env.exec(QStringLiteral("INSERT INTO T_Schedule VALUES ('2004-03-15', 'kept')"));
    QVERIFY(VersionUp(env.program()));
    QVERIFY(msgs.messages.empty());
    QCOMPARE(notice.caption, QStringLiteral("Vaskelのﾊﾞｰｼﾞｮﾝｱｯﾌﾟ中..."));
    QCOMPARE(
        notice.texts,
        (QStringList{QStringLiteral("Vaskelの Ver.1.00 から、1.07 にバージョンアップ中です..."),
                     QStringLiteral("この処理には数分かかる場合があります。")}));
    QCOMPARE(env.openConnections(), 0);
    QCOMPARE(env.column(QStringLiteral("SELECT ver FROM T_Version")), QStringList{"1.07"});
    QVERIFY(env.tableExists(QStringLiteral("T_WorkTime")));
    QVERIFY(env.indexExists(QStringLiteral("StartEndTime")));
    QVERIFY(env.tableExists(QStringLiteral("T_Alarm")));
    QCOMPARE(env.scalar(QStringLiteral("SELECT Schedule FROM T_Schedule")), QStringLiteral("kept"));
    // The index covers both columns in order.
    QCOMPARE(env.column(QStringLiteral("SELECT name FROM pragma_index_info('StartEndTime')")),
             (QStringList{"StartTime", "EndTime"}));

    // A second start finds the current version and does nothing.
    QVERIFY(VersionUp(env.program()));
    QCOMPARE(notice.texts.size(), 2);
}

void tst_versionUp::upgradesFrom103() {
    TestEnv env(TestEnv::Schema::V103);
    MsgRecorder msgs;
    NoticeWatcher notice;
    env.exec(QStringLiteral("INSERT INTO T_WorkTime VALUES ('2004-03-15 10:00:00', "
                            "'2004-03-15 11:00:00')"));
    QVERIFY(VersionUp(env.program()));
    QCOMPARE(notice.texts.value(0),
             QStringLiteral("Vaskelの Ver.1.03 から、1.07 にバージョンアップ中です..."));
    QVERIFY(env.tableExists(QStringLiteral("T_Alarm")));
    QCOMPARE(env.column(QStringLiteral("SELECT ver FROM T_Version")), QStringList{"1.07"});
    QCOMPARE(env.count(QStringLiteral("T_WorkTime")), 1);
    QVERIFY(msgs.messages.empty());
}

void tst_versionUp::leavesCurrentAndNewerUntouched_data() {
    QTest::addColumn<double>("version");
    QTest::newRow("1.07") << 1.07;
    QTest::newRow("1.07 stored in single precision") << double(1.07f);
    QTest::newRow("newer") << 2.5;
}

void tst_versionUp::leavesCurrentAndNewerUntouched() {
    QFETCH(double, version);
    TestEnv env(TestEnv::Schema::V106);
    MsgRecorder msgs;
    NoticeWatcher notice;
    env.exec(QStringLiteral("UPDATE T_Version SET ver = ?"), {version});
    const QString before = env.scalar(QStringLiteral("SELECT ver FROM T_Version"));
    QVERIFY(VersionUp(env.program()));
    QVERIFY(notice.texts.isEmpty());
    QVERIFY(msgs.messages.empty());
    QCOMPARE(env.scalar(QStringLiteral("SELECT ver FROM T_Version")), before);
    QCOMPARE(env.openConnections(), 0);
}

void tst_versionUp::emptyVersionTableFailsAndCommitsNothing() {
    TestEnv env(TestEnv::Schema::V103);
    MsgRecorder msgs;
    env.exec(QStringLiteral("DELETE FROM T_Version"));
    QVERIFY(!VersionUp(env.program()));
    QCOMPARE(msgs.texts(), QStringList{QStringLiteral("バージョンアップ処理に失敗しました。")});
    QCOMPARE(msgs.messages.front().title, QStringLiteral("バージョンアップ更新処理"));
    QCOMPARE(msgs.messages.front().icon, MsgIcon::Critical);
    QVERIFY(!env.tableExists(QStringLiteral("T_Alarm")));
    QCOMPARE(env.count(QStringLiteral("T_Version")), 0);
    // The notice has gone.
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(!(qobject_cast<VersionUpNotice*>(w) && w->isVisible()));
}

void tst_versionUp::missingDatabaseFails() {
    TestEnv env(TestEnv::Schema::None);
    MsgRecorder msgs;
    QVERIFY(!VersionUp(env.program()));
    QCOMPARE(msgs.texts(), QStringList{QStringLiteral("データベースへの接続に失敗しました。")});
    QVERIFY(!QFile::exists(env.dbPath()));
}

QTEST_MAIN(tst_versionUp)
#include "tst_versionUp.moc"
