// The folders of src depend downwards only: no folder includes a header of a folder above it,
// and folders of one level never include each other in a circle. Every include of a header of
// src names its folder ("core/Database.h"), so that the include line shows the layering.

#include <QDirIterator>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QtTest>

#include <map>
#include <set>

namespace {

// Level of each folder, lowest first.
const std::map<QString, int> kLevels = {
    {"core", 0},     {"settings", 1},   {"holidays", 2}, {"calendar", 3}, {"entries", 3},
    {"worktime", 3}, {"statistics", 3}, {"alarm", 3},    {"exchange", 4}, {"sync", 5},
    {"shell", 5},    {"mainwindow", 6}, {"app", 7},
};

using Graph = std::map<QString, std::set<QString>>;

bool ReachesBack(const Graph& g, const QString& from, const QString& target,
                 std::set<QString>& seen) {
    if (from == target)
        return true;
    if (!seen.insert(from).second)
        return false;
    const auto it = g.find(from);
    if (it == g.end())
        return false;
    for (const QString& next : it->second) {
        if (ReachesBack(g, next, target, seen))
            return true;
    }
    return false;
}

} // namespace

class tst_layering : public QObject {
    Q_OBJECT
private slots:
    void foldersDependDownwardsOnly();
    void onlyTheWindowLayerShowsAnything();
};

namespace {

// The window layer: the files that make, show or drive windows, and the program's main().
// Every other file computes and stores, and returns what it found.
bool IsWindowFile(const QString& path) {
    static const QStringList kFiles = {"main",           "CellLabel",        "InfoPanel",
                                       "PictureBox",     "EntryWidgets",     "EntryCommands",
                                       "MsgBox",         "ProgramWindows",   "TextBoxes",
                                       "Fonts",          "DatabaseMessages", "VersionUp",
                                       "SortedLineItem", "TickReport",       "Tray"};
    const QString stem = QFileInfo(path).completeBaseName();
    for (const char* kind : {"Dialog", "Window", "Editor", "Notice", "View"}) {
        if (stem.endsWith(QLatin1String(kind)))
            return true;
    }
    return stem.startsWith(QLatin1String("Main")) || kFiles.contains(stem);
}

} // namespace

void tst_layering::onlyTheWindowLayerShowsAnything() {
    const QDir src(QStringLiteral(VASKEL_SOURCE_DIR "/src"));
    const QDir widgets(QLibraryInfo::path(QLibraryInfo::HeadersPath) +
                       QStringLiteral("/QtWidgets"));
    QVERIFY2(widgets.exists(QStringLiteral("QWidget")), qPrintable(widgets.path()));
    // Besides the widgets: the process-wide cursor and clipboard belong to the windows too.
    const QStringList gui = {"QCursor", "QGuiApplication", "QClipboard"};
    const QRegularExpression include(QStringLiteral("^#include [<\"]([^>\"]+)[>\"]"),
                                     QRegularExpression::MultilineOption);
    QStringList problems;
    QDirIterator files(src.path(), {"*.h", "*.cpp"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        // The precompiled header is a build speed-up, not a dependency: every file includes
        // what it uses, which the sanitizer build (made without it) proves.
        if (IsWindowFile(path) || path.endsWith(QLatin1String("/core/Precompiled.h")))
            continue;
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        for (auto m = include.globalMatch(text); m.hasNext();) {
            const QString included = m.next().captured(1);
            const bool widget = !included.contains(QLatin1Char('/')) &&
                                (widgets.exists(included) || gui.contains(included));
            const bool window = included.contains(QLatin1Char('/')) && IsWindowFile(included);
            if (widget || window)
                problems << src.relativeFilePath(path) + QStringLiteral(" includes ") + included;
        }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

void tst_layering::foldersDependDownwardsOnly() {
    const QDir src(QStringLiteral(VASKEL_SOURCE_DIR "/src"));
    QVERIFY(src.exists());
    // Which folder owns each header.
    std::map<QString, QString> owner;
    QDirIterator files(src.path(), {"*.h", "*.cpp"}, QDir::Files, QDirIterator::Subdirectories);
    std::vector<QString> paths;
    while (files.hasNext()) {
        const QString path = files.next();
        paths.push_back(path);
        const QString folder = src.relativeFilePath(path).section(QLatin1Char('/'), 0, 0);
        QVERIFY2(kLevels.count(folder), qPrintable(QStringLiteral("unknown folder ") + folder));
        if (path.endsWith(QLatin1String(".h")))
            owner[QFileInfo(path).fileName()] = folder;
    }
    const QRegularExpression include(QStringLiteral("^#include \"([^\"]+)\""),
                                     QRegularExpression::MultilineOption);
    Graph graph;
    QStringList problems;
    for (const QString& path : paths) {
        const QString folder = src.relativeFilePath(path).section(QLatin1Char('/'), 0, 0);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        for (auto m = include.globalMatch(text); m.hasNext();) {
            const QString included = m.next().captured(1);
            const QString header = QFileInfo(included).fileName();
            const auto it = owner.find(header);
            if (it == owner.end())
                continue;
            if (included != it->second + QLatin1Char('/') + header) {
                problems << src.relativeFilePath(path) + QStringLiteral(" includes ") + included +
                                QStringLiteral(" without its folder ") + it->second;
                continue;
            }
            if (it->second == folder)
                continue;
            graph[folder].insert(it->second);
            if (kLevels.at(it->second) > kLevels.at(folder))
                problems << src.relativeFilePath(path) + QStringLiteral(" includes ") + included;
        }
    }
    for (const auto& [folder, targets] : graph) {
        for (const QString& t : targets) {
            std::set<QString> seen;
            if (ReachesBack(graph, t, folder, seen))
                problems << QStringLiteral("cycle through ") + folder + QStringLiteral(" and ") + t;
        }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(tst_layering)
#include "tst_layering.moc"
