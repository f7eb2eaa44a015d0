#include "settings/SettingsFile.h"

#include <QIODevice>
#include <QStringDecoder>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsLineSpace(char c) {
    return IsBlank(c) || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The escapes by letter. The first ones are written; '?' and '\'' are only read.
constexpr struct {
    char letter;
    char value;
} kLetterEscapes[] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'},  {'n', '\n'}, {'r', '\r'}, {'t', '\t'},
                      {'v', '\v'}, {'"', '"'},  {'\\', '\\'}, {'?', '?'},  {'\'', '\''}};
constexpr int kWrittenLetterEscapes = 9;

// The character an escape letter stands for, or -1.
int UnescapedLetter(char letter) {
    for (const auto& e : kLetterEscapes)
        if (e.letter == letter)
            return e.value;
    return -1;
}

// The letter that escapes a character, or 0 when it is written otherwise.
char EscapeLetter(char16_t c) {
    for (int k = 0; k < kWrittenLetterEscapes; ++k)
        if (char16_t(kLetterEscapes[k].value) == c)
            return kLetterEscapes[k].letter;
    return 0;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsHexDigit(char16_t c) {
    return c < 0x80 && HexValue(char(c)) >= 0;
}

// Plain bytes of a key or value. A U+FEFF there is text, not a byte order mark to drop.
QString DecodeUtf8(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(bytes);
}

// A code point from an escape; anything that is not one becomes the replacement character.
void AppendCodePoint(QString& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    const char32_t one[] = {cp};
    out += QString::fromUcs4(one, 1);
}

// "@Name(" at the start of a value: Qt's mark of a serialized object.
bool IsObjectValue(const QString& v) {
    if (!v.startsWith(QLatin1Char('@')))
        return false;
    qsizetype i = 1;
    while (i < v.size() && v.at(i).isLetter() && v.at(i).unicode() < 0x80)
        ++i;
    return i > 1 && i < v.size() && v.at(i) == QLatin1Char('(');
}

bool ReadDevice(QIODevice& device, QSettings::SettingsMap& map) {
    map = ReadIniText(device.readAll());
    return true;
}

bool WriteDevice(QIODevice& device, const QSettings::SettingsMap& map) {
    const QByteArray text = WriteIniText(map);
    return device.write(text) == text.size();
}

} // namespace

QSettings::Format TextIniFormat() {
    static const QSettings::Format format = QSettings::registerFormat(
        QStringLiteral("ini"), ReadDevice, WriteDevice, Qt::CaseSensitive);
    return format;
}

namespace {

// The character of a numeric escape whose first letter e (x, or an octal digit) stands before
// position i: as many digits as follow; a value too large for a character is replaced. Returns
// the position after the digits.
qsizetype AppendNumericEscape(QByteArrayView raw, qsizetype i, char e, QString& out) {
    const bool hex = e == 'x';
    char32_t cp = hex ? 0 : char32_t(e - '0');
    bool any = !hex;
    for (; i < raw.size(); ++i) {
        const int d = hex ? HexValue(raw[i]) : (raw[i] >= '0' && raw[i] <= '7' ? raw[i] - '0' : -1);
        if (d < 0)
            break;
        cp = cp > 0x10FFFF ? cp : cp * (hex ? 16 : 8) + char32_t(d);
        any = true;
    }
    if (any)
        AppendCodePoint(out, cp);
    return i;
}

// An unquoted value loses its trailing blanks, except those before keep, which were escaped.
void TrimUnescapedBlanks(QString& out, qsizetype keep) {
    qsizetype end = out.size();
    while (end > keep &&
           (out.at(end - 1) == QLatin1Char(' ') || out.at(end - 1) == QLatin1Char('\t')))
        --end;
    out.truncate(end);
}

} // namespace

QString IniUnescapeValue(QByteArrayView raw, bool* object) {
    QString out;
    QByteArray run; // plain bytes not yet decoded
    const auto flush = [&] {
        out += DecodeUtf8(run);
        run.clear();
    };
    qsizetype keep = 0; // trailing blanks before this length were escaped and stay
    bool quoted = false;
    bool inQuotes = false;
    qsizetype i = 0;
    const qsizetype n = raw.size();
    while (i < n && IsBlank(raw[i]))
        ++i;
    while (i < n) {
        const char c = raw[i];
        if (c == '"') {
            flush();
            quoted = true;
            inQuotes = !inQuotes;
            ++i;
            if (!inQuotes)
                while (i < n && IsBlank(raw[i]))
                    ++i;
            continue;
        }
        if (c != '\\') {
            run += c;
            ++i;
            continue;
        }
        flush();
        if (++i >= n)
            break;
        const char e = raw[i++];
        if (const int v = UnescapedLetter(e); v >= 0) {
            out += QLatin1Char(char(v));
        } else if (e == 'x' || (e >= '0' && e <= '7')) {
            i = AppendNumericEscape(raw, i, e, out);
        } else if (e == '\n' || e == '\r') {
            // An escaped line end continues the value on the next line.
            if (i < n && (raw[i] == '\n' || raw[i] == '\r') && raw[i] != e)
                ++i;
        } // any other escape is dropped, as Qt drops it
        keep = out.size();
    }
    flush();
    if (!quoted)
        TrimUnescapedBlanks(out, keep);
    const bool isObject = IsObjectValue(out);
    if (object)
        *object = isObject;
    if (out.startsWith(QLatin1String("@@")))
        out.remove(0, 1);
    return out;
}

QByteArray IniEscapeValue(const QString& text) {
    QByteArray out;
    out.reserve(text.size() + 2);
    bool quotes =
        !text.isEmpty() && (text.front() == QLatin1Char(' ') || text.back() == QLatin1Char(' '));
    if (text.startsWith(QLatin1Char('@')))
        out += '@';
    // After a \x escape a following hex digit is escaped too, or it would join the number.
    bool escapeHexDigit = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (escapeHexDigit && IsHexDigit(c)) {
            out += "\\x" + QByteArray::number(int(c), 16);
            continue;
        }
        escapeHexDigit = false;
        if (const char letter = EscapeLetter(c)) {
            out += '\\';
            out += letter;
        } else if (c == ';' || c == ',' || c == '=') {
            quotes = true;
            out += char(c);
        } else if (c < 0x20) {
            out += "\\x" + QByteArray::number(int(c), 16);
            escapeHexDigit = true;
        } else if (c < 0x80) {
            out += char(c);
        } else {
            const qsizetype len =
                QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
                    ? 2
                    : 1;
            out += text.sliced(i, len).toUtf8();
            i += len - 1;
        }
    }
    return quotes ? '"' + out + '"' : out;
}

QByteArray IniEscapeKey(QStringView key) {
    QByteArray out;
    for (const QChar qc : key) {
        const char16_t c = qc.unicode();
        if (c == '/')
            out += '\\';
        else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '_' || c == '-' || c == '.')
            out += char(c);
        else if (c <= 0xFF)
            out += '%' + QByteArray::number(int(c), 16).toUpper().rightJustified(2, '0');
        else
            out += "%U" + QByteArray::number(int(c), 16).toUpper().rightJustified(4, '0');
    }
    return out;
}

QString IniUnescapeKey(QByteArrayView raw) {
    QString out;
    QByteArray run;
    const auto flush = [&] {
        out += DecodeUtf8(run);
        run.clear();
    };
    const auto hexAt = [&](qsizetype from, int digits) {
        int v = 0;
        for (int k = 0; k < digits; ++k) {
            const int d = from + k < raw.size() ? HexValue(raw[from + k]) : -1;
            if (d < 0)
                return -1;
            v = v * 16 + d;
        }
        return v;
    };
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\\') {
            run += '/';
            continue;
        }
        if (c == '%') {
            const int wide = i + 1 < raw.size() && raw[i + 1] == 'U' ? hexAt(i + 2, 4) : -1;
            const int narrow = wide < 0 ? hexAt(i + 1, 2) : -1;
            if (wide >= 0 || narrow >= 0) {
                flush();
                out += QChar(char16_t(wide >= 0 ? wide : narrow));
                i += wide >= 0 ? 5 : 2;
                continue;
            }
        }
        run += c;
    }
    flush();
    return out;
}

namespace {

// One logical line of an INI text: a section header (name unescaped, with its trailing '/',
// empty for the top level) or a key line, with where it lies in the text.
struct IniLine {
    qsizetype start = 0;
    qsizetype end = 0;
    bool header = false;
    QString section;
    QByteArrayView key;   // raw, trimmed; key lines only
    QByteArrayView value; // raw; key lines only
};

// From pos, the end of a line's text: a line break outside quotes, or a comment. equals is
// set to the first '=' outside quotes; openTail when the file ends inside quotes or an escape.
qsizetype ScanLine(QByteArrayView data, qsizetype pos, qsizetype& equals, bool& openTail) {
    const qsizetype n = data.size();
    bool inQuotes = false;
    while (pos < n) {
        const char c = data[pos];
        if (c == '\\') { // the next character is taken as it stands
            if (pos + 1 >= n) {
                openTail = true;
                return n;
            }
            const char e = data[pos + 1];
            pos += 2;
            if ((e == '\n' || e == '\r') && pos < n && (data[pos] == '\n' || data[pos] == '\r') &&
                data[pos] != e)
                ++pos;
            continue;
        }
        if (c == '"')
            inQuotes = !inQuotes;
        else if (!inQuotes && (c == '\n' || c == '\r' || c == ';'))
            break;
        else if (c == '=' && !inQuotes && equals < 0)
            equals = pos;
        ++pos;
    }
    if (pos >= n && inQuotes)
        openTail = true;
    return pos;
}

// The key prefix of a section header line ("[name]"): empty for the general section.
QString SectionOfHeader(QByteArrayView line) {
    qsizetype close = line.indexOf(']');
    if (close < 0)
        close = line.size();
    const QByteArrayView name = line.sliced(1, close - 1).trimmed();
    if (name.compare("general", Qt::CaseInsensitive) == 0)
        return QString();
    if (name.compare("%general", Qt::CaseInsensitive) == 0)
        return IniUnescapeKey(name.sliced(1)) + QLatin1Char('/');
    return IniUnescapeKey(name) + QLatin1Char('/');
}

// Walks the text's logical lines in order: a quoted part or an escaped line end may span
// lines, an unquoted ';' starts a comment, lines without '=' are skipped. True when the text
// ends inside a line that anything appended would continue (an open quote, an escape).
template <class F> bool ScanIni(QByteArrayView data, F&& onLine) {
    bool openTail = false;
    const qsizetype n = data.size();
    qsizetype pos = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < n) {
        while (pos < n && IsLineSpace(data[pos]))
            ++pos;
        if (pos >= n)
            break;
        if (data[pos] == ';') { // a comment to the end of the line
            while (pos < n && data[pos] != '\n' && data[pos] != '\r')
                ++pos;
            continue;
        }
        const qsizetype start = pos;
        qsizetype equals = -1;
        pos = ScanLine(data, pos, equals, openTail);
        const QByteArrayView line = data.sliced(start, pos - start);
        IniLine l;
        l.start = start;
        l.end = pos;
        if (line.front() == '[') {
            l.header = true;
            l.section = SectionOfHeader(line);
            onLine(l);
            continue;
        }
        if (equals < 0)
            continue;
        l.key = line.first(equals - start).trimmed();
        if (l.key.isEmpty())
            continue;
        l.value = line.sliced(equals - start + 1);
        onLine(l);
    }
    return openTail;
}

// Adds a key line to map under its section; a key QSettings could never ask for (empty
// part) and a serialized object are left out.
void AddKey(QSettings::SettingsMap& map, const QString& section, const IniLine& l) {
    const QString name = section + IniUnescapeKey(l.key);
    if (name.startsWith(QLatin1Char('/')) || name.endsWith(QLatin1Char('/')) ||
        name.contains(QLatin1String("//")))
        return;
    bool object = false;
    const QString value = IniUnescapeValue(l.value, &object);
    if (!object)
        map.insert(name, value);
}

} // namespace

QSettings::SettingsMap ReadIniText(QByteArrayView data) {
    QSettings::SettingsMap map;
    QString section;
    ScanIni(data, [&](const IniLine& l) {
        if (l.header)
            section = l.section;
        else
            AddKey(map, section, l);
    });
    return map;
}

IniSection ReadIniSection(QByteArrayView data, const QString& name) {
    IniSection out;
    const QString wanted = name + QLatin1Char('/');
    bool inside = false;
    out.openTail = ScanIni(data, [&](const IniLine& l) {
        if (l.header) {
            if (out.firstHeader < 0)
                out.firstHeader = l.start;
            if (inside)
                out.spans.back().second = l.start;
            inside = l.section == wanted;
            if (inside)
                out.spans.emplace_back(l.start, data.size());
        } else if (inside) {
            AddKey(out.keys, wanted, l);
        } else if (out.firstHeader < 0) {
            out.topLevelKeys = true;
        }
    });
    return out;
}

QByteArray ReplaceIniSection(QByteArrayView data, const IniSection& old,
                             const QSettings::SettingsMap& keys) {
    const QByteArray text = WriteIniText(keys);
    QByteArray out;
    out.reserve(data.size() + text.size() + 16);
    if (old.spans.empty()) {
        if (text.isEmpty())
            return data.toByteArray();
        if (!old.openTail) {
            out = data.toByteArray();
            if (!out.isEmpty() && !out.endsWith('\n'))
                out += '\n';
            if (!out.isEmpty() && !out.endsWith("\n\n"))
                out += '\n';
            return out + text;
        }
        // Appended, the section would continue the file's unfinished last line: it goes in
        // before the first section, or before everything, the top-level keys then going on
        // under their own header.
        const qsizetype at = old.firstHeader >= 0              ? old.firstHeader
                             : data.startsWith("\xEF\xBB\xBF") ? 3
                                                               : 0;
        out += data.first(at);
        out += text;
        out += '\n';
        if (old.firstHeader < 0 && old.topLevelKeys)
            out += "[General]\n";
        out += data.sliced(at);
        return out;
    }
    qsizetype from = 0;
    for (size_t i = 0; i < old.spans.size(); ++i) {
        const auto [start, end] = old.spans[i];
        out += data.sliced(from, start - from);
        if (i == 0) {
            out += text;
            // A blank line before the section that follows, as the file had it.
            if (end < data.size())
                out += '\n';
        }
        from = end;
    }
    out += data.sliced(from);
    return out;
}

QByteArray WriteIniText(const QSettings::SettingsMap& map) {
    QByteArray top;
    QByteArray sections;
    QString current;
    bool any = false;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const QString& key = it.key();
        const qsizetype slash = key.indexOf(QLatin1Char('/'));
        const QByteArray line =
            IniEscapeKey(slash < 0 ? QStringView(key) : QStringView(key).sliced(slash + 1)) + '=' +
            IniEscapeValue(it.value().toString()) + '\n';
        if (slash < 0) {
            top += line;
            continue;
        }
        const QString name = key.first(slash);
        if (!any || name != current) {
            if (any)
                sections += '\n';
            sections += '[';
            sections += name.compare(QLatin1String("general"), Qt::CaseInsensitive) == 0
                            ? '%' + IniEscapeKey(name)
                            : IniEscapeKey(name);
            sections += "]\n";
            current = name;
            any = true;
        }
        sections += line;
    }
    if (top.isEmpty())
        return sections;
    return "[General]\n" + top + (sections.isEmpty() ? QByteArray() : '\n' + sections);
}
