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

    tabOption = Named(new QTabWidget(this), "tabOption");
    const std::array<QString, 4> captions = {QStringLiteral("全般"), QStringLiteral("ﾚｲｱｳﾄ"),
                                             QStringLiteral("ﾌｫｰﾏｯﾄ"), QStringLiteral("常駐")};
    std::array<QWidget*, 4> pages{};
    for (size_t i = 0; i < pages.size(); ++i) {
        pages[i] = new QWidget;
        pages[i]->setAccessibleName(captions[i]);
        tabOption->addTab(pages[i], captions[i]);
    }
    BuildGeneralTab(pages[0]);
    BuildLayoutTab(pages[1]);
    BuildFormatTab(pages[2]);
    BuildResidentTab(pages[3]);

    const OkCancelRow buttons = MakeOkCancelRow(this, "cmdOK", "cmdCancel");
    cmdOK = buttons.ok;
    cmdCancel = buttons.cancel;
    connect(cmdOK, &QPushButton::clicked, this, &OptionsDialog::save);

    auto* main = new QVBoxLayout(this);
    main->addWidget(tabOption);
    main->addLayout(buttons.row);
    // No default button: Enter presses nothing; Esc cancels (the dialog's own reject).
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);

    showOptions();
    resize(500, 400);
}

void OptionsDialog::BuildGeneralTab(QWidget* page) {
    chkWindowSave =
        Named(new QCheckBox(QStringLiteral("終了時のウィンドウの位置と大きさを保存する")),
              "chkWindowSave");
    chkStartup =
        Named(new QCheckBox(QStringLiteral("Vaskel起動時に本日の予定を表示する")), "chkStartup");
    auto* l = new QVBoxLayout(page);
    l->addWidget(chkWindowSave);
    l->addWidget(chkStartup);
    l->addStretch();
}

void OptionsDialog::BuildLayoutTab(QWidget* page) {
    fmColorSetting = Named(new QGroupBox(QStringLiteral("配色設定")), "fmColorSetting");
    auto* colors = new QGridLayout(fmColorSetting);
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
    colorRow(0, 0, cmdBackColor, lblLayoutBack, "cmdBackColor", "lblLayoutBack",
             QStringLiteral("背景色"));
    colorRow(0, 2, cmdTodayColor, lblLayoutToday, "cmdTodayColor", "lblLayoutToday",
             QStringLiteral("当日"));
    colorRow(1, 0, cmdSelectColor, lblLayoutSelect, "cmdSelectColor", "lblLayoutSelect",
             QStringLiteral("選択日"));
    colorRow(1, 2, cmdDiaryColor, lblLayoutDiary, "cmdDiaryColor", "lblLayoutDiary",
             QStringLiteral("日記入力日"));
    colors->setColumnStretch(1, 1);
    colors->setColumnStretch(3, 1);

    fmBackSetting = Named(new QGroupBox(QStringLiteral("背景設定")), "fmBackSetting");
    optSetBack = Named(new QRadioButton(QStringLiteral("背景画像指定")), "optSetBack");
    optNonBack = Named(new QRadioButton(QStringLiteral("背景画像なし")), "optNonBack");
    txtPicPath = Named(new QLineEdit, "txtPicPath");
    txtPicPath->setAccessibleName(QStringLiteral("背景画像のファイル"));
    cmdSetPic = Named(new QPushButton(QStringLiteral("...")), "cmdSetPic");
    cmdSetPic->setAccessibleName(QStringLiteral("背景画像の選択"));
    cmdSetPic->setFixedWidth(32);
    imgBack = Named(new QLabel, "imgBack");
    imgBack->setAccessibleName(QStringLiteral("背景画像"));
    imgBack->setFixedSize(88, 88);
    imgBack->setFrameShape(QFrame::Panel);
    imgBack->setFrameShadow(QFrame::Sunken);
    imgBack->setScaledContents(true);
    connect(optSetBack, &QRadioButton::clicked, this, &OptionsDialog::usePicture);
    connect(optNonBack, &QRadioButton::clicked, this, &OptionsDialog::useNoPicture);
    connect(cmdSetPic, &QPushButton::clicked, this, &OptionsDialog::choosePicture);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(txtPicPath);
    pathRow->addWidget(cmdSetPic);
    auto* left = new QVBoxLayout;
    left->addWidget(optSetBack);
    left->addWidget(optNonBack);
    left->addLayout(pathRow);
    left->addStretch();
    auto* back = new QHBoxLayout(fmBackSetting);
    back->addLayout(left, 1);
    back->addWidget(imgBack, 0, Qt::AlignTop);

    auto* l = new QVBoxLayout(page);
    l->addWidget(fmColorSetting);
    l->addWidget(fmBackSetting);
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
    row(lblFormatYear, cboFormatYear, "lblFormatYear", "cboFormatYear", QStringLiteral("年"),
        YearFormatTexts());
    row(lblFormatMonth, cboFormatMonth, "lblFormatMonth", "cboFormatMonth", QStringLiteral("月"),
        MonthFormatTexts());
    row(lblFormatWeek, cboFormatWeek, "lblFormatWeek", "cboFormatWeek", QStringLiteral("曜日"),
        WeekFormatTexts());
}

void OptionsDialog::BuildResidentTab(QWidget* page) {
    chkStationed = Named(new QCheckBox(QStringLiteral("Vaskelの常駐")), "chkStationed");
    fmStationed = Named(new QGroupBox, "fmStationed");
    fmStationed->setAccessibleName(QStringLiteral("Vaskelの常駐"));
    chkTaskTray = Named(new QCheckBox(QStringLiteral("Vaskelの起動は画面を表示せず常駐させる")),
                        "chkTaskTray");
    lblInformation[0] =
        NoteLabel(QStringLiteral("常駐しない場合、Vaskelを終了すると稼働時間の算出は"
                                 "行われなくなります。"),
                  "lblInfomation0");
    fmTrayHint = Named(new QGroupBox(QStringLiteral("タスクトレイ常駐時のポップアップヒント")),
                       "fmTrayHint");
    optTrayHint0 = Named(new QRadioButton(QStringLiteral("Vaskel")), "optTrayHint0");
    optTrayHint1 = Named(new QRadioButton(QStringLiteral("当日日付")), "optTrayHint1");
    optTrayHint9 = Named(new QRadioButton(QStringLiteral("任意")), "optTrayHint9");
    txtTrayHint = Named(new QLineEdit, "txtTrayHint");
    txtTrayHint->setMaxLength(60);
    txtTrayHint->setAccessibleName(QStringLiteral("任意"));
    lblInformation[1] =
        NoteLabel(QStringLiteral("※ 次回Vaskel起動時から有効になります。"), "lblInfomation1");
    lblNoTray = NoteLabel(QStringLiteral("※ この環境にはタスクトレイがないため、常駐時もVaskelの画"
                                         "面は隠れず最小化されます。起動時に画面を表示しない設定と"
                                         "ポップアップヒントは働きません。"),
                          "lblNoTray");

    auto* group = new QButtonGroup(this);
    group->addButton(optTrayHint0, 0);
    group->addButton(optTrayHint1, 1);
    group->addButton(optTrayHint9, 9);
    connect(group, &QButtonGroup::idClicked, this, &OptionsDialog::trayHintChosen);
    connect(chkStationed, &QCheckBox::clicked, this, &OptionsDialog::residentToggled);

    auto* radios = new QHBoxLayout;
    radios->addWidget(optTrayHint0);
    radios->addWidget(optTrayHint1);
    radios->addWidget(optTrayHint9);
    radios->addWidget(txtTrayHint, 1);
    auto* hint = new QVBoxLayout(fmTrayHint);
    hint->addLayout(radios);
    hint->addWidget(lblInformation[1]);
    auto* stationed = new QVBoxLayout(fmStationed);
    stationed->addWidget(chkTaskTray);
    stationed->addWidget(lblInformation[0]);
    stationed->addWidget(fmTrayHint);
    auto* l = new QVBoxLayout(page);
    l->addWidget(chkStationed);
    l->addWidget(fmStationed);
    l->addWidget(lblNoTray);
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
    chkWindowSave->setChecked(m_opt.saveWindow);
    chkStartup->setChecked(m_opt.showTodayAtStart);
    SetButtonColor(cmdTodayColor, m_opt.todayColor);
    SetButtonColor(cmdSelectColor, m_opt.selectColor);
    SetButtonColor(cmdDiaryColor, m_opt.diaryColor);
    SetButtonColor(cmdBackColor, m_opt.backColor);
    (m_opt.backPicture ? optSetBack : optNonBack)->setChecked(true);
    txtPicPath->setText(m_opt.backPicturePath);
    ShowPreview(optSetBack->isChecked() ? m_opt.backPicturePath : QString());
    const auto select = [](QComboBox* box, int index) {
        box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0);
    };
    select(cboFormatYear, m_opt.yearFormat);
    select(cboFormatMonth, m_opt.monthFormat);
    select(cboFormatWeek, m_opt.weekFormat);
    txtPicPath->setEnabled(optSetBack->isChecked());
    cmdSetPic->setEnabled(optSetBack->isChecked());
    tabOption->setCurrentIndex(0);

    chkStationed->setChecked(m_opt.resident);
    chkTaskTray->setChecked(m_opt.startInTray);
    (m_opt.trayTip == TrayTip::Date   ? optTrayHint1
     : m_opt.trayTip == TrayTip::Text ? optTrayHint9
                                      : optTrayHint0)
        ->setChecked(true);
    txtTrayHint->setText(m_opt.trayTipText);
    EnableResident(m_opt.resident, false);
    lblNoTray->setVisible(!TrayUsable());
}

// ---------------------------------------------------------------- while open

void OptionsDialog::EnableResident(bool on, bool hintTextToo) {
    for (QWidget* w : std::initializer_list<QWidget*>{fmStationed, chkTaskTray, lblInformation[0],
                                                      lblInformation[1], fmTrayHint, optTrayHint0,
                                                      optTrayHint1, optTrayHint9})
        w->setEnabled(on);
    txtTrayHint->setEnabled(on && (hintTextToo || optTrayHint9->isChecked()));
}

TrayTip OptionsDialog::SelectedTrayHint() const {
    if (optTrayHint1->isChecked())
        return TrayTip::Date;
    if (optTrayHint9->isChecked())
        return TrayTip::Text;
    return TrayTip::Title;
}

void OptionsDialog::residentToggled() {
    EnableResident(chkStationed->isChecked(), true);
}

void OptionsDialog::trayHintChosen(int index) {
    txtTrayHint->setEnabled(index == 9);
}

void OptionsDialog::usePicture() {
    txtPicPath->setEnabled(true);
    cmdSetPic->setEnabled(true);
    ShowPreview(m_opt.backPicturePath);
}

void OptionsDialog::useNoPicture() {
    txtPicPath->setEnabled(false);
    cmdSetPic->setEnabled(false);
    ShowPreview(QString());
}

void OptionsDialog::ShowPreview(const QString& path) {
    QPixmap pic;
    if (!path.isEmpty())
        pic.load(path);
    imgBack->setPixmap(pic);
}

void OptionsDialog::chooseButtonColor(QPushButton* button) {
    QColor color = ButtonColor(button);
    if (ChooseColor(this, color))
        SetButtonColor(button, color);
}

void OptionsDialog::choosePicture() {
    QString path = txtPicPath->text();
    if (ChooseFile(this, false, QStringLiteral("背景画像の選択"),
                   QtFileFilter(QString::fromUtf8(kPicFilter)), path)) {
        txtPicPath->setText(path);
        ShowPreview(path);
    }
    txtPicPath->setFocus();
}

bool OptionsDialog::CheckPicFile() {
    // The path that OK would save; an empty one means no picture and passes.
    const QString path = TrimBlanks(txtPicPath->text());
    if (path.isEmpty())
        return true;
    if (QFileInfo(path).isFile() && QImageReader(path).canRead())
        return true;
    tabOption->setCurrentWidget(tabOption->widget(1));
    // With "背景画像なし" the path cannot take the focus; the option that lets it be
    // corrected does.
    WarnInput(txtPicPath->isEnabled() ? static_cast<QWidget*>(txtPicPath)
                                      : static_cast<QWidget*>(optSetBack),
              QStringLiteral("指定したファイルが見つかりません。"), windowTitle());
    return false;
}

void OptionsDialog::save() {
    if (!CheckPicFile())
        return;
    // Each group of keys goes to the file in one write.
    m_opt.saveWindow = chkWindowSave->isChecked();
    m_opt.showTodayAtStart = chkStartup->isChecked();
    m_opt.todayColor = ButtonColor(cmdTodayColor);
    m_opt.selectColor = ButtonColor(cmdSelectColor);
    m_opt.diaryColor = ButtonColor(cmdDiaryColor);
    m_opt.backColor = ButtonColor(cmdBackColor);
    m_opt.backPicture = optSetBack->isChecked();
    m_opt.backPicturePath = TrimBlanks(txtPicPath->text());
    m_opt.yearFormat = cboFormatYear->currentIndex();
    m_opt.monthFormat = cboFormatMonth->currentIndex();
    m_opt.weekFormat = cboFormatWeek->currentIndex();
    m_settings.writeOptions(m_opt,
                            {SettingKey::WindowSave, SettingKey::StartUp, SettingKey::TodayColor,
                             SettingKey::SelectColor, SettingKey::DiaryColor, SettingKey::BackColor,
                             SettingKey::BackPic, SettingKey::BackPicPath, SettingKey::YearFormat,
                             SettingKey::MonthFormat, SettingKey::WeekFormat});
    emit displayChanged();

    const TrayAction action = TrayActionFor(m_opt.resident, chkStationed->isChecked());
    m_opt.resident = chkStationed->isChecked();
    m_opt.startInTray = chkTaskTray->isChecked();
    const TrayTip mode = SelectedTrayHint();
    std::vector<SettingKey> tray{SettingKey::Stationed, SettingKey::TaskTray};
    if (mode == TrayTip::Text) {
        m_opt.trayTipText = txtTrayHint->text();
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
