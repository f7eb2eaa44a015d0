// The anniversary register: the yearly entries on twelve month lists, with adding and
// deleting.
#pragma once

#include <QDate>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include <array>

class Connection;
class Program;
class QHBoxLayout;

class AnniversaryDialog : public QDialog {
    Q_OBJECT
public:
    // day: its month and day fill the boxes, and its month's list is shown.
    AnniversaryDialog(const Program& program, const QDate& day, QWidget* parent = nullptr);

    // Fills the lists and the day's month and day; run once before showing.
    void load();

    // Item data of a list line: the day and the text exactly as stored.
    static constexpr int kDayRole = Qt::UserRole;
    static constexpr int kTextRole = Qt::UserRole + 1;

    // The picked entry, the values a deletion goes by.
    QString TagMonth() const { return m_tagMonth; }
    QString TagDay() const { return m_tagDay; }
    QString TagWhatDay() const { return m_tagWhatDay; }

public slots:
    void addEntry();
    void deleteEntry();
    void pickEntry(int index, QListWidgetItem* item);
    void focusMonthBox(int index);
    // The check when the focus leaves the day box. False: the message has been shown and
    // the focus is back in the box.
    bool checkDay();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QTabWidget* monthTabs;
    std::array<QListWidget*, 12> monthLists{};
    QLineEdit* monthEdit;
    QLabel* monthLabel;
    QLineEdit* dayEdit;
    QLabel* dayLabel;
    QLineEdit* anniversaryEdit;
    QPushButton* addButton;
    QPushButton* deleteButton;
    QPushButton* okButton;

    const Program& m_program;
    QDate m_day;
    // The month tabs with their lists, each line picked by a click or Enter.
    void MakeMonthLists();
    // The month, day and text boxes, on the row they are returned in.
    QHBoxLayout* MakeEntryBoxes();
    bool CheckInput();
    void ClearBoxes();
    void AddLine(int month, int day, const QString& text);
    void Warn(const QString& text);
    // Empties the lists, rolls back and shows the engine's text.
    void LoadFailed(Connection& db);

    QString m_tagMonth;
    QString m_tagDay;
    QString m_tagWhatDay;
    bool m_validating = false;
};
