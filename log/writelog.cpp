#include "writelog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdarg>

namespace {
constexpr int kEntryBufferSize = 1024;
constexpr qint64 kBackupThreshold = 8192;

QString backupPathFor(const QString& logPath)
{
    QString backup = logPath;
    const int one = backup.lastIndexOf(QLatin1Char('1'));
    if (one >= 0)
        backup[one] = QLatin1Char('2');
    return backup;
}

void appendEntry(const char* entry)
{
    QString module;
    GetModuleName(module);
    if (module.isEmpty())
        return;
    const int slash = module.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return;
    const QString rest = module.mid(slash);
    if (rest.isEmpty())
        return;

    const QString logPath = QDir::tempPath() + rest + QStringLiteral(".1.log");
    QFile file(logPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    _writeLog(&file, QString::fromLocal8Bit(entry) + QLatin1Char('\n'));
    const qint64 size = file.size();
    file.close();

    if (size >= kBackupThreshold) {
        const QString backup = backupPathFor(logPath);
        QFile::remove(backup);
        QFile::copy(logPath, backup);
    }
}
} // namespace

void GetModuleName(QString& path) { path = QCoreApplication::applicationFilePath(); }

int _writeLog(QFile* file, QString text)
{
    QTextStream stream(file);
    stream.setEncoding(QStringConverter::System);
    stream << text;
    stream.flush();
    return 1;
}

int logdetail::writeLogV(const char* format, ...)
{
    char buffer[kEntryBufferSize] = {};
    va_list args;
    va_start(args, format);
    // The last byte stays zero, so an entry is cut to 1023 bytes.
    qvsnprintf(buffer, kEntryBufferSize, format, args);
    va_end(args);
    appendEntry(buffer);
    return 1;
}

int writeLogEvent(const char* sourceFile, int line, unsigned code)
{
    const QByteArray name = QFileInfo(QString::fromLocal8Bit(sourceFile)).fileName().toLocal8Bit();
    const QByteArray when = QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")).toLocal8Bit();
    WriteLog(QStringLiteral("%s(%d) : %s %08x"), name.constData(), line, when.constData(), code);
    WriteLog(QString());
    return 1;
}
