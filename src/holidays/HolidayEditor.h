// The holiday table editor: every rule on one sorted list, edited there, and written back as a
// whole on OK.
#pragma once

#include "holidays/HolidayLines.h"
#include "holidays/HolidayRules.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <optional>

class Program;

class HolidayEditor : public QDialog {
    Q_OBJECT
public:
    explicit HolidayEditor(const Program& program, QWidget* parent = nullptr);

    // Lists the rules of the table; run once before showing. False when they could not be read
    // (said in a message; OK stays disabled, so that the empty list cannot replace them).
    bool load();

    // The list position of the line last picked, or -1.
    int PickedLine() const;
    // The rules OK or "国民の祝日に戻す" wrote, in table order; nothing unless they committed.
    const std::optional<HolidayRules>& CommittedRules() const { return m_committed; }

public slots:
    void addEntered();
    void replacePicked();
    void deleteSelected();
    void saveRules();
    void pickLine(QListWidgetItem* item);
    void kindChosen();
    // Replaces the table by the statutory rules, after a confirmation, in one transaction.
    void restoreStatutory();
    void monthTyped();
    void dayTyped();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QListWidget* ruleList;
    QLineEdit* monthEdit;
    QLineEdit* dayEdit;
    QLabel* dayLabel;
    QLineEdit* weekEdit;
    QLabel* weekLabel;
    QComboBox* weekdayCombo;
    QComboBox* kindCombo;
    QLineEdit* nameEdit;
    QPushButton* addButton;
    QPushButton* okButton;
    QPushButton* cancelButton;

    QLabel* monthLabel;
    QPushButton* updateButton;
    QPushButton* deleteButton;
    QLineEdit* fromYearEdit;
    QLabel* fromYearLabel;
    QLineEdit* toYearEdit;
    QLabel* toYearLabel;
    QPushButton* statutoryButton;

    void MakeControls();
    void LayOutControls();
    void ConnectControls();
    HolidayInput Input() const;
    bool CheckInput();
    void AddLine(const HolidayRule& rule);
    // Adds the line of the boxes and empties them; the week and the weekday stay.
    void AddInputLine();
    // Shows the boxes the kind uses: the week box and the weekday list for an nth-weekday rule,
    // no day box for an equinox, else the day box.
    void ShowBoxesOf(int kind);
    void showRules(const HolidayRules& rules);
    // Replaces the table in one transaction; false after the failure's message.
    bool writeRules(const HolidayRules& rules);

    const Program& m_program;
    QListWidgetItem* m_picked = nullptr;
    std::optional<HolidayRules> m_committed;
};

// Opens the editor modally over its owner. The rules it committed, if OK committed any.
std::optional<HolidayRules> OpenHolidayEditor(QWidget* owner, const Program& program);
