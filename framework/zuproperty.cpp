#include "zuproperty.h"

ZuProperty::ZuProperty(const QString& key, QObject* parent)
    : QObject(parent)
    , m_key(key)
{}

void ZuProperty::setValue(const QVariant& value)
{
    if (value.typeId() == m_value.typeId() && value == m_value)
        return;
    m_value = value;
    emit valueChanged(this);
}

bool ZuProperty::isEmpty() const
{
    return !m_value.isValid() || (m_value.typeId() != QMetaType::Bool && m_value.toString().trimmed().isEmpty());
}

ZuProperty* ZuProperty::item(const QString& key) const
{
    for (ZuProperty* property : m_items) {
        if (property->key() == key)
            return property;
    }
    return nullptr;
}

ZuProperty* ZuProperty::addItem(const QString& key)
{
    auto* property = new ZuProperty(key, this);
    m_items << property;
    return property;
}

void ZuProperty::clearItems()
{
    const QList<ZuProperty*> old = m_items;
    m_items.clear();
    qDeleteAll(old);
}

void ZuProperty::endReset() { emit itemsChanged(); }
