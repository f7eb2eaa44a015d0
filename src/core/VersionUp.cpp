// The schema check that runs first at every start, with the upgrade's notice and messages.

#include "core/VersionUp.h"

#include "core/Database.h"
#include "core/DatabaseMessages.h"
#include "core/MsgBox.h"
#include "core/Program.h"
#include "core/SchemaUpgrade.h"
#include "core/VersionUpNotice.h"

bool VersionUp(const Program& program, const UpgradeStep& holidayRules) {
    Db db = OpenDB(program);
    if (!db)
        return false;
    const double stored = ReadSchemaVersion(*db);
    if (!NeedsUpgrade(stored)) {
        CloseDB(*db);
        return true;
    }

    VersionUpNotice notice;
    notice.versionLabel->setText(VersionUpNoticeText(stored, ProgramVersion()));
    notice.show();
    // Painted now: the upgrade runs before the event loop gets back to the window.
    notice.repaint();

    if (!UpgradeSchema(*db, stored, holidayRules)) {
        // Nothing of the upgrade may reach the file: it stays at its old version. The failed
        // statement has rolled the transaction back and closed the connection already.
        notice.close();
        MsgBox(QStringLiteral("バージョンアップ処理に失敗しました。"), MsgButtons::OK,
               MsgIcon::Critical, QStringLiteral("バージョンアップ更新処理"));
        return false;
    }
    notice.close();
    // Unlike a mere version read, an upgrade that could not be committed has not happened.
    return CloseDB(*db);
}
