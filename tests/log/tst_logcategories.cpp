// The subsystem logging categories: quiet by default, one rule turns one on.

#include "logcategories.h"

#include <QLoggingCategory>
#include <QTest>

#include <memory>

namespace {

const QLoggingCategory& categoryNamed(const QString& name)
{
    if (name == QLatin1String("render"))
        return lcRender();
    if (name == QLatin1String("encode"))
        return lcEncode();
    if (name == QLatin1String("import"))
        return lcImport();
    if (name == QLatin1String("update"))
        return lcUpdate();
    return lcUi();
}

const QStringList kSubsystems{"render", "encode", "import", "update", "ui"};

} // namespace

class TestLogCategories : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLoggingCategory::setFilterRules(QString()); }
    void cleanup() { QLoggingCategory::setFilterRules(QString()); }

    void quietByDefault_data()
    {
        QTest::addColumn<QString>("subsystem");
        for (const QString& subsystem : kSubsystems)
            QTest::newRow(qPrintable(subsystem)) << subsystem;
    }

    void quietByDefault()
    {
        QFETCH(QString, subsystem);
        const QLoggingCategory& category = categoryNamed(subsystem);
        QCOMPARE(QString::fromLatin1(category.categoryName()), QStringLiteral("reelwright.") + subsystem);
        QVERIFY(!category.isDebugEnabled());
        QVERIFY(category.isInfoEnabled());
        QVERIFY(category.isWarningEnabled());
        QVERIFY(category.isCriticalEnabled());
    }

    // A rule names one subsystem and leaves the others quiet.
    void ruleTurnsOneOn_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QStringList>("debugging");
        for (const QString& subsystem : kSubsystems)
            QTest::newRow(qPrintable(subsystem))
                << QStringLiteral("reelwright.%1.debug=true").arg(subsystem) << QStringList{subsystem};
        QTest::newRow("all") << QStringLiteral("reelwright.*.debug=true") << kSubsystems;
        QTest::newRow("Qt's own") << QStringLiteral("qt.*.debug=true") << QStringList();
    }

    void ruleTurnsOneOn()
    {
        QFETCH(QString, rules);
        QFETCH(QStringList, debugging);
        QLoggingCategory::setFilterRules(rules);
        for (const QString& subsystem : kSubsystems)
            QVERIFY2(categoryNamed(subsystem).isDebugEnabled() == debugging.contains(subsystem), qPrintable(subsystem));
    }
};

std::unique_ptr<QObject> makeLogCategoryTests() { return std::make_unique<TestLogCategories>(); }

#include "tst_logcategories.moc"
