// Value, text-width, date and seam helpers of the shared module.

#include "mdlVaskel.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringView>
#include <QTextDocument>

qint16 G_intYear = 0;
qint16 G_intMonth = 0;
QDate G_datSelect;
qint16 G_intSelIndex = 0;
bool G_blnEnd = false;

bool G_blnAlarm = false;
QDateTime G_datTimeOfAlarm;
QString G_strAlarmDetail;

namespace {

QString g_appPath;
std::function<QDateTime()> g_now;

QString AsText(const QVariant& value) {
    return Nz(value, QString()).toString();
}

// The characters of a text with their byte widths, so that cuts fall between characters:
// a double-byte character cut in half is left out rather than turned into garbage.
struct WideChar {
    int pos; // index of the first UTF-16 unit
    int len; // UTF-16 units
    int width;
};

std::vector<WideChar> Split(const QString& s) {
    std::vector<WideChar> out;
    out.reserve(size_t(s.size()));
    for (int i = 0; i < s.size();) {
        char32_t c = s.at(i).unicode();
        int len = 1;
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(s.at(i), s.at(i + 1));
            len = 2;
        }
        out.push_back({i, len, CharWidthA(c)});
        i += len;
    }
    return out;
}

// The characters lying wholly within the bytes [first, last] (1-based, inclusive).
QString BytesRange(const QString& s, qint64 first, qint64 last) {
    QString out;
    qint64 byte = 1;
    for (const WideChar& w : Split(s)) {
        const qint64 end = byte + w.width - 1;
        if (byte >= first && end <= last)
            out.append(QStringView(s).mid(w.pos, w.len));
        byte = end + 1;
        if (byte > last)
            break;
    }
    return out;
}

} // namespace

QVariant Nz(const QVariant& value, const QVariant& def) {
    return (!value.isValid() || value.isNull()) ? def : value;
}

QString QuoteSQL(const QVariant& value, qint16 mode) {
    const QString s = AsText(value);
    if (s.isEmpty())
        return QString();
    QString out;
    out.reserve(s.size() + 4);
    for (QChar ch : s) {
        if (mode == 1 && ch == QLatin1Char('\''))
            out.append(QLatin1Char('\''));
        else if (mode == 2 && ch == QLatin1Char('"'))
            out.append(QLatin1Char('"'));
        out.append(ch);
    }
    return out;
}

int CharWidthA(char32_t c) {
    return (c <= 0x7F || (c >= 0xFF61 && c <= 0xFF9F)) ? 1 : 2;
}

qint32 LenA(const QVariant& value) {
    const QString s = AsText(value);
    qint32 n = 0;
    for (const WideChar& w : Split(s))
        n += w.width;
    return n;
}

QString RTrimBlanks(const QString& s) {
    int end = int(s.size());
    while (end > 0 && s.at(end - 1) == QLatin1Char(' '))
        --end;
    return s.left(end);
}

QString TrimBlanks(const QString& s) {
    qsizetype first = 0;
    qsizetype end = s.size();
    while (first < end && s.at(first) == QLatin1Char(' '))
        ++first;
    while (end > first && s.at(end - 1) == QLatin1Char(' '))
        --end;
    return s.mid(first, end - first);
}

bool ParseDigits(const QString& s, int maxLength, int& value) {
    if (s.isEmpty() || s.size() > maxLength)
        return false;
    for (QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    value = s.toInt();
    return true;
}

QString LeftA(const QVariant& value, qint32 n) {
    if (n <= 0)
        return QString();
    return RTrimBlanks(BytesRange(AsText(value), 1, n));
}

QString RightA(const QVariant& value, qint32 n) {
    if (n <= 0)
        return QString();
    const QString s = AsText(value);
    const qint64 total = LenA(s);
    return RTrimBlanks(BytesRange(s, total - n + 1, total));
}

QString MidA(const QVariant& value, qint32 start, qint32 count) {
    if (start < 1)
        start = 1;
    const QString s = AsText(value);
    const qint64 last = count < 0 ? qint64(LenA(s)) : qint64(start) + count - 1;
    if (last < start)
        return QString();
    return BytesRange(s, start, last);
}

QString PadA(const QVariant& value, quint8 alignment, qint32 width) {
    const QString s = AsText(value);
    const qint32 len = LenA(s);
    if (width < len)
        return LeftA(s, width);
    const QString blanks(width - len, QLatin1Char(' '));
    return alignment == 1 ? blanks + s : s + blanks;
}

QDate DateSerial(int year, int month, int day) {
    // Months outside 1-12 roll into the neighbouring years, as do days outside the month.
    int m0 = month - 1;
    year += m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
    m0 = ((m0 % 12) + 12) % 12;
    return QDate(year, m0 + 1, 1).addDays(day - 1);
}

QDate LastDayOfMonth(qint16 year, qint16 month) {
    return DateSerial(year, month, 1).addMonths(1).addDays(-1);
}

QDate GridStart(int year, int month) {
    const QDate first(year, month, 1);
    return first.addDays(-(first.dayOfWeek() % 7));
}

QColor ColorFromBgr(quint32 bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

quint32 BgrFromColor(const QColor& c) {
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

void SelectAllText(QLineEdit* box) {
    box->setSelection(0, int(box->text().size()));
}

void SelectAllText(QPlainTextEdit* box) {
    box->selectAll();
}

QString TypedText(const QPlainTextEdit* box) {
    QString text = box->document()->toRawText();
    // Only the document's own separators of paragraphs, lines and frames become line breaks.
    for (QChar& c : text) {
        switch (c.unicode()) {
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
        case 0xfdd0: // beginning of a frame
        case 0xfdd1: // end of a frame
            c = u'\n';
            break;
        default:
            break;
        }
    }
    return text;
}

QString AppPath() {
    if (!g_appPath.isEmpty())
        return g_appPath;
    return QCoreApplication::applicationDirPath();
}

void SetAppPath(const QString& dir) {
    g_appPath = dir;
}

QString DatabasePath() {
    return QDir(AppPath()).filePath(QString::fromLatin1(kDatabaseFileName));
}

QDateTime Now() {
    return g_now ? g_now() : QDateTime::currentDateTime();
}

QDate Today() {
    return Now().date();
}

void SetNowOverride(std::function<QDateTime()> now) {
    g_now = std::move(now);
}
