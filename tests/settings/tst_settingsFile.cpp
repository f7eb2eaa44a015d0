// The settings file format: the same bytes as Qt's INI writer, the same texts as its reader,
// and serialized objects left out instead of decoded.

#include "TestSupport.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QtTest>

class tst_settingsFile : public QObject {
    Q_OBJECT
private slots:
    void sameFileAsQtWrites();
    void readsHandWrittenLines_data();
    void readsHandWrittenLines();
    void storeSurvivesAForeignObject();
    void replacesOnlyItsSection_data();
    void replacesOnlyItsSection();
};

namespace {

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// Every kind of text the program may store, written by Qt: our writer gives the same bytes
// and our reader the same texts, and Qt reads our file back unchanged.
void tst_settingsFile::sameFileAsQtWrites() {
    const QStringList texts = {QStringLiteral("plain"),
                               QStringLiteral(" lead"),
                               QStringLiteral("trail "),
                               QStringLiteral("a,b"),
                               QStringLiteral("a;b"),
                               QStringLiteral("a=b"),
                               QStringLiteral("q\"q"),
                               QStringLiteral("C:\\path\\x"),
                               QStringLiteral("nl\nx\r\ty"),
                               QStringLiteral("\a\b\f\v"),
                               QStringLiteral("\x01"
                                              "1x\x1f"
                                              "fG"),
                               QStringLiteral("@at"),
                               QStringLiteral("@@at"),
                               QStringLiteral("@Variant(x)"),
                               QStringLiteral("今日も一日 \"がんばろう\""),
                               QStringLiteral("ｷｬﾝｾﾙ"),
                               QString(),
                               QStringLiteral("#[x]'?%"),
                               QStringLiteral("x\x7fy"),
                               QStringLiteral("\u00a0nbsp\u00a0"),
                               QStringLiteral("emoji😀"),
                               QStringLiteral("\t"),
                               QStringLiteral(" ")};
    QTemporaryDir dir;
    const QString qtFile = dir.filePath(QStringLiteral("qt.ini"));
    QSettings::SettingsMap expected;
    {
        QSettings qt(qtFile, QSettings::IniFormat);
        for (int i = 0; i < texts.size(); ++i) {
            const QString key = QStringLiteral("Calender/k%1").arg(i, 2, 10, QLatin1Char('0'));
            qt.setValue(key, texts.at(i));
            expected.insert(key, texts.at(i));
        }
        for (const QString& key :
             {QStringLiteral("top"), QStringLiteral("Calender/Sub/x"),
              QStringLiteral("Calender/a b%c"), QStringLiteral("Calender/キー"),
              QStringLiteral("General/g"), QStringLiteral("Calender/@k")}) {
            qt.setValue(key, key);
            expected.insert(key, key);
        }
    }
    const QByteArray qtBytes = FileBytes(qtFile);
    QCOMPARE(WriteIniText(expected), qtBytes);
    const QSettings::SettingsMap read = ReadIniText(qtBytes);
    QCOMPARE(read.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(read.value(it.key()).toString(), it.value().toString());

    const QString ourFile = dir.filePath(QStringLiteral("ours.ini"));
    {
        QSettings ours(ourFile, TextIniFormat());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            ours.setValue(it.key(), it.value());
    }
    QCOMPARE(FileBytes(ourFile), qtBytes);
    QSettings qtBack(ourFile, QSettings::IniFormat);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(qtBack.value(it.key()).toString(), it.value().toString());
}

void tst_settingsFile::readsHandWrittenLines_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value"); // invalid: the key is missing
    const QVariant missing;
    QTest::newRow("blanks around key and value")
        << QByteArray("[S]\n  k =  a b \t\n") << "S/k" << QVariant("a b");
    QTest::newRow("escaped trailing blank stays")
        << QByteArray("[S]\nk=a\\t\n") << "S/k" << QVariant("a\t");
    QTest::newRow("quoted parts join")
        << QByteArray("[S]\nk=\"a\" \"b\" c \n") << "S/k" << QVariant("abc ");
    QTest::newRow("quoted line end")
        << QByteArray("[S]\nk=\"x\ny\"\nz=1\n") << "S/k" << QVariant("x\ny");
    QTest::newRow("escaped line end continues")
        << QByteArray("[S]\r\nk=a\\\r\nb\r\n") << "S/k" << QVariant("ab");
    QTest::newRow("comment after a value") << QByteArray("[S]\nk=a;b\n") << "S/k" << QVariant("a");
    QTest::newRow("comment line") << QByteArray("[S]\n;k=1\n") << "S/k" << missing;
    QTest::newRow("unknown escape dropped")
        << QByteArray("[S]\nk=a\\;b\\q\n") << "S/k" << QVariant("ab");
    QTest::newRow("hex and octal")
        << QByteArray("[S]\nk=\\x41\\x42g\\101\\60x\n") << "S/k" << QVariant("ABgA0x");
    QTest::newRow("huge hex code") << QByteArray("[S]\nk=\\xFFFFFFFFFFFFFFFFFFFFz\n") << "S/k"
                                   << QVariant(QStringLiteral("\uFFFDz"));
    QTest::newRow("lone backslash at end") << QByteArray("[S]\nk=a\\") << "S/k" << QVariant("a");
    QTest::newRow("unterminated quote")
        << QByteArray("[S]\nk=\"a\nb=1") << "S/k" << QVariant("a\nb=1");
    QTest::newRow("unquoted comma is text")
        << QByteArray("[S]\nk=a, b\n") << "S/k" << QVariant("a, b");
    QTest::newRow("doubled at sign") << QByteArray("[S]\nk=@@x\n") << "S/k" << QVariant("@x");
    QTest::newRow("at sign without a type") << QByteArray("[S]\nk=@x\n") << "S/k" << QVariant("@x");
    QTest::newRow("serialized object left out")
        << QByteArray("[S]\nk=@Variant(\\0\\0\\0\\x49\\0\\0\\0\\x5)\n") << "S/k" << missing;
    QTest::newRow("byte array left out")
        << QByteArray("[S]\nk=@ByteArray(abc)\n") << "S/k" << missing;
    QTest::newRow("later line wins")
        << QByteArray("[S]\nk=1\n[T]\nk=2\n[S]\nk=3\n") << "S/k" << QVariant("3");
    QTest::newRow("general is the top level")
        << QByteArray("[general]\nk=1\n") << "k" << QVariant("1");
    QTest::newRow("escaped general section")
        << QByteArray("[%General]\nk=1\n") << "General/k" << QVariant("1");
    QTest::newRow("escaped keys") << QByteArray("[S]\na%20b\\%U30AD%zz=1\n") << "S/a b/キ%zz"
                                  << QVariant("1");
    QTest::newRow("byte order mark, no section")
        << QByteArray("\xEF\xBB\xBFk=v") << "k" << QVariant("v");
    QTest::newRow("line without equals, empty key")
        << QByteArray("[S]\nnokey\n=v\nk=\n") << "S/k" << QVariant("");
    QTest::newRow("invalid UTF-8") << QByteArray("[S]\nk=a\xff"
                                                 "b\n")
                                   << "S/k" << QVariant(QStringLiteral("a\uFFFDb"));
    QTest::newRow("U+FEFF after an escape is text")
        << QByteArray("[S]\nk=\\t\xEF\xBB\xBFx\n") << "S/k"
        << QVariant(QStringLiteral("\t\uFEFFx"));
}

void tst_settingsFile::readsHandWrittenLines() {
    QFETCH(QByteArray, file);
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    const QSettings::SettingsMap map = ReadIniText(file);
    QCOMPARE(map.value(key), value);
    QVERIFY(!map.contains(QString()) && !map.contains(QStringLiteral("S/")));
}

// A settings file with a foreign object among the program's keys: the object's key keeps its
// default, every other key is read, and the next write keeps the file the program's own.
void tst_settingsFile::storeSurvivesAForeignObject() {
    TestEnv env(TestEnv::Schema::None);
    QDir().mkpath(QFileInfo(env.settingsFile()).path());
    QFile f(env.settingsFile());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[Calender]\nWindowSave=1\nWindowLeft=@Variant(\\0\\0\\0\\xI2\\0\\0\\0\\x5)\n"
            "WindowTop=@Variant(\\0\\0\\0\\x7f\\xff\\xff\\xff\\xff)\nStationed=False\n");
    f.close();
    Options o;
    env.settings().readStartup(o);
    QCOMPARE(o.saveWindow, true);
    QCOMPARE(o.windowLeft, 0);
    QCOMPARE(o.windowTop, 0);
    QCOMPARE(o.resident, false);
    env.settings().writeText(SettingKey::WindowLeft, QStringLiteral("120"));
    QCOMPARE(FileBytes(env.settingsFile()),
             QByteArray("[Calender]\nStationed=False\nWindowLeft=120\nWindowSave=1\n"));
}

void tst_settingsFile::replacesOnlyItsSection_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("written"); // with the section's keys A=1, B=x y
    const QByteArray ours = "[Calender]\nA=1\nB=x y\n";
    QTest::newRow("no file") << QByteArray() << ours;
    QTest::newRow("no section: added at the end")
        << QByteArray("; mine\n[Other]\nk = \"v\"") << "; mine\n[Other]\nk = \"v\"\n\n" + ours;
    QTest::newRow("between others, which keep every byte")
        << QByteArray("\xEF\xBB\xBFtop=1\r\n[A]\r\nz=1\r\n\r\n[Calender]\r\nA=0\r\nOld=2\r\n\r\n"
                      "[Z]\r\n;c\r\nk=1\r\n")
        << "\xEF\xBB\xBFtop=1\r\n[A]\r\nz=1\r\n\r\n" + ours + "\n[Z]\r\n;c\r\nk=1\r\n";
    QTest::newRow("twice: one, where it first stood")
        << QByteArray("[Calender]\nA=0\n[X]\nx=1\n[Calender]\nB=0\n") << ours + "\n[X]\nx=1\n";
    QTest::newRow("an unfinished last line: before the first section")
        << QByteArray("[X]\nk=\"open") << ours + "\n[X]\nk=\"open";
    QTest::newRow("an unfinished last line and no section: top-level keys keep their place")
        << QByteArray("t=1\nk=open\\") << ours + "\n[General]\nt=1\nk=open\\";
    QTest::newRow("a quoted line break is no header")
        << QByteArray("[Other]\nk=\"a\n[Calender]\"\n")
        << "[Other]\nk=\"a\n[Calender]\"\n\n" + ours;
}

void tst_settingsFile::replacesOnlyItsSection() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, written);
    QSettings::SettingsMap keys;
    keys.insert(QStringLiteral("Calender/A"), QStringLiteral("1"));
    keys.insert(QStringLiteral("Calender/B"), QStringLiteral("x y"));
    const QByteArray out =
        ReplaceIniSection(file, ReadIniSection(file, QStringLiteral("Calender")), keys);
    QCOMPARE(out, written);
    // Read back, the section holds exactly those keys, and so does Qt's view of the file.
    QCOMPARE(ReadIniSection(out, QStringLiteral("Calender")).keys, keys);
    QCOMPARE(ReadIniText(out).value(QStringLiteral("Calender/B")), QVariant(QStringLiteral("x y")));
}

QTEST_MAIN(tst_settingsFile)
#include "tst_settingsFile.moc"
