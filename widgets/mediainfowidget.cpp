#include "mediainfowidget.h"

#include "zupref.h"

#include <QTextEdit>
#include <QVBoxLayout>

#include <initializer_list>
#include <utility>

MediaInfoWidget::MediaInfoWidget(QWidget* parent)
    : ZuDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_text(new QTextEdit(this))
{
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse |
                                    Qt::LinksAccessibleByKeyboard);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    setAllWindowTitle(tr("Property"));
    setFixedSize(280, parent ? parent->height() : 480);
}

void MediaInfoWidget::setFileInfo(fileType type, const QString& s1, const QString& s2, const QString& s3,
                                  const QString& s4, const QString& s5, const QString& s6, const QString& s7,
                                  const QString& s8, const QString& s9, const QString& s10, const QString& s11,
                                  const QString& s12, const QString& s13, const QString& s14, const QString& s15,
                                  const QString& s16, const QString& s17)
{
    const std::array<const QString*, 17> given = {&s1,  &s2,  &s3,  &s4,  &s5,  &s6,  &s7,  &s8, &s9,
                                                  &s10, &s11, &s12, &s13, &s14, &s15, &s16, &s17};
    m_values.fill(QString());
    m_beatNote.clear();
    m_type = type;
    for (int i = 0; i < 17; ++i) {
        const int number = i + 1;
        const bool kept = (type == ImageFile && number <= 14) || (type == AudioFile && (number <= 3 || number >= 15));
        if (kept)
            m_values[i] = *given[i];
    }
}

void MediaInfoWidget::setHtml()
{
    if (m_type != ImageFile && m_type != AudioFile) {
        m_text->setHtml(QString());
        return;
    }
    // Values come from files (names, EXIF text): shown as written, never
    // read as markup.
    auto row = [this](const QString& label, int number) {
        return QStringLiteral("<tr><td>") + label + QStringLiteral("</td><td>") + m_values[number - 1].toHtmlEscaped() +
               QStringLiteral("</td></tr>");
    };
    QString html = QStringLiteral("<html><body><table border=\"0\">");
    if (m_type == ImageFile) {
        const std::pair<QString, int> before[] = {
            {tr("File Name:"), 1}, {tr("Format:"), 2}, {tr("Resolution:"), 3}, {tr("Size:"), 4}, {tr("Modified:"), 5}};
        for (const auto& [label, number] : before)
            html += row(label, number);
        html += QStringLiteral("<tr><td>-------------------------</td><td>----------------</td></tr>");
        const std::pair<QString, int> exif[] = {
            {tr("Equipment Make:"), 6},           {tr("Camera Model:"), 7},   {tr("Software:"), 8},
            {tr("Compressed Bit-Per-Pixel:"), 9}, {tr("Exposure Time:"), 10}, {tr("F-Number:"), 11},
            {tr("Exposure Mode:"), 12},           {tr("Exposure Bias:"), 13}, {tr("Max Aperture:"), 14}};
        for (const auto& [label, number] : exif)
            html += row(label, number);
    } else {
        const std::pair<QString, int> rows[] = {{tr("File Name:"), 1}, {tr("Format:"), 2},       {tr("Size:"), 3},
                                                {tr("Channels:"), 15}, {tr("Sample Rate:"), 16}, {tr("Duration:"), 17}};
        for (const auto& [label, number] : rows)
            html += row(label, number);
        if (!m_beatNote.isEmpty())
            html += QStringLiteral("<tr><td>") + tr("Beat:") + QStringLiteral("</td><td>") +
                    m_beatNote.toHtmlEscaped() + QStringLiteral("</td></tr>");
    }
    html += QStringLiteral("</table></body></html>");
    m_text->setHtml(html);
}

void MediaInfoWidget::setBeatNote(const QString& note)
{
    if (note == m_beatNote)
        return;
    m_beatNote = note;
    setHtml();
}

QString MediaInfoWidget::text() const { return m_text->toPlainText(); }

void MediaInfoWidget::retranslate()
{
    setHtml();
    setAllWindowTitle(ZuPref::product_name());
}
