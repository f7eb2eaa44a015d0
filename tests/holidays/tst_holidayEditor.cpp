// The holiday table editor: list lines, input checks, list editing and writing the table.

#include "TestSupport.h"
#include "core/CodePageText.h"
#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "holidays/HolidayEditor.h"
#include "holidays/HolidayLines.h"

#include <QtTest>

namespace {

// Input from "kind|month|day or week|weekday|name[|from year|to year]" (-1: nothing chosen).
HolidayInput Input(const QString& packed) {
    const QStringList v = packed.split(QLatin1Char('|'));
    const bool nth = v[0].toInt() == kHolidayNthWeekday;
    return {
        v[0].toInt(), v[1],      nth ? QString() : v[2], nth ? v[2] : QString(), v[3].toInt(), v[4],
        v.value(5),   v.value(6)};
}

QStringList Lines(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void ShowActive(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    QApplication::processEvents();
}

void Type(HolidayEditor& f, const QString& packed) {
    const HolidayInput in = Input(packed);
    Child<QComboBox>(f, "cboKind")->setCurrentIndex(in.kind);
    Child<QLineEdit>(f, "txtMonth")->setText(in.month);
    Child<QLineEdit>(f, "txtDay")->setText(in.day);
    Child<QLineEdit>(f, "txtWeek")->setText(in.week);
    Child<QComboBox>(f, "cboYobi")->setCurrentIndex(in.weekday);
    Child<QLineEdit>(f, "txtHoliday")->setText(in.name);
    Child<QLineEdit>(f, "txtFromYear")->setText(in.fromYear);
    Child<QLineEdit>(f, "txtToYear")->setText(in.toYear);
}

void Click(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

// A row of text columns.
void Row(const char* name, std::initializer_list<QString> columns) {
    QTestData& row = QTest::newRow(name);
    for (const QString& c : columns)
        row << c;
}

} // namespace

class tst_holidayEditor : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void lines_data();
    void lines();
    void lawLines_data();
    void lawLines();
    void inputChecks_data();
    void inputChecks();
    void opensSortedSwapsKindsAndPicks();
    void editsStayInTheListUntilCancel_data();
    void editsStayInTheListUntilCancel();
    void okReplacesTheTable_data();
    void okReplacesTheTable();
    void failedReadDisablesOK_data();
    void failedReadDisablesOK();
    void statutoryRules_data();
    void statutoryRules();

private:
    HolidayRules stored() const {
        HolidayRules rules;
        Db db = OpenDB(env->program());
        if (db && ReadHolidayRules(*db, rules))
            CloseDB(*db);
        return rules;
    }
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MsgRecorder> msgs;
};

void tst_holidayEditor::init() {
    env = std::make_unique<TestEnv>();
    msgs = std::make_unique<MsgRecorder>();
}

void tst_holidayEditor::cleanup() {
    msgs.reset();
    env.reset();
}

void tst_holidayEditor::lines_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("line");
    const QString fifty = QString(25, QChar(u'祝')) + QString(25, QLatin1Char('x'));
    Row("kind 0", {"0|2|11|-1|建国記念の日", "  2月 11日        通常  建国記念の日"});
    Row("kind 1", {"1|1|1|-1|N", "  1月  1日        固定  N"});
    Row("kind 2", {"2|1|2|1|N", "  1月 2週目 月曜  ＨＭ  N"});
    Row("Saturday, quote", {"2|10|5|6|O'Brien's", " 10月 5週目 土曜  ＨＭ  O'Brien's"});
    Row("katakana", {"0|12|31|-1| ｶﾀｶﾅ ﾃｽﾄ", " 12月 31日        通常   ｶﾀｶﾅ ﾃｽﾄ"});
    Row("50 characters", {"1|5|05|-1|" + fifty, "  5月  5日        固定  " + fifty});
}

void tst_holidayEditor::lines() {
    QFETCH(QString, input);
    QFETCH(QString, line);
    const HolidayRule rule = RuleFromInput(Input(input));
    QCOMPARE(HolidayLine(rule), line);
    // The tag always takes bytes 19-22 and the name starts at byte 25.
    QCOMPARE(cp932Length(cp932Mid(line, 1, 18)), 18);
    QVERIFY(QStringList({"通常", "固定", "ＨＭ"}).contains(cp932Mid(line, 19, 4)));
    QCOMPARE(cp932Length(line), 24 + cp932Length(rule.name));
    QCOMPARE(ParseHolidayLine(line), std::optional<HolidayRule>(rule));
}

void tst_holidayEditor::inputChecks_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<QString>("result");  // the focused box, or the added line
    Row("no kind", {"-1|2|11|-1|x", "種別を選択して下さい。", "cboKind"});
    Row("no month", {"0||11|-1|x", "月を入力して下さい。", "txtMonth"});
    Row("letters in month", {"0|1a|11|-1|x", "月を入力して下さい。", "txtMonth"});
    Row("no day", {"1|2||-1|x", "日を入力して下さい。", "txtDay"});
    Row("letters in day", {"1|2|x|-1|", "日を入力して下さい。", "txtDay"});
    Row("no week", {"2|1||1|x", "週を入力して下さい。", "txtWeek"});
    Row("week 6", {"2|1|6|1|x", "週を入力して下さい。", "txtWeek"});
    Row("kind 2, month 13", {"2|13|1|1|x", "月を入力して下さい。", "txtMonth"});
    Row("no weekday", {"2|1|2|-1|x", "曜日を選択して下さい。", "cboYobi"});
    Row("no name", {"0|2|30|-1|", "休日名称を入力して下さい。", "txtHoliday"});
    Row("blanks for a name", {"0|2|11|-1|  ", "休日名称を入力して下さい。", "txtHoliday"});
    Row("30 February", {"0|2|30|-1|x", "日付が認識できません。", "txtMonth"});
    Row("29 February", {"0|02|29|-1|x", "", "  2月 29日        通常  x"});
    Row("kind 2, 05", {"2|05|05|0|y", "", "  5月 5週目 日曜  ＨＭ  y"});
    Row("equinox in June",
        {"4|6||-1|x", "春分の日は3月、秋分の日は9月を入力して下さい。", "txtMonth"});
    Row("equinox needs no day",
        {"4|9||-1|秋分の日|1948", "", "  9月 計算        春秋  秋分の日  1948年～"});
    Row("law kind needs a day", {"3|5||-1|x", "日を入力して下さい。", "txtDay"});
    Row("letters in from year",
        {"3|5|4|-1|x|2OO7", "開始年は1～9999の数字で入力して下さい。", "txtFromYear"});
    Row("year 0", {"3|5|4|-1|x||0", "終了年は1～9999の数字で入力して下さい。", "txtToYear"});
    Row("to before from",
        {"3|5|4|-1|x|2007|2006", "終了年は開始年以降の年を入力して下さい。", "txtToYear"});
    Row("bad date before years", {"5|2|30|-1|x|20x", "日付が認識できません。", "txtMonth"});
    Row("full-width years",
        {"6|1|1|-1|振替休日|２００７", "", "  1月  1日        順延  振替休日  2007年～"});
}

void tst_holidayEditor::lawLines_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("line");
    Row("law date, both years",
        {"3|7|20|-1|海の日|1996|2002", "  7月 20日        祝日  海の日  1996年～2002年"});
    Row("to year only", {"3|1|15|-1|成人の日||1999", "  1月 15日        祝日  成人の日  ～1999年"});
    Row("one year", {"1|5|1|-1|即位の日|2019|2019", "  5月  1日        固定  即位の日  2019年"});
    Row("nth weekday from",
        {"2|10|2|1|スポーツの日|2022", " 10月 2週目 月曜  ＨＭ  スポーツの日  2022年～"});
    Row("equinox", {"4|3||-1|春分の日|1949", "  3月 計算        春秋  春分の日  1949年～"});
    Row("next day",
        {"5|4|12|-1|振替休日|1973|2006", "  4月 12日        翌日  振替休日  1973年～2006年"});
    Row("between, no years", {"7|12|27|-1|国民の休日", " 12月 27日        挟日  国民の休日"});
}

// Lines of rules with the new kinds or years keep the tag at byte 19 and the name at byte 25;
// a rule without years reads back from its line.
void tst_holidayEditor::lawLines() {
    QFETCH(QString, input);
    QFETCH(QString, line);
    QCOMPARE(CheckHolidayInput(Input(input)).message, QString());
    const HolidayRule rule = RuleFromInput(Input(input));
    QCOMPARE(HolidayLine(rule), line);
    QCOMPARE(cp932Length(cp932Mid(line, 1, 18)), 18);
    QCOMPARE(cp932Mid(line, 25, cp932Length(rule.name)), rule.name);
    if (!rule.fromYear && !rule.toYear)
        QCOMPARE(ParseHolidayLine(line), std::optional<HolidayRule>(rule));
}

void tst_holidayEditor::inputChecks() {
    QFETCH(QString, input);
    QFETCH(QString, message);
    QFETCH(QString, result);
    HolidayEditor f(env->program());
    f.load();
    ShowActive(f);
    Type(f, input);
    Child<QPushButton>(f, "cmdAdd")->setFocus();
    f.addEntered();
    if (message.isEmpty()) {
        QVERIFY(msgs->messages.empty());
        QVERIFY(Lines(Child<QListWidget>(f, "lstHoliday")).contains(result));
        QVERIFY(Child<QLineEdit>(f, "txtMonth")->hasFocus() &&
                Child<QLineEdit>(f, "txtMonth")->text().isEmpty());
        QCOMPARE(Child<QComboBox>(f, "cboKind")->currentIndex(), -1);
        return;
    }
    QCOMPARE(msgs->texts(), QStringList{message});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Warning);
    QCOMPARE(msgs->messages[0].title, QStringLiteral("休日設定"));
    QCOMPARE(QApplication::focusWidget()->objectName(), result);
    QCOMPARE(Child<QListWidget>(f, "lstHoliday")->count(), 16);
}

void tst_holidayEditor::opensSortedSwapsKindsAndPicks() {
    HolidayEditor f(env->program());
    QVERIFY(f.load());
    ShowActive(f);
    QCOMPARE(Child<QListWidget>(f, "lstHoliday")->font().family(),
             QStringLiteral("Noto Sans Mono CJK JP"));
    // One-digit months, with their leading blank, before two-digit ones.
    QStringList months;
    for (const QString& line : Lines(Child<QListWidget>(f, "lstHoliday")))
        months << cp932Mid(line, 1, 3).trimmed();
    QCOMPARE(months.join(','), QStringLiteral("1,1,2,2,3,4,5,5,5,7,8,9,9,10,11,11"));
    QVERIFY(Child<QLineEdit>(f, "txtWeek")->isHidden() && Child<QLabel>(f, "lblWeek")->isHidden() &&
            Child<QComboBox>(f, "cboYobi")->isHidden());
    QVERIFY(!Child<QLineEdit>(f, "txtWeek")->testAttribute(Qt::WA_InputMethodEnabled));
    QVERIFY(Child<QLineEdit>(f, "txtHoliday")->testAttribute(Qt::WA_InputMethodEnabled));
    QCOMPARE(Child<QLineEdit>(f, "txtHoliday")->maxLength(), 50);

    Child<QComboBox>(f, "cboKind")->setCurrentIndex(2);
    QVERIFY(Child<QLineEdit>(f, "txtDay")->isHidden() && Child<QLabel>(f, "lblDay")->isHidden());
    QVERIFY(!Child<QLineEdit>(f, "txtWeek")->isHidden() &&
            !Child<QLabel>(f, "lblWeek")->isHidden() &&
            !Child<QComboBox>(f, "cboYobi")->isHidden());
    // A full month box moves on to the week box, since the day box is hidden.
    Child<QLineEdit>(f, "txtMonth")->setFocus();
    QTest::keyClicks(Child<QLineEdit>(f, "txtMonth"), QStringLiteral("10"));
    QVERIFY(Child<QLineEdit>(f, "txtWeek")->hasFocus());

    Click(Child<QListWidget>(f, "lstHoliday"), 1); // 成人の日, second Monday of January
    QCOMPARE(f.PickedLine(), 1);
    QCOMPARE(Child<QLineEdit>(f, "txtMonth")->text() + Child<QLineEdit>(f, "txtDay")->text() +
                 Child<QLineEdit>(f, "txtWeek")->text(),
             QStringLiteral("012"));
    QCOMPARE(Child<QComboBox>(f, "cboYobi")->currentText(), QStringLiteral("月曜日"));
    QCOMPARE(Child<QLineEdit>(f, "txtHoliday")->text(), QStringLiteral("成人の日"));

    Click(Child<QListWidget>(f, "lstHoliday"), 2); // 建国記念の日, 11 February
    QCOMPARE(Child<QComboBox>(f, "cboKind")->currentIndex(), 0);
    QVERIFY(!Child<QLineEdit>(f, "txtDay")->isHidden() &&
            Child<QLineEdit>(f, "txtWeek")->isHidden() &&
            Child<QComboBox>(f, "cboYobi")->isHidden());
    QCOMPARE(Child<QLineEdit>(f, "txtMonth")->text() + Child<QLineEdit>(f, "txtDay")->text() +
                 Child<QLineEdit>(f, "txtWeek")->text(),
             QStringLiteral("0211"));
    QCOMPARE(Child<QComboBox>(f, "cboYobi")->currentText(), QStringLiteral("日曜日"));
    QVERIFY(Child<QLineEdit>(f, "txtMonth")->hasFocus());
    // Typing a full month and day moves on to the day box and then to the kind list.
    QTest::keyClicks(Child<QLineEdit>(f, "txtMonth"), QStringLiteral("12"));
    QVERIFY(Child<QLineEdit>(f, "txtDay")->hasFocus());
    QTest::keyClicks(Child<QLineEdit>(f, "txtDay"), QStringLiteral("24"));
    QVERIFY(Child<QComboBox>(f, "cboKind")->hasFocus());
}

void tst_holidayEditor::editsStayInTheListUntilCancel_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("ｷｬﾝｾﾙ") << false;
    QTest::newRow("Esc") << true;
}

void tst_holidayEditor::editsStayInTheListUntilCancel() {
    QFETCH(bool, escape);
    QFile file(env->dbPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    HolidayEditor f(env->program());
    f.load();
    ShowActive(f);
    // Update with no picked line adds and replaces nothing.
    Type(f, "1|6|1|-1|added");
    f.replacePicked();
    QCOMPARE(Child<QListWidget>(f, "lstHoliday")->count(), 17);
    // The picked line survives the deletion of a line before it, and is the one replaced.
    Click(Child<QListWidget>(f, "lstHoliday"), 13); // 敬老の日
    Child<QListWidget>(f, "lstHoliday")->setCurrentRow(0);
    f.deleteSelected();
    QCOMPARE(f.PickedLine(), 12);
    Child<QLineEdit>(f, "txtHoliday")->setText(QStringLiteral("renamed"));
    f.replacePicked();
    QCOMPARE(Child<QListWidget>(f, "lstHoliday")->item(12)->text(),
             QStringLiteral("  9月 3週目 月曜  ＨＭ  renamed"));
    QCOMPARE(Child<QListWidget>(f, "lstHoliday")->count(), 16);
    // Deleting the picked line leaves nothing picked; nothing selected is refused.
    Click(Child<QListWidget>(f, "lstHoliday"), 0);
    f.deleteSelected();
    QCOMPARE(f.PickedLine(), -1);
    f.deleteSelected();
    QCOMPARE(msgs->texts(), QStringList{"削除する休日を選択して下さい。"});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Warning);
    QCOMPARE(Child<QListWidget>(f, "lstHoliday")->count(), 15);

    if (escape)
        QTest::keyClick(Child<QListWidget>(f, "lstHoliday"), Qt::Key_Escape);
    else
        QTest::mouseClick(Child<QPushButton>(f, "CancelButton"), Qt::LeftButton);
    QVERIFY(!f.isVisible() && !f.CommittedRules());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == before);
}

void tst_holidayEditor::okReplacesTheTable_data() {
    QTest::addColumn<QString>("input"); // empty: every line deleted instead
    QTest::newRow("single quote") << QStringLiteral("0|3|3|-1|'); DROP TABLE T_Holiday; --'");
    QTest::newRow("half-width katakana") << QStringLiteral("2|6|3|0|ﾁﾁﾉﾋ");
    QTest::newRow("50 characters") << QStringLiteral("1|12|25|-1|") + QString(50, QChar(u'聖'));
    QTest::newRow("empty list") << QString();
    QTest::newRow("refused insert") << QStringLiteral("0|7|7|-1|bad");
}

void tst_holidayEditor::okReplacesTheTable() {
    QFETCH(QString, input);
    QVERIFY(env->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON T_Holiday WHEN "
                                     "NEW.Name = 'bad' BEGIN SELECT RAISE(ABORT, 'no'); END")));
    HolidayEditor f(env->program());
    f.load();
    f.show();
    while (input.isEmpty() && Child<QListWidget>(f, "lstHoliday")->count()) {
        Child<QListWidget>(f, "lstHoliday")->setCurrentRow(0);
        f.deleteSelected();
    }
    if (!input.isEmpty()) {
        Type(f, input);
        f.addEntered();
    }
    const QStringList lines = Lines(Child<QListWidget>(f, "lstHoliday"));
    QCOMPARE(lines.size(), input.isEmpty() ? 0 : 17);
    f.saveRules();
    QCOMPARE(env->openConnections(), 0);
    if (input.endsWith(QLatin1String("|bad"))) {
        // Everything rolled back; the window stays open with its list.
        QCOMPARE(msgs->texts(), QStringList{"データの更新に失敗しました。"});
        QVERIFY(f.isVisible() && !f.CommittedRules());
        QCOMPARE(Lines(Child<QListWidget>(f, "lstHoliday")), lines);
        QCOMPARE(stored(), LegacyDefaultHolidayRules());
        return;
    }
    QVERIFY(msgs->messages.empty());
    QCOMPARE(f.result(), int(QDialog::Accepted));
    // One row per line in list order, the name unchanged, and what a later read gives back.
    const HolidayRules rules = stored();
    QCOMPARE(f.CommittedRules(), std::optional<HolidayRules>(rules));
    QStringList written;
    for (const HolidayRule& r : rules)
        written << HolidayLine(r);
    QCOMPARE(written, lines);
    if (!input.isEmpty())
        QCOMPARE(env->scalar(QStringLiteral("SELECT count(*) FROM T_Holiday WHERE Name = ?"),
                             {input.section(QLatin1Char('|'), 4)}),
                 QStringLiteral("1"));
}

void tst_holidayEditor::failedReadDisablesOK_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("message");
    Row("no table", {"ALTER TABLE T_Holiday RENAME TO H", "no such table: T_Holiday"});
    Row("no database", {"", "データベースへの接続に失敗しました。"});
}

void tst_holidayEditor::failedReadDisablesOK() {
    QFETCH(QString, damage);
    QFETCH(QString, message);
    QVERIFY(damage.isEmpty() ? QFile::remove(env->dbPath()) : env->exec(damage));
    HolidayEditor f(env->program());
    QVERIFY(!f.load());
    QCOMPARE(msgs->texts(), QStringList{message});
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Critical);
    QCOMPARE(Child<QListWidget>(f, "lstHoliday")->count(), 0);
    QVERIFY(!Child<QPushButton>(f, "OKButton")->isEnabled());
    QCOMPARE(env->openConnections(), 0);
}

void tst_holidayEditor::statutoryRules_data() {
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("ｷｬﾝｾﾙ") << false;
}

// "国民の祝日に戻す" asks first; on OK the table holds the statutory rules at once, the list
// shows them with their years, and the month is redrawn even if the editor is then cancelled.
void tst_holidayEditor::statutoryRules() {
    QFETCH(bool, ok);
    HolidayEditor f(env->program());
    f.load();
    ShowActive(f);
    msgs->answers.push_back(ok ? MsgResult::OK : MsgResult::Cancel);
    QTest::mouseClick(Child<QPushButton>(f, "cmdStatutory"), Qt::LeftButton);
    QCOMPARE(msgs->messages.size(), size_t(1));
    QCOMPARE(msgs->messages[0].icon, MsgIcon::Question);
    QCOMPARE(msgs->messages[0].buttons, MsgButtons::OKCancel);
    QCOMPARE(env->openConnections(), 0);
    const HolidayRules want = ok ? DefaultHolidayRules() : LegacyDefaultHolidayRules();
    QCOMPARE(stored(), want);
    const QStringList lines = Lines(Child<QListWidget>(f, "lstHoliday"));
    QCOMPARE(lines.size(), qsizetype(want.size()));
    QCOMPARE(lines.contains(QStringLiteral("  9月 計算        春秋  秋分の日  1948年～")), ok);
    QTest::mouseClick(Child<QPushButton>(f, "CancelButton"), Qt::LeftButton);
    QCOMPARE(f.CommittedRules(), ok ? std::optional<HolidayRules>(want) : std::nullopt);

    // Picking a line of the law shows its years; an equinox line has no day box.
    if (!ok)
        return;
    HolidayEditor g(env->program());
    g.load();
    ShowActive(g);
    QListWidget* list = Child<QListWidget>(g, "lstHoliday");
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text().contains(QStringLiteral("秋分の日")))
            g.pickLine(list->item(i));
    }
    QCOMPARE(Child<QComboBox>(g, "cboKind")->currentIndex(), int(kHolidayEquinox));
    QVERIFY(Child<QLineEdit>(g, "txtDay")->isHidden() &&
            Child<QLineEdit>(g, "txtWeek")->isHidden());
    QCOMPARE(Child<QLineEdit>(g, "txtFromYear")->text() + "-" +
                 Child<QLineEdit>(g, "txtToYear")->text(),
             QStringLiteral("1948-"));
    // Saved unchanged, the table holds the same rules (in the list's order).
    g.saveRules();
    const auto sortedLines = [](const HolidayRules& rules) {
        QStringList out;
        for (const HolidayRule& r : rules)
            out << HolidayLine(r);
        out.sort();
        return out;
    };
    QCOMPARE(sortedLines(stored()), sortedLines(want));
}

QTEST_MAIN(tst_holidayEditor)
#include "tst_holidayEditor.moc"
