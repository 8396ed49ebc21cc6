// Shared pieces of the updater test program.
#pragma once

#include <QByteArray>
#include <QObject>

#include <memory>
#include <string>

std::unique_ptr<QObject> makeServiceTests();
std::unique_ptr<QObject> makeUpdateCheckTests();
std::unique_ptr<QObject> makeWizardTests();

// A service answer in the documented wire format.
QByteArray soapAnswer(const QByteArray& available, const QByteArray& packageUrl, const QByteArray& version,
                      const QByteArray& importance);
