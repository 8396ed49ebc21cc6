// Title cards: the records makeTitleCard() and drawCardThumbnail() of
// storyboard.h make, kept apart from the records themselves because they
// draw with the photo reader's thumbnail size.

#include "imagereader.h"
#include "storyboard.h"

#include <QPainter>

ImageInfo makeTitleCard(const QString& text)
{
    ImageInfo card;
    card.titleCard = true;
    card.cardTop = QColor(0x24, 0x3b, 0x6b);
    card.cardBottom = QColor(0x0c, 0x12, 0x24);
    card.caption.text = text;
    card.caption.place = CaptionPlace::Centre;
    card.caption.size = 0.1;
    card.caption.backdrop = CaptionBackdrop::None;
    // No zoom: the card's transforms stay at rest (GLTransform's default).
    drawCardThumbnail(card);
    return card;
}

void drawCardThumbnail(ImageInfo& card)
{
    const QSize size(ImageReader::ThumbnailWidth, ImageReader::ThumbnailHeight);
    QImage thumbnail = paintCardBackground(card.cardTop, card.cardBottom, size);
    const CaptionPicture text = paintCaption(card.caption, size);
    if (!text.isEmpty()) {
        QPainter painter(&thumbnail);
        painter.drawImage(text.rect.topLeft(), text.image);
    }
    card.thumbnail = thumbnail;
    card.thumbnailTurned = thumbnail;
}
