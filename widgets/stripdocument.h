#pragma once
// The album document a strip shows: a private one until the window hands the
// strip the album's, so that a strip made on its own still works.

#include "albumdocument.h"

#include <QPointer>

#include <memory>

class StripDocument
{
public:
    StripDocument();
    ~StripDocument();
    StripDocument(const StripDocument&) = delete;
    StripDocument& operator=(const StripDocument&) = delete;

    // The document the strip starts with; gone once it shows another.
    AlbumDocument* privateDocument() const { return m_own.get(); }
    AlbumDocument* get() const { return m_current; }
    AlbumDocument* operator->() const { return m_current; }
    AlbumDocument& operator*() const { return *m_current; }

    // Shows `next` from now on: cuts the strip's connections to the document
    // shown so far and drops the private one. False when `next` is null or
    // already shown; the strip then connects nothing.
    bool switchTo(AlbumDocument* next, QObject* strip);

private:
    std::unique_ptr<AlbumDocument> m_own;
    QPointer<AlbumDocument> m_current;
};
