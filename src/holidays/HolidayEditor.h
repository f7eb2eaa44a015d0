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
    // The rules OK wrote, in table order; nothing unless OK committed them.
    const std::optional<HolidayRules>& CommittedRules() const { return m_committed; }

public slots:
    void addEntered();
    void replacePicked();
    void deleteSelected();
    void saveRules();
    void pickLine(QListWidgetItem* item);
    void kindChosen();
    void monthTyped();
    void dayTyped();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QListWidget* lstHoliday;
    QLineEdit* txtMonth;
    QLineEdit* txtDay;
    QLabel* lblDay;
    QLineEdit* txtWeek;
    QLabel* lblWeek;
    QComboBox* cboWeekday;
    QComboBox* cboKind;
    QLineEdit* txtHoliday;
    QPushButton* cmdAdd;
    QPushButton* OKButton;
    QPushButton* CancelButton;

    QLabel* lblMonthUnit;
    QPushButton* cmdUpdate;
    QPushButton* cmdDelete;

    void MakeControls();
    void LayOutControls();
    void ConnectControls();
    HolidayInput Input() const;
    bool CheckInput();
    void AddLine(const HolidayRule& rule);
    // Adds the line of the boxes and empties them; the week and the weekday stay.
    void AddInputLine();
    // Shows the week box and the weekday list instead of the day box, or the other way round.
    void ShowWeekBoxes(bool week);

    const Program& m_program;
    QListWidgetItem* m_picked = nullptr;
    std::optional<HolidayRules> m_committed;
};

// Opens the editor modally over its owner. The rules it committed, if OK committed any.
std::optional<HolidayRules> OpenHolidayEditor(QWidget* owner, const Program& program);
