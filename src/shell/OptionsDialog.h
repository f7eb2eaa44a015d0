// The options dialog: start options, colours and background of the month view, the display
// formats and the resident mode. OK saves every value and asks the main window to apply them.
#pragma once

#include "shell/Tray.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class AppContext;
struct Options;
class SettingsStore;

// The texts of the three format lists; the index is the stored value.
QStringList YearFormatTexts();
QStringList MonthFormatTexts();
QStringList WeekFormatTexts();

// The colour a colour button shows and the dialog saves.
QColor ButtonColor(const QPushButton* button);
void SetButtonColor(QPushButton* button, const QColor& color);

class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    // app: its options are the settings shown and those OK sets, and its store saves them.
    explicit OptionsDialog(AppContext& app, QWidget* owner = nullptr);

    // The picture path must name a readable picture, or be empty. Otherwise the warning, the
    // focus in the path and false.
    bool CheckPicFile();

    // The tooltip mode of the selected option button: 0, 1 or 9.
    TrayTip SelectedTrayHint() const;

public slots:
    void save();
    void residentToggled();
    void trayHintChosen(int index);
    void usePicture();
    void useNoPicture();
    void choosePicture();
    void chooseButtonColor(QPushButton* button);

signals:
    // OK has saved the display settings: apply the options' background (colour and picture) to the
    // calendar area and draw the month again with the new colours and formats, now.
    void displayChanged();
    // OK has saved the resident settings: add, modify or remove the tray icon (TrayIcon::apply),
    // its tooltip built from the new settings. Not emitted for TrayAction::None.
    void trayActionRequested(TrayAction action);
    // OK has removed the tray icon while the main window was hidden: nothing is left to bring
    // it back, so show it again as the tray menu's restore command does. Emitted after the dialog
    // has closed.
    void restoreRequested();

private:
    QTabWidget* optionTabs = nullptr;
    // 全般
    QCheckBox* saveWindowCheck = nullptr;
    QCheckBox* startupCheck = nullptr;
    // ﾚｲｱｳﾄ
    QPushButton* backColorButton = nullptr;
    QPushButton* todayColorButton = nullptr;
    QPushButton* selectedColorButton = nullptr;
    QPushButton* diaryColorButton = nullptr;
    QRadioButton* pictureRadio = nullptr;
    QRadioButton* noPictureRadio = nullptr;
    QLineEdit* picturePathEdit = nullptr;
    QPushButton* choosePictureButton = nullptr;
    QLabel* previewPicture = nullptr;
    // ﾌｫｰﾏｯﾄ
    QComboBox* yearFormatCombo = nullptr;
    QComboBox* monthFormatCombo = nullptr;
    QComboBox* weekFormatCombo = nullptr;
    // 常駐
    QCheckBox* residentCheck = nullptr;
    QGroupBox* residentGroup = nullptr;
    QCheckBox* startInTrayCheck = nullptr;
    std::array<QLabel*, 2> informationLabels{};
    QGroupBox* trayHintGroup = nullptr;
    QRadioButton* trayHintNameRadio = nullptr;   // "Vaskel"
    QRadioButton* trayHintDateRadio = nullptr;   // "当日日付"
    QRadioButton* trayHintCustomRadio = nullptr; // "任意"
    QLineEdit* trayHintEdit = nullptr;
    // Shown only where the desktop has no notification area: why the tab has no effect there.
    QLabel* noTrayLabel = nullptr;

    QPushButton* okButton = nullptr;

    QGroupBox* colorGroup = nullptr;
    QLabel* backColorLabel = nullptr;
    QLabel* todayColorLabel = nullptr;
    QLabel* selectedColorLabel = nullptr;
    QLabel* diaryColorLabel = nullptr;
    QGroupBox* backgroundGroup = nullptr;
    QLabel* yearFormatLabel = nullptr;
    QLabel* monthFormatLabel = nullptr;
    QLabel* weekFormatLabel = nullptr;
    QPushButton* cancelButton = nullptr;

    void showOptions();
    void BuildGeneralTab(QWidget* page);
    void BuildLayoutTab(QWidget* page);
    void BuildFormatTab(QWidget* page);
    void BuildResidentTab(QWidget* page);
    void EnableResident(bool on, bool hintTextToo);
    void ShowPreview(const QString& path);

    Options& m_opt;
    SettingsStore& m_settings;
};

// Opens the dialog owned by the main window: modal from its menu (returns when closed),
// modeless from the tray menu. The dialog owner has on the screen is brought to the front
// instead. setUp runs on a new dialog before it shows; connect its signals there. The main
// window's restore closes it without saving (CloseOpenWindow).
void OpenOptionsDialog(AppContext& app, QWidget* owner, bool modal,
                       const std::function<void(OptionsDialog&)>& setUp = {});
