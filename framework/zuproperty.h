#pragma once
// One property of an output profile as the property panels edit it, and the
// tree of them under a root. The value is kept as the profile or the user
// gave it; panels show ZuProfilePropertyManager::displayForm() of it and the
// compile gets encoderForm(). Several panels may share one tree: each
// follows valueChanged() and itemsChanged().

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

class ZuProperty : public QObject
{
    Q_OBJECT

public:
    explicit ZuProperty(const QString& key = QString(), QObject* parent = nullptr);

    QString key() const { return m_key; }
    // Editor kind: the catalogue's "bool", "int", "double", "text",
    // "bitrate", "size", "rate" or "choice".
    QString type() const { return m_type; }
    void setType(const QString& type) { m_type = type; }
    QString label() const { return m_label; }
    void setLabel(const QString& label) { m_label = label; }
    // Shown in the "simple" panel as well as in "all".
    bool isSimple() const { return m_simple; }
    void setSimple(bool simple) { m_simple = simple; }
    // Values offered by the editor, as stored (not in displayed form).
    QStringList choices() const { return m_choices; }
    void setChoices(const QStringList& choices) { m_choices = choices; }
    // Keys holding "/" are the profile's own bookkeeping: shown, not edited.
    bool isReadOnly() const { return m_key.contains(QLatin1Char('/')); }

    QVariant value() const { return m_value; }
    // Emits valueChanged() when the value really changes.
    void setValue(const QVariant& value);
    // A property the profile does not carry (and the compile will not pass).
    bool isEmpty() const;

    // The items below this one, in panel order.
    QList<ZuProperty*> items() const { return m_items; }
    ZuProperty* item(const QString& key) const;
    // Appends a new item (owned by this one).
    ZuProperty* addItem(const QString& key);
    // Deletes every item; emits itemsChanged() once the tree is refilled
    // through endReset().
    void clearItems();
    void endReset();

signals:
    void valueChanged(ZuProperty* property);
    void itemsChanged();

private:
    QString m_key;
    QString m_type = QStringLiteral("text");
    QString m_label;
    bool m_simple = false;
    QStringList m_choices;
    QVariant m_value;
    QList<ZuProperty*> m_items;
};
