#include "stripdocument.h"

StripDocument::StripDocument()
    : m_own(std::make_unique<AlbumDocument>())
{}

StripDocument::~StripDocument() = default;

bool StripDocument::switchTo(AlbumDocument* next, QObject* strip)
{
    if (!next || next == m_current)
        return false;
    if (m_current)
        QObject::disconnect(m_current, nullptr, strip, nullptr);
    m_current = next;
    if (m_own && m_own.get() != next)
        m_own.reset();
    return true;
}
