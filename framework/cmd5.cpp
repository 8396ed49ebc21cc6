#include "cmd5.h"

#include <QCryptographicHash>
#include <QIODevice>

CMD5::CMD5(const void* data, qint64 length)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (data && length > 0)
        hash.addData(QByteArrayView(static_cast<const char*>(data), length));
    m_digest = hash.result();
}

CMD5::CMD5(const QByteArray& data)
    : CMD5(data.constData(), data.size())
{}

CMD5::CMD5(QIODevice* device)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    m_valid = device && device->isReadable() && hash.addData(device);
    m_digest = hash.result();
}

QString CMD5::getMD5Digest() const { return QString::fromLatin1(m_digest.toHex()); }
