// The settings read at start, over any settings file (through the real store) or any stored
// texts (straight into the decoding): no crash, the window keys stay at their defaults unless
// "WindowSave" is 1, what the program would write back reads as the same options, and a file
// written from what was read reads the same again.
//
// An input that begins with '[' is a whole settings file; any other is UTF-8 texts, one per
// line, for the keys in their start-up order (missing lines: missing keys), which runs a
// hundred times faster than a file through the file system.

#include "FuzzSupport.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <cstdlib>
#include <memory>

namespace {

QString g_root;                         // a private settings folder
QString g_file;                         // its settings file
std::unique_ptr<SettingsStore> g_store; // on g_root

bool SameOptions(const Options& a, const Options& b) {
    bool same = true;
#define VASKEL_SAME(key, field, type, stored, def) same = same && a.field == b.field;
    VASKEL_SETTINGS(VASKEL_SAME)
#undef VASKEL_SAME
    return same;
}

bool WindowKeysAtDefault(const Options& o) {
    const Options d;
    return o.windowShow == d.windowShow && o.windowLeft == d.windowLeft &&
           o.windowTop == d.windowTop && o.windowWidth == d.windowWidth &&
           o.windowHeight == d.windowHeight;
}

// Reads a settings file through the store. The store keeps what it has read of a file until
// the file's size or modification time changes, so every file gets a time of its own.
Options ReadFile(const std::string& bytes) {
    static qint64 serial = 0;
    QFile f(g_file);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), qint64(bytes.size()));
    FUZZ_CHECK(f.setFileTime(QDateTime::fromSecsSinceEpoch(++serial), QFile::FileModificationTime));
    f.close();
    Options o;
    g_store->readStartup(o);
    return o;
}

Options ReadTexts(const std::string& bytes) {
    const QStringList texts = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    Options o;
    DecodeStartupSettings(o, [&](SettingKey k) {
        const int i = int(k);
        return i < texts.size() ? texts.at(i) : OptionText(Options(), k);
    });
    return o;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Qt's warnings about malformed values would drown the fuzzer's own output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QByteArray root = QDir::tempPath().toLocal8Bit() + "/vaskel-fuzz-settings-XXXXXX";
    FUZZ_CHECK(mkdtemp(root.data()) != nullptr);
    g_root = QString::fromLocal8Bit(root);
    g_store = std::make_unique<SettingsStore>(g_root);
    g_file = g_store->filePath();
    FUZZ_CHECK(QDir().mkpath(QFileInfo(g_file).path()));
    std::atexit([] { QDir(g_root).removeRecursively(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const bool file = size > 0 && data[0] == '[';
    const Options o = file ? ReadFile(bytes) : ReadTexts(bytes);
    if (file) {
        // Whatever a file holds, writing what was read and reading it again changes nothing.
        const QSettings::SettingsMap map =
            ReadIniText(QByteArrayView(bytes.data(), qsizetype(size)));
        FUZZ_CHECK(ReadIniText(WriteIniText(map)) == map);
        // Our section written anew with what it held: it reads the same, and so does every
        // key outside it.
        const QByteArrayView in(bytes.data(), qsizetype(size));
        const QString ours = QString::fromLatin1(kSettingsSection);
        const IniSection section = ReadIniSection(in, ours);
        const QByteArray out = ReplaceIniSection(in, section, section.keys);
        FUZZ_CHECK(ReadIniSection(out, ours).keys == section.keys);
        const auto others = [&ours](QSettings::SettingsMap m) {
            m.removeIf([&ours](QSettings::SettingsMap::iterator it) {
                return it.key().startsWith(ours + u'/');
            });
            return m;
        };
        FUZZ_CHECK(others(ReadIniText(out)) == others(map));
    }

    FUZZ_CHECK(o.saveWindow || WindowKeysAtDefault(o));
    Options back;
    DecodeStartupSettings(back, [&](SettingKey k) { return OptionText(o, k); });
    FUZZ_CHECK(SameOptions(back, o));
    return 0;
}
