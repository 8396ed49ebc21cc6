#pragma once
// MD5 digest of a memory block or a stream, as 32 lower-case hex digits.

#include <QByteArray>
#include <QString>

class QIODevice;

class CMD5
{
public:
    CMD5(const void* data, qint64 length);
    explicit CMD5(const QByteArray& data);
    // Reads `device` from its current position to the end in pieces, so a
    // large package never has to sit in memory. isValid() is false on a
    // read error.
    explicit CMD5(QIODevice* device);

    QString getMD5Digest() const;
    QByteArray rawDigest() const { return m_digest; }
    bool isValid() const { return m_valid; }

private:
    QByteArray m_digest;
    bool m_valid = true;
};
