#include "zuprofilepropertywidget.h"

#include "zuprofilemanager.h"
#include "zuprofilepropertymanager.h"
#include "zuproperty.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

enum class Section {
    Profile,
    Video,
    Audio,
    Tags
};

Section sectionOf(const QString& key)
{
    static const QStringList audio = {"acodec", "ab", "ar", "ac", "vol", "an", "atag", "absf", "aq"};
    static const QStringList tags = {"title",    "author",      "copyright", "comment", "album",    "genre",
                                     "composer", "origaritist", "encodedby", "year",    "timstamp", "track"};
    if (key.contains(QLatin1Char('/')))
        return Section::Profile;
    if (audio.contains(key))
        return Section::Audio;
    if (tags.contains(key))
        return Section::Tags;
    return Section::Video;
}

QString sectionTitle(Section section)
{
    switch (section) {
    case Section::Profile: return ZuProfilePropertyWidget::tr("Profile");
    case Section::Video: return ZuProfilePropertyWidget::tr("Video");
    case Section::Audio: return ZuProfilePropertyWidget::tr("Audio");
    case Section::Tags: return ZuProfilePropertyWidget::tr("Tags");
    }
    return QString();
}

// A switch given as true/false, "true"/"false" or "1"/"0".
bool isOn(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed();
    return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1");
}

bool isBitrateKey(const QString& key) { return key == QLatin1String("b") || key == QLatin1String("ab"); }

// A small pocket calculator, drawn rather than shipped.
QIcon calculatorIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(70, 80, 95), 1));
    p.setBrush(QColor(225, 230, 238));
    p.drawRoundedRect(QRectF(2.5, 0.5, 11, 15), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 170, 120));
    p.drawRect(QRectF(4, 2, 8, 3));
    p.setBrush(QColor(70, 80, 95));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(4 + col * 3, 7 + row * 2.7, 2, 1.7));
    return QIcon(pixmap);
}

} // namespace

ZuProfilePropertyWidget::ZuProfilePropertyWidget(QWidget* parent, Qt::WindowFlags flags, bool advancedButton,
                                                 bool bitrateCalculator, bool readOnly)
    : QWidget(parent, flags)
    , m_calculator(bitrateCalculator)
    , m_readOnly(readOnly)
    , m_ownRoot(new ZuProperty(QString(), this))
    , m_scroll(new QScrollArea(this))
{
    // The calculator signal is often connected queued.
    qRegisterMetaType<ZuProperty*>();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_scroll, 1);
    if (advancedButton) {
        m_advanced = new QPushButton(this);
        m_advanced->setObjectName(QStringLiteral("switchAdvancedBtn"));
        m_advanced->setCheckable(true);
        m_advanced->setAutoDefault(false);
        connect(m_advanced, &QPushButton::clicked, this, [this](bool checked) {
            retranslate();
            emit showFloatWindow(checked);
        });
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        row->addWidget(m_advanced);
        layout->addLayout(row);
    }
    attachRoot(m_ownRoot);
    retranslate();
}

ZuProfilePropertyWidget::~ZuProfilePropertyWidget()
{
    // Children outlive the members: QWidget's destructor closes the window
    // first, which takes the focus from an editor that then reports its text
    // (editingFinished), and deletes the own tree after that. Nothing they
    // send may reach the handlers that read the members.
    silence(this);
    if (m_root)
        disconnect(m_root, nullptr, this, nullptr);
    // The labels carry the tree's change handlers; a shared tree outlives us.
    m_rows.clear();
    delete m_scroll->widget();
}

void ZuProfilePropertyWidget::silence(QObject* owner)
{
    const QList<QObject*> objects = owner->findChildren<QObject*>();
    for (QObject* object : objects)
        disconnect(object, nullptr, this, nullptr);
}

void ZuProfilePropertyWidget::setVisibleGroup(const QString& name, bool refresh)
{
    m_group = name == QLatin1String("simple") ? name : QStringLiteral("all");
    if (refresh)
        rebuild();
}

void ZuProfilePropertyWidget::setLang(const QString& language)
{
    m_lang = language;
    retranslate();
}

ZuProperty* ZuProfilePropertyWidget::rootProp() const { return m_root; }

void ZuProfilePropertyWidget::setRootProperty(ZuProperty* root) { attachRoot(root ? root : m_ownRoot); }

void ZuProfilePropertyWidget::attachRoot(ZuProperty* root)
{
    if (m_root == root) {
        rebuild();
        return;
    }
    if (m_root)
        disconnect(m_root, nullptr, this, nullptr);
    m_root = root;
    connect(root, &ZuProperty::itemsChanged, this, &ZuProfilePropertyWidget::rebuild);
    // A shared tree may go before this panel does.
    connect(root, &QObject::destroyed, this, [this] {
        if (!m_root)
            attachRoot(m_ownRoot);
    });
    rebuild();
}

void ZuProfilePropertyWidget::putProfileData(const QList<ZumProfileData*>& profiles)
{
    if (profiles.isEmpty() || !profiles.first() || !m_root)
        return;
    const ZumProfileData& profile = *profiles.first();
    m_root->setProperty("profileUrl", profile.url);
    m_root->setProperty("profileGroup", profile.group);
    m_root->setProperty("profileName", profile.name);
    ZuProfilePropertyManager::fillTree(m_root, ZuProfileManager::instance(), profile);
}

bool ZuProfilePropertyWidget::getProfileData(ZumProfileData& data, bool displayForms) const
{
    if (!m_root || m_root->items().isEmpty())
        return false;
    data.url = m_root->property("profileUrl").toString();
    data.group = m_root->property("profileGroup").toString();
    data.name = m_root->property("profileName").toString();
    data.properties = ZuProfilePropertyManager::treeProperties(m_root, displayForms);
    return true;
}

static QString baseKey(QString key)
{
    // "b/" and "ab/" stand for the quality note of "b" and "ab".
    if (key.endsWith(QLatin1Char('/')))
        key.chop(1);
    return key;
}

void ZuProfilePropertyWidget::setItemValue(const QString& key, const QVariant& value)
{
    ZuProperty* item = m_root ? m_root->item(key) : nullptr;
    if (!item)
        return;
    if (value.typeId() != QMetaType::Bool && item->value().typeId() != QMetaType::Bool &&
        ZuProfilePropertyManager::displayForm(key, item->value().toString()) == value.toString())
        return;
    item->setValue(value);
}

QVariant ZuProfilePropertyWidget::itemValue(const QString& key) const
{
    const ZuProperty* item = m_root ? m_root->item(key) : nullptr;
    return item ? item->value() : QVariant();
}

void ZuProfilePropertyWidget::refreshItemProfileData(const QString& key, const QVariant& value,
                                                     const QList<ZumProfileData*>& profiles)
{
    setItemValue(key, value);
    const QVariant stored = ZuProfilePropertyManager::encoderForm(key, itemValue(key));
    for (ZumProfileData* profile : profiles) {
        if (profile)
            profile->properties.insert(key, stored);
    }
    refreshQualityItem(key, profiles);
}

void ZuProfilePropertyWidget::refreshQualityItem(const QString& key, const QList<ZumProfileData*>& profiles)
{
    const QString bitrate = baseKey(key);
    for (ZumProfileData* profile : profiles) {
        if (!profile)
            continue;
        for (const char* k : {"s", "r"}) {
            const QString name = QLatin1String(k);
            if (m_root && m_root->item(name) && !m_root->item(name)->isEmpty())
                profile->properties.insert(name, ZuProfilePropertyManager::encoderForm(name, itemValue(name)));
        }
    }
    const auto row = m_rows.constFind(bitrate);
    if (row != m_rows.constEnd() && row->quality)
        row->quality->setText(qualityOf(bitrate));
}

QWidget* ZuProfilePropertyWidget::editor(const QString& key) const { return m_rows.value(key).editor; }

QString ZuProfilePropertyWidget::qualityText(const QString& key) const
{
    const QLabel* label = m_rows.value(baseKey(key)).quality;
    return label ? label->text() : QString();
}

QString ZuProfilePropertyWidget::displayText(const QString& key) const
{
    const QVariant value = itemValue(key);
    if (value.typeId() == QMetaType::Bool)
        return isOn(value) ? QStringLiteral("true") : QStringLiteral("false");
    return ZuProfilePropertyManager::displayForm(key, value.toString());
}

bool ZuProfilePropertyWidget::isShown(const ZuProperty* property) const
{
    return m_group != QLatin1String("simple") || property->isSimple();
}

void ZuProfilePropertyWidget::rebuild()
{
    m_rows.clear();
    m_sections.clear();
    // Rebuilt from an editor's own signal too: the old editors go later, and
    // say nothing more to this panel meanwhile.
    if (QWidget* old = m_scroll->widget()) {
        silence(old);
        m_scroll->takeWidget();
        old->deleteLater();
    }
    m_form = new QWidget;
    auto* form = new QFormLayout(m_form);
    form->setContentsMargins(4, 4, 4, 4);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setVerticalSpacing(5);

    if (m_root) {
        for (int s = int(Section::Profile); s <= int(Section::Tags); ++s) {
            QList<ZuProperty*> items;
            for (ZuProperty* item : m_root->items()) {
                if (isShown(item) && int(sectionOf(item->key())) == s)
                    items << item;
            }
            if (items.isEmpty())
                continue;
            auto* heading = new QLabel(sectionTitle(Section(s)));
            heading->setProperty("section", s);
            QFont font = heading->font();
            font.setBold(true);
            heading->setFont(font);
            heading->setContentsMargins(0, form->rowCount() ? 8 : 0, 0, 2);
            form->addRow(heading);
            m_sections << heading;
            for (ZuProperty* item : std::as_const(items)) {
                Row row;
                row.property = item;
                row.label = new QLabel(tr("%1:").arg(item->label()));
                row.label->setToolTip(item->key().toHtmlEscaped());
                QWidget* field = makeEditor(item);
                row.editor = field->property("editor").value<QWidget*>();
                row.quality = field->findChild<QLabel*>(QStringLiteral("quality"));
                row.label->setBuddy(row.editor);
                form->addRow(row.label, field);
                m_rows.insert(item->key(), row);
                connect(item, &ZuProperty::valueChanged, row.label, [this](ZuProperty* p) {
                    showValue(p);
                    updateQuality();
                });
                showValue(item);
            }
        }
    }
    m_scroll->setWidget(m_form);
    updateQuality();
}

QWidget* ZuProfilePropertyWidget::makeEditor(ZuProperty* item)
{
    // Editors are deleted later than a refilled tree's items.
    const QPointer<ZuProperty> p(item);
    auto* field = new QWidget;
    auto* box = new QVBoxLayout(field);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(1);
    auto* line = new QHBoxLayout;
    line->setSpacing(3);
    box->addLayout(line);

    QWidget* editor = nullptr;
    if (m_readOnly || item->isReadOnly()) {
        auto* label = new QLabel;
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        editor = label;
    } else if (item->type() == QLatin1String("bool")) {
        auto* check = new QCheckBox;
        connect(check, &QCheckBox::clicked, this, [this, p](bool on) { commit(p, on); });
        editor = check;
    } else if (!item->choices().isEmpty()) {
        auto* combo = new QComboBox;
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(12);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(4);
        for (const QString& choice : item->choices())
            combo->addItem(ZuProfilePropertyManager::displayForm(item->key(), choice));
        connect(combo, &QComboBox::activated, this, [this, p, combo](int index) { commit(p, combo->itemText(index)); });
        connect(combo->lineEdit(), &QLineEdit::editingFinished, this,
                [this, p, combo] { commit(p, combo->currentText()); });
        editor = combo;
    } else {
        auto* edit = new QLineEdit;
        edit->setMinimumWidth(60);
        connect(edit, &QLineEdit::editingFinished, this, [this, p, edit] { commit(p, edit->text()); });
        editor = edit;
    }
    editor->setObjectName(QStringLiteral("edit_") + item->key());
    line->addWidget(editor, 1);
    field->setProperty("editor", QVariant::fromValue(editor));

    if (isBitrateKey(item->key())) {
        if (item->key() == QLatin1String("b") && m_calculator && !m_readOnly) {
            auto* calc = new QToolButton;
            calc->setObjectName(QStringLiteral("bitrateCalculator"));
            calc->setIcon(calculatorIcon());
            calc->setAutoRaise(true);
            calc->setToolTip(tr("Bit rate calculator"));
            connect(calc, &QToolButton::clicked, this, [this, p] {
                if (p)
                    emit asyncShowBitCalcDialog(p, displayText(p->key()));
            });
            line->addWidget(calc);
        }
        auto* quality = new QLabel;
        quality->setObjectName(QStringLiteral("quality"));
        quality->setWordWrap(true);
        QFont font = quality->font();
        font.setPointSizeF(font.pointSizeF() * 0.85);
        quality->setFont(font);
        quality->setForegroundRole(QPalette::PlaceholderText);
        box->addWidget(quality);
    }
    return field;
}

void ZuProfilePropertyWidget::commit(ZuProperty* item, const QVariant& value)
{
    if (m_showing || !item)
        return;
    const QVariant old = item->value();
    if (value.typeId() != QMetaType::Bool) {
        const QString text = value.toString().trimmed();
        const QString key = item->key();
        // "25" typed over "25fps" is no change, "130" over "50%" (128) is.
        if (text == displayText(key) ||
            (ZuProfilePropertyManager::displayForm(key, text) == displayText(key) &&
             ZuProfilePropertyManager::encoderForm(key, text).toString().compare(
                 ZuProfilePropertyManager::encoderForm(key, old).toString(), Qt::CaseInsensitive) == 0)) {
            showValue(item);
            return;
        }
        if (!ZuProfilePropertyManager::isAcceptable(item->key(), item->type(), text)) {
            // What cannot be encoded is not taken; the item shows its value again.
            showValue(item);
            return;
        }
        item->setValue(text);
    } else {
        if (isOn(old) == value.toBool())
            return;
        item->setValue(value);
    }
    bool ignore = false;
    emit asyncVerifyPropertyValue(item, item->key(), ignore);
    if (ignore) {
        item->setValue(old);
        return;
    }
    emit asyncLinkedPropertyValue(item, item->key());
}

void ZuProfilePropertyWidget::showValue(ZuProperty* item)
{
    const Row row = m_rows.value(item->key());
    if (!row.editor || row.property != item)
        return;
    m_showing = true;
    const QString text = displayText(item->key());
    if (auto* check = qobject_cast<QCheckBox*>(row.editor)) {
        check->setChecked(isOn(item->value()));
    } else if (auto* combo = qobject_cast<QComboBox*>(row.editor)) {
        const int index = combo->findText(text);
        combo->setCurrentIndex(index);
        combo->setEditText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(row.editor)) {
        edit->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(row.editor)) {
        label->setText(text.toHtmlEscaped());
    }
    m_showing = false;
}

QString ZuProfilePropertyWidget::qualityOf(const QString& key) const
{
    const int kbit = ZuProfilePropertyManager::kbitPerSecond(displayText(key));
    if (kbit <= 0)
        return QString();
    QString word;
    if (key == QLatin1String("ab")) {
        word = kbit < 64 ? tr("low") : kbit < 112 ? tr("fair") : kbit < 160 ? tr("good") : tr("very good");
        return tr("Sound quality: %1").arg(word);
    }
    const QStringList size = displayText(QStringLiteral("s")).split(QLatin1Char('x'));
    const QVariant rate = ZuProfilePropertyManager::encoderForm(QStringLiteral("r"), itemValue(QStringLiteral("r")));
    const QStringList parts = rate.toString().split(QLatin1Char('/'));
    double fps = parts.value(0).toDouble();
    if (parts.size() == 2 && parts[1].toDouble() > 0)
        fps /= parts[1].toDouble();
    if (size.size() != 2 || size[0].toInt() <= 0 || size[1].toInt() <= 0 || fps <= 0)
        return QString();
    const double bitsPerPixel = kbit * 1000.0 / (size[0].toDouble() * size[1].toDouble() * fps);
    word = bitsPerPixel < 0.04   ? tr("low")
           : bitsPerPixel < 0.08 ? tr("fair")
           : bitsPerPixel < 0.15 ? tr("good")
                                 : tr("very good");
    return tr("Picture quality: %1 (%2 bits per pixel)").arg(word).arg(bitsPerPixel, 0, 'f', 2);
}

void ZuProfilePropertyWidget::updateQuality()
{
    for (const char* key : {"b", "ab"}) {
        const auto row = m_rows.constFind(QLatin1String(key));
        if (row != m_rows.constEnd() && row->quality)
            row->quality->setText(qualityOf(QLatin1String(key)));
    }
}

void ZuProfilePropertyWidget::retranslate()
{
    if (m_advanced)
        m_advanced->setText(m_advanced->isChecked() ? tr("More <<") : tr("More >>"));
    ZuProfileManager* manager = ZuProfileManager::instance();
    for (auto it = m_rows.begin(); it != m_rows.end(); ++it) {
        if (it->property && manager) {
            it->property->setLabel(manager->profileItemLabel(it.key()));
            it->label->setText(tr("%1:").arg(it->property->label()));
        }
    }
    for (QLabel* heading : std::as_const(m_sections))
        heading->setText(sectionTitle(Section(heading->property("section").toInt())));
    updateQuality();
    if (QWidget* calc = findChild<QWidget*>(QStringLiteral("bitrateCalculator")))
        calc->setToolTip(tr("Bit rate calculator"));
}

void ZuProfilePropertyWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}
