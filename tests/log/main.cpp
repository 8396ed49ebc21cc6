// The log test program: the diagnostic log file and the logging categories.

#include <QCoreApplication>
#include <QTest>

#include <memory>

std::unique_ptr<QObject> makeWriteLogTests();
std::unique_ptr<QObject> makeLogCategoryTests();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::unique_ptr<QObject> suites[] = {makeWriteLogTests(), makeLogCategoryTests()};
    int failures = 0;
    for (const auto& suite : suites)
        failures += QTest::qExec(suite.get(), argc, argv);
    return failures == 0 ? 0 : 1;
}
