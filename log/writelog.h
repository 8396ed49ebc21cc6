#pragma once
// Append-only diagnostic log shared by both programs: one file per program in
// the temporary folder, with a single backup copy once it reaches 8 KB.

#include <QString>

class QFile;

// Stores the program's full executable path in `path`.
void GetModuleName(QString& path);

// Writes `text` to the already opened `file` in the locale's encoding; returns 1.
int _writeLog(QFile* file, QString text);

namespace logdetail {
int writeLogV(const char* format, ...);
}

// printf-style entry (format in the locale's 8-bit encoding), cut to 1023
// bytes. Always returns 1; every failure is silent.
template <typename... Args>
int WriteLog(const QString& format, Args... args)
{
    const QByteArray fmt = format.toLocal8Bit();
    return logdetail::writeLogV(fmt.constData(), args...);
}

// Records where an unexpected condition happened: "name(line) : time code",
// followed by an empty line.
int writeLogEvent(const char* sourceFile, int line, unsigned code = 0);
#define ZU_LOG_EVENT() writeLogEvent(__FILE__, __LINE__)
