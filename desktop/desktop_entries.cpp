#include "desktop/desktop_entries.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace qv::ui::detail {

namespace {

// The escapes every string value of a desktop entry may carry.
QString unescapeValue(const QString& raw) {
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar ch = raw.at(i);
        if (ch != u'\\' || i + 1 == raw.size()) {
            out += ch;
            continue;
        }
        const QChar next = raw.at(++i);
        if (next == u's')
            out += u' ';
        else if (next == u'n')
            out += u'\n';
        else if (next == u't')
            out += u'\t';
        else if (next == u'r')
            out += u'\r';
        else if (next == u'\\')
            out += u'\\';
        else
            out += QString{u'\\', next};
    }
    return out;
}

QStringList execWords(const QString& exec) {
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar ch = exec.at(i);
        if (quoted) {
            if (ch == u'\\' && i + 1 < exec.size())
                word += exec.at(++i);
            else if (ch == u'"')
                quoted = false;
            else
                word += ch;
        } else if (ch.isSpace()) {
            if (inWord)
                words.append(std::exchange(word, QString()));
            inWord = false;
        } else {
            inWord = true;
            if (ch == u'"')
                quoted = true;
            else
                word += ch;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

bool isAssignment(const QString& word) {
    const qsizetype eq = word.indexOf(u'=');
    return eq > 0 && !word.left(eq).contains(u'/');
}

// 2: the entry runs exactly this file; 1: a program of the same file name; 0: another program.
int matchScore(const QString& program, const QFileInfo& exe) {
    if (program.isEmpty())
        return 0;
    const QFileInfo candidate(program);
    if (candidate.fileName() != exe.fileName())
        return 0;
    if (candidate.isAbsolute()) {
        if (program == exe.filePath())
            return 2;
        const QString canonical = candidate.canonicalFilePath();
        if (!canonical.isEmpty() && canonical == exe.canonicalFilePath())
            return 2;
    }
    return 1;
}

QStringList desktopFilesUnder(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files | QDir::Readable,
                    QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
    while (it.hasNext())
        files.append(it.next());
    // Directory order is arbitrary; sorted, the same entry wins on every run.
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

DesktopEntry parseDesktopEntry(const QByteArray& text) {
    DesktopEntry entry;
    bool inMainGroup = false;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            // Only the first occurrence counts; actions and other groups come after it.
            if (inMainGroup)
                break;
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = unescapeValue(line.mid(eq + 1).trimmed());
        if (key == QLatin1String("Exec"))
            entry.exec = value;
        else if (key == QLatin1String("TryExec"))
            entry.tryExec = value;
        else if (key == QLatin1String("Icon"))
            entry.icon = value;
        else if (key == QLatin1String("Hidden"))
            entry.hidden = value == QLatin1String("true");
    }
    return entry;
}

QString execProgram(const QString& exec) {
    const QStringList words = execWords(exec);
    qsizetype i = 0;
    if (i < words.size() && words.at(i) == QLatin1String("env")) {
        ++i;
        while (i < words.size() && isAssignment(words.at(i)))
            ++i;
    }
    return i < words.size() ? words.at(i) : QString();
}

QString desktopIconFor(const QString& exePath, const QStringList& dataDirs) {
    const QFileInfo exe(exePath);
    if (exe.fileName().isEmpty())
        return {};
    QString best;
    int bestScore = 0;
    for (const QString& dir : dataDirs) {
        for (const QString& path : desktopFilesUnder(dir + QStringLiteral("/applications"))) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const DesktopEntry entry = parseDesktopEntry(file.read(1 << 20));
            if (entry.hidden || entry.icon.isEmpty())
                continue;
            const int score =
                std::max(matchScore(execProgram(entry.exec), exe), matchScore(entry.tryExec, exe));
            if (score == 2)
                return entry.icon;
            if (score > bestScore) {
                best = entry.icon;
                bestScore = score;
            }
        }
    }
    return best;
}

} // namespace qv::ui::detail
