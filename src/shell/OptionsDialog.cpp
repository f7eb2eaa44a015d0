#include "shell/OptionsDialog.h"

#include "core/CodePageText.h"
#include "core/Colors.h"
#include "core/MsgBox.h"
#include "core/ProgramWindows.h"
#include "settings/AppContext.h"
#include "shell/ShellHelpers.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const char* const kPicFilter = "画像ファイル(*.bmp;*.gif;*.jpg;*.jpeg;*.dib;*.png)|*.bmp;*.gif;*."
                               "jpg;*.jpeg;*.dib;*.png|全てのファイル(*.*)|*.*";
const char* const kColorProperty = "bgrColor";

template <class W> W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel* NoteLabel(const QString& text, const char* name) {
    auto* l = Named(new QLabel(text), name);
    l->setWordWrap(true);
    return l;
}

} // namespace

QStringList YearFormatTexts() {
    return {QStringLiteral("'00 ～ '99"), QStringLiteral("1900 ～ 2100"),
            QStringLiteral("H.1 ～ H.99"), QStringLiteral("平 1 ～ 平 99"),
            QStringLiteral("平成 1年 ～ 平成 99年")};
}

QStringList MonthFormatTexts() {
    return {QStringLiteral("1 ～ 12"), QStringLiteral("Jan ～ Dec"),
            QStringLiteral("January ～ December")};
}

QStringList WeekFormatTexts() {
    return {QStringLiteral("日 ～ 土"), QStringLiteral("日曜日 ～ 土曜日"),
            QStringLiteral("Sun ～ Sat"), QStringLiteral("Sunday ～ Saturday")};
}

QColor ButtonColor(const QPushButton* button) {
    return button->property(kColorProperty).value<QColor>();
}

void SetButtonColor(QPushButton* button, const QColor& color) {
    button->setProperty(kColorProperty, color);
    const QString name = color.name();
    button->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; border: 1px solid #808080; }"
                       "QPushButton:focus { border: 2px solid palette(highlight); }")
            .arg(name));
}

// ---------------------------------------------------------------- building

OptionsDialog::OptionsDialog(AppContext& app, QWidget* owner)
    : QDialog(owner), m_opt(app.options()), m_settings(app.settings()) {
    PrepareDialog(this, "frmOptions", QStringLiteral("ｵﾌﾟｼｮﾝ"));

    optionTabs = Named(new QTabWidget(this), "tabOption");
    const std::array<QString, 4> captions = {QStringLiteral("全般"), QStringLiteral("ﾚｲｱｳﾄ"),
                                             QStringLiteral("ﾌｫｰﾏｯﾄ"), QStringLiteral("常駐")};
    std::array<QWidget*, 4> pages{};
    for (size_t i = 0; i < pages.size(); ++i) {
        pages[i] = new QWidget;
        pages[i]->setAccessibleName(captions[i]);
        optionTabs->addTab(pages[i], captions[i]);
    }
    BuildGeneralTab(pages[0]);
    BuildLayoutTab(pages[1]);
    BuildFormatTab(pages[2]);
    BuildResidentTab(pages[3]);

    const OkCancelRow buttons = MakeOkCancelRow(this, "cmdOK", "cmdCancel");
    okButton = buttons.ok;
    cancelButton = buttons.cancel;
    connect(okButton, &QPushButton::clicked, this, &OptionsDialog::save);

    auto* main = new QVBoxLayout(this);
    main->addWidget(optionTabs);
    main->addLayout(buttons.row);
    // No default button: Enter presses nothing; Esc cancels (the dialog's own reject).
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);

    showOptions();
    resize(500, 400);
}

void OptionsDialog::BuildGeneralTab(QWidget* page) {
    saveWindowCheck =
        Named(new QCheckBox(QStringLiteral("終了時のウィンドウの位置と大きさを保存する")),
              "chkWindowSave");
    startupCheck =
        Named(new QCheckBox(QStringLiteral("Vaskel起動時に本日の予定を表示する")), "chkStartup");
    auto* l = new QVBoxLayout(page);
    l->addWidget(saveWindowCheck);
    l->addWidget(startupCheck);
    l->addStretch();
}

void OptionsDialog::BuildLayoutTab(QWidget* page) {
    colorGroup = Named(new QGroupBox(QStringLiteral("配色設定")), "fmColorSetting");
    auto* colors = new QGridLayout(colorGroup);
    const auto colorRow = [this, colors](int row, int col, QPushButton*& button, QLabel*& label,
                                         const char* buttonName, const char* labelName,
                                         const QString& caption) {
        button = Named(new QPushButton, buttonName);
        button->setFixedSize(44, 24);
        button->setAccessibleName(caption);
        label = Named(new QLabel(caption), labelName);
        label->setBuddy(button);
        colors->addWidget(button, row, col);
        colors->addWidget(label, row, col + 1);
        connect(button, &QPushButton::clicked, this, [this, button] { chooseButtonColor(button); });
    };
    colorRow(0, 0, backColorButton, backColorLabel, "cmdBackColor", "lblLayoutBack",
             QStringLiteral("背景色"));
    colorRow(0, 2, todayColorButton, todayColorLabel, "cmdTodayColor", "lblLayoutToday",
             QStringLiteral("当日"));
    colorRow(1, 0, selectedColorButton, selectedColorLabel, "cmdSelectColor", "lblLayoutSelect",
             QStringLiteral("選択日"));
    colorRow(1, 2, diaryColorButton, diaryColorLabel, "cmdDiaryColor", "lblLayoutDiary",
             QStringLiteral("日記入力日"));
    colors->setColumnStretch(1, 1);
    colors->setColumnStretch(3, 1);

    backgroundGroup = Named(new QGroupBox(QStringLiteral("背景設定")), "fmBackSetting");
    pictureRadio = Named(new QRadioButton(QStringLiteral("背景画像指定")), "optSetBack");
    noPictureRadio = Named(new QRadioButton(QStringLiteral("背景画像なし")), "optNonBack");
    picturePathEdit = Named(new QLineEdit, "txtPicPath");
    picturePathEdit->setAccessibleName(QStringLiteral("背景画像のファイル"));
    choosePictureButton = Named(new QPushButton(QStringLiteral("...")), "cmdSetPic");
    choosePictureButton->setAccessibleName(QStringLiteral("背景画像の選択"));
    choosePictureButton->setFixedWidth(32);
    previewPicture = Named(new QLabel, "imgBack");
    previewPicture->setAccessibleName(QStringLiteral("背景画像"));
    previewPicture->setFixedSize(88, 88);
    previewPicture->setFrameShape(QFrame::Panel);
    previewPicture->setFrameShadow(QFrame::Sunken);
    previewPicture->setScaledContents(true);
    connect(pictureRadio, &QRadioButton::clicked, this, &OptionsDialog::usePicture);
    connect(noPictureRadio, &QRadioButton::clicked, this, &OptionsDialog::useNoPicture);
    connect(choosePictureButton, &QPushButton::clicked, this, &OptionsDialog::choosePicture);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(picturePathEdit);
    pathRow->addWidget(choosePictureButton);
    auto* left = new QVBoxLayout;
    left->addWidget(pictureRadio);
    left->addWidget(noPictureRadio);
    left->addLayout(pathRow);
    left->addStretch();
    auto* back = new QHBoxLayout(backgroundGroup);
    back->addLayout(left, 1);
    back->addWidget(previewPicture, 0, Qt::AlignTop);

    auto* l = new QVBoxLayout(page);
    l->addWidget(colorGroup);
    l->addWidget(backgroundGroup);
    l->addStretch();
}

void OptionsDialog::BuildFormatTab(QWidget* page) {
    auto* form = new QFormLayout(page);
    const auto row = [form](QLabel*& label, QComboBox*& box, const char* labelName,
                            const char* boxName, const QString& caption, const QStringList& items) {
        label = Named(new QLabel(caption), labelName);
        box = Named(new QComboBox, boxName);
        box->addItems(items);
        box->setAccessibleName(caption);
        box->setMinimumWidth(200);
        label->setBuddy(box);
        form->addRow(label, box);
    };
    row(yearFormatLabel, yearFormatCombo, "lblFormatYear", "cboFormatYear", QStringLiteral("年"),
        YearFormatTexts());
    row(monthFormatLabel, monthFormatCombo, "lblFormatMonth", "cboFormatMonth",
        QStringLiteral("月"), MonthFormatTexts());
    row(weekFormatLabel, weekFormatCombo, "lblFormatWeek", "cboFormatWeek", QStringLiteral("曜日"),
        WeekFormatTexts());
}

void OptionsDialog::BuildResidentTab(QWidget* page) {
    residentCheck = Named(new QCheckBox(QStringLiteral("Vaskelの常駐")), "chkStationed");
    residentGroup = Named(new QGroupBox, "fmStationed");
    residentGroup->setAccessibleName(QStringLiteral("Vaskelの常駐"));
    startInTrayCheck = Named(
        new QCheckBox(QStringLiteral("Vaskelの起動は画面を表示せず常駐させる")), "chkTaskTray");
    informationLabels[0] =
        NoteLabel(QStringLiteral("常駐しない場合、Vaskelを終了すると稼働時間の算出は"
                                 "行われなくなります。"),
                  "lblInfomation0");
    trayHintGroup = Named(new QGroupBox(QStringLiteral("タスクトレイ常駐時のポップアップヒント")),
                          "fmTrayHint");
    trayHintNameRadio = Named(new QRadioButton(QStringLiteral("Vaskel")), "optTrayHint0");
    trayHintDateRadio = Named(new QRadioButton(QStringLiteral("当日日付")), "optTrayHint1");
    trayHintCustomRadio = Named(new QRadioButton(QStringLiteral("任意")), "optTrayHint9");
    trayHintEdit = Named(new QLineEdit, "txtTrayHint");
    trayHintEdit->setMaxLength(60);
    trayHintEdit->setAccessibleName(QStringLiteral("任意"));
    informationLabels[1] =
        NoteLabel(QStringLiteral("※ 次回Vaskel起動時から有効になります。"), "lblInfomation1");
    noTrayLabel =
        NoteLabel(QStringLiteral("※ この環境にはタスクトレイがないため、常駐時もVaskelの画"
                                 "面は隠れず最小化されます。起動時に画面を表示しない設定と"
                                 "ポップアップヒントは働きません。"),
                  "lblNoTray");

    auto* group = new QButtonGroup(this);
    group->addButton(trayHintNameRadio, 0);
    group->addButton(trayHintDateRadio, 1);
    group->addButton(trayHintCustomRadio, 9);
    connect(group, &QButtonGroup::idClicked, this, &OptionsDialog::trayHintChosen);
    connect(residentCheck, &QCheckBox::clicked, this, &OptionsDialog::residentToggled);

    auto* radios = new QHBoxLayout;
    radios->addWidget(trayHintNameRadio);
    radios->addWidget(trayHintDateRadio);
    radios->addWidget(trayHintCustomRadio);
    radios->addWidget(trayHintEdit, 1);
    auto* hint = new QVBoxLayout(trayHintGroup);
    hint->addLayout(radios);
    hint->addWidget(informationLabels[1]);
    auto* stationed = new QVBoxLayout(residentGroup);
    stationed->addWidget(startInTrayCheck);
    stationed->addWidget(informationLabels[0]);
    stationed->addWidget(trayHintGroup);
    auto* l = new QVBoxLayout(page);
    l->addWidget(residentCheck);
    l->addWidget(residentGroup);
    l->addWidget(noTrayLabel);
    l->addStretch();
}

// ---------------------------------------------------------------- opening

void OpenOptionsDialog(AppContext& app, QWidget* owner, bool modal,
                       const std::function<void(OptionsDialog&)>& setUp) {
    const auto make = [&app, owner, &setUp] {
        auto* d = new OptionsDialog(app, owner);
        if (setUp)
            setUp(*d);
        return d;
    };
    ShowOnce<OptionsDialog>(owner, modal, make, Counted::WhileShown);
}

void OptionsDialog::showOptions() {
    saveWindowCheck->setChecked(m_opt.saveWindow);
    startupCheck->setChecked(m_opt.showTodayAtStart);
    SetButtonColor(todayColorButton, m_opt.todayColor);
    SetButtonColor(selectedColorButton, m_opt.selectColor);
    SetButtonColor(diaryColorButton, m_opt.diaryColor);
    SetButtonColor(backColorButton, m_opt.backColor);
    (m_opt.backPicture ? pictureRadio : noPictureRadio)->setChecked(true);
    picturePathEdit->setText(m_opt.backPicturePath);
    ShowPreview(pictureRadio->isChecked() ? m_opt.backPicturePath : QString());
    const auto select = [](QComboBox* box, int index) {
        box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0);
    };
    select(yearFormatCombo, m_opt.yearFormat);
    select(monthFormatCombo, m_opt.monthFormat);
    select(weekFormatCombo, m_opt.weekFormat);
    picturePathEdit->setEnabled(pictureRadio->isChecked());
    choosePictureButton->setEnabled(pictureRadio->isChecked());
    optionTabs->setCurrentIndex(0);

    residentCheck->setChecked(m_opt.resident);
    startInTrayCheck->setChecked(m_opt.startInTray);
    (m_opt.trayTip == TrayTip::Date   ? trayHintDateRadio
     : m_opt.trayTip == TrayTip::Text ? trayHintCustomRadio
                                      : trayHintNameRadio)
        ->setChecked(true);
    trayHintEdit->setText(m_opt.trayTipText);
    EnableResident(m_opt.resident, false);
    noTrayLabel->setVisible(!TrayUsable());
}

// ---------------------------------------------------------------- while open

void OptionsDialog::EnableResident(bool on, bool hintTextToo) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             residentGroup, startInTrayCheck, informationLabels[0], informationLabels[1],
             trayHintGroup, trayHintNameRadio, trayHintDateRadio, trayHintCustomRadio})
        w->setEnabled(on);
    trayHintEdit->setEnabled(on && (hintTextToo || trayHintCustomRadio->isChecked()));
}

TrayTip OptionsDialog::SelectedTrayHint() const {
    if (trayHintDateRadio->isChecked())
        return TrayTip::Date;
    if (trayHintCustomRadio->isChecked())
        return TrayTip::Text;
    return TrayTip::Title;
}

void OptionsDialog::residentToggled() {
    EnableResident(residentCheck->isChecked(), true);
}

void OptionsDialog::trayHintChosen(int index) {
    trayHintEdit->setEnabled(index == 9);
}

void OptionsDialog::usePicture() {
    picturePathEdit->setEnabled(true);
    choosePictureButton->setEnabled(true);
    ShowPreview(m_opt.backPicturePath);
}

void OptionsDialog::useNoPicture() {
    picturePathEdit->setEnabled(false);
    choosePictureButton->setEnabled(false);
    ShowPreview(QString());
}

void OptionsDialog::ShowPreview(const QString& path) {
    QPixmap pic;
    if (!path.isEmpty())
        pic.load(path);
    previewPicture->setPixmap(pic);
}

void OptionsDialog::chooseButtonColor(QPushButton* button) {
    QColor color = ButtonColor(button);
    if (ChooseColor(this, color))
        SetButtonColor(button, color);
}

void OptionsDialog::choosePicture() {
    QString path = picturePathEdit->text();
    if (ChooseFile(this, false, QStringLiteral("背景画像の選択"),
                   QtFileFilter(QString::fromUtf8(kPicFilter)), path)) {
        picturePathEdit->setText(path);
        ShowPreview(path);
    }
    picturePathEdit->setFocus();
}

bool OptionsDialog::CheckPicFile() {
    // The path that OK would save; an empty one means no picture and passes.
    const QString path = TrimBlanks(picturePathEdit->text());
    if (path.isEmpty())
        return true;
    if (QFileInfo(path).isFile() && QImageReader(path).canRead())
        return true;
    optionTabs->setCurrentWidget(optionTabs->widget(1));
    // With "背景画像なし" the path cannot take the focus; the option that lets it be
    // corrected does.
    WarnInput(picturePathEdit->isEnabled() ? static_cast<QWidget*>(picturePathEdit)
                                           : static_cast<QWidget*>(pictureRadio),
              QStringLiteral("指定したファイルが見つかりません。"), windowTitle());
    return false;
}

void OptionsDialog::save() {
    if (!CheckPicFile())
        return;
    // Each group of keys goes to the file in one write.
    m_opt.saveWindow = saveWindowCheck->isChecked();
    m_opt.showTodayAtStart = startupCheck->isChecked();
    m_opt.todayColor = ButtonColor(todayColorButton);
    m_opt.selectColor = ButtonColor(selectedColorButton);
    m_opt.diaryColor = ButtonColor(diaryColorButton);
    m_opt.backColor = ButtonColor(backColorButton);
    m_opt.backPicture = pictureRadio->isChecked();
    m_opt.backPicturePath = TrimBlanks(picturePathEdit->text());
    m_opt.yearFormat = yearFormatCombo->currentIndex();
    m_opt.monthFormat = monthFormatCombo->currentIndex();
    m_opt.weekFormat = weekFormatCombo->currentIndex();
    m_settings.writeOptions(m_opt,
                            {SettingKey::WindowSave, SettingKey::StartUp, SettingKey::TodayColor,
                             SettingKey::SelectColor, SettingKey::DiaryColor, SettingKey::BackColor,
                             SettingKey::BackPic, SettingKey::BackPicPath, SettingKey::YearFormat,
                             SettingKey::MonthFormat, SettingKey::WeekFormat});
    emit displayChanged();

    const TrayAction action = TrayActionFor(m_opt.resident, residentCheck->isChecked());
    m_opt.resident = residentCheck->isChecked();
    m_opt.startInTray = startInTrayCheck->isChecked();
    const TrayTip mode = SelectedTrayHint();
    std::vector<SettingKey> tray{SettingKey::Stationed, SettingKey::TaskTray};
    if (mode == TrayTip::Text) {
        m_opt.trayTipText = trayHintEdit->text();
        tray.push_back(SettingKey::TrayHintText);
    }
    m_opt.trayTip = mode;
    tray.push_back(SettingKey::TrayHint);
    m_settings.writeOptions(m_opt, tray);
    if (action != TrayAction::None)
        emit trayActionRequested(action);

    const bool ownerHidden = parentWidget() && parentWidget()->isHidden();
    accept();
    if (ownerHidden && action == TrayAction::Delete)
        emit restoreRequested();
}
